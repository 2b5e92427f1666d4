// The parameter set file reader: any bytes give either records that write
// back to the same bytes, or a problem and no records. The check before a
// write passes exactly the records that are ascending, inside the layout
// and inside their ranges.

#include "FuzzInput.h"
#include "ParamFile.h"
#include "ParamFileCheck.h"

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
        for (const ParamLayout& layout : {kLayout173, kLayout114, kDoorLayout}) {
            const std::optional<params::RecordProblem> problem = params::checkRecords(content.records, layout);
            const qsizetype good = problem ? problem->position : content.records.size();
            fuzz::check(good <= content.records.size(), "the problem lies among the records");
            for (qsizetype i = 0; i < good; ++i) {
                const ParamRecord& r = content.records[i];
                fuzz::check(r.index < layout.count && (i == 0 || r.index > content.records[i - 1].index) &&
                                params::parameterRange(layout, r.index).contains(r.value),
                            "every record before the problem can be written");
            }
            if (problem)
                fuzz::check(!params::describeProblem(*problem, layout).isEmpty(), "the problem is told");
        }
    }
    return 0;
}
