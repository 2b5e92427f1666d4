#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// File names exactly as given: a command-line word whose bytes are not
// UTF-8 (a name in an 8-bit locale) is held with each such byte as one
// code unit U+DC80..U+DCFF, and turned back into the very same bytes when
// the file is opened. Every file the commands read or write goes through
// here, so no name is changed on its way to the system.
namespace cli {

// A command-line word; bytes that do not form UTF-8 are kept as above.
QString argumentText(const char* word);

// The bytes of a name taken by argumentText.
QByteArray nameBytes(const QString& name);

// The name for a message: each kept byte shown as \xNN.
QString shownName(const QString& name);

// Up to maxBytes + 1 bytes of a file (one more than allowed tells a longer
// file apart); nothing when it cannot be opened or read.
std::optional<QByteArray> readFileBytes(const QString& name, qint64 maxBytes);

// Writes bytes to "-" (the standard output), to a device or FIFO in place,
// or to a regular file through a temporary file in its folder that replaces
// it once complete (so a failed or interrupted write leaves the old file).
// False when not every byte could be written.
bool writeFileBytes(const QString& name, const QByteArray& bytes);

// The two names reach the same file ("-" counts as the standard output).
bool sameFile(const QString& a, const QString& b);

} // namespace cli
