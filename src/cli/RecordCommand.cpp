// record and record export: the flight recorder's recording of the line,
// and its export for logic-analyzer viewers and spreadsheets.

#include "Commands.h"
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
    LineRecorder(QFile& file, const CliOptions& options)
        : file_(file), options_(options), durationMs_(options.durationMs)
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
            progress_.emplace(options_, QStringLiteral("recording (s)"), int(durationMs_ / 1000));
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
    const CliOptions& options_;
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

// record: polls status and I/O in turn at the pages' pace and writes the
// frames the flight recorder keeps to a recording, for --duration or until
// interrupted.
int runRecord(const CliOptions& options)
{
    ControllerLink link(options, false);
    QFile file;
    LineRecorder line(file, options);
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

// record export FILE --vcd [-o OUT] | --csv OUT [--bom]: the recording as a
// value change dump (beside it unless -o names OUT) or as comma-separated
// values.
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
    if (!options.vcd)
        return writeResult(options.csvPath, recorder::csvText(tracks, options.bom)) ? kSuccess : kFailure;
    QString output = options.outputPath;
    if (output.isEmpty()) {
        const QFileInfo info(input);
        output = info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".vcd");
    }
    return writeResult(output, recorder::vcdText(tracks)) ? kSuccess : kFailure;
}

QString takeRecordOutput(CliOptions& o)
{
    return o.outputPath.isEmpty() ? QStringLiteral("-o FILE is required (- for the standard output)") : QString();
}

QString takeExportFormat(CliOptions& o)
{
    if (o.vcd == !o.csvPath.isEmpty())
        return QStringLiteral("give --vcd or --csv FILE");
    if (!o.csvPath.isEmpty() && !o.outputPath.isEmpty())
        return QStringLiteral("-o goes with --vcd; --csv names its own file");
    return {};
}

} // namespace

QList<CommandEntry> recordCommands()
{
    return {
        {{QStringLiteral("record")}, QString(), 0, 0, {QStringLiteral("output"), QStringLiteral("duration")}, true,
         QStringLiteral("poll status and I/O in turn and record the frames (-o FILE)"),
         QStringLiteral("Records until Ctrl+C, or for --duration. Fault reports are acknowledged as the\n"
                        "window does and told on stderr. The recording opens in the window's timeline."),
         runRecord, takeRecordOutput},
        {{QStringLiteral("record"), QStringLiteral("export")}, QStringLiteral("FILE"), 1, 1,
         {QStringLiteral("vcd"), QStringLiteral("output"), QStringLiteral("csv"), QStringLiteral("bom")}, false,
         QStringLiteral("a recording as a value change dump (--vcd) or as CSV (--csv FILE)"),
         QStringLiteral("--vcd writes FILE's name with .vcd beside it unless -o names another file.\n"
                        "--csv writes CSV to its file (- the standard output)."),
         runRecordExport, takeExportFormat},
    };
}

} // namespace cli
