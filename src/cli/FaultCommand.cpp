#include "FaultCommand.h"

#include "ControllerLink.h"
#include "FaultChains.h"
#include "FaultDescriptions.h"
#include "Output.h"
#include "Progress.h"

namespace cli {

namespace {

constexpr int kLongRecords = 20;
constexpr int kShortRecords = 16;

} // namespace

int runFaults(const CliOptions& options)
{
    ControllerLink link(chooseLink(options, false));
    if (!link.open())
        return kFailure;

    RowWriter rows(options.csv ? RowWriter::Format::Csv : RowWriter::Format::Table,
                   {QStringLiteral("number"), QStringLiteral("code"), QStringLiteral("floor"), QStringLiteral("time"),
                    QStringLiteral("description")});
    Progress progress(QStringLiteral("reading fault records"), kLongRecords);
    FaultLayout layout = FaultLayout::Long;
    const records::FaultRead read = records::readFaultRecords(
        [&](bool extended) {
            layout = extended ? FaultLayout::Long : FaultLayout::Short;
            progress.setTotal(extended ? kLongRecords : kShortRecords);
            progress.show(0);
        },
        [&](int position, const records::FaultRecordRow& row) {
            // Number, code, floor (empty in the short records) and time.
            QStringList fields = row.texts.mid(0, 4);
            while (fields.size() < 4)
                fields << QString();
            fields << faultText(layout, row.code).value_or(QString());
            rows.add(fields);
            progress.show(position + 1);
        });
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
