// Times the elevator parameter page's read-all against the simulated
// controller, in both parameter layouts, and sets it against the protocol's
// floor: every exchange waits 50 ms before its polling read, whose first
// poll ends 80 ms later, so no exchange (the layout probe included) can take
// less than 130 ms.
//
// Usage: bench_params [runs per layout, default 1]
// Runs under the offscreen platform unless QT_QPA_PLATFORM is set.

#include "ElevatorReadAll.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr double kFloorMs = 130.0;

struct Run
{
    int rows = 0;
    double totalMs = 0;
};

Run readAll(SimModel model)
{
    SimOptions options;
    options.model = model;
    ElevatorReadAll bench(options);
    const double ms = bench.timeReadAll();
    return {bench.rows(), ms};
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;

    std::printf("Elevator parameter page: read-all against the simulated controller (9600 baud)\n");
    std::printf("%-8s %5s %11s %13s %15s %11s %10s\n", "layout", "rows", "total ms", "floor ms", "per param ms",
                "per exch ms", "over floor");
    for (const SimModel model : {SimModel::Modern, SimModel::Legacy}) {
        for (int r = 0; r < runs; ++r) {
            const Run run = readAll(model);
            // The layout probe is one exchange more than the rows.
            const int exchanges = run.rows + 1;
            const double floorMs = exchanges * kFloorMs;
            std::printf("%-8s %5d %11.0f %13.0f %15.1f %11.1f %9.1f%%\n",
                        model == SimModel::Modern ? "173" : "114", run.rows, run.totalMs, floorMs,
                        run.rows ? run.totalMs / run.rows : 0.0, run.totalMs / exchanges,
                        100.0 * (run.totalMs - floorMs) / floorMs);
        }
    }
    return 0;
}
