#pragma once

#include "CliOptions.h"

namespace cli {

// watch: polls the status as the status page does and prints one line per
// status reply until interrupted or --count lines.
int runWatch(const CliOptions& options);

} // namespace cli
