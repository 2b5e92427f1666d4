#pragma once

#include <cstdint>

inline constexpr char STX = 0x02;
inline constexpr char ETX = 0x03;

// A fixed frame buffer holding one NUL-terminated frame. Builders overwrite
// it from index 0: STX, HH(address), command, sub-command, arguments, the
// special code (or a flag), HH(checksum), ETX, NUL. The checksum is the sum
// modulo 256 of the characters from index 1 up to the one before it.
class FrameBuffer
{
public:
    static constexpr int kSize = 1024;

    FrameBuffer() = default;
    FrameBuffer(const FrameBuffer&) = delete;
    FrameBuffer& operator=(const FrameBuffer&) = delete;

    void buildPlain(std::uint8_t addr, char c3, char c4);
    void buildByte(std::uint8_t addr, char c3, char c4, unsigned b);
    void buildChar(std::uint8_t addr, char c3, char c4, char c5);
    void buildCharByte(std::uint8_t addr, char c3, char c4, char c5, unsigned b);
    // t must hold at least four characters; they are copied as they are.
    void buildByteText4(std::uint8_t addr, char c3, char c4, unsigned b, const char* t);
    void buildByteWord(std::uint8_t addr, char c3, char c4, unsigned b, unsigned w);
    // text is copied up to its NUL (cut where the frame would not fit).
    void buildText(std::uint8_t addr, char c3, char c4, const char* text);
    // No special code: the flag stands in its place.
    void buildWordFlag(std::uint8_t addr, char c3, char c4, unsigned w, char f);

    const char* text() const { return buffer_; }
    int length() const;
    // Every look at a character goes by the text's length: a character the
    // frame does not have reads as NUL, which matches no character a check
    // looks for, whatever an earlier, longer frame left behind the NUL.
    char at(int index) const { return index >= 0 && index < length() ? buffer_[index] : '\0'; }
    char command() const { return at(3); }
    char subCommand() const { return at(4); }
    // Pointer to index, for the decoders; null where the text has ended.
    const char* field(int index) const { return index >= 0 && index < length() ? buffer_ + index : nullptr; }

    // Copies a NUL-terminated text to the start, never past the buffer's end.
    void assign(const char* text);
    // Zeros the whole buffer.
    void clear();

    // True when some ETX in the content is preceded by the correct
    // uppercase checksum of the characters from index 1 to before it.
    bool checkReply() const;

private:
    // The serial channel reads replies straight into the buffer.
    friend class SerialChannel;
    char* data() { return buffer_; }

    int begin(std::uint8_t addr, char c3, char c4);
    int putHex2(int pos, unsigned value);
    void finish(int pos, char trailer);

    char buffer_[kSize] = {};
};

// The request being sent and the reply being read.
extern FrameBuffer txFrame;
extern FrameBuffer rxFrame;

// The character placed before the checksum of every request; read from the
// stored link settings. While it is still NUL, requests carry 'E'.
extern char specialCode;

// The special code a request carries now.
char effectiveSpecialCode();
