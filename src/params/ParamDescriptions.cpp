#include "ParamDescriptions.h"

#include <iterator>
#include <span>
#include <string_view>

namespace {

struct DescriptionRow {
    int index;
    std::u8string_view text;
};

#include "ParamDescriptionTexts.inc"

// The rows must run 0, 1, 2, ... without gaps, and no text may be empty
// (a blank row is " "): the lookup relies on row i holding index i.
constexpr bool rowsInIndexOrder(std::span<const DescriptionRow> rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].index != static_cast<int>(i) || rows[i].text.empty())
            return false;
    }
    return true;
}

static_assert(std::size(kLayout173Rows) == 173 && rowsInIndexOrder(kLayout173Rows));
static_assert(std::size(kLayout114Rows) == 114 && rowsInIndexOrder(kLayout114Rows));
static_assert(std::size(kDoorRows) == 79 && rowsInIndexOrder(kDoorRows));

struct TableInfo {
    std::span<const DescriptionRow> rows;
    int stringIdOffset;
};

constexpr TableInfo tableInfo(ParamTable table)
{
    switch (table) {
    case ParamTable::Layout173: return {kLayout173Rows, kLayout173StringIdOffset};
    case ParamTable::Layout114: return {kLayout114Rows, kLayout114StringIdOffset};
    case ParamTable::Door: return {kDoorRows, kDoorStringIdOffset};
    }
    return {};
}

constexpr ParamTable kTables[] = {ParamTable::Layout173, ParamTable::Layout114, ParamTable::Door};

// The ID ranges must not overlap, or descriptionByStringId would be ambiguous.
constexpr bool idRangesDisjoint()
{
    for (ParamTable a : kTables) {
        for (ParamTable b : kTables) {
            if (a == b)
                continue;
            const TableInfo x = tableInfo(a), y = tableInfo(b);
            const int xEnd = x.stringIdOffset + static_cast<int>(x.rows.size());
            const int yEnd = y.stringIdOffset + static_cast<int>(y.rows.size());
            if (x.stringIdOffset < yEnd && y.stringIdOffset < xEnd)
                return false;
        }
    }
    return true;
}
static_assert(idRangesDisjoint());

bool inRange(const TableInfo& info, int index)
{
    return index >= 0 && index < static_cast<int>(info.rows.size());
}

} // namespace

int descriptionRowCount(ParamTable table)
{
    return static_cast<int>(tableInfo(table).rows.size());
}

std::optional<QString> parameterDescription(ParamTable table, int index)
{
    const TableInfo info = tableInfo(table);
    if (!inRange(info, index))
        return std::nullopt;
    const std::u8string_view text = info.rows[static_cast<std::size_t>(index)].text;
    return QString::fromUtf8(reinterpret_cast<const char*>(text.data()),
                             static_cast<qsizetype>(text.size()));
}

int descriptionStringId(ParamTable table, int index)
{
    const TableInfo info = tableInfo(table);
    return inRange(info, index) ? index + info.stringIdOffset : 0;
}

std::optional<QString> descriptionByStringId(int id)
{
    for (ParamTable table : kTables) {
        const TableInfo info = tableInfo(table);
        // Subtract only after the range check of id itself, so that no
        // extreme id can overflow.
        if (id >= info.stringIdOffset && inRange(info, id - info.stringIdOffset))
            return parameterDescription(table, id - info.stringIdOffset);
    }
    return std::nullopt;
}
