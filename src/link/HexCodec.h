#pragma once

#include <array>
#include <cstdint>

// Hex forms of the controller protocol. Multi-byte values travel low byte
// first, each byte as two hex digits. Decoders read at most their fixed
// number of digits, stop at the first character that is not a hex digit
// (a NUL among them), and yield 0 when the first character is not one.

// Two uppercase hex digits of x modulo 256, NUL-terminated.
std::array<char, 3> encodeHex2(unsigned x);

// One digit: 0..15; 0 for anything that is not a hex digit (or p null).
unsigned decodeHex1(const char* p);

// Two digits, first digit the high nibble.
unsigned decodeHex2(const char* p);

// Four digits LLHH: decodeHex2(p + 2) * 256 + decodeHex2(p).
std::uint16_t decodeHex4(const char* p);

// Eight digits, bits 0-7 first.
std::uint32_t decodeHex8(const char* p);

// Value of one hex digit character, or -1.
int hexDigitValue(char c);
