#include "ImportPreview.h"

#include <algorithm>

namespace params {

ImportPreview previewImport(const QList<ParamRecord>& fileRecords, int listedRows,
                            const std::function<std::optional<unsigned>(int index)>& listedValue)
{
    ImportPreview preview;
    preview.fileRecords = int(fileRecords.size());
    preview.listedRows = listedRows;
    preview.toSend = fileRecords.mid(0, std::max(listedRows, 0));
    for (const ParamRecord& record : preview.toSend) {
        const std::optional<unsigned> listed = listedValue(record.index);
        if (!listed || *listed != record.value)
            preview.differences.append({record.index, listed, record.value});
    }
    return preview;
}

} // namespace params
