#include "Exchange.h"

#include "FrameBuffer.h"
#include "LinkWait.h"
#include "Requests.h"
#include "SerialChannel.h"


int transact(int waitMs, int wanted)
{
    sendRequest();
    exchangeWait(waitMs);
    return serialChannel.readReply(rxFrame, wanted);
}

int transactAsItComes(int waitMs, int wanted, int timeoutMs)
{
    sendRequest();
    exchangeWait(waitMs);
    return serialChannel.readReplyAsItComes(rxFrame, wanted, timeoutMs);
}

void sendRequest()
{
    serialChannel.write(txFrame.text(), txFrame.length());
}

bool replyIs(char command, char subCommand)
{
    // A frame cut short is no reply: its flag or value may be anything.
    const int length = rxFrame.length();
    return length > 0 && rxFrame.at(length - 1) == ETX && rxFrame.command() == command &&
           rxFrame.subCommand() == subCommand;
}

bool replyAccepted(char command, char subCommand, int flagIndex)
{
    return replyIs(command, subCommand) && rxFrame.at(flagIndex) == 'F';
}

bool exchangeUntil(const Tries& shape, const ReplyCheck& accepted)
{
    int previous = 0;
    for (int i = 0; i < shape.tries; ++i) {
        if (i > 0 && (previous > 0 || shape.pauseAfterSilence))
            exchangeWait(shape.afterFailureMs);
        exchangeWait(shape.beforeMs);
        const int got = shape.replyTimeoutMs > 0 ? transactAsItComes(shape.waitMs, shape.wanted, shape.replyTimeoutMs)
                                                 : transact(shape.waitMs, shape.wanted);
        if (accepted(got))
            return true;
        previous = got;
    }
    return false;
}

namespace accept {

bool any(int got)
{
    return got > 0;
}

ReplyCheck matching(char command, char subCommand)
{
    return [=](int got) { return got > 0 && replyIs(command, subCommand); };
}

ReplyCheck framed(char command, char subCommand)
{
    return [=](int got) { return got > 0 && rxFrame.checkReply() && replyIs(command, subCommand); };
}

ReplyCheck flagged(char command, char subCommand, int flagIndex)
{
    return [=](int got) { return got > 0 && replyAccepted(command, subCommand, flagIndex); };
}

} // namespace accept

std::optional<bool> probeExtendedLayout()
{
    constexpr int kExtendedProbeLength = 23;
    request::readFaultRecord(0);
    // Only the whole answering frame tells the layout by its length.
    const int got = transact(50, 80);
    if (got == 0 || !replyIs('A', '1') || rxFrame.at(got - 1) != ETX)
        return std::nullopt;
    return rxFrame.length() >= kExtendedProbeLength;
}
