#include "SimController.h"

#include "FrameBuffer.h"
#include "PtyTransport.h"
#include "Replay.h"
#include "SimProtocol.h"
#include "StateFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr auto kTick = 20ms;
// A fault report waits for a line the tool is not reading synchronously:
// right after the reply to a live poll, or after this much silence.
constexpr auto kQuietBeforeReport = 250ms;
constexpr int kOverlongPadding = 1100;
// A long demonstration run polls ten times a second: the record of requests
// keeps the latest ones only.
constexpr qsizetype kRequestsKept = 50000;
// A process that was stopped for a while does not make up for the time.
constexpr double kLongestStepMs = 1000;

bool isLivePoll(char c3, char c4)
{
    return c3 == 'A' && (c4 == '0' || c4 == '3' || c4 == '4' || c4 == '8');
}

// Replaces the checksum of a frame with the right one for its content.
QByteArray refreshChecksum(QByteArray frame)
{
    const qsizetype len = frame.size();
    if (len < 4)
        return frame;
    const QByteArray sum = sim::checksumOf(frame.mid(1, len - 4));
    frame[len - 3] = sum[0];
    frame[len - 2] = sum[1];
    return frame;
}

} // namespace

namespace {

// The recording of a replay, read before anything else starts.
std::unique_ptr<Replay> replayOf(SimOptions& options)
{
    if (options.replayFile.isEmpty())
        return nullptr;
    auto replay = std::make_unique<Replay>(Replay::load(options.replayFile));
    // The controller of the recording: its layout, no faults of its own.
    if (replay->header().layout == recorder::Layout::Long)
        options.model = SimModel::Modern;
    else if (replay->header().layout == recorder::Layout::Short)
        options.model = SimModel::Legacy;
    options.faultReports = false;
    options.faultEverySeconds = 0;
    return replay;
}

} // namespace

SimController::SimController(SimOptions options)
    : options_(std::move(options)), pty_(std::make_unique<PtyTransport>()), replay_(replayOf(options_)),
      elevator_(options_.model, options_.faultHistory, options_.seed), wireNoise_(options_.seed)
{
    // The status page lists as many floors as the recording's.
    if (replay_ && replay_->header().floors >= 2)
        elevator_.setParameter(11, unsigned(std::min(replay_->header().floors, 48)));
    for (SimMode mode : options_.startModes)
        elevator_.setMode(mode, true);
    elevator_.setFaultReports(options_.faultReports);
    elevator_.setFaultEverySeconds(options_.faultEverySeconds);
    faults_ = options_.linkFaults;
    if (!options_.stateFile.isEmpty())
        statefile::load(options_.stateFile, elevator_, door_);
    int pipeFds[2];
    if (::pipe(pipeFds) == 0) {
        wakeRead_ = pipeFds[0];
        wakeWrite_ = pipeFds[1];
        fcntl(wakeRead_, F_SETFL, O_NONBLOCK);
        fcntl(wakeWrite_, F_SETFL, O_NONBLOCK);
        fcntl(wakeRead_, F_SETFD, FD_CLOEXEC);
        fcntl(wakeWrite_, F_SETFD, FD_CLOEXEC);
    }
    thread_ = std::thread([this] { run(); });
}

SimController::~SimController()
{
    stop_ = true;
    if (wakeWrite_ >= 0) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &byte, 1);
    }
    thread_.join();
    removeLink();
    if (wakeRead_ >= 0)
        ::close(wakeRead_);
    if (wakeWrite_ >= 0)
        ::close(wakeWrite_);
}

QString SimController::devicePath() const
{
    return pty_->devicePath();
}

QString SimController::linkAs(int comNumber)
{
    std::lock_guard lock(mutex_);
    return pty_->placeLink(comNumber);
}

QString SimController::linkPath() const
{
    std::lock_guard lock(mutex_);
    return pty_->linkPath();
}

void SimController::removeLink()
{
    std::lock_guard lock(mutex_);
    pty_->removeLink();
}

QList<QByteArray> SimController::requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void SimController::clearRequests()
{
    std::lock_guard lock(mutex_);
    requests_.clear();
}

bool SimController::waitForRequest(const QByteArray& payload, int timeoutMs)
{
    std::unique_lock lock(mutex_);
    const auto seen = [this, &payload] {
        return std::any_of(requests_.cbegin(), requests_.cend(), [&payload](const QByteArray& frame) {
            // The payload of any well-formed frame, whatever its checksum or code.
            const qsizetype len = frame.size();
            if (len < 9)
                return false;
            const bool wordFlag = frame[3] == 'F' && frame[4] == 'D';
            return frame.mid(3, len - 7 + (wordFlag ? 1 : 0)) == payload;
        });
    };
    return requestArrived_.wait_for(lock, std::chrono::milliseconds(timeoutMs), seen);
}

