#include "FrameRing.h"

#include <algorithm>
#include <limits>

namespace recorder {

FrameRing::FrameRing(qint64 spanMs, std::size_t byteBudget) : spanMs_(spanMs), byteBudget_(byteBudget) {}

void FrameRing::append(qint64 ms, traffic::Direction direction, const char* bytes, int count)
{
    const auto length = std::uint16_t(std::clamp(count, 0, int(std::numeric_limits<std::uint16_t>::max())));
    const std::uint64_t end = base_ + bytes_.size();
    bytes_.append(bytes, length);
    slots_.push_back(Slot{ms, end, length, direction});
    ++appended_;
    while (!slots_.empty() && slots_.front().ms < ms - spanMs_)
        dropOldest();
    while (slots_.size() > 1 && base_ + bytes_.size() - firstUsed_ > byteBudget_)
        dropOldest();
    // The dropped bytes leave the buffer once they are half of it, so that
    // moving the rest down costs little per frame.
    const std::uint64_t unused = firstUsed_ - base_;
    if (unused > 4096 && unused * 2 > bytes_.size()) {
        bytes_.erase(0, std::size_t(unused));
        base_ = firstUsed_;
    }
}

void FrameRing::dropOldest()
{
    const Slot& oldest = slots_.front();
    firstUsed_ = oldest.offset + oldest.length;
    slots_.pop_front();
}

void FrameRing::clear()
{
    slots_.clear();
    bytes_.clear();
    base_ = firstUsed_ = 0;
    appended_ = 0;
}

traffic::Entry FrameRing::at(int index) const
{
    const Slot& slot = slots_[std::size_t(index)];
    return traffic::Entry{slot.ms, slot.direction,
                          QByteArray(bytes_.data() + (slot.offset - base_), slot.length)};
}

int FrameRing::firstAtOrAfter(qint64 ms) const
{
    const auto it = std::lower_bound(slots_.cbegin(), slots_.cend(), ms,
                                     [](const Slot& slot, qint64 t) { return slot.ms < t; });
    return int(it - slots_.cbegin());
}

std::vector<traffic::Entry> FrameRing::between(qint64 fromMs, qint64 toMs) const
{
    std::vector<traffic::Entry> out;
    for (int i = firstAtOrAfter(fromMs); i < size() && msAt(i) <= toMs; ++i)
        out.push_back(at(i));
    return out;
}

std::vector<traffic::Entry> FrameRing::all() const
{
    std::vector<traffic::Entry> out;
    out.reserve(slots_.size());
    for (int i = 0; i < size(); ++i)
        out.push_back(at(i));
    return out;
}

std::size_t FrameRing::memoryBytes() const
{
    return bytes_.capacity() + slots_.size() * sizeof(Slot);
}

} // namespace recorder
