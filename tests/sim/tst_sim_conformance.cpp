// Every request of the catalogue against the simulated controllers, through
// the real serial channel: the reply layout the pages read, within the byte
// counts they ask for; and the requests a controller must ignore.

#include "Exchange.h"
#include "FrameBuffer.h"
#include "HexCodec.h"
#include "LinkWait.h"
#include "Requests.h"
#include "SerialChannel.h"
#include "SimTestSupport.h"

#include <QRegularExpression>
#include <QtTest>

namespace {

enum Req {
    StatusPoll, ProbeRecord, LongRecord3, ShortRecord10, ElevatorId, CallPoll, IoPoll, Param11, Param65, Param66,
    Param172, Shaft1, Shaft49, Telephone, SpeedPoll, ClockRead, RunCounter, ProgramName, Lockout3, SetTelephone,
    StartLearning, WriteParam, WriteParamChars, SetClock, WriteLockout, IcCard, ClearFaults, DoorRead0, DoorRead78,
    DoorWrite, DoorWriteRefused, WriteRefused,
};

void build(Req r)
{
    switch (r) {
    case StatusPoll: request::statusPoll(); break;
    case ProbeRecord: request::readFaultRecord(0); break;
    case LongRecord3: request::readFaultRecord(1); break;
    case ShortRecord10: request::readShortFaultRecord(1); break;
    case ElevatorId: request::readElevatorId(); break;
    case CallPoll: request::callPoll(); break;
    case IoPoll: request::ioPoll(); break;
    case Param11: request::readParameter(11); break;
    case Param65: request::readParameter(65); break;
    case Param66: request::readParameter(66); break;
    case Param172: request::readParameter(172); break;
    case Shaft1: request::readShaftValue(1); break;
    case Shaft49: request::readShaftValue(49); break;
    case Telephone: request::readTelephone(); break;
    case SpeedPoll: request::speedPoll(); break;
    case ClockRead: request::readClock(); break;
    case RunCounter: request::readRunCounter(); break;
    case ProgramName: request::readProgramName(); break;
    case Lockout3: request::readLockoutPeriod(3); break;
    case SetTelephone: request::setTelephone("075581234567\r"); break;
    case StartLearning: request::startShaftLearning(); break;
    case WriteParam: request::writeParameter(14, 7); break;
    case WriteParamChars: request::writeParameterChars(25, "0180"); break;
    case SetClock: request::setClock("261231235958"); break;
    case WriteLockout: request::writeLockoutPeriod("03071E1205"); break;
    case IcCard: request::setIcCard(300, 'F'); break;
    case ClearFaults: request::clearFaultRecords(); break;
    case DoorRead0: request::readParameter(0); break;
    case DoorRead78: request::readParameter(78); break;
    case DoorWrite: request::writeParameter(11, 750); break;
    case DoorWriteRefused: request::writeParameter(8, 301); break;
    case WriteRefused: request::writeParameter(11, 49); break;
    }
}

SimOptions optionsFor(const QString& model)
{
    SimOptions o;
    o.model = model == QLatin1String("legacy") ? SimModel::Legacy : SimModel::Modern;
    o.manualTime = true;
    return o;
}

const QString H2 = QStringLiteral("[0-9A-F]{2}");

} // namespace

class SimConformanceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Reply layout of every request: the whole text matches the fields the
    // page reads, fits the byte count it asks for, and (where the page
    // checks it) passes the frame check.
    void replyLayout_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("request");
        QTest::addColumn<int>("wanted");
        QTest::addColumn<QString>("pattern");

        const auto row = [](const char* name, const char* model, Req r, int wanted, const QString& pattern) {
            QTest::newRow(name) << QString::fromLatin1(model) << int(r) << wanted << pattern;
        };
        for (const char* model : {"modern", "legacy"}) {
            const QByteArray m(model);
            const auto name = [&m](const char* what) { return QByteArray(m + ": " + what); };
            row(name("A0 status").constData(), model, StatusPoll, 80, "^\\x02FFA0(" + H2 + "){3}" + H2 + "\\x03$");
            row(name("A3 calls").constData(), model, CallPoll, 80, "^\\x02FFA3(" + H2 + "){18}" + H2 + "\\x03$");
            row(name("A4 inputs and outputs").constData(), model, IoPoll, 80,
                "^\\x02FFA4(" + H2 + "){8}\\x04(" + H2 + "){4}" + H2 + "\\x03$");
            row(name("A8 speed").constData(), model, SpeedPoll, 80, "^\\x02FFA8[0-9A-F]{4}" + H2 + "\\x03$");
            row(name("A2 elevator ID").constData(), model, ElevatorId, 19, "^\\x02FFA2[!-~]{9}\\r" + H2 + "\\x03$");
            row(name("A7 telephone").constData(), model, Telephone, 30, "^\\x02FFA7[0-9]{11}" + H2 + "\\x03$");
            row(name("A9 clock").constData(), model, ClockRead, 30, "^\\x02FFA9[0-9]{12}" + H2 + "\\x03$");
            row(name("AA run counter").constData(), model, RunCounter, 17, "^\\x02FFAA[0-9A-F]{4}" + H2 + "\\x03$");
            row(name("AB program name").constData(), model, ProgramName, 25, "^\\x02FFAB[ -~]{16}" + H2 + "\\x03$");
            row(name("A5 floor count").constData(), model, Param11, 20,
                QString("^\\x02FFA50C") + (m == "modern" ? "0C" : "08") + "00E" + H2 + "\\x03$");
            row(name("A6 floor 1").constData(), model, Shaft1, 80, "^\\x02FFA601E8030000" + H2 + "\\x03$");
            row(name("A6 switch 49").constData(), model, Shaft49, 80, "^\\x02FFA631E0010000" + H2 + "\\x03$");
            row(name("AC lock-out floor 3").constData(), model, Lockout3, 20, "^\\x02FFAC0300000000" + H2 + "\\x03$");
            row(name("F2 telephone").constData(), model, SetTelephone, 30, "^\\x02FFF2F" + H2 + "\\x03$");
            row(name("F4 learning").constData(), model, StartLearning, 20, "^\\x02FFF4F" + H2 + "\\x03$");
            row(name("F5 write").constData(), model, WriteParam, 20, "^\\x02FFF5FFF" + H2 + "\\x03$");
            row(name("F5 four characters").constData(), model, WriteParamChars, 20, "^\\x02FFF5FFF" + H2 + "\\x03$");
            row(name("F5 refused").constData(), model, WriteRefused, 20, "^\\x02FFF5000" + H2 + "\\x03$");
            row(name("F9 clock").constData(), model, SetClock, 30, "^\\x02FFF9F" + H2 + "\\x03$");
            row(name("FC lock-out").constData(), model, WriteLockout, 20, "^\\x02FFFCF" + H2 + "\\x03$");
            row(name("FD IC card").constData(), model, IcCard, 20, "^\\x02FFFDF" + H2 + "\\x03$");
            row(name("FR2 clear faults").constData(), model, ClearFaults, 20, "^\\x02FFFR2F" + H2 + "\\x03$");
        }
        // Records: the probe's length tells the layouts apart (24 / 19).
        row("modern: A1 probe, long record", "modern", ProbeRecord, 80,
            "^\\x02FFA100" + H2 + H2 + "[0-9]{10}" + H2 + "\\x03$");
        row("modern: A1 record 1", "modern", LongRecord3, 80, "^\\x02FFA1011A01[0-9]{10}" + H2 + "\\x03$");
        row("legacy: A1 probe, short record", "legacy", ProbeRecord, 80,
            "^\\x02FFA10" + H2 + "[0-9]{8}" + H2 + "\\x03$");
        row("legacy: A1 one digit", "legacy", ShortRecord10, 80, "^\\x02FFA1120[0-9]{8}" + H2 + "\\x03$");
        // Layout-specific parameters: one-byte display codes, the last index.
        row("modern: A5 display code of floor 1", "modern", Param65, 20, "^\\x02FFA5420100E" + H2 + "\\x03$");
        row("legacy: A5 display code of floor 1", "legacy", Param66, 20, "^\\x02FFA5430100E" + H2 + "\\x03$");
        row("modern: A5 last index", "modern", Param172, 20, "^\\x02FFA5AD0000E" + H2 + "\\x03$");
    }

    void replyLayout()
    {
        QFETCH(QString, model);
        QFETCH(int, request);
        QFETCH(int, wanted);
        QFETCH(QString, pattern);
        SimLine line(optionsFor(model));
        build(Req(request));
        const QByteArray reply = line.exchange(wanted);
        QVERIFY2(QRegularExpression(pattern).match(QString::fromLatin1(reply)).hasMatch(), reply.constData());
        QVERIFY(reply.size() <= wanted);
        QVERIFY2(rxFrame.checkReply(), "the reply's checksum is the uppercase sum of its characters");
    }

    // Write-only requests get no reply, so that nothing stray reaches the
    // reply the tool reads next.
    void writeOnlyRequestsAreNotAnswered_data()
    {
        QTest::addColumn<QString>("model");
        QTest::addColumn<QByteArray>("payload");
        for (const char* model : {"modern", "legacy"}) {
            QTest::newRow(QByteArray(model) + " F1") << QString::fromLatin1(model) << QByteArray("F1LIFT4\r");
            QTest::newRow(QByteArray(model) + " F3") << QString::fromLatin1(model) << QByteArray("F3105");
            QTest::newRow(QByteArray(model) + " F6") << QString::fromLatin1(model) << QByteArray("F6");
            QTest::newRow(QByteArray(model) + " FR1") << QString::fromLatin1(model) << QByteArray("FR1");
        }
    }

    void writeOnlyRequestsAreNotAnswered()
    {
        QFETCH(QString, model);
        QFETCH(QByteArray, payload);
        SimLine line(optionsFor(model));
        const QByteArray frame = line.sim().requestFrame(payload);
        serialChannel.write(frame.constData(), int(frame.size()));
        QVERIFY(line.sim().waitForRequest(payload, 2000));
        linkSleep(60);
        QCOMPARE(line.sim().answeredCount(), 0);
        // The controller took the request all the same.
        request::readRunCounter();
        QVERIFY(line.exchange(17).startsWith("\x02" "FFAA"));
    }

    // The door operator on its own rate: 'A' '5' at least 12 characters and
    // valid, 'F' '5' acknowledged at index 5 and 7, 'F' 'R' '3' at index 6.
    void doorOperator_data()
    {
        QTest::addColumn<int>("request");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("A5 version") << int(DoorRead0) << QString("^\\x02FFA500D700E" + H2 + "\\x03$");
        QTest::newRow("A5 last") << int(DoorRead78) << QString("^\\x02FFA54E0000E" + H2 + "\\x03$");
        QTest::newRow("F5 write") << int(DoorWrite) << QString("^\\x02FFF5FFF" + H2 + "\\x03$");
        QTest::newRow("F5 refused") << int(DoorWriteRefused) << QString("^\\x02FFF5000" + H2 + "\\x03$");
    }

    void doorOperator()
    {
        QFETCH(int, request);
        QFETCH(QString, pattern);
        SimLine line(optionsFor("modern"), 38400);
        build(Req(request));
        const QByteArray reply = line.exchange(20);
        QVERIFY2(QRegularExpression(pattern).match(QString::fromLatin1(reply)).hasMatch(), reply.constData());
        if (replyIs('A', '5'))
            QVERIFY(reply.size() >= 12);
        QVERIFY(rxFrame.checkReply());
    }

    // The reset is acknowledged after its delay, within the pages' 5 s wait,
    // by whichever controller the line reaches.
    void parameterReset_data()
    {
        QTest::addColumn<int>("baud");
        QTest::newRow("main controller") << 9600;
        QTest::newRow("door operator") << 38400;
    }

    void parameterReset()
    {
        QFETCH(int, baud);
        SimLine line(optionsFor("modern"), baud);
        line.sim().setResetDelay(300);
        line.sim().withElevator([](ElevatorModel& e) { e.setParameter(14, 9); });
        line.sim().withDoor([](DoorModel& d) { d.setParameter(11, 700); });
        request::resetParameters();
        const QByteArray reply = line.exchange(40, 400);
        QVERIFY2(QRegularExpression("^\\x02FFFR3F" + H2 + "\\x03$").match(QString::fromLatin1(reply)).hasMatch(),
                 reply.constData());
        if (baud == 9600)
            QCOMPARE(line.sim().withElevator([](ElevatorModel& e) { return e.parameter(14); }), 5u);
        else
            QCOMPARE(line.sim().withDoor([](DoorModel& d) { return d.parameter(11); }), 800u);
    }

    // Requests a controller must ignore: nothing is answered, nothing changes.
    void ignoredRequests_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("stopBits");
        const QByteArray good = "\x02" "FFA50BEB9\x03";
        QTest::newRow("correct (control row)") << good << 9600 << 1;
        QTest::newRow("bad checksum") << QByteArray("\x02" "FFA50BEB8\x03") << 9600 << 1;
        QTest::newRow("lowercase is still the right sum") << QByteArray("\x02" "FFA50BEb9\x03") << 9600 << 1;
        QTest::newRow("wrong special code") << QByteArray("\x02" "FFA50BNC2\x03") << 9600 << 1;
        QTest::newRow("other address") << QByteArray("\x02" "01A50BE" "E7" "\x03") << 9600 << 1;
        QTest::newRow("too short") << QByteArray("\x02" "FFA5\x03") << 9600 << 1;
        QTest::newRow("elevator request at 19200") << good << 19200 << 1;
        QTest::newRow("elevator request with 2 stop bits") << good << 9600 << 2;
        QTest::newRow("elevator-only request at the door rate") << QByteArray("\x02" "FFA9E4B\x03") << 38400 << 1;
    }

    void ignoredRequests()
    {
        QFETCH(QByteArray, frame);
        QFETCH(int, baud);
        QFETCH(int, stopBits);
        SimLine line(optionsFor("modern"), baud, stopBits);
        QCOMPARE(line.sim().lineBaud(), baud);
        QCOMPARE(line.sim().lineStopBits(), stopBits);
        serialChannel.write(frame.constData(), int(frame.size()));
        QTRY_COMPARE_WITH_TIMEOUT(line.sim().requests().size(), 1, 2000);
        QCOMPARE(line.sim().requests().first(), frame);
        linkSleep(60);
        const bool control = QByteArray(QTest::currentDataTag()).startsWith("correct") ||
                             QByteArray(QTest::currentDataTag()).startsWith("lowercase");
        QCOMPARE(line.sim().answeredCount(), control ? 1 : 0);
    }

    // The tool switches rates as the pages change: each controller answers
    // at its own rate only, and the line keeps serving across re-opens.
    void rateSwitching()
    {
        SimLine line(optionsFor("modern"));
        request::readParameter(0);
        QCOMPARE(line.exchange(20).mid(5, 6), QByteArray("01BC02"));  // main controller: F1 = 700
        QVERIFY(line.reopen(38400));
        QCOMPARE(line.sim().lineBaud(), 38400);
        request::readParameter(0);
        QCOMPARE(line.exchange(20).mid(5, 6), QByteArray("00D700"));  // door operator: F0 = 215
        QVERIFY(line.reopen(9600));
        request::readParameter(0);
        QCOMPARE(line.exchange(20).mid(5, 6), QByteArray("01BC02"));
    }

    // The special code is the controller's setting: with 'L' configured,
    // frames carrying 'E' go unanswered.
    void configuredSpecialCode()
    {
        SimOptions o = optionsFor("modern");
        o.specialCode = 'L';
        SimLine line(o);
        specialCode = 'E';
        request::readRunCounter();
        serialChannel.write(txFrame.text(), txFrame.length());
        QVERIFY(line.sim().waitForRequest("AA", 2000));
        linkSleep(60);
        QCOMPARE(line.sim().answeredCount(), 0);
        specialCode = 'L';
        request::readParameter(11);
        const QByteArray reply = line.exchange(20);
        QCOMPARE(reply.mid(0, 12), QByteArray("\x02" "FFA50C0C00L"));
        QVERIFY(rxFrame.checkReply());
    }
};

QTEST_GUILESS_MAIN(SimConformanceTest)
#include "tst_sim_conformance.moc"
