#pragma once

#include <QString>

#include <functional>

namespace cli {

struct CliOptions;
class ControllerLink;

// A command that changes something on the controller: asked first when it
// moves the car or destroys data, then done over the link, then told in a
// status line.
struct Service
{
    QString question;  // asked first (see askConsent); empty: nothing asked
    bool door = false;
    // The work, once the link is open; false when it failed (having said why).
    std::function<bool(const ControllerLink&)> work;
    QString done;      // the status line after it
};

int runService(const CliOptions& options, const Service& service);

// The line for a command the controller did not confirm: false after
// printing it, true when confirmed.
bool confirmedBy(bool confirmed, const ControllerLink& link, const QString& what);

// The line for a value read back other than it was set: false after
// printing it.
bool readBackAs(const QString& read, const QString& wanted, const QString& what);

} // namespace cli
