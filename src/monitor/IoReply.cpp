#include "IoReply.h"

#include "FrameBuffer.h"
#include "HexCodec.h"

#include <cstring>

namespace monitor {

namespace {

// Decodes whole digit pairs of [begin, end) into out, at most out.size().
template <size_t N>
int decodePairs(const char* begin, const char* end, std::array<std::uint8_t, N>& out)
{
    int count = 0;
    for (const char* p = begin; p + 1 < end && count < int(N); p += 2) {
        if (hexDigitValue(p[0]) < 0 || hexDigitValue(p[1]) < 0)
            break;
        out[size_t(count++)] = std::uint8_t(decodeHex2(p));
    }
    return count;
}

} // namespace

std::optional<IoReply> parseIoReply(const char* frame)
{
    if (!frame || strnlen(frame, 5) < 5 || frame[3] != 'A' || frame[4] != '4')
        return std::nullopt;
    const char* const work = frame + 5;
    const char* const workEnd = work + strnlen(work, kIoWindow);
    const char* const separator = static_cast<const char*>(std::memchr(work, kIoSeparator, size_t(workEnd - work)));
    if (!separator)
        return std::nullopt;

    IoReply reply;
    reply.inputCount = decodePairs(work, separator, reply.inputs);

    // The output group runs to the ETX, less the two checksum digits.
    const char* const outBegin = separator + 1;
    const char* outEnd = static_cast<const char*>(std::memchr(outBegin, ETX, size_t(workEnd - outBegin)));
    if (!outEnd)
        outEnd = workEnd;
    if (outEnd - outBegin > 2)
        reply.outputCount = decodePairs(outBegin, outEnd - 2, reply.outputs);
    return reply;
}

} // namespace monitor
