#include "SessionRecord.h"

namespace history {

std::optional<QString> SessionRecord::untoldProblem()
{
    const StoreProblem& problem = record_.problem();
    if (!problem || told_)
        return std::nullopt;
    told_ = true;
    return problemText(problem);
}

} // namespace history
