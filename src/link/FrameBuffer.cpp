#include "FrameBuffer.h"

#include "HexCodec.h"

#include <cstring>

FrameBuffer txFrame;
FrameBuffer rxFrame;
char specialCode = '\0';

namespace {
// Room a builder keeps at the end for the trailer, two checksum digits,
// ETX and NUL.
constexpr int kTail = 5;
} // namespace

char effectiveSpecialCode()
{
    return specialCode == '\0' ? 'E' : specialCode;
}

int FrameBuffer::length() const
{
    return int(strnlen(buffer_, kSize - 1));
}

int FrameBuffer::begin(std::uint8_t addr, char c3, char c4)
{
    buffer_[0] = STX;
    putHex2(1, addr);
    buffer_[3] = c3;
    buffer_[4] = c4;
    return 5;
}

int FrameBuffer::putHex2(int pos, unsigned value)
{
    const auto digits = encodeHex2(value);
    buffer_[pos] = digits[0];
    buffer_[pos + 1] = digits[1];
    return pos + 2;
}

void FrameBuffer::finish(int pos, char trailer)
{
    buffer_[pos++] = trailer;
    unsigned sum = 0;
    for (int i = 1; i < pos; ++i)
        sum += static_cast<unsigned char>(buffer_[i]);
    pos = putHex2(pos, sum);
    buffer_[pos++] = ETX;
    buffer_[pos] = '\0';
}

void FrameBuffer::buildPlain(std::uint8_t addr, char c3, char c4)
{
    finish(begin(addr, c3, c4), effectiveSpecialCode());
}

void FrameBuffer::buildByte(std::uint8_t addr, char c3, char c4, unsigned b)
{
    finish(putHex2(begin(addr, c3, c4), b), effectiveSpecialCode());
}

void FrameBuffer::buildChar(std::uint8_t addr, char c3, char c4, char c5)
{
    int pos = begin(addr, c3, c4);
    buffer_[pos++] = c5;
    finish(pos, effectiveSpecialCode());
}

void FrameBuffer::buildCharByte(std::uint8_t addr, char c3, char c4, char c5, unsigned b)
{
    int pos = begin(addr, c3, c4);
    buffer_[pos++] = c5;
    finish(putHex2(pos, b), effectiveSpecialCode());
}

void FrameBuffer::buildByteText4(std::uint8_t addr, char c3, char c4, unsigned b, const char* t)
{
    int pos = putHex2(begin(addr, c3, c4), b);
    for (int i = 0; i < 4; ++i)
        buffer_[pos++] = t[i];
    finish(pos, effectiveSpecialCode());
}

void FrameBuffer::buildByteWord(std::uint8_t addr, char c3, char c4, unsigned b, unsigned w)
{
    int pos = putHex2(begin(addr, c3, c4), b);
    pos = putHex2(pos, w & 0xFF);
    pos = putHex2(pos, (w >> 8) & 0xFF);
    finish(pos, effectiveSpecialCode());
}

void FrameBuffer::buildText(std::uint8_t addr, char c3, char c4, const char* text)
{
    int pos = begin(addr, c3, c4);
    for (const char* p = text; p && *p && pos < kSize - kTail; ++p)
        buffer_[pos++] = *p;
    finish(pos, effectiveSpecialCode());
}

void FrameBuffer::buildWordFlag(std::uint8_t addr, char c3, char c4, unsigned w, char f)
{
    int pos = begin(addr, c3, c4);
    pos = putHex2(pos, w & 0xFF);
    pos = putHex2(pos, (w >> 8) & 0xFF);
    finish(pos, f);
}

void FrameBuffer::assign(const char* text)
{
    int i = 0;
    if (text) {
        for (; i < kSize - 1 && text[i] != '\0'; ++i)
            buffer_[i] = text[i];
    }
    buffer_[i] = '\0';
}

void FrameBuffer::clear()
{
    std::memset(buffer_, 0, sizeof buffer_);
}

bool FrameBuffer::checkReply() const
{
    const int len = length();
    for (int i = 3; i < len; ++i) {
        if (buffer_[i] != ETX)
            continue;
        unsigned sum = 0;
        for (int k = 1; k <= i - 3; ++k)
            sum += static_cast<unsigned char>(buffer_[k]);
        const auto digits = encodeHex2(sum);
        if (buffer_[i - 2] == digits[0] && buffer_[i - 1] == digits[1])
            return true;
    }
    return false;
}
