// params read, write, get, set and reset: the parameters of a controller.

#include "Commands.h"
#include "ControllerLink.h"
#include "FileNames.h"
#include "HistoryCommands.h"
#include "HistoryRef.h"
#include "HistoryStore.h"
#include "Interrupt.h"
#include "LinkWait.h"
#include "Output.h"
#include "ParamChains.h"
#include "ParamFileCheck.h"
#include "ParamFiles.h"
#include "ParamReply.h"
#include "Progress.h"
#include "Service.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>

namespace cli {

namespace {

const params::ParamController& controllerOf(const CliOptions& options)
{
    return options.door ? params::kDoorController : params::kElevatorController;
}

QStringList rowColumns()
{
    return {QStringLiteral("index"), QStringLiteral("name"), QStringLiteral("value"), QStringLiteral("description")};
}

void addRow(Rows& rows, const params::ParamRow& row)
{
    rows.add({row.index, paramNumberText(row.number), qint64(row.value), row.description});
}

// Opens the link and reads the controller's layout; nothing, with the
// failure printed, when either fails.
std::optional<ParamLayout> openAtLayout(ControllerLink& link, const params::ParamController& controller)
{
    if (!link.open())
        return std::nullopt;
    const std::optional<ParamLayout> layout = params::readLayout(controller);
    if (!layout)
        printError(link.failure(QStringLiteral("the layout probe")));
    return layout;
}

// --- params read ------------------------------------------------------------

QString takeReadOutputs(CliOptions& o)
{
    const bool outputToStdout = o.outputPath == QLatin1String("-");
    if (!o.outputPath.isEmpty() && !o.csvPath.isEmpty() && sameFile(o.outputPath, o.csvPath))
        return QStringLiteral("-o and --csv name the same file");
    if (outputToStdout && o.json)
        return QStringLiteral("-o - and --json would both go to the standard output");
    return {};
}

int runRead(const CliOptions& options)
{
    const params::ParamController& controller = controllerOf(options);
    InterruptWatch interrupt;
    CommandRecord record(options);
    ControllerLink link(options, options.door);
    if (!link.open())
        return kFailure;

    Progress progress(options, QStringLiteral("reading parameters"), 0);
    QList<params::ParamRow> read;
    params::ReadPace pace;
    pace.fast = options.fast;
    pace.gapMs = options.gapMs;
    params::ReadAllObserver observer;
    observer.layoutKnown = [&](const ParamLayout& layout) { progress.setTotal(layout.count); };
    observer.row = [&](const params::ParamRow& row) {
        read.append(row);
        progress.show(row.index + 1);
    };
    observer.keepGoing = [&interrupt] { return !interrupt.interrupted(); };
    const params::ReadAllResult result = params::readAllParameters(controller, observer, pace);
    progress.finish();

    switch (result.end) {
    case params::ReadAllEnd::Complete:
        break;
    case params::ReadAllEnd::NoProbeReply:
        printError(link.failure(QStringLiteral("the layout probe")));
        return kFailure;
    case params::ReadAllEnd::Stopped:
        printError(QStringLiteral("interrupted after %1 of %2 parameters: nothing was written")
                       .arg(read.size())
                       .arg(result.layout.count));
        return kInterrupted;
    case params::ReadAllEnd::Failed:
        printError(QStringLiteral("%1 (%2 of %3 parameters read); nothing was written")
                       .arg(link.failure(QStringLiteral("parameter index %1").arg(result.failedIndex)))
                       .arg(read.size())
                       .arg(result.layout.count));
        return kFailure;
    }
    record.identify();
    record.read(result.layout, read);

    if (!options.outputPath.isEmpty()) {
        QList<ParamRecord> records;
        for (const params::ParamRow& row : read)
            records.append({std::uint8_t(row.index), 0, std::uint16_t(row.value & 0xFFFFu)});
        if (!writeResult(options.outputPath, encodeParamRecords(records)))
            return kFailure;
    }
    if (!options.outputPath.isEmpty() && options.csvPath.isEmpty() && !options.json)
        return kSuccess;
    Rows rows(rowColumns());
    for (const params::ParamRow& row : read)
        addRow(rows, row);
    return writeRows(options, rows) ? kSuccess : kFailure;
}

// --- params write -----------------------------------------------------------

// The layouts the file may be written into, judged before the port opens:
// the layouts it fits whole (or in part, with --partial), the first of them
// the one it most likely came from. Nothing, with the reason printed, when
// it fits none.
std::optional<QList<ParamLayout>> fittingLayouts(const CliOptions& options, const QString& path,
                                                 const QList<ParamRecord>& records)
{
    QList<ParamLayout> candidates;
    if (options.door)
        candidates = {kDoorLayout};
    else if (options.layout)
        candidates = {layoutOf(*options.layout)};
    else if (const auto bySize = layoutOfRecordCount(records.size()); bySize && !options.partial)
        candidates = {*bySize};
    else
        candidates = {kLayout173, kLayout114};

    if (!options.partial) {
        QList<ParamLayout> whole;
        for (const ParamLayout& layout : candidates) {
            if (records.size() == layout.count)
                whole << layout;
        }
        if (whole.isEmpty()) {
            printError(QStringLiteral("%1 holds %2 records, a complete set of %3 has %4: nothing was written "
                                      "(--partial writes a part of a set)")
                           .arg(shownName(path))
                           .arg(records.size())
                           .arg(params::layoutName(candidates.front()))
                           .arg(candidates.front().count));
            return std::nullopt;
        }
        candidates = whole;
    }
    QList<ParamLayout> fitting;
    std::optional<params::RecordProblem> first;
    for (const ParamLayout& layout : candidates) {
        const std::optional<params::RecordProblem> problem = params::checkRecords(records, layout);
        if (!problem)
            fitting << layout;
        else if (!first)
            first = problem;
    }
    if (fitting.isEmpty()) {
        printError(QStringLiteral("%1: %2: nothing was written")
                       .arg(shownName(path), params::describeProblem(*first, candidates.front())));
        return std::nullopt;
    }
    return fitting;
}

// The file's elevator ID and telephone number against the controller's.
// True when they agree, when the file leaves them out, or with --force
// (the difference is told either way); nothing when they could not be read.
std::optional<bool> identityAgrees(const CliOptions& options, const ControllerLink& link, const ParamLayout& layout,
                                   const QList<ParamRecord>& records, const QString& path)
{
    QHash<int, unsigned> fileValues;
    for (const ParamRecord& r : records)
        fileValues.insert(r.index, r.value);
    QStringList differences;
    for (const params::IdentityField& field : params::identityFields(layout)) {
        bool written = false;
        for (int index = field.first; index <= field.last; ++index)
            written = written || fileValues.contains(index);
        if (!written)
            continue;
        QList<unsigned> fileField;
        QList<unsigned> held;
        for (int index = field.first; index <= field.last; ++index) {
            const std::optional<params::ParamRow> row =
                params::readParameterRow(params::kElevatorController, layout, index, options.fast);
            const std::optional<unsigned> value = row ? std::optional<unsigned>(row->value) : std::nullopt;
            if (!value) {
                printError(link.failure(QStringLiteral("parameter index %1").arg(index)) +
                           QStringLiteral("; nothing was written"));
                return std::nullopt;
            }
            held << *value;
            fileField << fileValues.value(index, *value);
        }
        const QString inFile = params::identityText(fileField);
        const QString onController = params::identityText(held);
        if (inFile != onController)
            differences << QStringLiteral("%1 \"%2\" where the controller has \"%3\"").arg(field.name, inFile, onController);
    }
    if (differences.isEmpty())
        return true;
    const QString told = QStringLiteral("%1 carries another elevator's identity: %2")
                             .arg(shownName(path), differences.join(QStringLiteral(", ")));
    if (options.force) {
        printError(told + QStringLiteral(" (written, as --force says)"));
        return true;
    }
    printError(told + QStringLiteral(": nothing was written (--force writes it, --exclude 140-151 leaves the "
                                     "identity out)"));
    return false;
}

QString indexList(const QList<int>& indexes)
{
    QStringList texts;
    for (const int i : indexes.mid(0, 10))
        texts << QString::number(i);
    if (indexes.size() > 10)
        texts << QStringLiteral("...");
    return texts.join(QLatin1Char(','));
}

// Reads every written parameter back; lists each that differs (index,
// written, read) on stdout. False when any differs.
bool verify(const CliOptions& options, const params::ParamController& controller, const ParamLayout& layout,
            const QList<ParamRecord>& records)
{
    Rows differences({QStringLiteral("index"), QStringLiteral("written"), QStringLiteral("read")});
    {
        Progress progress(options, QStringLiteral("verifying"), int(records.size()));
        for (qsizetype i = 0; i < records.size(); ++i) {
            const ParamRecord& r = records[i];
            // A one-byte parameter reads back as its low byte.
            const unsigned expected = layout.oneByte(r.index) ? r.value & 0xFFu : r.value;
            const std::optional<params::ParamRow> row = params::readParameterRow(controller, layout, r.index, options.fast);
            const std::optional<unsigned> read = row ? std::optional<unsigned>(row->value) : std::nullopt;
            if (!read || *read != expected)
                differences.add({r.index, qint64(expected), read ? QJsonValue(qint64(*read)) : QJsonValue(QStringLiteral("-"))});
            progress.show(int(i + 1));
        }
    }
    if (differences.size() == 0)
        return true;
    printOut(differences.table());
    printError(QStringLiteral("%1 of %2 parameters read back other than written (index, written, read above)")
                   .arg(differences.size())
                   .arg(records.size()));
    return false;
}

// What `params write` writes: a file's records, or a kept snapshot's, with
// the layouts they fit (see fittingLayouts).
struct WriteSource
{
    QList<ParamRecord> records;
    QString name;  // the file, or "snapshot 1a2b3c4d"
    QList<ParamLayout> fitting;
};

std::optional<WriteSource> checkedSource(const CliOptions& options, const QString& name, const QList<ParamRecord>& records)
{
    const std::optional<QList<ParamLayout>> fitting = fittingLayouts(options, name, records);
    if (!fitting)
        return std::nullopt;
    return WriteSource{records, name, *fitting};
}

// `params write` takes a kept snapshot where a file is not found by the
// name: the start of its id, or latest, latest~N.
bool isReference(const QString& text)
{
    static const QRegularExpression ref(QStringLiteral("^(latest(~\\d{1,6})?|[0-9a-fA-F-]{4,36})$"));
    return ref.match(text).hasMatch() && !QFileInfo::exists(text);
}

// A snapshot named by a reference: of the controller --controller names,
// or of the one connected. Another controller's is written only with
// --force.
std::optional<WriteSource> keptSource(const CliOptions& options, CommandRecord& record, const ParamLayout& layout)
{
    history::HistoryStore* store = record.store();
    if (!store)
        return std::nullopt;
    const QString here = record.who().key();
    const QString key = options.controller.isEmpty() ? here
                                                     : store->controllerNamed(options.controller).value_or(options.controller);
    const history::RefLookup found = history::lookUp(*store, options.arguments[0], key, history::setLayoutOf(layout));
    if (!found.snapshot) {
        printError(found.error.isEmpty() ? QStringLiteral("%1 is an edit, not a snapshot").arg(options.arguments[0])
                                         : found.error);
        return std::nullopt;
    }
    if (found.snapshot->controller != here && !options.force) {
        printError(QStringLiteral("snapshot %1 was kept for controller %2, this is %3: nothing was written "
                                  "(--force writes it anyway)")
                       .arg(history::shortId(found.snapshot->id), found.snapshot->controller, here));
        return std::nullopt;
    }
    return checkedSource(options, QStringLiteral("snapshot ") + history::shortId(found.snapshot->id),
                         found.snapshot->records());
}

// Every parameter, read fast, for the service record; nothing when the
// read did not complete.
std::optional<QList<history::KeptParameter>> readBefore(
    const CliOptions& options, const params::ParamController& controller,
    const QString& what = QStringLiteral("reading what the write replaces"))
{
    QList<params::ParamRow> rows;
    Progress progress(options, what, 0);
    params::ReadAllObserver observer;
    observer.layoutKnown = [&progress](const ParamLayout& layout) { progress.setTotal(layout.count); };
    observer.row = [&rows, &progress](const params::ParamRow& row) {
        rows.append(row);
        progress.show(row.index + 1);
    };
    params::ReadPace pace;
    pace.fast = true;
    const params::ReadAllResult result = params::readAllParameters(controller, observer, pace);
    progress.finish();
    if (result.end != params::ReadAllEnd::Complete)
        return std::nullopt;
    return keptOf(rows);
}

// The values before a write with the confirmed records put in.
QList<history::KeptParameter> overlaid(QList<history::KeptParameter> before, const QList<ParamRecord>& written)
{
    for (const ParamRecord& r : written) {
        const auto at = std::find_if(before.begin(), before.end(),
                                     [&r](const history::KeptParameter& p) { return p.index == r.index; });
        if (at != before.end())
            at->value = r.value;
        else
            before.append({r.index, std::nullopt, r.value});
    }
    return before;
}

int runWrite(const CliOptions& options)
{
    const params::ParamController& controller = controllerOf(options);
    const QString& path = options.arguments[0];
    // A file is checked whole before the port opens; a kept snapshot as
    // soon as the controller it is looked up for is known.
    std::optional<WriteSource> source;
    if (!isReference(path)) {
        const std::optional<QList<ParamRecord>> file = readRecordFile(path);
        if (!file)
            return kFailure;
        source = checkedSource(options, path, *file);
        if (!source)
            return kFailure;
    }

    // From here on an interruption ends the write between two records.
    InterruptWatch interrupt;
    CommandRecord record(options);
    ControllerLink link(options, options.door);
    const std::optional<ParamLayout> layout = openAtLayout(link, controller);
    if (!layout)
        return kFailure;
    record.identify();
    if (!source)
        source = keptSource(options, record, *layout);
    if (!source)
        return kFailure;
    const bool fitsController = std::any_of(source->fitting.cbegin(), source->fitting.cend(),
                                            [&layout](const ParamLayout& l) { return l.table == layout->table; });
    if (!fitsController) {
        // A door operator's file and the main controller are the usual mix-up.
        const bool doorFile = source->fitting.front().table == ParamTable::Door;
        const QString hint = doorFile && !options.door ? QStringLiteral(" (--door writes it to the door operator)")
                             : !doorFile && options.door
                                 ? QStringLiteral(" (without --door it goes to the main controller)")
                                 : QString();
        printError(QStringLiteral("%1 fits %2, the controller on %3 uses %4: nothing was written%5")
                       .arg(shownName(source->name), params::layoutName(source->fitting.front()), link.where(),
                            params::layoutName(*layout), hint));
        return kFailure;
    }

    QList<ParamRecord> records;
    for (const ParamRecord& r : source->records) {
        if (!options.excluded(r.index))
            records << r;
    }
    const std::optional<bool> identity = identityAgrees(options, link, *layout, records, source->name);
    if (!identity)
        return kFailure;
    if (!*identity)
        return kFailure;

    // What the write replaces is kept first.
    std::optional<QList<history::KeptParameter>> before;
    if (!options.noSnapshot) {
        before = readBefore(options, controller);
        if (!before) {
            printError(QStringLiteral("%1; nothing was written (--no-snapshot writes without keeping what the "
                                      "write replaces)")
                           .arg(link.failure(QStringLiteral("the read of the values the write replaces"))));
            return kFailure;
        }
        record.snapshot(*layout, history::SnapshotKind::BeforeWrite, *before);
    }

    QList<ParamRecord> confirmed;
    QList<int> refused;
    QList<int> unconfirmed;
    int sent = 0;
    {
        Progress progress(options, QStringLiteral("writing parameters"), int(records.size()));
        for (const ParamRecord& r : records) {
            if (interrupt.interrupted())
                break;
            if (options.fast && sent > 0)
                exchangeWait(options.gapMs);
            switch (params::writeRecord(controller, r, options.retries, options.fast)) {
            case params::WriteOutcome::Confirmed:
                confirmed << r;
                break;
            case params::WriteOutcome::Refused:
                refused << r.index;
                break;
            case params::WriteOutcome::Unconfirmed:
                unconfirmed << r.index;
                break;
            }
            progress.show(++sent);
        }
    }
    // The state the write left: what came before, with what was confirmed.
    if (sent > 0)
        record.snapshot(*layout, history::SnapshotKind::AfterWrite,
                        overlaid(before.value_or(QList<history::KeptParameter>()), confirmed));
    QString summary =
        QStringLiteral("%1 of %2 parameters written and confirmed").arg(confirmed.size()).arg(records.size());
    if (!refused.isEmpty())
        summary += QStringLiteral(", %1 refused (index %2)").arg(refused.size()).arg(indexList(refused));
    if (!unconfirmed.isEmpty())
        summary += QStringLiteral(", %1 unconfirmed: written or not, the confirmation was lost (index %2)")
                       .arg(unconfirmed.size())
                       .arg(indexList(unconfirmed));
    if (sent < records.size()) {
        printError(sent == 0 ? QStringLiteral("interrupted before the first record: nothing was written")
                             : QStringLiteral("interrupted after %1 of %2 records: the controller now holds a mix of "
                                              "old and new values")
                                   .arg(sent)
                                   .arg(records.size()));
        printStatus(options, summary);
        return kInterrupted;
    }
    if (!refused.isEmpty() || !unconfirmed.isEmpty()) {
        printError(summary);
        return kFailure;
    }
    if (options.verify && !verify(options, controller, *layout, records))
        return kFailure;
    printStatus(options, summary + (options.verify ? QStringLiteral(", and read back equal") : QString()));
    return kSuccess;
}

// --- params get / set / reset -------------------------------------------------

std::optional<int> indexArgument(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,3}$"));
    if (!digits.match(text).hasMatch() || text.toInt() > 255)
        return std::nullopt;
    return text.toInt();
}

QString takeIndexes(CliOptions& o)
{
    for (const QString& a : o.arguments) {
        if (!indexArgument(a))
            return QStringLiteral("'%1' is not a parameter index (0 to 255)").arg(a);
    }
    return {};
}

QString takeIndexAndValue(CliOptions& o)
{
    if (!indexArgument(o.arguments[0]))
        return QStringLiteral("'%1' is not a parameter index (0 to 255)").arg(o.arguments[0]);
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    if (!digits.match(o.arguments[1]).hasMatch() || o.arguments[1].toInt() > 0xFFFF)
        return QStringLiteral("'%1' is not a value (0 to 65535)").arg(o.arguments[1]);
    return {};
}

// An index outside the controller's layout, or nothing.
bool outsideLayout(int index, const ParamLayout& layout)
{
    if (index < layout.count)
        return false;
    printError(QStringLiteral("index %1 lies outside %2 (0 to %3)")
                   .arg(index)
                   .arg(params::layoutName(layout))
                   .arg(layout.count - 1));
    return true;
}

int runGet(const CliOptions& options)
{
    const params::ParamController& controller = controllerOf(options);
    ControllerLink link(options, options.door);
    const std::optional<ParamLayout> layout = openAtLayout(link, controller);
    if (!layout)
        return kFailure;
    Rows rows(rowColumns());
    for (const QString& a : options.arguments) {
        const int index = *indexArgument(a);
        if (outsideLayout(index, *layout))
            return kFailure;
        const std::optional<params::ParamRow> row = params::readParameterRow(controller, *layout, index);
        if (!row) {
            printError(link.failure(QStringLiteral("parameter index %1").arg(index)));
            return kFailure;
        }
        addRow(rows, *row);
    }
    return writeRows(options, rows) ? kSuccess : kFailure;
}

int runSet(const CliOptions& options)
{
    const params::ParamController& controller = controllerOf(options);
    const int index = *indexArgument(options.arguments[0]);
    const unsigned value = options.arguments[1].toUInt();
    CommandRecord record(options);
    ControllerLink link(options, options.door);
    const std::optional<ParamLayout> layout = openAtLayout(link, controller);
    if (!layout || outsideLayout(index, *layout))
        return kFailure;
    record.identify();
    if (!options.door && editorFor(kElevatorEditors, index) == ParamEditor::TelephoneElsewhere) {
        printError(QStringLiteral("index %1 holds part of the telephone number: set it with phone set").arg(index));
        return kFailure;
    }
    const params::ValueRange range = params::parameterRange(*layout, index);
    if (!range.contains(value)) {
        printError(QStringLiteral("index %1: the value %2 lies outside %3 to %4: nothing was written")
                       .arg(index)
                       .arg(value)
                       .arg(range.least)
                       .arg(range.most));
        return kFailure;
    }
    // The value it replaces, for the service record's edit.
    const std::optional<params::ParamRow> old = params::readParameterRow(controller, *layout, index);
    const params::WriteOutcome outcome =
        params::writeRecord(controller, {std::uint8_t(index), 0, std::uint16_t(value)}, options.retries, false);
    if (old)
        record.edit(*layout, index, old->value, value, outcome == params::WriteOutcome::Confirmed);
    if (outcome == params::WriteOutcome::Refused) {
        printError(QStringLiteral("the controller refused %1 for parameter index %2").arg(value).arg(index));
        return kFailure;
    }
    const std::optional<params::ParamRow> row = params::readParameterRow(controller, *layout, index);
    if (!row) {
        printError(link.failure(QStringLiteral("the read-back of parameter index %1").arg(index)));
        return kFailure;
    }
    if (row->value != (layout->oneByte(index) ? value & 0xFFu : value)) {
        printError(QStringLiteral("parameter index %1 (%2) reads %3 after writing %4%5")
                       .arg(index)
                       .arg(paramNumberText(row->number))
                       .arg(row->value)
                       .arg(value)
                       .arg(outcome == params::WriteOutcome::Unconfirmed ? QStringLiteral(": unconfirmed")
                                                                          : QString()));
        return kFailure;
    }
    printStatus(options, QStringLiteral("parameter index %1 (%2) set to %3").arg(index).arg(paramNumberText(row->number)).arg(row->value));
    return kSuccess;
}

// The values a reset replaces are kept first (not with --no-snapshot), the
// factory values it left after it, as the window's reset keeps them.
bool resetKept(const CliOptions& options, const ControllerLink& link)
{
    if (options.noSnapshot)
        return confirmedBy(params::resetParameters(), link, QStringLiteral("the reset"));
    const params::ParamController& controller = controllerOf(options);
    CommandRecord record(options);
    const std::optional<ParamLayout> layout = params::readLayout(controller);
    if (!layout) {
        printError(link.failure(QStringLiteral("the layout probe")));
        return false;
    }
    record.identify();
    const std::optional<QList<history::KeptParameter>> before = readBefore(options, controller, QStringLiteral("reading what the reset replaces"));
    if (!before) {
        printError(QStringLiteral("%1; nothing was reset (--no-snapshot resets without keeping what the reset "
                                  "replaces)")
                       .arg(link.failure(QStringLiteral("the read of the values the reset replaces"))));
        return false;
    }
    record.snapshot(*layout, history::SnapshotKind::BeforeWrite, *before);
    if (!confirmedBy(params::resetParameters(), link, QStringLiteral("the reset")))
        return false;
    if (const std::optional<QList<history::KeptParameter>> after =
            readBefore(options, controller, QStringLiteral("reading the factory values")))
        record.snapshot(*layout, history::SnapshotKind::AfterReset, *after);
    else
        printError(QStringLiteral("the factory values were not kept in the service record: %1")
                       .arg(link.failure(QStringLiteral("their read"))));
    return true;
}

int runReset(const CliOptions& options)
{
    return runService(options,
                      {options.door ? QStringLiteral("Reset every door-operator parameter to its factory value?")
                                    : QStringLiteral("Reset every parameter of the main controller to its factory value?"),
                       options.door,
                       [&options](const ControllerLink& link) { return resetKept(options, link); },
                       QStringLiteral("every parameter reset to its factory value")});
}

} // namespace

