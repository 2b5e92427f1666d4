#pragma once

#include "FrameAssembler.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class Page;

namespace recorder {
class FlightRecorder;
}

// Where received frames go, for the main window and for any stand-in of
// it. Bytes are assembled into frames; each frame goes to the flight
// recorder (when there is one) and is copied into rxFrame and handed to
// the page shown (nowhere while there are no pages), except a fault report.
// Fault reports, also those that a synchronous read or a request's purge
// took off the line, are queued: once no exchange runs, each is shown in a
// box, naming the recorder's fault file, and acknowledged with 'F' '6' when
// the box is closed, in order of arrival. A report the controller repeats
// while the same one waits or is on show is recorded, not queued again.
class FrameRouter : public QObject
{
public:
    FrameRouter(std::function<Page*()> shownPage, QObject* parent);
    ~FrameRouter() override;

    void setRecorder(recorder::FlightRecorder* recorder) { recorder_ = recorder; }

    // Takes one received byte; true when it completed a frame that a page got.
    bool takeByte(unsigned char byte);
    bool frameOpen() const { return assembler_.frameOpen(); }
    // No frame is open: what was assembled so far is dropped.
    void restart() { assembler_ = FrameAssembler(); }
    // Records and queues a fault report; it is shown once no exchange runs.
    void queueReport(const QByteArray& frame);
    // Shows what is queued, unless an exchange runs or a box is on show.
    void showReports();
    // The same from the event loop (after an exchange has ended).
    void showReportsLater();

private:
    struct Report
    {
        QByteArray frame;
        QString faultFile;
    };

    std::function<Page*()> shownPage_;
    recorder::FlightRecorder* recorder_ = nullptr;
    FrameAssembler assembler_;
    QList<Report> reports_;
    QByteArray onShow_;
};
