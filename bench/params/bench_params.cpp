// Times the elevator parameter page's read-all against the simulated
// controller, in both parameter layouts, and sets it against the protocol's
// floor: every exchange waits 50 ms before its polling read, whose first
// poll ends 80 ms later, so no exchange (the layout probe included) can take
// less than 130 ms.
//
// Then the same read-all on a line that is not clean: bytes delivered in
// chunks every 16 ms (a USB adapter's latency timer), and one byte in 10000
// (and in 500) corrupted; each line tells the time, the rows read, the rows that failed
// (not read: the read-all stops at a parameter that fails twice) and the
// tries that were repeated.
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
    int repeated = 0;
};

Run readAll(SimModel model, const LinkFaults& faults = {})
{
    SimOptions options;
    options.model = model;
    options.linkFaults = faults;
    ElevatorReadAll bench(options);
    const double ms = bench.timeReadAll();
    // Every parameter read after the first try of its own is a repeat.
    int reads = 0;
    for (const QByteArray& request : bench.sim().requests())
        reads += request.mid(3, 2) == "A5" ? 1 : 0;
    return {bench.rows(), ms, reads - bench.rows() - (bench.rows() < (model == SimModel::Modern ? 173 : 114) ? 1 : 0)};
}

void lineFaults(int runs)
{
    struct Condition
    {
        const char* name;
        LinkFaults faults;
    };
    LinkFaults chunks;
    chunks.chunkMs = 16;
    LinkFaults errors;
    errors.byteErrorRate = 1e-4;
    // Twenty times as many: enough to see the repeated tries at work.
    LinkFaults manyErrors;
    manyErrors.byteErrorRate = 2e-3;
    const Condition conditions[] = {{"clean line", {}},
                                    {"16 ms chunks", chunks},
                                    {"1e-4 byte errors", errors},
                                    {"2e-3 byte errors", manyErrors}};
    std::printf("\nThe same read-all on a line that is not clean\n");
    std::printf("%-18s %-7s %5s %11s %12s %9s\n", "line", "layout", "rows", "total ms", "rows failed", "repeated");
    for (const Condition& c : conditions) {
        for (const SimModel model : {SimModel::Modern, SimModel::Legacy}) {
            const int count = model == SimModel::Modern ? 173 : 114;
            for (int r = 0; r < runs; ++r) {
                const Run run = readAll(model, c.faults);
                std::printf("%-18s %-7s %5d %11.0f %12d %9d\n", c.name, model == SimModel::Modern ? "173" : "114",
                            run.rows, run.totalMs, count - run.rows, run.repeated);
            }
        }
    }
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
    lineFaults(runs);
    return 0;
}
