#pragma once

// Waits the given time without freezing the window: a local event loop
// that keeps repainting and receiving but takes no user input, so the
// steps of an exchange still run strictly in order.
void linkSleep(int ms);

// A wait that belongs to an exchange: none once the channel is closed, so
// that everything fails at once after a lost device.
void exchangeWait(int ms);

// Marks a synchronous exchange: linkBusy is 1 for the guard's lifetime and
// goes back to what it was on every path out. When it returns to 0 the
// channel tells its listener that the exchange has ended.
class LinkBusyGuard
{
public:
    LinkBusyGuard();
    ~LinkBusyGuard();
    LinkBusyGuard(const LinkBusyGuard&) = delete;
    LinkBusyGuard& operator=(const LinkBusyGuard&) = delete;

private:
    int previous_;
};
