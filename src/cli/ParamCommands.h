#pragma once

#include "CliOptions.h"

namespace cli {

// params read: every parameter to a parameter set file, CSV or a table.
int runParamsRead(const CliOptions& options);
// params write: a parameter set file into the controller, as the window's
// import, with an optional read-back.
int runParamsWrite(const CliOptions& options);

} // namespace cli
