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

} // namespace identity
