#include "CliOptions.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace cli {

namespace {

// Options every command takes: where the controller is and how its line runs.
const QStringList kLinkOptions{QStringLiteral("port"), QStringLiteral("baud"), QStringLiteral("line"),
                               QStringLiteral("special")};

struct CommandShape
{
    Command command;
    QStringList words;
    int minArguments;
    int maxArguments;
    QStringList options;  // beyond the link options
};

const std::array<CommandShape, 19> kCommands{{
    {Command::Info, {QStringLiteral("info")}, 0, 0, {QStringLiteral("json")}},
    {Command::ClockSetNow, {QStringLiteral("clock"), QStringLiteral("set-now")}, 0, 0, {}},
    // The time as one argument, or its date and time as two.
    {Command::ClockSet, {QStringLiteral("clock"), QStringLiteral("set")}, 1, 2, {}},
    {Command::Faults, {QStringLiteral("faults")}, 0, 0, {QStringLiteral("csv")}},
    {Command::ParamsRead,
     {QStringLiteral("params"), QStringLiteral("read")},
     0,
     0,
     {QStringLiteral("door"), QStringLiteral("output"), QStringLiteral("csv"), QStringLiteral("fast"),
      QStringLiteral("gap")}},
    {Command::ParamsWrite,
     {QStringLiteral("params"), QStringLiteral("write")},
     1,
     1,
     {QStringLiteral("door"), QStringLiteral("verify"), QStringLiteral("force"), QStringLiteral("no-snapshot"),
      QStringLiteral("controller")}},
    {Command::ParamsShow,
     {QStringLiteral("params"), QStringLiteral("show")},
     1,
     1,
     {QStringLiteral("layout"), QStringLiteral("csv")}},
    {Command::ParamsDiff,
     {QStringLiteral("params"), QStringLiteral("diff")},
     2,
     2,
     {QStringLiteral("layout"), QStringLiteral("csv")}},
    {Command::Watch, {QStringLiteral("watch")}, 0, 0, {QStringLiteral("count")}},
    // Before record: the longer words are tried first.
    {Command::RecordExport,
     {QStringLiteral("record"), QStringLiteral("export")},
     1,
     1,
     {QStringLiteral("vcd"), QStringLiteral("csv"), QStringLiteral("bom"), QStringLiteral("output")}},
    {Command::Record, {QStringLiteral("record")}, 0, 0, {QStringLiteral("duration"), QStringLiteral("output")}},
    {Command::HistoryList,
     {QStringLiteral("history"), QStringLiteral("list")},
     0,
     0,
     {QStringLiteral("controller"), QStringLiteral("json")}},
    {Command::HistoryShow,
     {QStringLiteral("history"), QStringLiteral("show")},
     1,
     1,
     {QStringLiteral("controller"), QStringLiteral("csv"), QStringLiteral("json")}},
    {Command::HistoryDiff,
     {QStringLiteral("history"), QStringLiteral("diff")},
     2,
     2,
     {QStringLiteral("controller"), QStringLiteral("csv")}},
    {Command::HistoryExport,
     {QStringLiteral("history"), QStringLiteral("export")},
     1,
     1,
     {QStringLiteral("controller"), QStringLiteral("output")}},
    {Command::HistoryNote, {QStringLiteral("history"), QStringLiteral("note")}, 2, 2, {QStringLiteral("controller")}},
    {Command::HistoryName, {QStringLiteral("history"), QStringLiteral("name")}, 2, 2, {}},
    {Command::HistorySync, {QStringLiteral("history"), QStringLiteral("sync")}, 0, 0, {QStringLiteral("server")}},
    {Command::HistoryImport,
     {QStringLiteral("history"), QStringLiteral("import")},
     1,
     1000,
     {QStringLiteral("controller"), QStringLiteral("layout")}},
}};

// Options that always take a value; --csv takes one in `params read` only.
const QStringList kValued{QStringLiteral("port"),   QStringLiteral("baud"), QStringLiteral("line"),
                          QStringLiteral("special"), QStringLiteral("output"), QStringLiteral("gap"),
                          QStringLiteral("layout"), QStringLiteral("count"), QStringLiteral("duration"),
                          QStringLiteral("controller"), QStringLiteral("server")};
const QStringList kFlags{QStringLiteral("door"),  QStringLiteral("json"),  QStringLiteral("csv"),
                         QStringLiteral("fast"),  QStringLiteral("verify"), QStringLiteral("force"),
                         QStringLiteral("help"),  QStringLiteral("version"), QStringLiteral("vcd"),
                         QStringLiteral("bom"),   QStringLiteral("no-snapshot")};

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

QString shortName(QChar c)
{
    switch (c.unicode()) {
    case 'o':
        return QStringLiteral("output");
    case 'h':
        return QStringLiteral("help");
    case 'v':
        return QStringLiteral("version");
    default:
        return {};
    }
}

// Splits the arguments into options and positional words.
Scan scan(const QStringList& arguments, bool csvTakesValue)
{
    Scan s;
    const auto takesValue = [csvTakesValue](const QString& name) {
        return kValued.contains(name) || (csvTakesValue && name == QLatin1String("csv"));
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
        QString name;
        std::optional<QString> value;
        QString shown = a;
        if (a.startsWith(QLatin1String("--"))) {
            const qsizetype eq = a.indexOf(QLatin1Char('='));
            name = a.mid(2, eq < 0 ? -1 : eq - 2);
            if (eq >= 0)
                value = a.mid(eq + 1);
            shown = QStringLiteral("--") + name;
        } else {
            name = shortName(a[1]);
            shown = a.left(2);
            if (a.size() > 2)
                value = a.mid(2);
        }
        if (!takesValue(name) && !kFlags.contains(name)) {
            if (s.error.isEmpty())
                s.error = QStringLiteral("unknown option %1").arg(shown);
            continue;
        }
        if (name == QLatin1String("help")) {
            s.help = true;
            continue;
        }
        if (name == QLatin1String("version")) {
            s.version = true;
            continue;
        }
        if (takesValue(name) && !value) {
            if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                if (s.error.isEmpty())
                    s.error = QStringLiteral("option %1 needs a value").arg(shown);
                continue;
            }
        }
        if (!takesValue(name) && value) {
            if (s.error.isEmpty())
                s.error = QStringLiteral("option %1 takes no value").arg(shown);
            continue;
        }
        s.options.append({name, value.value_or(QString())});
    }
    return s;
}

