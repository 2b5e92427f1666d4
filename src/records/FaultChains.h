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

// What the read tells as it goes; every member may be left empty.
struct FaultReadObserver
{
    // Once the layout is known, before the first record: the layout and
    // the number of records it holds.
    std::function<void(bool extendedLayout, int records)> layoutKnown;
    // Each record that holds a fault, with its position.
    std::function<void(int position, const FaultRecordRow& row)> row;
    // Each record read, empty slots included.
    std::function<void(int position)> recordRead;
};

// Probes the record layout, then reads records 0 to 19 (long) or 0 to 15
// (short), two tries each, stopping at the first that fails.
FaultRead readFaultRecords(const FaultReadObserver& observer);

// 'F' 'R' '2': clears the fault records. True when the controller said it
// did ('F' at index 6).
bool clearFaultRecords();

} // namespace records
