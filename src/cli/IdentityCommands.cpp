// info, clock, id, phone and counter: the controller's identity and clock.

#include "Commands.h"
#include "ControllerLink.h"
#include "IdentityChains.h"
#include "Output.h"
#include "Service.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace cli {

namespace {

// The controller's clock may differ from what was sent by this much once
// the time since sending is allowed for (its seconds tick on their own).
constexpr qint64 kClockToleranceMs = 2000;

QString clockText(const identity::ClockFields& f)
{
    return QString::asprintf("%02d-%02d-%02d %02d:%02d:%02d", f[0], f[1], f[2], f[3], f[4], f[5]);
}

// The fields as a moment of this century; invalid for a date that does not exist.
QDateTime clockMoment(const identity::ClockFields& f)
{
    return QDateTime(QDate(2000 + f[0], f[1], f[2]), QTime(f[3], f[4], f[5]));
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

// "YY-MM-DD hh:mm:ss" as ISO 8601 ("20YY-MM-DDThh:mm:ss"); the text as it
// is when it is not a clock.
QString isoClock(const QString& text)
{
    static const QRegularExpression clock(QStringLiteral("^(\\d\\d)-(\\d\\d)-(\\d\\d) (\\d\\d:\\d\\d:\\d\\d)$"));
    const QRegularExpressionMatch m = clock.match(text);
    if (!m.hasMatch())
        return text;
    return QStringLiteral("20%1-%2-%3T%4").arg(m.captured(1), m.captured(2), m.captured(3), m.captured(4));
}

// An elevator ID that can stand in a file name: letters, digits, '.', '_'
// and '-' stay, anything else becomes '_', and it never starts with '.' or
// '-'; "unnamed" when nothing is left.
QString fileNameSafe(const QString& id)
{
    QString safe;
    for (const QChar c : id) {
        const bool kept = (c.unicode() < 0x80 && c.isLetterOrNumber()) || c == QLatin1Char('.') ||
                          c == QLatin1Char('_') || c == QLatin1Char('-');
        safe += kept ? c : QLatin1Char('_');
    }
    if (!safe.isEmpty() && (safe.front() == QLatin1Char('.') || safe.front() == QLatin1Char('-')))
        safe.front() = QLatin1Char('_');
    return safe.isEmpty() ? QStringLiteral("unnamed") : safe;
}

// The model as the program name tells it: the name without a trailing
// version word ("VARDO M173 V3.21" is model "VARDO M173").
QString modelOf(const QString& programName)
{
    static const QRegularExpression version(QStringLiteral("\\s+[Vv]\\d[\\w.]*$"));
    return QString(programName).remove(version).trimmed();
}

// The five values of the general page; nothing, with the failure printed.
std::optional<identity::IdentityValues> readIdentity(const ControllerLink& link)
{
    constexpr std::array<const char*, 5> kAsked{"the program name", "the elevator ID", "the telephone number",
                                                "the run counter", "the clock"};
    identity::IdentityValues read;
    int replies = 0;
    const bool complete = identity::readIdentity(read, [&replies] { ++replies; });
    if (!complete || read.clock.isEmpty()) {
        const size_t missing = size_t(std::min(replies, int(kAsked.size()) - 1));
        printError(link.failure(QLatin1String(kAsked[missing])));
        return std::nullopt;
    }
    return identity::IdentityValues{shown(read.programName), shown(read.elevatorId), shown(read.telephone),
                                    shown(read.runCount), shown(read.clock)};
}

int runInfo(const CliOptions& options)
{
    ControllerLink link(options, false);
    if (!link.open())
        return kFailure;
    const std::optional<bool> extended = link.probeLayout();
    if (!extended)
        return kFailure;
    const std::optional<identity::IdentityValues> values = readIdentity(link);
    if (!values)
        return kFailure;
    const int layout = *extended ? 173 : 114;

    bool isNumber = false;
    const qint64 runs = values->runCount.toLongLong(&isNumber);
    if (options.json) {
        QJsonObject object;
        object.insert(QStringLiteral("program"), values->programName);
        object.insert(QStringLiteral("model"), modelOf(values->programName));
        object.insert(QStringLiteral("layout"), layout);
        object.insert(QStringLiteral("parameters"), layout);
        object.insert(QStringLiteral("id"), values->elevatorId);
        object.insert(QStringLiteral("id_file_name"), fileNameSafe(values->elevatorId));
        object.insert(QStringLiteral("telephone"), values->telephone);
        object.insert(QStringLiteral("runs"), isNumber ? QJsonValue(runs) : QJsonValue(values->runCount));
        object.insert(QStringLiteral("clock"), isoClock(values->clock));
        printOut(jsonLine(object));
        return kSuccess;
    }
    printOut(QStringLiteral("program: %1\nmodel: %2\nlayout: %3 parameters\nid: %4\ntelephone: %5\nruns: %6\nclock: %7\n")
                 .arg(values->programName, modelOf(values->programName))
                 .arg(layout)
                 .arg(values->elevatorId, values->telephone, values->runCount, values->clock));
    return kSuccess;
}

// --- clock ------------------------------------------------------------------

QString takeClock(CliOptions& o)
{
    // "YY-MM-DD hh:mm:ss", each field a decimal number within the range the
    // date and time dialog takes: 0-99, 0-12, 0-31, 0-23, 0-59, 0-59.
    static const QRegularExpression shape(
        QStringLiteral("^(\\d{1,2})-(\\d{1,2})-(\\d{1,2}) (\\d{1,2}):(\\d{1,2}):(\\d{1,2})$"));
    const QString text = o.arguments.join(QLatin1Char(' '));
    const QRegularExpressionMatch m = shape.match(text.simplified());
    constexpr std::array<int, 6> kMost{99, 12, 31, 23, 59, 59};
    bool valid = m.hasMatch();
    for (int i = 0; valid && i < 6; ++i) {
        o.clock[size_t(i)] = m.captured(i + 1).toInt();
        valid = o.clock[size_t(i)] <= kMost[size_t(i)];
    }
    if (!valid)
        return QStringLiteral("'%1' is not a time \"YY-MM-DD hh:mm:ss\" (year 0-99, month 0-12, day 0-31, "
                              "hour 0-23, minute and second 0-59)")
            .arg(text);
    return {};
}

// Sends the clock and reads it back: the controller must hold what was
// sent (allowing for the time since), or the command fails.
int setClock(const CliOptions& options, const identity::ClockFields& fields)
{
    ControllerLink link(options, false);
    if (!link.open())
        return kFailure;
    QElapsedTimer since;
    since.start();
    identity::sendClock(fields);
    const std::optional<identity::ClockFields> now = identity::readClockFields();
    if (!now) {
        printError(QStringLiteral("the clock was sent (%1) but %2").arg(clockText(fields), link.failure(QStringLiteral("the clock read"))));
        return kFailure;
    }
    const QDateTime sent = clockMoment(fields);
    const QDateTime held = clockMoment(*now);
    const bool same = sent.isValid() && held.isValid() &&
                      std::abs(sent.msecsTo(held) - since.elapsed()) <= kClockToleranceMs;
    if (!same) {
        printError(QStringLiteral("the controller did not take the clock: it reads %1 after %2 was sent")
                       .arg(clockText(*now), clockText(fields)));
        return kFailure;
    }
    printOut(clockText(*now) + QLatin1Char('\n'));
    return kSuccess;
}

int runClockSetNow(const CliOptions& options)
{
    return setClock(options, identity::clockFieldsOf(QDateTime::currentDateTime()));
}

int runClockSet(const CliOptions& options)
{
    return setClock(options, options.clock);
}

// --- id, phone, counter --------------------------------------------------------

QString takeText(const QString& text, int limit, const char* what)
{
    if (text.size() > limit || !identity::isPrintableAscii(text))
        return QStringLiteral("the %1 takes up to %2 characters from blank to '~'").arg(QLatin1String(what)).arg(limit);
    return {};
}

QString takeId(CliOptions& o)
{
    return takeText(o.arguments[0], identity::kElevatorIdLength, "elevator ID");
}

QString takePhone(CliOptions& o)
{
    return takeText(o.arguments[0], identity::kTelephoneLength, "telephone number");
}

int runIdSet(const CliOptions& options)
{
    const QString id = options.arguments[0];
    return runService(options, {QString(), false,
                                [&id](const ControllerLink& link) {
                                    identity::sendElevatorId(id);
                                    const auto values = readIdentity(link);
                                    return values && readBackAs(values->elevatorId, id, QStringLiteral("the elevator ID"));
                                },
                                QStringLiteral("elevator ID set to \"%1\"").arg(id)});
}

int runPhoneSet(const CliOptions& options)
{
    const QString number = options.arguments[0];
    return runService(options, {QString(), false,
                                [&number](const ControllerLink& link) {
                                    if (!confirmedBy(identity::setTelephone(number), link,
                                                     QStringLiteral("the telephone number")))
                                        return false;
                                    const auto values = readIdentity(link);
                                    return values &&
                                           readBackAs(values->telephone, number, QStringLiteral("the telephone number"));
                                },
                                QStringLiteral("telephone number set to \"%1\"").arg(number)});
}

int runCounterReset(const CliOptions& options)
{
    return runService(options, {QStringLiteral("Reset the run counter to 0?"), false,
                                [](const ControllerLink& link) {
                                    identity::sendRunCounterReset();
                                    const auto values = readIdentity(link);
                                    return values && readBackAs(values->runCount, QStringLiteral("0"),
                                                                QStringLiteral("the reset of the run counter"));
                                },
                                QStringLiteral("run counter reset to 0")});
}

} // namespace

QList<CommandEntry> identityCommands()
{
    return {
        {{QStringLiteral("info")}, QString(), 0, 0, {QStringLiteral("json")}, true,
         QStringLiteral("program name, model, layout, elevator ID, telephone, runs, clock"),
         QStringLiteral("With --json one object; its id_file_name is the elevator ID made safe for a file\n"
                        "name, its clock ISO 8601."),
         runInfo},
        {{QStringLiteral("clock"), QStringLiteral("set-now")}, QString(), 0, 0, {}, true,
         QStringLiteral("set the controller's clock to this PC's time, and read it back"), QString(), runClockSetNow},
        {{QStringLiteral("clock"), QStringLiteral("set")}, QStringLiteral("\"YY-MM-DD hh:mm:ss\""), 1, 2, {}, true,
         QStringLiteral("set the controller's clock, and read it back"),
         QStringLiteral("Fails when the clock read back differs from the one sent by more than 2 s (a\n"
                        "date the controller does not take)."),
         runClockSet, takeClock},
        {{QStringLiteral("id"), QStringLiteral("set")}, QStringLiteral("ID"), 1, 1, {}, true,
         QStringLiteral("set the elevator ID (up to 9 characters), and read it back"), QString(), runIdSet, takeId},
        {{QStringLiteral("phone"), QStringLiteral("set")}, QStringLiteral("NUMBER"), 1, 1, {}, true,
         QStringLiteral("set the telephone number (up to 13 characters), and read it back"), QString(), runPhoneSet,
         takePhone},
        {{QStringLiteral("counter"), QStringLiteral("reset")}, QString(), 0, 0, {QStringLiteral("yes")}, true,
         QStringLiteral("reset the run counter to 0 (asks first)"), QString(), runCounterReset},
    };
}

} // namespace cli