// The command the positional words name; nothing when they name none.
const CommandShape* matchCommand(const QStringList& positionals)
{
    for (const CommandShape& shape : kCommands) {
        if (positionals.size() >= shape.words.size() && positionals.mid(0, shape.words.size()) == shape.words)
            return &shape;
    }
    return nullptr;
}

QString commandName(const CommandShape& shape)
{
    return shape.words.join(QLatin1Char(' '));
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

// "YY-MM-DD hh:mm:ss", each field a decimal number within the range the
// date and time dialog takes: 0-99, 0-12, 0-31, 0-23, 0-59, 0-59.
std::optional<identity::ClockFields> clockOf(const QString& text)
{
    static const QRegularExpression shape(
        QStringLiteral("^(\\d{1,2})-(\\d{1,2})-(\\d{1,2}) (\\d{1,2}):(\\d{1,2}):(\\d{1,2})$"));
    const QRegularExpressionMatch m = shape.match(text.simplified());
    if (!m.hasMatch())
        return std::nullopt;
    constexpr std::array<int, 6> kMost{99, 12, 31, 23, 59, 59};
    identity::ClockFields fields{};
    for (int i = 0; i < 6; ++i) {
        fields[size_t(i)] = m.captured(i + 1).toInt();
        if (fields[size_t(i)] > kMost[size_t(i)])
            return std::nullopt;
    }
    return fields;
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
    } else if (n == QLatin1String("output")) {
        if (v.isEmpty())
            return refused(QStringLiteral("a file name"));
        o.outputPath = v;
    } else if (n == QLatin1String("csv")) {
        if (!v.isNull() && v.isEmpty())
            return refused(QStringLiteral("a file name, or - for the standard output"));
        if (v.isNull())
            o.csv = true;
        else
            o.csvPath = v;
    } else if (n == QLatin1String("gap")) {
        const auto gap = number(v, 0, 10000);
        if (!gap)
            return refused(QStringLiteral("milliseconds from 0 to 10000"));
        o.gapMs = *gap;
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
    } else if (n == QLatin1String("vcd")) {
        o.vcd = true;
    } else if (n == QLatin1String("bom")) {
        o.bom = true;
    } else if (n == QLatin1String("controller") || n == QLatin1String("server")) {
        if (v.trimmed().isEmpty())
            return refused(n == QLatin1String("server") ? QStringLiteral("a libpq connection string")
                                                        : QStringLiteral("an elevator ID or a controller's name"));
        (n == QLatin1String("server") ? o.server : o.controller) = v.trimmed();
    } else if (n == QLatin1String("no-snapshot")) {
        o.noSnapshot = true;
    } else if (n == QLatin1String("door")) {
        o.door = true;
    } else if (n == QLatin1String("json")) {
        o.json = true;
    } else if (n == QLatin1String("fast")) {
        o.fast = true;
    } else if (n == QLatin1String("verify")) {
        o.verify = true;
    } else if (n == QLatin1String("force")) {
        o.force = true;
    }
    return {};
}

