#include "CliOptions.h"

#include "Commands.h"

#include <QRegularExpression>

#include <algorithm>

namespace cli {

namespace {

struct OptionEntry
{
    QString name;
    QChar shortName;     // '\0': none
    QString valueName;   // empty: a switch
    QString help;
};

// Every option, in the order the help lists them.
const QList<OptionEntry>& optionEntries()
{
    static const QList<OptionEntry> entries{
        {QStringLiteral("port"), QChar(), QStringLiteral("P"),
         QStringLiteral("COM1 to COM9 (as the window resolves them) or a device path")},
        {QStringLiteral("baud"), QChar(), QStringLiteral("N"),
         QStringLiteral("line rate (default: the elevator rate, or the door rate with --door)")},
        {QStringLiteral("line"), QChar(), QStringLiteral("PDS"),
         QStringLiteral("parity N/O/E, data bits 7/8, stop bits 1/2, such as N81")},
        {QStringLiteral("special"), QChar(), QStringLiteral("C"),
         QStringLiteral("the special code every request carries, such as E")},
        {QStringLiteral("door"), QChar(), QString(),
         QStringLiteral("the door-operator controller instead of the main controller")},
        {QStringLiteral("output"), QLatin1Char('o'), QStringLiteral("FILE"),
         QStringLiteral("the file to write: parameter set, recording or dump (- the standard output)")},
        {QStringLiteral("csv"), QChar(), QStringLiteral("FILE"),
         QStringLiteral("comma-separated values to FILE (- the standard output)")},
        {QStringLiteral("bom"), QChar(), QString(),
         QStringLiteral("begin CSV with a UTF-8 byte order mark (for spreadsheets)")},
        {QStringLiteral("json"), QChar(), QString(), QStringLiteral("JSON on the standard output")},
        {QStringLiteral("fast"), QChar(), QString(),
         QStringLiteral("take each reply as soon as it is complete")},
        {QStringLiteral("gap"), QChar(), QStringLiteral("MS"),
         QStringLiteral("with --fast: pause between two exchanges (default 10)")},
        {QStringLiteral("verify"), QChar(), QString(),
         QStringLiteral("read every written parameter back and compare")},
        {QStringLiteral("partial"), QChar(), QString(),
         QStringLiteral("write a file that holds only part of a parameter set")},
        {QStringLiteral("exclude"), QChar(), QStringLiteral("LIST"),
         QStringLiteral("leave these indexes out, such as 140-151,161")},
        {QStringLiteral("force"), QChar(), QString(),
         QStringLiteral("write although the file's elevator ID or telephone differ")},
        {QStringLiteral("retries"), QChar(), QStringLiteral("N"),
         QStringLiteral("tries again of a record whose confirmation is lost (default 2)")},
        {QStringLiteral("layout"), QChar(), QStringLiteral("L"),
         QStringLiteral("173, 114 or door: the layout of a file whose size does not tell it")},
        {QStringLiteral("count"), QChar(), QStringLiteral("N"), QStringLiteral("end after N lines")},
        {QStringLiteral("duration"), QChar(), QStringLiteral("T"),
         QStringLiteral("record for T, such as 90s, 10m, 1h or 1h30m (default: until interrupted)")},
        {QStringLiteral("vcd"), QChar(), QString(),
         QStringLiteral("a value change dump (for GTKWave or PulseView)")},
        {QStringLiteral("controller"), QChar(), QStringLiteral("C"),
         QStringLiteral("a controller of the service record: elevator ID, key or given name")},
        {QStringLiteral("server"), QChar(), QStringLiteral("S"),
         QStringLiteral("libpq's connection string (default: historyserver in settings.ini)")},
        {QStringLiteral("no-snapshot"), QChar(), QString(),
         QStringLiteral("do not read and keep what the write replaces")},
        {QStringLiteral("yes"), QChar(), QString(),
         QStringLiteral("do it without asking (needed when no terminal can be asked)")},
        {QStringLiteral("quiet"), QLatin1Char('q'), QString(), QStringLiteral("no progress and no status lines")},
        {QStringLiteral("help"), QLatin1Char('h'), QString(), QStringLiteral("this text")},
        {QStringLiteral("version"), QLatin1Char('v'), QString(), QStringLiteral("the version")},
    };
    return entries;
}

const OptionEntry* optionNamed(const QString& name)
{
    for (const OptionEntry& entry : optionEntries()) {
        if (entry.name == name)
            return &entry;
    }
    return nullptr;
}

const OptionEntry* optionWithShortName(QChar c)
{
    for (const OptionEntry& entry : optionEntries()) {
        if (!entry.shortName.isNull() && entry.shortName == c)
            return &entry;
    }
    return nullptr;
}

const QStringList kLinkOptions{QStringLiteral("port"), QStringLiteral("baud"), QStringLiteral("line"),
                               QStringLiteral("special")};

struct Option
{
    QString name;
    QString value;
};

struct Scan
{
    QStringList positionals;
    QList<Option> options;
    bool help = false;
    bool version = false;
    QString error;
};

// Splits the arguments into options and positional words.
Scan scan(const QStringList& arguments)
{
    Scan s;
    const auto fail = [&s](const QString& text) {
        if (s.error.isEmpty())
            s.error = text;
    };
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--")) {
            s.positionals += arguments.mid(i + 1);
            break;
        }
        if (a.size() < 2 || !a.startsWith(QLatin1Char('-'))) {
            s.positionals << a;
            continue;
        }
        const OptionEntry* entry = nullptr;
        std::optional<QString> value;
        QString shown;
        if (a.startsWith(QLatin1String("--"))) {
            const qsizetype eq = a.indexOf(QLatin1Char('='));
            const QString name = a.mid(2, eq < 0 ? -1 : eq - 2);
            if (eq >= 0)
                value = a.mid(eq + 1);
            shown = QStringLiteral("--") + name;
            entry = optionNamed(name);
        } else {
            shown = a.left(2);
            entry = optionWithShortName(a[1]);
            if (a.size() > 2)
                value = a.mid(2);
        }
        if (!entry) {
            fail(QStringLiteral("unknown option %1").arg(shown));
            continue;
        }
        if (entry->name == QLatin1String("help")) {
            s.help = true;
            continue;
        }
        if (entry->name == QLatin1String("version")) {
            s.version = true;
            continue;
        }
        const bool valued = !entry->valueName.isEmpty();
        if (valued && !value) {
            // An option is not taken for a value ("--csv --fast" names no
            // file); a value of that shape goes as "--csv=--fast".
            const bool optionNext = i + 1 < arguments.size() && arguments[i + 1].size() > 1 &&
                                    arguments[i + 1].startsWith(QLatin1Char('-'));
            if (i + 1 >= arguments.size() || optionNext) {
                fail(QStringLiteral("option %1 needs a value").arg(shown));
                continue;
            }
            value = arguments[++i];
        }
        if (!valued && value) {
            fail(QStringLiteral("option %1 takes no value").arg(shown));
            continue;
        }
        s.options.append({entry->name, value.value_or(QString())});
    }
    return s;
}

