#include "ParamChains.h"

#include "FrameBuffer.h"
#include "LinkWait.h"
#include "ParamReply.h"
#include "Requests.h"

namespace params {

namespace {

// One try each, as the window has always made them.
constexpr Tries kImportWrite{.tries = 1, .waitMs = 50, .wanted = 20};
constexpr Tries kResetCommand{.tries = 1, .waitMs = 5000, .wanted = 40};
constexpr int kValueCharsIndex = 7;
// A wrong reply is followed by a pause, no reply by the next try at once.
constexpr Tries kValueCharsTries{
    .tries = 2, .waitMs = 100, .wanted = 20, .afterFailureMs = 100, .pauseAfterSilence = false};

// The tries of a fast exchange: no fixed wait, the reply taken as soon as
// its ETX arrives.
Tries fastened(Tries tries, int replyTimeoutMs)
{
    tries.waitMs = 0;
    tries.replyTimeoutMs = replyTimeoutMs;
    return tries;
}

} // namespace

const ParamController kElevatorController{
    .peer = Peer::MainController,
    .fixedLayout = nullptr,
    .settleMs = 0,
    .readTries = {.tries = 2, .waitMs = 50, .wanted = 20},
    .shortestReply = 0,
    .skipUnusable = false,
    .rereadTries = {.tries = 2, .waitMs = 50, .wanted = 20},
    .importFlagIndex = 5,
};

const ParamController kDoorController{
    .peer = Peer::DoorOperator,
    .fixedLayout = &kDoorLayout,
    .settleMs = 100,
    .readTries = {.tries = 1, .waitMs = 50, .wanted = 20},
    .shortestReply = 12,
    .skipUnusable = true,
    .rereadTries = {.tries = 2, .waitMs = 50, .wanted = 20, .beforeMs = 50},
    .importFlagIndex = 7,
};

std::optional<Peer> identifyPeer()
{
    // The reply is taken as soon as it is complete: the check costs a
    // command little more than the frames' own time.
    constexpr Tries kIdentifyTries{.tries = 2, .waitMs = 0, .wanted = 20, .replyTimeoutMs = 500};
    LinkBusyGuard busy;
    request::readParameter(0);
    if (!exchangeUntil(kIdentifyTries, accept::framed('A', '5')))
        return std::nullopt;
    return decodeParamReply(rxFrame, false).number == 0 ? Peer::DoorOperator : Peer::MainController;
}

std::optional<ParamLayout> readLayout(const ParamController& controller)
{
    if (controller.fixedLayout)
        return *controller.fixedLayout;
    LinkBusyGuard busy;
    const std::optional<bool> extended = probeExtendedLayout();
    if (!extended)
        return std::nullopt;
    return *extended ? kLayout173 : kLayout114;
}

ReadAllResult readAllParameters(const ParamController& controller, const ReadAllObserver& observer,
                                const ReadPace& pace)
{
    ReadAllResult result;
    LinkBusyGuard busy;
    exchangeWait(controller.settleMs);
    const std::optional<ParamLayout> layout = readLayout(controller);
    if (!layout) {
        result.end = ReadAllEnd::NoProbeReply;
        return result;
    }
    result.layout = *layout;
    if (observer.layoutKnown)
        observer.layoutKnown(*layout);

    const Tries tries = pace.fast ? fastened(controller.readTries, pace.replyTimeoutMs) : controller.readTries;
    for (int i = 0; i < layout->count; ++i) {
        if (pace.fast && i > 0)
            exchangeWait(pace.gapMs);
        request::readParameter(i);
        int got = 0;
        const bool usable = exchangeUntil(tries, [&controller, &got](int count) {
            got = count;
            return accept::framed('A', '5')(count) && rxFrame.length() >= controller.shortestReply;
        });
        if (usable) {
            const ParamReading reading = decodeParamReply(rxFrame, layout->oneByte(i));
            if (observer.row)
                observer.row({i, reading.number, reading.value, parameterDescription(layout->table, i).value_or(QString())});
        } else if (!controller.skipUnusable || got == 0) {
            result.end = ReadAllEnd::Failed;
            result.failedIndex = i;
            return result;
        }
        if (observer.keepGoing && !observer.keepGoing()) {
            result.end = i + 1 < layout->count ? ReadAllEnd::Stopped : ReadAllEnd::Complete;
            return result;
        }
    }
    return result;
}

bool writeParameter(int index, unsigned value, const Tries& tries)
{
    LinkBusyGuard busy;
    request::writeParameter(index, value);
    return exchangeUntil(tries, accept::flagged('F', '5', 5));
}

bool writeParameterChars(int index, const char* four)
{
    LinkBusyGuard busy;
    request::writeParameterChars(index, four);
    return exchangeUntil(kEditWriteTries, accept::flagged('F', '5', 5));
}

std::optional<std::array<char, 5>> valueCharsOfReply()
{
    if (!replyIs('A', '5') || rxFrame.length() < kValueCharsIndex + 4)
        return std::nullopt;
    std::array<char, 5> chars{};
    for (int k = 0; k < 4; ++k)
        chars[size_t(k)] = rxFrame.at(kValueCharsIndex + k);
    return chars;
}

ValueChars readValueChars(int index)
{
    ValueChars result;
    LinkBusyGuard busy;
    request::readParameter(index);
    exchangeUntil(kValueCharsTries, [&result](int count) {
        const std::optional<std::array<char, 5>> chars = count > 0 ? valueCharsOfReply() : std::nullopt;
        if (!chars) {
            result.end = count > 0 ? ValueChars::End::WrongReply : ValueChars::End::NoReply;
            return false;
        }
        result.end = ValueChars::End::Read;
        std::copy(chars->begin(), chars->end(), result.chars);
        return true;
    });
    return result;
}

std::optional<unsigned> readParameterBack(const ParamController& controller, const ParamLayout& layout, int index)
{
    const std::optional<ParamRow> row = readParameterRow(controller, layout, index);
    return row ? std::optional<unsigned>(row->value) : std::nullopt;
}

std::optional<ParamRow> readParameterRow(const ParamController& controller, const ParamLayout& layout, int index,
                                         bool fast)
{
    LinkBusyGuard busy;
    request::readParameter(index);
    const Tries tries = fast ? fastened(controller.rereadTries, ReadPace{}.replyTimeoutMs) : controller.rereadTries;
    if (!exchangeUntil(tries, accept::framed('A', '5')))
        return std::nullopt;
    const ParamReading reading = decodeParamReply(rxFrame, layout.oneByte(index));
    return ParamRow{index, reading.number, reading.value, parameterDescription(layout.table, index).value_or(QString())};
}

namespace {

// One record sent once; the reply judged by its own whole 'F' '5' frame.
struct RecordReply
{
    WriteOutcome outcome = WriteOutcome::Unconfirmed;
    bool answered = false;  // anything came at all
};

RecordReply sendRecord(const ParamController& controller, const ParamRecord& record, bool fast)
{
    constexpr int kFastTimeoutMs = 300;
    request::writeParameter(record.index, record.value);
    const int got = fast ? transactAsItComes(0, kImportWrite.wanted, kFastTimeoutMs)
                         : transact(kImportWrite.waitMs, kImportWrite.wanted);
    if (got == 0 || !replyIs('F', '5'))
        return {WriteOutcome::Unconfirmed, got > 0};
    return {rxFrame.at(controller.importFlagIndex) == 'F' ? WriteOutcome::Confirmed : WriteOutcome::Refused, true};
}

} // namespace

std::optional<RefusedRecord> writeRecords(const ParamController& controller, const QList<ParamRecord>& records,
                                          const std::function<void(int written)>& progress)
{
    LinkBusyGuard busy;
    int written = 0;
    for (const ParamRecord& record : records) {
        const RecordReply reply = sendRecord(controller, record, false);
        if (reply.outcome != WriteOutcome::Confirmed)
            return RefusedRecord{record.index, reply.answered, reply.outcome == WriteOutcome::Refused};
        if (progress)
            progress(++written);
    }
    return std::nullopt;
}

WriteOutcome writeRecord(const ParamController& controller, const ParamRecord& record, int retries, bool fast)
{
    LinkBusyGuard busy;
    WriteOutcome outcome = WriteOutcome::Unconfirmed;
    for (int attempt = 0; attempt <= retries && outcome == WriteOutcome::Unconfirmed; ++attempt)
        outcome = sendRecord(controller, record, fast).outcome;
    return outcome;
}

bool resetParameters()
{
    LinkBusyGuard busy;
    request::resetParameters();
    return exchangeUntil(kResetCommand, accept::flagged('F', 'R', 6));
}

} // namespace params
