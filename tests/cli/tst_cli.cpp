// vardo-cli as a script runs it: the real executable against the simulated
// controller, linked as COM1 in a private configuration folder.

#include "ConfigHome.h"
#include "FaultDescriptions.h"
#include "ParamFile.h"
#include "Recording.h"
#include "SimController.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>

namespace {

struct Run
{
    bool normalExit = false;
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QList<QByteArray> lines(const QByteArray& text)
{
    QList<QByteArray> list = text.split('\n');
    if (!list.isEmpty() && list.last().isEmpty())
        list.removeLast();
    return list;
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigHome> home_;
    std::unique_ptr<SimController> sim_;
    std::unique_ptr<QTemporaryDir> files_;

    SimController& sim() { return *sim_; }

    void startCli(QProcess& process, const QStringList& arguments)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_->path());
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(VARDO_CLI_EXE), arguments);
    }

    Run cli(const QStringList& arguments)
    {
        QProcess process;
        startCli(process, arguments);
        Run run;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.normalExit = process.exitStatus() == QProcess::NormalExit;
        run.exitCode = process.exitCode();
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        return run;
    }

    QString file(const QString& name) const { return files_->filePath(name); }

    QString writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile f(file(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        return f.fileName();
    }

    static QByteArray readFile(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // What the simulated controller holds, as the window's save writes it.
    QByteArray heldFile()
    {
        return sim().withElevator([](ElevatorModel& e) {
            QList<ParamRecord> records;
            for (int i = 0; i < e.parameterCount(); ++i)
                records.append({std::uint8_t(i), 0, std::uint16_t(e.parameter(i))});
            return encodeParamRecords(records);
        });
    }

    unsigned held(int index)
    {
        return sim().withElevator([index](ElevatorModel& e) { return e.parameter(index); });
    }

    int parameterWrites()
    {
        int writes = 0;
        for (const QByteArray& frame : sim().requests())
            writes += frame.mid(3, 2) == "F5" ? 1 : 0;
        return writes;
    }

    // A file of count records, index i holding value(i).
    template <class Value>
    static QByteArray recordFile(int count, Value value)
    {
        QList<ParamRecord> records;
        for (int i = 0; i < count; ++i)
            records.append({std::uint8_t(i), 0, std::uint16_t(value(i))});
        return encodeParamRecords(records);
    }

private Q_SLOTS:
    void init()
    {
        home_ = std::make_unique<ConfigHome>();
        sim_ = std::make_unique<SimController>();
        sim_->linkAs(1);
        files_ = std::make_unique<QTemporaryDir>();
    }

    void cleanup()
    {
        sim_.reset();
        files_.reset();
        home_.reset();
    }

    // The backup is the file the window's save writes of the same values;
    // the CSV lists every parameter with its "F" name; the fast read
    // writes the very same file.
    void readWritesTheWindowsFile()
    {
        sim().withElevator([](ElevatorModel& e) {
            e.setParameter(12, 301);
            e.setParameter(70, 7);
        });
        const Run normal = cli({"params", "read", "-o", file("normal.F"), "--csv", file("normal.csv")});
        QVERIFY2(normal.exitCode == 0, normal.err.constData());
        QVERIFY(normal.out.isEmpty());
        QCOMPARE(readFile(file("normal.F")), heldFile());

        const QList<QByteArray> csv = lines(readFile(file("normal.csv")));
        QCOMPARE(csv.size(), 1 + 173);
        QCOMPARE(csv[0], QByteArray("index,name,value,description"));
        QVERIFY(csv[1 + 12].startsWith("12,F13,301,"));

        const Run fast = cli({"params", "read", "--fast", "-o", file("fast.F")});
        QVERIFY2(fast.exitCode == 0, fast.err.constData());
        QCOMPARE(readFile(file("fast.F")), readFile(file("normal.F")));
    }

    // Written values land in the controller; --verify lists the one the
    // controller acknowledged but did not take, and fails.
    void writeLandsAndVerifyCatchesAnIgnoredValue()
    {
        const unsigned old20 = held(20);
        const unsigned new30 = held(30) + 1;
        sim().ignoreWritesTo(20);
        const QString path = writeFile("three.F", encodeParamRecords({{12, 0, 301},
                                                                      {20, 0, std::uint16_t(old20 + 1)},
                                                                      {30, 0, std::uint16_t(new30)}}));
        const Run run = cli({"params", "write", path, "--verify"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QStringLiteral("20\t%1\t%2\n").arg(old20 + 1).arg(old20).toUtf8());
        QCOMPARE(lines(run.err).size(), 1);
        QCOMPARE(held(12), 301u);
        QCOMPARE(held(30), new30);
        QCOMPARE(held(20), old20);
    }

    void diffListsTheDifferingIndexes_data()
    {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QList<QByteArray>>("rows");
        const auto a = [](int i) { return i * 3; };
        const QByteArray fileA = recordFile(173, a);
        // Index 5 and 170 hold other values; 172 is missing from B.
        const QByteArray fileB = recordFile(172, [a](int i) { return i == 5 ? 99 : i == 170 ? 0 : a(i); });
        QTest::newRow("different") << fileA << fileB << 1
                                   << QList<QByteArray>{"5\t15\t99", "170\t510\t0", "172\t516\t-"};
        QTest::newRow("itself") << fileA << fileA << 0 << QList<QByteArray>{};
    }

    void diffListsTheDifferingIndexes()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(int, exitCode);
        QFETCH(QList<QByteArray>, rows);
        const Run run = cli({"params", "diff", writeFile("a.F", a), writeFile("b.F", b)});
        QCOMPARE(run.exitCode, exitCode);
        QList<QByteArray> shown;
        for (const QByteArray& line : lines(run.out))
            shown << line.split('\t').mid(0, 3).join('\t');
        QCOMPARE(shown, rows);
    }

    // The file is checked whole before anything is sent.
    void badFileSendsNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("3-byte fragment") << QByteArray("\x0c\x00\x2d", 3);
    }

    void badFileSendsNothing()
    {
        QFETCH(QByteArray, bytes);
        const Run run = cli({"params", "write", writeFile("bad.F", bytes)});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(lines(run.err).size(), 1);
        QCOMPARE(parameterWrites(), 0);
    }

    // A backup of the 114-parameter layout would land in the wrong
    // parameters of the 173-parameter controller.
    void anotherLayoutsFileIsRefused()
    {
        const Run run = cli({"params", "write", writeFile("short.F", recordFile(114, [](int) { return 1; }))});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("114") && run.err.contains("--force"), run.err.constData());
        QCOMPARE(parameterWrites(), 0);
    }

    void silentControllerFails_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("params read") << QStringList{"params", "read"};
        QTest::newRow("info") << QStringList{"info"};
        QTest::newRow("faults") << QStringList{"faults"};
        QTest::newRow("watch") << QStringList{"watch"};
    }

    void silentControllerFails()
    {
        QFETCH(QStringList, arguments);
        sim().setSilent(true);
        const Run run = cli(arguments);
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(lines(run.err).size(), 1);
        QVERIFY2(run.err.contains("no reply from the controller on COM1"), run.err.constData());
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("no command") << QStringList{};
        QTest::newRow("unknown command") << QStringList{"params", "frob"};
        QTest::newRow("unknown option") << QStringList{"info", "--frob"};
        QTest::newRow("option of another command") << QStringList{"faults", "--fast"};
        QTest::newRow("missing file") << QStringList{"params", "write"};
        QTest::newRow("month 13") << QStringList{"clock", "set", "24-13-01 00:00:00"};
        QTest::newRow("gap without fast") << QStringList{"params", "read", "--gap", "5"};
        QTest::newRow("layout unknown") << QStringList{"params", "show", "twelve.F"};
        QTest::newRow("diff of a missing file") << QStringList{"params", "diff", "twelve.F", "missing.F"};
    }

    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        writeFile("twelve.F", recordFile(3, [](int i) { return i; }));
        for (QString& a : arguments) {
            if (a.endsWith(QLatin1String(".F")))
                a = file(a);
        }
        const Run run = cli(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(lines(run.err).size(), 1);
        QVERIFY(sim().requests().isEmpty());
    }

    void clockSetIsReadBack()
    {
        const Run run = cli({"clock", "set", "24-02-29", "23:59:50"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(run.out, QByteArray("24-02-29 23:59:50\n"));
        QCOMPARE(sim().withElevator([](ElevatorModel& e) { return e.clock().date(); }), QDate(2024, 2, 29));
    }

    void faultsListEveryRecordWithItsDescription()
    {
        const QList<ElevatorModel::FaultRecord> held =
            sim().withElevator([](ElevatorModel& e) { return e.faultRecords(); });
        QVERIFY(!held.isEmpty());
        const Run run = cli({"faults", "--csv"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QList<QByteArray> rows = lines(run.out);
        QCOMPARE(rows.size(), 1 + held.size());
        QCOMPARE(rows[0], QByteArray("number,code,floor,time,description"));
        QCOMPARE(rows[1].split(',').value(1).toInt(), held[0].code);
        const QString description = faultText(FaultLayout::Long, held[0].code).value();
        const QString field = description.contains(QLatin1Char(',')) ? '"' + description + '"' : description;
        QVERIFY(rows[1].endsWith((',' + field).toUtf8()));
    }

    // One line per status reply; --count ends it, and so does Ctrl+C,
    // as a clean exit.
    void watchPrintsStatusLines()
    {
        const Run counted = cli({"watch", "--count", "3"});
        QVERIFY2(counted.exitCode == 0, counted.err.constData());
        const QList<QByteArray> rows = lines(counted.out);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0].split('\t').size(), 5);

        QProcess process;
        startCli(process, {"watch"});
        QVERIFY(process.waitForReadyRead(10000));
        ::kill(pid_t(process.processId()), SIGINT);
        QVERIFY(process.waitForFinished(10000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
    }

    // A recording of the simulated controller with a fault in it, then
    // exported for logic-analyzer viewers and spreadsheets.
    void recordsAndExports()
    {
        const QString rec = file(QStringLiteral("run.rec"));
        QProcess process;
        startCli(process, {"record", "--duration", "4s", "-o", rec});
        QVERIFY(QTest::qWaitFor([&] { return sim().waitForRequest("A4", 0); }, 15000));
        sim().injectFault(0x20);
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 0);
        QVERIFY(process.readAllStandardError().contains("fault 20"));

        const recorder::ReadResult read = recorder::readRecording(rec);
        QVERIFY2(read.recording, qPrintable(read.error));
        QCOMPARE(read.recording->header.layout, recorder::Layout::Long);
        QCOMPARE(read.recording->header.floors, sim().withElevator([](ElevatorModel& e) { return e.floorCount(); }));
        QSet<QByteArray> kinds;
        for (const traffic::Entry& e : read.recording->entries)
            kinds << (e.direction == traffic::Direction::Sent ? "sent " : "") + e.bytes.mid(3, 2);
        QCOMPARE(kinds, (QSet<QByteArray>{"A0", "A3", "A4", "A8", "E0", "sent F6"}));

        const Run vcd = cli({"record", "export", rec, "--vcd"});
        QVERIFY2(vcd.exitCode == 0, vcd.err.constData());
        const QByteArray dump = readFile(file(QStringLiteral("run.vcd")));
        QVERIFY(dump.startsWith("$date "));
        QVERIFY(dump.contains(" safety_circuit $end") && dump.contains(" Y31 $end") && dump.contains("b100000 "));
        const Run csv = cli({"record", "export", rec, "--csv", "--bom", "-o", file(QStringLiteral("t.csv"))});
        QVERIFY2(csv.exitCode == 0, csv.err.constData());
        QVERIFY(readFile(file(QStringLiteral("t.csv"))).startsWith("\xEF\xBB\xBFtime,floor,speed_m_s,"));

        QCOMPARE(cli({"record", "export", rec}).exitCode, 2);
        QCOMPARE(cli({"record", "--duration", "1s"}).exitCode, 2);
        const Run missing = cli({"record", "export", file(QStringLiteral("none.rec")), "--vcd"});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.err.contains("cannot open"));
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