ParsedCommandLine usageError(const QString& text)
{
    ParsedCommandLine parsed;
    parsed.kind = ParsedCommandLine::Kind::UsageError;
    parsed.error = text;
    return parsed;
}

} // namespace

ParsedCommandLine parseCommandLine(const QStringList& arguments)
{
    // --csv is a switch but for `params read`, where it names a file: the
    // command is found with --csv taken as a switch, and found again with
    // it taking a value when that is what names `params read`.
    Scan s = scan(arguments, false);
    const CommandShape* shape = matchCommand(s.positionals);
    if (!shape || shape->command == Command::ParamsRead) {
        Scan withValue = scan(arguments, true);
        const CommandShape* read = matchCommand(withValue.positionals);
        if (read && read->command == Command::ParamsRead) {
            s = withValue;
            shape = read;
        }
    }

    ParsedCommandLine parsed;
    if (s.help) {
        parsed.kind = ParsedCommandLine::Kind::Help;
        return parsed;
    }
    if (s.version) {
        parsed.kind = ParsedCommandLine::Kind::Version;
        return parsed;
    }
    if (!s.error.isEmpty())
        return usageError(s.error);
    if (s.positionals.isEmpty())
        return usageError(QStringLiteral("no command given"));
    if (!shape) {
        const QString& first = s.positionals[0];
        if ((first == QLatin1String("params") || first == QLatin1String("clock") || first == QLatin1String("history")) &&
            s.positionals.size() > 1)
            return usageError(QStringLiteral("unknown command '%1 %2'").arg(first, s.positionals[1]));
        return usageError(QStringLiteral("unknown command '%1'").arg(first));
    }

    CliOptions& o = parsed.options;
    o.command = shape->command;
    o.arguments = s.positionals.mid(shape->words.size());
    const QString name = commandName(*shape);
    if (o.arguments.size() < shape->minArguments)
        return usageError(QStringLiteral("%1: missing argument").arg(name));
    if (o.arguments.size() > shape->maxArguments)
        return usageError(QStringLiteral("%1: unexpected argument '%2'").arg(name, o.arguments[shape->maxArguments]));
    for (const Option& option : s.options) {
        if (!kLinkOptions.contains(option.name) && !shape->options.contains(option.name))
            return usageError(QStringLiteral("option --%1 does not apply to %2").arg(option.name, name));
        const QString refusal = take(o, option);
        if (!refusal.isEmpty())
            return usageError(refusal);
    }
    const bool gapGiven = std::any_of(s.options.cbegin(), s.options.cend(),
                                      [](const Option& option) { return option.name == QLatin1String("gap"); });
    if (gapGiven && !o.fast)
        return usageError(QStringLiteral("params read: --gap goes with --fast"));
    if (o.command == Command::Record && o.outputPath.isEmpty())
        return usageError(QStringLiteral("record: -o FILE is required (- for the standard output)"));
    if (o.command == Command::RecordExport && o.vcd == o.csv)
        return usageError(QStringLiteral("record export: give --vcd or --csv"));
    if (o.command == Command::RecordExport && o.bom && !o.csv)
        return usageError(QStringLiteral("record export: --bom goes with --csv"));
    if (o.command == Command::ClockSet) {
        const QString text = o.arguments.join(QLatin1Char(' '));
        const auto clock = clockOf(text);
        if (!clock) {
            return usageError(QStringLiteral("clock set: '%1' is not a time \"YY-MM-DD hh:mm:ss\" (year 0-99, "
                                             "month 0-12, day 0-31, hour 0-23, minute and second 0-59)")
                                  .arg(text));
        }
        o.clock = *clock;
    }
    return parsed;
}

