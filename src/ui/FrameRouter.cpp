#include "FrameRouter.h"

#include "Exchange.h"
#include "FlightRecorder.h"
#include "FaultReport.h"
#include "FrameBuffer.h"
#include "LinkEvents.h"
#include "Page.h"
#include "Prompts.h"
#include "Requests.h"

#include <QCoreApplication>
#include <QDir>

bool routeFrame(const char* frameText, Page* shown, recorder::FlightRecorder* recorder)
{
    const QString faultFile = recorder ? recorder->frameReceived(frameText) : QString();
    rxFrame.assign(frameText);
    if (isFaultReport(rxFrame)) {
        QString message = faultReportMessage(rxFrame);
        if (!faultFile.isEmpty())
            message += QStringLiteral("\n运行记录: ") + QDir::toNativeSeparators(faultFile);
        prompts::showMessage(message);
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
