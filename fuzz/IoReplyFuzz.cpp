// The reply of the I/O status page.

#include "FuzzInput.h"
#include "IoReply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::FrameText frame(data, size);
    if (const auto reply = monitor::parseIoReply(frame.get())) {
        fuzz::check(reply->inputCount >= 0 && reply->inputCount <= monitor::kInputBytes, "input bytes fit");
        fuzz::check(reply->outputCount >= 0 && reply->outputCount <= monitor::kOutputBytes, "output bytes fit");
    }
    return 0;
}
