#pragma once

#include <array>
#include <cstdint>
#include <optional>

// The reply 'A' '4' of the I/O status page: from index 5 the input group
// (up to eight bytes as hex digit pairs: X0-X31, then TX0-TX31), the
// separator 0x04, the output group (up to four bytes: Y0-Y31), then two
// checksum digits and the ETX.
namespace monitor {

inline constexpr char kIoSeparator = 0x04;
inline constexpr int kInputBytes = 8;
inline constexpr int kOutputBytes = 4;
// Characters looked at from index 5 on.
inline constexpr int kIoWindow = 79;

struct IoReply
{
    std::array<std::uint8_t, kInputBytes> inputs{};
    int inputCount = 0;  // leading bytes of inputs that the reply carried
    std::array<std::uint8_t, kOutputBytes> outputs{};
    int outputCount = 0;
};

// Decodes the NUL-terminated frame text (index 0 = STX). Only whole pairs
// of hex digits count; a group ends at the first pair that is not one. A
// frame that is not 'A' '4' or has no separator gives nothing; an empty
// group, or an output group shorter than the checksum, gives no bytes for
// it. Never reads past the frame's NUL nor beyond the window.
std::optional<IoReply> parseIoReply(const char* frame);

} // namespace monitor
