#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "FrameBuffer.h"

// Helpers shared by the fuzz targets.
namespace fuzz {

// The input as the decoders take a frame: its text up to the first NUL,
// copied into a heap block of exactly that size plus the NUL, so that
// AddressSanitizer catches any read past the end of the text.
class FrameText
{
public:
    FrameText(const std::uint8_t* data, std::size_t size)
        : size_(strnlen(reinterpret_cast<const char*>(data), size)), text_(new char[size_ + 1])
    {
        std::memcpy(text_.get(), data, size_);
        text_[size_] = '\0';
    }

    const char* get() const { return text_.get(); }
    std::size_t size() const { return size_; }

private:
    std::size_t size_;
    std::unique_ptr<char[]> text_;
};

// Puts text into frame with `earlier` behind its NUL, as an earlier, longer
// frame leaves it: whatever lies there must not change a decision.
// A NUL for `earlier` gives a clean buffer.
inline void assignAfter(FrameBuffer& frame, char earlier, const char* text)
{
    frame.clear();
    const std::string poison(std::size_t(FrameBuffer::kSize - 1), earlier);
    frame.assign(poison.c_str());
    frame.assign(text);
}

// A property every input must keep; a broken one ends the run as a finding.
inline void check(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "fuzz check failed: %s\n", what);
        std::abort();
    }
}

} // namespace fuzz
