#pragma once

#include "HistoryStore.h"
#include "Identity.h"

#include <memory>

namespace history {

// The identity a read of the nameplate gave, reached on `port`.
ControllerIdentity identityOf(const identity::IdentityValues& values, const QString& port);

// The tool's own service record: the local store, opened on first use.
// The pages and the commands record through it; when the store cannot be
// used, every record is refused and problem() says why, once opened.
class ServiceRecord
{
public:
    explicit ServiceRecord(const QString& path = defaultStorePath());

    // Nothing when the store cannot be used.
    HistoryStore* store();
    const StoreProblem& problem();
    QString path() const { return path_; }

    // A complete read: a snapshot, or a "seen" of the latest.
    std::optional<ReadStored> read(const ControllerIdentity& who, const ParamLayout& layout,
                                   const QList<KeptParameter>& parameters);
    // A snapshot of what a write is about to replace, or of what it left.
    std::optional<QUuid> snapshot(const ControllerIdentity& who, const ParamLayout& layout, SnapshotKind kind,
                                  const QList<KeptParameter>& parameters);
    // One parameter written by itself.
    bool edit(const ControllerIdentity& who, const ParamLayout& layout, int index, unsigned oldValue,
              unsigned newValue, bool confirmed);

private:
    QString path_;
    std::unique_ptr<HistoryStore> store_;
};

} // namespace history
