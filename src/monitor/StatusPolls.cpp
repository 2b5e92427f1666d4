#include "StatusPolls.h"

#include "Exchange.h"
#include "Requests.h"

namespace monitor {

void writeNextStatusPoll(int& phase)
{
    phase = (phase + 1) % 3;
    switch (phase) {
    case 1:
        request::callPoll();
        break;
    case 2:
        request::speedPoll();
        break;
    default:
        request::statusPoll();
        break;
    }
    sendRequest();
}

} // namespace monitor
