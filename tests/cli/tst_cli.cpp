// vardo-cli's reads and results as a script sees them: the real executable
// against the simulated controller.

#include "CliHarness.h"
#include "FaultDescriptions.h"
#include "TestPty.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <memory>

#include <sys/stat.h>

class CliTest : public CliTestCase
{
    Q_OBJECT

private Q_SLOTS:
    // The backup is the file the window's save writes of the same values;
    // the CSV lists every parameter with its "F" name; the fast read
    // writes the very same file.
    void readWritesTheWindowsFile()
    {
        sim().withElevator([](ElevatorModel& e) {
            e.setParameter(12, 301);
            e.setParameter(70, 7);
        });
        const CliRun normal = cli({"params", "read", "-o", file("normal.F"), "--csv", file("normal.csv")});
        QVERIFY2(normal.exitCode == 0, normal.err.constData());
        QVERIFY(normal.out.isEmpty());
        QCOMPARE(CliHarness::readFile(file("normal.F")), h().heldFile());

        const QList<QByteArray> csv = lines(CliHarness::readFile(file("normal.csv")));
        QCOMPARE(csv.size(), 1 + 173);
        QCOMPARE(csv[0], QByteArray("index,name,value,description"));
        QVERIFY(csv[1 + 12].startsWith("12,F13,301,"));

        const CliRun fast = cli({"params", "read", "--fast", "-o", file("fast.F")});
        QVERIFY2(fast.exitCode == 0, fast.err.constData());
        QCOMPARE(CliHarness::readFile(file("fast.F")), CliHarness::readFile(file("normal.F")));
    }

