#pragma once

#include <functional>
#include <optional>

// Helpers of the synchronous exchange that every page performs while it
// holds a LinkBusyGuard: the request is already built in txFrame.

// Writes txFrame, waits waitMs, reads up to `wanted` characters into
// rxFrame. Returns the count read (0: no reply).
int transact(int waitMs, int wanted);

// As transact, but the reply is taken as soon as its ETX arrives, waiting
// at most timeoutMs for it.
int transactAsItComes(int waitMs, int wanted, int timeoutMs);

// Writes txFrame without reading (write-only requests and polls).
void sendRequest();

// rxFrame is a whole frame (it ends with its ETX) that carries this
// command and sub-command.
bool replyIs(char command, char subCommand);

// rxFrame carries command and sub-command and 'F' at flagIndex.
bool replyAccepted(char command, char subCommand, int flagIndex);

// The shape of an exchange that is tried again until its reply is
// accepted: each try waits beforeMs, writes txFrame, waits waitMs and reads
// up to `wanted` characters; a try whose reply is refused is followed by
// afterFailureMs of waiting when another try comes (after a try that read
// nothing at all, only when pauseAfterSilence).
struct Tries
{
    int tries = 2;
    int waitMs = 50;
    int wanted = 20;
    int beforeMs = 0;
    int afterFailureMs = 0;
    bool pauseAfterSilence = true;
    // Above 0: after the wait, the reply is taken as soon as its ETX
    // arrives, waiting at most this long, instead of the fixed polls.
    int replyTimeoutMs = 0;
};

// Judges the reply now in rxFrame, given the count read.
using ReplyCheck = std::function<bool(int got)>;

// Runs the tries of the request in txFrame; true once a reply is accepted
// (rxFrame then holds it), false when every try failed.
bool exchangeUntil(const Tries& shape, const ReplyCheck& accepted);

// The usual checks of a reply.
namespace accept {
// Any character was read.
bool any(int got);
// Something was read and it is a whole frame with command and sub-command
// (no checksum check).
ReplyCheck matching(char command, char subCommand);
// As matching, and the frame check passes.
ReplyCheck framed(char command, char subCommand);
// As matching, and 'F' stands at flagIndex (no checksum check).
ReplyCheck flagged(char command, char subCommand, int flagIndex);
} // namespace accept

// The layout probe of the status, fault and parameter pages: 'A' '1' HH(0),
// 50 ms, up to 80 characters. Nothing when no whole 'A' '1' frame came;
// otherwise true for the controller's longer record and parameter layout,
// whose reply runs to 23 characters or more.
std::optional<bool> probeExtendedLayout();
