#include "ElevatorModel.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kStepMs = 20;
constexpr int kDoorOpeningMs = 2000;
constexpr int kDoorClosingMs = 2500;
constexpr int kFaultHoldMs = 3000;
constexpr int kGongMs = 1000;
constexpr double kLearnSpeed = 500;      // mm/s
constexpr double kCreepSpeed = 20;       // mm/s, the last millimetres of an approach
constexpr double kPlateHalf = 100;       // levelling plate 200 mm
constexpr double kSensorOffset = 50;     // levelling sensors at +-50 mm
constexpr double kDoorZone = 150;
constexpr double kBottomMm = 1000;

int clampInt(unsigned value, int low, int high, int fallback)
{
    const int v = int(value);
    return v < low || v > high ? fallback : v;
}

bool bit(std::uint64_t bits, int n)
{
    return (bits >> n) & 1U;
}

} // namespace

ElevatorModel::ElevatorModel(SimModel model, bool faultHistory, std::uint32_t seed)
    : model_(model), params_(defaultParameters(model)), random_(seed)
{
    clockBase_ = QDateTime::currentDateTime();
    clockBase_.setTime(QTime(clockBase_.time().hour(), clockBase_.time().minute(), clockBase_.time().second()));
    programName_ = modern() ? "VARDO M173 V3.21" : "VARDO L114 V1.08";
    elevatorId_ = modern() ? "VD2019A07" : "VL1998003";
    telephone_ = "02164781234";
    runCounter_ = modern() ? 28417 : 9120;
    storeIdentityParameters();
    rebuildShaft();
    position_ = truePosition_[1];
    if (faultHistory) {
        const QDateTime now = clock();
        const auto at = [&now](int days, int hour, int minute) {
            QDateTime t = now.addDays(-days);
            t.setTime(QTime(hour, minute));
            return t;
        };
        if (modern())
            faults_ = {{2, 5, at(3, 8, 47)}, {26, 1, at(10, 17, 12)}, {6, std::min(8, floorCount()), at(21, 7, 55)}};
        else
            faults_ = {{2, 3, at(2, 9, 5)}, {32, 1, at(12, 18, 30)}, {37, std::min(6, floorCount()), at(40, 11, 2)}};
    }
}

// --- Parameters -----------------------------------------------------------

std::vector<std::uint16_t> ElevatorModel::defaultParameters(SimModel model)
{
    if (model == SimModel::Modern) {
        std::vector<std::uint16_t> p(173, 0);
        const int floors = 12;
        p[0] = 700;    // acceleration, mm/s2
        p[1] = 700;    // deceleration, mm/s2
        p[2] = p[3] = p[4] = p[5] = 800;  // rounding times, ms
        p[6] = 1000;   // rated speed, mm/s
        p[7] = 1450;   // motor speed, rpm
        p[8] = 1024;   // encoder pulses per turn
        p[9] = 1;      // main floor
        p[10] = 0;     // offset real floors
        p[11] = floors;
        p[12] = 300;   // inspection speed, mm/s
        p[13] = 50;    // relevelling speed, mm/s
        p[14] = 5;     // door hold with a hall call, s
        p[15] = 3;     // door hold with car calls only, s
        p[16] = 300;   // brake open delay, ms
        p[17] = 500;   // brake close delay, ms
        p[18] = 1;     // fire service floor
        p[19] = 1;     // lock floor
        p[20] = 60;    // return to main floor after, s
        p[21] = 20;    // levelling switch compensation
        p[22] = 1;     // duplex main floor
        p[29] = std::uint16_t((1U << floors) - 1);  // served floors 1-16
        p[33] = 10;    // test run interval, s
        p[36] = 20;    // brake switch check time
        p[41] = 1;     // anti-crime return floor
        p[44] = 1;     // board address
        p[45] = 1300;  // one-floor slowdown distance, mm
        p[46] = 2400;  // two-floor slowdown distance
        p[47] = 3600;  // multi-floor slowdown distance
        p[48] = 30;    // relevelling time
        p[49] = 1;     // return to main floor
        p[50] = std::uint16_t((1U << floors) - 1);  // front doors 1-16
        p[58] = 100;   // speed curve delay, ms
        p[62] = 45;    // anti-slip time limit, s
        for (int f = 1; f <= 48; ++f)
            p[size_t(64 + f)] = std::uint16_t(f);  // floor display codes
        p[115] = 15;   // re-open after closing fails, s
        p[116] = 15;
        p[117] = 10;
        p[118] = 10;
        p[120] = 5;    // nuisance car calls
        p[122] = 300;
        p[134] = p[135] = p[136] = 0xFFFF;  // every stop a real floor
        p[152] = 300;  // fan and light off after, s
        return p;
    }
    std::vector<std::uint16_t> p(114, 0);
    const int floors = 8;
    p[0] = 300;    // brake open time, ms
    p[1] = 10; p[2] = 20; p[3] = 30; p[4] = 40; p[5] = 50;  // acceleration steps
    p[6] = 1000;   // rated speed, mm/s
    p[7] = 1450;
    p[8] = 1024;
    p[9] = 1;
    p[10] = 0;
    p[11] = floors;
    p[12] = 300;
    p[13] = 50;
    p[14] = 5;
    p[15] = 3;
    p[16] = 300;
    p[17] = 500;
    p[18] = 1;
    p[19] = 1;
    p[20] = 60;
    p[21] = 20;
    p[22] = 1;
    p[29] = std::uint16_t((1U << floors) - 1);
    p[42] = 1;
    p[43] = 1300; p[44] = 2400; p[45] = 3600; p[46] = 4800; p[47] = 6000;
    p[49] = 1;
    p[50] = std::uint16_t((1U << floors) - 1);
    p[62] = 45;
    for (int f = 1; f <= 48; ++f)
        p[size_t(65 + f)] = std::uint16_t(f);
    return p;
}

