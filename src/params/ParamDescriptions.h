#pragma once

#include <QString>

#include <optional>

// One-line descriptions of the numbered parameters, shown in column 2 of the
// parameter pages. There is one table per parameter layout: the elevator
// controller's 173-parameter and 114-parameter layouts and the door-operator
// controller. Every index of a table has a text; some texts are blanks.
//
// Each table also keeps the string-ID numbering in which its texts were
// first catalogued (ID = index + the table's offset). The bit-mask dialog
// recognises its four input-setting parameters by the texts of IDs 26 to 29.

enum class ParamTable { Layout173, Layout114, Door };

// String ID of index 0 of each table.
inline constexpr int kLayout173StringIdOffset = 1;    // IDs 1 to 173
inline constexpr int kLayout114StringIdOffset = 355;  // IDs 355 to 468
inline constexpr int kDoorStringIdOffset = 600;       // IDs 600 to 678

// Number of rows of a table: 173, 114 or 79.
int descriptionRowCount(ParamTable table);

// The text of a parameter index, or nothing when the index lies outside the
// table. Never the text of another table.
std::optional<QString> parameterDescription(ParamTable table, int index);

// String ID of a parameter index (index + the table's offset), or 0 when the
// index lies outside the table, so that an ID is never one of another table.
int descriptionStringId(ParamTable table, int index);

// The text of a string ID of any of the three tables, or nothing for an ID
// that none of them holds.
std::optional<QString> descriptionByStringId(int id);
