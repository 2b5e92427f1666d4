// What a pulled serial adapter costs the tool: the elevator status page
// polls the simulated controller, then the controller's side of the
// pseudo-terminal closes. Prints the CPU time of the polling before, and
// of the whole process in the seconds after the loss (the simulator is gone
// by then, so all of it is the tool's), with the reports shown and whether
// the channel closed.
//
// Usage: bench_lost_device [seconds before and after the loss, default 3]
// Runs under the offscreen platform unless QT_QPA_PLATFORM is set.

#include "ConfigHome.h"
#include "PageTestHost.h"
#include "SerialChannel.h"
#include "SimController.h"
#include "StatusPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

#include <sys/resource.h>

namespace {

double processCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return double(t.tv_sec) * 1e3 + double(t.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

struct Span
{
    double wallMs = 0;
    double processMs = 0;
    double threadMs = 0;
};

// Runs the event loop for `seconds` and returns what it cost.
Span run(int seconds)
{
    QElapsedTimer wall;
    wall.start();
    const double process = processCpuMs();
    const double thread = threadCpuMs();
    QTest::qWait(seconds * 1000);
    return {double(wall.elapsed()), processCpuMs() - process, threadCpuMs() - thread};
}

void print(const char* what, const Span& s)
{
    std::printf("%-34s %5.2f s   process %7.1f ms CPU (%5.2f %% of a core)   UI thread %7.1f ms (%5.2f %%)\n", what,
                s.wallMs / 1e3, s.processMs, 100 * s.processMs / s.wallMs, s.threadMs, 100 * s.threadMs / s.wallMs);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    ConfigHome home;
    int reports = 0;
    QString firstReport;
    serialChannel.setErrorReporter([&](const QString& text) {
        if (reports++ == 0)
            firstReport = text;
    });

    auto sim = std::make_unique<SimController>();
    sim->linkAs(1);
    PageTestHost host;
    auto* page = new StatusPage(host);
    host.addPage(page);
    host.show();
    if (!host.openChannel(1)) {
        std::fprintf(stderr, "cannot open the simulated controller's port\n");
        return 1;
    }
    host.showPage(StatusPage::kIndex);
    if (!QTest::qWaitFor([&] { return page->rowCount() > 0; }, 5000)) {
        std::fprintf(stderr, "the status page got no floor count\n");
        return 1;
    }

    const Span polling = run(seconds);
    const int answered = sim->answeredCount();
    sim.reset();
    const Span lost = run(seconds);

    std::printf("status page polling, then the controller's side of the line closed\n");
    print("polling (simulator in process)", polling);
    print("after the loss", lost);
    std::printf("replies before the loss %d; reports after it %d; channel %s\n", answered, reports,
                serialChannel.isOpen() ? "still open" : "closed");
    if (reports > 0)
        std::printf("report: %s", qPrintable(firstReport));
    serialChannel.setErrorReporter({});
    return 0;
}
