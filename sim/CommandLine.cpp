#include "CommandLine.h"

#include "VardoVersion.h"

#include <algorithm>
#include <iterator>

namespace {

const int kRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

bool knownRate(int baud)
{
    return std::find(std::begin(kRates), std::end(kRates), baud) != std::end(kRates);
}

} // namespace

QString helpText()
{
    return QStringLiteral(
        "Usage: vardo-sim --com N [options]\n"
        "\n"
        "Simulated elevator main controller and door-operator controller on a\n"
        "pseudo-terminal. Places the link comN in the tool's port folder\n"
        "($XDG_CONFIG_HOME/VARDOCOM/ports, or ~/.config/VARDOCOM/ports), so that\n"
        "the tool's COMN reaches it; serves until interrupted (Ctrl+C) and removes\n"
        "the link on exit. Commands typed on standard input act on the elevator\n"
        "(type help).\n"
        "\n"
        "Line and controllers:\n"
        "  --com N                 port number of the link comN (1 to 9 for the tool)\n"
        "  --model modern|legacy   modern: 173 parameters, long fault records (20);\n"
        "                          legacy: 114 parameters, short fault records (16)\n"
        "                          (default modern)\n"
        "  --elevator-baud B       rate the main controller answers at (default 9600)\n"
        "  --elevator-stop-bits S  stop bits it answers with, 1 or 2 (default 1)\n"
        "  --door-baud B           rate the door operator answers at (default 38400)\n"
        "  --door-stop-bits S      (default 1)\n"
        "  --special-code C        code requests must carry before their checksum\n"
        "                          (default E)\n"
        "  --response-delay MS     from request to first reply character (default 3)\n"
        "  --reset-delay MS        until a parameter reset is acknowledged (default 1500)\n"
        "\n"
        "Elevator:\n"
        "  --mode M                start in mode M; repeatable or comma-separated:\n"
        "                          inspection, fire, attendant, locked, independent,\n"
        "                          overload, full\n"
        "  --no-history            start with no old fault records\n"
        "  --fault-every S         a random fault every S seconds of running\n"
        "  --no-fault-reports      record faults without unsolicited reports\n"
        "  --report-repeat MS      repeat an unacknowledged fault report every MS\n"
        "                          (default 5000)\n"
        "  --time-scale X          run the elevator X times faster (default 1)\n"
        "  --seed N                seed of random faults and learning deviations\n"
        "  --state-file PATH       keep parameters and identity in PATH across restarts\n"
        "\n"
        "Replay:\n"
        "  --replay FILE           answer the status and I/O polls ('A' '0', 'A' '3',\n"
        "                          'A' '8', 'A' '4') with the frames of a recording (saved\n"
        "                          by the tool, a fault file, or vardo-cli record) at their\n"
        "                          recorded times, counted from the first poll, and send\n"
        "                          its fault reports when their time comes; after its end\n"
        "                          the last frames go on answering. The model and the\n"
        "                          floor count follow the recording's header; the elevator\n"
        "                          makes no faults of its own\n"
        "\n"
        "Faults of the line (each makes a failure of the tool reachable):\n"
        "  --silent                answer nothing\n"
        "  --stop-after K          answer K requests, then nothing\n"
        "  --stop-at-record N      go silent at the request for fault record N\n"
        "  --stop-at-floor N       go silent at the request for shaft entry or\n"
        "                          lock-out floor N\n"
        "  --stop-at-parameter N   go silent at the read or write of parameter index N\n"
        "  --drop-every K          leave every K-th reply unsent\n"
        "  --bad-checksum          replies carry a wrong checksum\n"
        "  --lowercase-checksum    replies carry lowercase checksum digits\n"
        "  --split-gap MS          send replies in two halves, MS apart\n"
        "  --noise TEXT            put TEXT before the STX of every reply\n"
        "  --overlong              pad replies beyond 1024 characters\n"
        "  --wrong-command         answer with another sub-command\n"
        "  --faults-only XY        apply the reply faults only to replies to XY (e.g. A5)\n"
        "  --late-status MS        answer the live status and I/O polls MS later\n"
        "  --report-in-exchange C  record fault C and report it in the middle of the next\n"
        "                          synchronous exchange, between request and reply\n"
        "  --chunk-ms MS           deliver bytes in chunks every MS, as a USB adapter's\n"
        "                          latency timer does (16 is a common setting)\n"
        "  --byte-errors P         corrupt each byte sent with probability P (e.g. 1e-4)\n"
        "\n"
        "Other:\n"
        "  --no-console            do not read commands from standard input\n"
        "  --help                  show this text\n"
        "  --version               show the version\n");
}

QString versionText()
{
    return QStringLiteral("vardo-sim " VARDO_VERSION "\n");
}

