#include "FrameRouter.h"

#include "Exchange.h"
#include "FaultReport.h"
#include "FrameBuffer.h"
#include "LinkEvents.h"
#include "Page.h"
#include "Prompts.h"
#include "Requests.h"

#include <QCoreApplication>

bool routeFrame(const char* frameText, Page* shown)
{
    rxFrame.assign(frameText);
    if (isFaultReport(rxFrame)) {
        prompts::showMessage(faultReportMessage(rxFrame));
        request::acknowledgeFault();
        sendRequest();
        return false;
    }
    if (!shown)
        return false;
    FrameArrivedEvent arrived;
    QCoreApplication::sendEvent(shown, &arrived);
    return true;
}
