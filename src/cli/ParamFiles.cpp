#include "ParamFiles.h"

#include "FileNames.h"
#include "Output.h"
#include "ParamFileCheck.h"

namespace cli {

namespace {

// Far beyond any controller's list (256 indexes at most).
constexpr qint64 kLongestFile = 64 * 1024;

} // namespace

std::optional<ParamLayout> layoutOfRecordCount(qsizetype records)
{
    for (const ParamLayout& layout : {kLayout173, kLayout114, kDoorLayout}) {
        if (records == layout.count)
            return layout;
    }
    return std::nullopt;
}

ParamLayout layoutOf(FileLayout choice)
{
    switch (choice) {
    case FileLayout::Layout114:
        return kLayout114;
    case FileLayout::Door:
        return kDoorLayout;
    case FileLayout::Layout173:
        break;
    }
    return kLayout173;
}

std::optional<QList<ParamRecord>> readRecordFile(const QString& name)
{
    const std::optional<QByteArray> bytes = readFileBytes(name, kLongestFile);
    ParamFileContent content{{}, ParamFileProblem::CannotOpen};
    if (bytes)
        content = decodeParamRecords(*bytes, int(kLongestFile / kParamRecordSize));
    QString what;
    switch (content.problem) {
    case ParamFileProblem::None:
        return content.records;
    case ParamFileProblem::CannotOpen:
        what = QStringLiteral("cannot open the file");
        break;
    case ParamFileProblem::Empty:
        what = QStringLiteral("the file holds no parameter");
        break;
    case ParamFileProblem::Malformed:
        what = QStringLiteral("not a parameter set file: its size is not a whole number of 4-byte records");
        break;
    case ParamFileProblem::CannotWrite:
        break;
    }
    printError(QStringLiteral("%1: %2").arg(shownName(name), what));
    return std::nullopt;
}

std::optional<std::optional<ParamLayout>> fileLayout(const CliOptions& options, const QString& name,
                                                      qsizetype records)
{
    const std::optional<ParamLayout> bySize = layoutOfRecordCount(records);
    if (!options.layout)
        return bySize;
    const ParamLayout chosen = layoutOf(*options.layout);
    if (bySize && bySize->table != chosen.table) {
        printError(QStringLiteral("%1 holds a complete set of %2, not of %3")
                       .arg(shownName(name), params::layoutName(*bySize), params::layoutName(chosen)));
        return std::nullopt;
    }
    return std::optional<ParamLayout>(chosen);
}

std::optional<ParamLayout> knownFileLayout(const CliOptions& options, const QString& name, qsizetype records)
{
    const std::optional<std::optional<ParamLayout>> known = fileLayout(options, name, records);
    if (known && !*known) {
        printError(QStringLiteral("%1: its size (%2 bytes) is none of a complete file's (692, 456 or 316): "
                                  "give --layout 173, 114 or door")
                       .arg(shownName(name))
                       .arg(records * kParamRecordSize));
    }
    return known ? *known : std::nullopt;
}

LayoutFile readLayoutFile(const CliOptions& options, const QString& name)
{
    LayoutFile file;
    const std::optional<QList<ParamRecord>> records = readRecordFile(name);
    if (!records) {
        file.failure = kFailure;
        return file;
    }
    const std::optional<ParamLayout> layout = knownFileLayout(options, name, records->size());
    if (!layout) {
        file.failure = kUsage;
        return file;
    }
    file.records = *records;
    file.layout = *layout;
    return file;
}

} // namespace cli
