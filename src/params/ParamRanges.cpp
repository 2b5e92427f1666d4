#include "ParamRanges.h"

namespace params {

namespace {

struct RangeEntry
{
    ParamTable table;
    int first;
    int last;
    ValueRange range;
};

constexpr RangeEntry kRanges[] = {
    {ParamTable::Layout173, kLayout173.oneByteFirst, kLayout173.oneByteLast, {0, 0xFF}},
    {ParamTable::Layout173, 161, 161, {0, 1}},
    {ParamTable::Layout114, kLayout114.oneByteFirst, kLayout114.oneByteLast, {0, 0xFF}},
    {ParamTable::Door, 8, 8, {0, 300}},
};

} // namespace

ValueRange parameterRange(const ParamLayout& layout, int index)
{
    for (const RangeEntry& entry : kRanges) {
        if (entry.table == layout.table && index >= entry.first && index <= entry.last)
            return entry.range;
    }
    return {};
}

} // namespace params
