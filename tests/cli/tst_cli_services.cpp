// vardo-cli's services beyond the parameter files, and the guide's fleet
// script: the real executable against the simulated controller.

#include "CliHarness.h"
#include "Recording.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QtTest>

#include <csignal>
#include <functional>
#include <memory>

class CliServicesTest : public CliTestCase
{
    Q_OBJECT

private Q_SLOTS:
    // One value through the range check, the write and the read-back.
    void setOneParameter_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("elevator") << QStringList{"params", "set", "12", "333"} << 0
                                  << QByteArray("parameter index 12 (F13) set to 333\n");
        QTest::newRow("quiet") << QStringList{"params", "set", "12", "333", "-q"} << 0 << QByteArray();
        QTest::newRow("door operator") << QStringList{"params", "set", "--door", "4", "41"} << 0
                                       << QByteArray("parameter index 4 (F4) set to 41\n");
        QTest::newRow("display code beyond a byte") << QStringList{"params", "set", "70", "300"} << 1
                                                    << QByteArray("the value 300 lies outside 0 to 255");
        QTest::newRow("door torque beyond 300") << QStringList{"params", "set", "--door", "8", "400"} << 1
                                                << QByteArray("the value 400 lies outside 0 to 300");
        QTest::newRow("telephone") << QStringList{"params", "set", "145", "1"} << 1
                                   << QByteArray("set it with phone set");
        QTest::newRow("refused by the controller") << QStringList{"params", "set", "11", "60"} << 1
                                                   << QByteArray("the controller refused 60");
    }

    void setOneParameter()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, said);
        const CliRun run = cli(arguments);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY(run.out.isEmpty());
        if (exitCode == 0) {
            QCOMPARE(run.err, said);
            const bool door = arguments.contains("--door");
            const unsigned held = door ? sim().withDoor([](DoorModel& d) { return d.parameter(4); }) : h().held(12);
            QCOMPARE(held, door ? 41u : 333u);
        } else {
            QVERIFY2(run.err.contains(said), run.err.constData());
        }
    }

    // The commands that move the car or destroy data run with --yes.
    void dangerousCommandsWithYes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<std::function<bool(SimController&)>>("done");
        QTest::newRow("params reset") << QStringList{"params", "reset", "--yes"}
                                      << std::function<bool(SimController&)>([](SimController& s) {
                                             return s.withElevator([](ElevatorModel& e) { return e.parameter(12); }) == 300;
                                         });
        QTest::newRow("faults clear") << QStringList{"faults", "clear", "--yes"}
                                      << std::function<bool(SimController&)>([](SimController& s) {
                                             return s.withElevator([](ElevatorModel& e) { return e.faultRecords().isEmpty(); });
                                         });
        QTest::newRow("counter reset") << QStringList{"counter", "reset", "--yes"}
                                       << std::function<bool(SimController&)>([](SimController& s) {
                                              return s.withElevator([](ElevatorModel& e) { return e.runCounter(); }) == 0;
                                          });
        QTest::newRow("learn start") << QStringList{"learn", "start", "--yes"}
                                     << std::function<bool(SimController&)>([](SimController& s) {
                                            return s.withElevator([](ElevatorModel& e) { return e.learning(); });
                                        });
    }

    void dangerousCommandsWithYes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(std::function<bool(SimController&)>, done);
        sim().setResetDelay(100);
        sim().withElevator([](ElevatorModel& e) { e.setParameter(12, 444); });
        QVERIFY(!done(sim()));
        const CliRun run = cli(arguments);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(lines(run.err).size(), 1);
        QVERIFY(done(sim()));
    }

    void identityIsSetAndReadBack_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("id") << QStringList{"id", "set", "NEW-01"} << QByteArray("elevator ID set to \"NEW-01\"\n");
        QTest::newRow("phone") << QStringList{"phone", "set", "0755123"}
                               << QByteArray("telephone number set to \"0755123\"\n");
    }

    void identityIsSetAndReadBack()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, said);
        const CliRun run = cli(arguments);
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(run.err, said);
        const QByteArray held = sim().withElevator([&arguments](ElevatorModel& e) {
            return arguments[0] == "id" ? e.elevatorId() : e.telephone();
        });
        QCOMPARE(held, arguments[2].toUtf8());
    }

    void shaftReadListsFloorsAndSwitches()
    {
        const CliRun run = cli({"shaft", "read", "--json"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        const QJsonArray rows = QJsonDocument::fromJson(run.out).array();
        const int floors = sim().withElevator([](ElevatorModel& e) { return e.floorCount(); });
        QCOMPARE(rows.size(), floors + 5);
        for (const int entry : {1, floors, 49, 53}) {
            const int row = entry <= floors ? entry - 1 : floors + entry - 49;
            QCOMPARE(rows[row].toObject().value("entry").toInt(), entry);
            QCOMPARE(rows[row].toObject().value("value").toInteger(),
                     sim().withElevator([entry](ElevatorModel& e) { return e.shaftValue(entry); }));
        }
    }

    // A fault report is acknowledged as the window does and printed with
    // its time on stdout, as JSON Lines with --json.
    void watchAcknowledgesFaults()
    {
        QProcess watch;
        h().start(watch, {"watch", "--json"});
        QVERIFY(watch.waitForReadyRead(10000));
        sim().clearRequests();
        sim().injectFault(26);
        QVERIFY(QTest::qWaitFor([this] { return sim().waitForRequest("F6", 0); }, 10000));
        ::kill(pid_t(watch.processId()), SIGINT);
        const CliRun run = CliHarness::finish(watch);
        QCOMPARE(run.exitCode, 0);
        int faults = 0;
        for (const QByteArray& line : lines(run.out)) {
            const QJsonObject object = QJsonDocument::fromJson(line).object();
            QVERIFY2(QDateTime::fromString(object.value("time").toString(), Qt::ISODate).isValid(), line.constData());
            if (object.value("type").toString() == "fault") {
                QCOMPARE(object.value("code").toInt(), 26);
                ++faults;
            }
        }
        QCOMPARE(faults, 1);
    }

    // A recording of the simulated controller with a fault in it, then
    // exported for logic-analyzer viewers and spreadsheets.
    void recordsAndExports()
    {
        const QString rec = file(QStringLiteral("run.rec"));
        QProcess process;
        h().start(process, {"record", "--duration", "4s", "-o", rec});
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

        const CliRun vcd = cli({"record", "export", rec, "--vcd"});
        QVERIFY2(vcd.exitCode == 0, vcd.err.constData());
        const QByteArray dump = CliHarness::readFile(file(QStringLiteral("run.vcd")));
        QVERIFY(dump.startsWith("$date "));
        QVERIFY(dump.contains(" safety_circuit $end") && dump.contains(" Y31 $end") && dump.contains("b100000 "));
        const CliRun csv = cli({"record", "export", rec, "--csv", file(QStringLiteral("t.csv")), "--bom"});
        QVERIFY2(csv.exitCode == 0, csv.err.constData());
        QVERIFY(CliHarness::readFile(file(QStringLiteral("t.csv"))).startsWith("\xEF\xBB\xBFtime,floor,speed_m_s,"));

        QCOMPARE(cli({"record", "export", rec}).exitCode, 2);
        QCOMPARE(cli({"record", "--duration", "1s"}).exitCode, 2);
        const CliRun missing = cli({"record", "export", file(QStringLiteral("none.rec")), "--vcd"});
        QCOMPARE(missing.exitCode, 1);
        QVERIFY(missing.err.contains("cannot open"));
    }

    // The guide's fleet script backs up every port of a list, named by
    // elevator ID and date, and sums up in JSON.
    void fleetBackupScript()
    {
        SimController second;
        second.linkAs(2);
        second.withElevator([](ElevatorModel& e) { e.setElevatorId("VD/2020"); });
        const QString ports = h().writeFile("ports.txt", "COM1\n# spare\n\nCOM2\nCOM3\n");
        h().home().linkMissingPort(3);
        QProcess script;
        script.setProcessEnvironment(h().environment({QStringLiteral("VARDO_CLI=") + QStringLiteral(VARDO_CLI_EXE)}));
        script.start(QStringLiteral("/bin/sh"), {QStringLiteral(VARDO_SOURCE_DIR "/docs/fleet-backup.sh"), ports,
                                                 h().file(QString())});
        const CliRun run = CliHarness::finish(script);
        QCOMPARE(run.exitCode, 1);  // COM3 failed
        const QString date = QDate::currentDate().toString(Qt::ISODate);
        QCOMPARE(CliHarness::readFile(h().file("VD2019A07-" + date + ".F")), h().heldFile());
        QCOMPARE(CliHarness::readFile(h().file("VD_2020-" + date + ".F")).size(), 692);
        const QJsonObject summary = QJsonDocument::fromJson(run.out).object();
        const QJsonArray backups = summary.value("backups").toArray();
        QCOMPARE(backups.size(), 3);
        QCOMPARE(backups[1].toObject().value("id").toString(), QStringLiteral("VD/2020"));
        QCOMPARE(backups[1].toObject().value("ok").toBool(), true);
        QCOMPARE(backups[2].toObject().value("ok").toBool(), false);
        QVERIFY(!backups[2].toObject().value("error").toString().isEmpty());
    }
};

QTEST_GUILESS_MAIN(CliServicesTest)
#include "tst_cli_services.moc"