int SimController::answeredCount() const
{
    std::lock_guard lock(mutex_);
    return answered_;
}

int SimController::lineBaud() const
{
    return pty_->baudRate();
}

int SimController::lineStopBits() const
{
    return pty_->stopBits();
}

void SimController::sendFrame(const QByteArray& frameText)
{
    {
        std::lock_guard lock(mutex_);
        injected_.append(frameText);
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &byte, 1);
}

QByteArray SimController::answer(const QByteArray& requestFrame, bool door)
{
    std::lock_guard lock(mutex_);
    const std::optional<sim::Request> request = sim::parseRequest(requestFrame, options_.specialCode);
    if (!request)
        return {};
    const sim::Outcome outcome = door ? sim::answerDoor(door_, *request, options_.specialCode)
                                      : sim::answerElevator(elevator_, *request, options_.specialCode);
    if (outcome.parametersChanged)
        saveStateLocked();
    return outcome.reply;
}

QByteArray SimController::requestFrame(const QByteArray& payload) const
{
    const bool wordFlag = payload.startsWith("FD") && payload.size() > 2;
    QByteArray body = "FF" + (wordFlag ? payload : payload + options_.specialCode);
    return QByteArray(1, STX) + body + sim::checksumOf(body) + ETX;
}

void SimController::setReplyData(char c3, char c4, const QByteArray& data)
{
    setReplyFrame(c3, c4, data.isEmpty() ? QByteArray() : sim::buildReply(c3, c4, data, options_.specialCode));
}

void SimController::setReplyFrame(char c3, char c4, const QByteArray& rawText)
{
    std::lock_guard lock(mutex_);
    overrides_.removeIf([c3, c4](const Override& o) { return o.c3 == c3 && o.c4 == c4; });
    if (!rawText.isEmpty())
        overrides_.append({c3, c4, rawText});
}

void SimController::clearReplyOverrides()
{
    std::lock_guard lock(mutex_);
    overrides_.clear();
}

void SimController::setLinkFaults(const LinkFaults& faults)
{
    std::lock_guard lock(mutex_);
    faults_ = faults;
    stopped_ = false;
    acceptedAtStopSet_ = accepted_;
    repliesBuilt_ = 0;
}

LinkFaults SimController::linkFaults() const
{
    std::lock_guard lock(mutex_);
    return faults_;
}

#define SIM_FAULT_SETTER(name, type, field)      \
    void SimController::name(type value)        \
    {                                            \
        LinkFaults f = linkFaults();             \
        f.field = value;                         \
        setLinkFaults(f);                        \
    }
SIM_FAULT_SETTER(setSilent, bool, silent)
SIM_FAULT_SETTER(stopAfterRequests, int, stopAfterRequests)
SIM_FAULT_SETTER(stopAtFaultRecord, int, stopAtFaultRecord)
SIM_FAULT_SETTER(stopAtFloor, int, stopAtFloor)
SIM_FAULT_SETTER(stopAtParameter, int, stopAtParameter)
SIM_FAULT_SETTER(dropEveryReply, int, dropEvery)
SIM_FAULT_SETTER(corruptChecksum, bool, badChecksum)
SIM_FAULT_SETTER(lowercaseChecksum, bool, lowercaseChecksum)
SIM_FAULT_SETTER(splitReplies, int, splitGapMs)
SIM_FAULT_SETTER(noiseBeforeStx, const QByteArray&, noise)
SIM_FAULT_SETTER(sendOverlongFrames, bool, overlong)
SIM_FAULT_SETTER(answerWrongCommand, bool, wrongCommand)
SIM_FAULT_SETTER(restrictFaultsTo, const QByteArray&, onlyCommand)
SIM_FAULT_SETTER(restrictFaultsToParameter, int, onlyParameter)
SIM_FAULT_SETTER(answerStatusLate, int, lateStatusMs)
SIM_FAULT_SETTER(reportInNextExchange, int, reportInExchange)
SIM_FAULT_SETTER(deliverInChunks, int, chunkMs)
SIM_FAULT_SETTER(corruptBytes, double, byteErrorRate)
#undef SIM_FAULT_SETTER

bool SimController::stoppedAnswering() const
{
    std::lock_guard lock(mutex_);
    return stopped_;
}

