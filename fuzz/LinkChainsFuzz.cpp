// The exchanges themselves: the parameter read-all with its layout probe,
// the writes of one value, of a parameter set file and of the reset, and
// the read-back, each run through the real serial channel and its reply
// read on a port that answers each request from the input, at a delay of
// the input's choosing (so that replies come late, behind others, cut or
// mixed with fault reports), on a clock of its own that no wait sleeps
// through. Checked: no write is taken as confirmed unless its confirming
// frame came, and no layout or value comes from outside the frame that
// answers its request.

#include "Exchange.h"
#include "FrameBuffer.h"
#include "FuzzInput.h"
#include "LinkPort.h"
#include "LinkWait.h"
#include "ParamChains.h"
#include "ParamReply.h"
#include "SerialChannel.h"

#include <QByteArray>
#include <QList>

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

namespace {

// A request written and every byte the channel took off the port after it.
struct Exchanged
{
    QByteArray request;
    QByteArray delivered;
};

// Answers the n-th request written with the n-th reply of the script, the
// reply's bytes arriving at once after its delay; waits move its clock.
class ScriptedPort : public LinkPort
{
public:
    struct Reply
    {
        int delayMs;
        QByteArray bytes;
    };

    explicit ScriptedPort(QList<Reply> script) : script_(std::move(script)) {}

    const std::vector<Exchanged>& log() const { return log_; }

    bool isOpen() const override { return open_; }
    void close() override { open_ = false; }
    qint64 bytesAvailable() const override
    {
        settle();
        return arrived_.size();
    }
    qint64 read(char* data, qint64 maxSize) override
    {
        settle();
        const qint64 n = std::min<qint64>(maxSize, arrived_.size());
        std::copy_n(arrived_.constData(), n, data);
        if (!log_.empty())
            log_.back().delivered.append(arrived_.constData(), n);
        arrived_.remove(0, n);
        return n;
    }
    qint64 write(const char* data, qint64 count) override
    {
        log_.push_back({QByteArray(data, count), {}});
        if (next_ < script_.size()) {
            const Reply& reply = script_[next_++];
            coming_.push_back({now_ + reply.delayMs, reply.bytes});
            std::stable_sort(coming_.begin(), coming_.end(),
                             [](const Arrival& a, const Arrival& b) { return a.at < b.at; });
        }
        return count;
    }
    void flush() override {}
    void clearInput() override
    {
        settle();
        arrived_.clear();
    }
    void clearError() override {}
    QString errorString() const override { return {}; }
    bool writePending() const override { return false; }
    void askLine() override {}
    LineSettings lineSettings() const override { return {9600, 'N', 8, 1}; }
    qint64 now() const override { return now_; }
    void sleep(int ms) override { now_ += std::max(ms, 0); }
    void waitForInput(int ms) override
    {
        const qint64 until = now_ + std::max(ms, 0);
        now_ = coming_.empty() ? until : std::clamp(coming_.front().at, now_, until);
    }

private:
    struct Arrival
    {
        qint64 at;
        QByteArray bytes;
    };

    void settle() const
    {
        while (!coming_.empty() && coming_.front().at <= now_) {
            arrived_ += coming_.front().bytes;
            coming_.pop_front();
        }
    }

    QList<Reply> script_;
    qsizetype next_ = 0;
    mutable std::deque<Arrival> coming_;
    mutable QByteArray arrived_;
    mutable std::vector<Exchanged> log_;
    qint64 now_ = 0;
    bool open_ = true;
};

// The complete frames among bytes: from the last STX before each ETX.
QList<QByteArray> framesAmong(const QByteArray& bytes)
{
    QList<QByteArray> frames;
    qsizetype start = -1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == STX)
            start = i;
        else if (bytes[i] == ETX && start >= 0) {
            frames.append(bytes.mid(start, i - start + 1));
            start = -1;
        }
    }
    return frames;
}

// The first complete frame with this command pair.
std::optional<QByteArray> answerAmong(const QByteArray& bytes, char command, char subCommand)
{
    for (const QByteArray& frame : framesAmong(bytes)) {
        if (frame.size() > 4 && frame[3] == command && frame[4] == subCommand)
            return frame;
    }
    return std::nullopt;
}

bool confirmedAmong(const QByteArray& bytes, char command, char subCommand, int flagIndex)
{
    const std::optional<QByteArray> frame = answerAmong(bytes, command, subCommand);
    return frame && frame->size() > flagIndex && frame->at(flagIndex) == 'F';
}

