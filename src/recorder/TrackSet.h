#pragma once

#include "Recording.h"

#include <QString>

#include <optional>
#include <vector>

// A recording decoded into tracks: what the status and I/O pages would
// have shown at every moment, as lists of changes. The frames are decoded
// by the pages' own decoders (status, calls, speed, I/O, fault report);
// nothing here reads a reply's bytes itself.
namespace recorder {

enum class TrackKind { Floor, Speed, Direction, StatusBit, CarCall, UpCall, DownCall, Input, Output, Fault };

// The changes of one value over time: times[i] is when it took values[i];
// before times[0] it is unknown.
struct Track
{
    TrackKind kind;
    int number;    // status bit index, call position (1 = bottom floor), I/O number
    QString key;   // plain name for files: "floor", "door_lock", "car_call_3", "X5", ...
    QString name;  // name shown: "楼层", "门锁闭合", "X5", ...
    int width;     // bits of the value in a value change dump
    std::vector<qint64> times;
    std::vector<int> values;

    // Index of the last change at or before ms; -1 before the first.
    int changeAt(qint64 ms) const;
    std::optional<int> valueAt(qint64 ms) const;
    bool isBit() const { return width == 1; }
};

struct Change
{
    qint64 ms;
    int track;
    int value;
};

struct FaultMark
{
    qint64 ms;
    QString code;  // the report's two characters
    int value;     // the code they give
};

// A write of the tool: its command and arguments.
struct WriteMark
{
    qint64 ms;
    QString text;
};

class TrackSet
{
public:
    static constexpr int kFloorTrack = 0;
    static constexpr int kSpeedTrack = 1;
    static constexpr int kDirectionTrack = 2;
    static constexpr int kFirstStatusBitTrack = 3;
    static int statusBitTrack(int bit) { return kFirstStatusBitTrack + bit; }
    // position 1..48
    static int callTrack(TrackKind kind, int position);
    // Input 0..63 (X0-X31, TX0-TX31), output 0..31 (Y0-Y31).
    static int inputTrack(int input);
    static int outputTrack(int output);
    static int faultTrack();

    explicit TrackSet(const RecordingHeader& header);

    void add(const traffic::Entry& entry);
    void addAll(const std::vector<traffic::Entry>& entries);

    const std::vector<Track>& tracks() const { return tracks_; }
    const Track& track(int index) const { return tracks_[std::size_t(index)]; }
    // Every change of every track, oldest first.
    const std::vector<Change>& changes() const { return changes_; }
    const std::vector<FaultMark>& faults() const { return faults_; }
    const std::vector<WriteMark>& writes() const { return writes_; }

    const RecordingHeader& header() const { return header_; }
    // A header that has learnt more (live: the layout, the floors).
    void setHeader(const RecordingHeader& header) { header_ = header; }
    // The header's, else what a layout probe's reply in the recording tells.
    Layout layout() const;
    // The header's floor count, else the highest floor with a call seen.
    int floors() const;
    // Some I/O reply was decoded.
    bool hasIo() const { return hasIo_; }
    // Times of the first and the last entry; 0 when there is none.
    qint64 firstMs() const { return firstMs_; }
    qint64 lastMs() const { return lastMs_; }
    bool empty() const { return entries_ == 0; }

    // A value as the timeline and the CSV show it.
    QString valueText(const Track& track, int value) const;
    QString description(const FaultMark& mark) const;

private:
    void set(int track, qint64 ms, int value);
    void takeReceived(const traffic::Entry& entry);
    void takeSent(const traffic::Entry& entry);

    RecordingHeader header_;
    std::vector<Track> tracks_;
    std::vector<Change> changes_;
    std::vector<FaultMark> faults_;
    std::vector<WriteMark> writes_;
    Layout probed_ = Layout::Unknown;
    int highestCall_ = 0;
    bool hasIo_ = false;
    qint64 firstMs_ = 0;
    qint64 lastMs_ = 0;
    std::size_t entries_ = 0;
};

// The local time of a moment of a recording, ISO 8601 with milliseconds
// and the offset from UTC: "2026-12-08T18:26:21.123+08:00".
QString isoTime(const RecordingHeader& header, qint64 ms);

} // namespace recorder
