#pragma once

#include "FrameBuffer.h"

// Builds frames from received bytes: STX opens (and restarts) a frame,
// ETX closes it, bytes outside a frame are dropped. A frame that would not
// fit is dropped whole and assembly waits for the next STX.
class FrameAssembler
{
public:
    static constexpr int kSize = FrameBuffer::kSize;

    // Takes one byte; true when it completed a frame, whose NUL-terminated
    // text (cut at a NUL received inside it) is then frameText().
    bool take(unsigned char byte);
    const char* frameText() const { return rxAssembly_; }
    bool frameOpen() const { return assemblyCursor_ >= 0; }

private:
    char rxAssembly_[kSize] = {};
    int assemblyCursor_ = -1;  // none while no frame is open
};
