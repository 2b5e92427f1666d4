// vardo-cli writing into a controller: the right controller, a file checked
// whole before the port opens, and an outcome per record.

#include "CliHarness.h"

#include <QtTest>

#include <algorithm>
#include <csignal>
#include <memory>

class CliWriteTest : public CliTestCase
{
    Q_OBJECT

private:
    // The controller's own values of indexes first to last as a file, with
    // changes; a part of a set keeps the tests that write it short.
    QString heldWith(const QString& name, const std::function<unsigned(int, unsigned)>& change, int first = 0,
                     int last = 172)
    {
        QList<ParamRecord> records;
        for (int i = first; i <= last; ++i)
            records.append({std::uint8_t(i), 0, std::uint16_t(change(i, h().held(i)))});
        return h().writeFile(name, encodeParamRecords(records));
    }

private Q_SLOTS:
    // Without a door rate of its own the door operator's commands run at the
    // elevator rate and reach the main controller: nothing is read or
    // written there. An elevator command at the door rate likewise.
    void onlyTheRightControllerIsTalkedTo_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("said");
        const QByteArray mainNotDoor("COM1 at 9600 baud answers as the main controller, not the door operator");
        QTest::newRow("door read") << QStringList{"params", "read", "--door", "-o", "read.F"} << mainNotDoor;
        QTest::newRow("door write") << QStringList{"params", "write", "--door", "door.F"} << mainNotDoor;
        QTest::newRow("door set") << QStringList{"params", "set", "--door", "4", "41"} << mainNotDoor;
        QTest::newRow("elevator at the door rate")
            << QStringList{"params", "write", "--baud", "38400", "held.F"}
            << QByteArray("COM1 at 38400 baud answers as the door operator, not the main controller");
    }

    void onlyTheRightControllerIsTalkedTo()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, said);
        h().home().writeSettings("1N81", "9600", nullptr, "E");
        h().writeFile("door.F", CliHarness::recordFile(79, [](int i) { return i == 0 ? 215 : 1; }));
        h().writeFile("held.F", h().heldFile());
        for (QString& a : arguments) {
            if (a.endsWith(QLatin1String(".F")))
                a = h().file(a);
        }
        const QByteArray before = h().heldFile();
        const CliRun run = cli(arguments);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(lines(run.err), QList<QByteArray>{"vardo-cli: " + said});
        QCOMPARE(h().parameterWrites(), 0);
        QVERIFY(!QFile::exists(h().file("read.F")));
        QCOMPARE(h().heldFile(), before);
    }

    // The whole file is checked before the port opens; the first bad
    // record is named and nothing is sent.
    void fileIsCheckedBeforeAnythingIsSent_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("said");
        const auto counting = [](int i) { return i; };
        QByteArray outside = CliHarness::recordFile(173, counting);
        outside[2 * 4] = char(190);  // record 3 names index 190
        QByteArray repeated = CliHarness::recordFile(173, counting);
        repeated[5 * 4] = char(4);
        QByteArray backwards = CliHarness::recordFile(173, counting);
        std::swap(backwards[7 * 4], backwards[8 * 4]);
        QTest::newRow("empty") << QByteArray() << QStringList{} << QByteArray("holds no parameter");
        QTest::newRow("fragment") << QByteArray("\x0c\x00\x2d", 3) << QStringList{} << QByteArray("4-byte records");
        QTest::newRow("index outside") << outside << QStringList{}
                                       << QByteArray("record 3 (index 190): the index lies outside");
        QTest::newRow("repeated index") << repeated << QStringList{}
                                        << QByteArray("record 6 (index 4): the index came before");
        QTest::newRow("out of order") << backwards << QStringList{}
                                      << QByteArray("record 9 (index 7): the index is lower");
        QTest::newRow("display code beyond a byte")
            << CliHarness::recordFile(173, [](int i) { return i == 70 ? 300 : 1; }) << QStringList{}
            << QByteArray("record 71 (index 70): the value 300 lies outside 0 to 255");
        QTest::newRow("lock-out switch beyond 1")
            << CliHarness::recordFile(173, [](int i) { return i == 161 ? 2 : 0; }) << QStringList{}
            << QByteArray("(index 161): the value 2 lies outside 0 to 1");
        QTest::newRow("truncated backup") << CliHarness::recordFile(100, counting) << QStringList{}
                                          << QByteArray("holds 100 records, a complete set of the 173-parameter "
                                                        "elevator layout has 173");
        QTest::newRow("part beyond the layout, --partial")
            << CliHarness::recordFile(174, [](int) { return 0; }).mid(100 * 4) << QStringList{"--partial"}
            << QByteArray("(index 173): the index lies outside");
        QTest::newRow("another layout")
            << CliHarness::recordFile(114, [](int) { return 1; }) << QStringList{}
            << QByteArray("fits the 114-parameter elevator layout, the controller on COM1 at 9600 baud uses the "
                          "173-parameter elevator layout: nothing was written\n");
        QTest::newRow("door file to the main controller")
            << CliHarness::recordFile(79, [](int) { return 1; }) << QStringList{}
            << QByteArray("fits the door operator's layout, the controller on COM1 at 9600 baud uses the "
                          "173-parameter elevator layout: nothing was written (--door writes it to the door "
                          "operator)\n");
    }

    void fileIsCheckedBeforeAnythingIsSent()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, said);
        const CliRun run = cli(QStringList{"params", "write", h().writeFile("bad.F", bytes)} + options);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(lines(run.err).size(), 1);
        QVERIFY2(run.err.contains(said), run.err.constData());
        QCOMPARE(h().parameterWrites(), 0);
    }

    // A part of a set goes in with --partial; --exclude leaves indexes out.
    void partialAndExcluded()
    {
        QList<ParamRecord> part{{12, 0, 310}, {20, 0, 61}, {30, 0, 7}, {33, 0, 12}};
        const QString path = h().writeFile("part.F", encodeParamRecords(part));
        const unsigned held30 = h().held(30);
        const CliRun run = cli({"params", "write", path, "--partial", "--exclude", "25-31,40"});
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(run.err, QByteArray("3 of 3 parameters written and confirmed\n"));
        QCOMPARE(h().held(12), 310u);
        QCOMPARE(h().held(33), 12u);
        QCOMPARE(h().held(30), held30);
        QCOMPARE(h().parameterWrites(), 3);
    }

    // A backup of another elevator takes its identity only with --force.
    void anotherElevatorsIdentityNeedsForce()
    {
        const QString path = heldWith("held.F", [](int, unsigned v) { return v; }, 130, 155);
        sim().withElevator([](ElevatorModel& e) { e.setElevatorId("NEWBOARD"); });

        const CliRun refused = cli({"params", "write", path, "--partial"});
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(lines(refused.err).size(), 1);
        QVERIFY2(refused.err.contains("elevator ID \"VD2019A07\" where the controller has \"NEWBOARD\""),
                 refused.err.constData());
        QCOMPARE(h().parameterWrites(), 0);

        const CliRun excluded = cli({"params", "write", path, "--partial", "--exclude", "140-151"});
        QVERIFY2(excluded.exitCode == 0, excluded.err.constData());
        QCOMPARE(sim().withElevator([](ElevatorModel& e) { return e.elevatorId(); }), QByteArray("NEWBOARD"));

        const CliRun forced = cli({"params", "write", path, "--partial", "--force"});
        QVERIFY2(forced.exitCode == 0, forced.err.constData());
        QVERIFY(forced.err.contains("another elevator's identity"));
        QCOMPARE(sim().withElevator([](ElevatorModel& e) { return e.elevatorId(); }), QByteArray("VD2019A07"));
    }

    // Each record is confirmed, refused or unconfirmed; a lost
    // confirmation is tried again, and a record the controller took but
    // whose confirmation never came is "unconfirmed", not "not written".
    void outcomePerRecord_data()
    {
        QTest::addColumn<int>("dropParameter");  // every reply to its write is lost
        QTest::addColumn<int>("dropEvery");      // every k-th write reply is lost
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("lost now and then, tried again") << -1 << 3 << QStringList{} << 0
                                                        << QByteArray("20 of 20 parameters written and confirmed");
        QTest::newRow("lost always") << 37 << 1 << QStringList{} << 1
                                     << QByteArray("19 of 20 parameters written and confirmed, 1 unconfirmed: "
                                                   "written or not, the confirmation was lost (index 37)");
        QTest::newRow("not tried again") << -1 << 3 << QStringList{"--retries", "0", "--fast"} << 1
                                         << QByteArray("unconfirmed");
    }

    void outcomePerRecord()
    {
        QFETCH(int, dropParameter);
        QFETCH(int, dropEvery);
        QFETCH(QStringList, options);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, said);
        // Index 11, the floor count, is refused above 48 by the controller.
        const QString path = heldWith("new.F", [](int i, unsigned v) { return i == 37 ? 1234 : v; }, 30, 49);
        sim().restrictFaultsTo("F5");
        sim().restrictFaultsToParameter(dropParameter);
        sim().dropEveryReply(dropEvery);
        const CliRun run = cli(QStringList{"params", "write", path, "--fast", "--partial"} + options);
        QCOMPARE(run.exitCode, exitCode);
        QVERIFY2(run.err.contains(said), run.err.constData());
        QCOMPARE(h().held(37), 1234u);
    }

    void refusedRecordIsCounted()
    {
        const QString path = heldWith("refused.F", [](int i, unsigned v) { return i == 11 ? 60 : v; }, 5, 15);
        const CliRun run = cli({"params", "write", path, "--partial"});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("10 of 11 parameters written and confirmed, 1 refused (index 11)"),
                 run.err.constData());
    }

    // Interrupted (Ctrl+C, SIGTERM), a write ends after the record under
    // way and says what the controller now holds; a read writes nothing.
    void interrupted_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("signal");
        QTest::addColumn<QByteArray>("said");
        // Sent when five requests of its kind have gone out.
        QTest::newRow("write") << QStringList{"params", "write", "new.F"} << int(SIGTERM)
                               << QByteArray("of 173 records: the controller now holds a mix of old and new values");
        QTest::newRow("read") << QStringList{"params", "read", "-o", "read.F"} << int(SIGINT)
                              << QByteArray("of 173 parameters: nothing was written");
    }

    void interrupted()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, signal);
        QFETCH(QByteArray, said);
        heldWith("new.F", [](int, unsigned v) { return v; });
        for (QString& a : arguments) {
            if (a.endsWith(QLatin1String(".F")))
                a = h().file(a);
        }
        QProcess process;
        h().start(process, arguments);
        const QByteArray kind = arguments[1] == "write" ? "F5" : "A5";
        const auto sentOfKind = [&] {
            const QList<QByteArray> sent = sim().requests();
            return std::count_if(sent.cbegin(), sent.cend(), [&](const QByteArray& f) { return f.mid(3, 2) == kind; });
        };
        QVERIFY(QTest::qWaitFor([&] { return sentOfKind() >= 5; }, 30000));
        ::kill(pid_t(process.processId()), signal);
        const CliRun run = CliHarness::finish(process);
        QVERIFY(run.normalExit);
        QCOMPARE(run.exitCode, 130);
        QVERIFY2(run.err.contains("interrupted after") && run.err.contains(said), run.err.constData());
        QVERIFY(sentOfKind() < 100);
        QVERIFY(!QFile::exists(h().file("read.F")));
    }

    // The clock is read back: a date the controller does not take fails.
    void clockIsReadBack_data()
    {
        QTest::addColumn<QStringList>("time");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("taken") << QStringList{"24-02-29", "23:59:50"} << 0;
        QTest::newRow("no such date") << QStringList{"26-02-31 11:11:11"} << 1;
    }

    void clockIsReadBack()
    {
        QFETCH(QStringList, time);
        QFETCH(int, exitCode);
        const CliRun run = cli(QStringList{"clock", "set"} + time);
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode == 0) {
            QCOMPARE(run.out, QByteArray("24-02-29 23:59:50\n"));
            QCOMPARE(sim().withElevator([](ElevatorModel& e) { return e.clock().date(); }), QDate(2024, 2, 29));
        } else {
            QVERIFY2(run.err.contains("the controller did not take the clock"), run.err.constData());
        }
    }

    // Written values land in the controller; --verify lists the one the
    // controller acknowledged but did not take, and fails.
    void verifyCatchesAnIgnoredValue()
    {
        const unsigned old20 = h().held(20);
        sim().ignoreWritesTo(20);
        const QString path =
            heldWith("part.F", [](int i, unsigned v) { return i == 12 ? 301 : i == 20 ? v + 1 : v; }, 10, 30);
        const CliRun run = cli({"params", "write", path, "--verify", "--partial"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QStringLiteral("20\t%1\t%2\n").arg(old20 + 1).arg(old20).toUtf8());
        QCOMPARE(lines(run.err).size(), 1);
        QCOMPARE(h().held(12), 301u);
        QCOMPARE(h().held(20), old20);
    }
};

QTEST_GUILESS_MAIN(CliWriteTest)
#include "tst_cli_write.moc"
