#include "ParamCommands.h"

#include "ControllerLink.h"
#include "HistoryCommands.h"
#include "HistoryRef.h"
#include "HistoryStore.h"
#include "Output.h"
#include "ParamChains.h"
#include "ParamFiles.h"
#include "ParamReply.h"
#include "Progress.h"

#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QRegularExpression>

namespace cli {

namespace {

const params::ParamController& controllerOf(const CliOptions& options)
{
    return options.door ? params::kDoorController : params::kElevatorController;
}

// The rows as the window's save writes them: one record per row, in row order.
QList<ParamRecord> recordsOf(const QList<params::ParamRow>& rows)
{
    QList<ParamRecord> records;
    records.reserve(rows.size());
    for (const params::ParamRow& row : rows)
        records.append({std::uint8_t(row.index), 0, std::uint16_t(row.value & 0xFFFFu)});
    return records;
}

bool writeOutputs(const CliOptions& options, const ParamLayout& layout, const QList<params::ParamRow>& rows)
{
    if (!options.outputPath.isEmpty()) {
        const QList<ParamRecord> records = recordsOf(rows);
        const bool written = options.outputPath == QLatin1String("-")
                                 ? writeResult(options.outputPath, encodeParamRecords(records))
                                 : writeParamFile(options.outputPath, records) == ParamFileProblem::None;
        if (!written) {
            printError(fileProblemLine(options.outputPath, ParamFileProblem::CannotWrite));
            return false;
        }
    }
    const bool csv = !options.csvPath.isEmpty();
    if (!csv && !options.outputPath.isEmpty())
        return true;
    RowWriter out(csv ? RowWriter::Format::Csv : RowWriter::Format::Table,
                  {QStringLiteral("index"), QStringLiteral("name"), QStringLiteral("value"),
                   QStringLiteral("description")});
    for (const params::ParamRow& row : rows) {
        const QString description = parameterDescription(layout.table, row.index).value_or(QString());
        if (csv)
            out.add({QString::number(row.index), paramNumberText(row.number), QString::number(row.value), description});
        else
            out.add({paramNumberText(row.number), QString::number(row.value), description});
    }
    if (!writeResult(csv ? options.csvPath : QStringLiteral("-"), out.bytes())) {
        printError(csv ? fileProblemLine(options.csvPath, ParamFileProblem::CannotWrite)
                       : QStringLiteral("cannot write to the standard output"));
        return false;
    }
    return true;
}

// Reads every written parameter back; lists each that differs (index,
// written, read) on stdout. False when any differs.
bool verify(const params::ParamController& controller, const ParamLayout& layout, const QList<ParamRecord>& records)
{
    // Of an index written twice, the later value is the one to find.
    QList<int> order;
    QHash<int, unsigned> expected;
    for (const ParamRecord& r : records) {
        if (!expected.contains(r.index))
            order << r.index;
        // A one-byte parameter reads back as its low byte.
        expected[r.index] = layout.oneByte(r.index) ? r.value & 0xFFu : r.value;
    }
    RowWriter differences(RowWriter::Format::Table, QStringList());
    int differing = 0;
    {
        Progress progress(QStringLiteral("verifying"), int(order.size()));
        for (qsizetype i = 0; i < order.size(); ++i) {
            const int index = order[i];
            const std::optional<unsigned> read = params::readParameterBack(controller, layout, index);
            if (!read || *read != expected[index]) {
                differences.add({QString::number(index), QString::number(expected[index]),
                                 read ? QString::number(*read) : QStringLiteral("-")});
                ++differing;
            }
            progress.show(int(i + 1));
        }
    }
    if (differing == 0)
        return true;
    printOut(differences.bytes());
    printError(QStringLiteral("%1 of %2 parameters read back other than written (index, written, read above)")
                   .arg(differing)
                   .arg(order.size()));
    return false;
}

// `params write` takes a kept snapshot where a file is not found by the
// name: the start of its id, or latest, latest~N.
bool isReference(const QString& text)
{
    static const QRegularExpression ref(QStringLiteral("^(latest(~\\d{1,6})?|[0-9a-fA-F-]{4,36})$"));
    return !QFileInfo::exists(text) && ref.match(text).hasMatch();
}

// What `params write` writes: a file's records, or a snapshot's.
struct WriteSource
{
    QList<ParamRecord> records;
    std::optional<ParamLayout> layout;
    QString name;  // the file, or the snapshot's id
};

// A snapshot named by a reference: latest of the controller --controller
// names, or of the one connected. Another controller's is written only
// with --force.
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
    return WriteSource{found.snapshot->records(), history::paramLayoutOf(found.snapshot->layout),
                       QStringLiteral("snapshot ") + history::shortId(found.snapshot->id)};
}

// Every parameter, read fast; nothing when the read did not complete.
std::optional<QList<history::KeptParameter>> readBefore(const params::ParamController& controller)
{
    QList<params::ParamRow> rows;
    params::ReadAllObserver observer;
    observer.row = [&rows](const params::ParamRow& row) { rows.append(row); };
    params::ReadPace pace;
    pace.fast = true;
    Progress progress(QStringLiteral("reading what the write replaces"), 0);
    const params::ReadAllResult result = params::readAllParameters(controller, observer, pace);
    progress.finish();
    if (result.end != params::ReadAllEnd::Complete)
        return std::nullopt;
    return keptOf(rows);
}

// The values before a write with the written records put in.
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

} // namespace

