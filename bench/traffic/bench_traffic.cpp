// Times the elevator parameter page's read-all (173 parameters) against the
// simulated controller at 9600 baud, with the traffic window closed and with
// it open and recording, and prints both totals and their difference. The
// runs alternate, closed first, so that a drift of the machine weighs on
// both alike.
//
// Usage: bench_traffic [runs each, default 3]
// Runs under the offscreen platform unless QT_QPA_PLATFORM is set.

#include "ElevatorReadAll.h"
#include "TrafficWindow.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

struct Run
{
    int rows = 0;
    int entries = 0;  // recorded by the traffic window
    double ms = 0;
};

Run readAll(bool recording)
{
    ElevatorReadAll bench;
    TrafficWindow* window = recording ? TrafficWindow::showFor(&bench.host()) : nullptr;
    QApplication::processEvents();
    const double ms = bench.timeReadAll();
    Run run{bench.rows(), 0, ms};
    if (window) {
        run.entries = window->log().size();
        window->close();
    }
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    std::printf("Elevator parameter read-all against the simulated controller (9600 baud), "
                "traffic window closed and open\n");
    std::printf("%4s %-7s %5s %8s %11s\n", "run", "window", "rows", "entries", "total ms");
    double total[2] = {0, 0};
    for (int r = 0; r < runs; ++r) {
        for (const bool recording : {false, true}) {
            const Run run = readAll(recording);
            total[recording] += run.ms;
            std::printf("%4d %-7s %5d %8d %11.0f\n", r + 1, recording ? "open" : "closed", run.rows, run.entries,
                        run.ms);
        }
    }
    std::printf("\n%d runs each: closed %.0f ms, open %.0f ms (%.0f and %.0f ms a run); open takes %+.2f%%\n", runs,
                total[0], total[1], total[0] / runs, total[1] / runs, 100.0 * (total[1] - total[0]) / total[0]);
    return 0;
}
