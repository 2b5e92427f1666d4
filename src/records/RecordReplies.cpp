#include "RecordReplies.h"

#include "HexCodec.h"

namespace records {

namespace {

// The text from index on, or null when the frame ends before it.
const char* fieldAt(const char* frame, int index)
{
    if (!frame)
        return nullptr;
    for (int i = 0; i < index; ++i) {
        if (frame[i] == '\0')
            return nullptr;
    }
    return frame + index;
}

// Up to `count` characters from index on, stopping at the NUL; each
// character stands for itself.
QString charactersAt(const char* frame, int index, int count)
{
    const char* p = fieldAt(frame, index);
    QString out;
    for (int i = 0; p && i < count && p[i] != '\0'; ++i)
        out += QChar(uchar(p[i]));
    return out;
}

// "YYMMDDhhmm" as "YY-MM-DD hh:mm", as far as the digits go.
QString longTime(const QString& digits)
{
    static constexpr char kSeparatorBefore[] = {0, 0, '-', 0, '-', 0, ' ', 0, ':', 0};
    QString out;
    for (int i = 0; i < digits.size() && i < 10; ++i) {
        if (kSeparatorBefore[i])
            out += QLatin1Char(kSeparatorBefore[i]);
        out += digits[i];
    }
    return out;
}

} // namespace

int floorCount(const char* frame)
{
    return decodeHex4(fieldAt(frame, 7));
}

std::int32_t shaftValue(const char* frame)
{
    return std::int32_t(decodeHex8(fieldAt(frame, 7)));
}

std::optional<FaultRecordRow> parseFaultRecord(const char* frame, bool longLayout)
{
    FaultRecordRow row;
    if (longLayout) {
        row.code = int(decodeHex2(fieldAt(frame, 7)));
        if (row.code == 0)
            return std::nullopt;
        row.texts = {QString::number(decodeHex2(fieldAt(frame, 5))), QString::number(row.code),
                     QString::number(decodeHex2(fieldAt(frame, 9))), longTime(charactersAt(frame, 11, 10))};
    } else {
        row.code = int(decodeHex2(fieldAt(frame, 6)));
        if (row.code == 0)
            return std::nullopt;
        row.texts = {QString::number(decodeHex1(fieldAt(frame, 5))), QString::number(row.code), QString(),
                     charactersAt(frame, 8, 8)};
    }
    return row;
}

} // namespace records
