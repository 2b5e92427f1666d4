// The replies of the shaft data and fault record pages: the floor count,
// the shaft values and the fault records in both layouts.

#include "FaultDescriptions.h"
#include "FuzzInput.h"
#include "RecordReplies.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::FrameText frame(data, size);
    records::floorCount(frame.get());
    records::shaftValue(frame.get());
    for (const bool longLayout : {true, false}) {
        if (const auto row = records::parseFaultRecord(frame.get(), longLayout)) {
            fuzz::check(row->code != 0, "an empty slot gives no row");
            faultText(longLayout ? FaultLayout::Long : FaultLayout::Short, row->code);
        }
    }
    return 0;
}
