#pragma once

#include "ServiceRecord.h"

#include <optional>

namespace history {

// The service record as the window keeps it during one run: the local
// store, the controller its parameter pages last identified, and whether
// the store's problem has been told yet (it is told once a run).
class SessionRecord
{
public:
    explicit SessionRecord(const QString& path = defaultStorePath()) : record_(path) {}

    ServiceRecord& record() { return record_; }

    // The controller read last on the elevator page; the door operator's
    // records go under it too, as it cannot tell its own identity.
    const std::optional<ControllerIdentity>& current() const { return current_; }
    void setCurrent(const ControllerIdentity& who) { current_ = who; }
    // The current controller, or one known only by the port.
    ControllerIdentity currentOr(const QString& port) const
    {
        return current_ ? *current_ : ControllerIdentity{QString(), QString(), QString(), port};
    }

    // The store's problem the first time it is asked after one arose;
    // nothing afterwards, or while the store works.
    std::optional<QString> untoldProblem();

private:
    ServiceRecord record_;
    std::optional<ControllerIdentity> current_;
    bool told_ = false;
};

} // namespace history
