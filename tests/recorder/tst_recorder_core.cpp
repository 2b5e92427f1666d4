// The flight recorder's widget-free core: the file format, the ring, the
// fault files and the exports, fed with frames the simulated controller
// builds.

#include "ConfigHome.h"
#include "ConfigFolder.h"
#include "Exports.h"
#include "FlightRecorder.h"
#include "FrameRing.h"
#include "Recording.h"
#include "SimController.h"
#include "SimProtocol.h"
#include "TrackSet.h"

#include <QDir>
#include <QSettings>
#include <QtTest>

#include <map>

using namespace recorder;

namespace {

const QDateTime kStart = QDateTime::fromString(QStringLiteral("2026-01-02T03:04:05.000Z"), Qt::ISODateWithMs);

traffic::Entry received(qint64 ms, const QByteArray& bytes)
{
    return {ms, traffic::Direction::Received, bytes};
}

QByteArray reply(char c3, char c4, const QByteArray& data)
{
    return sim::buildReply(c3, c4, data, 'E');
}

// A short run with every kind of frame: the values at chosen times are
// worked out by hand in the tests.
Recording knownRecording()
{
    Recording r;
    r.header = {QStringLiteral("0.1.0"), QStringLiteral("COM1 (/dev/pts/9)"), Layout::Long, 4, kStart};
    r.entries = {
        // Floor code 3, byte A: door lock, arrow cell 5; byte B: running, safety circuit.
        received(1000, reply('A', '0', "030DC0")),
        received(1100, reply('A', '8', "F401")),  // 500 mm/s
        // Car call at floor 2, up call at floor 1.
        received(1200, reply('A', '3', "020000000000" "010000000000" "000000000000")),
        // X0, TX0 and Y7.
        received(1300, reply('A', '4', QByteArray("0100000001000000") + '\x04' + "80000000")),
        received(2000, reply('A', '0', "040800")),  // floor 4, stopped: fault
        received(2050, sim::buildFaultReport(32, 'E')),
        {2100, traffic::Direction::Sent, QByteArray("\x02" "FFF6E") + "XX\x03"},
        received(3000, reply('A', '8', "18FC")),  // -1000 mm/s
    };
    return r;
}

// The values of a value change dump, by signal name: time and value (a
// number; -1 for x).
using Dump = std::map<QString, std::vector<std::pair<qint64, qint64>>>;

Dump parseVcd(const QByteArray& text)
{
    std::map<QString, QString> names;  // id -> name
    Dump dump;
    qint64 now = 0;
    bool definitions = true;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty())
            continue;
        if (definitions) {
            const QList<QByteArray> words = line.split(' ');
            if (words.value(0) == "$var")
                names[QString::fromUtf8(words.value(3))] = QString::fromUtf8(words.value(4));
            if (words.value(0) == "$enddefinitions")
                definitions = false;
            continue;
        }
        if (line.startsWith('#')) {
            now = line.mid(1).toLongLong();
        } else if (line.startsWith('b')) {
            const QList<QByteArray> words = line.split(' ');
            bool ok = false;
            const qint64 value = words[0].mid(1).toLongLong(&ok, 2);
            dump[names[QString::fromUtf8(words[1])]].push_back({now, ok ? value : -1});
        } else if (line[0] == '0' || line[0] == '1' || line[0] == 'x') {
            dump[names[QString::fromUtf8(line.mid(1))]].push_back({now, line[0] == 'x' ? -1 : line[0] - '0'});
        }
    }
    return dump;
}

qint64 valueAt(const Dump& dump, const QString& name, qint64 t)
{
    const auto it = dump.find(name);
    if (it == dump.end())
        return -2;
    qint64 value = -1;
    for (const auto& [time, v] : it->second) {
        if (time <= t)
            value = v;
    }
    return value;
}

} // namespace

class RecorderCoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void a_recording_reads_back_as_written()
    {
        Recording r = knownRecording();
        // Bytes the line may carry that the text form must escape.
        r.entries.push_back(received(4000, QByteArray("\x02" "FF<A\r\x00\xFF\x03" "z", 10)));
        const ReadResult back = parseRecording(recordingText(r.header, r.entries));
        QVERIFY2(back.recording, qPrintable(back.error));
        QCOMPARE(back.recording->header.port, r.header.port);
        QCOMPARE(back.recording->header.layout, Layout::Long);
        QCOMPARE(back.recording->header.floors, 4);
        QCOMPARE(back.recording->header.start, kStart);
        QCOMPARE(back.recording->entries.size(), r.entries.size());
        for (std::size_t i = 0; i < r.entries.size(); ++i) {
            QCOMPARE(back.recording->entries[i].ms, r.entries[i].ms);
            QCOMPARE(back.recording->entries[i].direction, r.entries[i].direction);
            QCOMPARE(back.recording->entries[i].bytes, r.entries[i].bytes);
        }
    }

    void a_malformed_file_is_refused_with_its_line_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        const QByteArray head = "# vardo-recording 1\n# start: 2026-01-02T03:04:05.000Z\n";
        QTest::newRow("no header") << QByteArray("0\t收\t<STX><ETX>\n") << "line 1: not a VARDO recording";
        QTest::newRow("newer format") << QByteArray("# vardo-recording 9\n") << "line 1: format version 9";
        QTest::newRow("no start") << QByteArray("# vardo-recording 1\n") << "line 1: the header gives no start";
        QTest::newRow("bad layout") << head + "# layout: wide\n" << "line 3: layout \"wide\"";
        QTest::newRow("two fields") << head + "5\t收\n" << "line 3: an entry is";
        QTest::newRow("bad time") << head + "-5\t收\t<STX>\n" << "line 3: time \"-5\"";
        QTest::newRow("time back") << head + "9\t收\t<STX>\n8\t发\t<STX>\n" << "line 4: time 8 is before";
        QTest::newRow("direction") << head + "9\tin\t<STX>\n" << "line 3: direction \"in\"";
        QTest::newRow("frame") << head + "9\t收\t<STX><QQ>\n" << "line 3: the frame";
    }

    void a_malformed_file_is_refused_with_its_line()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        const ReadResult read = parseRecording(text);
        QVERIFY(!read.recording);
        QVERIFY2(read.error.startsWith(error), qPrintable(read.error));
    }

    // 40 minutes at ten frames a second leave the last 30; a flood is cut
    // at the byte budget.
    void the_ring_keeps_its_span_and_its_budget()
    {
        FrameRing ring(30 * 60 * 1000, 30 * 60 * FlightRecorder::kBudgetBytesPerSecond);
        const QByteArray frame = reply('A', '0', "030DC0");
        for (qint64 ms = 0; ms <= 40 * 60 * 1000; ms += 100)
            ring.append(ms, traffic::Direction::Received, frame.constData(), int(frame.size()));
        QCOMPARE(ring.size(), 18001);
        QCOMPARE(ring.msAt(0), qint64(10 * 60 * 1000));
        QCOMPARE(ring.at(ring.size() - 1).bytes, frame);
        QVERIFY(ring.memoryBytes() < 2 * 1024 * 1024);

        FrameRing flood(30 * 60 * 1000, 10000);
        const QByteArray big(100, 'x');
        for (int i = 0; i < 1000; ++i)
            flood.append(i, traffic::Direction::Received, big.constData(), int(big.size()));
        QCOMPARE(flood.size(), 100);
        QCOMPARE(flood.msAt(0), qint64(900));
        QVERIFY(flood.memoryBytes() < 64 * 1024);
    }

    // The simulated controller's replies to the pages' polls, every 100 ms
    // for six minutes, a fault report at 4 minutes, repeated 5 s later,
    // and its acknowledgement.
    void a_fault_file_holds_two_minutes_before_and_one_after()
    {
        const ConfigHome home;
        SimOptions options;
        options.manualTime = true;
        SimController sim(options);
        qint64 clock = 0;
        FlightRecorder recorder(RecorderSettings::read(), [&clock] { return clock; }, kStart);
        const QByteArray polls[] = {"A3", "A8", "A0", "A4"};
        const QByteArray report = sim::buildFaultReport(32, 'E');
        const qint64 fault = 4 * 60 * 1000;
        QString path;
        for (int i = 0; clock < 6 * 60 * 1000; ++i) {
            clock = qint64(i) * 100;
            sim.withElevator([](ElevatorModel& e) { e.advance(100); });
            QVERIFY(recorder.frameReceived(sim.answer(sim.requestFrame(polls[i % 4])).constData()).isEmpty());
            if (clock == fault)
                path = recorder.frameReceived(report.constData());
            if (clock == fault + 5000)
                QCOMPARE(recorder.frameReceived(report.constData()), path);
            if (clock == fault + 6000) {
                const QByteArray ack = sim.requestFrame("F6");
                recorder.frameSent(ack.constData(), int(ack.size()));
            }
        }
        QCOMPARE(recorder.faultFiles(), QStringList{path});
        QCOMPARE(recorder.openFaultFiles(), 0);
        QVERIFY(path.startsWith(home.path() + QStringLiteral("/data/VARDOCOM/recordings/fault-")));
        QVERIFY(path.endsWith(QStringLiteral("-20.rec")));

        const ReadResult read = readRecording(path);
        QVERIFY2(read.recording, qPrintable(read.error));
        const std::vector<traffic::Entry>& entries = read.recording->entries;
        QCOMPARE(entries.front().ms, fault - FlightRecorder::kBeforeFaultMs);
        QCOMPARE(entries.back().ms, fault + FlightRecorder::kAfterFaultMs);
        // Every poll's reply of those three minutes, both reports, the acknowledgement.
        QCOMPARE(int(entries.size()), 1801 + 2 + 1);
        QCOMPARE(int(std::count_if(entries.cbegin(), entries.cend(),
                                   [](const traffic::Entry& e) { return e.bytes[3] == 'E'; })),
                 2);

        // Turned off in settings.ini: no file.
        QSettings(vardoConfigFolder() + QStringLiteral("/settings.ini"), QSettings::IniFormat)
            .setValue(QStringLiteral("recorder/faultfiles"), QStringLiteral("false"));
        FlightRecorder off(RecorderSettings::read(), [&clock] { return clock; }, kStart);
        QVERIFY(off.frameReceived(report.constData()).isEmpty());
        QVERIFY(off.faultFiles().isEmpty());
    }

    void the_exports_give_the_values_at_chosen_times_data()
    {
        QTest::addColumn<qint64>("t");
        QTest::addColumn<QString>("signal");
        QTest::addColumn<qint64>("vcd");  // -1: unknown
        QTest::addColumn<QString>("csvColumn");
        QTest::addColumn<QString>("csv");
        QTest::newRow("floor") << qint64(1500) << "floor_code" << qint64(3) << "floor" << "3";
        QTest::newRow("speed") << qint64(1500) << "speed_mm_s" << qint64(500) << "speed_m_s" << "0.50";
        QTest::newRow("reverse") << qint64(3500) << "speed_mm_s" << qint64(0xFC18) << "speed_m_s" << "-1.00";
        QTest::newRow("direction") << qint64(1500) << "direction" << qint64(5) << "direction" << "↑";
        QTest::newRow("door lock") << qint64(1500) << "door_lock" << qint64(1) << "door_lock" << "1";
        QTest::newRow("inspection") << qint64(1500) << "inspection" << qint64(0) << "inspection" << "0";
        QTest::newRow("running") << qint64(1999) << "running" << qint64(1) << "running" << "1";
        QTest::newRow("stopped") << qint64(2000) << "running" << qint64(0) << "running" << "0";
        QTest::newRow("safety") << qint64(2060) << "safety_circuit" << qint64(0) << "safety_circuit" << "0";
        QTest::newRow("car call") << qint64(1500) << "car_call_2" << qint64(1) << "car_calls" << "2";
        QTest::newRow("up call") << qint64(1500) << "up_call_1" << qint64(1) << "up_calls" << "1";
        QTest::newRow("X0") << qint64(1500) << "X0" << qint64(1) << "X0" << "1";
        QTest::newRow("TX0") << qint64(1500) << "TX0" << qint64(1) << "TX0" << "1";
        QTest::newRow("Y6") << qint64(1500) << "Y6" << qint64(0) << "Y6" << "0";
        QTest::newRow("Y7") << qint64(1500) << "Y7" << qint64(1) << "Y7" << "1";
        QTest::newRow("before I/O") << qint64(1200) << "Y7" << qint64(-1) << "Y7" << "";
        QTest::newRow("no fault") << qint64(1500) << "fault" << qint64(0) << "fault" << "";
        QTest::newRow("fault") << qint64(2060) << "fault" << qint64(32) << "fault" << "20";
        QTest::newRow("described") << qint64(2060) << "fault" << qint64(32) << "fault_description"
                                   << "运行时安全回路开关动作故障";
        QTest::newRow("acknowledged") << qint64(2500) << "fault" << qint64(0) << "fault" << "";
    }

    void the_exports_give_the_values_at_chosen_times()
    {
        QFETCH(qint64, t);
        QFETCH(QString, signal);
        QFETCH(qint64, vcd);
        QFETCH(QString, csvColumn);
        QFETCH(QString, csv);
        const Recording r = knownRecording();
        TrackSet tracks(r.header);
        tracks.addAll(r.entries);

        QCOMPARE(valueAt(parseVcd(vcdText(tracks)), signal, t), vcd);

        const QByteArray text = csvText(tracks, true);
        QVERIFY(text.startsWith("\xEF\xBB\xBF"));
        const QStringList rows = QString::fromUtf8(text.mid(3)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const QStringList header = rows[0].split(QLatin1Char(','));
        const qsizetype column = header.indexOf(csvColumn);
        QVERIFY(column > 0);
        QString value = QStringLiteral("(none)");
        for (const QString& row : rows.mid(1)) {
            const QStringList fields = row.split(QLatin1Char(','));
            QCOMPARE(fields.size(), header.size());
            const QDateTime time = QDateTime::fromString(fields[0], Qt::ISODateWithMs);
            QVERIFY2(time.isValid(), qPrintable(fields[0]));
            if (kStart.msecsTo(time) <= t)
                value = fields[column];
        }
        QCOMPARE(value, csv);
    }
};

QTEST_GUILESS_MAIN(RecorderCoreTest)
#include "tst_recorder_core.moc"
