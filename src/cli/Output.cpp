#include "Output.h"

#include "CliOptions.h"
#include "Exports.h"
#include "FileNames.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace cli {

namespace {

QString cellText(const QJsonValue& value)
{
    if (value.isDouble())
        return QString::number(value.toInteger());
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return value.toString();
}

// A tab or line break inside a field would shift a table's columns.
QString tableCell(const QJsonValue& value)
{
    QString cell = cellText(value);
    for (QChar& c : cell) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QLatin1Char(' ');
    }
    return cell;
}

} // namespace

void printOut(const QString& text)
{
    printOut(text.toUtf8());
}

void printOut(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

bool standardOutputOk()
{
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

void printError(const QString& text)
{
    QString line = text.trimmed();
    line.replace(QLatin1Char('\r'), QLatin1Char(' '));
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    const QByteArray bytes = QStringLiteral("vardo-cli: %1\n").arg(line).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

void printStatus(const CliOptions& options, const QString& text)
{
    if (options.quiet)
        return;
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
}

QByteArray jsonLine(const QJsonValue& value)
{
    QByteArray text;
    if (value.isArray())
        text = QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    else
        text = QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    return text + '\n';
}

QByteArray Rows::table() const
{
    QByteArray out;
    for (const QList<QJsonValue>& row : rows_) {
        QStringList cells;
        for (const QJsonValue& value : row)
            cells << tableCell(value);
        out += cells.join(QLatin1Char('\t')).toUtf8() + '\n';
    }
    return out;
}

QByteArray Rows::csv(bool bom) const
{
    QByteArray out = bom ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    QStringList header;
    for (const QString& column : columns_)
        header << csvField(column);
    out += header.join(QLatin1Char(',')).toUtf8() + '\n';
    for (const QList<QJsonValue>& row : rows_) {
        QStringList cells;
        for (const QJsonValue& value : row)
            cells << csvField(cellText(value));
        out += cells.join(QLatin1Char(',')).toUtf8() + '\n';
    }
    return out;
}

QByteArray Rows::json() const
{
    QJsonArray array;
    for (const QList<QJsonValue>& row : rows_) {
        QJsonObject object;
        for (qsizetype i = 0; i < columns_.size() && i < row.size(); ++i)
            object.insert(columns_[i], row[i]);
        array.append(object);
    }
    return jsonLine(array);
}

bool writeRows(const CliOptions& options, const Rows& rows)
{
    if (!options.csvPath.isEmpty())
        return writeResult(options.csvPath, rows.csv(options.bom));
    printOut(options.json ? rows.json() : rows.table());
    return true;
}

QString csvField(const QString& text)
{
    return recorder::csvQuoted(text);
}

bool writeResult(const QString& name, const QByteArray& bytes)
{
    if (writeFileBytes(name, bytes))
        return true;
    printError(name == QLatin1String("-") ? QStringLiteral("cannot write to the standard output")
                                          : QStringLiteral("%1: cannot write the file").arg(shownName(name)));
    return false;
}

} // namespace cli
