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
const Tries kResetCommand{.tries = 1, .waitMs = 50, .wanted = 20};

} // namespace

FaultRead readFaultRecords(const FaultReadObserver& observer)
{
    FaultRead read;
    LinkBusyGuard busy;
    // The reply to record 0 in the long form tells the layout.
    const std::optional<bool> extended = probeExtendedLayout();
    if (!extended)
        return read;
    read.answered = true;
    read.extendedLayout = *extended;
    const int count = read.extendedLayout ? kLongRecords : kShortRecords;
    if (observer.layoutKnown)
        observer.layoutKnown(read.extendedLayout, count);

    for (int i = 0; i < count; ++i) {
        if (read.extendedLayout)
            request::readFaultRecord(i);
        else
            request::readShortFaultRecord(i);
        if (!exchangeUntil(kRecordRead, accept::matching('A', '1')))
            return read;
        const std::optional<FaultRecordRow> row = parseFaultRecord(rxFrame.text(), read.extendedLayout);
        if (row && observer.row)
            observer.row(i, *row);
        if (observer.recordRead)
            observer.recordRead(i);
    }
    read.complete = true;
    return read;
}

bool clearFaultRecords()
{
    LinkBusyGuard busy;
    request::clearFaultRecords();
    return exchangeUntil(kResetCommand, accept::flagged('F', 'R', 6));
}

} // namespace records
