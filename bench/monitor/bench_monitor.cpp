// Runs the elevator status page and then the I/O status page against the
// simulated controller (the car moving between calls) and prints, for each:
//   - the user-interface thread's CPU time per second of polling (the tool's
//     whole work: serial reads, frame assembly, decoding, painting);
//   - the time from a reply's last byte (its ETX reaching the tool) to the
//     page's updated state, and to the end of the repaint that shows it.
//
// Usage: bench_monitor [seconds per page, default 30]
// Runs under the offscreen platform unless QT_QPA_PLATFORM is set.

#include "ConfigHome.h"
#include "IoPage.h"
#include "PageTestHost.h"
#include "SimController.h"
#include "StatusPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <random>
#include <vector>

namespace {

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

double percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[size_t(p * double(v.size() - 1))];
}

struct Figures
{
    double seconds = 0;
    double cpuMs = 0;
    int polls = 0;
    std::vector<double> toState;
    std::vector<double> toScreen;
};

Figures measure(PageTestHost& host, SimController& sim, int page, int seconds)
{
    Figures f;
    QElapsedTimer clock;
    clock.start();
    std::optional<qint64> frameEnd;
    bool awaitingPaint = false;
    host.onFrameEnd = [&] { frameEnd = clock.nsecsElapsed(); };
    host.onFrameHandled = [&] {
        if (!frameEnd)
            return;
        f.toState.push_back(double(clock.nsecsElapsed() - *frameEnd) / 1e3);
        awaitingPaint = true;
    };
    host.onPainted = [&] {
        if (!frameEnd || !awaitingPaint)
            return;
        // A repaint long after the reply belongs to something else (the
        // status page greys its lamp at the next poll).
        const double us = double(clock.nsecsElapsed() - *frameEnd) / 1e3;
        if (us < 50'000)
            f.toScreen.push_back(us);
        awaitingPaint = false;
        frameEnd.reset();
    };

    sim.clearRequests();
    const double cpu0 = threadCpuMs();
    const qint64 t0 = clock.nsecsElapsed();
    QTest::qWait(seconds * 1000);
    f.cpuMs = threadCpuMs() - cpu0;
    f.seconds = double(clock.nsecsElapsed() - t0) / 1e9;
    for (const QByteArray& r : sim.requests()) {
        const QByteArray pair = r.mid(3, 2);
        if (page == StatusPage::kIndex ? (pair == "A0" || pair == "A3" || pair == "A8") : pair == "A4")
            ++f.polls;
    }
    host.onFrameEnd = {};
    host.onFrameHandled = {};
    host.onPainted = {};
    return f;
}

void report(const char* name, const Figures& f)
{
    std::printf("%s\n", name);
    std::printf("  polling time         %.1f s, %d polls (%.1f per s), %zu replies handled\n", f.seconds, f.polls,
                f.polls / f.seconds, f.toState.size());
    std::printf("  CPU time             %.2f ms per s of polling (%.2f %% of one core)\n", f.cpuMs / f.seconds,
                f.cpuMs / f.seconds / 10);
    std::printf("  ETX -> page state    median %.0f us, 90th percentile %.0f us\n", percentile(f.toState, 0.5),
                percentile(f.toState, 0.9));
    std::printf("  ETX -> repainted     median %.0f us, 90th percentile %.0f us (%zu replies that changed the screen)\n",
                percentile(f.toScreen, 0.5), percentile(f.toScreen, 0.9), f.toScreen.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;

    ConfigHome home;
    SimController sim;
    sim.linkAs(1);

    // Keeps the car busy: a new call somewhere every two seconds.
    std::mt19937 random(7);
    QTimer calls;
    QObject::connect(&calls, &QTimer::timeout, [&] {
        sim.withElevator([&](ElevatorModel& e) {
            const int floor = 1 + int(random() % unsigned(e.floorCount()));
            e.registerCall(ElevatorModel::CallKind(random() % 3), floor);
        });
    });
    calls.start(2000);

    PageTestHost host;
    auto* status = new StatusPage(host);
    auto* io = new IoPage(host);
    host.addPage(status);
    host.addPage(io);
    host.show();
    if (!host.openChannel(1)) {
        std::fprintf(stderr, "cannot open the simulated controller's port\n");
        return 1;
    }

    host.showPage(StatusPage::kIndex);
    // The floor count is learnt before the polls start.
    if (!QTest::qWaitFor([status] { return status->rowCount() > 0; }, 5000)) {
        std::fprintf(stderr, "the status page did not learn the floor count\n");
        return 1;
    }
    QTest::qWait(500);
    const Figures statusFigures = measure(host, sim, StatusPage::kIndex, seconds);

    host.showPage(IoPage::kIndex);
    QTest::qWait(500);
    const Figures ioFigures = measure(host, sim, IoPage::kIndex, seconds);

    report("Elevator status page ('A' '3', 'A' '8', 'A' '0' in turn)", statusFigures);
    report("I/O status page ('A' '4')", ioFigures);
    return 0;
}
