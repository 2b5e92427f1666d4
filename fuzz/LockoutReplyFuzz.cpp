// The replies of the lock-out schedule (floor count and periods) and the
// four characters of a bit-mask value.

#include "DialogValues.h"
#include "FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::FrameText frame(data, size);
    if (const auto floors = params::parseFloorCount(frame.get()))
        fuzz::check(*floors >= 0 && *floors <= params::kMaxLockoutFloors, "floors keep to the limit");
    if (const auto period = params::parseLockoutPeriod(frame.get())) {
        fuzz::check(period->startHour < 256 && period->startMinute < 256 && period->endHour < 256 &&
                        period->endMinute < 256,
                    "period fields are bytes");
        params::periodTime(period->startHour, period->startMinute);
    }
    const std::uint16_t mask = params::bitMaskValue(frame.get());
    fuzz::check(params::bitMaskValue(params::bitMaskChars(mask).data()) == mask, "a mask's characters read back");
    return 0;
}
