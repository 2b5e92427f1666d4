#include "HexCodec.h"

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

// Reads up to `width` hex digits, stopping at the first character that is
// not one. `ended` tells whether the text ends within the group (a NUL in
// it, also after such a character), so that wider decoders never look
// behind the end of a text.
unsigned readGroup(const char* p, int width, bool& ended)
{
    unsigned value = 0;
    bool stopped = false;
    ended = false;
    for (int i = 0; i < width; ++i) {
        if (p[i] == '\0') {
            ended = true;
            break;
        }
        const int d = hexDigitValue(p[i]);
        stopped = stopped || d < 0;
        if (!stopped)
            value = value * 16 + unsigned(d);
    }
    return value;
}

} // namespace

int hexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::array<char, 3> encodeHex2(unsigned x)
{
    x &= 0xFF;
    return {kDigits[x >> 4], kDigits[x & 0xF], '\0'};
}

unsigned decodeHex1(const char* p)
{
    if (!p)
        return 0;
    const int d = hexDigitValue(*p);
    return d < 0 ? 0 : unsigned(d);
}

unsigned decodeHex2(const char* p)
{
    if (!p)
        return 0;
    bool ended = false;
    return readGroup(p, 2, ended);
}

std::uint16_t decodeHex4(const char* p)
{
    if (!p)
        return 0;
    bool ended = false;
    const unsigned low = readGroup(p, 2, ended);
    if (ended)
        return std::uint16_t(low);
    const unsigned high = readGroup(p + 2, 2, ended);
    return std::uint16_t(high * 256 + low);
}

std::uint32_t decodeHex8(const char* p)
{
    if (!p)
        return 0;
    std::uint32_t value = 0;
    for (int byte = 0; byte < 4; ++byte) {
        bool ended = false;
        value |= std::uint32_t(readGroup(p + 2 * byte, 2, ended)) << (8 * byte);
        if (ended)
            break;
    }
    return value;
}
