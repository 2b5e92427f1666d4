#pragma once

#include "ControllerSilence.h"
#include "Page.h"
#include "StatusDecoding.h"

#include <QFont>
#include <QTimer>

class ArrowIndicator;
class GridListCtrl;
class LampIndicator;
class QLabel;
class QPushButton;

// Page 0, "电梯状态": the elevator's live state. On showing, it probes the
// controller's layout, once a second until the controller answers; then
// every 100 ms it writes the next of the polls
// 'A' '3', 'A' '8', 'A' '0' (after it has learnt the floor count once) and
// shows what the replies carry: floor, mode, doors, lock, load, running or
// fault, safety circuit, group, speed, direction and the calls of every
// listed floor. A double click in the floor list registers a call. When
// the controller stops answering, the texts turn grey and the arrow dark
// until the next reply (ControllerSilence).
class StatusPage : public Page
{
    Q_OBJECT

public:
    static constexpr int kIndex = 0;
    static constexpr int kPollMs = 100;
    static constexpr int kProbeAgainMs = 1000;

    explicit StatusPage(PageHost& host, QWidget* parent = nullptr);
    ~StatusPage() override;

    void activate() override;
    void deactivate() override;
    void linkRestored() override;
    void frameArrived() override;

    bool extendedLayout() const { return extendedLayout_; }
    // Floors listed; 0 until the floor count is known.
    int rowCount() const { return rowCount_; }
    bool polling() const { return timer_.isActive(); }
    // Waiting to probe again after a probe got no reply.
    bool probing() const { return probeTimer_.isActive(); }
    // The controller has not answered for a while: the texts are grey.
    bool controllerSilent() const { return silence_.silent(); }

    GridListCtrl* floorList() const { return floorList_; }
    LampIndicator* statusLamp() const { return lamp_; }
    ArrowIndicator* directionArrow() const { return arrow_; }
    QPushButton* serialSettingsButton() const { return settingsButton_; }
    // Opens the line's traffic window.
    QPushButton* trafficButton() const { return trafficButton_; }
    // "运行记录" opens the timeline on the flight recorder, "保存记录"
    // saves its ring (both disabled without a recorder).
    QPushButton* timelineButton() const { return timelineButton_; }
    QPushButton* saveRecordButton() const { return saveRecordButton_; }

    // The nine texts as shown (floor, mode, speed, door, lock, load, run,
    // safety, group).
    QString floorText() const;
    QString modeText() const;
    QString speedText() const;
    QString doorText() const;
    QString lockText() const;
    QString loadText() const;
    QString runText() const;
    QString safetyText() const;
    QString groupText() const;

private:
    void probe();
    void probeAgain();
    void tick();
    void acquireFloorCount();
    void showSilent(bool silent);
    void showStatus(const monitor::StatusReply& reply);
    void showCalls(const monitor::CallReply& reply);
    void showSpeed(int mmPerSecond);
    void pushTexts();
    void registerCall();
    void openSerialSettings();

    // Text fields and their labels, pushed together.
    enum Field { FloorField, ModeField, SpeedField, DoorField, LockField, LoadField, RunField, SafetyField,
                 GroupField, FieldCount };
    QString fields_[FieldCount];
    QLabel* labels_[FieldCount] = {};

    QFont largeFont_;
    LampIndicator* lamp_ = nullptr;
    ArrowIndicator* arrow_ = nullptr;
    GridListCtrl* floorList_ = nullptr;
    QPushButton* settingsButton_ = nullptr;
    QPushButton* trafficButton_ = nullptr;
    QPushButton* timelineButton_ = nullptr;
    QPushButton* saveRecordButton_ = nullptr;
    QTimer timer_;
    QTimer probeTimer_;
    ControllerSilence silence_;

    bool extendedLayout_ = false;
    int rowCount_ = 0;
};
