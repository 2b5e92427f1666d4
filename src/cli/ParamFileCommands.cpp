// params show and diff: parameter set files, without a controller.

#include "Commands.h"
#include "FileNames.h"
#include "Output.h"
#include "ParamDescriptions.h"
#include "ParamFileCheck.h"
#include "ParamFiles.h"

#include <map>

namespace cli {

namespace {

QString description(const ParamLayout& layout, int index)
{
    return parameterDescription(layout.table, index).value_or(QString());
}

// index -> value; of an index held twice, the later record counts, as it
// would in the controller after a write.
std::map<int, unsigned> valuesByIndex(const QList<ParamRecord>& records)
{
    std::map<int, unsigned> values;
    for (const ParamRecord& r : records)
        values[r.index] = r.value;
    return values;
}

int runShow(const CliOptions& options)
{
    const QString& path = options.arguments[0];
    const LayoutFile file = readLayoutFile(options, path);
    if (file.failure != kSuccess)
        return file.failure;
    Rows rows({QStringLiteral("index"), QStringLiteral("name"), QStringLiteral("value"), QStringLiteral("description")});
    for (const ParamRecord& r : file.records)
        rows.add({r.index, params::parameterName(file.layout, r.index), r.value, description(file.layout, r.index)});
    return writeRows(options, rows) ? kSuccess : kFailure;
}

// Trouble of any kind is 2, as in diff(1).
int runDiff(const CliOptions& options)
{
    const QString& pathA = options.arguments[0];
    const QString& pathB = options.arguments[1];
    const std::optional<QList<ParamRecord>> a = readRecordFile(pathA);
    const std::optional<QList<ParamRecord>> b = a ? readRecordFile(pathB) : std::nullopt;
    if (!a || !b)
        return kUsage;
    const std::optional<std::optional<ParamLayout>> knownA = fileLayout(options, pathA, a->size());
    const std::optional<std::optional<ParamLayout>> knownB = knownA ? fileLayout(options, pathB, b->size()) : std::nullopt;
    if (!knownA || !knownB)
        return kUsage;
    const std::optional<ParamLayout>& layoutA = *knownA;
    const std::optional<ParamLayout>& layoutB = *knownB;
    if (layoutA && layoutB && layoutA->table != layoutB->table) {
        printError(QStringLiteral("%1 holds %2 and %3 holds %4: files of different layouts are not compared")
                       .arg(shownName(pathA), params::layoutName(*layoutA), shownName(pathB),
                            params::layoutName(*layoutB)));
        return kUsage;
    }
    const std::optional<ParamLayout> layout = layoutA ? layoutA : layoutB;
    if (!layout) {
        printError(QStringLiteral("the sizes of %1 and %2 are none of a complete file's (692, 456 or 316 bytes): "
                                  "give --layout 173, 114 or door")
                       .arg(shownName(pathA), shownName(pathB)));
        return kUsage;
    }

    std::map<int, std::pair<std::optional<unsigned>, std::optional<unsigned>>> both;
    for (const auto& [index, value] : valuesByIndex(*a))
        both[index].first = value;
    for (const auto& [index, value] : valuesByIndex(*b))
        both[index].second = value;

    Rows rows({QStringLiteral("index"), QStringLiteral("name"), QStringLiteral("a"), QStringLiteral("b"),
               QStringLiteral("description")});
    const auto cell = [](const std::optional<unsigned>& v) {
        return v ? QJsonValue(qint64(*v)) : QJsonValue(QStringLiteral("-"));
    };
    for (const auto& [index, values] : both) {
        if (values.first != values.second)
            rows.add({index, params::parameterName(*layout, index), cell(values.first), cell(values.second),
                      description(*layout, index)});
    }
    if (!writeRows(options, rows))
        return kUsage;
    return rows.size() == 0 ? kSuccess : kFailure;
}

} // namespace

QList<CommandEntry> paramFileCommands()
{
    const QStringList options{QStringLiteral("layout"), QStringLiteral("json"), QStringLiteral("csv"),
                              QStringLiteral("bom")};
    return {
        {{QStringLiteral("params"), QStringLiteral("show")}, QStringLiteral("FILE"), 1, 1, options, false,
         QStringLiteral("list a parameter set file"), QString(), runShow},
        {{QStringLiteral("params"), QStringLiteral("diff")}, QStringLiteral("A B"), 2, 2, options, false,
         QStringLiteral("the parameters two files hold differently (exit 0 same, 1 different, 2 trouble)"),
         QStringLiteral("Files of different layouts are not compared; --layout names the layout of files\n"
                        "whose size does not tell it."),
         runDiff},
    };
}

} // namespace cli
