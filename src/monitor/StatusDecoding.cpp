#include "StatusDecoding.h"

#include "HexCodec.h"
#include "ReplyText.h"

#include <algorithm>
#include <bit>
#include <cstdint>

namespace monitor {

StatusTexts decodeStatus(unsigned byteA, unsigned byteB)
{
    const auto a = [byteA](int bit) { return (byteA >> bit) & 1u; };
    const auto b = [byteB](int bit) { return (byteB >> bit) & 1u; };
    StatusTexts s;
    if (a(4))
        s.mode = QStringLiteral("检修");
    else if (b(1))
        s.mode = QStringLiteral("消防");
    else if (a(7))
        s.mode = QStringLiteral("独立");
    else if (a(6))
        s.mode = QStringLiteral("锁梯");
    else if (a(5))
        s.mode = QStringLiteral("司机");
    else
        s.mode = QStringLiteral("自动");
    s.arrowCell = int(byteA & 0x07);
    if (b(4))
        s.door = QStringLiteral("开门");
    else if (b(5))
        s.door = QStringLiteral("关门");
    s.lock = a(3) ? QStringLiteral("门锁闭合") : QStringLiteral("门锁开启");
    if (b(3))
        s.load = QStringLiteral("超载");
    else if (b(2))
        s.load = QStringLiteral("满载");
    s.running = b(7) != 0;
    s.run = s.running ? QStringLiteral("运行") : QStringLiteral("故障");
    if (b(6))
        s.safety = QStringLiteral("安全回路");
    s.group = b(0) ? QStringLiteral("群控") : QStringLiteral("单梯");
    return s;
}

QString speedText(int mmPerSecond)
{
    return QString::asprintf("速度: %.2fm/s", mmPerSecond * 0.001);
}

CallBits decodeCallGroup(const char* digits)
{
    CallBits bits;
    for (int k = 0; k < 6; ++k) {
        const unsigned byte = decodeHex2(digits + 2 * k);
        for (int j = 0; j < 8; ++j)
            bits[size_t(8 * k + j)] = (byte >> j) & 1u;
    }
    return bits;
}

namespace {

// Shortest replies that carry every field read from them.
constexpr int kStatusReplyLength = 11;     // data up to index 10
constexpr int kCallReplyLength = 41;       // data up to index 40
constexpr int kSpeedReplyLength = 9;       // data up to index 8
constexpr int kParameterReplyLength = 11;  // data up to index 10

} // namespace

std::optional<StatusReply> parseStatusReply(const char* frame)
{
    if (!replyCarries(frame, 'A', '0', kStatusReplyLength))
        return std::nullopt;
    return StatusReply{int(decodeHex2(frame + 5)), decodeHex2(frame + 7), decodeHex2(frame + 9)};
}

std::optional<CallReply> parseCallReply(const char* frame)
{
    if (!replyCarries(frame, 'A', '3', kCallReplyLength))
        return std::nullopt;
    return CallReply{decodeCallGroup(frame + 5), decodeCallGroup(frame + 17), decodeCallGroup(frame + 29)};
}

std::optional<int> parseSpeedReply(const char* frame)
{
    if (!replyCarries(frame, 'A', '8', kSpeedReplyLength))
        return std::nullopt;
    return int(std::int16_t(decodeHex4(frame + 5)));
}

std::optional<unsigned> parseParameterReply(const char* frame)
{
    if (!replyCarries(frame, 'A', '5', kParameterReplyLength))
        return std::nullopt;
    return decodeHex4(frame + 7);
}

namespace {

// Clear bits among bits 0 .. n - 1 of a 16-bit mask.
int clearBits(unsigned mask, int n)
{
    const unsigned field = n >= 16 ? 0xFFFFu : (1u << n) - 1;
    return n - std::popcount(mask & field);
}

} // namespace

std::optional<int> listedFloorCount(bool extendedLayout, const ParameterRead& read)
{
    const std::optional<unsigned> floors = read(11);
    if (!floors)
        return std::nullopt;
    const std::optional<unsigned> offset = read(10);
    if (!offset)
        return std::nullopt;
    if (!extendedLayout)
        return int(*floors + *offset);

    const std::optional<unsigned> falseBelow = read(119);
    if (!falseBelow)
        return std::nullopt;
    const int total = int(*floors + *offset + *falseBelow);
    int excluded = 0;
    // Each mask covers 16 positions; the last one read only up to total.
    for (int mask = 0, first = 1; mask < 3; ++mask, first += 16) {
        const std::optional<unsigned> flags = read(134 + mask);
        if (!flags)
            return std::nullopt;
        excluded += clearBits(*flags, std::min(16, total - first + 1));
        if (total <= first + 15)
            break;
    }
    return total - excluded;
}

} // namespace monitor
