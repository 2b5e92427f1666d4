#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// A record of what went over the line, fed by the channel's traffic
// observer: each request written is one entry; received bytes are cut into
// frames. A received frame ends at its ETX; an STX starts a new entry, so
// that bytes before it (noise, a frame cut short) stand as an entry of
// their own; a synchronous reply is closed when its read ends, whatever it
// holds, and any received bytes still open are closed before the next
// request or once they reach kLongestEntry characters. Only the newest kCapacity entries are kept. No widgets: the
// feeding calls only append bytes, they never format or allocate per byte.
namespace traffic {

enum class Direction { Sent, Received };

// What the checksum of an entry says; requests are not judged.
enum class Verdict { None, Holds, Fails };

struct Entry
{
    qint64 ms = 0;  // since recording started; for a received frame, its first byte
    Direction direction = Direction::Sent;
    QByteArray bytes;

    Verdict verdict() const;
};

// True when bytes are one whole frame, STX to ETX, whose two uppercase
// checksum digits before the ETX are the sum modulo 256 of the characters
// from after the STX up to before them. A NUL inside fails: a reader of
// the frame's text would stop there.
bool checksumHolds(const QByteArray& bytes);

// The frame as text: STX, ETX and CR as <STX> <ETX> <CR>, every other byte
// outside blank to '~' and '<' itself as <hh> in uppercase hex, so that
// the text reads back one way.
QString frameText(const QByteArray& bytes);

QString directionText(Direction direction);  // "发" or "收"
QString verdictText(Verdict verdict);        // "校验正确", "校验错误" or empty

// One line of the saved log: time, direction, frame and, for received
// entries, the verdict, separated by tabs.
QString entryText(const Entry& entry);

class LineTraffic
{
public:
    static constexpr int kCapacity = 10000;
    // Received bytes without ETX close as an entry at this many.
    static constexpr int kLongestEntry = 4096;
    // Milliseconds since the recording started.
    using Clock = std::function<qint64()>;

    // Without a clock the time is measured from restart().
    explicit LineTraffic(Clock clock = {});

    // Empties the log and counts time from now.
    void restart();
    // Empties the log; the time runs on.
    void clear();

    // The observer's calls. wholeReply: the bytes are a synchronous reply
    // read to its end, closed as they stand.
    void recordSent(const char* bytes, int count);
    void recordReceived(const char* bytes, int count, bool wholeReply);
    // Closes received bytes still waiting for their ETX when nothing has
    // come for quietMs (a frame cut short with nothing after it).
    void closeIfQuiet(qint64 quietMs);

    // Entries kept, oldest first.
    int size() const { return int(entries_.size()); }
    const Entry& at(int index) const;
    // Entries appended since the last clear; the entry at index i is number
    // appended() - size() + i of them.
    std::uint64_t appended() const { return appended_; }
    // Received bytes not closed yet.
    bool frameOpen() const { return open_; }

    // Every entry, oldest first, and received bytes still open as the last one.
    std::vector<Entry> entries() const;
    // Every entry a line, oldest first, and received bytes still open as
    // the last one.
    QString text() const;

private:
    qint64 now() const;
    void append(Entry&& entry);
    void closeOpen();
    void takeReceived(char byte, qint64 ms);

    Clock clock_;
    QElapsedTimer elapsed_;
    // A ring: once full, the oldest entry (at head_) is overwritten.
    std::vector<Entry> entries_;
    std::size_t head_ = 0;
    std::uint64_t appended_ = 0;
    Entry pending_;
    bool open_ = false;
    qint64 lastReceivedMs_ = 0;
};

} // namespace traffic
