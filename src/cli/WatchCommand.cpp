#include "WatchCommand.h"

#include "ControllerLink.h"
#include "Exchange.h"
#include "FloorDisplayText.h"
#include "FrameAssembler.h"
#include "Interrupt.h"
#include "LinkEvents.h"
#include "LinkWait.h"
#include "Output.h"
#include "Requests.h"
#include "SerialChannel.h"
#include "StatusDecoding.h"
#include "StatusPolls.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <optional>

namespace cli {

namespace {

// The status page's pace: a poll 100 ms after the last reply or poll.
constexpr int kPollMs = 100;
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

// The channel's owner while the watch runs: it takes the received bytes,
// assembles frames, prints a line per status reply and sends the polls.
class StatusWatch : public QObject
{
public:
    explicit StatusWatch(int count) : count_(count)
    {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { poll(); });
    }

    // Polls until finish(); returns its exit code. At once when finish()
    // came first.
    int run()
    {
        if (!done_) {
            sinceFrame_.start();
            timer_.start(kPollMs);
            loop_.exec();
        }
        return exitCode_;
    }

    void finish(int exitCode)
    {
        if (done_)
            return;
        done_ = true;
        exitCode_ = exitCode;
        timer_.stop();
        loop_.quit();
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() != WM_LINK_RXBYTE)
            return QObject::event(event);
        if (assembler_.take(static_cast<LinkRxByteEvent*>(event)->byte()))
            frameArrived(QByteArray(assembler_.frameText()));
        return true;
    }

private:
    // The status page's rotation: calls, speed, status.
    void poll()
    {
        if (sinceFrame_.elapsed() > kSilenceMs) {
            printError(QStringLiteral("no reply from the controller for %1 s").arg(kSilenceMs / 1000));
            finish(kFailure);
            return;
        }
        monitor::writeNextStatusPoll(phase_);
        timer_.start(kPollMs);
    }

    void frameArrived(const QByteArray& frame)
    {
        sinceFrame_.restart();
        if (const auto status = monitor::parseStatusReply(frame.constData()))
            showStatus(*status);
        else if (const auto speed = monitor::parseSpeedReply(frame.constData()))
            speed_ = *speed;
        else if (frame.size() > 3 && frame[3] == 'E')
            printError(QStringLiteral("the controller reports fault %1").arg(QString::fromLatin1(frame.mid(5, 2))));
        if (!done_)
            timer_.start(kPollMs);
    }

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

    QEventLoop loop_;
    int count_;
    int lines_ = 0;
    int phase_ = 0;
    bool done_ = false;
    int exitCode_ = kSuccess;
    std::optional<int> speed_;
    FrameAssembler assembler_;
    QTimer timer_;
    QElapsedTimer sinceFrame_;
};

} // namespace

int runWatch(const CliOptions& options)
{
    StatusWatch watch(options.count);
    InterruptWatch interrupt([&watch] { watch.finish(kSuccess); });
    ControllerLink link(chooseLink(options, false));
    if (!link.open(&watch))
        return kFailure;
    std::optional<bool> extended;
    {
        LinkBusyGuard busy;
        extended = probeExtendedLayout();
    }
    if (!extended) {
        printError(link.noReply());
        return kFailure;
    }
    return watch.run();
}

} // namespace cli
