#include "FaultChains.h"

#include "Exchange.h"
#include "FrameBuffer.h"
#include "LinkWait.h"
#include "Requests.h"

namespace records {

namespace {

constexpr int kLongRecords = 20;
constexpr int kShortRecords = 16;
const Tries kRecordRead{.tries = 2, .waitMs = 50, .wanted = 80};

} // namespace

FaultRead readFaultRecords(const std::function<void(bool extendedLayout)>& onLayout,
                           const std::function<void(int position, const FaultRecordRow& row)>& onRow)
{
    FaultRead read;
    LinkBusyGuard busy;
    // The reply to record 0 in the long form tells the layout.
    const std::optional<bool> extended = probeExtendedLayout();
    if (!extended)
        return read;
    read.answered = true;
    read.extendedLayout = *extended;
    if (onLayout)
        onLayout(read.extendedLayout);

    const int count = read.extendedLayout ? kLongRecords : kShortRecords;
    for (int i = 0; i < count; ++i) {
        if (read.extendedLayout)
            request::readFaultRecord(i);
        else
            request::readShortFaultRecord(i);
        if (!exchangeUntil(kRecordRead, accept::matching('A', '1')))
            return read;
        if (const auto row = parseFaultRecord(rxFrame.text(), read.extendedLayout))
            onRow(i, *row);
    }
    read.complete = true;
    return read;
}

} // namespace records
