#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Where results and errors go: results on stdout, one plain line per error
// on stderr, both UTF-8.
namespace cli {

// Writes text (bytes) to stdout as it is, flushed.
void printOut(const QString& text);
void printOut(const QByteArray& bytes);
// Writes "vardo-cli: <text>" and a line end to stderr; line breaks in the
// text become blanks, so an error is always one line.
void printError(const QString& text);

// Rows of a result, as a table (fields separated by tabs, no header) or
// as comma-separated values (a header line first, fields quoted where
// they must be).
class RowWriter
{
public:
    enum class Format { Table, Csv };

    RowWriter(Format format, const QStringList& csvHeader);

    void add(const QStringList& fields);
    // Every line so far, UTF-8.
    QByteArray bytes() const { return bytes_; }

private:
    void line(const QStringList& fields);

    Format format_;
    QByteArray bytes_;
};

// A CSV field: quoted when it holds a comma, a quote, a line break or
// blanks at either end, its quotes doubled.
QString csvField(const QString& text);

// Writes bytes to a file through a temporary file that replaces it once
// complete, or to stdout for "-". False when the file could not be written.
bool writeResult(const QString& path, const QByteArray& bytes);

} // namespace cli