unsigned ElevatorModel::parameter(int index) const
{
    return index >= 0 && index < parameterCount() ? params_[size_t(index)] : 0;
}

bool ElevatorModel::oneByteParameter(int index) const
{
    return modern() ? index >= 65 && index <= 112 : index >= 66 && index <= 113;
}

bool ElevatorModel::setParameter(int index, unsigned value)
{
    if (index < 0 || index >= parameterCount() || value > 0xFFFF)
        return false;
    if (oneByteParameter(index) && value > 255)
        return false;
    if (index == 11 && (value < 2 || value > 48))
        return false;
    if (index == 6 && (value < 50 || value > 10000))
        return false;
    params_[size_t(index)] = std::uint16_t(value);
    if (index == 10 || index == 11 || index == 119 || (modern() && index >= 134 && index <= 136))
        rebuildShaft();
    if (modern() && index >= 140 && index <= 151)
        loadIdentityParameters(index);
    return true;
}

void ElevatorModel::resetParameters()
{
    params_ = defaultParameters(model_);
    storeIdentityParameters();
    rebuildShaft();
}

// The modern layout keeps the elevator ID in 140-144 and the telephone
// number in 145-151, two characters a parameter (first one low).
void ElevatorModel::storeIdentityParameters()
{
    if (!modern())
        return;
    const auto store = [this](int first, int count, const QByteArray& text) {
        for (int i = 0; i < count; ++i) {
            const unsigned lo = 2 * i < text.size() ? static_cast<unsigned char>(text[2 * i]) : 0;
            const unsigned hi = 2 * i + 1 < text.size() ? static_cast<unsigned char>(text[2 * i + 1]) : 0;
            params_[size_t(first + i)] = std::uint16_t(lo | hi << 8);
        }
    };
    store(140, 5, elevatorId_);
    store(145, 7, telephone_);
}

void ElevatorModel::loadIdentityParameters(int index)
{
    const auto load = [this](int first, int count, int limit) {
        QByteArray text;
        for (int i = 0; i < count; ++i) {
            for (unsigned c : {params_[size_t(first + i)] & 0xFFU, unsigned(params_[size_t(first + i)]) >> 8}) {
                if (c < 0x20 || c > 0x7E)
                    return text.left(limit);
                text.append(char(c));
            }
        }
        return text.left(limit);
    };
    if (index <= 144)
        elevatorId_ = load(140, 5, 9);
    else
        telephone_ = load(145, 7, 13);
}

// --- Shaft ---------------------------------------------------------------

void ElevatorModel::rebuildShaft()
{
    const int stops = clampInt(params_[11], 2, 48, 2);
    const bool grew = stops != stopCount_;
    stopCount_ = stops;
    truePosition_.assign(size_t(stops) + 1, 0);
    double pos = kBottomMm;
    for (int s = 1; s <= stops; ++s) {
        truePosition_[size_t(s)] = pos;
        // A taller ground floor, and the few millimetres by which no two
        // floors of a real building are alike.
        pos += (s == 1 ? 4200 : 3200) + ((s * 37) % 21) - 10;
    }
    if (grew || learned_.size() != size_t(stops) + 1) {
        std::vector<std::int32_t> old = learned_;
        learned_.assign(size_t(stops) + 1, 0);
        for (int s = 1; s <= stops; ++s)
            learned_[size_t(s)] = s < int(old.size()) && old[size_t(s)] != 0 ? old[size_t(s)]
                                                                             : std::int32_t(std::lround(truePosition_[size_t(s)]));
        const double bottom = truePosition_[1];
        const double top = truePosition_[size_t(stops)];
        switches_ = {480, std::int32_t(top - 2400), std::int32_t(top - 1300), std::int32_t(bottom + 2400),
                     std::int32_t(bottom + 1300)};
    }
    listedStops_.clear();
    for (int s = 1; s <= stops; ++s) {
        bool real = true;
        if (modern()) {
            const unsigned word = params_[size_t(134 + (s - 1) / 16)];
            real = (word >> ((s - 1) % 16)) & 1U;
        }
        if (real)
            listedStops_.push_back(s);
    }
    if (listedStops_.empty()) {
        for (int s = 1; s <= stops; ++s)
            listedStops_.push_back(s);
    }
    const std::uint64_t keep = floorCount() >= 64 ? ~0ULL : (1ULL << floorCount()) - 1;
    carCalls_ &= keep;
    upCalls_ &= keep;
    downCalls_ &= keep;
    const double top = truePosition_[size_t(stops)];
    if (position_ > top || position_ < truePosition_[1]) {
        position_ = std::clamp(position_, truePosition_[1], top);
        velocity_ = 0;
        phase_ = Phase::Idle;
    }
    if (targetStop_ > stops || (targetStop_ && !listedOf(targetStop_)))
        targetStop_ = 0;
}

