#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace cli {

// Turns SIGINT (Ctrl+C) and SIGTERM into a call from the event loop for as
// long as the object lives, so that a command interrupted ends as cleanly
// as one that finished: the exchanges' waits run the event loop, so the
// call comes between two exchanges at the latest. The signals are read
// from a signalfd: no handler runs, nothing is shared with one. Elsewhere
// than on Linux they keep their default action.
class InterruptWatch
{
public:
    explicit InterruptWatch(std::function<void()> onInterrupt = {});
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // A signal came.
    bool interrupted() const { return interrupted_; }

private:
    int fd_ = -1;
    bool interrupted_ = false;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace cli
