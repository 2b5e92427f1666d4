#pragma once

#include "ParamDescriptions.h"

#include <span>

// How a controller numbers its parameters: how many it has, which
// description table names them, and which of them hold one byte (the floor
// display codes, read as HH) instead of 16 bits (LLHH).
struct ParamLayout
{
    int count;
    ParamTable table;
    int oneByteFirst;
    int oneByteLast;  // below oneByteFirst: no one-byte parameters

    constexpr bool oneByte(int index) const { return index >= oneByteFirst && index <= oneByteLast; }
};

// The elevator controller's two layouts, told apart by the layout probe,
// and the door operator's.
inline constexpr ParamLayout kLayout173{173, ParamTable::Layout173, 65, 112};
inline constexpr ParamLayout kLayout114{114, ParamTable::Layout114, 66, 113};
inline constexpr ParamLayout kDoorLayout{79, ParamTable::Door, 0, -1};

// What a double click on a parameter opens.
enum class ParamEditor {
    Value,              // the value entry dialog
    BitMask,            // one check box per bit
    DisplayCode,        // a floor's display code, chosen by its text
    LockoutSchedule,    // the per-floor lock-out periods and the switch
    TelephoneElsewhere  // edited on the general page only: a hint, nothing sent
};

struct EditorRange
{
    int first;
    int last;
    ParamEditor editor;
};

// The elevator controller's editors, the same in both layouts. The first
// range holding the index decides; any index outside them gets Value.
inline constexpr EditorRange kElevatorEditors[] = {
    {161, 161, ParamEditor::LockoutSchedule},
    {25, 31, ParamEditor::BitMask},
    {50, 55, ParamEditor::BitMask},
    {134, 139, ParamEditor::BitMask},
    {170, 172, ParamEditor::BitMask},
    {145, 151, ParamEditor::TelephoneElsewhere},
    {65, 113, ParamEditor::DisplayCode},
};

constexpr ParamEditor editorFor(std::span<const EditorRange> ranges, int index)
{
    for (const EditorRange& r : ranges) {
        if (index >= r.first && index <= r.last)
            return r.editor;
    }
    return ParamEditor::Value;
}
