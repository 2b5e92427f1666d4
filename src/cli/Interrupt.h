#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

namespace cli {

// Turns SIGINT (Ctrl+C) into a call from the event loop for as long as
// the object lives, so that a command interrupted ends as cleanly as one
// that finished. The signal is read from a signalfd: no handler runs,
// nothing is shared with one. Elsewhere than on Linux SIGINT keeps its
// default action.
class InterruptWatch
{
public:
    explicit InterruptWatch(std::function<void()> onInterrupt);
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

private:
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace cli
