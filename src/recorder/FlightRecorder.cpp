#include "FlightRecorder.h"

#include "FrameBuffer.h"
#include "FaultReport.h"
#include "SerialChannel.h"
#include "VardoVersion.h"

#include <QDir>
#include <QFile>

namespace recorder {

bool recorderKeeps(traffic::Direction direction, const char* bytes, int count)
{
    if (count < 5 || bytes[0] != STX)
        return false;
    if (direction == traffic::Direction::Sent)
        return bytes[3] == 'F';
    if (bytes[3] == 'E')
        return true;
    return bytes[3] == 'A' && (bytes[4] == '0' || bytes[4] == '3' || bytes[4] == '4' || bytes[4] == '8');
}

QString portText(const SerialChannel& channel)
{
    if (!channel.isOpen())
        return {};
    return QStringLiteral("COM%1 (%2)").arg(channel.portNumber()).arg(channel.devicePath());
}

FlightRecorder::FlightRecorder(const RecorderSettings& settings, Clock clock, const QDateTime& start)
    : settings_(settings), clock_(std::move(clock)),
      ring_(qint64(settings.minutes) * 60 * 1000, std::size_t(settings.minutes) * 60 * kBudgetBytesPerSecond)
{
    elapsed_.start();
    header_.version = QStringLiteral(VARDO_VERSION);
    header_.start = start.isValid() ? start.toUTC() : QDateTime::currentDateTimeUtc();
}

FlightRecorder::~FlightRecorder()
{
    detach();
    for (Capture& capture : captures_)
        finish(capture);
}

void FlightRecorder::attach(SerialChannel& channel)
{
    detach();
    channel_ = &channel;
    observerId_ = channel.addTrafficObserver([this](bool sent, const char* bytes, int count) {
        if (sent)
            frameSent(bytes, count);
    });
}

void FlightRecorder::detach()
{
    if (channel_)
        channel_->removeTrafficObserver(observerId_);
    channel_ = nullptr;
}

qint64 FlightRecorder::now() const
{
    return clock_ ? clock_() : elapsed_.elapsed();
}

void FlightRecorder::keep(qint64 ms, traffic::Direction direction, const char* bytes, int count)
{
    completeUntil(ms);
    ring_.append(ms, direction, bytes, count);
    if (captures_.empty())
        return;
    const QByteArray line = entryLine(ring_.at(ring_.size() - 1));
    for (Capture& capture : captures_)
        capture.pending += line;
}

QString FlightRecorder::frameReceived(const char* frameText)
{
    const int count = int(qstrlen(frameText));
    if (!recorderKeeps(traffic::Direction::Received, frameText, count))
        return {};
    const qint64 ms = now();
    keep(ms, traffic::Direction::Received, frameText, count);
    if (frameText[3] != 'E' || !settings_.faultFiles)
        return {};
    FrameBuffer report;
    report.assign(frameText);
    return startCapture(ms, faultReportCode(report));
}

void FlightRecorder::frameSent(const char* bytes, int count)
{
    if (recorderKeeps(traffic::Direction::Sent, bytes, count))
        keep(now(), traffic::Direction::Sent, bytes, count);
}

void FlightRecorder::advance()
{
    completeUntil(now());
}

void FlightRecorder::completeUntil(qint64 ms)
{
    for (auto it = captures_.begin(); it != captures_.end();) {
        if (ms > it->endMs) {
            finish(*it);
            it = captures_.erase(it);
        } else {
            ++it;
        }
    }
}

// The report is the newest frame of the ring already, and part of the
// minute after of every open file: a repeated report stays in its file.
QString FlightRecorder::startCapture(qint64 ms, const QString& code)
{
    for (const Capture& capture : captures_) {
        if (capture.code == code)
            return capture.path;
    }
    const QDateTime local = header_.start.addMSecs(ms).toLocalTime();
    QString safeCode = code;
    for (QChar& c : safeCode) {
        if (!c.isLetterOrNumber())
            c = QLatin1Char('_');
    }
    const QString stem = settings_.faultFolder + QStringLiteral("/fault-") +
                         local.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QLatin1Char('-') + safeCode;
    QString path = stem + QStringLiteral(".rec");
    for (int n = 2; QFile::exists(path); ++n)
        path = stem + QStringLiteral("-%1.rec").arg(n);
    QDir().mkpath(settings_.faultFolder);
    const std::vector<traffic::Entry> before = ring_.between(ms - kBeforeFaultMs, ms);
    if (!writeRecording(path, header(), before))
        return {};
    captures_.push_back(Capture{path, code, ms + kAfterFaultMs, {}});
    faultFiles_ << path;
    return path;
}

void FlightRecorder::finish(Capture& capture)
{
    if (capture.pending.isEmpty())
        return;
    QFile file(capture.path);
    if (file.open(QIODevice::Append))
        file.write(capture.pending);
    capture.pending.clear();
}

RecordingHeader FlightRecorder::header() const
{
    RecordingHeader header = header_;
    if (header.port.isEmpty() && channel_)
        header.port = portText(*channel_);
    return header;
}

Recording FlightRecorder::snapshot() const
{
    return Recording{header(), ring_.all()};
}

} // namespace recorder