void SimController::injectFault(int code)
{
    std::lock_guard lock(mutex_);
    elevator_.injectFault(code);
    lastReportCode_ = 0;  // a new fault is reported at the next chance
}

void SimController::ignoreWritesTo(int index)
{
    std::lock_guard lock(mutex_);
    ignoredWrite_ = index;
}

void SimController::setResponseDelay(int ms)
{
    std::lock_guard lock(mutex_);
    options_.responseDelayMs = std::max(0, ms);
}

void SimController::setResetDelay(int ms)
{
    std::lock_guard lock(mutex_);
    options_.resetDelayMs = std::max(0, ms);
}

void SimController::setPaused(bool paused)
{
    std::lock_guard lock(mutex_);
    paused_ = paused;
}

bool SimController::saveState()
{
    std::lock_guard lock(mutex_);
    return saveStateLocked();
}

bool SimController::saveStateLocked()
{
    if (options_.stateFile.isEmpty())
        return false;
    return statefile::save(options_.stateFile, elevator_, door_);
}

std::chrono::nanoseconds SimController::characterTime() const
{
    const int baud = std::max(1, pty_->baudRate() ? pty_->baudRate() : options_.elevatorBaud);
    const int bits = 1 + 8 + pty_->stopBits();
    return std::chrono::nanoseconds(std::int64_t(bits) * 1'000'000'000 / baud);
}

void SimController::schedule(const QByteArray& bytes, Clock::time_point earliest)
{
    if (bytes.isEmpty())
        return;
    Pending p;
    p.start = std::max(earliest, lineFreeAt_);
    p.characterTime = characterTime();
    p.bytes = bytes;
    {
        std::lock_guard lock(mutex_);
        if (faults_.byteErrorRate > 0) {
            std::bernoulli_distribution hit(faults_.byteErrorRate);
            std::uniform_int_distribution<int> flip(1, 255);
            for (char& c : p.bytes) {
                if (hit(wireNoise_))
                    c = char(c ^ flip(wireNoise_));
            }
        }
    }
    lineFreeAt_ = p.start + p.characterTime * bytes.size();
    // Parts due later than what is queued (a delayed reset reply) keep their order by start time.
    auto at = std::upper_bound(outgoing_.begin(), outgoing_.end(), p.start,
                               [](Clock::time_point t, const Pending& q) { return t < q.start; });
    outgoing_.insert(at, std::move(p));
}

std::optional<Clock::time_point> SimController::flushDue()
{
    const auto now = Clock::now();
    const int chunkMs = linkFaults().chunkMs;
    // An adapter's latency timer: what is due waits for the next chunk.
    if (chunkMs > 0 && !outgoing_.empty()) {
        if (now < nextChunk_)
            return nextChunk_;
        nextChunk_ = now + std::chrono::milliseconds(chunkMs);
    }
    while (!outgoing_.empty()) {
        Pending& p = outgoing_.front();
        if (now < p.start)
            return p.start;
        const qsizetype due = std::min<qsizetype>(p.bytes.size(), (now - p.start) / p.characterTime + 1);
        if (due > p.sent) {
            pty_->write(p.bytes.mid(p.sent, due - p.sent));
            p.sent = due;
        }
        if (p.sent < p.bytes.size())
            return std::max<Clock::time_point>(p.start + p.characterTime * p.sent,
                                               chunkMs > 0 ? nextChunk_ : Clock::time_point{});
        outgoing_.pop_front();
    }
    return std::nullopt;
}

void SimController::handleFrame(const QByteArray& frame)
{
    QList<std::pair<QByteArray, Clock::time_point>> parts;
    {
        std::lock_guard lock(mutex_);
        requests_.append(frame);
        if (requests_.size() > kRequestsKept)
            requests_.remove(0, requests_.size() - kRequestsKept);
        requestArrived_.notify_all();
        const auto now = Clock::now();
        lastRequest_ = now;
        pollAnswered_ = false;
        if (now < busyUntil_)
            return;  // resetting its parameters
        const int baud = pty_->baudRate();
        const int stopBits = pty_->stopBits();
        const bool elevator = baud == options_.elevatorBaud && stopBits == options_.elevatorStopBits;
        const bool door = !elevator && baud == options_.doorBaud && stopBits == options_.doorStopBits;
        if (!elevator && !door)
            return;
        const std::optional<sim::Request> request = sim::parseRequest(frame, options_.specialCode);
        if (!request)
            return;
        ++accepted_;
        if (faults_.silent || stopped_)
            return;
        const bool recordStop = elevator && faults_.stopAtFaultRecord >= 0 &&
                                sim::faultRecordOf(*request) == faults_.stopAtFaultRecord;
        const bool floorStop = elevator && faults_.stopAtFloor >= 0 && sim::floorOf(*request) == faults_.stopAtFloor;
        const bool parameterStop =
            faults_.stopAtParameter >= 0 && sim::parameterOf(*request) == faults_.stopAtParameter;
        const bool countStop =
            faults_.stopAfterRequests > 0 && accepted_ - acceptedAtStopSet_ > faults_.stopAfterRequests;
        if (recordStop || floorStop || parameterStop || countStop) {
            stopped_ = true;
            return;
        }

        sim::Outcome outcome;
        const bool replayed = replay_ && elevator && Replay::isLivePoll(request->command, request->subCommand);
        if (replayed && !replayStart_)
            replayStart_ = now;
        const auto override = std::find_if(overrides_.cbegin(), overrides_.cend(), [&request](const Override& o) {
            return o.c3 == request->command && o.c4 == request->subCommand;
        });
        const bool ignoredWrite = elevator && ignoredWrite_ >= 0 && request->command == 'F' &&
                                  request->subCommand == '5' && sim::parameterOf(*request) == ignoredWrite_;
        if (override != overrides_.cend())
            outcome.reply = override->raw;
        else if (replayed)
            outcome.reply = replay_->reply(request->subCommand,
                                           std::chrono::duration_cast<std::chrono::milliseconds>(now - *replayStart_).count());
        else if (ignoredWrite)
            outcome.reply = sim::buildReply('F', '5', "FFF");
        else if (elevator)
            outcome = sim::answerElevator(elevator_, *request, options_.specialCode);
        else
            outcome = sim::answerDoor(door_, *request, options_.specialCode);
        if (outcome.parametersChanged)
            saveStateLocked();
        if (outcome.reply.isEmpty())
            return;

        const bool faulty = (faults_.onlyCommand.isEmpty() ||
                             (faults_.onlyCommand.size() == 2 && faults_.onlyCommand[0] == request->command &&
                              faults_.onlyCommand[1] == request->subCommand)) &&
                            (faults_.onlyParameter < 0 || sim::parameterOf(*request) == faults_.onlyParameter);
        ++answered_;
        if (faulty && faults_.dropEvery > 0 && ++repliesBuilt_ % faults_.dropEvery == 0)
            return;

        QByteArray reply = outcome.reply;
        if (faulty && reply.size() >= 8) {
            if (faults_.wrongCommand) {
                const char c4 = reply[4];
                reply[4] = c4 >= '0' && c4 <= '8' ? char(c4 + 1) : c4 == '9' ? '0' : c4 == 'Z' ? 'Y' : char(c4 + 1);
                reply = refreshChecksum(reply);
            }
            if (faults_.overlong) {
                reply.insert(reply.size() - 3, QByteArray(kOverlongPadding, '0'));
                reply = refreshChecksum(reply);
            }
            const qsizetype ck = reply.size() - 3;
            if (faults_.badChecksum) {
                const char d = reply[ck + 1];
                reply[ck + 1] = d == '9' ? 'A' : d == 'F' ? '0' : char(d + 1);
            }
            if (faults_.lowercaseChecksum) {
                reply[ck] = char(std::tolower(static_cast<unsigned char>(reply[ck])));
                reply[ck + 1] = char(std::tolower(static_cast<unsigned char>(reply[ck + 1])));
            }
            if (!faults_.noise.isEmpty())
                reply.prepend(faults_.noise);
        }
        // The request's own characters took their time on a real wire; the
        // pseudo-terminal delivered them at once.
        const auto requestOnWire = characterTime() * frame.size();
        auto earliest = now + requestOnWire + std::chrono::milliseconds(options_.responseDelayMs);
        const bool livePoll = isLivePoll(request->command, request->subCommand);
        if (livePoll)
            earliest += std::chrono::milliseconds(faults_.lateStatusMs);
        // A fault that happens while the tool waits for a reply: its report
        // goes out between the request and the reply.
        if (faults_.reportInExchange > 0 && elevator && !livePoll) {
            elevator_.injectFault(faults_.reportInExchange);
            lastReportCode_ = faults_.reportInExchange;
            lastReport_ = now;
            parts.append({sim::buildFaultReport(faults_.reportInExchange, options_.specialCode), earliest});
            faults_.reportInExchange = 0;
        }
        if (outcome.delayed) {
            earliest = now + std::chrono::milliseconds(options_.resetDelayMs);
            busyUntil_ = earliest;
        }
        if (faulty && faults_.splitGapMs > 0 && reply.size() > 1) {
            const qsizetype half = reply.size() / 2;
            parts.append({reply.left(half), earliest});
            parts.append({reply.mid(half), Clock::time_point{}});
        } else {
            parts.append({reply, earliest});
        }
        pollAnswered_ = elevator && isLivePoll(request->command, request->subCommand);
    }
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (parts[i].second != Clock::time_point{}) {
            schedule(parts[i].first, parts[i].second);
        } else {
            const auto gap = std::chrono::milliseconds(linkFaults().splitGapMs);
            schedule(parts[i].first, lineFreeAt_ + gap);
        }
    }
}

