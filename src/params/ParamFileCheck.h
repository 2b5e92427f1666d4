#pragma once

#include "ParamFile.h"
#include "ParamLayout.h"
#include "ParamRanges.h"

#include <QList>
#include <QString>

#include <optional>

// Whether a parameter set file's records can be written into a controller
// of a given layout, judged before anything is sent: every index inside the
// layout, ascending without repeats, every value inside its parameter's
// range, and (unless a part of a set is meant) one record per parameter.
namespace params {

enum class RecordFault {
    OutsideLayout,  // the index is not one of the layout's
    OutOfOrder,     // not above the index of the record before it
    Repeated,       // the same index as an earlier record
    OutOfRange,     // the value lies outside the parameter's range
};

struct RecordProblem
{
    int position = 0;  // 0-based, in the file
    ParamRecord record;
    RecordFault fault = RecordFault::OutsideLayout;
    ValueRange range;  // for OutOfRange
};

// The first record that cannot be written into this layout, or nothing.
std::optional<RecordProblem> checkRecords(const QList<ParamRecord>& records, const ParamLayout& layout);

// "record 48 (index 190): the index lies outside ... (0 to 172)".
QString describeProblem(const RecordProblem& problem, const ParamLayout& layout);

// A text the controller keeps in parameters, two characters a parameter,
// the first in the low byte: the elevator ID (140-144) and the telephone
// number (145-151) of the 173-parameter layout. The other layouts keep
// neither.
struct IdentityField
{
    QString name;  // "elevator ID", "telephone number"
    int first;
    int last;
};
QList<IdentityField> identityFields(const ParamLayout& layout);

// The text of such parameters' values, up to the first character that is
// not printable ASCII.
QString identityText(const QList<unsigned>& values);

// The name a controller of the layout shows for a parameter: the main
// controller numbers them from F1, the door operator from F0.
QString parameterName(const ParamLayout& layout, int index);

// "the 173-parameter elevator layout", "the 114-parameter elevator layout",
// "the door operator's layout".
QString layoutName(const ParamLayout& layout);

} // namespace params
