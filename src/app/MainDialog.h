#pragma once

#include "FlightRecorder.h"

#include <QDialog>
#include <QTimer>

class FrameRouter;
class LinkRecovery;
class PageTabCtrl;

// The main window "VARDO": the page tab control, the receiver of the
// channel's bytes, which it assembles into frames for the page shown, and
// the fault reports, which it shows and acknowledges itself. Its flight
// recorder keeps the frames of the last minutes for the whole run (Ctrl+R
// shows them on the timeline). It can be resized and maximized down to its
// first size; its size is kept between starts (WindowState).
class MainDialog : public QDialog
{
    Q_OBJECT

public:
    MainDialog();
    ~MainDialog() override;

    // Reads the link settings and opens the channel at the elevator rate,
    // then creates the pages; without settings or when the port does not
    // open, the serial settings dialog runs instead and no pages are made.
    void startUp();

    PageTabCtrl* pageHost() const { return pageHost_; }
    recorder::FlightRecorder& flightRecorder() { return recorder_; }
    // A close was asked for (also before the window was shown).
    bool closeRequested() const { return closeRequested_; }

public Q_SLOTS:
    void reject() override;
    void done(int result) override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void exchangeEnded();
    void runSettingsDialog();
    void linkStateChanged();
    void updateTitle();
    bool reopenLink();
    void linkRestored();
    void restoreWindowState();
    void saveWindowState() const;

    recorder::FlightRecorder recorder_;
    // Completes the fault files whose minute after the report is over.
    QTimer recorderTimer_;
    PageTabCtrl* pageHost_;
    LinkRecovery* recovery_;
    FrameRouter* router_;
    bool closeRequested_ = false;
    // The page shown gets no reply from the controller.
    bool controllerSilent_ = false;
    // A close that came during a synchronous exchange, carried out after it.
    bool closePending_ = false;
};
