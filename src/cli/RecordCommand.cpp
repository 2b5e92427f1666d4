#include "RecordCommand.h"

#include "ControllerLink.h"
#include "Exchange.h"
#include "Exports.h"
#include "FlightRecorder.h"
#include "FrameBuffer.h"
#include "Interrupt.h"
#include "LinkWait.h"
#include "Output.h"
#include "PollLoop.h"
#include "Progress.h"
#include "Recording.h"
#include "Requests.h"
#include "SerialChannel.h"
#include "StatusDecoding.h"
#include "StatusPolls.h"
#include "TrackSet.h"
#include "VardoVersion.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace cli {

namespace {

// Without any frame for this long the silence is told once.
constexpr int kSilenceMs = 5000;

// Polls the status page's three requests and the I/O page's one in turn,
// writes every frame the flight recorder keeps to the file as it comes,
// and acknowledges fault reports as the main window does.
class LineRecorder : public PollLoop
{
public:
    LineRecorder(QFile& file, qint64 durationMs) : file_(file), durationMs_(durationMs)
    {
        observer_ = serialChannel.addTrafficObserver([this](bool sent, const char* bytes, int count) {
            if (sent && recorder::recorderKeeps(traffic::Direction::Sent, bytes, count))
                write(traffic::Direction::Sent, QByteArray(bytes, count));
        });
    }
    ~LineRecorder() override { serialChannel.removeTrafficObserver(observer_); }

    // Records until the duration is over or finish().
    int record()
    {
        const int code = run();
        if (progress_)
            progress_->finish();
        return code;
    }

    bool writeFailed() const { return writeFailed_; }

protected:
    void starting() override
    {
        clock_.start();
        sinceFrame_.start();
        if (durationMs_ > 0) {
            progress_.emplace(QStringLiteral("recording (s)"), int(durationMs_ / 1000));
            progress_->show(0);
        }
    }

    // The status page's rotation (calls, speed, status), then the I/O poll.
    void poll() override
    {
        if (durationMs_ > 0 && clock_.elapsed() >= durationMs_) {
            finish(kSuccess);
            return;
        }
        if (progress_)
            progress_->show(int(clock_.elapsed() / 1000));
        if (!silenceTold_ && sinceFrame_.elapsed() > kSilenceMs) {
            printError(QStringLiteral("no reply from the controller for %1 s; polling on").arg(kSilenceMs / 1000));
            silenceTold_ = true;
        }
        if (++turn_ % 4 == 0) {
            request::ioPoll();
            sendRequest();
        } else {
            monitor::writeNextStatusPoll(phase_);
        }
    }

    void frameArrived(const QByteArray& frame) override
    {
        sinceFrame_.restart();
        silenceTold_ = false;
        if (recorder::recorderKeeps(traffic::Direction::Received, frame.constData(), int(frame.size())))
            write(traffic::Direction::Received, frame);
        if (frame.size() > 3 && frame[3] == 'E') {
            printError(QStringLiteral("the controller reports fault %1").arg(QString::fromLatin1(frame.mid(5, 2))));
            request::acknowledgeFault();
            sendRequest();
        }
    }

private:
    void write(traffic::Direction direction, const QByteArray& bytes)
    {
        const QByteArray line = recorder::entryLine(traffic::Entry{clock_.elapsed(), direction, bytes});
        if (file_.write(line) != line.size() || !file_.flush()) {
            writeFailed_ = true;
            finish(kFailure);
        }
    }

    QFile& file_;
    qint64 durationMs_;
    QElapsedTimer clock_;
    QElapsedTimer sinceFrame_;
    std::optional<Progress> progress_;
    int observer_ = 0;
    int phase_ = 0;
    int turn_ = 0;
    bool silenceTold_ = false;
    bool writeFailed_ = false;
};

// The layout and the listed floors, read as the status page reads them.
void learnController(recorder::RecordingHeader& header, bool extended)
{
    header.layout = extended ? recorder::Layout::Long : recorder::Layout::Short;
    LinkBusyGuard busy;
    const std::optional<int> floors = monitor::listedFloorCount(extended, [](int parameter) -> std::optional<unsigned> {
        request::readParameter(parameter);
        if (transact(50, 20) == 0)
            return std::nullopt;
        return monitor::parseParameterReply(rxFrame.text());
    });
    header.floors = floors.value_or(0);
}

} // namespace

int runRecord(const CliOptions& options)
{
    ControllerLink link(chooseLink(options, false));
    QFile file;
    LineRecorder line(file, options.durationMs);
    InterruptWatch interrupt([&line] { line.finish(kSuccess); });
    const std::optional<bool> extended = openForPolling(link, line);
    if (!extended)
        return kFailure;
    recorder::RecordingHeader header;
    header.version = QStringLiteral(VARDO_VERSION);
    header.port = link.where();
    learnController(header, *extended);

    bool opened = false;
    if (options.outputPath == QLatin1String("-")) {
        opened = file.open(stdout, QIODevice::WriteOnly);
    } else {
        file.setFileName(options.outputPath);
        opened = file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    }
    header.start = QDateTime::currentDateTimeUtc();
    if (!opened || file.write(recorder::headerText(header)) < 0 || !file.flush()) {
        printError(QStringLiteral("cannot write %1: %2").arg(options.outputPath, file.errorString()));
        return kFailure;
    }
    const int code = line.record();
    if (line.writeFailed())
        printError(QStringLiteral("cannot write %1: %2").arg(options.outputPath, file.errorString()));
    return code;
}

int runRecordExport(const CliOptions& options)
{
    const QString input = options.arguments.value(0);
    const recorder::ReadResult read = recorder::readRecording(input);
    if (!read.recording) {
        printError(read.error);
        return kFailure;
    }
    recorder::TrackSet tracks(read.recording->header);
    tracks.addAll(read.recording->entries);
    const QByteArray bytes = options.vcd ? recorder::vcdText(tracks) : recorder::csvText(tracks, options.bom);
    QString output = options.outputPath;
    if (output.isEmpty()) {
        const QFileInfo info(input);
        output = info.path() + QLatin1Char('/') + info.completeBaseName() +
                 (options.vcd ? QStringLiteral(".vcd") : QStringLiteral(".csv"));
    }
    if (!writeResult(output, bytes)) {
        printError(QStringLiteral("cannot write %1").arg(output));
        return kFailure;
    }
    return kSuccess;
}

} // namespace cli