void SimController::maybeSendReport(Clock::time_point now)
{
    QByteArray report;
    {
        std::lock_guard lock(mutex_);
        const int code = elevator_.pendingReport();
        if (code == 0) {
            lastReportCode_ = 0;
            return;
        }
        if (faults_.silent || stopped_ || !outgoing_.empty() || now < lineFreeAt_ || now < busyUntil_)
            return;
        if (pty_->baudRate() != options_.elevatorBaud || pty_->stopBits() != options_.elevatorStopBits)
            return;
        const bool due = code != lastReportCode_ || now - lastReport_ >= std::chrono::milliseconds(options_.reportRepeatMs);
        if (!due || !(pollAnswered_ || now - lastRequest_ >= kQuietBeforeReport))
            return;
        lastReportCode_ = code;
        lastReport_ = now;
        pollAnswered_ = false;
        report = sim::buildFaultReport(code, options_.specialCode);
    }
    schedule(report, now);
}

void SimController::sendReplayedReports(Clock::time_point now)
{
    QList<QByteArray> reports;
    {
        std::lock_guard lock(mutex_);
        if (!replay_ || !replayStart_ || faults_.silent || stopped_)
            return;
        reports = replay_->takeReportsDue(std::chrono::duration_cast<std::chrono::milliseconds>(now - *replayStart_).count());
    }
    for (const QByteArray& report : reports)
        schedule(report, now);
}