int ElevatorModel::listedOf(int stop) const
{
    for (size_t i = 0; i < listedStops_.size(); ++i) {
        if (listedStops_[i] == stop)
            return int(i) + 1;
    }
    return 0;
}

int ElevatorModel::stopOf(int listed) const
{
    return listed >= 1 && listed <= floorCount() ? listedStops_[size_t(listed - 1)] : 0;
}

int ElevatorModel::nearestStop() const
{
    int best = 1;
    for (int s = 2; s <= stopCount_; ++s) {
        if (std::abs(truePosition_[size_t(s)] - position_) < std::abs(truePosition_[size_t(best)] - position_))
            best = s;
    }
    return best;
}

int ElevatorModel::floor() const
{
    int best = 0;
    double distance = 0;
    for (int p = 1; p <= floorCount(); ++p) {
        const double d = std::abs(truePosition_[size_t(stopOf(p))] - position_);
        if (best == 0 || d < distance) {
            best = p;
            distance = d;
        }
    }
    return best;
}

void ElevatorModel::setFloor(int floor)
{
    const int stop = stopOf(std::clamp(floor, 1, floorCount()));
    position_ = truePosition_[size_t(stop)];
    velocity_ = 0;
    phase_ = Phase::Idle;
    targetStop_ = 0;
    door_ = DoorState::Closed;
    doorMs_ = 0;
    learnPhase_ = LearnPhase::None;
}

int ElevatorModel::floorPositionMm(int floor) const
{
    const int stop = stopOf(floor);
    return stop ? int(std::lround(truePosition_[size_t(stop)])) : 0;
}

bool ElevatorModel::levelAtFloor() const
{
    return std::abs(truePosition_[size_t(nearestStop())] - position_) < 2.0;
}

int ElevatorModel::targetFloor() const
{
    return targetStop_ ? listedOf(targetStop_) : 0;
}

void ElevatorModel::setDoorState(DoorState state)
{
    door_ = state;
    doorMs_ = state == DoorState::Opening ? kDoorOpeningMs
              : state == DoorState::Closing ? kDoorClosingMs
              : state == DoorState::Open    ? int(clampInt(params_[15], 1, 600, 3)) * 1000
                                            : 0;
}

std::int32_t ElevatorModel::shaftValue(int n) const
{
    if (n >= 1 && n <= stopCount_)
        return learned_[size_t(n)];
    if (n >= 49 && n <= 53)
        return switches_[size_t(n - 49)];
    return 0;
}

void ElevatorModel::setShaftValue(int n, std::int32_t value)
{
    if (n >= 1 && n <= stopCount_)
        learned_[size_t(n)] = value;
    else if (n >= 49 && n <= 53)
        switches_[size_t(n - 49)] = value;
}

bool ElevatorModel::startLearning()
{
    if (faultActive() || inspection_ || fire_ || locked_ || overload_ || !safetyClosed_ || learning())
        return false;
    clearCalls();
    learnPhase_ = LearnPhase::ClosingDoors;
    return true;
}

// --- Calls ---------------------------------------------------------------

bool ElevatorModel::registerCall(CallKind kind, int floor)
{
    if (floor < 1 || floor > floorCount() || inspection_ || fire_ || locked_ || learning())
        return false;
    if (kind != CallKind::Car && independent_)
        return false;
    if (kind == CallKind::Up && floor == floorCount())
        return false;
    if (kind == CallKind::Down && floor == 1)
        return false;
    const std::uint64_t b = 1ULL << (floor - 1);
    // A call at the floor where the car stands with its doors opening or
    // open only holds the doors open longer.
    if (floor == this->floor() && levelAtFloor() && phase_ == Phase::Idle &&
        (door_ == DoorState::Open || door_ == DoorState::Opening)) {
        if (door_ == DoorState::Open)
            doorMs_ = std::max(doorMs_, int(clampInt(params_[kind == CallKind::Car ? 15 : 14], 1, 600, 3)) * 1000);
        return true;
    }
    (kind == CallKind::Car ? carCalls_ : kind == CallKind::Up ? upCalls_ : downCalls_) |= b;
    return true;
}

