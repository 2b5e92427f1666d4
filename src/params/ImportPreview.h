#pragma once

#include "ParamFile.h"

#include <QList>

#include <functional>
#include <optional>

namespace params {

// One record of a file whose value is not the one listed now.
struct ImportDifference
{
    int index = 0;
    std::optional<unsigned> listed;  // nothing: the list has no row for the index
    unsigned fileValue = 0;
};

// What an import of a file would do, shown before anything is sent.
struct ImportPreview
{
    int fileRecords = 0;             // every record the file holds
    int listedRows = 0;
    QList<ParamRecord> toSend;       // at most one record per listed row, from the top
    QList<ImportDifference> differences;  // among toSend, in file order

    bool countDiffers() const { return fileRecords != listedRows; }
};

// Compares a file's records with the values listed now (listedValue gives
// the value of an index's row, nothing when there is none).
ImportPreview previewImport(const QList<ParamRecord>& fileRecords, int listedRows,
                            const std::function<std::optional<unsigned>(int index)>& listedValue);

} // namespace params
