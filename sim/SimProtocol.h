#pragma once

#include <QByteArray>

#include <optional>

class ElevatorModel;
class DoorModel;

// Request parser and reply builder of the simulated controllers. Frames are
// STX .. ETX byte arrays; no global frame buffer is touched, so these run
// on any thread.
namespace sim {

// A request as the controller takes it apart.
struct Request
{
    QByteArray frame;   // STX .. ETX
    char command = 0;   // index 3
    char subCommand = 0; // index 4
    QByteArray args;    // index 5 up to the character before the checksum
    char trailer = 0;   // the special code (shape WF: the flag)

    // Command, sub-command and arguments, and for shape WF ('F' 'D') the
    // flag: what tests wait for, e.g. "A50B" or "F3105".
    QByteArray payload() const;
};

// Two uppercase hex digits of the sum modulo 256 of the characters.
QByteArray checksumOf(const QByteArray& characters);

// Takes a received frame apart; nothing when the controller must ignore
// it: too short, not addressed to 255, wrong checksum, or a special code
// other than `specialCode` (for 'F' 'D' a flag other than 'F' or '0').
std::optional<Request> parseRequest(const QByteArray& frame, char specialCode);

// A reply frame: STX "FF" c3 c4 data [trailer] HH(checksum) ETX; trailer 0
// means none. The checksum covers index 1 up to the character before it.
QByteArray buildReply(char c3, char c4, const QByteArray& data, char trailer = 0);

// An unsolicited fault report: 'E' at index 3, the fault code as HH at 5-6.
QByteArray buildFaultReport(int code, char specialCode);

// What the main controller sends back, and what it does, for an accepted
// request. `reply` stays empty for requests that are not answered (write-only
// requests, unknown commands, indexes outside the layout). 'F' 'R' '3'
// sets `delayed`: the reply goes out after the reset delay.
struct Outcome
{
    QByteArray reply;
    bool delayed = false;
    bool parametersChanged = false;  // for the state file
};

Outcome answerElevator(ElevatorModel& model, const Request& request, char specialCode);
Outcome answerDoor(DoorModel& model, const Request& request, char specialCode);

// The item a request names, for the "stop answering at" faults: the fault
// record of 'A' '1', the shaft entry of 'A' '6' or floor of 'A' 'C', the
// parameter index of 'A' '5' and 'F' '5'; -1 when it names none of them.
int faultRecordOf(const Request& request);
int floorOf(const Request& request);
int parameterOf(const Request& request);

} // namespace sim
