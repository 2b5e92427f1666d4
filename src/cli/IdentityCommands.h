#pragma once

#include "CliOptions.h"

namespace cli {

// info: program name, elevator ID, telephone, run count and clock.
int runInfo(const CliOptions& options);
// clock set-now, clock set: sets the clock and prints it as read back.
int runClockSet(const CliOptions& options);

} // namespace cli