bool ElevatorModel::hasCall(CallKind kind, int floor) const
{
    if (floor < 1 || floor > 48)
        return false;
    return bit(callBits(kind), floor - 1);
}

std::uint64_t ElevatorModel::callBits(CallKind kind) const
{
    return kind == CallKind::Car ? carCalls_ : kind == CallKind::Up ? upCalls_ : downCalls_;
}

void ElevatorModel::clearCalls()
{
    carCalls_ = upCalls_ = downCalls_ = 0;
}

bool ElevatorModel::anyCall() const
{
    return (carCalls_ | upCalls_ | downCalls_) != 0;
}

bool ElevatorModel::callAt(int listed) const
{
    if (listed < 1)
        return false;
    const int n = listed - 1;
    return bit(carCalls_, n) || (!fullLoad_ && (bit(upCalls_, n) || bit(downCalls_, n)));
}

bool ElevatorModel::callsAbove(int stop) const
{
    for (int p = 1; p <= floorCount(); ++p) {
        if (stopOf(p) > stop && callAt(p))
            return true;
    }
    return false;
}

bool ElevatorModel::callsBelow(int stop) const
{
    for (int p = 1; p <= floorCount(); ++p) {
        if (stopOf(p) < stop && callAt(p))
            return true;
    }
    return false;
}

// --- Modes ---------------------------------------------------------------

void ElevatorModel::setMode(SimMode mode, bool on)
{
    switch (mode) {
    case SimMode::Inspection:
        if (on && !inspection_) {
            // The car stops where it is; service resumes with a relevelling.
            velocity_ = 0;
            phase_ = Phase::Idle;
            targetStop_ = 0;
            learnPhase_ = LearnPhase::None;
            clearCalls();
        }
        inspection_ = on;
        break;
    case SimMode::FireService:
        fire_ = on;
        if (on) {
            clearCalls();
            learnPhase_ = LearnPhase::None;
        }
        break;
    case SimMode::Attendant: attendant_ = on; break;
    case SimMode::Locked:
        locked_ = on;
        if (on)
            clearCalls();
        break;
    case SimMode::Independent:
        independent_ = on;
        if (on)
            upCalls_ = downCalls_ = 0;
        break;
    case SimMode::Overload: overload_ = on; break;
    case SimMode::FullLoad: fullLoad_ = on; break;
    }
}

bool ElevatorModel::mode(SimMode mode) const
{
    switch (mode) {
    case SimMode::Inspection: return inspection_;
    case SimMode::FireService: return fire_;
    case SimMode::Attendant: return attendant_;
    case SimMode::Locked: return locked_;
    case SimMode::Independent: return independent_;
    case SimMode::Overload: return overload_;
    case SimMode::FullLoad: return fullLoad_;
    }
    return false;
}

ElevatorModel::Load ElevatorModel::load() const
{
    return overload_ ? Load::Overload : fullLoad_ ? Load::Full : Load::Normal;
}

// --- Status --------------------------------------------------------------

unsigned ElevatorModel::displayCode() const
{
    const int f = floor();
    return f ? parameter(displayCodeBase() + f - 1) & 0xFF : 0;
}

int ElevatorModel::arrowCell() const
{
    if (velocity_ > 0 || ((phase_ == Phase::Starting || phase_ == Phase::Running) && direction_ > 0))
        return 5;
    if (velocity_ < 0 || ((phase_ == Phase::Starting || phase_ == Phase::Running) && direction_ < 0))
        return 6;
    if (direction_ != 0 && anyCall())
        return direction_ > 0 ? 1 : 2;
    return 0;
}

std::uint8_t ElevatorModel::statusA() const
{
    return std::uint8_t(arrowCell() | (doorLocked() ? 0x08 : 0) | (inspection_ ? 0x10 : 0) |
                        (attendant_ ? 0x20 : 0) | (locked_ ? 0x40 : 0) | (independent_ ? 0x80 : 0));
}

std::uint8_t ElevatorModel::statusB() const
{
    const bool running = !faultActive() && safetyClosed_;
    return std::uint8_t((groupControl_ ? 0x01 : 0) | (fire_ ? 0x02 : 0) | (fullLoad_ ? 0x04 : 0) |
                        (overload_ ? 0x08 : 0) | (door_ == DoorState::Opening ? 0x10 : 0) |
                        (door_ == DoorState::Closing ? 0x20 : 0) | (safetyClosed_ ? 0x40 : 0) | (running ? 0x80 : 0));
}

