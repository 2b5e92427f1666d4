#pragma once

#include <QString>

#include <bitset>
#include <functional>
#include <optional>

// Decoders of the replies the elevator status page reads. Frames are
// NUL-terminated texts with the STX at index 0; a decoder never reads past
// the NUL.
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

// The status bits of reply 'A' '0' that stand for one condition each (bits
// 0-2 of byte A are the direction arrow's cell): byte 0 is A, 1 is B; the
// key is a plain name for files, the name the one the page uses.
struct StatusBit
{
    int byte;
    int bit;
    const char* key;
    const char* name;  // UTF-8
};
inline constexpr StatusBit kStatusBits[] = {
    {0, 3, "door_lock", "门锁闭合"},    {0, 4, "inspection", "检修"},       {0, 5, "attendant", "司机"},
    {0, 6, "locked", "锁梯"},           {0, 7, "independent", "独立"},      {1, 0, "group", "群控"},
    {1, 1, "fire", "消防"},             {1, 2, "full_load", "满载"},        {1, 3, "overload", "超载"},
    {1, 4, "door_opening", "开门"},     {1, 5, "door_closing", "关门"},     {1, 6, "safety_circuit", "安全回路"},
    {1, 7, "running", "运行"},
};

// Whether a status bit is set in the bytes of a reply.
inline bool statusBitSet(const StatusBit& b, unsigned byteA, unsigned byteB)
{
    return (((b.byte == 0 ? byteA : byteB) >> b.bit) & 1u) != 0;
}

// "速度: %.2fm/s" of a signed speed in mm/s.
QString speedText(int mmPerSecond);

// Call bitmaps of reply 'A' '3': 48 listed floor positions, bit p - 1 for
// position p counted from the bottom of the list.
inline constexpr int kCallPositions = 48;
using CallBits = std::bitset<kCallPositions>;

// Six bytes as twelve hex digits starting at digits (all present).
CallBits decodeCallGroup(const char* digits);

// Reply 'A' '0': HH(floor display code) at index 5, the status bytes A
// and B at 7 and 9.
struct StatusReply
{
    int floorCode = 0;
    unsigned byteA = 0;
    unsigned byteB = 0;
};
// Nothing for another reply or one too short to carry the three bytes.
std::optional<StatusReply> parseStatusReply(const char* frame);

// Reply 'A' '3': six bytes each of car calls at index 5, up calls at 17
// and down calls at 29. Nothing for another reply or a shorter one.
struct CallReply
{
    CallBits car;
    CallBits up;
    CallBits down;
};
std::optional<CallReply> parseCallReply(const char* frame);

// Reply 'A' '8': the signed speed in mm/s, LLHH at index 5. Nothing for
// another reply or a shorter one.
std::optional<int> parseSpeedReply(const char* frame);

// Reply 'A' '5' to a parameter read: the value, LLHH at index 7. Nothing
// for another reply or a shorter one.
std::optional<unsigned> parseParameterReply(const char* frame);

// Reads one parameter value; nothing when the exchange failed.
using ParameterRead = std::function<std::optional<unsigned>(int parameter)>;

// The number of floors the status list shows: the floor count parameters
// (11 and 10) and, in the longer layout, the false floors below the count
// (119) less the floors flagged false in the masks 134, 135 and 136 (a
// clear bit is a false floor). Reads only what the count needs, in that
// order; nothing when a read fails.
std::optional<int> listedFloorCount(bool extendedLayout, const ParameterRead& read);

} // namespace monitor
