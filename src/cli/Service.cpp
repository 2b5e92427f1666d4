#include "Service.h"

#include "CliOptions.h"
#include "Confirm.h"
#include "ControllerLink.h"
#include "Output.h"

namespace cli {

int runService(const CliOptions& options, const Service& service)
{
    if (!service.question.isEmpty()) {
        const Consent consent = askConsent(options, service.question);
        if (consent != Consent::Given)
            return consentRefused(options, consent);
    }
    ControllerLink link(options, service.door);
    if (!link.open() || !service.work(link))
        return kFailure;
    printStatus(options, service.done);
    return kSuccess;
}

bool confirmedBy(bool confirmed, const ControllerLink& link, const QString& what)
{
    if (!confirmed)
        printError(QStringLiteral("the controller did not confirm %1 (%2)").arg(what, link.failure()));
    return confirmed;
}

bool readBackAs(const QString& read, const QString& wanted, const QString& what)
{
    if (read == wanted)
        return true;
    printError(QStringLiteral("the controller did not take %1: it reads \"%2\"").arg(what, read));
    return false;
}

} // namespace cli