std::uint64_t ElevatorModel::inputs() const
{
    std::uint64_t in = 0;
    const auto set = [&in](int n, bool on) {
        if (on)
            in |= 1ULL << n;
    };
    const double stopPos = truePosition_[size_t(nearestStop())];
    const bool brakeOpen = phase_ == Phase::Running || phase_ == Phase::Levelling || learnPhase_ == LearnPhase::Down ||
                           learnPhase_ == LearnPhase::Up || std::abs(velocity_) > 0;
    const bool contactor = brakeOpen || phase_ == Phase::Starting || phase_ == Phase::Stopping;
    set(XInspection, inspection_);
    set(XFireSwitch, fire_);
    set(XUpLimit, position_ > truePosition_[size_t(stopCount_)] + 60);
    set(XDownLimit, position_ < truePosition_[1] - 60);
    set(XUpSlowdown1, position_ >= switches_[2]);
    set(XDownSlowdown1, position_ <= switches_[4]);
    set(XUpSlowdown2, position_ >= switches_[1]);
    set(XDownSlowdown2, position_ <= switches_[3]);
    set(XUpLevelling, std::abs(position_ + kSensorOffset - stopPos) <= kPlateHalf);
    set(XDownLevelling, std::abs(position_ - kSensorOffset - stopPos) <= kPlateHalf);
    set(XDoorZone, std::abs(position_ - stopPos) <= kDoorZone);
    set(XSafetyCircuit, safetyClosed_);
    set(XDoorLockCircuit, doorLocked());
    set(XBrakeSwitch, brakeOpen);
    set(XBrakeContactor, brakeOpen);
    set(XMainContactor, contactor);
    set(XDriveRunning, brakeOpen);
    set(XDriveFault, faultActive() && !faults_.isEmpty() && faults_.first().code == 9);
    set(XLockSwitch, locked_);
    set(XDoorLockRelay, doorLocked());
    set(XSafetyRelay, safetyClosed_);
    set(TXDoorOpenLimit, door_ == DoorState::Open);
    set(TXDoorClosedLimit, door_ == DoorState::Closed);
    set(TXFullLoad, fullLoad_ || overload_);
    set(TXOverload, overload_);
    set(TXAttendant, attendant_);
    set(TXIndependent, independent_);
    return (in & ~inputMask_) | (inputValues_ & inputMask_);
}

std::uint32_t ElevatorModel::outputs() const
{
    std::uint32_t out = 0;
    const auto set = [&out](int n, bool on) {
        if (on)
            out |= 1U << n;
    };
    const bool brakeOpen = phase_ == Phase::Running || phase_ == Phase::Levelling || std::abs(velocity_) > 0;
    const bool contactor = brakeOpen || phase_ == Phase::Starting || phase_ == Phase::Stopping;
    const int dir = velocity_ > 0 ? 1 : velocity_ < 0 ? -1 : phase_ == Phase::Starting ? direction_ : 0;
    set(YMainContactor, contactor);
    set(YBrakeContactor, brakeOpen || (phase_ == Phase::Starting && phaseMs_ < 200));
    set(YUp, contactor && dir > 0);
    set(YDown, contactor && dir < 0);
    set(YDoorOpen, door_ == DoorState::Opening);
    set(YDoorClose, door_ == DoorState::Closing);
    set(YFanLight, true);
    set(YBuzzer, overload_);
    set(YGong, gongMs_ > 0);
    set(YFireLamp, fire_);
    set(YRunLamp, !faultActive() && safetyClosed_);
    set(YFaultRelay, faultActive());
    return (out & ~outputMask_) | (outputValues_ & outputMask_);
}

void ElevatorModel::forceInputs(std::uint64_t mask, std::uint64_t values)
{
    inputMask_ = mask;
    inputValues_ = values & mask;
}

void ElevatorModel::forceOutputs(std::uint32_t mask, std::uint32_t values)
{
    outputMask_ = mask;
    outputValues_ = values & mask;
}

// --- Faults --------------------------------------------------------------

void ElevatorModel::setFaultRecords(const QList<FaultRecord>& records)
{
    faults_ = records.mid(0, faultCapacity());
}

ElevatorModel::FaultRecord ElevatorModel::faultRecord(int n) const
{
    if (n >= 0 && n < faults_.size())
        return faults_[n];
    return {};
}

QList<int> ElevatorModel::knownFaultCodes() const
{
    if (modern())
        return {2, 5, 6, 7, 8, 9, 14, 15, 16, 18, 22, 23, 24, 25, 26, 29, 30, 31, 32, 35, 36, 37, 38, 39, 45};
    return {2, 8, 9, 10, 11, 12, 13, 17, 31, 32, 35, 36, 37, 38, 39, 40, 44};
}

void ElevatorModel::recordFault(int code)
{
    faults_.prepend({code & 0xFF, floor(), clock()});
    while (faults_.size() > faultCapacity())
        faults_.removeLast();
    if (faultReports_)
        pendingReport_ = code & 0xFF;
}

