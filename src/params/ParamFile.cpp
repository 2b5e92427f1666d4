#include "ParamFile.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>

namespace {

// Far beyond any controller's list (256 indexes at most): anything longer
// is not a parameter set file, and is not read into memory.
constexpr qint64 kLongestFile = 64 * 1024;

} // namespace

QByteArray encodeParamRecords(const QList<ParamRecord>& records)
{
    QByteArray bytes;
    bytes.reserve(records.size() * kParamRecordSize);
    for (const ParamRecord& r : records) {
        bytes.append(char(r.index));
        bytes.append(char(r.reserved));
        bytes.append(char(r.value & 0xFF));
        bytes.append(char(r.value >> 8));
    }
    return bytes;
}

ParamFileContent decodeParamRecords(QByteArrayView bytes, int maxRecords)
{
    ParamFileContent content;
    if (bytes.isEmpty()) {
        content.problem = ParamFileProblem::Empty;
        return content;
    }
    if (bytes.size() % kParamRecordSize != 0 || bytes.size() > kLongestFile) {
        content.problem = ParamFileProblem::Malformed;
        return content;
    }
    const qsizetype count = std::min<qsizetype>(bytes.size() / kParamRecordSize, std::max(maxRecords, 0));
    content.records.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const auto byte = [&](qsizetype k) { return std::uint8_t(bytes[i * kParamRecordSize + k]); };
        content.records.append({byte(0), byte(1), std::uint16_t(byte(2) | byte(3) << 8)});
    }
    return content;
}

ParamFileContent readParamFile(const QString& path, int maxRecords)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, ParamFileProblem::CannotOpen};
    // One byte more than the longest file tells a longer one apart.
    const QByteArray bytes = file.read(kLongestFile + 1);
    if (file.error() != QFileDevice::NoError)
        return {{}, ParamFileProblem::CannotOpen};
    return decodeParamRecords(bytes, maxRecords);
}

ParamFileProblem writeParamFile(const QString& path, const QList<ParamRecord>& records)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return ParamFileProblem::CannotWrite;
    const QByteArray bytes = encodeParamRecords(records);
    if (file.write(bytes) != bytes.size() || !file.commit())
        return ParamFileProblem::CannotWrite;
    return ParamFileProblem::None;
}

QString paramFileProblemText(ParamFileProblem problem)
{
    switch (problem) {
    case ParamFileProblem::CannotOpen:
        return QStringLiteral("文件打开失败");
    case ParamFileProblem::Empty:
        return QStringLiteral("参数文件为空");
    case ParamFileProblem::Malformed:
        return QStringLiteral("参数文件格式错误");
    case ParamFileProblem::CannotWrite:
        return QStringLiteral("文件保存失败");
    case ParamFileProblem::None:
        break;
    }
    return {};
}
