// The parameter reply of both parameter pages, in both value widths, and
// the texts made of it. The reply is decoded from the frame buffer twice,
// once after a longer earlier frame and once from a clean buffer: what
// lies behind the reply's NUL must not change the result.

#include "FrameBuffer.h"
#include "FuzzInput.h"
#include "ParamReply.h"

#include <cstring>

namespace {

ParamReading decodeAfter(char earlier, const char* text, bool oneByte)
{
    fuzz::assignAfter(rxFrame, earlier, text);
    return decodeParamReply(rxFrame, oneByte);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::FrameText frame(data, size);
    for (const bool oneByte : {false, true}) {
        const ParamReading reading = decodeAfter('\0', frame.get(), oneByte);
        const ParamReading afterDigits = decodeAfter('7', frame.get(), oneByte);
        fuzz::check(reading.number == afterDigits.number && reading.value == afterDigits.value,
                    "nothing behind the reply's end is read");
        fuzz::check(reading.number >= 0 && reading.number < 256, "the number is one byte");
        fuzz::check(reading.value < (oneByte ? 0x100u : 0x10000u), "the value keeps to its width");
        paramNumberText(reading.number);
    }
    leadingInteger(QString::fromLatin1(frame.get()));
    return 0;
}
