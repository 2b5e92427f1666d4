#pragma once

#include "LineTraffic.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <optional>
#include <span>
#include <vector>

// A recording: frames that went over the line with their times, and a
// header that says where they come from. One line format serves the flight
// recorder, the fault files, vardo-cli record and the traffic window's log,
// so that a file saved from any of them opens in any of them
// (docs/recording-format.md describes it for users).
//
// The file is UTF-8 text, one line each, line ends LF (CR LF is read too):
//
//     # vardo-recording 1
//     # version: 0.1.0
//     # port: COM1 (/dev/pts/3)
//     # layout: long
//     # floors: 12
//     # start: 2026-12-08T10:26:21.123Z
//     0	收	<STX>FFA00108C0E7E<ETX>	校验正确
//     2950	收	<STX>FFE020EA8<ETX>	校验正确
//     3012	发	<STX>FFF6E4D<ETX>
//
// Header: the first line names the format and its version; then "# key:
// value" lines in any order: the tool's version, the port, the layout of
// the controller's records ("long" or "short"; absent when unknown), the
// number of floors the status page lists (absent when unknown) and the
// start time in UTC (ISO 8601 with milliseconds; required). Other "#" lines
// are comments and are skipped.
//
// Entries: milliseconds since the start (whole, not decreasing), a tab, the
// direction ("发" written by the tool, "收" received), a tab, and the frame
// as traffic::frameText writes it (printable ASCII as it is, <STX> <ETX>
// <CR> and <hh> for every other byte and for '<'). A received entry may
// carry a fourth field, the checksum verdict, which readers ignore. Empty
// lines are skipped.
namespace recorder {

inline constexpr int kFormatVersion = 1;

// The layout of the controller's records and parameters: the longer one
// answers the layout probe with 23 characters or more.
enum class Layout { Unknown, Long, Short };

struct RecordingHeader
{
    QString version;
    QString port;
    Layout layout = Layout::Unknown;
    int floors = 0;  // 0: unknown
    QDateTime start; // UTC
};

struct Recording
{
    RecordingHeader header;
    std::vector<traffic::Entry> entries;
};

// The header's lines, each ending in LF.
QByteArray headerText(const RecordingHeader& header);
// One entry's line, ending in LF.
QByteArray entryLine(const traffic::Entry& entry);
// Header and entries.
QByteArray recordingText(const RecordingHeader& header, std::span<const traffic::Entry> entries);

// Writes a whole recording through a temporary file that replaces path
// once complete; false when it could not be written (an existing file then
// stays as it was).
bool writeRecording(const QString& path, const RecordingHeader& header, std::span<const traffic::Entry> entries);

// The bytes of a frame written by traffic::frameText; nothing when the
// text is not in that form (a '<' that opens no known name or hex pair,
// a character outside blank to '~').
std::optional<QByteArray> frameBytes(QStringView text);

// A file read back: the recording, or the reason it could not be read.
struct ReadResult
{
    std::optional<Recording> recording;
    QString error;  // "line 7: ..." and the like
};
ReadResult parseRecording(const QByteArray& text);
ReadResult readRecording(const QString& path);

// "long", "short" or empty.
QString layoutName(Layout layout);

} // namespace recorder
