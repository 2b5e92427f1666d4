#pragma once

#include "CliOptions.h"

namespace cli {

// history list/show/diff/export/note/name/sync/import: the service record.
int runHistory(const CliOptions& options);

} // namespace cli
