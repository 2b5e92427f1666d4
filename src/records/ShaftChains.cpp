#include "ShaftChains.h"

#include "Exchange.h"
#include "FrameBuffer.h"
#include "LinkWait.h"
#include "RecordReplies.h"
#include "Requests.h"

#include <algorithm>

namespace records {

namespace {

constexpr int kFloorCountParameter = 11;
// The shaft values below the switch values hold the floor positions, so no
// controller has more floors; a larger count is a garbled reply and would
// keep the read going for hours.
constexpr int kMaxFloors = kFirstShaftSwitchValue - 1;

const Tries kFloorCountRead{.tries = 2, .waitMs = 50, .wanted = 20};
const Tries kFloorRead{.tries = 2, .waitMs = 50, .wanted = 80};
const Tries kSwitchRead{.tries = 1, .waitMs = 100, .wanted = 80};
const Tries kLearnCommand{.tries = 1, .waitMs = 50, .wanted = 20};

} // namespace

ShaftData readShaftData(const ShaftReadObserver& observer)
{
    ShaftData data;
    LinkBusyGuard busy;
    request::readParameter(kFloorCountParameter);
    if (!exchangeUntil(kFloorCountRead, accept::framed('A', '5')))
        return data;
    data.floorCountRead = true;
    const int floors = std::min(floorCount(rxFrame.text()), kMaxFloors);
    if (observer.floorCountKnown)
        observer.floorCountKnown(floors);

    for (int k = 1; k <= floors; ++k) {
        request::readShaftValue(k);
        if (!exchangeUntil(kFloorRead, accept::matching('A', '6')))
            return data;
        data.floors.append(shaftValue(rxFrame.text()));
        if (observer.floorRead)
            observer.floorRead(k, data.floors.back());
    }
    data.complete = true;

    // The value's own reply is taken; a value without one stays unknown.
    for (int i = 0; i < kShaftSwitchValues; ++i) {
        request::readShaftValue(kFirstShaftSwitchValue + i);
        if (exchangeUntil(kSwitchRead, accept::matching('A', '6')))
            data.switches[size_t(i)] = shaftValue(rxFrame.text());
    }
    return data;
}

bool startShaftLearning()
{
    LinkBusyGuard busy;
    request::startShaftLearning();
    return exchangeUntil(kLearnCommand, accept::flagged('F', '4', 5));
}

} // namespace records
