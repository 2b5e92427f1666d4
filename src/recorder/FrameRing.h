#pragma once

#include "LineTraffic.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace recorder {

// The newest frames of a span of time, stored compactly: the bytes of all
// frames one behind the other in one buffer, and per frame its time,
// place, length and direction. Appending drops the frames older than the
// span before the newest one, and the oldest ones beyond a byte budget, so
// that memory stays bounded however long the line runs and however fast
// frames come.
class FrameRing
{
public:
    FrameRing(qint64 spanMs, std::size_t byteBudget);

    void append(qint64 ms, traffic::Direction direction, const char* bytes, int count);
    void clear();

    int size() const { return int(slots_.size()); }
    bool empty() const { return slots_.empty(); }
    traffic::Entry at(int index) const;
    qint64 msAt(int index) const { return slots_[std::size_t(index)].ms; }
    // Frames appended since construction or clear(); the frame at index i
    // is number appended() - size() + i of them.
    std::uint64_t appended() const { return appended_; }

    // The frames with fromMs <= ms <= toMs, oldest first.
    std::vector<traffic::Entry> between(qint64 fromMs, qint64 toMs) const;
    std::vector<traffic::Entry> all() const;
    // Index of the first frame at or after ms (size() when none).
    int firstAtOrAfter(qint64 ms) const;

    qint64 spanMs() const { return spanMs_; }
    std::size_t byteBudget() const { return byteBudget_; }
    // Bytes held: the frame buffer's capacity and the slots.
    std::size_t memoryBytes() const;

private:
    struct Slot
    {
        qint64 ms;
        std::uint64_t offset;  // in the bytes ever appended
        std::uint16_t length;
        traffic::Direction direction;
    };

    void dropOldest();

    qint64 spanMs_;
    std::size_t byteBudget_;
    std::deque<Slot> slots_;
    // Bytes of the slots, starting with the byte at offset base_.
    std::string bytes_;
    std::uint64_t base_ = 0;
    // Offset of the first byte still in use.
    std::uint64_t firstUsed_ = 0;
    std::uint64_t appended_ = 0;
};

} // namespace recorder
