// faults and faults clear: the controller's fault records.

#include "Commands.h"
#include "ControllerLink.h"
#include "FaultChains.h"
#include "FaultDescriptions.h"
#include "FaultTime.h"
#include "Output.h"
#include "Progress.h"
#include "Service.h"

namespace cli {

namespace {

int runFaults(const CliOptions& options)
{
    ControllerLink link(options, false);
    if (!link.open())
        return kFailure;

    Rows rows({QStringLiteral("number"), QStringLiteral("code"), QStringLiteral("floor"), QStringLiteral("time"),
               QStringLiteral("description")});
    // The table shows the time as the window does; CSV and JSON in ISO 8601.
    const bool iso = options.json || !options.csvPath.isEmpty();
    Progress progress(options, QStringLiteral("reading fault records"), 0);
    FaultLayout layout = FaultLayout::Long;
    records::FaultReadObserver observer;
    observer.layoutKnown = [&](bool extended, int records) {
        layout = extended ? FaultLayout::Long : FaultLayout::Short;
        progress.setTotal(records);
        progress.show(0);
    };
    observer.row = [&](int, const records::FaultRecordRow& row) {
        const QString time = row.texts.value(3);
        const QString floor = row.texts.value(2);
        rows.add({row.texts.value(0).toInt(), row.code, floor.isEmpty() ? QJsonValue() : QJsonValue(floor.toInt()),
                  iso ? isoFaultTime(time, layout) : time, faultText(layout, row.code).value_or(QString())});
    };
    // Empty slots are read too but yield no row.
    observer.recordRead = [&](int position) { progress.show(position + 1); };
    const records::FaultRead read = records::readFaultRecords(observer);
    progress.finish();
    if (!read.answered) {
        printError(link.failure(QStringLiteral("the layout probe")));
        return kFailure;
    }
    if (!read.complete) {
        printError(link.failure(QStringLiteral("fault record %1").arg(rows.size())) +
                   QStringLiteral("; nothing is listed"));
        return kFailure;
    }
    return writeRows(options, rows) ? kSuccess : kFailure;
}

int runFaultsClear(const CliOptions& options)
{
    return runService(options, {QStringLiteral("Clear every fault record of the controller?"), false,
                                [](const ControllerLink& link) {
                                    return confirmedBy(records::clearFaultRecords(), link,
                                                       QStringLiteral("clearing the fault records"));
                                },
                                QStringLiteral("fault records cleared")});
}

} // namespace

QList<CommandEntry> faultCommands()
{
    return {
        {{QStringLiteral("faults")}, QString(), 0, 0,
         {QStringLiteral("json"), QStringLiteral("csv"), QStringLiteral("bom")}, true,
         QStringLiteral("the fault records with their descriptions"),
         QStringLiteral("The columns are number, code, floor, time and description. The table shows the\n"
                        "time as the window does; CSV and JSON give it in ISO 8601 (the short records'\n"
                        "time has no year: --MM-DDThh:mm)."),
         runFaults},
        {{QStringLiteral("faults"), QStringLiteral("clear")}, QString(), 0, 0, {QStringLiteral("yes")}, true,
         QStringLiteral("clear the fault records (asks first)"), QString(), runFaultsClear},
    };
}

} // namespace cli
