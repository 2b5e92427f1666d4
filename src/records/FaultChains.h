#pragma once

#include "RecordReplies.h"

#include <functional>

// The read of the fault records, without widgets; the fault page and the
// command line both run it.
namespace records {

struct FaultRead
{
    bool answered = false;      // the layout probe got a reply
    bool complete = false;      // every record was read
    bool extendedLayout = true; // the long records (valid when answered)
};

// Probes the record layout, then reads records 0 to 19 (long) or 0 to 15
// (short), two tries each, stopping at the first that fails. onLayout
// (when set) is called once the layout is known, before the first record;
// onRow gets each record that holds a fault, with its position.
FaultRead readFaultRecords(const std::function<void(bool extendedLayout)>& onLayout,
                           const std::function<void(int position, const FaultRecordRow& row)>& onRow);

} // namespace records
