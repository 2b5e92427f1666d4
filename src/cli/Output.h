#pragma once

#include <QByteArray>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QStringList>

// Where results and messages go: results (data only) on stdout, status
// lines and one plain line per error on stderr, all UTF-8.
namespace cli {

struct CliOptions;

// Writes text (bytes) to stdout as it is, flushed.
void printOut(const QString& text);
void printOut(const QByteArray& bytes);
// Writes "vardo-cli: <text>" and a line end to stderr; line breaks in the
// text become blanks, so an error is always one line.
void printError(const QString& text);
// A status line ("173 parameters written") on stderr, unless --quiet.
void printStatus(const CliOptions& options, const QString& text);
// False once anything written to stdout did not get out (a full disk, a
// closed descriptor).
bool standardOutputOk();

// One JSON value as a compact line.
QByteArray jsonLine(const QJsonValue& value);

// A result of named columns, written as a table (fields separated by tabs,
// no header), as comma-separated values (a header line first, fields quoted
// where they must be, with --bom a UTF-8 byte order mark before it) or as a
// JSON array of objects (the columns as keys).
class Rows
{
public:
    explicit Rows(const QStringList& columns) : columns_(columns) {}

    // One value per column: numbers stay numbers in JSON.
    void add(const QList<QJsonValue>& values) { rows_.append(values); }
    qsizetype size() const { return rows_.size(); }

    QByteArray table() const;
    QByteArray csv(bool bom) const;
    QByteArray json() const;

private:
    QStringList columns_;
    QList<QList<QJsonValue>> rows_;
};

// Writes rows as the options ask: CSV to the --csv file ("-" the standard
// output), JSON with --json, else the table on stdout. False, with the
// error printed, when the result could not be written.
bool writeRows(const CliOptions& options, const Rows& rows);

// A CSV field: quoted when it holds a comma, a quote, a line break or
// blanks at either end, its quotes doubled.
QString csvField(const QString& text);

// Writes bytes to a file (see writeFileBytes), printing the error line when
// it fails; "-" is the standard output.
bool writeResult(const QString& name, const QByteArray& bytes);

} // namespace cli
