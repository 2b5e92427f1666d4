#include "FrameRouter.h"

#include "Exchange.h"
#include "FaultReport.h"
#include "FlightRecorder.h"
#include "FrameBuffer.h"
#include "LinkEvents.h"
#include "Page.h"
#include "Prompts.h"
#include "Requests.h"
#include "SerialChannel.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

FrameRouter::FrameRouter(std::function<Page*()> shownPage, QObject* parent)
    : QObject(parent), shownPage_(std::move(shownPage))
{
    serialChannel.setFaultReportHandler([this](const QByteArray& frame) { queueReport(frame); });
    serialChannel.setOpenedHandler([this] { restart(); });
}

FrameRouter::~FrameRouter()
{
    serialChannel.setFaultReportHandler({});
    serialChannel.setOpenedHandler({});
}

bool FrameRouter::takeByte(unsigned char byte)
{
    if (!assembler_.take(byte))
        return false;
    rxFrame.assign(assembler_.frameText());
    if (isFaultReport(rxFrame)) {
        queueReport(QByteArray(assembler_.frameText()));
        return false;
    }
    if (recorder_)
        recorder_->frameReceived(assembler_.frameText());
    Page* shown = shownPage_();
    if (!shown)
        return false;
    FrameArrivedEvent arrived;
    QCoreApplication::sendEvent(shown, &arrived);
    return true;
}

void FrameRouter::queueReport(const QByteArray& frame)
{
    const QString faultFile = recorder_ ? recorder_->frameReceived(frame.constData()) : QString();
    const bool queued = std::any_of(reports_.cbegin(), reports_.cend(),
                                    [&frame](const Report& r) { return r.frame == frame; });
    if (frame == onShow_ || queued)
        return;
    reports_.append({frame, faultFile});
    showReportsLater();
}

void FrameRouter::showReportsLater()
{
    QMetaObject::invokeMethod(this, &FrameRouter::showReports, Qt::QueuedConnection);
}

void FrameRouter::showReports()
{
    if (!onShow_.isEmpty())
        return;
    while (!reports_.isEmpty() && !serialChannel.linkBusy) {
        const Report report = reports_.takeFirst();
        onShow_ = report.frame;
        FrameBuffer frame;
        frame.assign(report.frame.constData());
        QString message = faultReportMessage(frame);
        if (!report.faultFile.isEmpty())
            message += QStringLiteral("\n运行记录: ") + QDir::toNativeSeparators(report.faultFile);
        prompts::showMessage(message);
        onShow_.clear();
        request::acknowledgeFault();
        sendRequest();
    }
}
