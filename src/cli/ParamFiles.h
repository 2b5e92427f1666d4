#pragma once

#include "CliOptions.h"
#include "ParamFile.h"
#include "ParamLayout.h"

#include <QString>

#include <optional>

// What the parameter commands know of parameter set files beyond the
// window's own reading and writing of them.
namespace cli {

// Enough records for any file the window accepts: a file read with this
// many is read whole, so its record count tells its size.
inline constexpr int kWholeFile = 64 * 1024 / kParamRecordSize;

// The layout a complete file of this many bytes was saved from: 692 the
// 173-parameter elevator controller, 456 the 114-parameter one, 316 the
// door operator; nothing for any other size.
std::optional<ParamLayout> layoutOfFileSize(qsizetype bytes);

ParamLayout layoutOf(FileLayout choice);

// "the 173-parameter elevator layout", ...
QString layoutName(const ParamLayout& layout);

// The error line of a file the window would refuse: the path, what is
// wrong in English and the window's own message.
QString fileProblemLine(const QString& path, ParamFileProblem problem);

} // namespace cli