// The command the positional words name (the one of most words); nothing
// when they name none.
const CommandEntry* matchCommand(const QStringList& positionals)
{
    const CommandEntry* found = nullptr;
    for (const CommandEntry& entry : allCommands()) {
        if (positionals.size() >= entry.words.size() && positionals.mid(0, entry.words.size()) == entry.words &&
            (!found || entry.words.size() > found->words.size()))
            found = &entry;
    }
    return found;
}

std::optional<int> number(const QString& text, int least, int most)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const int n = text.toInt();
    if (n < least || n > most)
        return std::nullopt;
    return n;
}

// "140-151,161": indexes and ranges of indexes, 0 to 255.
std::optional<QList<std::pair<int, int>>> indexRanges(const QString& text)
{
    QList<std::pair<int, int>> ranges;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.trimmed().split(QLatin1Char('-'));
        if (ends.size() > 2)
            return std::nullopt;
        const auto first = number(ends.front(), 0, 255);
        const auto last = number(ends.back(), 0, 255);
        if (!first || !last || *last < *first)
            return std::nullopt;
        ranges.append({*first, *last});
    }
    return ranges;
}

// "90", "90s", "10m", "1h" or "1h30m": a time from 1 s to 7 days, in ms.
std::optional<qint64> durationOf(const QString& text)
{
    static const QRegularExpression shape(QStringLiteral("^(?:(\\d{1,6})h)?(?:(\\d{1,6})m)?(?:(\\d{1,9})s?)?$"));
    const QRegularExpressionMatch m = shape.match(text);
    if (text.isEmpty() || !m.hasMatch())
        return std::nullopt;
    const qint64 seconds = m.captured(1).toLongLong() * 3600 + m.captured(2).toLongLong() * 60 + m.captured(3).toLongLong();
    if (seconds < 1 || seconds > 7 * 24 * 3600)
        return std::nullopt;
    return seconds * 1000;
}

