#include "Interrupt.h"

#ifdef Q_OS_LINUX
#include <csignal>

#include <sys/signalfd.h>
#include <unistd.h>
#endif

namespace cli {

#ifdef Q_OS_LINUX

namespace {

sigset_t interruptSet()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    return set;
}

} // namespace

InterruptWatch::InterruptWatch(std::function<void()> onInterrupt)
{
    const sigset_t set = interruptSet();
    // Blocked, the signal waits in the signalfd instead of ending the process.
    if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0)
        return;
    fd_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
    if (fd_ < 0) {
        sigprocmask(SIG_UNBLOCK, &set, nullptr);
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this, fd = fd_, onInterrupt = std::move(onInterrupt)] {
                         signalfd_siginfo info;
                         while (::read(fd, &info, sizeof info) == ssize_t(sizeof info)) {
                         }
                         interrupted_ = true;
                         if (onInterrupt)
                             onInterrupt();
                     });
}

InterruptWatch::~InterruptWatch()
{
    if (fd_ < 0)
        return;
    notifier_.reset();
    ::close(fd_);
    const sigset_t set = interruptSet();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

#else

InterruptWatch::InterruptWatch(std::function<void()>) {}
InterruptWatch::~InterruptWatch() = default;

#endif

} // namespace cli
