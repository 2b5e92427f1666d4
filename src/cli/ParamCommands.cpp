#include "ParamCommands.h"

#include "ControllerLink.h"
#include "Output.h"
#include "ParamChains.h"
#include "ParamFiles.h"
#include "ParamReply.h"
#include "Progress.h"

#include <QHash>
#include <QList>

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

} // namespace

int runParamsRead(const CliOptions& options)
{
    const params::ParamController& controller = controllerOf(options);
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
    return writeOutputs(options, result.layout, rows) ? kSuccess : kFailure;
}

int runParamsWrite(const CliOptions& options)
{
    const params::ParamController& controller = controllerOf(options);
    const QString& path = options.arguments[0];
    // The whole file is checked before anything is sent. How many records
    // are taken does not change the check.
    const ParamFileContent file = readParamFile(path, kWholeFile);
    if (file.problem != ParamFileProblem::None) {
        printError(fileProblemLine(path, file.problem));
        return kFailure;
    }
    const std::optional<ParamLayout> fileLayout = layoutOfFileSize(file.records.size() * kParamRecordSize);

    ControllerLink link(chooseLink(options, options.door));
    if (!link.open())
        return kFailure;
    const std::optional<ParamLayout> layout = params::readLayout(controller);
    if (!layout) {
        printError(link.noReply());
        return kFailure;
    }
    // Records of another layout would land in the wrong parameters.
    if (fileLayout && fileLayout->table != layout->table && !options.force) {
        printError(QStringLiteral("%1 was saved from %2, the controller uses %3: nothing was written "
                                  "(--force writes it anyway)")
                       .arg(path, layoutName(*fileLayout), layoutName(*layout)));
        return kFailure;
    }
    // As many records as the window's list has rows after a complete read.
    const QList<ParamRecord> records = file.records.mid(0, layout->count);

    std::optional<params::RefusedRecord> refused;
    int written = 0;
    {
        Progress progress(QStringLiteral("writing parameters"), int(records.size()));
        refused = params::writeRecords(controller, records, [&](int n) {
            written = n;
            progress.show(n);
        });
    }
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
