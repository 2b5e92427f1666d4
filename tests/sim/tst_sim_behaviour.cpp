// The simulated elevator as the tool sees it: calls served by a car that
// stops level and cycles its doors, modes, faults with their records and
// unsolicited reports, the learning run, identity and parameters, the
// faults of the line, the state file, and vardo-sim itself.

#include "CommandLine.h"
#include "Console.h"
#include "ConfigFolder.h"
#include "ConfigHome.h"
#include "Exchange.h"
#include "FrameBuffer.h"
#include "HexCodec.h"
#include "LinkWait.h"
#include "PortNames.h"
#include "Requests.h"
#include "SerialChannel.h"
#include "SimProtocol.h"
#include "SimTestSupport.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Call = ElevatorModel::CallKind;
using Door = ElevatorModel::DoorState;

SimOptions manual(SimModel model = SimModel::Modern)
{
    SimOptions o;
    o.model = model;
    o.manualTime = true;
    return o;
}

// Runs the elevator until pred holds or `limitMs` of its time have passed.
template <class Pred>
bool runUntil(SimController& sim, Pred pred, int limitMs)
{
    for (int t = 0; t < limitMs; t += 100) {
        if (sim.withElevator([&](ElevatorModel& e) {
                e.advance(100);
                return pred(e);
            }))
            return true;
    }
    return false;
}

// Floors where the car opened its doors, in order, within limitMs.
QList<int> stopsServed(SimController& sim, int limitMs)
{
    QList<int> stops;
    Door last = sim.withElevator([](ElevatorModel& e) { return e.doorState(); });
    for (int t = 0; t < limitMs; t += 100) {
        const auto [door, floor] = sim.withElevator([](ElevatorModel& e) {
            e.advance(100);
            return std::pair(e.doorState(), e.floor());
        });
        if (door == Door::Opening && last != Door::Opening)
            stops << floor;
        last = door;
    }
    return stops;
}

} // namespace

class SimBehaviourTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A car call from the status page: the car closes its doors, locks,
    // accelerates to the rated speed, slows down, stops level at the floor,
    // opens, holds and closes; the call clears and the counter counts the trip.
    void carCallIsServed()
    {
        SimLine line(manual());
        SimController& sim = line.sim();
        const int trips = sim.withElevator([](ElevatorModel& e) { return e.runCounter(); });
        request::registerCall('0', 5);
        sendRequest();
        QVERIFY(sim.waitForRequest("F3005", 2000));
        QVERIFY(sim.withElevator([](ElevatorModel& e) { return e.hasCall(Call::Car, 5); }));

        int topSpeed = 0;
        bool unlockedWhileMoving = false;
        const bool arrived = runUntil(sim, [&](ElevatorModel& e) {
            topSpeed = std::max(topSpeed, e.speed());
            unlockedWhileMoving |= e.speed() != 0 && !(e.statusA() & 0x08);
            return e.doorState() == Door::Open;
        }, 60000);
        QVERIFY(arrived);
        QCOMPARE(topSpeed, 1000);  // parameter 6
        QVERIFY(!unlockedWhileMoving);
        sim.withElevator([](ElevatorModel& e) {
            QCOMPARE(e.floor(), 5);
            QVERIFY(e.levelAtFloor());
            QCOMPARE(e.positionMm(), e.floorPositionMm(5));
            QVERIFY(!e.hasCall(Call::Car, 5));
        });

        // What the status and I/O pages read now.
        request::statusPoll();
        QByteArray reply = line.exchange(80);
        QCOMPARE(decodeHex2(reply.constData() + 5), 5u);             // display code of floor 5
        QCOMPARE(decodeHex2(reply.constData() + 7) & 0x08, 0u);      // door lock open
        QCOMPARE(decodeHex2(reply.constData() + 9) & 0xC0, 0xC0u);   // safety circuit, running
        request::callPoll();
        QCOMPARE(line.exchange(80).mid(5, 36), QByteArray(36, '0'));
        request::speedPoll();
        QCOMPARE(line.exchange(80).mid(5, 4), QByteArray("0000"));
        request::ioPoll();
        reply = line.exchange(80);
        const auto input = [&reply](int n) { return (decodeHex2(reply.constData() + 5 + 2 * (n / 8)) >> (n % 8)) & 1; };
        QCOMPARE(input(ElevatorModel::TXDoorOpenLimit), 1u);
        QCOMPARE(input(ElevatorModel::TXDoorClosedLimit), 0u);
        QCOMPARE(input(ElevatorModel::XDoorLockCircuit), 0u);
        QCOMPARE(input(ElevatorModel::XDoorZone), 1u);
        QCOMPARE(input(ElevatorModel::XUpLevelling), 1u);
        QCOMPARE(input(ElevatorModel::XDownLevelling), 1u);

        QVERIFY(runUntil(sim, [](ElevatorModel& e) { return e.doorState() == Door::Closed; }, 20000));
        request::readRunCounter();
        reply = line.exchange(17);
        QCOMPARE(int(decodeHex4(reply.constData() + 5)), trips + 1);
    }

    // While moving, the speed reply is the signed speed and the arrow and
    // outputs follow the direction.
    void motionIsReported()
    {
        SimLine line(manual());
        SimController& sim = line.sim();
        sim.withElevator([](ElevatorModel& e) {
            e.setFloor(8);
            e.registerCall(Call::Car, 2);
        });
        QVERIFY(runUntil(sim, [](ElevatorModel& e) { return e.speed() <= -1000; }, 20000));
        request::speedPoll();
        const QByteArray speed = line.exchange(80);
        QCOMPARE(std::int16_t(decodeHex4(speed.constData() + 5)), std::int16_t(-1000));
        sim.withElevator([](ElevatorModel& e) {
            QCOMPARE(e.statusA() & 0x07, 6);  // green down arrow
            QVERIFY(e.statusA() & 0x08);      // door lock closed
            const std::uint32_t out = e.outputs();
            QVERIFY(out & (1U << ElevatorModel::YDown));
            QVERIFY(!(out & (1U << ElevatorModel::YUp)));
            QVERIFY(out & (1U << ElevatorModel::YBrakeContactor));
        });
    }

    // Collective control: on the way up the car stops for up calls and car
    // calls, then turns for the down call.
    void callsAreServedInCollectiveOrder()
    {
        SimController sim(manual());
        sim.withElevator([](ElevatorModel& e) {
            e.registerCall(Call::Down, 4);
            e.registerCall(Call::Car, 6);
            e.registerCall(Call::Up, 3);
        });
        QCOMPARE(stopsServed(sim, 90000), (QList<int>{3, 6, 4}));
        QCOMPARE(sim.withElevator([](ElevatorModel& e) { return e.callBits(Call::Car) | e.callBits(Call::Up) |
                                                                   e.callBits(Call::Down); }),
                 std::uint64_t(0));
    }

    // The floors follow parameters 11 and 134-136: false floors are passed,
    // never listed or served.
    void floorsFollowTheParameters()
    {
        SimController sim(manual());
        sim.withElevator([](ElevatorModel& e) {
            QVERIFY(e.setParameter(11, 20));
            QCOMPARE(e.floorCount(), 20);
            QVERIFY(e.setParameter(134, 0xFFFF & ~(1U << 2)));  // stop 3 false
            QCOMPARE(e.stopCount(), 20);
            QCOMPARE(e.floorCount(), 19);
            QVERIFY(e.registerCall(Call::Car, 19));
            QVERIFY(!e.registerCall(Call::Car, 20));
            QVERIFY(!e.setParameter(11, 49));
            QVERIFY(!e.setParameter(65, 256));  // display codes are one byte
        });
        QVERIFY(runUntil(sim, [](ElevatorModel& e) { return e.doorState() == Door::Opening; }, 120000));
        sim.withElevator([](ElevatorModel& e) {
            QCOMPARE(e.floor(), 19);
            QCOMPARE(e.shaftValue(20), e.floorPositionMm(19));
        });
    }

    void modes_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("statusA");   // mode bits expected in status byte A (mask 0xF0)
        QTest::addColumn<int>("statusB");   // and in byte B (mask 0x0E)
        QTest::addColumn<bool>("takesCarCalls");
        QTest::addColumn<bool>("takesHallCalls");
        QTest::addColumn<int>("parkFloor");  // 0: stays where it is
        QTest::addColumn<int>("parkDoor");
        QTest::newRow("inspection") << int(SimMode::Inspection) << 0x10 << 0x00 << false << false << 0 << int(Door::Closed);
        QTest::newRow("fire service") << int(SimMode::FireService) << 0x00 << 0x02 << false << false << 1 << int(Door::Open);
        QTest::newRow("attendant") << int(SimMode::Attendant) << 0x20 << 0x00 << true << true << 0 << int(Door::Closed);
        QTest::newRow("locked") << int(SimMode::Locked) << 0x40 << 0x00 << false << false << 1 << int(Door::Closed);
        QTest::newRow("independent") << int(SimMode::Independent) << 0x80 << 0x00 << true << false << 0 << int(Door::Closed);
        QTest::newRow("overload") << int(SimMode::Overload) << 0x00 << 0x08 << true << true << 0 << int(Door::Closed);
        QTest::newRow("full load") << int(SimMode::FullLoad) << 0x00 << 0x04 << true << true << 0 << int(Door::Closed);
    }

    void modes()
    {
        QFETCH(int, mode);
        QFETCH(int, statusA);
        QFETCH(int, statusB);
        QFETCH(bool, takesCarCalls);
        QFETCH(bool, takesHallCalls);
        QFETCH(int, parkFloor);
        QFETCH(int, parkDoor);
        SimOptions o = manual();
        o.startModes = {SimMode(mode)};
        SimLine line(o);
        SimController& sim = line.sim();
        sim.withElevator([](ElevatorModel& e) { e.setFloor(6); });
        runUntil(sim, [](ElevatorModel&) { return false; }, 40000);
        sim.withElevator([&](ElevatorModel& e) {
            QCOMPARE(e.floor(), parkFloor ? parkFloor : 6);
            QCOMPARE(int(e.doorState()), parkDoor);
            QCOMPARE(e.registerCall(Call::Car, 9), takesCarCalls);
            QCOMPARE(e.registerCall(Call::Up, 9), takesHallCalls);
        });
        request::statusPoll();
        const QByteArray reply = line.exchange(80);
        QCOMPARE(int(decodeHex2(reply.constData() + 7)) & 0xF0, statusA);
        QCOMPARE(int(decodeHex2(reply.constData() + 9)) & 0x0E, statusB);
        sim.withElevator([&](ElevatorModel& e) { e.setMode(SimMode(mode), false); });
        if (SimMode(mode) == SimMode::Overload) {
            // Held open at a floor while overloaded.
            sim.withElevator([](ElevatorModel& e) { e.registerCall(Call::Car, 7); });
            QVERIFY(runUntil(sim, [](ElevatorModel& e) { return e.doorState() == Door::Opening; }, 30000));
            sim.withElevator([](ElevatorModel& e) {
                e.setMode(SimMode::Overload, true);
                e.registerCall(Call::Car, 2);
            });
            runUntil(sim, [](ElevatorModel&) { return false; }, 30000);
            QCOMPARE(sim.withElevator([](ElevatorModel& e) { return e.doorState(); }), Door::Open);
        }
    }

    // A door-lock break while running: the car stops, the fault is recorded
    // with floor and clock, the controller reports it unsolicited until 'F'
    // '6', then relevels to a floor and opens.
    void faultWhileRunning()
    {
        SimOptions o = manual();
        o.reportRepeatMs = 300;
        SimLine line(o);
        SimController& sim = line.sim();
        sim.withElevator([](ElevatorModel& e) {
            e.clearFaultRecords();
            e.registerCall(Call::Car, 9);
        });
        QVERIFY(runUntil(sim, [](ElevatorModel& e) { return e.speed() >= 1000; }, 20000));
        sim.injectFault(2);
        sim.withElevator([](ElevatorModel& e) {
            QCOMPARE(e.speed(), 0);
            QVERIFY(!(e.statusB() & 0x80));  // fault
            QVERIFY(!(e.statusA() & 0x08));  // door lock broken
            QCOMPARE(e.faultRecords().size(), 1);
            QCOMPARE(e.faultRecords().first().code, 2);
            QCOMPARE(e.faultRecords().first().floor, e.floor());
            QCOMPARE(e.faultRecords().first().time, e.clock());
        });
        // Reported, and again, until acknowledged.
        QTRY_VERIFY_WITH_TIMEOUT(line.unsolicited().count("\x02" "FFE002") >= 2, 3000);
        const QByteArray report = line.unsolicited().left(line.unsolicited().indexOf('\x03') + 1);
        QCOMPARE(report.at(3), 'E');
        QCOMPARE(report.mid(5, 2), QByteArray("02"));
        rxFrame.assign(report.constData());
        QVERIFY(rxFrame.checkReply());
        request::acknowledgeFault();
        sendRequest();
        QVERIFY(sim.waitForRequest("F6", 2000));
        QCOMPARE(sim.withElevator([](ElevatorModel& e) { return e.pendingReport(); }), 0);
        line.clearUnsolicited();
        linkSleep(700);
        QCOMPARE(line.unsolicited(), QByteArray());

        // The fault page reads it: record 0, code 2, the floor, the time.
        request::readFaultRecord(0);
        const QByteArray rec = line.exchange(80);
        QCOMPARE(rec.size(), 24);
        const auto stored = sim.withElevator([](ElevatorModel& e) { return e.faultRecords().first(); });
        QCOMPARE(rec.mid(7, 4), QByteArray("02") + QByteArray::number(stored.floor, 16).toUpper().rightJustified(2, '0'));
        QCOMPARE(rec.mid(11, 10), stored.time.toString(QStringLiteral("yyMMddhhmm")).toLatin1());

        QVERIFY(runUntil(sim, [](ElevatorModel& e) { return e.doorState() == Door::Open; }, 60000));
        sim.withElevator([](ElevatorModel& e) {
            QVERIFY(e.levelAtFloor());
            QVERIFY(e.statusB() & 0x80);
        });
        request::clearFaultRecords();
        QCOMPARE(line.exchange(20).at(6), 'F');
        request::readFaultRecord(0);
        QCOMPARE(line.exchange(80).mid(7, 2), QByteArray("00"));
    }

    // Random faults while running come from the model's own table, and the
    // records stop at the model's capacity.
    void randomFaultsFillTheRecords_data()
    {
        QTest::addColumn<int>("model");
        QTest::addColumn<int>("capacity");
        QTest::newRow("modern") << int(SimModel::Modern) << 20;
        QTest::newRow("legacy") << int(SimModel::Legacy) << 16;
    }

    void randomFaultsFillTheRecords()
    {
        QFETCH(int, model);
        QFETCH(int, capacity);
        ElevatorModel e{SimModel(model)};
        e.setFaultEverySeconds(2);
        for (int trip = 0; trip < 60; ++trip) {
            e.registerCall(Call::Car, trip % 2 ? 1 : e.floorCount());
            e.advance(40000);
        }
        QCOMPARE(e.faultRecords().size(), capacity);
        for (const auto& r : e.faultRecords())
            QVERIFY2(e.knownFaultCodes().contains(r.code), qPrintable(QString::number(r.code)));
    }

    // 'F' '4' is acknowledged, the car runs through the shaft and the floor
    // positions are learned again.
    void learningRun()
    {
        SimLine line(manual());
        SimController& sim = line.sim();
        sim.withElevator([](ElevatorModel& e) {
            e.setFloor(4);
            e.setShaftValue(3, 0);
            e.setShaftValue(52, 0);
        });
        request::startShaftLearning();
        QCOMPARE(line.exchange(20).mid(3, 3), QByteArray("F4F"));
        QVERIFY(sim.withElevator([](ElevatorModel& e) { return e.learning(); }));
        QVERIFY(runUntil(sim, [](ElevatorModel& e) { return !e.learning(); }, 300000));
        sim.withElevator([](ElevatorModel& e) {
            QCOMPARE(e.floor(), e.floorCount());
            QVERIFY(std::abs(e.shaftValue(3) - e.floorPositionMm(3)) <= 3);
            QVERIFY(e.shaftValue(52) > e.floorPositionMm(1));
        });
        request::readShaftValue(3);
        const QByteArray reply = line.exchange(80);
        QCOMPARE(std::int32_t(decodeHex8(reply.constData() + 7)),
                 sim.withElevator([](ElevatorModel& e) { return e.shaftValue(3); }));
        sim.withElevator([](ElevatorModel& e) { e.setMode(SimMode::Inspection, true); });
        request::startShaftLearning();
        QCOMPARE(line.exchange(20).mid(3, 3), QByteArray("F40"));
    }

    // Identity and clock as the general page sets and reads them.
    void identity()
    {
        SimLine line(manual());
        SimController& sim = line.sim();
        request::setElevatorId("NEWID0042\r");
        sendRequest();
        QVERIFY(sim.waitForRequest("F1NEWID0042\r", 2000));
        request::readElevatorId();
        QCOMPARE(line.exchange(19).mid(5, 10), QByteArray("NEWID0042\r"));
        // The modern layout keeps the ID in parameters 140-144.
        request::readParameter(140);
        QCOMPARE(line.exchange(20).mid(7, 4), QByteArray("4E45"));  // 'N' 'E'

        request::setTelephone("13900001111\r");
        QCOMPARE(line.exchange(30, 500).mid(3, 3), QByteArray("F2F"));
        request::readTelephone();
        QCOMPARE(line.exchange(30).mid(5, 11), QByteArray("13900001111"));

        request::resetRunCounter();
        sendRequest();
        QVERIFY(sim.waitForRequest("FR1", 2000));
        request::readRunCounter();
        QCOMPARE(line.exchange(17).mid(5, 4), QByteArray("0000"));

        request::setClock("260314093005");
        line.exchange(30);
        request::readClock();
        QCOMPARE(line.exchange(30).mid(5, 12), QByteArray("260314093005"));
        sim.withElevator([](ElevatorModel& e) { e.advance(61000); });
        request::readClock();
        QCOMPARE(line.exchange(30).mid(5, 12), QByteArray("260314093106"));
        request::setClock("261332000000");  // no 32nd of the 13th month
        QCOMPARE(line.exchange(30).mid(3, 3), QByteArray("F90"));

        request::readProgramName();
        QCOMPARE(line.exchange(25).mid(5, 16), QByteArray("VARDO M173 V3.21"));
    }

    // Lock-out periods and IC cards as their dialogs write them.
    void lockoutAndCards()
    {
        SimLine line(manual());
        SimController& sim = line.sim();
        request::writeLockoutPeriod("03071E1205");
        QCOMPARE(line.exchange(20).mid(3, 3), QByteArray("FCF"));
        request::readLockoutPeriod(3);
        QCOMPARE(line.exchange(20).mid(5, 10), QByteArray("03071E1205"));
        request::writeLockoutPeriod("0318001205");  // hour 24
        QCOMPARE(line.exchange(20).mid(3, 3), QByteArray("FC0"));

        request::setIcCard(70000, 'F');
        QVERIFY(line.exchange(20, 100).startsWith("\x02" "FFFDF"));
        QVERIFY(rxFrame.checkReply());
        QVERIFY(sim.withElevator([](ElevatorModel& e) { return e.icCardValid(70000 & 0xFFFF); }));
        request::setIcCard(70000, '0');
        line.exchange(20, 100);
        QVERIFY(!sim.withElevator([](ElevatorModel& e) { return e.icCardValid(70000 & 0xFFFF); }));
    }

    // Parameter writes in both forms, read back; refused writes keep the value.
    void parameterWrites()
    {
        SimLine line(manual(SimModel::Legacy));
        request::writeParameter(14, 1000);
        QCOMPARE(line.exchange(20).mid(5, 3), QByteArray("FFF"));
        request::readParameter(14);
        QByteArray reply = line.exchange(20);
        QCOMPARE(reply.mid(5, 6), QByteArray("0FE803"));  // F15 = 1000
        QVERIFY(rxFrame.checkReply());
        request::writeParameterChars(25, "0180");
        QCOMPARE(line.exchange(20).mid(5, 3), QByteArray("FFF"));
        QCOMPARE(line.sim().withElevator([](ElevatorModel& e) { return e.parameter(25); }), 0x8001u);
        request::writeParameter(114, 1);  // beyond the 114-parameter layout
        QCOMPARE(line.exchange(20).mid(5, 3), QByteArray("000"));
        request::readParameter(114);
        QCOMPARE(line.exchange(20, 0).size(), 0);
    }

    // Each fault of the line, as the tool's synchronous read meets it.
    void linkFaults_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QByteArray>("expected");  // the first reply text, or "" for none
        QTest::addColumn<bool>("valid");
        const QByteArray normal = "\x02" "FFA50C0C00E8D\x03";
        QTest::newRow("none") << 0 << normal << true;
        QTest::newRow("silent") << 1 << QByteArray() << false;
        QTest::newRow("bad checksum") << 2 << QByteArray("\x02" "FFA50C0C00E8E\x03") << false;
        QTest::newRow("lowercase checksum") << 3 << QByteArray("\x02" "FFA50C0C00E8d\x03") << false;
        QTest::newRow("split with a gap") << 4 << normal << true;
        // The noise reaches the line; the tool's reply is the frame alone.
        QTest::newRow("noise before STX") << 5 << normal << true;
        QTest::newRow("wrong command") << 6 << QByteArray("\x02" "FFA60C0C00E8E\x03") << true;
        QTest::newRow("over-long frame") << 7 << QByteArray("\x02" "FFA50C0C00E") + QByteArray(8, '0') << false;
        QTest::newRow("faults only on AB") << 8 << normal << true;
    }

    void linkFaults()
    {
        QFETCH(int, fault);
        QFETCH(QByteArray, expected);
        QFETCH(bool, valid);
        SimLine line(manual());
        SimController& sim = line.sim();
        switch (fault) {
        case 1: sim.setSilent(true); break;
        case 2: sim.corruptChecksum(true); break;
        case 3: sim.lowercaseChecksum(true); break;
        case 4: sim.splitReplies(120); break;
        case 5: sim.noiseBeforeStx("~#"); break;
        case 6: sim.answerWrongCommand(true); break;
        case 7: sim.sendOverlongFrames(true); break;
        case 8:
            sim.restrictFaultsTo("AB");
            sim.corruptChecksum(true);
            break;
        default: break;
        }
        QByteArray received;
        const int watch = serialChannel.addTrafficObserver([&received](bool sent, const char* bytes, int count) {
            if (!sent)
                received.append(bytes, count);
        });
        request::readParameter(11);
        const QByteArray reply = line.exchange(20);
        serialChannel.removeTrafficObserver(watch);
        QCOMPARE(reply, expected);
        QCOMPARE(rxFrame.checkReply(), valid);
        if (fault == 5)
            QCOMPARE(received, "~#" + expected);
        if (fault == 8) {
            request::readProgramName();
            line.exchange(25);
            QVERIFY(!rxFrame.checkReply());
        }
    }

    // The faults that silence the controller part-way.
    void stopAnswering_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QList<bool>>("answered");  // parameters 0..3 read one after the other
        QTest::newRow("stop after 2 requests") << 0 << QList<bool>{true, true, false, false};
        QTest::newRow("stop at parameter 2") << 1 << QList<bool>{true, true, false, false};
        QTest::newRow("drop every 2nd reply") << 2 << QList<bool>{true, false, true, false};
    }

    void stopAnswering()
    {
        QFETCH(int, fault);
        QFETCH(QList<bool>, answered);
        SimLine line(manual());
        SimController& sim = line.sim();
        if (fault == 0)
            sim.stopAfterRequests(2);
        else if (fault == 1)
            sim.stopAtParameter(2);
        else
            sim.dropEveryReply(2);
        for (int i = 0; i < answered.size(); ++i) {
            request::readParameter(i);
            QCOMPARE(line.exchange(20).isEmpty(), !answered[i]);
        }
        QCOMPARE(sim.stoppedAnswering(), fault != 2);
        sim.clearLinkFaults();
        request::readParameter(0);
        QVERIFY(!line.exchange(20).isEmpty());
    }

    // Records and shaft entries that silence it: the record and floor named.
    void stopAtRecordAndFloor()
    {
        SimLine line(manual());
        SimController& sim = line.sim();
        sim.stopAtFaultRecord(7);
        request::readFaultRecord(6);
        QVERIFY(!line.exchange(80).isEmpty());
        request::readFaultRecord(7);
        QVERIFY(line.exchange(80).isEmpty());
        sim.stopAtFloor(5);
        request::readShaftValue(4);
        QVERIFY(!line.exchange(80).isEmpty());
        request::readShaftValue(5);
        QVERIFY(line.exchange(80).isEmpty());
    }

    // Override hooks: data framed as a normal reply, or raw bytes.
    void replyOverrides()
    {
        SimLine line(manual());
        SimController& sim = line.sim();
        sim.setReplyData('A', 'B', "OTHER NAME");
        request::readProgramName();
        QCOMPARE(line.exchange(25), sim::buildReply('A', 'B', "OTHER NAME", 'E'));
        sim.setReplyFrame('A', 'B', "\x02" "FFAB\x03");
        request::readProgramName();
        QCOMPARE(line.exchange(25), QByteArray("\x02" "FFAB\x03"));
        sim.setReplyData('A', 'B', {});
        sim.setReplyFrame('A', 'B', {});
        request::readProgramName();
        QCOMPARE(line.exchange(25).mid(5, 16), QByteArray("VARDO M173 V3.21"));
        sim.sendFrame("\x02" "FFE0" "09E" "48" "\x03");
        QTRY_COMPARE_WITH_TIMEOUT(line.unsolicited(), QByteArray("\x02" "FFE009E48\x03"), 2000);
    }

    // Parameters written survive a restart of the simulator.
    void stateFileKeepsParameters()
    {
        QTemporaryDir dir;
        SimOptions o = manual();
        o.stateFile = dir.filePath(QStringLiteral("sim.json"));
        {
            SimLine line(o);
            request::writeParameter(14, 12);
            QCOMPARE(line.exchange(20).mid(5, 3), QByteArray("FFF"));
            request::setElevatorId("KEEPME\r");
            sendRequest();
            QVERIFY(line.sim().waitForRequest("F1KEEPME\r", 2000));
            QVERIFY(line.reopen(38400));
            request::writeParameter(12, 640);
            QCOMPARE(line.exchange(20).mid(5, 3), QByteArray("FFF"));
        }
        SimController again(o);
        again.withElevator([](ElevatorModel& e) {
            QCOMPARE(e.parameter(14), 12u);
            QCOMPARE(e.elevatorId(), QByteArray("KEEPME"));
        });
        QCOMPARE(again.withDoor([](DoorModel& d) { return d.parameter(12); }), 640u);
        SimOptions legacy = o;
        legacy.model = SimModel::Legacy;
        SimController other(legacy);  // a file of the other model leaves the elevator at its defaults
        QCOMPARE(other.withElevator([](ElevatorModel& e) { return e.parameter(14); }), 5u);
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("ok");
        QTest::newRow("minimal") << QStringList{"--com", "1"} << true;
        QTest::newRow("everything")
            << QStringList{"--com", "3", "--model", "legacy", "--elevator-baud", "19200", "--door-baud", "9600",
                           "--special-code", "L", "--mode", "fire,overload", "--mode", "locked", "--stop-after", "5",
                           "--noise", "xx", "--faults-only", "A5", "--drop-every", "3", "--time-scale", "4",
                           "--late-status", "60", "--report-in-exchange", "42", "--chunk-ms", "16",
                           "--byte-errors", "1e-4"}
            << true;
        QTest::newRow("no port") << QStringList{"--model", "modern"} << false;
        QTest::newRow("odd rate") << QStringList{"--com", "1", "--elevator-baud", "9601"} << false;
        QTest::newRow("unknown mode") << QStringList{"--com", "1", "--mode", "party"} << false;
        QTest::newRow("unknown option") << QStringList{"--com", "1", "--fast"} << false;
        QTest::newRow("missing value") << QStringList{"--com"} << false;
        QTest::newRow("long special code") << QStringList{"--com", "1", "--special-code", "EE"} << false;
        QTest::newRow("error rate above 1") << QStringList{"--com", "1", "--byte-errors", "2"} << false;
    }

    void commandLine()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, ok);
        const CommandLine cl = parseCommandLine(args);
        QCOMPARE(cl.error.isEmpty(), ok);
        if (QByteArray(QTest::currentDataTag()) == "everything") {
            QCOMPARE(cl.com, 3);
            QCOMPARE(cl.options.model, SimModel::Legacy);
            QCOMPARE(cl.options.elevatorBaud, 19200);
            QCOMPARE(cl.options.doorBaud, 9600);
            QCOMPARE(cl.options.specialCode, 'L');
            QCOMPARE(cl.options.startModes,
                     (QList<SimMode>{SimMode::FireService, SimMode::Overload, SimMode::Locked}));
            QCOMPARE(cl.options.linkFaults.stopAfterRequests, 5);
            QCOMPARE(cl.options.linkFaults.noise, QByteArray("xx"));
            QCOMPARE(cl.options.linkFaults.onlyCommand, QByteArray("A5"));
            QCOMPARE(cl.options.linkFaults.dropEvery, 3);
            QCOMPARE(cl.options.timeScale, 4.0);
            QCOMPARE(cl.options.linkFaults.lateStatusMs, 60);
            QCOMPARE(cl.options.linkFaults.reportInExchange, 42);
            QCOMPARE(cl.options.linkFaults.chunkMs, 16);
            QCOMPARE(cl.options.linkFaults.byteErrorRate, 1e-4);
        }
    }

    // --help names every option the parser takes.
    void helpListsEveryOption()
    {
        const QString help = helpText();
        for (const char* option :
             {"--com", "--model", "--elevator-baud", "--elevator-stop-bits", "--door-baud", "--door-stop-bits",
              "--special-code", "--response-delay", "--reset-delay", "--mode", "--no-history", "--fault-every",
              "--no-fault-reports", "--report-repeat", "--time-scale", "--seed", "--state-file", "--silent",
              "--stop-after", "--stop-at-record", "--stop-at-floor", "--stop-at-parameter", "--drop-every",
              "--bad-checksum", "--lowercase-checksum", "--split-gap", "--noise", "--overlong", "--wrong-command",
              "--faults-only", "--late-status", "--report-in-exchange", "--chunk-ms", "--byte-errors",
              "--no-console", "--help", "--version"}) {
            QVERIFY2(help.contains(QLatin1String(option) + QLatin1Char(' ')), option);
            const CommandLine cl = parseCommandLine({"--com", "1", QLatin1String(option), "1"});
            QVERIFY2(!cl.error.startsWith(QLatin1String("unknown option ") + QLatin1String(option)), option);
        }
    }

    void console()
    {
        SimController sim(manual());
        Console c(sim);
        bool quit = false;
        QCOMPARE(c.execute("call car 4", &quit), QString("call registered\n"));
        QVERIFY(sim.withElevator([](ElevatorModel& e) { return e.hasCall(Call::Car, 4); }));
        QVERIFY(c.execute("status", &quit).contains("calls: car 4"));
        QCOMPARE(c.execute("param 11 9", &quit), QString("11 (F12) = 9\n"));
        QCOMPARE(sim.withElevator([](ElevatorModel& e) { return e.floorCount(); }), 9);
        QCOMPARE(c.execute("param 11 60", &quit), QString("value 60 refused\n"));
        QCOMPARE(c.execute("ask A5 0B", &quit), QString("-> <STX>FFA50BEB9<ETX>\n<- <STX>FFA50C0900E83<ETX>\n"));
        QVERIFY(c.execute("mode fire on", &quit).startsWith("fire on"));
        QVERIFY(sim.withElevator([](ElevatorModel& e) { return e.mode(SimMode::FireService); }));
        c.execute("fault 26", &quit);
        QCOMPARE(sim.withElevator([](ElevatorModel& e) { return e.faultRecords().first().code; }), 26);
        QVERIFY(!quit);
        c.execute("quit", &quit);
        QVERIFY(quit);
    }

    // vardo-sim places the link the tool resolves COMn with, serves, and
    // removes the link when it is stopped.
    void executable()
    {
        ConfigHome home;
        QProcess sim;
        sim.setProgram(QStringLiteral(VARDO_SIM_EXE));
        sim.setArguments({"--com", "2", "--no-console"});
        sim.start();
        QVERIFY(sim.waitForStarted());
        const QString link = vardoPortFolder() + QStringLiteral("/com2");
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(link).isSymLink(), 5000);
        QVERIFY(resolvePortDevice(2).startsWith("/dev/pts/"));
        specialCode = 'E';
        QVERIFY(serialChannel.open(nullptr, 2, 9600, 'N', 8, 1, SerialChannel::kEventMask));
        {
            LinkBusyGuard busy;
            request::readParameter(11);
            transact(50, 20);
        }
        QCOMPARE(QByteArray(rxFrame.text()), QByteArray("\x02" "FFA50C0C00E8D\x03"));
        serialChannel.close();
        sim.terminate();
        QVERIFY(sim.waitForFinished(5000));
        QCOMPARE(sim.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
        QVERIFY(sim.readAllStandardOutput().contains("device /dev/pts/"));
    }
};

QTEST_GUILESS_MAIN(SimBehaviourTest)
#include "tst_sim_behaviour.moc"
