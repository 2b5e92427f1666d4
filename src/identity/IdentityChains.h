#pragma once

#include "Identity.h"

#include <functional>
#include <optional>

// The exchanges of the general parameters page, without widgets; the page
// and the command line both run them.
namespace identity {

// Reads the program name, the elevator ID, the telephone number and the
// run counter (two tries each, stopping at the first that fails), then the
// clock (one try). Each reply goes into values as it comes, and onReply
// (when set) is called after it. False when a value went unanswered twice.
bool readIdentity(IdentityValues& values, const std::function<void()>& onReply = {});

// The values that tell which controller this is: the program name, the
// elevator ID and the telephone number, as readIdentity reads them.
bool readNameplate(IdentityValues& values);

// 'A' '9' once: the clock's six fields; nothing when no clock reply came.
std::optional<ClockFields> readClockFields();

// 'F' '9' with the twelve digits of the fields; true only on its
// confirmation, 'F' '9' with 'F' at index 5.
bool sendClock(const ClockFields& fields);

// 'F' '1' with the ID's first 9 characters and a CR; no reply is read (a
// read of the identity shows what the controller took).
void sendElevatorId(const QString& id);

// 'F' '2' with the number's first 13 characters and a CR; true when the
// reply said it was taken ('F' '2' with 'F' at index 5).
bool setTelephone(const QString& number);

// 'F' 'R' '1': the run counter back to 0; no reply is read.
void sendRunCounterReset();

} // namespace identity
