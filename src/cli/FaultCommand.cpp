#include "FaultCommand.h"

#include "ControllerLink.h"
#include "FaultChains.h"
#include "FaultDescriptions.h"
#include "HexCodec.h"
#include "Output.h"
#include "Progress.h"
#include "SerialChannel.h"

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
    // Empty slots are read too but yield no row: the progress follows the
    // record each request asks for ('A' '1' with HH, or one hex digit in
    // the short records).
    serialChannel.setTrafficObserver([&](bool sent, const char* bytes, int count) {
        if (sent && count > 7 && bytes[3] == 'A' && bytes[4] == '1')
            progress.show(int(layout == FaultLayout::Long ? decodeHex2(bytes + 5) : decodeHex1(bytes + 5)));
    });
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
    serialChannel.setTrafficObserver({});
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
