#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Widget-free values of the parameter editing dialogs: the bit-mask value
// in its four-character form, the floor display-code list, and the
// lock-out period requests and replies.
namespace params {

// --- Bit mask -------------------------------------------------------------

// The 16-bit value of four characters LLHH (low byte first). Characters
// that are not hex digits decode as decodeHex2 reads them; a NUL among the
// four ends the text and counts as a non-hex character.
std::uint16_t bitMaskValue(const char* chars);

// Four uppercase hex digits LLHH and a NUL.
std::array<char, 5> bitMaskChars(std::uint16_t value);

// Captions of the 16 bit boxes, bit 0 first: the input names X0..X15,
// X16..X31, TX0..TX15 or TX16..TX31 when prompt is exactly the description
// of one of the four input-setting parameters (string IDs 26 to 29),
// otherwise "1" to "16".
QStringList bitMaskLabels(const QString& prompt);

// --- Floor display codes --------------------------------------------------

struct DisplayCodeEntry
{
    int code;
    QString text;
};

// The 255 entries of codes 1 to 255 in code order: "1".."48", the display
// texts of codes 49 to 171, "172".."255".
std::vector<DisplayCodeEntry> displayCodeEntries();

// --- Floor lock-out periods ------------------------------------------------

struct LockoutPeriod
{
    unsigned startHour = 0;
    unsigned startMinute = 0;
    unsigned endHour = 0;
    unsigned endMinute = 0;
    bool operator==(const LockoutPeriod&) const = default;
};

// Floors listed at most: one lock-out period per floor the controller can
// serve. A larger count in a reply is limited to it.
inline constexpr int kMaxLockoutFloors = 48;

// The floor count in a reply to 'A' '5' HH(11): LLHH at 7-10 when the text
// carries 'A' '5' at 3/4 and reaches index 10 (no frame check), limited to
// kMaxLockoutFloors; nothing otherwise. Safe on any NUL-terminated text.
std::optional<int> parseFloorCount(const char* frame);

// The period in a reply to 'A' 'C' HH(f): the text has at least 17
// characters, 'A' 'C' at 3/4, and the hours and minutes as HH at 7, 9, 11
// and 13. Nothing otherwise. Safe on any NUL-terminated text (or null).
std::optional<LockoutPeriod> parseLockoutPeriod(const char* frame);

// "%02i:%02i".
QString periodTime(unsigned hour, unsigned minute);

// The ten characters of 'F' 'C': floor, start hour, start minute, end hour,
// end minute, each as two uppercase hex digits (floor 3, 07:30 to 18:05
// gives "03071E1205").
QByteArray lockoutWritePayload(int floor, const LockoutPeriod& period);

} // namespace params
