#pragma once

#include "TrackSet.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QScrollArea;
class PageHost;

namespace recorder {

class FlightRecorder;
class TimelineView;

// "运行记录": a recording along time, live from the flight recorder or
// from a file. One window for the program, not modal. Live, it takes the
// recorder's new frames on a timer and decodes only those; "跟随" keeps
// the newest data in view. "打开" shows a file, "实时" goes back to the
// recorder, "全部" fits the whole recording, and an I/O point chosen in
// the list is added as a lane with "添加".
class TimelineWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kRefreshMs = 500;

    // Creates the window on first use (child of mainWindow), shows the
    // recorder's frames live, shows and raises it.
    static TimelineWindow* showLive(QWidget* mainWindow, FlightRecorder* recorder);
    // The window, or null before the first showLive.
    static TimelineWindow* instance();
    // Ctrl+R in the window opens the timeline on the recorder given then.
    static void installShortcut(QWidget* window, std::function<FlightRecorder*()> recorder);

    ~TimelineWindow() override;

    // Shows a file; a file that cannot be read is told in a box and the
    // window keeps what it showed. True when shown.
    bool openFile(const QString& path);
    // Shows a recording held in memory.
    void showRecording(const Recording& recording, const QString& title);

    bool live() const { return live_; }
    const TrackSet* tracks() const { return tracks_.get(); }
    TimelineView* view() const { return view_; }
    QCheckBox* followBox() const { return follow_; }
    // Adds the lane of an I/O point by name ("X5", "TX0", "Y31"); false for
    // an unknown name.
    bool addIoPoint(const QString& name);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    explicit TimelineWindow(QWidget* parent);
    void goLive(FlightRecorder* recorder);
    void takeNewFrames();
    void chooseFile();
    void updateStatus();

    // The recorder shown live, or last shown live.
    FlightRecorder* recorder_ = nullptr;
    bool live_ = false;
    std::uint64_t taken_ = 0;  // frames of the source decoded so far
    std::unique_ptr<TrackSet> tracks_;
    TimelineView* view_ = nullptr;
    QScrollArea* scroll_ = nullptr;
    QCheckBox* follow_ = nullptr;
    QComboBox* ioChoice_ = nullptr;
    QPushButton* liveButton_ = nullptr;
    QLabel* status_ = nullptr;
    QTimer refresh_;
};

// "保存记录": asks for a file and writes the recorder's ring to it; a
// failure is told in a box. True when written.
bool saveRecorderRing(const FlightRecorder& recorder);

// The "保存记录" button of the live pages: saves the ring of the host's
// recorder; disabled where the host has none.
QPushButton* saveRecordButton(PageHost& host, QWidget* page);

} // namespace recorder
