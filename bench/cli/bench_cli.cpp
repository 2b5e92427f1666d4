// Times `vardo-cli params read` of all 173 parameters from the simulated
// controller at 9600 baud, at the window's pace and with --fast, and
// `params write --fast` of the file read back into it (with the fast read
// of what it replaces for the service record, and without it:
// --no-snapshot), and sets each total
// against the wire time of its frames: every request and its reply,
// characters x 10 bits / 9600 baud, summed over the exchanges (the check of
// which controller answers, the layout probe and the identity reads
// included). The goals: the fast read at most 1.5 times the wire time, with
// the file it writes identical to the normal read's, the fast write (alone)
// at most 1.6 times. A read with a gap of 5 ms instead of the default 10 shows what
// the gap between exchanges costs.
//
// Usage: bench_cli [runs per pace, default 1]

#include "ConfigHome.h"
#include "SimController.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kBaud = 9600;
constexpr int kBitsPerCharacter = 10;

struct Run
{
    bool ok = false;
    double totalMs = 0;
    double wireMs = 0;
    int exchanges = 0;
    QByteArray file;
};

double wireMs(qsizetype characters)
{
    return 1000.0 * double(characters) * kBitsPerCharacter / kBaud;
}

double runCli(const ConfigHome& home, const QStringList& arguments, bool* ok)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    process.start(QStringLiteral(VARDO_CLI_EXE), arguments);
    const bool finished = process.waitForFinished(120000);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    *ok = finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return ms;
}

// Runs the command and adds up its exchanges' wire time.
Run timed(const ConfigHome& home, SimController& sim, const QStringList& arguments)
{
    sim.clearRequests();
    Run run;
    run.totalMs = runCli(home, arguments, &run.ok);
    // Every request and the reply the controller gives it (answering a read
    // again changes nothing, nor does writing the same value again).
    for (const QByteArray& request : sim.requests()) {
        run.wireMs += wireMs(request.size() + sim.answer(request).size());
        ++run.exchanges;
    }
    return run;
}

// gapMs < 0: the window's pace; otherwise --fast with that gap.
Run readAll(const ConfigHome& home, SimController& sim, const QString& path, int gapMs)
{
    QStringList arguments{"params", "read", "-o", path};
    if (gapMs >= 0)
        arguments << "--fast" << "--gap" << QString::number(gapMs);
    Run run = timed(home, sim, arguments);
    QFile file(path);
    if (file.open(QIODevice::ReadOnly))
        run.file = file.readAll();
    return run;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;

    ConfigHome home;
    SimOptions options;
    options.elevatorBaud = kBaud;
    SimController sim(options);
    sim.linkAs(1);
    QTemporaryDir dir;

    bool ok = false;
    const double startMs = runCli(home, {"--version"}, &ok);
    std::printf("vardo-cli params read and write: 173 parameters, the simulated controller at %d baud\n", kBaud);
    std::printf("(start and end of the process alone: %.0f ms)\n", startMs);
    std::printf("%-12s %9s %9s %9s %6s %15s %6s\n", "command", "exchanges", "total ms", "wire ms", "ratio",
                "over/exch ms", "file");
    for (int r = 0; r < runs; ++r) {
        const Run normal = readAll(home, sim, dir.filePath(QStringLiteral("normal.F")), -1);
        const Run fast = readAll(home, sim, dir.filePath(QStringLiteral("fast.F")), 10);
        const Run fast5 = readAll(home, sim, dir.filePath(QStringLiteral("fast5.F")), 5);
        // A write leaves no file: it shows as the one it wrote.
        const auto writeFast = [&](const QStringList& more) {
            Run w = timed(home, sim, QStringList{"params", "write", "--fast", dir.filePath(QStringLiteral("fast.F"))} + more);
            w.file = fast.file;
            return w;
        };
        const Run write = writeFast({});
        const Run writeAlone = writeFast({"--no-snapshot"});
        if (!normal.ok || !fast.ok || !fast5.ok || !write.ok || !writeAlone.ok || normal.file.size() != 173 * 4) {
            std::fprintf(stderr, "a read or the write failed\n");
            return 1;
        }
        for (const auto& [name, run] : {std::pair{"read", &normal}, std::pair{"read --fast", &fast},
                                        std::pair{"read --gap 5", &fast5}, std::pair{"write --fast", &write},
                                        std::pair{"  no snapshot", &writeAlone}}) {
            std::printf("%-12s %9d %9.0f %9.0f %6.2f %15.1f %6s\n", name, run->exchanges, run->totalMs,
                        run->wireMs, run->totalMs / run->wireMs, (run->totalMs - run->wireMs) / run->exchanges,
                        run->file == normal.file ? "same" : "DIFFERS");
        }
    }
    return 0;
}
