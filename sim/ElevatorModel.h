#pragma once

#include "SimTypes.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <random>
#include <vector>

// The elevator behind the main controller: parameters, identity, clock,
// fault records, shaft data, lock-out periods, IC cards, and a car that
// moves in a shaft, stops level at floors and cycles its doors.
//
// Time only passes in advance(); SimController calls it from its thread in
// real time (unless manualTime is set), tests may call it directly to run
// the elevator for minutes without waiting. Not thread-safe by itself:
// SimController::withElevator() serialises access.
//
// Floors. The shaft has stopCount() levelling positions ("stops", 1 at the
// bottom), taken from parameter 11 (2 to 48). In the modern model the bits
// of parameters 134 to 136 mark each stop real (set) or false (clear); a
// false stop is passed but never served or listed. Listed floors are the
// real stops, numbered 1 .. floorCount() from the bottom; calls, the floor
// display code and fault records use these numbers. Parameters 10 and 119
// (offset floors) only shift what the tool counts, not the shaft.
//
// Units: positions in millimetres (also the shaft values of 'A' '6'),
// speeds in mm/s, parameter 6 the rated speed in mm/s, parameters 14 and 15
// the door hold times in seconds, 16 and 17 the brake delays in ms.
class ElevatorModel
{
public:
    enum class DoorState { Closed, Opening, Open, Closing };
    enum class CallKind { Car = 0, Up = 1, Down = 2 };
    enum class Load { Normal, Full, Overload };

    struct FaultRecord
    {
        int code = 0;      // fault code of the model's table
        int floor = 0;     // listed floor where it happened
        QDateTime time;    // controller clock at the time
    };

    struct LockoutPeriod
    {
        int startHour = 0, startMinute = 0, endHour = 0, endMinute = 0;
        bool operator==(const LockoutPeriod&) const = default;
    };

    // Inputs reported by 'A' '4' (bit n of the 64 inputs: X0-X31 are 0-31,
    // TX0-TX31 are 32-63) and outputs (Y0-Y31). 1 = active.
    enum Input : int {
        XInspection = 0, XInspectionUp = 1, XInspectionDown = 2, XFireSwitch = 3,
        XUpLimit = 4, XDownLimit = 5, XUpSlowdown1 = 6, XDownSlowdown1 = 7,
        XUpSlowdown2 = 8, XDownSlowdown2 = 9, XUpLevelling = 10, XDownLevelling = 11,
        XDoorZone = 12, XSafetyCircuit = 13, XDoorLockCircuit = 14, XBrakeSwitch = 15,
        XBrakeContactor = 16, XMainContactor = 17, XDriveRunning = 18, XDriveFault = 19,
        XLockSwitch = 20, XDoorLockRelay = 21, XSafetyRelay = 22,
        TXDoorOpenLimit = 32, TXDoorClosedLimit = 33, TXSafetyEdge = 34, TXFullLoad = 35,
        TXOverload = 36, TXAttendant = 37, TXIndependent = 38, TXDoorOpenButton = 39,
        TXDoorCloseButton = 40,
    };
    enum Output : int {
        YMainContactor = 0, YBrakeContactor = 1, YUp = 2, YDown = 3, YDoorOpen = 4, YDoorClose = 5,
        YFanLight = 6, YBuzzer = 7, YGong = 8, YFireLamp = 9, YRunLamp = 10, YFaultRelay = 11,
    };

    explicit ElevatorModel(SimModel model = SimModel::Modern, bool faultHistory = true, std::uint32_t seed = 1);

    SimModel model() const { return model_; }
    bool modern() const { return model_ == SimModel::Modern; }

    // --- Parameters ---------------------------------------------------
    int parameterCount() const { return int(params_.size()); }  // 173 or 114
    // 0 for an index outside the layout.
    unsigned parameter(int index) const;
    // Stores a value as the controller would after 'F' '5': false (and
    // nothing changes) when the index or the value is refused. Parameters
    // that shape the shaft or the identity take effect at once.
    bool setParameter(int index, unsigned value);
    // The number the controller gives a parameter in its reply (F1 ...).
    int fNumber(int index) const { return index + 1; }
    // Floor display codes: one byte.
    bool oneByteParameter(int index) const;
    // Factory values of every parameter (what 'F' 'R' '3' restores).
    void resetParameters();
    static std::vector<std::uint16_t> defaultParameters(SimModel model);
    // Index of the display code of listed floor 1.
    int displayCodeBase() const { return modern() ? 65 : 66; }

