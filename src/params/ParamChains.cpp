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

} // namespace

const ParamController kElevatorController{
    .fixedLayout = nullptr,
    .settleMs = 0,
    .readTries = {.tries = 2, .waitMs = 50, .wanted = 20},
    .shortestReply = 0,
    .skipUnusable = false,
    .rereadTries = {.tries = 2, .waitMs = 50, .wanted = 20},
    .importFlagIndex = 5,
};

const ParamController kDoorController{
    .fixedLayout = &kDoorLayout,
    .settleMs = 100,
    .readTries = {.tries = 1, .waitMs = 50, .wanted = 20},
    .shortestReply = 12,
    .skipUnusable = true,
    .rereadTries = {.tries = 2, .waitMs = 50, .wanted = 20, .beforeMs = 50},
    .importFlagIndex = 7,
};

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

    Tries tries = controller.readTries;
    if (pace.fast) {
        tries.waitMs = 0;
        tries.replyTimeoutMs = pace.replyTimeoutMs;
    }
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
    LinkBusyGuard busy;
    request::readParameter(index);
    if (!exchangeUntil(controller.rereadTries, accept::framed('A', '5')))
        return std::nullopt;
    return decodeParamReply(rxFrame, layout.oneByte(index)).value;
}

std::optional<RefusedRecord> writeRecords(const ParamController& controller, const QList<ParamRecord>& records,
                                          const std::function<void(int written)>& progress)
{
    LinkBusyGuard busy;
    int written = 0;
    for (const ParamRecord& record : records) {
        request::writeParameter(record.index, record.value);
        // Written only on its own confirmation: 'F' '5' with the flag.
        int got = 0;
        const bool confirmed = exchangeUntil(kImportWrite, [&controller, &got](int count) {
            got = count;
            return accept::flagged('F', '5', controller.importFlagIndex)(count);
        });
        if (!confirmed)
            return RefusedRecord{record.index, got > 0, got > 0 && replyIs('F', '5')};
        if (progress)
            progress(++written);
    }
    return std::nullopt;
}

bool resetParameters()
{
    LinkBusyGuard busy;
    request::resetParameters();
    return exchangeUntil(kResetCommand, accept::flagged('F', 'R', 6));
}

} // namespace params
