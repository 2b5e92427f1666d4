#include "IdentityCommands.h"

#include "ControllerLink.h"
#include "IdentityChains.h"
#include "Output.h"

#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>

namespace cli {

namespace {

QString clockText(const identity::ClockFields& f)
{
    return QString::asprintf("%02d-%02d-%02d %02d:%02d:%02d", f[0], f[1], f[2], f[3], f[4], f[5]);
}

// A controller text without its control characters: the telephone
// number, for one, comes with the CR that ends it.
QString shown(const QString& text)
{
    QString out;
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
            out += c;
    }
    return out;
}

} // namespace

int runInfo(const CliOptions& options)
{
    ControllerLink link(chooseLink(options, false));
    if (!link.open())
        return kFailure;

    // The values in the order they are asked for; the first without a
    // reply ends the read.
    constexpr std::array<const char*, 5> kAsked{"program name", "elevator ID", "telephone number", "run counter",
                                                "clock"};
    identity::IdentityValues read;
    int replies = 0;
    const bool complete = identity::readIdentity(read, [&replies] { ++replies; });
    if (replies == 0) {
        printError(link.noReply());
        return kFailure;
    }
    if (!complete || read.clock.isEmpty()) {
        const size_t missing = size_t(std::min(replies, int(kAsked.size()) - 1));
        printError(QStringLiteral("the controller did not answer the %1 request").arg(QLatin1String(kAsked[missing])));
        return kFailure;
    }
    const identity::IdentityValues values{shown(read.programName), shown(read.elevatorId), shown(read.telephone),
                                          shown(read.runCount), shown(read.clock)};

    if (options.json) {
        QJsonObject object;
        object.insert(QStringLiteral("program"), values.programName);
        object.insert(QStringLiteral("id"), values.elevatorId);
        object.insert(QStringLiteral("telephone"), values.telephone);
        bool isNumber = false;
        const qint64 runs = values.runCount.toLongLong(&isNumber);
        object.insert(QStringLiteral("runs"), isNumber ? QJsonValue(runs) : QJsonValue(values.runCount));
        object.insert(QStringLiteral("clock"), values.clock);
        printOut(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + QLatin1Char('\n'));
        return kSuccess;
    }
    printOut(QStringLiteral("program: %1\nid: %2\ntelephone: %3\nruns: %4\nclock: %5\n")
                 .arg(values.programName, values.elevatorId, values.telephone, values.runCount, values.clock));
    return kSuccess;
}

int runClockSet(const CliOptions& options)
{
    const identity::ClockFields fields = options.command == Command::ClockSetNow
                                             ? identity::clockFieldsOf(QDateTime::currentDateTime())
                                             : options.clock;
    ControllerLink link(chooseLink(options, false));
    if (!link.open())
        return kFailure;
    identity::sendClock(fields);
    const std::optional<identity::ClockFields> now = identity::readClockFields();
    if (!now) {
        printError(QStringLiteral("the clock was sent (%1) but no clock reply came back from %2")
                       .arg(clockText(fields), link.where()));
        return kFailure;
    }
    printOut(clockText(*now) + QLatin1Char('\n'));
    return kSuccess;
}

} // namespace cli