CommandLine parseCommandLine(const QStringList& arguments)
{
    CommandLine cl;
    SimOptions& o = cl.options;
    LinkFaults& f = o.linkFaults;
    for (qsizetype i = 0; i < arguments.size() && cl.error.isEmpty(); ++i) {
        const QString& a = arguments[i];
        const auto value = [&]() -> QString {
            if (i + 1 >= arguments.size()) {
                cl.error = QStringLiteral("%1 needs a value").arg(a);
                return {};
            }
            return arguments[++i];
        };
        const auto number = [&](int low, int high) {
            const QString text = value();
            if (!cl.error.isEmpty())
                return 0;
            bool ok = false;
            const int n = text.toInt(&ok);
            if (!ok || n < low || n > high)
                cl.error = QStringLiteral("%1: %2 is not a number from %3 to %4").arg(a, text).arg(low).arg(high);
            return n;
        };
        const auto baud = [&]() {
            const int b = number(1, 4000000);
            if (cl.error.isEmpty() && !knownRate(b))
                cl.error = QStringLiteral("%1: %2 is not one of 1200 2400 4800 9600 19200 38400 57600 115200")
                               .arg(a)
                               .arg(b);
            return b;
        };
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            cl.help = true;
        } else if (a == QLatin1String("--version")) {
            cl.version = true;
        } else if (a == QLatin1String("--com")) {
            cl.com = number(1, 255);
        } else if (a == QLatin1String("--model")) {
            const QString m = value();
            if (m == QLatin1String("modern"))
                o.model = SimModel::Modern;
            else if (m == QLatin1String("legacy"))
                o.model = SimModel::Legacy;
            else if (cl.error.isEmpty())
                cl.error = QStringLiteral("--model: %1 is neither modern nor legacy").arg(m);
        } else if (a == QLatin1String("--elevator-baud")) {
            o.elevatorBaud = baud();
        } else if (a == QLatin1String("--door-baud")) {
            o.doorBaud = baud();
        } else if (a == QLatin1String("--elevator-stop-bits")) {
            o.elevatorStopBits = number(1, 2);
        } else if (a == QLatin1String("--door-stop-bits")) {
            o.doorStopBits = number(1, 2);
        } else if (a == QLatin1String("--special-code")) {
            const QString c = value();
            if (c.size() != 1 || c[0].unicode() < 0x21 || c[0].unicode() > 0x7E) {
                if (cl.error.isEmpty())
                    cl.error = QStringLiteral("--special-code takes one printable character");
            } else {
                o.specialCode = char(c[0].unicode());
            }
        } else if (a == QLatin1String("--response-delay")) {
            o.responseDelayMs = number(0, 10000);
        } else if (a == QLatin1String("--reset-delay")) {
            o.resetDelayMs = number(0, 60000);
        } else if (a == QLatin1String("--mode")) {
            for (const QString& m : value().split(QLatin1Char(','), Qt::SkipEmptyParts)) {
                SimMode mode;
                if (parseMode(m.trimmed(), &mode))
                    o.startModes.append(mode);
                else if (cl.error.isEmpty())
                    cl.error = QStringLiteral("--mode: unknown mode %1").arg(m);
            }
        } else if (a == QLatin1String("--no-history")) {
            o.faultHistory = false;
        } else if (a == QLatin1String("--fault-every")) {
            o.faultEverySeconds = number(1, 86400);
        } else if (a == QLatin1String("--no-fault-reports")) {
            o.faultReports = false;
        } else if (a == QLatin1String("--report-repeat")) {
            o.reportRepeatMs = number(100, 3600000);
        } else if (a == QLatin1String("--time-scale")) {
            bool ok = false;
            const QString text = value();
            o.timeScale = text.toDouble(&ok);
            if (cl.error.isEmpty() && (!ok || o.timeScale <= 0 || o.timeScale > 1000))
                cl.error = QStringLiteral("--time-scale: %1 is not a factor above 0 and up to 1000").arg(text);
        } else if (a == QLatin1String("--seed")) {
            o.seed = std::uint32_t(number(0, 2147483647));
        } else if (a == QLatin1String("--state-file")) {
            o.stateFile = value();
        } else if (a == QLatin1String("--replay")) {
            o.replayFile = value();
        } else if (a == QLatin1String("--silent")) {
            f.silent = true;
        } else if (a == QLatin1String("--stop-after")) {
            f.stopAfterRequests = number(1, 1000000);
        } else if (a == QLatin1String("--stop-at-record")) {
            f.stopAtFaultRecord = number(0, 255);
        } else if (a == QLatin1String("--stop-at-floor")) {
            f.stopAtFloor = number(0, 255);
        } else if (a == QLatin1String("--stop-at-parameter")) {
            f.stopAtParameter = number(0, 255);
        } else if (a == QLatin1String("--drop-every")) {
            f.dropEvery = number(1, 1000000);
        } else if (a == QLatin1String("--bad-checksum")) {
            f.badChecksum = true;
        } else if (a == QLatin1String("--lowercase-checksum")) {
            f.lowercaseChecksum = true;
        } else if (a == QLatin1String("--split-gap")) {
            f.splitGapMs = number(1, 10000);
        } else if (a == QLatin1String("--noise")) {
            f.noise = value().toLatin1();
        } else if (a == QLatin1String("--overlong")) {
            f.overlong = true;
        } else if (a == QLatin1String("--wrong-command")) {
            f.wrongCommand = true;
        } else if (a == QLatin1String("--faults-only")) {
            f.onlyCommand = value().toLatin1();
            if (cl.error.isEmpty() && f.onlyCommand.size() != 2)
                cl.error = QStringLiteral("--faults-only takes a command pair such as A5");
        } else if (a == QLatin1String("--late-status")) {
            f.lateStatusMs = number(1, 10000);
        } else if (a == QLatin1String("--report-in-exchange")) {
            f.reportInExchange = number(1, 255);
        } else if (a == QLatin1String("--chunk-ms")) {
            f.chunkMs = number(1, 1000);
        } else if (a == QLatin1String("--byte-errors")) {
            bool ok = false;
            const QString text = value();
            f.byteErrorRate = text.toDouble(&ok);
            if (cl.error.isEmpty() && (!ok || f.byteErrorRate < 0 || f.byteErrorRate > 1))
                cl.error = QStringLiteral("--byte-errors: %1 is not a probability from 0 to 1").arg(text);
        } else if (a == QLatin1String("--no-console")) {
            cl.console = false;
        } else {
            cl.error = QStringLiteral("unknown option %1 (see --help)").arg(a);
        }
    }
    if (cl.error.isEmpty() && !cl.help && !cl.version && cl.com == 0)
        cl.error = QStringLiteral("--com N is required (see --help)");
    return cl;
}
