#include "HistorySync.h"

#include "HistoryStore.h"

namespace history {

SyncResult syncStores(HistoryStore& local, HistoryStore& server)
{
    SyncResult result;
    const std::optional<int> pushed = server.takeMissing(local);
    if (!pushed) {
        result.problem = server.problem() ? server.problem() : local.problem();
        return result;
    }
    result.pushed = *pushed;
    const std::optional<int> pulled = local.takeMissing(server);
    if (!pulled) {
        result.problem = local.problem() ? local.problem() : server.problem();
        return result;
    }
    result.pulled = *pulled;
    return result;
}

} // namespace history
