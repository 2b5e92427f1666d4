// Frame assembly from a received byte stream, checked against a plain
// model of it: STX opens or restarts a frame, ETX closes it, a frame longer
// than the buffer holds is dropped, the text ends at a NUL received inside.

#include "FrameAssembler.h"
#include "FuzzInput.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FrameAssembler assembler;
    std::string open;
    bool isOpen = false;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = char(data[i]);
        bool expected = false;
        if (c == STX) {
            open.assign(1, STX);
            isOpen = true;
        } else if (isOpen && c == ETX) {
            open += c;
            isOpen = false;
            expected = true;
        } else if (isOpen && open.size() >= std::size_t(FrameAssembler::kSize - 2)) {
            isOpen = false;
        } else if (isOpen) {
            open += c;
        }

        const bool completed = assembler.take(data[i]);
        fuzz::check(completed == expected, "a frame completes exactly at the ETX of a frame that fits");
        fuzz::check(assembler.frameOpen() == isOpen, "a frame is open from its STX to its ETX");
        if (!completed)
            continue;
        const char* text = assembler.frameText();
        fuzz::check(strnlen(text, FrameAssembler::kSize) < std::size_t(FrameAssembler::kSize),
                    "the frame text ends inside the buffer");
        fuzz::check(std::string(text) == std::string(open.c_str()), "the frame text is the frame up to a NUL");
        rxFrame.assign(text);
        rxFrame.checkReply();
    }
    return 0;
}
