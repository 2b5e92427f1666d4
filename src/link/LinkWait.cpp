#include "LinkWait.h"

#include "SerialChannel.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>
#include <thread>

void linkSleep(int ms)
{
    if (ms <= 0)
        return;
    if (!QCoreApplication::instance()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
        return;
    }
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void exchangeWait(int ms)
{
    serialChannel.exchangeSleep(ms);
}

LinkBusyGuard::LinkBusyGuard() : previous_(serialChannel.linkBusy)
{
    serialChannel.linkBusy = 1;
}

LinkBusyGuard::~LinkBusyGuard()
{
    serialChannel.linkBusy = previous_;
    if (previous_ == 0)
        serialChannel.notifyExchangeEnded();
}