    // Every command that lists parameters gives the same columns; --bom
    // starts CSV with the byte order mark; --json gives the same as objects.
    void parameterListsShareTheirColumns_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("header");
        QTest::newRow("read") << QStringList{"params", "read", "--fast", "--csv", "-", "--bom"}
                              << QByteArray("\xEF\xBB\xBFindex,name,value,description");
        QTest::newRow("get") << QStringList{"params", "get", "12", "--csv", "-", "--bom"}
                             << QByteArray("\xEF\xBB\xBFindex,name,value,description");
        QTest::newRow("show") << QStringList{"params", "show", "held.F", "--csv", "-"}
                              << QByteArray("index,name,value,description");
        QTest::newRow("diff") << QStringList{"params", "diff", "held.F", "other.F", "--csv", "-"}
                              << QByteArray("index,name,a,b,description");
    }

    void parameterListsShareTheirColumns()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, header);
        h().writeFile("held.F", h().heldFile());
        h().writeFile("other.F", CliHarness::recordFile(173, [this](int i) { return i == 12 ? 301 : h().held(i); }));
        for (QString& a : arguments) {
            if (a.endsWith(QLatin1String(".F")))
                a = file(a);
        }
        const CliRun run = cli(arguments);
        QVERIFY2(run.exitCode == 0 || (arguments[1] == "diff" && run.exitCode == 1), run.err.constData());
        const QList<QByteArray> rows = lines(run.out);
        QCOMPARE(rows.value(0), header);
        const qsizetype row12 = rows.size() > 2 ? 13 : 1;
        QVERIFY2(rows.value(row12).startsWith("12,F13,"), rows.value(row12).constData());

        arguments = arguments.mid(0, arguments.indexOf("--csv"));
        const CliRun json = cli(arguments << "--json");
        const QJsonArray array = QJsonDocument::fromJson(json.out).array();
        QCOMPARE(array.size(), rows.size() - 1);
        const QJsonObject first = array.at(row12 - 1).toObject();
        QCOMPARE(first.value("index").toInt(), 12);
        QCOMPARE(first.value("name").toString(), QStringLiteral("F13"));
        QVERIFY(first.contains("description"));
    }

    void diffListsTheDifferingIndexes_data()
    {
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QByteArray>("b");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QList<QByteArray>>("rows");
        const auto a = [](int i) { return i * 3; };
        const QByteArray fileA = CliHarness::recordFile(173, a);
        // Index 5 and 170 hold other values; 172 is missing from B.
        const QByteArray fileB = CliHarness::recordFile(172, [a](int i) { return i == 5 ? 99 : i == 170 ? 0 : a(i); });
        QTest::newRow("different") << fileA << fileB << 1
                                   << QList<QByteArray>{"5\tF6\t15\t99", "170\tF171\t510\t0", "172\tF173\t516\t-"};
        QTest::newRow("itself") << fileA << fileA << 0 << QList<QByteArray>{};
    }

    void diffListsTheDifferingIndexes()
    {
        QFETCH(QByteArray, a);
        QFETCH(QByteArray, b);
        QFETCH(int, exitCode);
        QFETCH(QList<QByteArray>, rows);
        const CliRun run = cli({"params", "diff", h().writeFile("a.F", a), h().writeFile("b.F", b)});
        QCOMPARE(run.exitCode, exitCode);
        QList<QByteArray> shown;
        for (const QByteArray& line : lines(run.out))
            shown << line.split('\t').mid(0, 4).join('\t');
        QCOMPARE(shown, rows);
    }

    void silentControllerFails_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("params read") << QStringList{"params", "read"};
        QTest::newRow("info") << QStringList{"info"};
        QTest::newRow("faults") << QStringList{"faults"};
        QTest::newRow("watch") << QStringList{"watch"};
        QTest::newRow("shaft read") << QStringList{"shaft", "read"};
    }

    void silentControllerFails()
    {
        QFETCH(QStringList, arguments);
        sim().setSilent(true);
        const CliRun run = cli(arguments);
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
        // --csv always takes a value, and an option is none.
        QTest::newRow("csv takes a value") << QStringList{"params", "read", "--csv", "--fast"};
        QTest::newRow("-o and --csv one file") << QStringList{"params", "read", "-o", "x.csv", "--csv", "x.csv"};
        QTest::newRow("-o and --csv both stdout") << QStringList{"params", "read", "-o", "-", "--csv", "-"};
        QTest::newRow("index beyond a byte") << QStringList{"params", "get", "256"};
        QTest::newRow("elevator ID too long") << QStringList{"id", "set", "ABCDEFGHIJ"};
        QTest::newRow("dangerous without a terminal") << QStringList{"faults", "clear"};
        QTest::newRow("diff of two layouts") << QStringList{"params", "diff", "a173.F", "b114.F"};
        QTest::newRow("show under another layout") << QStringList{"params", "show", "a173.F", "--layout", "114"};
    }

    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        h().writeFile("twelve.F", CliHarness::recordFile(3, [](int i) { return i; }));
        h().writeFile("a173.F", CliHarness::recordFile(173, [](int i) { return i; }));
        h().writeFile("b114.F", CliHarness::recordFile(114, [](int i) { return i; }));
        for (QString& a : arguments) {
            if (a.endsWith(QLatin1String(".F")))
                a = file(a);
        }
        const CliRun run = cli(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(lines(run.err).size(), 1);
        QVERIFY(sim().requests().isEmpty());
        QVERIFY(!QFile::exists("--fast"));
    }

    // Each command has its own help, by --help or by the help command.
    void helpOfOneCommand()
    {
        for (const QStringList& arguments : {QStringList{"params", "read", "--help"}, QStringList{"help", "params", "read"}}) {
            const CliRun run = cli(arguments);
            QCOMPARE(run.exitCode, 0);
            QVERIFY2(run.out.startsWith("Usage: vardo-cli params read [options]"), run.out.constData());
            QVERIFY(run.out.contains("--fast") && !run.out.contains("--partial"));
        }
        const CliRun group = cli({"help", "params"});
        QCOMPARE(group.exitCode, 0);
        for (const char* command : {"params read", "params write", "params get", "params set", "params reset"})
            QVERIFY2(group.out.contains(command), command);
    }

    // Progress only on a terminal; without escape sequences on a dumb one;
    // none at all with --quiet.
    void progressOnATerminal_data()
    {
        QTest::addColumn<QStringList>("extra");
        QTest::addColumn<QString>("term");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<bool>("escapes");
        QTest::newRow("xterm") << QStringList{} << "xterm" << true << true;
        QTest::newRow("dumb") << QStringList{} << "dumb" << true << false;
        QTest::newRow("quiet") << QStringList{"-q"} << "xterm" << false << false;
    }

    void progressOnATerminal()
    {
        QFETCH(QStringList, extra);
        QFETCH(QString, term);
        QFETCH(bool, shown);
        QFETCH(bool, escapes);
        TestPty terminal;
        QProcess process;
        process.setStandardErrorFile(terminal.slavePath());
        h().start(process, QStringList{"faults"} + extra, {"TERM=" + term});
        const CliRun run = CliHarness::finish(process);
        QCOMPARE(run.exitCode, 0);
        const QByteArray seen = terminal.receive(shown ? 5000 : 0);
        QCOMPARE(seen.contains("reading fault records"), shown);
        QCOMPARE(seen.contains('\033'), escapes);
    }

    // bash completes the commands and options vardo-cli's help lists.
    void bashCompletion()
    {
        QProcess bash;
        QProcessEnvironment env = h().environment();
        env.insert("PATH", QFileInfo(QStringLiteral(VARDO_CLI_EXE)).path() + ':' + env.value("PATH"));
        bash.setProcessEnvironment(env);
        bash.start(QStringLiteral("bash"),
                   {"-c", "source \"$0\"; for line in 'params w' 'faults ' 'params write --pa'; do "
                          "read -r -a COMP_WORDS <<< \"vardo-cli $line\"; [[ $line == *' ' ]] && COMP_WORDS+=(''); "
                          "COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _vardo_cli; echo \"${COMPREPLY[*]}\"; done",
                    QStringLiteral(VARDO_SOURCE_DIR "/packaging/vardo-cli.bash-completion")});
        const CliRun run = CliHarness::finish(bash);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(lines(run.out), (QList<QByteArray>{"write", "clear", "--partial"}));
    }

    void faultsListEveryRecordWithItsDescription()
    {
        const QList<ElevatorModel::FaultRecord> held =
            sim().withElevator([](ElevatorModel& e) { return e.faultRecords(); });
        QVERIFY(!held.isEmpty());
        const CliRun run = cli({"faults", "--csv", "-"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QList<QByteArray> rows = lines(run.out);
        QCOMPARE(rows.size(), 1 + held.size());
        QCOMPARE(rows[0], QByteArray("number,code,floor,time,description"));
        const QList<QByteArray> first = rows[1].split(',');
        QCOMPARE(first.value(1).toInt(), held[0].code);
        QCOMPARE(first.value(3), held[0].time.toString("yyyy-MM-ddThh:mm").toUtf8());
        const QString description = faultText(FaultLayout::Long, held[0].code).value();
        const QString field = description.contains(QLatin1Char(',')) ? '"' + description + '"' : description;
        QVERIFY(rows[1].endsWith((',' + field).toUtf8()));
    }

    // The short records' time has no year: ISO 8601's --MM-DD form.
    void shortFaultTimesAreIso()
    {
        SimOptions legacy;
        legacy.model = SimModel::Legacy;
        restart(legacy);
        const QList<ElevatorModel::FaultRecord> held =
            sim().withElevator([](ElevatorModel& e) { return e.faultRecords(); });
        const CliRun run = cli({"faults", "--json"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QJsonObject first = QJsonDocument::fromJson(run.out).array().first().toObject();
        QCOMPARE(first.value("time").toString(), held[0].time.toString("--MM-ddThh:mm"));
        QCOMPARE(first.value("floor").type(), QJsonValue::Null);
    }

    void infoAsJson()
    {
        sim().withElevator([](ElevatorModel& e) { e.setElevatorId("A/B C"); });
        const CliRun run = cli({"info", "--json"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QJsonObject info = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(info.value("layout").toInt(), 173);
        QCOMPARE(info.value("parameters").toInt(), 173);
        QCOMPARE(info.value("model").toString(), QStringLiteral("VARDO M173"));
        QCOMPARE(info.value("id").toString(), QStringLiteral("A/B C"));
        QCOMPARE(info.value("id_file_name").toString(), QStringLiteral("A_B_C"));
        QVERIFY(QDateTime::fromString(info.value("clock").toString(), Qt::ISODate).isValid());
    }

    // A result that cannot get out is a failure of every command, and
    // trouble (2) for params diff, not "different".
    void fullStandardOutputFails_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("info") << QStringList{"info"} << 1;
        QTest::newRow("params show") << QStringList{"params", "show", "a.F"} << 1;
        QTest::newRow("params diff") << QStringList{"params", "diff", "a.F", "b.F"} << 2;
    }

    void fullStandardOutputFails()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        h().writeFile("a.F", CliHarness::recordFile(173, [](int i) { return i; }));
        h().writeFile("b.F", CliHarness::recordFile(173, [](int i) { return i + 1; }));
        for (QString& a : arguments) {
            if (a.endsWith(QLatin1String(".F")))
                a = file(a);
        }
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        h().start(process, arguments);
        const CliRun run = CliHarness::finish(process);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains("cannot write to the standard output"), run.err.constData());
    }

    // A FIFO (a device alike) is written where it stands, not replaced by a
    // regular file (-o and --csv write alike).
    void outputIntoAFifo()
    {
        const QByteArray fifo = QFile::encodeName(file("list.fifo"));
        QCOMPARE(::mkfifo(fifo.constData(), 0600), 0);
        QProcess reader;
        reader.start(QStringLiteral("cat"), {QString::fromLocal8Bit(fifo)});
        QVERIFY(reader.waitForStarted());
        const CliRun run = cli({"params", "show", h().writeFile("held.F", h().heldFile()), "--csv",
                                QString::fromLocal8Bit(fifo)});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QVERIFY(reader.waitForFinished(10000));
        QCOMPARE(lines(reader.readAllStandardOutput()).size(), 1 + 173);
        struct stat info{};
        QCOMPARE(::stat(fifo.constData(), &info), 0);
        QVERIFY(S_ISFIFO(info.st_mode));
    }

    // A name in an 8-bit locale is read and written by its very bytes.
    void fileNamesThatAreNotUtf8()
    {
        h().writeFile("held.F", h().heldFile());
        QProcess process;
        process.setProcessEnvironment(h().environment());
        process.setWorkingDirectory(file(QString()));
        // "s-é.F" in ISO 8859-1: é is the single byte 0xE9.
        process.start(QStringLiteral("/bin/sh"),
                      {"-c", "cp held.F \"$(printf 's-\\351.F')\" && "
                             "exec \"$0\" params show \"$(printf 's-\\351.F')\" --csv \"$(printf 'c-\\351.csv')\"",
                       QStringLiteral(VARDO_CLI_EXE)});
        const CliRun run = CliHarness::finish(process);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QByteArray written = QFile::encodeName(file(QString())) + "/c-\xE9.csv";
        FILE* f = std::fopen(written.constData(), "rb");
        QVERIFY(f);
        QByteArray bytes(64 * 1024, '\0');
        bytes.resize(qsizetype(std::fread(bytes.data(), 1, size_t(bytes.size()), f)));
        std::fclose(f);
        QCOMPARE(lines(bytes).size(), 1 + 173);
    }

    // A line that says why the port did not open, and nothing else.
    void portFailuresSayWhy_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("no device") << QStringList{"info", "--port", "/dev/vardo-none"}
                                   << QByteArray("cannot open /dev/vardo-none: no such device");
        QTest::newRow("default port") << QStringList{"info"}
                                      << QByteArray("no link settings are stored, so the default COM1 was tried");
    }

    void portFailuresSayWhy()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, said);
        h().home().linkMissingPort(1);
        const CliRun run = cli(arguments);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(lines(run.err).size(), 1);
        QVERIFY2(run.err.contains(said), run.err.constData());
    }

    void busyPortSaysSo()
    {
        QProcess watch;
        h().start(watch, {"watch"});
        QVERIFY(watch.waitForReadyRead(10000));
        const CliRun run = cli({"info"});
        ::kill(pid_t(watch.processId()), SIGINT);
        QVERIFY(watch.waitForFinished(10000));
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("cannot open COM1") && run.err.contains("busy"), run.err.constData());
    }

    void badChecksumIsNotNoReply()
    {
        sim().corruptChecksum(true);
        const CliRun run = cli({"info"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(lines(run.err).size(), 1);
        QVERIFY2(run.err.contains("bad checksum from the controller"), run.err.constData());
    }

    // The device going away during a read is told as such, in one line.
    void lostDeviceMidRead()
    {
        QProcess process;
        h().start(process, {"params", "read"});
        QVERIFY(QTest::qWaitFor([this] { return h().sim().waitForRequest("A514", 0); }, 60000));
        h().stopSim();
        const CliRun run = CliHarness::finish(process);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(lines(run.err).size(), 1);
        QVERIFY2(run.err.contains("was lost mid-read"), run.err.constData());
        QVERIFY(!run.err.contains("WARNING"));
    }
};

QTEST_GUILESS_MAIN(CliTest)
#include "tst_cli.moc"
