#pragma once

#include "Exchange.h"
#include "ParamFile.h"
#include "ParamLayout.h"

#include <QList>
#include <QString>

#include <array>

#include <functional>
#include <optional>

// The exchanges of the parameter pages, without widgets: the read-all with
// its layout probe, the write of one value with its read-back, the write of
// a parameter set file and the reset to factory values. The window's pages
// and the command line both run them. Each holds linkBusy for its whole run.
namespace params {

// The two controllers on the line. The main controller numbers parameter
// index 0 as F1, the door operator as F0: that tells them apart.
enum class Peer { MainController, DoorOperator };

// How one controller's parameters are read and written: the elevator
// controller's and the door operator's differ in these only.
struct ParamController
{
    Peer peer;           // the controller these are for
    // Without a fixed layout the layout probe chooses one (173 or 114).
    const ParamLayout* fixedLayout;
    int settleMs;        // before the first read of a read-all
    Tries readTries;     // each parameter of a read-all
    int shortestReply;   // a read-all reply with fewer characters is unusable
    // An unusable reply (something read, refused) leaves the parameter out
    // and reading goes on; otherwise any failure ends the read-all.
    bool skipUnusable;
    Tries rereadTries;   // the read-back after a write
    int importFlagIndex; // where a file write's reply says 'F' (written)
};

extern const ParamController kElevatorController;
extern const ParamController kDoorController;

// One parameter as read: its protocol index, the controller's own number
// for it (shown as "F%i"), its value and its description in the layout's
// table (empty when the table has none).
struct ParamRow
{
    int index = 0;
    int number = 0;
    unsigned value = 0;
    QString description;
};

// How a read-all went.
enum class ReadAllEnd {
    Complete,
    NoProbeReply,  // the layout probe got no reply: nothing was read
    Failed,        // a parameter went unanswered (failedIndex); the rows before it came
    Stopped,       // keepGoing said no
};

struct ReadAllResult
{
    ReadAllEnd end = ReadAllEnd::Complete;
    ParamLayout layout = kLayout173;
    int failedIndex = -1;
};

// The pace of a read-all: the window's fixed waits (50 ms, then polls of
// 80 ms), or fast: the same frames, each reply taken as soon as its ETX
// arrives (up to replyTimeoutMs), gapMs between two exchanges.
struct ReadPace
{
    bool fast = false;
    int replyTimeoutMs = 300;
    int gapMs = 10;
};

// Which controller answers: 'A' '5' HH(0), two tries, each reply taken as
// soon as it is complete (within 500 ms); nothing when no framed reply came.
std::optional<Peer> identifyPeer();

// The controller's layout: the fixed one, or the probe's choice; nothing
// when the probe had no answer.
std::optional<ParamLayout> readLayout(const ParamController& controller);

// What a read-all tells as it goes; every member may be left empty.
struct ReadAllObserver
{
    std::function<void(const ParamLayout&)> layoutKnown;  // before the first parameter
    std::function<void(const ParamRow&)> row;             // each parameter read
    // Asked after each parameter; false ends the read-all as Stopped.
    std::function<bool()> keepGoing;
};

// Reads every parameter of the layout in index order.
ReadAllResult readAllParameters(const ParamController& controller, const ReadAllObserver& observer,
                                const ReadPace& pace = {});

// The write of an edit: two tries, 100 ms apart; confirmed by 'F' '5' with
// 'F' at index 5. The lock-out switch waits longer for its reply.
inline constexpr Tries kEditWriteTries{.tries = 2, .waitMs = 50, .wanted = 20, .afterFailureMs = 100};
inline constexpr Tries kSwitchWriteTries{.tries = 2, .waitMs = 100, .wanted = 20, .afterFailureMs = 100};

// True when the write was confirmed.
bool writeParameter(int index, unsigned value, const Tries& tries = kEditWriteTries);
// The same with the four value characters of the bit-mask dialog.
bool writeParameterChars(int index, const char* four);

// The bit-mask dialog's read of a parameter's four value characters, as
// they came (low byte first): two tries, 100 ms each; after a reply that
// is not the parameter's (or too short to carry the four characters) a
// pause of 100 ms, after no reply at all the next try at once.
struct ValueChars
{
    enum class End { Read, NoReply, WrongReply } end = End::NoReply;
    char chars[5] = {};  // NUL-terminated; valid when Read
};
ValueChars readValueChars(int index);

// The four value characters of an 'A' '5' reply in rxFrame; nothing when
// the reply is another or ends before them.
std::optional<std::array<char, 5>> valueCharsOfReply();

// The read-back after a write; nothing when both tries failed.
std::optional<unsigned> readParameterBack(const ParamController& controller, const ParamLayout& layout, int index);
// The same, with the controller's number for the parameter and its
// description; fast: each reply taken as soon as it is complete.
std::optional<ParamRow> readParameterRow(const ParamController& controller, const ParamLayout& layout, int index,
                                         bool fast = false);

// The record that ended a file's write: not answered at all, refused by
// the controller ('F' '5' without the flag), or answered with something
// else than its confirmation.
struct RefusedRecord
{
    int index = 0;
    bool answered = false;
    bool refused = false;
};

// Writes the records of a parameter set file in order, one try each, up to
// the first record that is not confirmed: a record is written only when
// its own 'F' '5' frame carries 'F' at the controller's flag index.
// Nothing when every record was written. progress (when set) gets the
// count written so far.
std::optional<RefusedRecord> writeRecords(const ParamController& controller, const QList<ParamRecord>& records,
                                          const std::function<void(int written)>& progress = {});

// What became of one record written: the controller's own whole 'F' '5'
// frame with 'F' at its flag index confirms it, without the flag refuses
// it; a record without such a frame may have been written or not.
enum class WriteOutcome { Confirmed, Refused, Unconfirmed };

// Writes one record; a record left unconfirmed is sent again up to
// `retries` times (writing a value twice is harmless). Fast: the reply is
// taken as soon as it is complete instead of after the fixed wait.
WriteOutcome writeRecord(const ParamController& controller, const ParamRecord& record, int retries, bool fast);

// 'F' 'R' '3': every parameter back to its factory value. True only on
// its confirmation: 'F' 'R' with 'F' at index 6.
bool resetParameters();

} // namespace params
