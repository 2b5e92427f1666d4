#pragma once

#include "CliOptions.h"

namespace cli {

// record: polls status and I/O in turn at the pages' pace and writes the
// frames the flight recorder keeps to a recording, for --duration or until
// interrupted.
int runRecord(const CliOptions& options);

// record export FILE --vcd|--csv [--bom] [-o OUT]: the recording as a value
// change dump or as comma-separated values, beside it or to OUT.
int runRecordExport(const CliOptions& options);

} // namespace cli
