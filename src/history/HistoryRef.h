#pragma once

#include "HistoryRecords.h"

#include <QString>

#include <optional>

namespace history {

class HistoryStore;

// What a typed reference names: a snapshot (with its values), or an edit.
struct RefLookup
{
    std::optional<Snapshot> snapshot;
    QUuid edit;         // set when the reference names an edit
    QString error;      // in English, when it names nothing usable

    bool found() const { return snapshot || !edit.isNull(); }
};

// A reference as the user types it: the start of a record's UUID (4
// characters at least), or latest / latest~N, the newest snapshot of the
// controller and N before it (of one layout when given). `controller` may
// be empty when the store knows one controller only.
RefLookup lookUp(HistoryStore& store, const QString& ref, const QString& controller,
                 std::optional<SetLayout> layout = {});

} // namespace history
