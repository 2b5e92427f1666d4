#include "Identity.h"

#include "FrameBuffer.h"
#include "HexCodec.h"

#include <QDateTime>
#include <QList>
#include <QStringDecoder>

#include <algorithm>
#include <cstring>

namespace identity {

namespace {

constexpr int kDataStart = 5;
// STX, address and command pair before the data; checksum and ETX after it.
constexpr int kFraming = 8;
// The clock reply's twelve digits end at index 16.
constexpr int kClockEnd = kDataStart + 12;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The first non-empty piece between CRs, or nothing.
QByteArray firstPiece(const QByteArray& text)
{
    for (const QByteArray& piece : text.split('\r')) {
        if (!piece.isEmpty())
            return piece;
    }
    return {};
}

} // namespace

ReplyField applyReply(const char* frame, IdentityValues& values)
{
    if (!frame)
        return ReplyField::None;
    const int length = int(std::strlen(frame));
    if (length < kDataStart || frame[3] != 'A')
        return ReplyField::None;
    const char* data = frame + kDataStart;
    const int dataLength = length - kFraming;
    // A reply of nothing but its framing carries an empty text.
    const bool hasText = dataLength > 0 || (dataLength == 0 && frame[length - 1] == ETX);

    switch (frame[4]) {
    case 'B':
        if (!hasText)
            return ReplyField::None;
        values.programName = controllerText(data, std::min(dataLength, kProgramNameLength));
        return ReplyField::ProgramName;
    case '2': {
        if (!hasText)
            return ReplyField::None;
        // Only data counts: an empty ID never shows the checksum in its place.
        const QByteArray id = firstPiece(QByteArray(data, std::min(dataLength, kElevatorIdLength)));
        values.elevatorId = controllerText(id.constData(), int(id.size()));
        return ReplyField::ElevatorId;
    }
    case '7':
        if (!hasText)
            return ReplyField::None;
        values.telephone = controllerText(data, std::min(dataLength, kTelephoneLength));
        return ReplyField::Telephone;
    case '9': {
        if (length < kClockEnd)
            return ReplyField::None;
        const char* d = data;
        const char text[] = {d[0], d[1], '-', d[2], d[3], '-', d[4], d[5], ' ',
                             d[6], d[7], ':', d[8], d[9], ':', d[10], d[11]};
        values.clock = controllerText(text, int(sizeof text));
        return ReplyField::Clock;
    }
    case 'A': {
        if (dataLength <= 0)
            return ReplyField::None;
        char digits[5] = {};
        std::memcpy(digits, data, size_t(std::min(dataLength, 4)));
        values.runCount = QString::number(decodeHex4(digits));
        return ReplyField::RunCount;
    }
    default:
        return ReplyField::None;
    }
}

QString controllerText(const char* bytes, int count)
{
    if (!bytes || count <= 0)
        return {};
    const QByteArrayView view(bytes, count);
    if (std::all_of(view.begin(), view.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return QString::fromLatin1(view);
    // A fresh decoder each time: a lead byte cut off at the end of one text
    // must not carry over into the next.
    QStringDecoder gbk("GBK", QStringConverter::Flag::Stateless);
    if (!gbk.isValid())
        return QString::fromLatin1(view);
    return gbk.decode(view);
}

std::optional<ClockFields> clockFields(const char* frame)
{
    if (!frame || std::strlen(frame) < size_t(kClockEnd) || frame[3] != 'A' || frame[4] != '9')
        return std::nullopt;
    ClockFields fields{};
    for (int i = 0; i < 6; ++i) {
        const char high = frame[kDataStart + 2 * i];
        const char low = frame[kDataStart + 2 * i + 1];
        if (!isDigit(high) || !isDigit(low))
            return std::nullopt;
        fields[size_t(i)] = (high - '0') * 10 + (low - '0');
    }
    return fields;
}

ClockFields clockFieldsOf(const QDateTime& time)
{
    const QDateTime local = time.toLocalTime();
    const QDate date = local.date();
    const QTime clock = local.time();
    return {date.year() % 100, date.month(), date.day(), clock.hour(), clock.minute(), clock.second()};
}

QByteArray clockPayload(const ClockFields& f)
{
    return QString::asprintf("%02i%02i%02i%02i%02i%02i", f[0], f[1], f[2], f[3], f[4], f[5]).toLatin1();
}

bool isPrintableAscii(QChar c)
{
    return c.unicode() >= 0x20 && c.unicode() <= 0x7E;
}

bool isPrintableAscii(const QString& text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return isPrintableAscii(c); });
}

QByteArray textWithCr(const QString& text, int limit)
{
    return text.left(limit).toLatin1() + '\r';
}

} // namespace identity
