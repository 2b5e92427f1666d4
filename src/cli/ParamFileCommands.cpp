#include "ParamFileCommands.h"

#include "Output.h"
#include "ParamDescriptions.h"
#include "ParamFiles.h"

#include <map>

namespace cli {

namespace {

QString description(const ParamLayout& layout, int index)
{
    return parameterDescription(layout.table, index).value_or(QString());
}

// The layout a file's size tells, or the one --layout names (which wins).
std::optional<ParamLayout> chosenLayout(const CliOptions& options, const QList<const ParamFileContent*>& files)
{
    if (options.layout)
        return layoutOf(*options.layout);
    for (const ParamFileContent* file : files) {
        if (const auto layout = layoutOfFileSize(file->records.size() * kParamRecordSize))
            return layout;
    }
    return std::nullopt;
}

// index -> value; of an index held twice, the later record counts, as it
// would in the controller after a write.
std::map<int, unsigned> valuesByIndex(const ParamFileContent& file)
{
    std::map<int, unsigned> values;
    for (const ParamRecord& r : file.records)
        values[r.index] = r.value;
    return values;
}

} // namespace

int runParamsShow(const CliOptions& options)
{
    const QString& path = options.arguments[0];
    const ParamFileContent file = readParamFile(path, kWholeFile);
    if (file.problem != ParamFileProblem::None) {
        printError(fileProblemLine(path, file.problem));
        return kFailure;
    }
    const std::optional<ParamLayout> layout = chosenLayout(options, {&file});
    if (!layout) {
        printError(QStringLiteral("%1: its size (%2 bytes) is none of a complete file's (692, 456 or 316): "
                                  "give --layout 173, 114 or door")
                       .arg(path)
                       .arg(file.records.size() * kParamRecordSize));
        return kUsage;
    }
    RowWriter rows(options.csv ? RowWriter::Format::Csv : RowWriter::Format::Table,
                   {QStringLiteral("index"), QStringLiteral("value"), QStringLiteral("description")});
    for (const ParamRecord& r : file.records)
        rows.add({QString::number(r.index), QString::number(r.value), description(*layout, r.index)});
    printOut(rows.bytes());
    return kSuccess;
}

int runParamsDiff(const CliOptions& options)
{
    // Trouble of any kind is 2, as in diff(1).
    const QString& pathA = options.arguments[0];
    const QString& pathB = options.arguments[1];
    const ParamFileContent a = readParamFile(pathA, kWholeFile);
    const ParamFileContent b = readParamFile(pathB, kWholeFile);
    for (const auto& [path, file] : {std::pair{pathA, &a}, std::pair{pathB, &b}}) {
        if (file->problem != ParamFileProblem::None) {
            printError(fileProblemLine(path, file->problem));
            return kUsage;
        }
    }
    const std::optional<ParamLayout> layout = chosenLayout(options, {&a, &b});
    if (!layout) {
        printError(QStringLiteral("the sizes of %1 and %2 are none of a complete file's (692, 456 or 316 bytes): "
                                  "give --layout 173, 114 or door")
                       .arg(pathA, pathB));
        return kUsage;
    }

    const std::map<int, unsigned> valuesA = valuesByIndex(a);
    const std::map<int, unsigned> valuesB = valuesByIndex(b);
    std::map<int, std::pair<std::optional<unsigned>, std::optional<unsigned>>> both;
    for (const auto& [index, value] : valuesA)
        both[index].first = value;
    for (const auto& [index, value] : valuesB)
        both[index].second = value;

    RowWriter rows(options.csv ? RowWriter::Format::Csv : RowWriter::Format::Table,
                   {QStringLiteral("index"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("description")});
    const auto text = [](const std::optional<unsigned>& v) {
        return v ? QString::number(*v) : QStringLiteral("-");
    };
    int differing = 0;
    for (const auto& [index, values] : both) {
        if (values.first == values.second)
            continue;
        rows.add({QString::number(index), text(values.first), text(values.second), description(*layout, index)});
        ++differing;
    }
    printOut(rows.bytes());
    return differing == 0 ? kSuccess : kFailure;
}

} // namespace cli
