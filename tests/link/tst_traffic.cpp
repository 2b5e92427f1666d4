#include "LineTraffic.h"

#include <QtTest>

using traffic::LineTraffic;

namespace {

// One step on the line at a given time: a request written, bytes handed to
// the owner one at a time, a whole synchronous reply, or a look at a quiet
// line (300 ms).
struct Step
{
    enum Kind { Sent, Owner, Reply, Quiet };
    qint64 at = 0;
    Kind kind = Sent;
    QByteArray bytes;
};

// Frames whose checksums were worked out by hand.
const QByteArray kStatusPoll("\x02" "FFA0E42\x03");
const QByteArray kStatusReply("\x02" "FFA0631583E7C\x03");

QStringList entryLines(const LineTraffic& log)
{
    QStringList lines;
    for (int i = 0; i < log.size(); ++i)
        lines << traffic::entryText(log.at(i));
    return lines;
}

} // namespace

Q_DECLARE_METATYPE(QList<Step>)

class TrafficTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frame_text_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("request") << kStatusPoll << "<STX>FFA0E42<ETX>";
        QTest::newRow("CR inside") << QByteArray("\x02" "FFA7123\r45\x03") << "<STX>FFA7123<CR>45<ETX>";
        QTest::newRow("non-printing") << QByteArray("\x00\x1b\x7f\x80\xff\n", 6) << "<00><1B><7F><80><FF><0A>";
        QTest::newRow("blank and tilde print") << QByteArray(" ~") << " ~";
        QTest::newRow("'<' cannot pass for a control") << QByteArray("<STX>") << "<3C>STX>";
    }
    void frame_text()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(traffic::frameText(bytes), text);
    }

    void verdict_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("holds");
        QTest::newRow("status reply") << kStatusReply << true;
        QTest::newRow("parameter reply") << QByteArray("\x02" "FFA50B0014E7E\x03") << true;
        QTest::newRow("no data, sum 0") << QByteArray("\x02" "00\x03") << true;
        QTest::newRow("wrong digit") << QByteArray("\x02" "FFA0631583E7D\x03") << false;
        QTest::newRow("lowercase digits") << QByteArray("\x02" "FFA0631583E7c\x03") << false;
        QTest::newRow("data changed") << QByteArray("\x02" "FFA0631584E7C\x03") << false;
        QTest::newRow("no ETX") << kStatusReply.chopped(1) << false;
        QTest::newRow("no STX") << kStatusReply.mid(1) << false;
        QTest::newRow("noise before STX") << "x" + kStatusReply << false;
        // The sum is that of "FFA0E", but a reader of the text stops at the NUL.
        QTest::newRow("NUL inside") << QByteArray("\x02" "FFA0\0E42\x03", 9) << false;
        QTest::newRow("too short") << QByteArray("\x02" "0\x03") << false;
    }
    void verdict()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, holds);
        QCOMPARE(traffic::checksumHolds(bytes), holds);
        const traffic::Entry received{0, traffic::Direction::Received, bytes};
        QCOMPARE(received.verdict(), holds ? traffic::Verdict::Holds : traffic::Verdict::Fails);
        const traffic::Entry sent{0, traffic::Direction::Sent, bytes};
        QCOMPARE(sent.verdict(), traffic::Verdict::None);
    }

    void cutting_data()
    {
        QTest::addColumn<QList<Step>>("steps");
        QTest::addColumn<QStringList>("lines");
        const QString poll = "\t发\t<STX>FFA0E42<ETX>";
        const QString reply = "\t收\t<STX>FFA0631583E7C<ETX>\t校验正确";
        QTest::newRow("request and reply")
            << QList<Step>{{0, Step::Sent, kStatusPoll}, {60, Step::Reply, kStatusReply}}
            << QStringList{"0" + poll, "60" + reply};
        QTest::newRow("reply cut short is closed at the end of its read")
            << QList<Step>{{0, Step::Sent, kStatusPoll}, {1600, Step::Reply, "\x02" "FFA06315"},
                           {1700, Step::Sent, kStatusPoll}}
            << QStringList{"0" + poll, "1600\t收\t<STX>FFA06315\t校验错误", "1700" + poll};
        QTest::newRow("noise before STX stands alone")
            << QList<Step>{{60, Step::Reply, QByteArray("\xff\0", 2) + kStatusReply}}
            << QStringList{"60\t收\t<FF><00>\t校验错误", "60" + reply};
        QTest::newRow("owner bytes: a frame ends at its ETX and is timed by its first byte")
            << QList<Step>{{10, Step::Owner, "\x02" "FFA063"}, {25, Step::Owner, "1583E7C\x03\x02" "FFA"},
                           {40, Step::Owner, "0631583E7C\x03"}}
            << QStringList{"10" + reply, "25" + reply};
        QTest::newRow("owner bytes cut short are closed by the next request")
            << QList<Step>{{10, Step::Owner, "\x02" "FFA06315"}, {100, Step::Sent, kStatusPoll}}
            << QStringList{"10\t收\t<STX>FFA06315\t校验错误", "100" + poll};
        QTest::newRow("STX restarts: the frame cut short stands alone")
            << QList<Step>{{10, Step::Owner, "\x02" "FFA0" + kStatusReply}}
            << QStringList{"10\t收\t<STX>FFA0\t校验错误", "10" + reply};
        QTest::newRow("ETX without a frame")
            << QList<Step>{{10, Step::Owner, "\x03"}} << QStringList{"10\t收\t<ETX>\t校验错误"};
        QTest::newRow("a line quiet for less than 300 ms leaves the frame open")
            << QList<Step>{{10, Step::Owner, "\x02" "FFA0631583"}, {300, Step::Quiet, {}},
                           {305, Step::Owner, "E7C\x03"}}
            << QStringList{"10" + reply};
        QTest::newRow("a line quiet for 300 ms closes it")
            << QList<Step>{{10, Step::Owner, "\x02" "FFA0631583"}, {310, Step::Quiet, {}},
                           {320, Step::Owner, "E7C\x03"}}
            << QStringList{"10\t收\t<STX>FFA0631583\t校验错误", "320\t收\tE7C<ETX>\t校验错误"};
        // A line that never frames its bytes gives entries of 4096 characters.
        const QByteArray unframed(LineTraffic::kLongestEntry * 2 + 3, 'x');
        const QString block = "\t收\t" + QString(LineTraffic::kLongestEntry, 'x') + "\t校验错误";
        QTest::newRow("unframed bytes close an entry at 4096 characters")
            << QList<Step>{{10, Step::Owner, unframed}, {20, Step::Sent, kStatusPoll}}
            << QStringList{"10" + block, "10" + block, "10\t收\txxx\t校验错误", "20" + poll};
    }
    void cutting()
    {
        QFETCH(QList<Step>, steps);
        QFETCH(QStringList, lines);
        qint64 now = 0;
        LineTraffic log([&now] { return now; });
        for (const Step& step : steps) {
            now = step.at;
            switch (step.kind) {
            case Step::Sent:
                log.recordSent(step.bytes.constData(), int(step.bytes.size()));
                break;
            case Step::Owner:
                for (const char c : step.bytes)
                    log.recordReceived(&c, 1, false);
                break;
            case Step::Reply:
                log.recordReceived(step.bytes.constData(), int(step.bytes.size()), true);
                break;
            case Step::Quiet:
                log.closeIfQuiet(300);
                break;
            }
        }
        QVERIFY(!log.frameOpen());
        QCOMPARE(entryLines(log), lines);
        QCOMPARE(log.text(), lines.join('\n') + '\n');
    }

    // Saved text holds received bytes still waiting for their ETX.
    void open_frame_is_in_the_text()
    {
        qint64 now = 7;
        LineTraffic log([&now] { return now; });
        log.recordReceived("\x02" "FF", 3, false);
        QVERIFY(log.frameOpen());
        QCOMPARE(log.size(), 0);
        QCOMPARE(log.text(), QStringLiteral("7\t收\t<STX>FF\t校验错误\n"));
    }

    void keeps_the_newest_entries()
    {
        qint64 now = 0;
        LineTraffic log([&now] { return now; });
        const int total = LineTraffic::kCapacity + 5;
        for (; now < total; ++now)
            log.recordSent(kStatusPoll.constData(), int(kStatusPoll.size()));
        QCOMPARE(log.size(), LineTraffic::kCapacity);
        QCOMPARE(log.appended(), std::uint64_t(total));
        QCOMPARE(log.at(0).ms, qint64(5));
        QCOMPARE(log.at(LineTraffic::kCapacity - 1).ms, qint64(total - 1));
        QCOMPARE(log.text().count('\n'), LineTraffic::kCapacity);
        log.clear();
        QCOMPARE(log.size(), 0);
        QCOMPARE(log.appended(), std::uint64_t(0));
        QVERIFY(log.text().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TrafficTest)
#include "tst_traffic.moc"
