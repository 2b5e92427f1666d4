#include "Output.h"

#include "Exports.h"

#include <QSaveFile>

#include <cstdio>

namespace cli {

void printOut(const QString& text)
{
    printOut(text.toUtf8());
}

void printOut(const QByteArray& bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
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

RowWriter::RowWriter(Format format, const QStringList& csvHeader) : format_(format)
{
    if (format_ == Format::Csv)
        line(csvHeader);
}

void RowWriter::add(const QStringList& fields)
{
    line(fields);
}

void RowWriter::line(const QStringList& fields)
{
    QStringList out;
    out.reserve(fields.size());
    for (const QString& f : fields) {
        if (format_ == Format::Csv) {
            out << csvField(f);
        } else {
            // A tab or line break inside a field would shift the columns.
            QString cell = f;
            for (QChar& c : cell) {
                if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r'))
                    c = QLatin1Char(' ');
            }
            out << cell;
        }
    }
    bytes_ += out.join(format_ == Format::Csv ? QLatin1Char(',') : QLatin1Char('\t')).toUtf8();
    bytes_ += '\n';
}

QString csvField(const QString& text)
{
    return recorder::csvQuoted(text);
}

bool writeResult(const QString& path, const QByteArray& bytes)
{
    if (path == QLatin1String("-")) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout);
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    return file.write(bytes) == bytes.size() && file.commit();
}

} // namespace cli
