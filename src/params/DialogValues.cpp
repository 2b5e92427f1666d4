#include "DialogValues.h"

#include "FloorDisplayText.h"
#include "HexCodec.h"
#include "ParamDescriptions.h"
#include "ReplyText.h"

namespace params {

std::uint16_t bitMaskValue(const char* chars)
{
    // Only the characters before a NUL count; the rest read as NULs.
    char four[5] = {};
    for (int i = 0; chars && i < 4 && chars[i] != '\0'; ++i)
        four[i] = chars[i];
    return std::uint16_t(decodeHex2(four + 2) * 256 + decodeHex2(four));
}

std::array<char, 5> bitMaskChars(std::uint16_t value)
{
    const auto low = encodeHex2(value & 0xFFu);
    const auto high = encodeHex2(value >> 8);
    return {low[0], low[1], high[0], high[1], '\0'};
}

QStringList bitMaskLabels(const QString& prompt)
{
    struct Naming
    {
        int stringId;
        const char* prefix;
        int first;
    };
    static const Naming namings[] = {{26, "X", 0}, {27, "X", 16}, {28, "TX", 0}, {29, "TX", 16}};

    QStringList labels;
    for (const Naming& n : namings) {
        if (descriptionByStringId(n.stringId).value_or(QString()) == prompt) {
            for (int i = 0; i < 16; ++i)
                labels << QLatin1String(n.prefix) + QString::number(n.first + i);
            return labels;
        }
    }
    for (int i = 0; i < 16; ++i)
        labels << QString::number(i + 1);
    return labels;
}

std::vector<DisplayCodeEntry> displayCodeEntries()
{
    constexpr int kFirstDisplayText = 49;
    constexpr int kLastDisplayText = 171;
    std::vector<DisplayCodeEntry> entries;
    entries.reserve(255);
    for (int code = 1; code <= 255; ++code) {
        const bool shown = code >= kFirstDisplayText && code <= kLastDisplayText;
        entries.push_back({code, shown ? floorDisplayString(code) : QString::number(code)});
    }
    return entries;
}

std::optional<int> parseFloorCount(const char* frame)
{
    if (!replyCarries(frame, 'A', '5', 11))
        return std::nullopt;
    const int count = decodeHex4(frame + 7);
    return count < kMaxLockoutFloors ? count : kMaxLockoutFloors;
}

std::optional<LockoutPeriod> parseLockoutPeriod(const char* frame)
{
    if (!replyCarries(frame, 'A', 'C', 17))
        return std::nullopt;
    return LockoutPeriod{decodeHex2(frame + 7), decodeHex2(frame + 9), decodeHex2(frame + 11), decodeHex2(frame + 13)};
}

QString periodTime(unsigned hour, unsigned minute)
{
    return QStringLiteral("%1:%2").arg(hour, 2, 10, QLatin1Char('0')).arg(minute, 2, 10, QLatin1Char('0'));
}

QByteArray lockoutWritePayload(int floor, const LockoutPeriod& period)
{
    QByteArray text;
    for (unsigned byte : {unsigned(floor), period.startHour, period.startMinute, period.endHour, period.endMinute})
        text += encodeHex2(byte).data();
    return text;
}

} // namespace params
