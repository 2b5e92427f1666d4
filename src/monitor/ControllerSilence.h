#pragma once

#include <QElapsedTimer>

#include <functional>
#include <optional>

class PageHost;

namespace monitor {

// When a live page's requests have gone unanswered long enough for what
// it shows to be stale: 3 s from the first request after the last reply.
// Times are in milliseconds of one monotonic clock.
class AnswerWatch
{
public:
    static constexpr qint64 kSilentAfterMs = 3000;

    // A request was written (or failed to be) at nowMs.
    void requested(qint64 nowMs)
    {
        if (!waitingSince_)
            waitingSince_ = nowMs;
    }
    // A reply came; also: start afresh.
    void answered() { waitingSince_.reset(); }
    bool silent(qint64 nowMs) const { return waitingSince_ && nowMs - *waitingSince_ >= kSilentAfterMs; }

private:
    std::optional<qint64> waitingSince_;
};

} // namespace monitor

// Whether the controller answers a live page: after 3 s of unanswered
// requests the page greys what it shows (`show(true)`) and tells the page
// host, which says so in the window's title; the next reply brings both
// back. A state, not an event: no box. While the page is hidden it makes
// no claim, and time hidden does not count.
class ControllerSilence
{
public:
    ControllerSilence(PageHost& host, std::function<void(bool silent)> show);

    void shown();
    void hidden();
    void requested();
    void answered();
    bool silent() const { return silent_; }

private:
    void setSilent(bool silent);

    PageHost& host_;
    std::function<void(bool)> show_;
    monitor::AnswerWatch watch_;
    QElapsedTimer clock_;
    bool silent_ = false;
};