// The script: each reply is a delay byte (2 ms a step), a length byte and
// that many bytes (as many as are left when the input ends first).
QList<ScriptedPort::Reply> scriptOf(const std::uint8_t* data, std::size_t size)
{
    QList<ScriptedPort::Reply> script;
    std::size_t at = 0;
    while (at + 2 <= size) {
        const int delayMs = data[at] * 2;
        const std::size_t length = std::min<std::size_t>(data[at + 1], size - at - 2);
        script.append({delayMs, QByteArray(reinterpret_cast<const char*>(data + at + 2), qsizetype(length))});
        at += 2 + length;
    }
    return script;
}

// The value of a read's answering frame, as the parameter pages decode it.
ParamReading readingOf(const QByteArray& frame, bool oneByte)
{
    FrameBuffer buffer;
    buffer.assign(frame.constData());
    return decodeParamReply(buffer, oneByte);
}

void checkRow(const ScriptedPort& port, const ParamLayout& layout, const params::ParamRow& row)
{
    const Exchanged& last = port.log().back();
    fuzz::check(last.request.mid(3, 4) == QByteArray("A5") + QByteArray::number(row.index, 16).toUpper().rightJustified(2, '0'),
                "a row comes from the read of its own parameter");
    const std::optional<QByteArray> frame = answerAmong(last.delivered, 'A', '5');
    fuzz::check(frame.has_value(), "a row comes from an answering frame");
    const ParamReading reading = readingOf(*frame, layout.oneByte(row.index));
    fuzz::check(reading.number == row.number && reading.value == row.value,
                "a row's number and value are its answering frame's");
}

void checkLayout(const ScriptedPort& port, const ParamLayout& layout)
{
    const Exchanged& probe = port.log().back();
    const std::optional<QByteArray> frame = answerAmong(probe.delivered, 'A', '1');
    fuzz::check(frame.has_value(), "the layout comes from an answering frame");
    fuzz::check((frame->size() >= 23) == (layout.count == kLayout173.count),
                "the layout is told by the answering frame's own length");
}

void readAll(ScriptedPort& port, const params::ParamController& controller, bool fast)
{
    ParamLayout known = kLayout173;
    params::ReadAllObserver observer;
    observer.layoutKnown = [&](const ParamLayout& layout) {
        known = layout;
        if (!controller.fixedLayout)
            checkLayout(port, layout);
    };
    observer.row = [&](const params::ParamRow& row) { checkRow(port, known, row); };
    params::readAllParameters(controller, observer, params::ReadPace{.fast = fast});
}

void run(ScriptedPort& port, std::uint8_t chain, std::uint8_t argument)
{
    const params::ParamController& controller =
        argument & 1 ? params::kDoorController : params::kElevatorController;
    switch (chain % 6) {
    case 0:
        readAll(port, controller, false);
        break;
    case 1:
        readAll(port, controller, true);
        break;
    case 2:
        if (params::writeParameter(argument, 0x1234u * argument))
            fuzz::check(confirmedAmong(port.log().back().delivered, 'F', '5', 5), "a write is confirmed by its frame");
        break;
    case 3: {
        QList<ParamRecord> records;
        for (int i = 0; i < argument % 8 + 1; ++i)
            records.append({std::uint8_t(i), 0, std::uint16_t(i * 7)});
        int written = 0;
        params::writeRecords(controller, records, [&written](int n) { written = n; });
        for (int i = 0; i < written; ++i)
            fuzz::check(confirmedAmong(port.log()[size_t(i)].delivered, 'F', '5', controller.importFlagIndex),
                        "a record is written only on its confirmation");
        break;
    }
    case 4:
        if (params::resetParameters())
            fuzz::check(confirmedAmong(port.log().back().delivered, 'F', 'R', 6), "a reset is confirmed by its frame");
        break;
    default: {
        const ParamLayout& layout = argument & 2 ? kLayout114 : kLayout173;
        const int index = argument % layout.count;
        if (const std::optional<unsigned> value = params::readParameterBack(controller, layout, index)) {
            const std::optional<QByteArray> frame = answerAmong(port.log().back().delivered, 'A', '5');
            fuzz::check(frame && readingOf(*frame, layout.oneByte(index)).value == *value,
                        "a value read back is its answering frame's");
        }
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    specialCode = 'E';
    auto owned = std::make_unique<ScriptedPort>(scriptOf(data + 2, size - 2));
    ScriptedPort& port = *owned;
    serialChannel.openPort(nullptr, std::move(owned), 1, SerialChannel::kEventMask);
    run(port, data[0], data[1]);
    serialChannel.close();
    serialChannel.linkBusy = 0;
    return 0;
}
