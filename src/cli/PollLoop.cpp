#include "PollLoop.h"

#include "ControllerLink.h"
#include "LinkEvents.h"

namespace cli {

PollLoop::PollLoop()
{
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] {
        poll();
        if (!done_)
            timer_.start(kPollMs);
    });
}

int PollLoop::run()
{
    if (!done_) {
        starting();
        timer_.start(kPollMs);
        loop_.exec();
    }
    return exitCode_;
}

void PollLoop::finish(int exitCode)
{
    if (done_)
        return;
    done_ = true;
    exitCode_ = exitCode;
    timer_.stop();
    loop_.quit();
}

bool PollLoop::event(QEvent* event)
{
    if (event->type() != WM_LINK_RXBYTE)
        return QObject::event(event);
    if (assembler_.take(static_cast<LinkRxByteEvent*>(event)->byte())) {
        frameArrived(QByteArray(assembler_.frameText()));
        if (!done_)
            timer_.start(kPollMs);
    }
    return true;
}

std::optional<bool> openForPolling(ControllerLink& link, PollLoop& loop)
{
    if (!link.open(&loop))
        return std::nullopt;
    return link.probeLayout();
}

} // namespace cli
