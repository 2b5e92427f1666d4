// Cost of one synchronous exchange over a pseudo-terminal: the request is
// written, the page's 50 ms wait passes, the reply is read in 80 ms polls.
// A peer thread answers every request at once, so the figure is the tool's
// own share of an exchange.

#include "ConfigHome.h"
#include "ExchangeTiming.h"
#include "Exchange.h"
#include "FrameBuffer.h"
#include "LinkWait.h"
#include "Requests.h"
#include "SerialChannel.h"
#include "TestPty.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include <poll.h>
#include <unistd.h>

namespace {

void answerEveryRequest(int fd, std::atomic<bool>& running)
{
    const char reply[] = "\x02" "FFA50B2003E00\x03";
    char chunk[256];
    while (running) {
        pollfd pfd{fd, POLLIN, 0};
        if (::poll(&pfd, 1, 20) <= 0)
            continue;
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        for (ssize_t i = 0; i < n; ++i) {
            if (chunk[i] == ETX && ::write(fd, reply, sizeof reply - 1) < 0)
                return;
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ConfigHome home;
    TestPty pty;
    home.linkPort(1, pty.slavePath());
    if (!serialChannel.open(nullptr, 1, 9600, 'N', 8, 1, SerialChannel::kEventMask)) {
        std::fprintf(stderr, "cannot open the pseudo-terminal\n");
        return 1;
    }
    std::atomic<bool> running{true};
    std::thread peer(answerEveryRequest, pty.masterFd(), std::ref(running));

    constexpr int kRuns = 50;
    const ExchangeTiming timing =
        timeParameterExchanges(kRuns, [](int got) { return got > 0 && replyIs('A', '5'); });
    const int answered = timing.answered;
    running = false;
    peer.join();
    serialChannel.close();

    std::printf("synchronous exchange over a pseudo-terminal, %d runs, %d answered\n", kRuns, answered);
    std::printf("  whole exchange (write, 50 ms wait, read): median %.1f ms\n", ExchangeTiming::median(timing.totalsMs));
    std::printf("  read of a reply already queued:           median %.1f ms (one 80 ms poll)\n", ExchangeTiming::median(timing.readsMs));
    return answered == kRuns ? 0 : 1;
}