    // --- Time ---------------------------------------------------------
    // Runs the elevator for ms milliseconds of its own time.
    void advance(std::int64_t ms);
    std::int64_t elapsedMs() const { return elapsedMs_; }

    // --- Shaft and car ------------------------------------------------
    int stopCount() const { return stopCount_; }
    int floorCount() const { return int(listedStops_.size()); }
    // Listed floor the landing displays show (nearest real stop).
    int floor() const;
    // Puts the car level at a listed floor, stopped, doors closed.
    void setFloor(int floor);
    int positionMm() const { return int(position_); }
    // Level position of listed floor (the true building geometry).
    int floorPositionMm(int floor) const;
    int speed() const { return int(velocity_); }                 // signed, mm/s, + is up
    void setSpeed(int mmPerSecond) { velocity_ = mmPerSecond; }  // forced; motion goes on from it
    bool moving() const { return velocity_ != 0 || phase_ == Phase::Starting || phase_ == Phase::Running; }
    bool levelAtFloor() const;
    int targetFloor() const;  // 0 while there is no target

    DoorState doorState() const { return door_; }
    void setDoorState(DoorState state);
    bool doorLocked() const { return door_ == DoorState::Closed && !lockBroken_; }

    // --- Calls --------------------------------------------------------
    // Registers a call as 'F' '3' does; false when refused (floor not
    // listed, mode that takes no such call, hall call at a full car ...).
    bool registerCall(CallKind kind, int floor);
    bool hasCall(CallKind kind, int floor) const;
    std::uint64_t callBits(CallKind kind) const;  // bit p-1 = listed floor p
    void clearCalls();

    // --- Modes and conditions -----------------------------------------
    void setMode(SimMode mode, bool on);
    bool mode(SimMode mode) const;
    Load load() const;
    void setSafetyCircuit(bool closed) { safetyClosed_ = closed; }
    bool safetyCircuit() const { return safetyClosed_; }
    void setGroupControl(bool on) { groupControl_ = on; }
    bool groupControl() const { return groupControl_; }

    // --- Status as the controller reports it ----------------------------
    unsigned displayCode() const;  // floor display code of the floor shown
    std::uint8_t statusA() const;  // bits 0-2 arrow cell, 3 lock, 4 inspection, 5 attendant, 6 locked, 7 independent
    std::uint8_t statusB() const;  // 0 group, 1 fire, 2 full, 3 overload, 4 opening, 5 closing, 6 safety, 7 running (clear: fault)
    int arrowCell() const;         // 0 none, 1/2 red up/down (direction, stopped), 5/6 green up/down (moving)
    std::uint64_t inputs() const;  // X0-X31, TX0-TX31, forced bits applied
    std::uint32_t outputs() const; // Y0-Y31, forced bits applied
    // Holds input or output bits at a value whatever the car does; a zero
    // mask releases them.
    void forceInputs(std::uint64_t mask, std::uint64_t values);
    void forceOutputs(std::uint32_t mask, std::uint32_t values);

    // --- Faults -------------------------------------------------------
    int faultCapacity() const { return modern() ? 20 : 16; }
    // Newest first; at most faultCapacity() records.
    const QList<FaultRecord>& faultRecords() const { return faults_; }
    void setFaultRecords(const QList<FaultRecord>& records);
    void clearFaultRecords() { faults_.clear(); }
    // Record n (0 newest); an empty slot (code 0) beyond the stored ones.
    FaultRecord faultRecord(int n) const;
    // Something goes wrong now: recorded with floor and clock, the
    // controller reports a fault for a few seconds (stopping the car if it
    // runs) and, when reports are on, sends an unsolicited report.
    void injectFault(int code);
    bool faultActive() const { return faultHoldMs_ > 0; }
    // Codes this model's description table knows, for random faults.
    QList<int> knownFaultCodes() const;
    // Unsolicited report waiting for 'F' '6' (0: none).
    int pendingReport() const { return pendingReport_; }
    void acknowledgeReport() { pendingReport_ = 0; }
    void setFaultReports(bool on) { faultReports_ = on; }
    void setFaultEverySeconds(int seconds) { faultEverySeconds_ = seconds; }