QString helpText()
{
    return QStringLiteral(
        "Usage: vardo-cli [options] COMMAND [ARGS]\n"
        "The services of the VARDO tool from the command line: backs up, compares and\n"
        "restores an elevator controller's parameters, reads its fault records and\n"
        "identity, sets its clock and watches its status.\n"
        "\n"
        "Commands:\n"
        "  info [--json]                    program name, elevator ID, telephone, runs, clock\n"
        "  clock set-now                    set the controller's clock to this PC's time\n"
        "  clock set \"YY-MM-DD hh:mm:ss\"    set the controller's clock\n"
        "  faults [--csv]                   the fault records with their descriptions\n"
        "  params read [--door] [-o FILE] [--csv FILE|-] [--fast [--gap MS]]\n"
        "                                   read every parameter: to a parameter set file\n"
        "                                   (-o), to CSV, or as a table\n"
        "  params write [--door] FILE|REF [--verify] [--force] [--no-snapshot]\n"
        "                                   write a parameter set file (or a snapshot of\n"
        "                                   the service record) into the controller\n"
        "  params show FILE [--layout 173|114|door] [--csv]\n"
        "                                   list a parameter set file\n"
        "  params diff A B [--layout 173|114|door] [--csv]\n"
        "                                   the parameters two files hold differently\n"
        "                                   (exit 0 the same, 1 different, 2 trouble)\n"
        "  watch [--count N]                one line per status reply until interrupted\n"
        "  record -o FILE [--duration T]    poll status and I/O in turn and record the\n"
        "                                   frames (until interrupted without --duration)\n"
        "  record export FILE --vcd|--csv [--bom] [-o OUT]\n"
        "                                   a recording as a value change dump for\n"
        "                                   GTKWave or PulseView, or as CSV; beside FILE\n"
        "                                   (.vcd, .csv) unless -o names OUT\n"
        "\n"
        "The service record (every read and write of a parameter set is kept):\n"
        "  history list [--controller C] [--json]\n"
        "                                   the controllers known, or one's records\n"
        "  history show REF [--csv|--json]  a snapshot's parameters\n"
        "  history diff REF REF [--csv]     the parameters two snapshots hold differently\n"
        "                                   (exit 0 the same, 1 different, 2 trouble)\n"
        "  history export REF -o FILE       a snapshot as a parameter set file\n"
        "  history note REF TEXT            add a note to a snapshot or an edit\n"
        "  history name C NAME              give a controller a name\n"
        "  history sync [--server S]        share the record with the team's server\n"
        "  history import FILE... --controller C [--layout 173|114|door]\n"
        "                                   bring old parameter set files into the record\n"
        "  REF: the start of a record's id, or latest, latest~N (N before the latest)\n"
        "  of the controller --controller names\n"
        "\n"
        "Link options (defaults from the stored link settings):\n"
        "  --port P        COM1 to COM9 (as the window resolves them) or a device path\n"
        "  --baud N        line rate (default: the elevator rate, or the door rate with --door)\n"
        "  --line PDS      parity N/O/E, data bits 7/8, stop bits 1/2, such as N81\n"
        "  --special C     the special code every request carries, such as E\n"
        "\n"
        "Command options:\n"
        "  --door          the door-operator controller instead of the main controller\n"
        "  -o, --output F  params read: write a parameter set file; record: the recording;\n"
        "                  record export: the exported file (- the standard output)\n"
        "  --csv [F|-]     comma-separated values (params read: to file F, - standard output)\n"
        "  --fast          params read: take each reply as soon as it is complete\n"
        "  --gap MS        params read --fast: pause between two exchanges (default 10)\n"
        "  --verify        params write: read every written parameter back and compare\n"
        "  --force         params write: write a file made for another layout\n"
        "  --layout L      params show/diff: the layout of a file whose size does not tell it\n"
        "  --count N       watch: end after N lines\n"
        "  --duration T    record: for T (90s, 10m, 1h, 1h30m)\n"
        "  --vcd           record export: a value change dump\n"
        "  --bom           record export --csv: a UTF-8 byte order mark first\n"

        "  --controller C  history: a controller by elevator ID, key or given name\n"
        "  --server S      history sync: libpq's connection string (default: historyserver\n"
        "                  in settings.ini); passwords only from ~/.pgpass or PGPASSWORD\n"
        "  --no-snapshot   params write: do not read and keep what the write replaces\n"
        "  --json          info, history list/show: JSON\n"
        "  -h, --help      this text\n"
        "  -v, --version   the version\n"
        "\n"
        "Exit status: 0 success, 1 failure (no reply, a refused record, a bad file),\n"
        "2 usage error.\n");
}

} // namespace cli
