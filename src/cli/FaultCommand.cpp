#include "FaultCommand.h"

#include "ControllerLink.h"
#include "FaultChains.h"
#include "FaultDescriptions.h"
#include "Output.h"
#include "Progress.h"

namespace cli {

int runFaults(const CliOptions& options)
{
    ControllerLink link(chooseLink(options, false));
    if (!link.open())
        return kFailure;

    RowWriter rows(options.csv ? RowWriter::Format::Csv : RowWriter::Format::Table,
                   {QStringLiteral("number"), QStringLiteral("code"), QStringLiteral("floor"), QStringLiteral("time"),
                    QStringLiteral("description")});
    Progress progress(QStringLiteral("reading fault records"), 0);
    FaultLayout layout = FaultLayout::Long;
    records::FaultReadObserver observer;
    observer.layoutKnown = [&](bool extended, int records) {
        layout = extended ? FaultLayout::Long : FaultLayout::Short;
        progress.setTotal(records);
        progress.show(0);
    };
    observer.row = [&](int, const records::FaultRecordRow& row) {
        // Number, code, floor (empty in the short records) and time.
        QStringList fields = row.texts.mid(0, 4);
        while (fields.size() < 4)
            fields << QString();
        fields << faultText(layout, row.code).value_or(QString());
        rows.add(fields);
    };
    // Empty slots are read too but yield no row.
    observer.recordRead = [&](int position) { progress.show(position + 1); };
    const records::FaultRead read = records::readFaultRecords(observer);
    progress.finish();
    if (!read.answered) {
        printError(link.noReply());
        return kFailure;
    }
    printOut(rows.bytes());
    if (!read.complete) {
        printError(QStringLiteral("the controller stopped answering part-way through the fault records; "
                                  "the records listed are those read before"));
        return kFailure;
    }
    return kSuccess;
}

} // namespace cli