QList<CommandEntry> paramCommands()
{
    const QStringList controller{QStringLiteral("door")};
    const QStringList rowsOut{QStringLiteral("json"), QStringLiteral("csv"), QStringLiteral("bom")};
    return {
        {{QStringLiteral("params"), QStringLiteral("read")}, QString(), 0, 0,
         controller + rowsOut + QStringList{QStringLiteral("output"), QStringLiteral("fast"), QStringLiteral("gap")},
         true, QStringLiteral("read every parameter: to a parameter set file (-o), CSV, JSON or a table"),
         QStringLiteral("Writes nothing unless every parameter was read; a complete read is kept in the\n"
                        "service record (vardo-cli history). The columns are index, name (the\n"
                        "controller's F number), value and description. -o and --csv may both be given,\n"
                        "to different files."),
         runRead, takeReadOutputs},
        {{QStringLiteral("params"), QStringLiteral("write")}, QStringLiteral("FILE|REF"), 1, 1,
         controller + QStringList{QStringLiteral("verify"), QStringLiteral("partial"), QStringLiteral("exclude"),
                                  QStringLiteral("force"), QStringLiteral("retries"), QStringLiteral("fast"),
                                  QStringLiteral("gap"), QStringLiteral("no-snapshot"), QStringLiteral("controller")},
         true, QStringLiteral("write a parameter set file (or a kept snapshot) into the controller"),
         QStringLiteral("The file is checked whole before the port opens: every index inside the layout,\n"
                        "ascending, none twice, every value inside its parameter's range, and a complete\n"
                        "set unless --partial. The controller's layout must be the file's. When the file's\n"
                        "elevator ID or telephone number differ from the controller's, nothing is written\n"
                        "without --force. Each record ends confirmed, refused or unconfirmed; the summary\n"
                        "counts them, and only all confirmed is success. What the write replaces is read\n"
                        "and kept in the service record first (not with --no-snapshot), and what it left\n"
                        "after it. REF, instead of a file, writes a kept snapshot: the start of its id, or\n"
                        "latest, latest~N of this controller or of the one --controller names (another\n"
                        "controller's only with --force)."),
         runWrite},
        {{QStringLiteral("params"), QStringLiteral("get")}, QStringLiteral("N..."), 1, -1, controller + rowsOut, true,
         QStringLiteral("read the parameters of these indexes"), QString(), runGet, takeIndexes},
        {{QStringLiteral("params"), QStringLiteral("set")}, QStringLiteral("N VALUE"), 2, 2,
         controller + QStringList{QStringLiteral("retries")}, true,
         QStringLiteral("write one parameter and read it back"),
         QStringLiteral("The value must lie within the range the window's editing dialog takes for the\n"
                        "parameter. The change is kept in the service record as an edit."),
         runSet, takeIndexAndValue},
        {{QStringLiteral("params"), QStringLiteral("reset")}, QString(), 0, 0,
         controller + QStringList{QStringLiteral("yes"), QStringLiteral("no-snapshot")}, true,
         QStringLiteral("reset every parameter to its factory value (asks first)"),
         QStringLiteral("The values the reset replaces are read and kept in the service record first (not\n"
                        "with --no-snapshot), and the factory values after it."),
         runReset},
    };
}

} // namespace cli
