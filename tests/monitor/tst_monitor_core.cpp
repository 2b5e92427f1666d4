#include "ControllerSilence.h"
#include "FloorDisplayText.h"
#include "IoReply.h"
#include "StatusDecoding.h"

#include <QtTest>

#include <cstring>
#include <map>
#include <memory>

using monitor::IoReply;

class MonitorCoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Requests (r) and replies (a) at the given milliseconds: silent once
    // 3 s have passed since the first request after the last reply.
    void silence_after_three_seconds_data()
    {
        QTest::addColumn<QStringList>("events");
        QTest::addColumn<qint64>("at");
        QTest::addColumn<bool>("silent");
        QTest::newRow("nothing asked") << QStringList{} << qint64(10000) << false;
        QTest::newRow("just short") << QStringList{"r0", "r2900"} << qint64(2999) << false;
        QTest::newRow("three seconds") << QStringList{"r0", "r100", "r2900"} << qint64(3000) << true;
        QTest::newRow("a reply starts afresh") << QStringList{"r0", "a2000", "r2100"} << qint64(5000) << false;
        QTest::newRow("and counts again") << QStringList{"r0", "a2000", "r2100"} << qint64(5100) << true;
    }
    void silence_after_three_seconds()
    {
        QFETCH(QStringList, events);
        QFETCH(qint64, at);
        QFETCH(bool, silent);
        monitor::AnswerWatch watch;
        for (const QString& e : events) {
            if (e.startsWith(QLatin1Char('r')))
                watch.requested(e.mid(1).toLongLong());
            else
                watch.answered();
        }
        QCOMPARE(watch.silent(at), silent);
    }

    void floor_display_texts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const std::pair<int, const char*> rows[] = {
            {0, " "},    {1, "1"},     {48, "48"},    {49, " "},    {50, "-1"},  {58, "-9"},   {59, " "},
            {60, "B1"},  {68, "B9"},   {69, "B"},     {87, "H3"},   {88, "3A"},  {99, "出口"}, {100, "C1"},
            {119, "49"}, {129, "E"},   {139, "6C"},   {140, "23A"}, {150, "KG"}, {151, "KE1"}, {159, "KE9"},
            {160, "GF"}, {171, "L3"},  {172, "ex"},   {179, "ex"},  {180, "exex"}, {189, "exex"}, {200, "ex"},
            {243, "exex"}, {248, "ex"}, {249, ""},    {255, ""},    {-1, ""},
        };
        for (const auto& [code, text] : rows)
            QTest::addRow("%d", code) << code << QString::fromUtf8(text);
    }
    void floor_display_texts()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        QCOMPARE(floorDisplayString(code), text);
    }

    void every_code_has_a_text()
    {
        int exex = 0;
        for (const char* t : floorDisplayText) {
            QVERIFY(t && *t);
            exex += QByteArray(t) == "exex";
        }
        QCOMPARE(exex, 8);
    }

    void listed_floor_count_data()
    {
        QTest::addColumn<bool>("extended");
        QTest::addColumn<QList<int>>("values");  // parameter, value pairs
        QTest::addColumn<int>("failing");        // parameter whose read fails, or -1
        QTest::addColumn<int>("rows");           // -1: no count
        QTest::addColumn<QList<int>>("reads");
        QTest::newRow("short layout 8 + 2") << false << QList<int>{11, 8, 10, 2} << -1 << 10 << QList<int>{11, 10};
        QTest::newRow("20 floors, position 3 false")
            << true << QList<int>{11, 20, 10, 0, 119, 0, 134, 0xFFFB, 135, 0x000F} << -1 << 19
            << QList<int>{11, 10, 119, 134, 135};
        QTest::newRow("12 floors look at 12 bits of 134")
            << true << QList<int>{11, 10, 10, 1, 119, 1, 134, 0x0FFE} << -1 << 11 << QList<int>{11, 10, 119, 134};
        QTest::newRow("40 floors read 136")
            << true << QList<int>{11, 40, 134, 0xFFFF, 135, 0x7FFF, 136, 0x00FE} << -1 << 38
            << QList<int>{11, 10, 119, 134, 135, 136};
        QTest::newRow("60 floors count 48 flags")
            << true << QList<int>{11, 60, 134, 0xFFFF, 135, 0xFFFF, 136, 0xFFFF} << -1 << 60
            << QList<int>{11, 10, 119, 134, 135, 136};
        QTest::newRow("failed read of 119") << true << QList<int>{11, 20} << 119 << -1 << QList<int>{11, 10, 119};
        QTest::newRow("failed first read") << false << QList<int>{} << 11 << -1 << QList<int>{11};
    }
    void listed_floor_count()
    {
        QFETCH(bool, extended);
        QFETCH(QList<int>, values);
        QFETCH(int, failing);
        QFETCH(int, rows);
        QFETCH(QList<int>, reads);
        std::map<int, unsigned> parameters;
        for (int i = 0; i + 1 < values.size(); i += 2)
            parameters[values[i]] = unsigned(values[i + 1]);
        QList<int> done;
        const std::optional<int> count =
            monitor::listedFloorCount(extended, [&](int n) -> std::optional<unsigned> {
                done << n;
                if (n == failing)
                    return std::nullopt;
                return parameters[n];
            });
        QCOMPARE(count.value_or(-1), rows);
        QCOMPARE(done, reads);
    }

    void io_reply_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QByteArray>("inputs");   // bytes decoded, as hex
        QTest::addColumn<QByteArray>("outputs");
        QTest::newRow("full") << QByteArray("\x02" "FFA4" "0100000001000000" "\x04" "80000000" "E7" "\x03") << true
                              << QByteArray("0100000001000000") << QByteArray("80000000");
        QTest::newRow("two input bytes") << QByteArray("\x02" "FFA4" "FF01" "\x04" "01" "00" "\x03") << true
                                         << QByteArray("ff01") << QByteArray("01");
        QTest::newRow("special code before the checksum")
            << QByteArray("\x02" "FFA4" "01" "\x04" "80000000E" "5A" "\x03") << true << QByteArray("01")
            << QByteArray("80000000");
        QTest::newRow("no separator") << QByteArray("\x02" "FFA4" "0100000001000000" "80000000" "E7" "\x03")
                                      << false << QByteArray() << QByteArray();
        QTest::newRow("empty input group") << QByteArray("\x02" "FFA4" "\x04" "0F000000" "12" "\x03") << true
                                           << QByteArray() << QByteArray("0f000000");
        QTest::newRow("output shorter than the checksum") << QByteArray("\x02" "FFA4" "01" "\x04" "7" "\x03") << true
                                                          << QByteArray("01") << QByteArray();
        QTest::newRow("frame ends at the separator") << QByteArray("\x02" "FFA4" "0102" "\x04") << true
                                                     << QByteArray("0102") << QByteArray();
        QTest::newRow("odd digit and junk end a group")
            << QByteArray("\x02" "FFA4" "01Z2" "\x04" "0203G" "00" "\x03") << true << QByteArray("01")
            << QByteArray("0203");
        QTest::newRow("bytes beyond eight and four are ignored")
            << QByteArray("\x02" "FFA4" "010203040506070809" "\x04" "0A0B0C0D0E" "00" "\x03") << true
            << QByteArray("0102030405060708") << QByteArray("0a0b0c0d");
        QTest::newRow("separator beyond the window")
            << QByteArray("\x02" "FFA4" + QByteArray(80, '0') + "\x04" "01" "00" "\x03") << false << QByteArray()
            << QByteArray();
        QTest::newRow("other reply") << QByteArray("\x02" "FFA3" "01" "\x04" "01" "00" "\x03") << false
                                     << QByteArray() << QByteArray();
        QTest::newRow("cut frame") << QByteArray("\x02" "FFA") << false << QByteArray() << QByteArray();
    }
    void io_reply()
    {
        QFETCH(QByteArray, frame);
        QFETCH(bool, accepted);
        QFETCH(QByteArray, inputs);
        QFETCH(QByteArray, outputs);
        // Exactly the frame's bytes on the heap, so a read past its NUL is caught.
        std::unique_ptr<char[]> text(new char[size_t(frame.size()) + 1]);
        std::memcpy(text.get(), frame.constData(), size_t(frame.size()) + 1);
        const std::optional<IoReply> reply = monitor::parseIoReply(text.get());
        QCOMPARE(reply.has_value(), accepted);
        if (!reply)
            return;
        const auto hex = [](const auto& bytes, int count) {
            return QByteArray(reinterpret_cast<const char*>(bytes.data()), count).toHex();
        };
        QCOMPARE(hex(reply->inputs, reply->inputCount), inputs);
        QCOMPARE(hex(reply->outputs, reply->outputCount), outputs);
    }

    // The replies of the status page: kind (status, calls, speed, parameter)
    // and what it carries, or nothing for a frame too short or of another kind.
    void status_page_replies_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("decoded");
        const QByteArray none;
        QTest::newRow("status") << QByteArray("\x02" "FFA0" "05" "98" "C1" "00" "\x03") << "status 5 98 c1";
        QTest::newRow("status cut at the second byte")
            << QByteArray("\x02" "FFA0" "05" "98" "C") << QString();
        QTest::newRow("calls") << QByteArray("\x02" "FFA3" "040000000080" "010000000000" "000000000001" "00" "\x03")
                               << "calls 3,48 1 41";
        QTest::newRow("calls one digit short")
            << QByteArray("\x02" "FFA3" "040000000080" "010000000000" "00000000000") << QString();
        QTest::newRow("speed down") << QByteArray("\x02" "FFA8" "18FC" "00" "\x03") << "speed -1000";
        QTest::newRow("speed cut") << QByteArray("\x02" "FFA8" "18F") << QString();
        QTest::newRow("parameter") << QByteArray("\x02" "FFA5" "0C" "1400" "E" "00" "\x03") << "parameter 20";
        QTest::newRow("other reply") << QByteArray("\x02" "FFA9" "240517093015" "00" "\x03") << QString();
    }
    void status_page_replies()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QString, decoded);
        // Exactly the frame's bytes on the heap, so a read past its NUL is caught.
        std::unique_ptr<char[]> text(new char[size_t(frame.size()) + 1]);
        std::memcpy(text.get(), frame.constData(), size_t(frame.size()) + 1);
        const auto positions = [](const monitor::CallBits& bits) {
            QStringList set;
            for (int p = 1; p <= monitor::kCallPositions; ++p) {
                if (bits[size_t(p - 1)])
                    set << QString::number(p);
            }
            return set.join(QLatin1Char(','));
        };
        QStringList got;
        if (const auto s = monitor::parseStatusReply(text.get()))
            got << QStringLiteral("status %1 %2 %3").arg(s->floorCode).arg(s->byteA, 0, 16).arg(s->byteB, 0, 16);
        if (const auto c = monitor::parseCallReply(text.get()))
            got << QStringLiteral("calls %1 %2 %3").arg(positions(c->car), positions(c->up), positions(c->down));
        if (const auto v = monitor::parseSpeedReply(text.get()))
            got << QStringLiteral("speed %1").arg(*v);
        if (const auto v = monitor::parseParameterReply(text.get()))
            got << QStringLiteral("parameter %1").arg(*v);
        QCOMPARE(got.join(QLatin1Char('|')), decoded);
    }

    void status_bytes_data()
    {
        QTest::addColumn<int>("byteA");
        QTest::addColumn<int>("byteB");
        QTest::addColumn<QString>("texts");  // mode door lock load run safety group, '|' between
        QTest::addColumn<int>("arrow");
        QTest::newRow("0x15 0x83") << 0x15 << 0x83 << "检修||门锁开启||运行||群控" << 5;
        QTest::newRow("0x00 0x83") << 0x00 << 0x83 << "消防||门锁开启||运行||群控" << 0;
        QTest::newRow("independent over locked") << 0xE8 << 0x00 << "独立||门锁闭合||故障||单梯" << 0;
        QTest::newRow("locked over attendant") << 0x60 << 0x10 << "锁梯|开门|门锁开启||故障||单梯" << 0;
        QTest::newRow("attendant, closing, full") << 0x26 << 0x64 << "司机|关门|门锁开启|满载|故障|安全回路|单梯" << 6;
        QTest::newRow("opening over closing, overload over full") << 0x01 << 0xBC
                                                                << "自动|开门|门锁开启|超载|运行||单梯" << 1;
    }
    void status_bytes()
    {
        QFETCH(int, byteA);
        QFETCH(int, byteB);
        QFETCH(QString, texts);
        QFETCH(int, arrow);
        const monitor::StatusTexts s = monitor::decodeStatus(unsigned(byteA), unsigned(byteB));
        QCOMPARE(QStringList({s.mode, s.door, s.lock, s.load, s.run, s.safety, s.group}).join(QLatin1Char('|')), texts);
        QCOMPARE(s.arrowCell, arrow);
    }
};

QTEST_GUILESS_MAIN(MonitorCoreTest)
#include "tst_monitor_core.moc"
