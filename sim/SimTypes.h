#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <cstdint>

// Which main controller is simulated.
//  Modern: 173 parameters, long fault records (up to 20), fault codes of the
//          long description table.
//  Legacy: 114 parameters, short fault records (up to 16, read with one hex
//          digit), fault codes of the short description table.
enum class SimModel { Modern, Legacy };

// Operating modes a controller can be started in (several may be combined)
// or switched to at run time.
enum class SimMode { Inspection, FireService, Attendant, Locked, Independent, Overload, FullLoad };

// Faults of the line, not of the elevator: each makes one of the tool's
// failure paths reachable. Every field defaults to "off".
struct LinkFaults
{
    bool silent = false;          // nothing answers
    int stopAfterRequests = 0;    // > 0: after this many answered requests nothing answers any more
    int stopAtFaultRecord = -1;   // >= 0: from the request for this fault record ('A' '1') on, nothing answers
    int stopAtFloor = -1;         // >= 0: from the request for this shaft entry ('A' '6') or lock-out floor ('A' 'C') on
    int stopAtParameter = -1;     // >= 0: from the read or write of this parameter index ('A' '5', 'F' '5') on
    int dropEvery = 0;            // > 0: every k-th reply is not sent
    bool badChecksum = false;     // replies carry a wrong checksum
    bool lowercaseChecksum = false; // replies carry their checksum in lowercase hex digits
    int splitGapMs = 0;           // > 0: replies go out in two halves with this gap between them
    QByteArray noise;             // put before the STX of every reply
    bool overlong = false;        // replies are padded past the tool's 1024-character frame buffer
    bool wrongCommand = false;    // replies carry another sub-command than the request
    QByteArray onlyCommand;       // two characters, e.g. "A5": the reply faults above touch only
                                  // replies to this command pair (empty: all replies)
    int onlyParameter = -1;       // >= 0: ... and only replies to the read or write of this
                                  // parameter index ('A' '5', 'F' '5')

    // Faults of timing and of the wire; they touch everything sent.
    int lateStatusMs = 0;         // > 0: replies to the live polls ('A' '0', '3', '4', '8') go out this much later
    int reportInExchange = 0;     // > 0: this fault code is recorded and reported in the middle of the
                                  // next synchronous exchange (between its request and its reply)
    int chunkMs = 0;              // > 0: bytes reach the line in chunks every this many ms (an adapter's latency timer)
    double byteErrorRate = 0;     // each byte sent is corrupted with this probability

    bool any() const
    {
        return silent || stopAfterRequests > 0 || stopAtFaultRecord >= 0 || stopAtFloor >= 0 ||
               stopAtParameter >= 0 || dropEvery > 0 || badChecksum || lowercaseChecksum || splitGapMs > 0 ||
               !noise.isEmpty() || overlong || wrongCommand || lateStatusMs > 0 || reportInExchange > 0 ||
               chunkMs > 0 || byteErrorRate > 0;
    }
};

struct SimOptions
{
    SimModel model = SimModel::Modern;
    int elevatorBaud = 9600;      // main controller answers only at this rate
    int elevatorStopBits = 1;     // ... and with this many stop bits
    int doorBaud = 38400;         // door operator answers only at this rate
    int doorStopBits = 1;
    char specialCode = 'E';       // requests must carry it before their checksum
    int responseDelayMs = 3;      // from the request's ETX to the first reply character
    int resetDelayMs = 1500;      // 'F' 'R' '3': time until the reset is acknowledged

    QList<SimMode> startModes;    // modes in force at start
    bool faultHistory = true;     // start with a few old fault records
    int faultEverySeconds = 0;    // > 0: a random fault of the model's table every that many seconds of running
    bool faultReports = true;     // a new fault is reported unsolicited ('E' frame) until 'F' '6'
    int reportRepeatMs = 5000;    // repeat period of an unacknowledged fault report

    LinkFaults linkFaults;

    QString stateFile;            // when set: parameters and identity are loaded from and saved to it

    QString replayFile;           // when set: the live polls are answered from this recording (see Replay)

    double timeScale = 1.0;       // the elevator runs this many times faster than real time
    bool manualTime = false;      // the elevator moves only through ElevatorModel::advance()
    std::uint32_t seed = 1;       // random faults and learning-run deviations
};

// Texts of option values, shared by the command line and the console.
const char* modelName(SimModel model);
const char* modeName(SimMode mode);
bool parseMode(const QString& text, SimMode* mode);