int runParamsRead(const CliOptions& options)
{
    const params::ParamController& controller = controllerOf(options);
    CommandRecord record(options);
    ControllerLink link(chooseLink(options, options.door));
    if (!link.open())
        return kFailure;

    Progress progress(QStringLiteral("reading parameters"), 0);
    QList<params::ParamRow> rows;
    params::ReadPace pace;
    pace.fast = options.fast;
    pace.gapMs = options.gapMs;
    params::ReadAllObserver observer;
    observer.layoutKnown = [&](const ParamLayout& layout) { progress.setTotal(layout.count); };
    observer.row = [&](const params::ParamRow& row) {
        rows.append(row);
        progress.show(row.index + 1);
    };
    const params::ReadAllResult result = params::readAllParameters(controller, observer, pace);
    progress.finish();

    switch (result.end) {
    case params::ReadAllEnd::Complete:
        break;
    case params::ReadAllEnd::NoProbeReply:
        printError(link.noReply());
        return kFailure;
    case params::ReadAllEnd::Failed:
    case params::ReadAllEnd::Stopped:
        printError(QStringLiteral("the read stopped at parameter index %1: no usable reply (%2 of %3 parameters read); "
                                  "nothing was written")
                       .arg(result.failedIndex)
                       .arg(rows.size())
                       .arg(result.layout.count));
        return kFailure;
    }
    record.identify();
    record.read(result.layout, rows);
    return writeOutputs(options, result.layout, rows) ? kSuccess : kFailure;
}

int runParamsWrite(const CliOptions& options)
{
    const params::ParamController& controller = controllerOf(options);
    const QString& path = options.arguments[0];
    // The whole file is checked before anything is sent. How many records
    // are taken does not change the check.
    std::optional<ParamFileContent> file;
    if (!isReference(path)) {
        file = readParamFile(path, kWholeFile);
        if (file->problem != ParamFileProblem::None) {
            printError(fileProblemLine(path, file->problem));
            return kFailure;
        }
    }

    CommandRecord record(options);
    ControllerLink link(chooseLink(options, options.door));
    if (!link.open())
        return kFailure;
    const std::optional<ParamLayout> layout = params::readLayout(controller);
    if (!layout) {
        printError(link.noReply());
        return kFailure;
    }
    record.identify();
    const std::optional<WriteSource> source = file ? WriteSource{file->records,
                                                                 layoutOfFileSize(file->records.size() * kParamRecordSize),
                                                                 path}
                                                   : keptSource(options, record, *layout);
    if (!source)
        return kFailure;
    // Records of another layout would land in the wrong parameters.
    if (source->layout && source->layout->table != layout->table && !options.force) {
        printError(QStringLiteral("%1 was saved from %2, the controller uses %3: nothing was written "
                                  "(--force writes it anyway)")
                       .arg(source->name, layoutName(*source->layout), layoutName(*layout)));
        return kFailure;
    }
    // As many records as the window's list has rows after a complete read.
    const QList<ParamRecord> records = source->records.mid(0, layout->count);

    // What the write replaces is kept first: read fast.
    std::optional<QList<history::KeptParameter>> before;
    if (!options.noSnapshot) {
        before = readBefore(controller);
        if (!before) {
            printError(QStringLiteral("the values the write would replace could not be read: nothing was written "
                                      "(--no-snapshot writes without keeping them)"));
            return kFailure;
        }
        record.snapshot(*layout, history::SnapshotKind::BeforeWrite, *before);
    }

    std::optional<params::RefusedRecord> refused;
    int written = 0;
    {
        Progress progress(QStringLiteral("writing parameters"), int(records.size()));
        refused = params::writeRecords(controller, records, [&](int n) {
            written = n;
            progress.show(n);
        });
    }
    // The state the write left: what came before, with what was written.
    record.snapshot(*layout, history::SnapshotKind::AfterWrite,
                    overlaid(before.value_or(QList<history::KeptParameter>()), records.mid(0, refused ? written : -1)));
    if (refused) {
        printError(QStringLiteral("parameter index %1 %2 (%3 of %4 records written before it)")
                       .arg(refused->index)
                       .arg(refused->refused    ? QStringLiteral("refused")
                            : refused->answered ? QStringLiteral("not confirmed: the reply was no confirmation")
                                                : QStringLiteral("not written: no reply"))
                       .arg(written)
                       .arg(records.size()));
        return kFailure;
    }
    if (options.verify && !verify(controller, *layout, records))
        return kFailure;
    printOut(QStringLiteral("%1 parameters written%2\n")
                 .arg(records.size())
                 .arg(options.verify ? QStringLiteral(" and read back equal") : QString()));
    return kSuccess;
}

} // namespace cli
