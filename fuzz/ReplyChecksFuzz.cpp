// Every check by which an exchange judges its reply (the tries' acceptance,
// the command and flag checks, the fault-report routing and the bit-mask
// dialog's pick-up of the four value characters), each run on a clean
// buffer and behind earlier frames of characters that the checks look for:
// nothing behind the reply's end may change a decision or a value.

#include "Exchange.h"
#include "FaultReport.h"
#include "FrameBuffer.h"
#include "FuzzInput.h"
#include "ParamChains.h"

#include <QString>

#include <array>
#include <optional>
#include <string>

namespace {

struct Decisions
{
    std::string verdicts;
    QString faultMessage;
    std::optional<std::array<char, 5>> valueChars;

    bool operator==(const Decisions&) const = default;
};

Decisions decide(char earlier, const char* text, int got)
{
    fuzz::assignAfter(rxFrame, earlier, text);
    Decisions d;
    const bool checks[] = {
        replyIs('A', '5'),
        replyIs('F', 'R'),
        replyAccepted('F', '5', 5),
        replyAccepted('F', '5', 7),
        replyAccepted('F', 'R', 6),
        replyAccepted('F', 'C', 5),
        rxFrame.at(6) != 'F',
        accept::any(got),
        accept::matching('A', '1')(got),
        accept::matching('A', '6')(got),
        accept::framed('A', '5')(got),
        accept::framed('A', 'B')(got),
        accept::flagged('F', '5', 5)(got),
        accept::flagged('F', '4', 5)(got),
        accept::flagged('F', 'D', 5)(got),
        isFaultReport(rxFrame),
    };
    for (bool c : checks)
        d.verdicts += c ? '1' : '0';
    d.faultMessage = faultReportMessage(rxFrame);
    d.valueChars = params::valueCharsOfReply();
    return d;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::FrameText frame(data, size);
    // What a read stored counts, NUL included: a NUL among a reply's first
    // characters ends its text, not its count.
    const int got = int(size);
    const Decisions clean = decide('\0', frame.get(), got);
    for (char earlier : {'F', 'E', 'A', '5', '1', '0'})
        fuzz::check(decide(earlier, frame.get(), got) == clean, "nothing behind the reply's end decides");
    if (clean.valueChars) {
        fuzz::check(frame.size() >= 11, "the value characters are the reply's own");
        fuzz::check(std::string(clean.valueChars->data()) == std::string(frame.get() + 7, 4),
                    "the value characters are those at index 7 to 10");
    }
    return 0;
}
