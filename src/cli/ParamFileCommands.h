#pragma once

#include "CliOptions.h"

namespace cli {

// params show: a parameter set file as a table or CSV.
int runParamsShow(const CliOptions& options);
// params diff: the parameters two files hold differently; exit as diff(1).
int runParamsDiff(const CliOptions& options);

} // namespace cli
