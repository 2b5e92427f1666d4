#pragma once

#include "LineTraffic.h"

#include <QDateTime>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
class QTreeView;
class TrafficModel;

// "通讯记录": the line's traffic, for a service engineer whose controller
// answers oddly. One window for the program, not modal. While it is open it
// is the channel's traffic observer and records every request and every
// received frame, the time counted from its opening; closing it ends the
// recording. The observer only appends to the log; the list follows the
// log on a timer, never per byte, so that recording leaves the timing of
// the exchanges as it is.
class TrafficWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 200;
    // Received bytes without their ETX are closed after this long quiet.
    static constexpr int kQuietMs = 500;

    // Creates the window on first use, with mainWindow as its parent, shows
    // it (starting a recording when it was closed) and raises it.
    static TrafficWindow* showFor(QWidget* mainWindow);
    // The window, or null before the first showFor.
    static TrafficWindow* instance();
    // Ctrl+L in the given window opens the traffic window for it.
    static void installShortcut(QWidget* window);

    ~TrafficWindow() override;

    bool recording() const { return recording_; }
    const traffic::LineTraffic& log() const { return log_; }
    QTreeView* view() const { return view_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    explicit TrafficWindow(QWidget* parent);
    void startRecording();
    void stopRecording();
    void refresh();
    void clearLog();
    void saveLog();

    traffic::LineTraffic log_;
    TrafficModel* model_ = nullptr;
    QTreeView* view_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QPushButton* saveButton_ = nullptr;
    QTimer refreshTimer_;
    bool recording_ = false;
    int observerId_ = 0;
    // When the log started.
    QDateTime startedUtc_;
};
