// The parameter set file reader: any bytes give either records that write
// back to the same bytes, or a problem and no records.

#include "FuzzInput.h"
#include "ParamFile.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const int maxRecords : {173, 79}) {
        const ParamFileContent content = decodeParamRecords(bytes, maxRecords);
        if (content.problem != ParamFileProblem::None) {
            fuzz::check(content.records.isEmpty(), "a file with a problem gives no records");
            continue;
        }
        const qsizetype count = std::min<qsizetype>(bytes.size() / kParamRecordSize, maxRecords);
        fuzz::check(content.records.size() == count, "one record per four bytes, up to the limit");
        fuzz::check(encodeParamRecords(content.records) == bytes.left(count * kParamRecordSize),
                    "records write back to the bytes they came from");
    }
    return 0;
}
