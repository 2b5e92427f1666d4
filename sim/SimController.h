#pragma once

#include "DoorModel.h"
#include "ElevatorModel.h"
#include "SimTypes.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <random>
#include <thread>

class PtyTransport;
class Replay;

// The simulated main controller and door-operator controller on one
// pseudo-terminal. The constructor opens the pseudo-terminal and starts a
// thread that serves it until the destructor; the tool opens devicePath()
// (or COMn after linkAs(n)) like any serial port.
//
// On the line: a request is answered only when it arrives while the line
// runs at the elevator baud rate and stop bits (main controller) or at the
// door baud rate (door operator; the main controller wins when both rates
// are equal), carries address "FF", a correct checksum and the special
// code. Replies go out at the pace of the line: the request's own wire time
// and the response delay after its ETX arrived, then one character time (10
// or 11 bits at the current rate) per character.
//
// Typical test:
//     SimController sim;                 // modern model, 9600 / 38400 baud, 'E'
//     sim.linkAs(1);                     // COM1 of the tool's port folder
//     sim.withElevator([](ElevatorModel& e) { e.setParameter(11, 8); });
//     ... drive the tool ...
//     QVERIFY(sim.waitForRequest("F3105", 2000));
//
// Every public member is thread-safe.
class SimController
{
public:
    // Throws std::runtime_error when the replay file cannot be read.
    explicit SimController(SimOptions options = {});
    ~SimController();  // stops the thread, removes a link it placed
    SimController(const SimController&) = delete;
    SimController& operator=(const SimController&) = delete;

    // The options as constructed (the timing setters below change them).
    const SimOptions& options() const { return options_; }

    // The slave side, e.g. /dev/pts/7.
    QString devicePath() const;
    // Places the link comN in <XDG config>/VARDOCOM/ports/ (the folder is
    // taken at call time), replacing one that is there. Returns its path.
    QString linkAs(int comNumber);
    QString linkPath() const;
    // Removes the link placed by linkAs (also done by the destructor).
    void removeLink();

    // Runs f on the model under the controller's lock and returns its result:
    //     int floors = sim.withElevator([](ElevatorModel& e) { return e.floorCount(); });
    template <class F>
    auto withElevator(F&& f)
    {
        std::lock_guard lock(mutex_);
        return f(elevator_);
    }
    template <class F>
    auto withDoor(F&& f)
    {
        std::lock_guard lock(mutex_);
        return f(door_);
    }

    // Every frame (STX .. ETX) received since the start or the last
    // clearRequests(), accepted or not, in order (the latest 50000).
    QList<QByteArray> requests() const;
    void clearRequests();
    // Waits until a request with this payload (command, sub-command and
    // arguments, see sim::Request::payload) is among requests(); true when
    // it is, at once if it already was.
    bool waitForRequest(const QByteArray& payload, int timeoutMs);
    // Requests answered so far (by either controller).
    int answeredCount() const;

    // The line settings the tool has set now (termios of the slave side).
    int lineBaud() const;
    int lineStopBits() const;

    // Puts these bytes on the line now, after any reply under way.
    void sendFrame(const QByteArray& frameText);

    // Test hook: answer requests with this command pair with the given data,
    // framed as STX "FF" c3 c4 data, special code, checksum, ETX, instead of
    // the model's reply. Empty data removes the override.
    void setReplyData(char c3, char c4, const QByteArray& data);
    // Answer requests with this command pair with exactly these bytes (empty:
    // remove the override).
    void setReplyFrame(char c3, char c4, const QByteArray& rawText);
    void clearReplyOverrides();

    // What the main controller (or the door operator) answers to a request
    // frame, without sending anything; the request takes effect as if it had
    // come over the line. Empty when it would not answer. Faults of the line
    // do not apply.
    QByteArray answer(const QByteArray& requestFrame, bool door = false);
    // A request frame for a payload ("A50B"), with the configured special code.
    QByteArray requestFrame(const QByteArray& payload) const;

