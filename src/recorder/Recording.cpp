#include "Recording.h"

#include "FrameBuffer.h"
#include "HexCodec.h"

#include <QFile>
#include <QSaveFile>

namespace recorder {

namespace {

const QByteArray kMagic = QByteArrayLiteral("# vardo-recording ");
// Larger files are refused rather than read into memory whole: a day of
// polling is well below it.
constexpr qint64 kLargestFile = qint64(256) << 20;

QString keyLine(const char* key, const QString& value)
{
    return QStringLiteral("# %1: %2\n").arg(QLatin1String(key), value);
}

std::optional<Layout> layoutOf(QStringView name)
{
    if (name == u"long")
        return Layout::Long;
    if (name == u"short")
        return Layout::Short;
    if (name.isEmpty())
        return Layout::Unknown;
    return std::nullopt;
}

} // namespace

QString layoutName(Layout layout)
{
    switch (layout) {
    case Layout::Long:
        return QStringLiteral("long");
    case Layout::Short:
        return QStringLiteral("short");
    case Layout::Unknown:
        break;
    }
    return {};
}

QByteArray headerText(const RecordingHeader& header)
{
    QString text = QString::fromLatin1(kMagic) + QString::number(kFormatVersion) + QLatin1Char('\n');
    text += keyLine("version", header.version);
    text += keyLine("port", header.port);
    if (header.layout != Layout::Unknown)
        text += keyLine("layout", layoutName(header.layout));
    if (header.floors > 0)
        text += keyLine("floors", QString::number(header.floors));
    text += keyLine("start", header.start.toUTC().toString(Qt::ISODateWithMs));
    return text.toUtf8();
}

QByteArray entryLine(const traffic::Entry& entry)
{
    return (traffic::entryText(entry) + QLatin1Char('\n')).toUtf8();
}

QByteArray recordingText(const RecordingHeader& header, std::span<const traffic::Entry> entries)
{
    QByteArray text = headerText(header);
    for (const traffic::Entry& entry : entries)
        text += entryLine(entry);
    return text;
}

bool writeRecording(const QString& path, const RecordingHeader& header, std::span<const traffic::Entry> entries)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray text = recordingText(header, entries);
    return file.write(text) == text.size() && file.commit();
}

std::optional<QByteArray> frameBytes(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u' ' || c > u'~')
            return std::nullopt;
        if (c != u'<') {
            bytes.append(char(c));
            continue;
        }
        const qsizetype close = text.indexOf(u'>', i);
        if (close < 0)
            return std::nullopt;
        const QStringView name = text.sliced(i + 1, close - i - 1);
        if (name == u"STX") {
            bytes.append(STX);
        } else if (name == u"ETX") {
            bytes.append(ETX);
        } else if (name == u"CR") {
            bytes.append('\r');
        } else if (name.size() == 2 && name[0].unicode() < 128 && name[1].unicode() < 128 &&
                   hexDigitValue(char(name[0].unicode())) >= 0 && hexDigitValue(char(name[1].unicode())) >= 0) {
            bytes.append(char(hexDigitValue(char(name[0].unicode())) * 16 + hexDigitValue(char(name[1].unicode()))));
        } else {
            return std::nullopt;
        }
        i = close;
    }
    return bytes;
}

ReadResult parseRecording(const QByteArray& text)
{
    ReadResult result;
    const auto failed = [&result](int line, const QString& why) {
        result.error = QStringLiteral("line %1: %2").arg(line).arg(why);
        return result;
    };
    const QString all = QString::fromUtf8(text);
    if (all.contains(QChar::ReplacementCharacter))
        return failed(1, QStringLiteral("not UTF-8 text"));
    const QList<QStringView> lines = QStringView(all).split(u'\n');
    if (lines.isEmpty() || !lines[0].startsWith(QLatin1String(kMagic)))
        return failed(1, QStringLiteral("not a VARDO recording (no \"%1\" line)").arg(QString::fromLatin1(kMagic.trimmed())));
    bool versionOk = false;
    const int version = lines[0].sliced(kMagic.size()).trimmed().toInt(&versionOk);
    if (!versionOk || version < 1 || version > kFormatVersion)
        return failed(1, QStringLiteral("format version %1 is not known").arg(lines[0].sliced(kMagic.size()).trimmed()));

    Recording recording;
    qint64 previous = 0;
    for (qsizetype n = 1; n < lines.size(); ++n) {
        QStringView line = lines[n];
        if (line.endsWith(u'\r'))
            line.chop(1);
        const int number = int(n + 1);
        if (line.isEmpty())
            continue;
        if (line.startsWith(u'#')) {
            const qsizetype colon = line.indexOf(u':');
            if (colon < 0)
                continue;
            const QStringView key = line.sliced(1, colon - 1).trimmed();
            const QStringView value = line.sliced(colon + 1).trimmed();
            if (key == u"version") {
                recording.header.version = value.toString();
            } else if (key == u"port") {
                recording.header.port = value.toString();
            } else if (key == u"layout") {
                const std::optional<Layout> layout = layoutOf(value);
                if (!layout)
                    return failed(number, QStringLiteral("layout \"%1\" is neither long nor short").arg(value));
                recording.header.layout = *layout;
            } else if (key == u"floors") {
                bool ok = false;
                const int floors = value.toInt(&ok);
                if (!ok || floors < 0 || floors > 255)
                    return failed(number, QStringLiteral("floors \"%1\" is not a number from 0 to 255").arg(value));
                recording.header.floors = floors;
            } else if (key == u"start") {
                const QDateTime start = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
                if (!start.isValid())
                    return failed(number, QStringLiteral("start \"%1\" is not an ISO 8601 time").arg(value));
                recording.header.start = start.toUTC();
            }
            continue;
        }
        const QList<QStringView> fields = line.split(u'\t');
        if (fields.size() < 3 || fields.size() > 4)
            return failed(number, QStringLiteral("an entry is time, direction and frame, separated by tabs"));
        bool ok = false;
        const qint64 ms = fields[0].toLongLong(&ok);
        if (!ok || ms < 0)
            return failed(number, QStringLiteral("time \"%1\" is not a number of milliseconds").arg(fields[0]));
        if (ms < previous)
            return failed(number, QStringLiteral("time %1 is before the entry above it").arg(ms));
        traffic::Entry entry;
        entry.ms = ms;
        if (fields[1] == traffic::directionText(traffic::Direction::Sent))
            entry.direction = traffic::Direction::Sent;
        else if (fields[1] == traffic::directionText(traffic::Direction::Received))
            entry.direction = traffic::Direction::Received;
        else
            return failed(number, QStringLiteral("direction \"%1\" is neither 发 nor 收").arg(fields[1]));
        std::optional<QByteArray> bytes = frameBytes(fields[2]);
        if (!bytes)
            return failed(number, QStringLiteral("the frame is not written as the traffic log writes it"));
        entry.bytes = std::move(*bytes);
        recording.entries.push_back(std::move(entry));
        previous = ms;
    }
    if (!recording.header.start.isValid())
        return failed(1, QStringLiteral("the header gives no start time"));
    result.recording = std::move(recording);
    return result;
}

ReadResult readRecording(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, QStringLiteral("cannot open %1: %2").arg(path, file.errorString())};
    if (file.size() > kLargestFile)
        return {std::nullopt, QStringLiteral("%1 is larger than 256 MiB").arg(path)};
    ReadResult result = parseRecording(file.readAll());
    if (!result.recording)
        result.error = path + QStringLiteral(", ") + result.error;
    return result;
}

} // namespace recorder
