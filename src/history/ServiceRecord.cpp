#include "ServiceRecord.h"

namespace history {

ControllerIdentity identityOf(const identity::IdentityValues& values, const QString& port)
{
    return {values.programName, values.elevatorId, values.telephone, port};
}

ServiceRecord::ServiceRecord(const QString& path) : path_(path) {}

HistoryStore* ServiceRecord::store()
{
    if (!store_)
        store_ = HistoryStore::openFile(path_);
    return store_->usable() ? store_.get() : nullptr;
}

const StoreProblem& ServiceRecord::problem()
{
    if (!store_)
        store();
    return store_->problem();
}

std::optional<ReadStored> ServiceRecord::read(const ControllerIdentity& who, const ParamLayout& layout,
                                              const QList<KeptParameter>& parameters)
{
    HistoryStore* s = store();
    if (!s)
        return std::nullopt;
    return s->storeRead(Snapshot::make(who, setLayoutOf(layout), SnapshotKind::Read, parameters));
}

std::optional<QUuid> ServiceRecord::snapshot(const ControllerIdentity& who, const ParamLayout& layout,
                                             SnapshotKind kind, const QList<KeptParameter>& parameters)
{
    HistoryStore* s = store();
    const Snapshot snapshot = Snapshot::make(who, setLayoutOf(layout), kind, parameters);
    if (!s || !s->add(snapshot))
        return std::nullopt;
    return snapshot.id;
}

bool ServiceRecord::edit(const ControllerIdentity& who, const ParamLayout& layout, int index, unsigned oldValue,
                         unsigned newValue, bool confirmed)
{
    HistoryStore* s = store();
    const Edit e{QUuid::createUuid(), who.key(), setLayoutOf(layout), index, oldValue, newValue, confirmed,
                 Stamp::now(), {}};
    return s && s->add(e);
}

} // namespace history
