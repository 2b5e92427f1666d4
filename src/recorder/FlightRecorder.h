#pragma once

#include "FrameRing.h"
#include "RecorderSettings.h"
#include "Recording.h"

#include <QElapsedTimer>

#include <functional>
#include <list>

class SerialChannel;

namespace recorder {

// The car's flight recorder: it keeps the frames that tell what the car
// did, in a ring of the last minutes, and writes a file of its own around
// every fault report. Kept are the received status replies ('A' '0', 'A'
// '3', 'A' '8'), I/O replies ('A' '4') and fault reports ('E'), and every
// write of the tool (command 'F') as an event; the polls themselves and
// the replies to reads say nothing of the car and are left out.
//
// A fault report starts a fault file: the frames of the 2 minutes before
// it are written at once, and those of the minute after it are added when
// that minute is over (or when the recorder ends). A report of the same
// code while its file is still open goes into that file. Files are named
// by the local time of the report and its code, fault-YYYYMMDD-hhmmss-CC.rec.
//
// Widget-free; time comes from a clock in milliseconds since the recorder
// started, and the start's UTC time goes into the header.
class FlightRecorder
{
public:
    static constexpr qint64 kBeforeFaultMs = 2 * 60 * 1000;
    static constexpr qint64 kAfterFaultMs = 60 * 1000;
    // Bytes a second the ring makes room for: faster than any line rate
    // the tool uses, so that only a flood reaches the budget.
    static constexpr std::size_t kBudgetBytesPerSecond = 2000;

    using Clock = std::function<qint64()>;

    // Without a clock the time is measured from construction; start is
    // the UTC time of the clock's 0 (now when invalid).
    explicit FlightRecorder(const RecorderSettings& settings, Clock clock = {},
                            const QDateTime& start = {});
    ~FlightRecorder();  // completes the open fault files with what they have
    FlightRecorder(const FlightRecorder&) = delete;
    FlightRecorder& operator=(const FlightRecorder&) = delete;

    // Watches the channel's writes; received frames come through frameReceived.
    void attach(SerialChannel& channel);
    void detach();

    // What the header says of the line and the controller; the port is the
    // attached channel's unless set.
    void setPort(const QString& port) { header_.port = port; }
    void setLayout(Layout layout) { header_.layout = layout; }
    void setFloors(int floors) { header_.floors = floors; }

    // An assembled frame (NUL-terminated text). For a fault report with
    // fault files on: the path of its fault file; empty otherwise.
    QString frameReceived(const char* frameText);
    // Written bytes: a whole request.
    void frameSent(const char* bytes, int count);
    // Completes the fault files whose minute after the report is over.
    void advance();

    const FrameRing& ring() const { return ring_; }
    RecordingHeader header() const;
    // The ring as a recording.
    Recording snapshot() const;
    // Milliseconds on the recorder's clock.
    qint64 now() const;

    // Fault files written so far, completed or not, oldest first.
    const QStringList& faultFiles() const { return faultFiles_; }
    int openFaultFiles() const { return int(captures_.size()); }

private:
    struct Capture
    {
        QString path;
        QString code;
        qint64 endMs;
        QByteArray pending;  // lines of the minute after, not written yet
    };

    void keep(qint64 ms, traffic::Direction direction, const char* bytes, int count);
    QString startCapture(qint64 ms, const QString& code);
    void finish(Capture& capture);
    void completeUntil(qint64 ms);

    RecorderSettings settings_;
    Clock clock_;
    QElapsedTimer elapsed_;
    RecordingHeader header_;
    FrameRing ring_;
    std::list<Capture> captures_;
    QStringList faultFiles_;
    SerialChannel* channel_ = nullptr;
    int observerId_ = 0;
};

// Whether the flight recorder keeps a frame: status, call, speed and I/O
// replies and fault reports received, every write sent.
bool recorderKeeps(traffic::Direction direction, const char* bytes, int count);

// The port of an open channel as a header gives it: "COM1 (/dev/pts/3)";
// empty when it is closed.
QString portText(const SerialChannel& channel);

} // namespace recorder
