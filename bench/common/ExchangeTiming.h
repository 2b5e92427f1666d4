#pragma once

#include "Exchange.h"
#include "FrameBuffer.h"
#include "LinkWait.h"
#include "Requests.h"
#include "SerialChannel.h"

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

// Times synchronous 'A' '5' exchanges on the open channel as the pages run
// them: write, the 50 ms wait, the polling read of up to 20 characters.
struct ExchangeTiming
{
    std::vector<double> totalsMs;  // write to end of read
    std::vector<double> readsMs;   // the read alone
    int answered = 0;              // replies the check accepted

    static double median(std::vector<double> values)
    {
        if (values.empty())
            return 0;
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    }
};

// accepted(count) judges the reply now in rxFrame.
inline ExchangeTiming timeParameterExchanges(int runs, const std::function<bool(int)>& accepted)
{
    ExchangeTiming timing;
    for (int i = 0; i < runs; ++i) {
        LinkBusyGuard busy;
        request::readParameter(11);
        QElapsedTimer total;
        total.start();
        sendRequest();
        linkSleep(50);
        QElapsedTimer read;
        read.start();
        const int got = serialChannel.readReply(rxFrame, 20);
        timing.readsMs.push_back(read.nsecsElapsed() / 1e6);
        timing.totalsMs.push_back(total.nsecsElapsed() / 1e6);
        timing.answered += accepted(got) ? 1 : 0;
    }
    return timing;
}