void ElevatorModel::injectFault(int code)
{
    recordFault(code);
    faultHoldMs_ = kFaultHoldMs;
    lockBroken_ = code == 2;
    if (phase_ != Phase::Idle || velocity_ != 0) {
        // Emergency stop: the brake drops wherever the car is.
        velocity_ = 0;
        phase_ = Phase::Idle;
        targetStop_ = 0;
    }
    learnPhase_ = LearnPhase::None;
}

// --- Identity, clock, lock-out, cards -------------------------------------

void ElevatorModel::setElevatorId(const QByteArray& id)
{
    elevatorId_ = id.left(9);
    storeIdentityParameters();
}

bool ElevatorModel::setTelephone(const QByteArray& number)
{
    if (number.size() > 13)
        return false;
    for (char c : number) {
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    telephone_ = number;
    storeIdentityParameters();
    return true;
}

QDateTime ElevatorModel::clock() const
{
    return clockBase_.addMSecs(elapsedMs_);
}

void ElevatorModel::setClock(const QDateTime& now)
{
    clockBase_ = now.addMSecs(-elapsedMs_);
}

ElevatorModel::LockoutPeriod ElevatorModel::lockoutPeriod(int floor) const
{
    return floor >= 1 && floor <= 48 ? lockout_[size_t(floor)] : LockoutPeriod{};
}

bool ElevatorModel::setLockoutPeriod(int floor, const LockoutPeriod& p)
{
    if (floor < 1 || floor > 48 || p.startHour > 23 || p.endHour > 23 || p.startMinute > 59 || p.endMinute > 59 ||
        p.startHour < 0 || p.endHour < 0 || p.startMinute < 0 || p.endMinute < 0)
        return false;
    lockout_[size_t(floor)] = p;
    return true;
}

bool ElevatorModel::icCardValid(int card) const
{
    return icCards_.contains(card & 0xFFFF);
}

void ElevatorModel::setIcCard(int card, bool valid)
{
    card &= 0xFFFF;
    icCards_.removeAll(card);
    if (valid)
        icCards_.append(card);
}

QList<int> ElevatorModel::validIcCards() const
{
    return icCards_;
}

// --- Motion --------------------------------------------------------------

double ElevatorModel::ratedSpeed() const
{
    return clampInt(params_[6], 50, 10000, 1000);
}

double ElevatorModel::acceleration() const
{
    return modern() ? clampInt(params_[0], 100, 2000, 700) : 700;
}

void ElevatorModel::advance(std::int64_t ms)
{
    if (ms <= 0)
        return;
    elapsedMs_ += ms;
    std::int64_t left = ms + stepRemainderMs_;
    while (left >= kStepMs) {
        step(kStepMs);
        left -= kStepMs;
    }
    stepRemainderMs_ = int(left);
}

void ElevatorModel::step(int ms)
{
    if (gongMs_ > 0)
        gongMs_ -= ms;
    if (faultHoldMs_ > 0) {
        faultHoldMs_ -= ms;
        if (faultHoldMs_ <= 0) {
            faultHoldMs_ = 0;
            lockBroken_ = false;
            if (!levelAtFloor() && !inspection_)
                phase_ = Phase::Levelling;
        }
        return;
    }
    if (phase_ == Phase::Running && faultEverySeconds_ > 0) {
        runningMs_ += ms;
        if (runningMs_ >= std::int64_t(faultEverySeconds_) * 1000) {
            runningMs_ = 0;
            const QList<int> codes = knownFaultCodes();
            const int code = std::uniform_int_distribution<int>(0, 1)(random_) == 0
                                 ? 2
                                 : codes[std::uniform_int_distribution<qsizetype>(0, codes.size() - 1)(random_)];
            injectFault(code);
            return;
        }
    }
    stepDoor(ms);
    if (learning())
        stepLearning(ms);
    else
        stepMotion(ms);
}

void ElevatorModel::openDoor(bool hallCall)
{
    answeredHallCall_ = hallCall;
    if (door_ == DoorState::Open) {
        doorMs_ = std::max(doorMs_, int(clampInt(params_[hallCall ? 14 : 15], 1, 600, 3)) * 1000);
        return;
    }
    const int closedPart = door_ == DoorState::Closing ? kDoorClosingMs - doorMs_ : kDoorClosingMs;
    door_ = DoorState::Opening;
    doorMs_ = std::max(200, kDoorOpeningMs * closedPart / kDoorClosingMs);
}

void ElevatorModel::stepDoor(int ms)
{
    switch (door_) {
    case DoorState::Closed:
        return;
    case DoorState::Opening:
        doorMs_ -= ms;
        if (doorMs_ <= 0) {
            door_ = DoorState::Open;
            doorMs_ = int(clampInt(params_[answeredHallCall_ ? 14 : 15], 1, 600, 3)) * 1000;
        }
        return;
    case DoorState::Open: {
        // Parked with open doors under fire service; held open by an overload.
        const bool firePark = fire_ && levelAtFloor() && nearestStop() == stopOf(clampInt(params_[18], 1, floorCount(), 1));
        if (overload_ || firePark || inspection_)
            return;
        doorMs_ -= ms;
        if (doorMs_ <= 0) {
            door_ = DoorState::Closing;
            doorMs_ = kDoorClosingMs;
        }
        return;
    }
    case DoorState::Closing:
        if (overload_) {
            openDoor(false);
            return;
        }
        doorMs_ -= ms;
        if (doorMs_ <= 0) {
            door_ = DoorState::Closed;
            doorMs_ = 0;
        }
        return;
    }
}

void ElevatorModel::clearCallsAt(int listed, bool arrivingUp, bool arrivingDown)
{
    if (listed < 1)
        return;
    const std::uint64_t b = 1ULL << (listed - 1);
    carCalls_ &= ~b;
    if (fullLoad_)
        return;
    const int stop = stopOf(listed);
    const bool moreAbove = callsAbove(stop);
    const bool moreBelow = callsBelow(stop);
    if (arrivingUp || (!arrivingDown && !(downCalls_ & b))) {
        upCalls_ &= ~b;
        if (!moreAbove)
            downCalls_ &= ~b;
    } else {
        downCalls_ &= ~b;
        if (!moreBelow)
            upCalls_ &= ~b;
    }
    if (!arrivingUp && !arrivingDown) {
        upCalls_ &= ~b;
        downCalls_ &= ~b;
    }
}

// Collective control: keep the direction while calls lie ahead, stopping
// at car calls and at hall calls of that direction; the farthest hall call
// against the direction turns the car.
int ElevatorModel::chooseTarget() const
{
    const int here = nearestStop();
    const auto search = [this, here](int dir) {
        int matching = 0, farthest = 0;
        for (int p = 1; p <= floorCount(); ++p) {
            const int s = stopOf(p);
            if ((s - here) * dir <= 0)
                continue;
            const int n = p - 1;
            const bool car = bit(carCalls_, n);
            const bool with = !fullLoad_ && bit(dir > 0 ? upCalls_ : downCalls_, n);
            const bool against = !fullLoad_ && bit(dir > 0 ? downCalls_ : upCalls_, n);
            if ((car || with) && (!matching || (s - matching) * dir < 0))
                matching = s;
            if (against && (!farthest || (s - farthest) * dir > 0))
                farthest = s;
        }
        return matching ? matching : farthest;
    };
    const int first = direction_ >= 0 ? 1 : -1;
    if (int s = search(first))
        return s;
    return search(-first);
}

void ElevatorModel::dispatch()
{
    if (door_ != DoorState::Closed || inspection_ || !safetyClosed_)
        return;
    if (!levelAtFloor()) {
        // Stopped between floors (inspection, an emergency stop): level first.
        phase_ = Phase::Levelling;
        return;
    }
    if (overload_)
        return;
    const int here = nearestStop();
    int target = 0;
    if (fire_) {
        target = stopOf(clampInt(params_[18], 1, floorCount(), 1));
        if (target == here) {
            if (door_ == DoorState::Closed && levelAtFloor())
                openDoor(false);
            return;
        }
    } else if (locked_) {
        target = stopOf(clampInt(params_[19], 1, floorCount(), 1));
        if (target == here)
            return;
    } else {
        const int listed = listedOf(here);
        if (listed && callAt(listed) && levelAtFloor()) {
            const bool hall = bit(upCalls_ | downCalls_, listed - 1);
            clearCallsAt(listed, direction_ > 0, direction_ < 0);
            openDoor(hall);
            return;
        }
        target = chooseTarget();
        if (!target) {
            direction_ = 0;
            return;
        }
    }
    targetStop_ = target;
    direction_ = target > here ? 1 : -1;
    phase_ = Phase::Starting;
    phaseMs_ = clampInt(params_[16], 100, 3000, 300) + 200;
}

void ElevatorModel::arriveAt(int stop)
{
    position_ = truePosition_[size_t(stop)];
    velocity_ = 0;
    targetStop_ = 0;
    phase_ = Phase::Stopping;
    phaseMs_ = clampInt(params_[17], 100, 3000, 500);
    runCounter_ = (runCounter_ + 1) & 0xFFFF;
    gongMs_ = kGongMs;
}

void ElevatorModel::stepMotion(int ms)
{
    const double dt = ms / 1000.0;
    switch (phase_) {
    case Phase::Idle:
        if (!faultActive())
            dispatch();
        return;
    case Phase::Starting:
        phaseMs_ -= ms;
        if (phaseMs_ <= 0)
            phase_ = Phase::Running;
        return;
    case Phase::Stopping:
        phaseMs_ -= ms;
        if (phaseMs_ <= 0) {
            phase_ = Phase::Idle;
            const int listed = listedOf(nearestStop());
            if (fire_ || locked_) {
                if (fire_)
                    openDoor(false);
                return;
            }
            const bool hall = listed && bit(upCalls_ | downCalls_, listed - 1);
            const bool car = listed && bit(carCalls_, listed - 1);
            clearCallsAt(listed, direction_ > 0, direction_ < 0);
            if (!anyCall())
                direction_ = 0;
            openDoor(hall && !car);
        }
        return;
    case Phase::Levelling: {
        const int stop = nearestStop();
        const double goal = truePosition_[size_t(stop)];
        const double speed = clampInt(params_[13], 10, 300, 50);
        const double d = goal - position_;
        if (std::abs(d) <= speed * dt) {
            position_ = goal;
            velocity_ = 0;
            phase_ = Phase::Stopping;
            phaseMs_ = clampInt(params_[17], 100, 3000, 500);
        } else {
            velocity_ = d > 0 ? speed : -speed;
            position_ += velocity_ * dt;
        }
        return;
    }
    case Phase::Running:
        break;
    }

    if (!targetStop_) {
        velocity_ = 0;
        phase_ = Phase::Idle;
        return;
    }
    const double acc = acceleration();
    const double vmax = ratedSpeed();
    const double speed = std::abs(velocity_);
    const double stopping = speed * speed / (2 * acc);
    // A call that turns up ahead, still within reach, becomes the target.
    if (!fire_ && !locked_) {
        for (int p = 1; p <= floorCount(); ++p) {
            const int s = stopOf(p);
            const double ahead = (truePosition_[size_t(s)] - position_) * direction_;
            const double toTarget = (truePosition_[size_t(targetStop_)] - position_) * direction_;
            if (ahead <= stopping + 50 || ahead >= toTarget)
                continue;
            const int n = p - 1;
            if (bit(carCalls_, n) || (!fullLoad_ && bit(direction_ > 0 ? upCalls_ : downCalls_, n)))
                targetStop_ = s;
        }
    }
    const double goal = truePosition_[size_t(targetStop_)];
    const double remaining = std::abs(goal - position_);
    const double wanted = std::min(vmax, std::max(kCreepSpeed, std::sqrt(2 * acc * remaining)));
    double v = speed < wanted ? std::min(wanted, speed + acc * dt) : wanted;
    if (remaining <= v * dt || remaining < 0.5) {
        arriveAt(targetStop_);
        return;
    }
    velocity_ = direction_ * v;
    position_ += velocity_ * dt;
}

void ElevatorModel::stepLearning(int ms)
{
    const double dt = ms / 1000.0;
    const double bottom = truePosition_[1];
    const double top = truePosition_[size_t(stopCount_)];
    const auto moveTo = [&](double goal) {
        const double acc = acceleration();
        const double remaining = std::abs(goal - position_);
        const double speed = std::abs(velocity_);
        const double wanted = std::min(kLearnSpeed, std::max(kCreepSpeed, std::sqrt(2 * acc * remaining)));
        const double v = speed < wanted ? std::min(wanted, speed + acc * dt) : wanted;
        if (remaining <= v * dt) {
            position_ = goal;
            velocity_ = 0;
            return true;
        }
        velocity_ = (goal > position_ ? 1 : -1) * v;
        position_ += velocity_ * dt;
        return false;
    };
    switch (learnPhase_) {
    case LearnPhase::None:
        return;
    case LearnPhase::ClosingDoors:
        if (door_ == DoorState::Open || door_ == DoorState::Opening) {
            door_ = DoorState::Closing;
            doorMs_ = kDoorClosingMs;
        }
        if (door_ == DoorState::Closed) {
            learnPhase_ = LearnPhase::Down;
            phase_ = Phase::Running;
        }
        return;
    case LearnPhase::Down:
        if (moveTo(bottom)) {
            learnPhase_ = LearnPhase::Up;
            learnNext_ = 1;
        }
        return;
    case LearnPhase::Up: {
        const bool done = moveTo(top);
        std::uniform_int_distribution<int> jitter(-3, 3);
        while (learnNext_ <= stopCount_ && truePosition_[size_t(learnNext_)] <= position_ + 0.01) {
            learned_[size_t(learnNext_)] = std::int32_t(std::lround(truePosition_[size_t(learnNext_)])) + jitter(random_);
            ++learnNext_;
        }
        if (done) {
            switches_ = {480 + jitter(random_), std::int32_t(top - 2400) + jitter(random_),
                         std::int32_t(top - 1300) + jitter(random_), std::int32_t(bottom + 2400) + jitter(random_),
                         std::int32_t(bottom + 1300) + jitter(random_)};
            learnPhase_ = LearnPhase::None;
            phase_ = Phase::Stopping;
            phaseMs_ = clampInt(params_[17], 100, 3000, 500);
            direction_ = 0;
        }
        return;
    }
    }
}
