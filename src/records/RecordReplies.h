#pragma once

#include <QStringList>

#include <cstdint>
#include <optional>

// Decoding of the replies the shaft data and fault record pages read. Each
// takes a NUL-terminated frame text (STX at index 0), reads no further than
// its NUL, and yields zeros or nothing for fields the text does not reach.
namespace records {

// 'A' '5' HH(11), the parameter read of the floor count: the 16-bit value
// at index 7-10, low byte first.
int floorCount(const char* frame);

// 'A' '6': the shaft value at index 7-14, 32 bits low byte first, signed.
std::int32_t shaftValue(const char* frame);

// One row of the fault record list.
struct FaultRecordRow
{
    int code = 0;
    // Record number, fault code (both decimal), floor (empty in the short
    // layout) and the time of the fault.
    QStringList texts;
};

// 'A' '1': one fault record in the long layout (index 5-6 number, 7-8 code,
// 9-10 floor, 11-20 YYMMDDhhmm shown as "YY-MM-DD hh:mm") or the short one
// (5 number as one digit, 6-7 code, 8-15 time shown as it is). Nothing for
// an empty slot (code 0).
std::optional<FaultRecordRow> parseFaultRecord(const char* frame, bool longLayout);

} // namespace records
