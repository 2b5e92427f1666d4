#include "TrackSet.h"

#include "FaultDescriptions.h"
#include "FaultReport.h"
#include "FloorDisplayText.h"
#include "FrameBuffer.h"
#include "HexCodec.h"
#include "IoReply.h"
#include "StatusDecoding.h"

#include <algorithm>
#include <iterator>

namespace recorder {

namespace {

constexpr int kStatusBitCount = int(std::size(monitor::kStatusBits));
constexpr int kCallKinds = 3;
constexpr int kFirstCallTrack = TrackSet::kFirstStatusBitTrack + kStatusBitCount;
constexpr int kFirstInputTrack = kFirstCallTrack + kCallKinds * monitor::kCallPositions;
constexpr int kInputs = 8 * monitor::kInputBytes;
constexpr int kFirstOutputTrack = kFirstInputTrack + kInputs;
constexpr int kOutputs = 8 * monitor::kOutputBytes;
constexpr int kFaultTrack = kFirstOutputTrack + kOutputs;
// The layout probe's reply: 23 characters or more from its STX in the
// longer layout.
constexpr int kLongProbeReply = 23;

const char* callKey(TrackKind kind)
{
    switch (kind) {
    case TrackKind::UpCall:
        return "up_call";
    case TrackKind::DownCall:
        return "down_call";
    default:
        return "car_call";
    }
}

QString callName(TrackKind kind)
{
    switch (kind) {
    case TrackKind::UpCall:
        return QStringLiteral("上召");
    case TrackKind::DownCall:
        return QStringLiteral("下召");
    default:
        return QStringLiteral("指令");
    }
}

QString ioName(int input, bool output)
{
    if (output)
        return QStringLiteral("Y%1").arg(input);
    return input < 32 ? QStringLiteral("X%1").arg(input) : QStringLiteral("TX%1").arg(input - 32);
}

} // namespace

int Track::changeAt(qint64 ms) const
{
    const auto it = std::upper_bound(times.cbegin(), times.cend(), ms);
    return int(it - times.cbegin()) - 1;
}

std::optional<int> Track::valueAt(qint64 ms) const
{
    const int i = changeAt(ms);
    if (i < 0)
        return std::nullopt;
    return values[std::size_t(i)];
}

int TrackSet::callTrack(TrackKind kind, int position)
{
    const int k = kind == TrackKind::CarCall ? 0 : kind == TrackKind::UpCall ? 1 : 2;
    return kFirstCallTrack + k * monitor::kCallPositions + position - 1;
}

int TrackSet::inputTrack(int input)
{
    return kFirstInputTrack + input;
}

int TrackSet::outputTrack(int output)
{
    return kFirstOutputTrack + output;
}

int TrackSet::faultTrack()
{
    return kFaultTrack;
}

TrackSet::TrackSet(const RecordingHeader& header) : header_(header)
{
    tracks_.reserve(std::size_t(kFaultTrack + 1));
    const auto add = [this](TrackKind kind, int number, const QString& key, const QString& name, int width) {
        tracks_.push_back(Track{kind, number, key, name, width, {}, {}});
    };
    add(TrackKind::Floor, 0, QStringLiteral("floor"), QStringLiteral("楼层"), 8);
    add(TrackKind::Speed, 0, QStringLiteral("speed"), QStringLiteral("速度"), 16);
    add(TrackKind::Direction, 0, QStringLiteral("direction"), QStringLiteral("方向"), 3);
    for (int i = 0; i < kStatusBitCount; ++i) {
        add(TrackKind::StatusBit, i, QLatin1String(monitor::kStatusBits[i].key),
            QString::fromUtf8(monitor::kStatusBits[i].name), 1);
    }
    for (TrackKind kind : {TrackKind::CarCall, TrackKind::UpCall, TrackKind::DownCall}) {
        for (int p = 1; p <= monitor::kCallPositions; ++p)
            add(kind, p, QStringLiteral("%1_%2").arg(QLatin1String(callKey(kind))).arg(p),
                QStringLiteral("%1 %2").arg(callName(kind)).arg(p), 1);
    }
    for (int i = 0; i < kInputs; ++i)
        add(TrackKind::Input, i, ioName(i, false), ioName(i, false), 1);
    for (int i = 0; i < kOutputs; ++i)
        add(TrackKind::Output, i, ioName(i, true), ioName(i, true), 1);
    add(TrackKind::Fault, 0, QStringLiteral("fault"), QStringLiteral("故障"), 8);
}

void TrackSet::set(int track, qint64 ms, int value)
{
    Track& t = tracks_[std::size_t(track)];
    if (!t.values.empty() && t.values.back() == value)
        return;
    t.times.push_back(ms);
    t.values.push_back(value);
    changes_.push_back(Change{ms, track, value});
}

void TrackSet::addAll(const std::vector<traffic::Entry>& entries)
{
    for (const traffic::Entry& entry : entries)
        add(entry);
}

void TrackSet::add(const traffic::Entry& entry)
{
    // No fault stands until a report comes.
    if (entries_++ == 0) {
        firstMs_ = entry.ms;
        set(kFaultTrack, entry.ms, 0);
    }
    lastMs_ = std::max(lastMs_, entry.ms);
    if (entry.direction == traffic::Direction::Sent)
        takeSent(entry);
    else
        takeReceived(entry);
}

void TrackSet::takeReceived(const traffic::Entry& entry)
{
    const char* const frame = entry.bytes.constData();
    const qint64 ms = entry.ms;
    if (const auto status = monitor::parseStatusReply(frame)) {
        set(kFloorTrack, ms, status->floorCode);
        set(kDirectionTrack, ms, monitor::decodeStatus(status->byteA, status->byteB).arrowCell);
        for (int i = 0; i < kStatusBitCount; ++i)
            set(statusBitTrack(i), ms, monitor::statusBitSet(monitor::kStatusBits[i], status->byteA, status->byteB));
    } else if (const auto calls = monitor::parseCallReply(frame)) {
        const struct
        {
            TrackKind kind;
            const monitor::CallBits& bits;
        } groups[] = {{TrackKind::CarCall, calls->car}, {TrackKind::UpCall, calls->up},
                      {TrackKind::DownCall, calls->down}};
        for (const auto& g : groups) {
            for (int p = 1; p <= monitor::kCallPositions; ++p) {
                const bool on = g.bits[std::size_t(p - 1)];
                set(callTrack(g.kind, p), ms, on);
                if (on)
                    highestCall_ = std::max(highestCall_, p);
            }
        }
    } else if (const auto speed = monitor::parseSpeedReply(frame)) {
        set(kSpeedTrack, ms, *speed);
    } else if (const auto io = monitor::parseIoReply(frame)) {
        hasIo_ = true;
        for (int k = 0; k < io->inputCount; ++k) {
            for (int j = 0; j < 8; ++j)
                set(inputTrack(8 * k + j), ms, (io->inputs[std::size_t(k)] >> j) & 1);
        }
        for (int k = 0; k < io->outputCount; ++k) {
            for (int j = 0; j < 8; ++j)
                set(outputTrack(8 * k + j), ms, (io->outputs[std::size_t(k)] >> j) & 1);
        }
    } else {
        FrameBuffer buffer;
        buffer.assign(frame);
        if (isFaultReport(buffer)) {
            const QString code = faultReportCode(buffer);
            const QByteArray digits = code.toLatin1();
            const int value = digits.size() == 2 ? int(decodeHex2(digits.constData())) : 0;
            faults_.push_back(FaultMark{ms, code, value});
            set(kFaultTrack, ms, value);
        } else if (buffer.command() == 'A' && buffer.subCommand() == '1' && probed_ == Layout::Unknown) {
            const QByteArray fromStx = entry.bytes.mid(std::max<qsizetype>(0, entry.bytes.indexOf(STX)));
            probed_ = qstrlen(fromStx.constData()) >= size_t(kLongProbeReply) ? Layout::Long : Layout::Short;
        }
    }
}

void TrackSet::takeSent(const traffic::Entry& entry)
{
    const QByteArray& bytes = entry.bytes;
    if (bytes.size() < 5 || bytes[3] != 'F')
        return;
    if (bytes[4] == '6')
        set(kFaultTrack, entry.ms, 0);
    // Command and arguments: without STX and address in front, and the
    // code, the checksum and the ETX behind.
    writes_.push_back(WriteMark{entry.ms, traffic::frameText(bytes.mid(3, std::max<qsizetype>(2, bytes.size() - 7)))});
}

Layout TrackSet::layout() const
{
    return header_.layout != Layout::Unknown ? header_.layout : probed_;
}

int TrackSet::floors() const
{
    return header_.floors > 0 ? std::min(header_.floors, monitor::kCallPositions) : highestCall_;
}

QString TrackSet::description(const FaultMark& mark) const
{
    const FaultLayout table = layout() == Layout::Short ? FaultLayout::Short : FaultLayout::Long;
    return faultText(table, mark.value).value_or(QString());
}

QString TrackSet::valueText(const Track& track, int value) const
{
    switch (track.kind) {
    case TrackKind::Floor:
        return floorDisplayString(value);
    case TrackKind::Speed:
        return QString::asprintf("%.2f", value * 0.001);
    case TrackKind::Direction:
        switch (value) {
        case 1:
        case 5:
            return QStringLiteral("↑");
        case 2:
        case 6:
            return QStringLiteral("↓");
        default:
            return QString();
        }
    case TrackKind::Fault: {
        if (value == 0)
            return QString();
        return QString::fromLatin1(encodeHex2(unsigned(value)).data());
    }
    default:
        return QString::number(value);
    }
}

QString isoTime(const RecordingHeader& header, qint64 ms)
{
    const QDateTime utc = header.start.addMSecs(ms);
    const int offset = utc.toLocalTime().offsetFromUtc();
    return utc.toOffsetFromUtc(offset).toString(Qt::ISODateWithMs);
}

} // namespace recorder
