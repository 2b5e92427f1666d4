#pragma once

#include "CliOptions.h"
#include "ParamFile.h"
#include "ParamLayout.h"

#include <QList>
#include <QString>

#include <optional>

// What the parameter commands know of parameter set files beyond the
// window's own reading and writing of them.
namespace cli {

// The layout a complete file of this many records was saved from: 173 the
// 173-parameter elevator controller, 114 the 114-parameter one, 79 the door
// operator; nothing for any other count.
std::optional<ParamLayout> layoutOfRecordCount(qsizetype records);

ParamLayout layoutOf(FileLayout choice);

// Reads a parameter set file whole; nothing, with the error line printed,
// when it cannot be read or is not a parameter set file.
std::optional<QList<ParamRecord>> readRecordFile(const QString& name);

// The layout a file's size tells, checked against --layout: a file whose
// size is a complete set of another layout than --layout names is refused.
// Nothing, with the error line printed, when refused; the layout stays
// open (nullopt inside) when neither the size nor --layout tells one.
std::optional<std::optional<ParamLayout>> fileLayout(const CliOptions& options, const QString& name,
                                                      qsizetype records);
// The same, where the layout must be known: nothing, with the error line
// printed, also when neither the size nor --layout tells it.
std::optional<ParamLayout> knownFileLayout(const CliOptions& options, const QString& name, qsizetype records);

// A parameter set file read whole with its layout known, or the exit
// status with the error line printed: kFailure when the file cannot be
// read, kUsage when its layout is not known.
struct LayoutFile
{
    QList<ParamRecord> records;
    ParamLayout layout{};
    Exit failure = kSuccess;
};
LayoutFile readLayoutFile(const CliOptions& options, const QString& name);

} // namespace cli
