// vardo-sim: the simulated elevator main controller and door-operator
// controller on a pseudo-terminal, linked as COMn for the tool.

#include "CommandLine.h"
#include "Console.h"
#include "SimController.h"

#include <QCoreApplication>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <poll.h>
#include <pthread.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

// Reads commands from standard input until it ends or the simulator stops.
// A terminal on which the simulator runs in the background is left alone.
void consoleLoop(Console& console, const std::atomic<bool>& stopping)
{
    if (isatty(STDIN_FILENO) && tcgetpgrp(STDIN_FILENO) != getpgrp())
        return;
    std::string pending;
    const bool interactive = isatty(STDIN_FILENO);
    if (interactive) {
        std::cout << "sim> " << std::flush;
    }
    while (!stopping) {
        pollfd pfd{STDIN_FILENO, POLLIN, 0};
        const int ready = ::poll(&pfd, 1, 200);
        if (ready <= 0)
            continue;
        char chunk[256];
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n <= 0)
            return;  // end of input: keep serving
        pending.append(chunk, size_t(n));
        size_t eol;
        while ((eol = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            bool quit = false;
            std::cout << console.execute(QString::fromLocal8Bit(line.c_str()), &quit).toStdString();
            if (quit) {
                ::kill(getpid(), SIGTERM);
                return;
            }
            if (interactive)
                std::cout << "sim> ";
            std::cout << std::flush;
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // Stop signals are taken by the main thread alone, with sigwait; every
    // thread started from here on inherits the blocked set.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::signal(SIGTTIN, SIG_IGN);
    std::signal(SIGPIPE, SIG_IGN);

    QCoreApplication app(argc, argv);
    const CommandLine cl = parseCommandLine(app.arguments().mid(1));
    if (cl.help) {
        std::cout << helpText().toStdString();
        return 0;
    }
    if (cl.version) {
        std::cout << versionText().toStdString();
        return 0;
    }
    if (!cl.error.isEmpty()) {
        std::cerr << "vardo-sim: " << cl.error.toStdString() << '\n';
        return 2;
    }

    std::unique_ptr<SimController> sim;
    try {
        sim = std::make_unique<SimController>(cl.options);
    } catch (const std::exception& e) {
        std::cerr << "vardo-sim: " << e.what() << '\n';
        return 1;
    }
    const QString link = sim->linkAs(cl.com);
    if (link.isEmpty()) {
        std::cerr << "vardo-sim: cannot place the link com" << cl.com << " in the port folder\n";
        return 1;
    }
    const SimOptions& o = sim->options();
    std::cout << "vardo-sim: " << modelName(o.model) << " main controller at " << o.elevatorBaud
              << " baud, door operator at " << o.doorBaud << " baud, special code " << o.specialCode << '\n'
              << "device " << sim->devicePath().toStdString() << '\n'
              << "link   " << link.toStdString() << " (COM" << cl.com << ")\n";
    if (!o.replayFile.isEmpty())
        std::cout << "replaying " << o.replayFile.toStdString() << " from the first status or I/O poll on\n";
    if (o.linkFaults.any())
        std::cout << "faults of the line are on (see --help)\n";
    std::cout << (cl.console ? "Ctrl+C stops; type help for commands\n" : "Ctrl+C stops\n") << std::flush;

    std::atomic<bool> stopping{false};
    Console console(*sim);
    std::thread consoleThread;
    if (cl.console)
        consoleThread = std::thread([&] { consoleLoop(console, stopping); });

    int signal = 0;
    sigwait(&stopSignals, &signal);
    stopping = true;
    if (consoleThread.joinable())
        consoleThread.join();
    sim.reset();
    std::cout << "\nvardo-sim: stopped, link removed\n";
    return 0;
}
