// The replies the elevator status page reads: status, calls, speed and the
// floor count parameters, and the texts made of them.

#include "FloorDisplayText.h"
#include "FuzzInput.h"
#include "StatusDecoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::FrameText frame(data, size);
    if (const auto status = monitor::parseStatusReply(frame.get())) {
        fuzz::check(status->floorCode >= 0 && status->floorCode < 256 && status->byteA < 256 && status->byteB < 256,
                    "status fields are bytes");
        floorDisplayString(status->floorCode);
        const monitor::StatusTexts texts = monitor::decodeStatus(status->byteA, status->byteB);
        fuzz::check(texts.arrowCell >= 0 && texts.arrowCell < 8, "the arrow cell is one of eight");
    }
    monitor::parseCallReply(frame.get());
    if (const auto speed = monitor::parseSpeedReply(frame.get())) {
        fuzz::check(*speed >= -32768 && *speed <= 32767, "the speed is a signed 16-bit value");
        monitor::speedText(*speed);
    }
    if (const auto value = monitor::parseParameterReply(frame.get()))
        fuzz::check(*value <= 0xFFFFu, "a parameter is a 16-bit value");
    return 0;
}
