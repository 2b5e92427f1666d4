#pragma once

#include "StoreProblem.h"

namespace history {

class HistoryStore;

// What a sync did.
struct SyncResult
{
    int pushed = 0;  // records the server lacked
    int pulled = 0;  // records the local store lacked
    StoreProblem problem;
};

// Pushes what the server lacks, then pulls what the local store lacks,
// one transaction each way. Records never change, so the two stores end
// as the union of both; two tools syncing at once lose and double nothing.
SyncResult syncStores(HistoryStore& local, HistoryStore& server);

} // namespace history
