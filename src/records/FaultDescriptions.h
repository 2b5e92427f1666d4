#pragma once

#include <QString>

#include <optional>

// Descriptions of the fault codes stored in the controller's fault records.
// The two record layouts use different code tables: the same code means
// different faults in them. Each table keeps the string-ID numbering in
// which its texts were first catalogued (ID = code + the table's offset).

enum class FaultLayout { Long, Short };

inline constexpr int kLongFaultStringIdOffset = 300;   // codes 1 to 45: IDs 301 to 345
inline constexpr int kShortFaultStringIdOffset = 500;  // codes 1 to 44: IDs 501 to 544

// The text of a fault code in the table of the layout, or nothing when that
// table has no entry for the code. Never the text of another table.
std::optional<QString> faultText(FaultLayout layout, int code);

// String ID of a fault code's text (code + the table's offset), or 0 when
// the table has no entry for the code.
int faultStringId(FaultLayout layout, int code);
