#include "WatchCommand.h"

#include "ControllerLink.h"
#include "FloorDisplayText.h"
#include "Interrupt.h"
#include "Output.h"
#include "PollLoop.h"
#include "Requests.h"
#include "SerialChannel.h"
#include "StatusDecoding.h"
#include "StatusPolls.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <optional>

namespace cli {

namespace {

// Without any frame for this long the controller is taken as gone.
constexpr int kSilenceMs = 5000;

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

// The channel's owner while the watch runs: prints a line per status
// reply and sends the status page's polls.
class StatusWatch : public PollLoop
{
public:
    explicit StatusWatch(int count) : count_(count) {}

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
            printError(QStringLiteral("the controller reports fault %1").arg(QString::fromLatin1(frame.mid(5, 2))));
    }

private:
    void showStatus(const monitor::StatusReply& reply)
    {
        const monitor::StatusTexts s = monitor::decodeStatus(reply.byteA, reply.byteB);
        const QString speed = speed_ ? QString::asprintf("%.2f m/s", *speed_ * 0.001) : QStringLiteral("-");
        printOut(QStringList{orDash(floorDisplayString(reply.floorCode)), directionText(s.arrowCell), orDash(s.door),
                             orDash(s.mode), speed}
                     .join(QLatin1Char('\t')) +
                 QLatin1Char('\n'));
        if (count_ > 0 && ++lines_ >= count_)
            finish(kSuccess);
    }

    int count_;
    int lines_ = 0;
    int phase_ = 0;
    std::optional<int> speed_;
    QElapsedTimer sinceFrame_;
};

} // namespace

int runWatch(const CliOptions& options)
{
    StatusWatch watch(options.count);
    InterruptWatch interrupt([&watch] { watch.finish(kSuccess); });
    ControllerLink link(chooseLink(options, false));
    if (!openForPolling(link, watch))
        return kFailure;
    return watch.run();
}

} // namespace cli
