#include "HistoryDiff.h"

#include "ParamDescriptions.h"
#include "ParamReply.h"

#include <map>

namespace history {

QStringList DiffRow::texts() const
{
    const auto value = [](const std::optional<unsigned>& v) { return v ? QString::number(*v) : QStringLiteral("-"); };
    return {number ? paramNumberText(*number) : QStringLiteral("-"), description, value(oldValue), value(newValue)};
}

QStringList diffHeadings()
{
    return {QStringLiteral("编号"), QStringLiteral("说明"), QStringLiteral("旧值"), QStringLiteral("新值")};
}

QList<DiffRow> diffParameters(const QList<KeptParameter>& older, const QList<KeptParameter>& newer, SetLayout layout)
{
    // Of an index held twice, the later record counts, as after a write.
    std::map<int, DiffRow> rows;
    for (const KeptParameter& p : older) {
        DiffRow& row = rows[p.index];
        row.oldValue = p.value;
        row.number = p.number ? p.number : row.number;
    }
    for (const KeptParameter& p : newer) {
        DiffRow& row = rows[p.index];
        row.newValue = p.value;
        row.number = p.number ? p.number : row.number;
    }
    QList<DiffRow> differing;
    for (auto& [index, row] : rows) {
        if (row.oldValue == row.newValue)
            continue;
        row.index = index;
        row.description = parameterDescription(paramLayoutOf(layout).table, index).value_or(QString());
        differing.append(row);
    }
    return differing;
}

} // namespace history
