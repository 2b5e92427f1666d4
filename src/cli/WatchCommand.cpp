// watch: the elevator's status as it changes, and its fault reports.

#include "Commands.h"
#include "ControllerLink.h"
#include "Exchange.h"
#include "FaultDescriptions.h"
#include "FloorDisplayText.h"
#include "HexCodec.h"
#include "Interrupt.h"
#include "Output.h"
#include "PollLoop.h"
#include "Requests.h"
#include "SerialChannel.h"
#include "StatusDecoding.h"
#include "StatusPolls.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QJsonObject>

#include <optional>

namespace cli {

namespace {

// Without any frame for this long the controller is taken as gone.
constexpr int kSilenceMs = 5000;
// A report of the same fault within this time is the controller's repeat
// of one not yet acknowledged when it sent it, not a new fault.
constexpr qint64 kReportRepeatMs = 6000;

// This PC's time with its offset from UTC.
QString now()
{
    const QDateTime local = QDateTime::currentDateTime();
    return local.toOffsetFromUtc(local.offsetFromUtc()).toString(Qt::ISODate);
}

QString orDash(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

// Cells 1 and 5 of the direction arrow point up, 2 and 6 down.
QString directionText(int arrowCell)
{
    switch (arrowCell) {
    case 1:
    case 5:
        return QStringLiteral("up");
    case 2:
    case 6:
        return QStringLiteral("down");
    default:
        return QStringLiteral("-");
    }
}

// The channel's owner while the watch runs: prints a line per status reply
// (JSON: per change) and per fault report, acknowledges the reports as the
// window does, and sends the status page's polls.
class StatusWatch : public PollLoop
{
public:
    StatusWatch(int count, bool json) : count_(count), json_(json) {}

    void setFaultLayout(FaultLayout layout) { faultLayout_ = layout; }

protected:
    void starting() override { sinceFrame_.start(); }

    // The status page's rotation: calls, speed, status.
    void poll() override
    {
        if (sinceFrame_.elapsed() > kSilenceMs) {
            printError(QStringLiteral("no reply from the controller for %1 s").arg(kSilenceMs / 1000));
            finish(kFailure);
            return;
        }
        monitor::writeNextStatusPoll(phase_);
    }

    void frameArrived(const QByteArray& frame) override
    {
        sinceFrame_.restart();
        if (const auto status = monitor::parseStatusReply(frame.constData()))
            showStatus(*status);
        else if (const auto speed = monitor::parseSpeedReply(frame.constData()))
            speed_ = *speed;
        else if (frame.size() > 3 && frame[3] == 'E')
            faultReported(frame);
    }

private:
    void showStatus(const monitor::StatusReply& reply)
    {
        const monitor::StatusTexts s = monitor::decodeStatus(reply.byteA, reply.byteB);
        const QString speed = speed_ ? QString::asprintf("%.2f m/s", *speed_ * 0.001) : QStringLiteral("-");
        const QStringList fields{orDash(floorDisplayString(reply.floorCode)), directionText(s.arrowCell),
                                 orDash(s.door), orDash(s.mode), speed};
        if (!json_) {
            printLine(fields.join(QLatin1Char('\t')).toUtf8() + '\n');
            return;
        }
        if (fields == lastStatus_)
            return;
        lastStatus_ = fields;
        QJsonObject object{{QStringLiteral("type"), QStringLiteral("status")}, {QStringLiteral("time"), now()}};
        const char* const names[] = {"floor", "direction", "door", "mode", "speed"};
        for (int i = 0; i < 5; ++i)
            object.insert(QLatin1String(names[i]), fields[i]);
        printLine(jsonLine(object));
    }

    // Acknowledged at once, as the window does; printed once with the time
    // it came.
    void faultReported(const QByteArray& frame)
    {
        request::acknowledgeFault();
        sendRequest();
        const int code = int(decodeHex2(frame.constData() + 5));
        if (sinceReport_.contains(code) && sinceReport_[code].elapsed() < kReportRepeatMs)
            return;
        sinceReport_[code].start();
        const QString description = faultText(faultLayout_, code).value_or(QString());
        if (json_) {
            printLine(jsonLine(QJsonObject{{QStringLiteral("type"), QStringLiteral("fault")},
                                           {QStringLiteral("time"), now()},
                                           {QStringLiteral("code"), code},
                                           {QStringLiteral("description"), description}}));
        } else {
            printLine(QStringList{QStringLiteral("fault"), QString::number(code), now(), description}
                          .join(QLatin1Char('\t'))
                          .toUtf8() +
                      '\n');
        }
    }

    void printLine(const QByteArray& line)
    {
        printOut(line);
        if (!standardOutputOk())
            finish(kFailure);
        else if (count_ > 0 && ++lines_ >= count_)
            finish(kSuccess);
    }

    int count_;
    bool json_;
    FaultLayout faultLayout_ = FaultLayout::Long;
    QStringList lastStatus_;
    QHash<int, QElapsedTimer> sinceReport_;
    int lines_ = 0;
    int phase_ = 0;
    std::optional<int> speed_;
    QElapsedTimer sinceFrame_;
};

int runWatch(const CliOptions& options)
{
    StatusWatch watch(options.count, options.json);
    InterruptWatch interrupt([&watch] { watch.finish(kSuccess); });
    ControllerLink link(options, false);
    const std::optional<bool> extended = openForPolling(link, watch);
    if (!extended)
        return kFailure;
    watch.setFaultLayout(*extended ? FaultLayout::Long : FaultLayout::Short);
    return watch.run();
}

} // namespace

QList<CommandEntry> watchCommands()
{
    return {
        {{QStringLiteral("watch")}, QString(), 0, 0, {QStringLiteral("count"), QStringLiteral("json")}, true,
         QStringLiteral("the status as it comes and the fault reports, until interrupted"),
         QStringLiteral("A line per status reply: floor, direction, door, mode, speed; a line per fault\n"
                        "report: fault, code, time, description. Fault reports are acknowledged as the\n"
                        "window does. With --json one object a line (JSON Lines) per change of the status\n"
                        "and per fault, each with its ISO 8601 time. Ctrl+C ends it with exit 0."),
         runWatch},
    };
}

} // namespace cli