// Stores one option's value; the error text when the value is refused.
QString take(CliOptions& o, const Option& option)
{
    const QString& n = option.name;
    const QString& v = option.value;
    const auto refused = [&n, &v](const QString& wanted) {
        return QStringLiteral("invalid value '%1' for --%2: %3").arg(v, n, wanted);
    };
    if (n == QLatin1String("port")) {
        if (v.isEmpty())
            return refused(QStringLiteral("give COM1 to COM9 or a device path"));
        o.port = v;
    } else if (n == QLatin1String("baud")) {
        const auto baud = number(v, 1, 4000000);
        if (!baud)
            return refused(QStringLiteral("a rate such as 9600"));
        o.baud = *baud;
    } else if (n == QLatin1String("line")) {
        static const QRegularExpression pds(QStringLiteral("^([NOEnoe])([78])([12])$"));
        const QRegularExpressionMatch m = pds.match(v);
        if (!m.hasMatch())
            return refused(QStringLiteral("parity N, O or E, data bits 7 or 8, stop bits 1 or 2, such as N81"));
        o.parity = m.captured(1).toUpper()[0].toLatin1();
        o.dataBits = m.captured(2).toInt();
        o.stopBits = m.captured(3).toInt();
    } else if (n == QLatin1String("special")) {
        if (v.size() != 1 || v[0].unicode() <= ' ' || v[0].unicode() > '~')
            return refused(QStringLiteral("one printable character, such as E"));
        o.special = v[0].toLatin1();
    } else if (n == QLatin1String("output") || n == QLatin1String("csv")) {
        if (v.isEmpty())
            return refused(QStringLiteral("a file name, or - for the standard output"));
        (n == QLatin1String("output") ? o.outputPath : o.csvPath) = v;
    } else if (n == QLatin1String("gap")) {
        const auto gap = number(v, 0, 10000);
        if (!gap)
            return refused(QStringLiteral("milliseconds from 0 to 10000"));
        o.gapMs = *gap;
    } else if (n == QLatin1String("retries")) {
        const auto retries = number(v, 0, 100);
        if (!retries)
            return refused(QStringLiteral("a number from 0 to 100"));
        o.retries = *retries;
    } else if (n == QLatin1String("exclude")) {
        const auto ranges = indexRanges(v);
        if (!ranges)
            return refused(QStringLiteral("indexes and ranges from 0 to 255, such as 140-151,161"));
        o.exclude += *ranges;
    } else if (n == QLatin1String("layout")) {
        if (v == QLatin1String("173"))
            o.layout = FileLayout::Layout173;
        else if (v == QLatin1String("114"))
            o.layout = FileLayout::Layout114;
        else if (v == QLatin1String("door"))
            o.layout = FileLayout::Door;
        else
            return refused(QStringLiteral("173, 114 or door"));
    } else if (n == QLatin1String("count")) {
        const auto count = number(v, 1, 1000000000);
        if (!count)
            return refused(QStringLiteral("a number of lines from 1 on"));
        o.count = *count;
    } else if (n == QLatin1String("duration")) {
        const auto duration = durationOf(v);
        if (!duration)
            return refused(QStringLiteral("a time from 1s to 7 days such as 90s, 10m, 1h or 1h30m"));
        o.durationMs = *duration;
    } else if (n == QLatin1String("controller") || n == QLatin1String("server")) {
        if (v.trimmed().isEmpty())
            return refused(n == QLatin1String("server") ? QStringLiteral("a libpq connection string")
                                                        : QStringLiteral("an elevator ID or a controller's name"));
        (n == QLatin1String("server") ? o.server : o.controller) = v.trimmed();
    } else {
        bool* const flags[] = {&o.door,    &o.json,  &o.bom, &o.fast, &o.verify,    &o.force,
                               &o.partial, &o.yes,   &o.quiet, &o.vcd, &o.noSnapshot};
        const char* const names[] = {"door", "json", "bom", "fast", "verify", "force", "partial", "yes", "quiet", "vcd",
                                     "no-snapshot"};
        for (size_t k = 0; k < std::size(names); ++k) {
            if (n == QLatin1String(names[k]))
                *flags[k] = true;
        }
    }
    return {};
}

