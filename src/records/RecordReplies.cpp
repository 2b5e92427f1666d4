#include "RecordReplies.h"

#include "HexCodec.h"
#include "ReplyText.h"

namespace records {

namespace {

// Up to `count` characters from index on, stopping at the NUL; each
// character stands for itself.
QString charactersAt(const char* frame, int index, int count)
{
    const char* p = replyField(frame, index);
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
    return decodeHex4(replyField(frame, 7));
}

std::int32_t shaftValue(const char* frame)
{
    return std::int32_t(decodeHex8(replyField(frame, 7)));
}

std::optional<FaultRecordRow> parseFaultRecord(const char* frame, bool longLayout)
{
    FaultRecordRow row;
    if (longLayout) {
        row.code = int(decodeHex2(replyField(frame, 7)));
        if (row.code == 0)
            return std::nullopt;
        row.texts = {QString::number(decodeHex2(replyField(frame, 5))), QString::number(row.code),
                     QString::number(decodeHex2(replyField(frame, 9))), longTime(charactersAt(frame, 11, 10))};
    } else {
        row.code = int(decodeHex2(replyField(frame, 6)));
        if (row.code == 0)
            return std::nullopt;
        row.texts = {QString::number(decodeHex1(replyField(frame, 5))), QString::number(row.code), QString(),
                     charactersAt(frame, 8, 8)};
    }
    return row;
}

} // namespace records
