#pragma once

#include <QString>

namespace cli {

struct CliOptions;

// Asks before a command moves the car or destroys data: --yes answers at
// once; otherwise the question goes to the terminal and "y" or "yes" lets
// it go on. Without a terminal to ask (a script, cron) and without --yes
// the command does not go on and says how to make it.
enum class Consent { Given, Refused, NoTerminal };
Consent askConsent(const CliOptions& options, const QString& question);

// The exit status and line for a consent not given.
int consentRefused(const CliOptions& options, Consent consent);

} // namespace cli
