#pragma once

#include "FlightRecorder.h"
#include "FrameRouter.h"
#include "Page.h"

#include <QList>
#include <QWidget>

#include <functional>
#include <memory>

// Plays the main window's part for the pages: receives the channel's
// bytes and routes the frames with the real FrameRouter, as the main
// window does (fault reports are queued, shown and acknowledged once no
// exchange runs; any other frame goes to the page shown). Pages added here are its children,
// one shown at a time.
class PageTestHost : public QWidget, public PageHost
{
public:
    PageTestHost();
    ~PageTestHost() override;

    int currentPage() const override { return current_; }
    // Makes index the page shown without telling any page (what the poll
    // ticks of a page that is not shown see).
    void setCurrentPage(int index) { current_ = index; }

    void addPage(Page* page);
    // Hides the page shown (deactivate), shows the page with this index and
    // activates it.
    void showPage(int index);
    Page* page(int index) const;

    // Opens the channel on COMn at 9600 baud, 8N1, with this window as the
    // receiver of the bytes.
    bool openChannel(int comNumber);

    void showControllerSilent(bool silent) override { controllerSilent_ = silent; }
    // What the page shown last said about the controller's answers.
    bool controllerSilent() const { return controllerSilent_; }

    int framesDelivered() const { return framesDelivered_; }

    // Gives the pages a flight recorder, as the main window does (settings
    // read now), attached to the channel; the frames go through it.
    recorder::FlightRecorder& useFlightRecorder();
    recorder::FlightRecorder* flightRecorder() const override { return recorder_.get(); }
    // Called when the ETX of a frame arrives, before it is handed on, and
    // after a page has handled it.
    std::function<void()> onFrameEnd;
    std::function<void()> onFrameHandled;
    // Called after each repaint of the window has been flushed.
    std::function<void()> onPainted;

protected:
    bool event(QEvent* event) override;

private:
    std::unique_ptr<recorder::FlightRecorder> recorder_;
    FrameRouter router_;
    QList<Page*> pages_;
    int current_ = -1;
    int framesDelivered_ = 0;
    bool controllerSilent_ = false;
};
