#include "ParamFiles.h"

namespace cli {

std::optional<ParamLayout> layoutOfFileSize(qsizetype bytes)
{
    for (const ParamLayout& layout : {kLayout173, kLayout114, kDoorLayout}) {
        if (bytes == qsizetype(layout.count) * kParamRecordSize)
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

QString layoutName(const ParamLayout& layout)
{
    switch (layout.table) {
    case ParamTable::Layout114:
        return QStringLiteral("the 114-parameter elevator layout");
    case ParamTable::Door:
        return QStringLiteral("the door operator's layout");
    case ParamTable::Layout173:
        break;
    }
    return QStringLiteral("the 173-parameter elevator layout");
}

QString fileProblemLine(const QString& path, ParamFileProblem problem)
{
    QString what;
    switch (problem) {
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
        what = QStringLiteral("cannot write the file");
        break;
    case ParamFileProblem::None:
        break;
    }
    return QStringLiteral("%1: %2 (%3)").arg(path, what, paramFileProblemText(problem));
}

} // namespace cli
