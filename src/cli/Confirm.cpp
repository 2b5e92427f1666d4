#include "Confirm.h"

#include "CliOptions.h"
#include "Commands.h"
#include "Output.h"

#include <cstdio>

#include <unistd.h>

namespace cli {

Consent askConsent(const CliOptions& options, const QString& question)
{
    if (options.yes)
        return Consent::Given;
    if (::isatty(STDIN_FILENO) != 1 || ::isatty(STDERR_FILENO) != 1)
        return Consent::NoTerminal;
    std::fputs(QStringLiteral("%1 [y/N] ").arg(question).toUtf8().constData(), stderr);
    std::fflush(stderr);
    char answer[16] = {};
    if (!std::fgets(answer, sizeof answer, stdin))
        return Consent::Refused;
    const QString text = QString::fromLocal8Bit(answer).trimmed().toLower();
    return text == QLatin1String("y") || text == QLatin1String("yes") ? Consent::Given : Consent::Refused;
}

int consentRefused(const CliOptions& options, Consent consent)
{
    if (consent == Consent::NoTerminal) {
        printError(QStringLiteral("%1 asks before it goes on, and there is no terminal to ask: give --yes")
                       .arg(options.command->name()));
        return kUsage;
    }
    printError(QStringLiteral("%1: not done").arg(options.command->name()));
    return kFailure;
}

} // namespace cli
