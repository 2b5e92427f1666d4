#pragma once

#include "TrackSet.h"

#include <QByteArray>

#include <vector>

// A decoded recording in the formats logic-analyzer viewers and
// spreadsheets open.
namespace recorder {

// The tracks a file carries: floor, speed, direction, the status bits, the
// calls of the listed floors (or of the floors that had a call), the 96 I/O
// points when the recording has I/O replies, and the fault code.
std::vector<int> exportedTracks(const TrackSet& set);

// IEEE 1364 value change dump, time unit 1 ms from the recording's start:
// each status bit, call and I/O point a 1-bit wire, the floor display code
// and the fault code 8-bit vectors, the direction arrow's cell 3 bits, the
// speed in mm/s a 16-bit vector (two's complement). Scopes status, calls
// and io below vardo. Values unknown before their first reply are x.
QByteArray vcdText(const TrackSet& set);

// Comma-separated values, UTF-8 (with a byte order mark when bom): a header
// of the track keys, then a row for every moment at which some track
// changed, giving every track's value then: the time in ISO 8601 (local,
// with its offset), floor as displayed, speed in m/s, direction (↑, ↓ or
// empty), 0 or 1 for each status bit and I/O point, the floors with car,
// up and down calls (blank-separated), and the fault code with its
// description while a report stands (until the tool acknowledges it).
QByteArray csvText(const TrackSet& set, bool bom);

// A CSV field: quoted when it holds a comma, a quote or a line break, or
// starts or ends with a blank; quotes doubled.
QString csvQuoted(const QString& text);

} // namespace recorder