    // --- Faults of the line (see LinkFaults) ---------------------------
    void setLinkFaults(const LinkFaults& faults);
    LinkFaults linkFaults() const;
    void clearLinkFaults() { setLinkFaults({}); }
    void setSilent(bool on);
    void stopAfterRequests(int k);           // counted from now
    void stopAtFaultRecord(int record);
    void stopAtFloor(int floor);
    void stopAtParameter(int index);
    void dropEveryReply(int k);
    void corruptChecksum(bool on);
    void lowercaseChecksum(bool on);
    void splitReplies(int gapMs);
    void noiseBeforeStx(const QByteArray& noise);
    void sendOverlongFrames(bool on);
    void answerWrongCommand(bool on);
    void answerStatusLate(int ms);
    void reportInNextExchange(int faultCode);
    void deliverInChunks(int ms);
    void corruptBytes(double rate);
    // Limits the reply faults to replies of one command pair ("A5"; empty: all).
    void restrictFaultsTo(const QByteArray& commandPair);
    // Limits them further to replies about one parameter index (-1: any).
    void restrictFaultsToParameter(int index);
    // True once one of the stop-at faults has silenced the controllers.
    bool stoppedAnswering() const;

    // --- Elevator faults -------------------------------------------------
    // Records a fault now (and reports it unsolicited, when reports are on).
    void injectFault(int code);
    // Test hook: the main controller acknowledges 'F' '5' writes of this
    // parameter index as written but keeps the old value (-1: none).
    void ignoreWritesTo(int index);

    // --- Timing ---------------------------------------------------------
    void setResponseDelay(int ms);
    void setResetDelay(int ms);
    // Stops or restarts the elevator's own clock (the line keeps serving).
    void setPaused(bool paused);

    // Writes the state file now (also done after each change of a parameter).
    bool saveState();

private:
    // Bytes that go out one character time apart from `start` on.
    struct Pending
    {
        std::chrono::steady_clock::time_point start;
        std::chrono::nanoseconds characterTime;
        QByteArray bytes;
        qsizetype sent = 0;
    };
    struct Override
    {
        char c3, c4;
        QByteArray raw;
    };

    void run();
    void handleFrame(const QByteArray& frame);
    void schedule(const QByteArray& bytes, std::chrono::steady_clock::time_point earliest);
    // Time of the next byte due, or none.
    std::optional<std::chrono::steady_clock::time_point> flushDue();
    std::chrono::nanoseconds characterTime() const;
    void maybeSendReport(std::chrono::steady_clock::time_point now);
    void sendReplayedReports(std::chrono::steady_clock::time_point now);
    bool loadState();
    bool saveStateLocked();

    SimOptions options_;
    std::unique_ptr<PtyTransport> pty_;
    // The recording the live polls are answered from; the replay starts
    // with the first live poll.
    std::unique_ptr<Replay> replay_;
    std::optional<std::chrono::steady_clock::time_point> replayStart_;

    mutable std::mutex mutex_;            // models, options, faults, overrides, requests
    std::condition_variable requestArrived_;
    ElevatorModel elevator_;
    DoorModel door_;
    LinkFaults faults_;
    QList<Override> overrides_;
    QList<QByteArray> requests_;
    int answered_ = 0;
    int repliesBuilt_ = 0;
    bool stopped_ = false;
    bool paused_ = false;
    std::chrono::steady_clock::time_point busyUntil_{};
    std::chrono::steady_clock::time_point lastRequest_{};
    std::chrono::steady_clock::time_point lastReport_{};
    bool pollAnswered_ = false;

    QList<QByteArray> injected_;          // sendFrame(), taken over by the serving thread
    int accepted_ = 0;
    int acceptedAtStopSet_ = 0;
    int lastReportCode_ = 0;
    int ignoredWrite_ = -1;               // see ignoreWritesTo

    std::mt19937 wireNoise_;              // byteErrorRate; under the lock
    std::deque<Pending> outgoing_;        // serving thread only
    std::chrono::steady_clock::time_point nextChunk_{};
    std::chrono::steady_clock::time_point lineFreeAt_{};
    QByteArray assembly_;
    bool frameOpen_ = false;

    std::atomic<bool> stop_{false};
    int wakeRead_ = -1, wakeWrite_ = -1;
    std::thread thread_;
};
