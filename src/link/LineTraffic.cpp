#include "LineTraffic.h"

#include "FrameBuffer.h"
#include "HexCodec.h"

namespace traffic {

namespace {

constexpr char CR = '\r';
// Room a received frame starts with: a whole reply of the usual length.
constexpr qsizetype kFrameReserve = 32;

} // namespace

Verdict Entry::verdict() const
{
    if (direction == Direction::Sent)
        return Verdict::None;
    return checksumHolds(bytes) ? Verdict::Holds : Verdict::Fails;
}

bool checksumHolds(const QByteArray& bytes)
{
    const qsizetype n = bytes.size();
    // STX, two digits, ETX at the least.
    if (n < 4 || bytes.front() != STX || bytes.back() != ETX || bytes.contains('\0'))
        return false;
    unsigned sum = 0;
    for (qsizetype i = 1; i < n - 3; ++i)
        sum += static_cast<unsigned char>(bytes[i]);
    const auto digits = encodeHex2(sum);
    return bytes[n - 3] == digits[0] && bytes[n - 2] == digits[1];
}

QString frameText(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size() + 10);
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == STX)
            text += QLatin1String("<STX>");
        else if (c == ETX)
            text += QLatin1String("<ETX>");
        else if (c == CR)
            text += QLatin1String("<CR>");
        else if (byte >= 0x20 && byte <= 0x7E && c != '<')
            text += QLatin1Char(c);
        else
            text += QLatin1Char('<') + QLatin1String(encodeHex2(byte).data()) + QLatin1Char('>');
    }
    return text;
}

QString directionText(Direction direction)
{
    return direction == Direction::Sent ? QStringLiteral("发") : QStringLiteral("收");
}

QString verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Holds:
        return QStringLiteral("校验正确");
    case Verdict::Fails:
        return QStringLiteral("校验错误");
    case Verdict::None:
        break;
    }
    return {};
}

QString entryText(const Entry& entry)
{
    QString line = QString::number(entry.ms) + QLatin1Char('\t') + directionText(entry.direction) +
                   QLatin1Char('\t') + frameText(entry.bytes);
    if (entry.direction == Direction::Received)
        line += QLatin1Char('\t') + verdictText(entry.verdict());
    return line;
}

LineTraffic::LineTraffic(Clock clock) : clock_(std::move(clock))
{
    // Reserved at once, so that appending never moves the entries while
    // the line runs.
    entries_.reserve(kCapacity);
    elapsed_.start();
}

void LineTraffic::restart()
{
    clear();
    elapsed_.start();
}

void LineTraffic::clear()
{
    entries_.clear();
    head_ = 0;
    appended_ = 0;
    pending_ = Entry();
    open_ = false;
}

qint64 LineTraffic::now() const
{
    return clock_ ? clock_() : elapsed_.elapsed();
}

const Entry& LineTraffic::at(int index) const
{
    return entries_[(head_ + std::size_t(index)) % entries_.size()];
}

void LineTraffic::append(Entry&& entry)
{
    if (entries_.size() < std::size_t(kCapacity)) {
        entries_.push_back(std::move(entry));
    } else {
        entries_[head_] = std::move(entry);
        head_ = (head_ + 1) % entries_.size();
    }
    ++appended_;
}

void LineTraffic::closeOpen()
{
    if (!open_)
        return;
    open_ = false;
    append(std::move(pending_));
    pending_ = Entry();
}

void LineTraffic::recordSent(const char* bytes, int count)
{
    closeOpen();
    append(Entry{now(), Direction::Sent, QByteArray(bytes, count)});
}

void LineTraffic::takeReceived(char byte, qint64 ms)
{
    if (byte == STX)
        closeOpen();
    if (!open_) {
        pending_.ms = ms;
        pending_.direction = Direction::Received;
        pending_.bytes.reserve(kFrameReserve);
        open_ = true;
    }
    pending_.bytes.append(byte);
    // A line that never frames its bytes still gives entries of a size
    // that can be shown.
    if (byte == ETX || pending_.bytes.size() >= kLongestEntry)
        closeOpen();
}

void LineTraffic::recordReceived(const char* bytes, int count, bool wholeReply)
{
    const qint64 ms = now();
    for (int i = 0; i < count; ++i)
        takeReceived(bytes[i], ms);
    if (wholeReply)
        closeOpen();
    lastReceivedMs_ = ms;
}

void LineTraffic::closeIfQuiet(qint64 quietMs)
{
    if (open_ && now() - lastReceivedMs_ >= quietMs)
        closeOpen();
}

std::vector<Entry> LineTraffic::entries() const
{
    std::vector<Entry> all;
    all.reserve(std::size_t(size()) + 1);
    for (int i = 0; i < size(); ++i)
        all.push_back(at(i));
    if (open_)
        all.push_back(pending_);
    return all;
}

QString LineTraffic::text() const
{
    QString all;
    for (const Entry& entry : entries())
        all += entryText(entry) + QLatin1Char('\n');
    return all;
}

} // namespace traffic
