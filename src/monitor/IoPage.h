#pragma once

#include "ControllerSilence.h"
#include "Page.h"

#include <QTimer>

#include <array>

class LampIndicator;
class QPushButton;

// Page 3, "I/O状态": a lamp for every input and output of the controller,
// the main-board inputs X0-X31, the car-board inputs TX0-TX31 and the
// main-board outputs Y0-Y31. While shown it writes 'A' '4' every 100 ms
// and lights (set bit) or darkens (clear bit) the lamps from the replies;
// grey until the first reply, and grey again while the controller does not
// answer (ControllerSilence). Only lamps whose state changes are redrawn.
class IoPage : public Page
{
    Q_OBJECT

public:
    static constexpr int kIndex = 3;
    static constexpr int kPollMs = 100;
    static constexpr int kInputs = 64;   // X0-X31, then TX0-TX31
    static constexpr int kOutputs = 32;  // Y0-Y31

    explicit IoPage(PageHost& host, QWidget* parent = nullptr);
    ~IoPage() override;

    void activate() override;
    void deactivate() override;
    void frameArrived() override;

    bool polling() const { return timer_.isActive(); }
    // The controller has not answered for a while: every lamp is grey.
    bool controllerSilent() const { return silence_.silent(); }
    LampIndicator* inputLamp(int i) const { return inputLamps_[size_t(i)]; }
    LampIndicator* outputLamp(int i) const { return outputLamps_[size_t(i)]; }
    // "保存记录": saves the flight recorder's ring (disabled without one).
    QPushButton* saveRecordButton() const { return saveRecordButton_; }

private:
    void tick();
    void showSilent(bool silent);

    std::array<LampIndicator*, kInputs> inputLamps_{};
    std::array<LampIndicator*, kOutputs> outputLamps_{};
    QPushButton* saveRecordButton_ = nullptr;
    QTimer timer_;
    ControllerSilence silence_;
};
