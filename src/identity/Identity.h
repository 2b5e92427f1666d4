#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

class QDateTime;

// The controller's identity and clock as the general parameters page shows
// them, and the texts it sends to change them. No widgets: the reply
// parser runs on a bare NUL-terminated frame text.
namespace identity {

inline constexpr int kProgramNameLength = 16;
inline constexpr int kElevatorIdLength = 9;
inline constexpr int kTelephoneLength = 13;

// The five texts of the page, empty until a reply fills them.
struct IdentityValues
{
    QString programName;
    QString elevatorId;
    QString telephone;
    QString runCount;
    QString clock;
};

// The value a reply carried.
enum class ReplyField { None, ProgramName, ElevatorId, Telephone, Clock, RunCount };

// Takes one reply apart (index 0 = STX, command at 3, sub-command at 4,
// data from 5, then two checksum digits and ETX; the checksum is not
// checked) and stores the value it carries:
//   'A' 'B' program name, the data up to 16 characters;
//   'A' '2' elevator ID, the data up to 9 characters, its first piece
//           between CRs that is not empty;
//   'A' '7' telephone number, the data up to 13 characters, CRs included;
//   'A' '9' clock "YY-MM-DD hh:mm:ss" from the characters at 5 to 16;
//   'A' 'A' run count in decimal, from LLHH at 5 to 8.
// A text reply without data empties its text; a clock reply too short to
// carry twelve characters, or any other frame, changes nothing. Never reads
// past the frame's NUL.
ReplyField applyReply(const char* frame, IdentityValues& values);

// Characters from the controller as text: bytes above 0x7F are GBK, the
// code page of the controller's texts.
QString controllerText(const char* bytes, int count);

// Year within the century, month, day, hour, minute, second.
using ClockFields = std::array<int, 6>;

// The six fields of a clock reply 'A' '9': twelve decimal digits at index
// 5 to 16, two a field. Nothing for any other frame or other characters.
std::optional<ClockFields> clockFields(const char* frame);

// The six fields of a moment in the PC's local time (the year within its
// century: 2026 gives 26), as the set-clock request carries them.
ClockFields clockFieldsOf(const QDateTime& time);

// The twelve digits YYMMDDhhmmss of the set-clock request, each field as
// two digits (fields are within 0 to 99).
QByteArray clockPayload(const ClockFields& fields);

// True when the character (every character) lies between blank and '~':
// the characters a request frame carries as they are.
bool isPrintableAscii(QChar c);
bool isPrintableAscii(const QString& text);

// The first `limit` characters of a printable-ASCII text and a CR: what the
// elevator ID and telephone requests carry.
QByteArray textWithCr(const QString& text, int limit);

} // namespace identity