    // --- Shaft data ---------------------------------------------------
    // 'A' '6' n: 1 .. stopCount() learned stop positions, 49-53 switch values.
    std::int32_t shaftValue(int n) const;
    void setShaftValue(int n, std::int32_t value);
    // 'F' '4': false when refused (fault, inspection, fire, safety open).
    bool startLearning();
    bool learning() const { return learnPhase_ != LearnPhase::None; }

    // --- Identity, counter, clock ---------------------------------------
    QByteArray programName() const { return programName_; }
    void setProgramName(const QByteArray& name) { programName_ = name.left(16); }
    QByteArray elevatorId() const { return elevatorId_; }
    void setElevatorId(const QByteArray& id);        // up to 9 characters
    QByteArray telephone() const { return telephone_; }
    bool setTelephone(const QByteArray& number);     // up to 13 printable characters
    int runCounter() const { return runCounter_; }
    void setRunCounter(int count) { runCounter_ = count & 0xFFFF; }
    QDateTime clock() const;
    void setClock(const QDateTime& now);

    // --- Lock-out periods and IC cards ----------------------------------
    LockoutPeriod lockoutPeriod(int floor) const;  // floor 1..48
    bool setLockoutPeriod(int floor, const LockoutPeriod& period);
    bool icCardValid(int card) const;
    void setIcCard(int card, bool valid);
    QList<int> validIcCards() const;

private:
    enum class Phase { Idle, Starting, Running, Stopping, Levelling };
    enum class LearnPhase { None, ClosingDoors, Down, Up };

    void rebuildShaft();
    void step(int ms);
    void stepDoor(int ms);
    void stepMotion(int ms);
    void stepLearning(int ms);
    void dispatch();
    int chooseTarget() const;
    void arriveAt(int stop);
    void openDoor(bool hallCall);
    void clearCallsAt(int listed, bool arrivingUp, bool arrivingDown);
    void recordFault(int code);
    int nearestStop() const;
    int listedOf(int stop) const;   // 0 for a false stop
    int stopOf(int listed) const;   // 0 when not listed
    bool anyCall() const;
    bool callAt(int listed) const;
    bool callsAbove(int stop) const;
    bool callsBelow(int stop) const;
    double ratedSpeed() const;
    double acceleration() const;
    void storeIdentityParameters();
    void loadIdentityParameters(int index);

    SimModel model_;
    std::vector<std::uint16_t> params_;
    std::mt19937 random_;

    // Shaft.
    int stopCount_ = 0;
    std::vector<double> truePosition_;      // [stop], index 0 unused
    std::vector<std::int32_t> learned_;     // [stop]
    std::array<std::int32_t, 5> switches_{}; // 49..53
    std::vector<int> listedStops_;          // [listed - 1] = stop

    // Car.
    double position_ = 0;
    double velocity_ = 0;
    Phase phase_ = Phase::Idle;
    int phaseMs_ = 0;
    int targetStop_ = 0;
    int direction_ = 0;           // +1 up, -1 down, 0 none
    DoorState door_ = DoorState::Closed;
    int doorMs_ = 0;              // time left in the door state
    bool answeredHallCall_ = false;
    int gongMs_ = 0;
    bool lockBroken_ = false;

    // Calls by listed floor (bit p-1).
    std::uint64_t carCalls_ = 0, upCalls_ = 0, downCalls_ = 0;

    // Modes.
    bool inspection_ = false, fire_ = false, attendant_ = false, locked_ = false, independent_ = false;
    bool overload_ = false, fullLoad_ = false;
    bool safetyClosed_ = true;
    bool groupControl_ = false;

    // Faults.
    QList<FaultRecord> faults_;
    int faultHoldMs_ = 0;
    int pendingReport_ = 0;
    bool faultReports_ = true;
    int faultEverySeconds_ = 0;
    std::int64_t runningMs_ = 0;

    // Learning run.
    LearnPhase learnPhase_ = LearnPhase::None;
    int learnNext_ = 0;

    // Forced I/O.
    std::uint64_t inputMask_ = 0, inputValues_ = 0;
    std::uint32_t outputMask_ = 0, outputValues_ = 0;

    // Identity.
    QByteArray programName_;
    QByteArray elevatorId_;
    QByteArray telephone_;
    int runCounter_ = 0;
    QDateTime clockBase_;         // clock at elapsed 0
    std::int64_t elapsedMs_ = 0;
    int stepRemainderMs_ = 0;

    std::array<LockoutPeriod, 49> lockout_{};
    QList<int> icCards_;
};
