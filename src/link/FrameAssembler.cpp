#include "FrameAssembler.h"

#include <cstring>

bool FrameAssembler::take(unsigned char byte)
{
    const char c = char(byte);
    if (c == STX) {
        std::memset(rxAssembly_, 0, sizeof rxAssembly_);
        rxAssembly_[0] = STX;
        assemblyCursor_ = 1;
        return false;
    }
    if (assemblyCursor_ < 0)
        return false;
    if (c == ETX) {
        // ETX and NUL need two places.
        if (assemblyCursor_ > kSize - 2) {
            assemblyCursor_ = -1;
            return false;
        }
        rxAssembly_[assemblyCursor_] = ETX;
        rxAssembly_[assemblyCursor_ + 1] = '\0';
        assemblyCursor_ = -1;
        return true;
    }
    // Keep room for the ETX and the NUL; a longer frame is dropped.
    if (assemblyCursor_ >= kSize - 2) {
        assemblyCursor_ = -1;
        return false;
    }
    rxAssembly_[assemblyCursor_++] = c;
    return false;
}