void SimController::run()
{
    auto lastTick = Clock::now();
    double carry = 0;  // elevator milliseconds not yet run
    const int master = pty_->masterFd();
    while (!stop_) {
        auto wake = Clock::now() + kTick;
        if (const auto next = flushDue())
            wake = std::min(wake, *next);
        const auto wait = std::max<Clock::duration>(Clock::duration::zero(), wake - Clock::now());
        const timespec timeout{time_t(std::chrono::duration_cast<std::chrono::seconds>(wait).count()),
                               long((wait % 1s) / 1ns)};
        pollfd fds[2] = {{master, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        const int ready = ::ppoll(fds, wakeRead_ >= 0 ? 2 : 1, &timeout, nullptr);
        if (stop_)
            break;
        if (ready > 0 && (fds[1].revents & POLLIN)) {
            char drain[64];
            while (::read(wakeRead_, drain, sizeof drain) > 0) {
            }
            QList<QByteArray> frames;
            {
                std::lock_guard lock(mutex_);
                frames.swap(injected_);
            }
            for (const QByteArray& f : frames)
                schedule(f, Clock::now());
        }
        if (ready > 0 && (fds[0].revents & POLLIN)) {
            const QByteArray bytes = pty_->readAvailable();
            for (char c : bytes) {
                if (c == STX) {
                    assembly_ = QByteArray(1, STX);
                    frameOpen_ = true;
                } else if (frameOpen_) {
                    assembly_.append(c);
                    if (c == ETX) {
                        frameOpen_ = false;
                        handleFrame(assembly_);
                    } else if (assembly_.size() > FrameBuffer::kSize) {
                        frameOpen_ = false;  // no request is this long: wait for the next STX
                    }
                }
            }
        } else if (ready > 0 && (fds[0].revents & (POLLHUP | POLLERR))) {
            // Cannot happen while the slave handle is held; do not spin if it does.
            std::this_thread::sleep_for(kTick);
        }

        const auto now = Clock::now();
        const double elapsedMs = std::chrono::duration<double, std::milli>(now - lastTick).count();
        lastTick = now;
        {
            std::lock_guard lock(mutex_);
            if (!paused_ && !options_.manualTime) {
                carry += std::min(elapsedMs, kLongestStepMs) * options_.timeScale;
                const auto whole = std::int64_t(carry);
                if (whole > 0) {
                    elevator_.advance(whole);
                    carry -= double(whole);
                }
            }
        }
        maybeSendReport(now);
        sendReplayedReports(now);
    }
}
