// The simulated controller through the real serial channel at 9600 baud:
// one synchronous 'A' '5' exchange (median of 50) beside the time its
// request and reply take on the wire and the fixed waits of the pages; and
// reading every parameter as the parameter pages do.

#include "ConfigHome.h"
#include "ExchangeTiming.h"
#include "Exchange.h"
#include "FrameBuffer.h"
#include "LinkWait.h"
#include "Requests.h"
#include "SerialChannel.h"
#include "SimController.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double wireMs(int characters, int baud)
{
    return characters * 10 * 1000.0 / baud;
}

// The elevator parameter page's read-all: the layout probe, then every
// index with up to two tries, 50 ms wait, read up to 20, frame check.
struct ReadAll
{
    double seconds = 0;
    int read = 0;
    int retries = 0;
};

ReadAll readAllElevator()
{
    ReadAll r;
    QElapsedTimer t;
    t.start();
    LinkBusyGuard busy;
    request::readFaultRecord(0);
    const int probe = transact(50, 80);
    const int count = probe >= 23 ? 173 : 114;
    for (int i = 0; i < count; ++i) {
        bool ok = false;
        for (int attempt = 0; attempt < 2 && !ok; ++attempt) {
            if (attempt)
                ++r.retries;
            request::readParameter(i);
            ok = transact(50, 20) > 0 && rxFrame.checkReply() && replyIs('A', '5');
        }
        if (!ok)
            break;
        ++r.read;
    }
    r.seconds = t.nsecsElapsed() / 1e9;
    return r;
}

// The door page's read-all: 100 ms, then one try per index.
ReadAll readAllDoor()
{
    ReadAll r;
    QElapsedTimer t;
    t.start();
    LinkBusyGuard busy;
    linkSleep(100);
    for (int i = 0; i < 79; ++i) {
        request::readParameter(i);
        if (transact(50, 20) == 0)
            break;
        r.read += rxFrame.checkReply() && replyIs('A', '5') ? 1 : 0;
    }
    r.seconds = t.nsecsElapsed() / 1e9;
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ConfigHome home;
    SimController sim;
    sim.linkAs(1);
    specialCode = 'E';
    if (!serialChannel.open(nullptr, 1, 9600, 'N', 8, 1, SerialChannel::kEventMask)) {
        std::fprintf(stderr, "cannot open the simulated controller's line\n");
        return 1;
    }

    constexpr int kRuns = 50;
    const ExchangeTiming timing = timeParameterExchanges(
        kRuns, [](int got) { return got == 15 && rxFrame.checkReply() && replyIs('A', '5'); });
    const int answered = timing.answered;
    const int delay = sim.options().responseDelayMs;
    std::printf("synchronous 'A' '5' exchange with the simulated controller at 9600 baud, %d runs, %d valid\n",
                kRuns, answered);
    std::printf("  whole exchange (write, 50 ms wait, read):   median %6.1f ms\n", ExchangeTiming::median(timing.totalsMs));
    std::printf("  of which the read:                          median %6.1f ms\n", ExchangeTiming::median(timing.readsMs));
    std::printf("  on the wire: request 11 chars %.1f ms, response delay %d ms, reply 15 chars %.1f ms\n",
                wireMs(11, 9600), delay, wireMs(15, 9600));
    std::printf("  fixed waits of the pages: 50 ms sleep + first 80 ms poll = 130 ms\n");

    const ReadAll elevator = readAllElevator();
    std::printf("elevator parameter page read-all (probe + 173 parameters, 2 tries, 50 ms wait, read 20):\n");
    std::printf("  %d read, %d retries, %.2f s (%.1f ms a parameter)\n", elevator.read, elevator.retries,
                elevator.seconds, elevator.seconds * 1000 / std::max(1, elevator.read + 1));

    serialChannel.close();
    serialChannel.open(nullptr, 1, 38400, 'N', 8, 1, SerialChannel::kEventMask);
    const ReadAll door = readAllDoor();
    std::printf("door-operator page read-all at 38400 baud (79 parameters, 1 try): %d read, %.2f s\n", door.read,
                door.seconds);
    serialChannel.close();
    return answered == kRuns && elevator.read == 173 && door.read == 79 ? 0 : 1;
}
