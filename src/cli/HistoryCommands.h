#pragma once

#include "CliOptions.h"
#include "ParamLayout.h"
#include "ServiceRecord.h"

#include <optional>

namespace params {
struct ParamRow;
}

namespace cli {

// What the parameter commands keep in the service record. The controller
// is identified by its nameplate: the elevator controller on the open
// link; for the door operator, which cannot tell it, the elevator
// controller is asked first at its own rate (before the door link opens).
// A store that cannot be used is told once on stderr; the command goes on.
class CommandRecord
{
public:
    explicit CommandRecord(const CliOptions& options);

    // Reads the elevator controller's nameplate on the open link (not
    // for the door operator, whose identity was read on construction).
    void identify();
    history::ControllerIdentity who() const;

    // A complete read: a snapshot, or a "seen" of the latest.
    void read(const ParamLayout& layout, const QList<params::ParamRow>& rows);
    void snapshot(const ParamLayout& layout, history::SnapshotKind kind, const QList<history::KeptParameter>& kept);
    void edit(const ParamLayout& layout, int index, unsigned oldValue, unsigned newValue, bool confirmed);

    // The store, for references; nothing (told) when it cannot be used.
    history::HistoryStore* store();

private:
    void tell();

    const CliOptions& options_;
    QString port_;
    std::optional<history::ControllerIdentity> who_;
    history::ServiceRecord record_;
    bool told_ = false;
};

QList<history::KeptParameter> keptOf(const QList<params::ParamRow>& rows);

} // namespace cli
