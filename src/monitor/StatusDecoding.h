#pragma once

#include <QString>

#include <bitset>
#include <functional>
#include <optional>

// Decoders of the replies the elevator status page reads.
namespace monitor {

// The texts of the status reply 'A' '0', from its two status bytes.
struct StatusTexts
{
    QString mode;    // operating mode
    QString door;    // door movement, or empty
    QString lock;    // door lock
    QString load;    // overload or full load, or empty
    QString run;     // running or fault
    QString safety;  // safety circuit, or empty
    QString group;   // group or single-car operation
    bool running = false;
    int arrowCell = 0;  // direction arrow cell 0..7
};

StatusTexts decodeStatus(unsigned byteA, unsigned byteB);

// "速度: %.2fm/s" of a signed speed in mm/s.
QString speedText(int mmPerSecond);

// Call bitmaps of reply 'A' '3': 48 listed floor positions, bit p - 1 for
// position p counted from the bottom of the list.
inline constexpr int kCallPositions = 48;
using CallBits = std::bitset<kCallPositions>;

// Six bytes as twelve hex digits starting at digits (all present).
CallBits decodeCallGroup(const char* digits);

// Reads one parameter value; nothing when the exchange failed.
using ParameterRead = std::function<std::optional<unsigned>(int parameter)>;

// The number of floors the status list shows: the floor count parameters
// (11 and 10) and, in the longer layout, the false floors below the count
// (119) less the floors flagged false in the masks 134, 135 and 136 (a
// clear bit is a false floor). Reads only what the count needs, in that
// order; nothing when a read fails.
std::optional<int> listedFloorCount(bool extendedLayout, const ParameterRead& read);

} // namespace monitor
