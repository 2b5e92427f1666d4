// The frame check of a reply, the hex decoders at every position of a
// text, and the builders: a frame built from any text passes the check.

#include "FrameBuffer.h"
#include "FuzzInput.h"
#include "HexCodec.h"

#include <algorithm>
#include <cctype>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::FrameText frame(data, size);
    const char* text = frame.get();

    rxFrame.assign(text);
    fuzz::check(std::size_t(rxFrame.length()) == std::min(frame.size(), std::size_t(FrameBuffer::kSize - 1)),
                "a frame keeps its text up to the buffer's end");
    rxFrame.checkReply();

    for (std::size_t i = 0; i <= frame.size(); ++i) {
        const char* p = text + i;
        fuzz::check(decodeHex1(p) < 16, "one digit is below 16");
        const unsigned byte = decodeHex2(p);
        fuzz::check(byte < 256, "two digits are below 256");
        fuzz::check((decodeHex4(p) & 0xFFu) == byte, "a word's low byte comes first");
        fuzz::check((decodeHex8(p) & 0xFFFFu) == decodeHex4(p), "a long's low word comes first");
        if (hexDigitValue(p[0]) >= 0 && hexDigitValue(p[1]) >= 0) {
            const auto digits = encodeHex2(byte);
            fuzz::check(digits[0] == std::toupper(static_cast<unsigned char>(p[0])) &&
                            digits[1] == std::toupper(static_cast<unsigned char>(p[1])),
                        "two digits encode back to themselves");
        }
    }

    // The first two characters, when there are any, pick the command pair.
    const char c3 = frame.size() > 0 ? text[0] : 'A';
    const char c4 = frame.size() > 1 ? text[1] : '0';
    txFrame.buildText(255, c3, c4, frame.size() > 2 ? text + 2 : "");
    fuzz::check(txFrame.checkReply(), "a built frame passes the frame check");
    return 0;
}
