#pragma once

#include "FaultDescriptions.h"

#include <QString>

namespace cli {

// A fault record's time as the window shows it, in ISO 8601: the long
// records' "YY-MM-DD hh:mm" as "20YY-MM-DDThh:mm", the short records'
// eight characters MMDDhhmm, which carry no year, as "--MM-DDThh:mm". A
// time of another shape stays as it came.
QString isoFaultTime(const QString& shown, FaultLayout layout);

} // namespace cli
