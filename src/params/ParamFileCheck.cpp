#include "ParamFileCheck.h"

#include <bitset>

namespace params {

std::optional<RecordProblem> checkRecords(const QList<ParamRecord>& records, const ParamLayout& layout)
{
    std::bitset<256> seen;
    int previous = -1;
    for (qsizetype i = 0; i < records.size(); ++i) {
        const ParamRecord& r = records[i];
        const auto problem = [&](RecordFault fault, ValueRange range = {}) {
            return RecordProblem{int(i), r, fault, range};
        };
        if (r.index >= layout.count)
            return problem(RecordFault::OutsideLayout);
        if (seen[r.index])
            return problem(RecordFault::Repeated);
        if (r.index < previous)
            return problem(RecordFault::OutOfOrder);
        const ValueRange range = parameterRange(layout, r.index);
        if (!range.contains(r.value))
            return problem(RecordFault::OutOfRange, range);
        seen[r.index] = true;
        previous = r.index;
    }
    return std::nullopt;
}

QString describeProblem(const RecordProblem& problem, const ParamLayout& layout)
{
    QString what;
    switch (problem.fault) {
    case RecordFault::OutsideLayout:
        what = QStringLiteral("the index lies outside %1 (0 to %2)").arg(layoutName(layout)).arg(layout.count - 1);
        break;
    case RecordFault::OutOfOrder:
        what = QStringLiteral("the index is lower than the one before it");
        break;
    case RecordFault::Repeated:
        what = QStringLiteral("the index came before");
        break;
    case RecordFault::OutOfRange:
        what = QStringLiteral("the value %1 lies outside %2 to %3")
                   .arg(problem.record.value)
                   .arg(problem.range.least)
                   .arg(problem.range.most);
        break;
    }
    return QStringLiteral("record %1 (index %2): %3").arg(problem.position + 1).arg(problem.record.index).arg(what);
}

QList<IdentityField> identityFields(const ParamLayout& layout)
{
    if (layout.table != ParamTable::Layout173)
        return {};
    return {{QStringLiteral("elevator ID"), 140, 144}, {QStringLiteral("telephone number"), 145, 151}};
}

QString identityText(const QList<unsigned>& values)
{
    QString text;
    for (const unsigned value : values) {
        for (const unsigned c : {value & 0xFFu, (value >> 8) & 0xFFu}) {
            if (c < 0x20 || c > 0x7E)
                return text;
            text += QChar(char16_t(c));
        }
    }
    return text;
}

QString parameterName(const ParamLayout& layout, int index)
{
    return QStringLiteral("F%1").arg(layout.table == ParamTable::Door ? index : index + 1);
}

QString layoutName(const ParamLayout& layout)
{
    switch (layout.table) {
    case ParamTable::Layout114:
        return QStringLiteral("the 114-parameter elevator layout");
    case ParamTable::Door:
        return QStringLiteral("the door operator's layout");
    case ParamTable::Layout173:
        break;
    }
    return QStringLiteral("the 173-parameter elevator layout");
}

} // namespace params