// "  -o, --output FILE  write ..." (two blanks at least before the text).
QString optionLine(const OptionEntry& entry)
{
    QString left = entry.shortName.isNull() ? QStringLiteral("    ") : QStringLiteral("-%1, ").arg(entry.shortName);
    left += QStringLiteral("--") + entry.name;
    if (!entry.valueName.isEmpty())
        left += QLatin1Char(' ') + entry.valueName;
    return QStringLiteral("  %1  %2\n").arg(left, -18).arg(entry.help);
}

ParsedCommandLine usageError(const QString& text)
{
    ParsedCommandLine parsed;
    parsed.kind = ParsedCommandLine::Kind::UsageError;
    parsed.error = text;
    return parsed;
}

ParsedCommandLine help(const QString& text)
{
    ParsedCommandLine parsed;
    parsed.kind = ParsedCommandLine::Kind::Help;
    parsed.help = text;
    return parsed;
}

QStringList optionsOf(const CommandEntry& command)
{
    QStringList options = command.options;
    if (command.usesLink)
        options += kLinkOptions;
    options << QStringLiteral("quiet");
    return options;
}

// "vardo-cli help", "vardo-cli help params", "vardo-cli help params read".
ParsedCommandLine helpFor(const QStringList& words)
{
    if (words.isEmpty())
        return help(helpText());
    if (const CommandEntry* command = matchCommand(words); command && command->words.size() == words.size())
        return help(commandHelp(*command));
    QString text;
    for (const CommandEntry& command : allCommands()) {
        if (command.words.front() == words.front())
            text += QStringLiteral("  vardo-cli %1\n      %2\n")
                        .arg(QStringList{command.name(), command.argumentNames}.join(QLatin1Char(' ')).trimmed(),
                             command.summary);
    }
    if (text.isEmpty())
        return usageError(QStringLiteral("help: no command '%1'").arg(words.join(QLatin1Char(' '))));
    return help(QStringLiteral("Commands of %1 (vardo-cli help %1 COMMAND for one):\n").arg(words.front()) + text);
}

} // namespace

bool CliOptions::excluded(int index) const
{
    return std::any_of(exclude.cbegin(), exclude.cend(),
                       [index](const std::pair<int, int>& r) { return index >= r.first && index <= r.second; });
}

