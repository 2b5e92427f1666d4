#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// Brings the link back after a lost device: while the channel is closed
// after a loss, tries once a second to open it again through `reopen`,
// never during an exchange and never while a box or dialog of its own is
// open over the window; `restored` runs after the port opened.
class LinkRecovery : public QObject
{
    Q_OBJECT

public:
    static constexpr int kPeriodMs = 1000;

    LinkRecovery(QWidget* window, std::function<bool()> reopen, std::function<void()> restored);

    // Starts or stops the attempts as the channel's state asks.
    void update();
    bool watching() const { return timer_.isActive(); }

private:
    void attempt();

    QWidget* window_;
    std::function<bool()> reopen_;
    std::function<void()> restored_;
    QTimer timer_;
};
