#include "IdentityChains.h"

#include "Exchange.h"
#include "FrameBuffer.h"
#include "LinkWait.h"
#include "Requests.h"

namespace identity {

namespace {

// One value of the read chain: its request, the characters read and the
// check of the reply; two tries each.
struct ReadStep
{
    void (*build)();
    int wanted;
    ReplyCheck accepted;
};

void takeReply(IdentityValues& values, const std::function<void()>& onReply)
{
    applyReply(rxFrame.text(), values);
    if (onReply)
        onReply();
}

// The first `count` values of the read chain, in its order.
bool readSteps(int count, IdentityValues& values, const std::function<void()>& onReply)
{
    const ReadStep steps[] = {
        {request::readProgramName, 25, accept::framed('A', 'B')},
        {request::readElevatorId, 19, accept::any},
        {request::readTelephone, 30, accept::any},
        {request::readRunCounter, 17, accept::framed('A', 'A')},
    };
    for (int i = 0; i < count; ++i) {
        steps[i].build();
        if (!exchangeUntil(Tries{2, 50, steps[i].wanted}, steps[i].accepted))
            return false;
        takeReply(values, onReply);
    }
    return true;
}

} // namespace

bool readNameplate(IdentityValues& values)
{
    LinkBusyGuard busy;
    return readSteps(3, values, {});
}

bool readIdentity(IdentityValues& values, const std::function<void()>& onReply)
{
    LinkBusyGuard busy;
    if (!readSteps(4, values, onReply))
        return false;
    // The clock: one try, and whatever came goes to the parser.
    request::readClock();
    transact(50, 30);
    takeReply(values, onReply);
    return true;
}

std::optional<ClockFields> readClockFields()
{
    LinkBusyGuard busy;
    request::readClock();
    transact(50, 30);
    return clockFields(rxFrame.text());
}

bool sendClock(const ClockFields& fields)
{
    LinkBusyGuard busy;
    request::setClock(clockPayload(fields).constData());
    return accept::flagged('F', '9', 5)(transact(50, 30));
}

void sendElevatorId(const QString& id)
{
    request::setElevatorId(textWithCr(id, kElevatorIdLength).constData());
    sendRequest();
}

bool setTelephone(const QString& number)
{
    LinkBusyGuard busy;
    request::setTelephone(textWithCr(number, kTelephoneLength).constData());
    return accept::flagged('F', '2', 5)(transact(500, 30));
}

void sendRunCounterReset()
{
    request::resetRunCounter();
    sendRequest();
}

} // namespace identity
