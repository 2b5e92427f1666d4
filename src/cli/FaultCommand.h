#pragma once

#include "CliOptions.h"

namespace cli {

// faults: every fault record with the description of its code.
int runFaults(const CliOptions& options);

} // namespace cli