ParsedCommandLine parseCommandLine(const QStringList& arguments)
{
    const Scan s = scan(arguments);
    if (!s.positionals.isEmpty() && s.positionals.front() == QLatin1String("help"))
        return helpFor(s.positionals.mid(1));
    const CommandEntry* command = matchCommand(s.positionals);
    if (s.help)
        return command ? help(commandHelp(*command)) : helpFor(s.positionals.mid(0, 1));
    if (s.version) {
        ParsedCommandLine parsed;
        parsed.kind = ParsedCommandLine::Kind::Version;
        return parsed;
    }
    if (!s.error.isEmpty())
        return usageError(s.error);
    if (s.positionals.isEmpty())
        return usageError(QStringLiteral("no command given"));
    if (!command) {
        QString words = s.positionals[0];
        const bool group = std::any_of(allCommands().cbegin(), allCommands().cend(), [&words](const CommandEntry& c) {
            return c.words.size() > 1 && c.words.front() == words;
        });
        if (group && s.positionals.size() > 1)
            words += QLatin1Char(' ') + s.positionals[1];
        return usageError(QStringLiteral("unknown command '%1'").arg(words));
    }

    ParsedCommandLine parsed;
    CliOptions& o = parsed.options;
    o.command = command;
    o.arguments = s.positionals.mid(command->words.size());
    const QString name = command->name();
    if (o.arguments.size() < command->minArguments)
        return usageError(QStringLiteral("%1: missing argument (%1 %2)").arg(name, command->argumentNames));
    if (command->maxArguments >= 0 && o.arguments.size() > command->maxArguments)
        return usageError(QStringLiteral("%1: unexpected argument '%2'").arg(name, o.arguments[command->maxArguments]));
    const QStringList allowed = optionsOf(*command);
    for (const Option& option : s.options) {
        if (!allowed.contains(option.name))
            return usageError(QStringLiteral("option --%1 does not apply to %2").arg(option.name, name));
        const QString refusal = take(o, option);
        if (!refusal.isEmpty())
            return usageError(refusal);
    }
    const auto given = [&s](const char* option) {
        return std::any_of(s.options.cbegin(), s.options.cend(),
                           [option](const Option& o) { return o.name == QLatin1String(option); });
    };
    if (given("gap") && !o.fast)
        return usageError(QStringLiteral("%1: --gap goes with --fast").arg(name));
    if (given("bom") && o.csvPath.isEmpty())
        return usageError(QStringLiteral("%1: --bom goes with --csv").arg(name));
    if (o.json && !o.csvPath.isEmpty())
        return usageError(QStringLiteral("%1: --json and --csv each give the whole result: choose one").arg(name));
    if (command->takeArguments) {
        const QString refusal = command->takeArguments(o);
        if (!refusal.isEmpty())
            return usageError(QStringLiteral("%1: %2").arg(name, refusal));
    }
    return parsed;
}

QString commandHelp(const CommandEntry& command)
{
    QString text = QStringLiteral("Usage: vardo-cli %1%2 [options]\n%3\n")
                       .arg(command.name(),
                            command.argumentNames.isEmpty() ? QString() : QLatin1Char(' ') + command.argumentNames,
                            command.summary);
    if (!command.details.isEmpty())
        text += QLatin1Char('\n') + command.details + QLatin1Char('\n');
    text += QStringLiteral("\nOptions:\n");
    const QStringList options = optionsOf(command);
    for (const OptionEntry& entry : optionEntries()) {
        if (options.contains(entry.name))
            text += optionLine(entry);
    }
    return text;
}

QString helpText()
{
    QString text = QStringLiteral(
        "Usage: vardo-cli [options] COMMAND [ARGS]\n"
        "The services of the VARDO tool from the command line: backs up, compares and\n"
        "restores an elevator controller's parameters, reads and clears its fault\n"
        "records, reads and sets its identity and clock, reads its shaft data, starts\n"
        "the shaft learning run, watches its status and records the line. Every read\n"
        "and write of a parameter set is kept in the service record (history).\n"
        "\n"
        "Commands:\n");
    for (const CommandEntry& command : allCommands()) {
        const QString left = command.argumentNames.isEmpty() ? command.name()
                                                             : command.name() + QLatin1Char(' ') + command.argumentNames;
        text += left.size() < 24 ? QStringLiteral("  %1 %2\n").arg(left, -24).arg(command.summary)
                                 : QStringLiteral("  %1\n  %2 %3\n").arg(left, QString(24, QLatin1Char(' ')), command.summary);
    }
    text += QStringLiteral("\nvardo-cli help COMMAND, or vardo-cli COMMAND --help, tells more of one command.\n"
                           "\nOptions:\n");
    for (const OptionEntry& entry : optionEntries())
        text += optionLine(entry);
    text += QStringLiteral(
        "\nThe link options default to the stored link settings (the window's serial\n"
        "settings); without them, COM1 at 9600 baud (38400 for the door operator), N81,\n"
        "special code E.\n"
        "\n"
        "Results go to the standard output, progress and status lines to the standard\n"
        "error. Times in JSON and CSV are ISO 8601.\n"
        "\n"
        "Exit status:\n"
        "  0    success (params diff, history diff: the two hold the same values)\n"
        "  1    failure: no reply, a wrong controller, a refused or unconfirmed record,\n"
        "       a file that is not a fitting parameter set (the diffs: different)\n"
        "  2    usage error (the diffs: trouble)\n"
        "  130  interrupted (Ctrl+C or SIGTERM)\n");
    return text;
}

} // namespace cli
