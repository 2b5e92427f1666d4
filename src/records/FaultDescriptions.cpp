#include "FaultDescriptions.h"

#include <algorithm>
#include <iterator>
#include <span>
#include <string_view>

namespace {

struct FaultRow {
    int code;
    std::u8string_view text;
};

#include "FaultDescriptionTexts.inc"

// Codes are record bytes (1 to 255), strictly ascending so that the lookup
// can search; no text is empty (a blank entry is " ").
constexpr bool rowsAscending(std::span<const FaultRow> rows)
{
    int previous = 0;
    for (const FaultRow& row : rows) {
        if (row.code <= previous || row.code > 255 || row.text.empty())
            return false;
        previous = row.code;
    }
    return true;
}

static_assert(std::size(kLongFaultRows) == 26 && rowsAscending(kLongFaultRows));
static_assert(std::size(kShortFaultRows) == 18 && rowsAscending(kShortFaultRows));

std::span<const FaultRow> rowsOf(FaultLayout layout)
{
    return layout == FaultLayout::Long ? std::span<const FaultRow>(kLongFaultRows)
                                       : std::span<const FaultRow>(kShortFaultRows);
}

const FaultRow* find(FaultLayout layout, int code)
{
    const std::span<const FaultRow> rows = rowsOf(layout);
    const auto it = std::lower_bound(rows.begin(), rows.end(), code,
                                     [](const FaultRow& row, int c) { return row.code < c; });
    return it != rows.end() && it->code == code ? &*it : nullptr;
}

} // namespace

std::optional<QString> faultText(FaultLayout layout, int code)
{
    const FaultRow* row = find(layout, code);
    if (!row)
        return std::nullopt;
    return QString::fromUtf8(reinterpret_cast<const char*>(row->text.data()),
                             static_cast<qsizetype>(row->text.size()));
}

int faultStringId(FaultLayout layout, int code)
{
    if (!find(layout, code))
        return 0;
    return code + (layout == FaultLayout::Long ? kLongFaultStringIdOffset
                                               : kShortFaultStringIdOffset);
}
