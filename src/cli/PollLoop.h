#pragma once

#include "CliOptions.h"
#include "FrameAssembler.h"

#include <QByteArray>
#include <QEventLoop>
#include <QObject>
#include <QTimer>

#include <optional>

namespace cli {

class ControllerLink;

// The channel's owner while a command polls the controller as the live
// pages do: it assembles the received bytes into frames for
// frameArrived(), and calls poll() 100 ms after the last frame or poll,
// until finish().
class PollLoop : public QObject
{
public:
    static constexpr int kPollMs = 100;

    PollLoop();

    // Polls until finish(); returns its exit code. At once when finish()
    // came first.
    int run();
    void finish(int exitCode);
    bool finished() const { return done_; }

protected:
    // Before the first poll.
    virtual void starting() {}
    virtual void poll() = 0;
    virtual void frameArrived(const QByteArray& frame) = 0;

    bool event(QEvent* event) override;

private:
    QEventLoop loop_;
    QTimer timer_;
    FrameAssembler assembler_;
    bool done_ = false;
    int exitCode_ = kSuccess;
};

// Opens the link with the loop as the owner of the received bytes and
// probes the controller's layout (true: the longer one). Nothing, with the
// error printed, when the port does not open or nothing answers.
std::optional<bool> openForPolling(ControllerLink& link, PollLoop& loop);

} // namespace cli
