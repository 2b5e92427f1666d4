#pragma once

#include "ConfigHome.h"
#include "SimController.h"

#include <QByteArray>
#include <QObject>

#include <memory>

// The tool's side of a test: a private configuration folder, a simulated
// controller linked as COM1, and the real serial channel opened on it.
class SimLine
{
public:
    explicit SimLine(SimOptions options = {}, int baud = 9600, int stopBits = 1);
    ~SimLine();

    SimController& sim() { return *sim_; }
    // Re-opens the channel at another rate, as the page host does.
    bool reopen(int baud, int stopBits = 1);
    // One synchronous exchange of the request already built in txFrame:
    // write, wait, read up to `wanted`. Returns the reply text.
    QByteArray exchange(int wanted, int waitMs = 50);
    // Bytes received outside synchronous exchanges (unsolicited frames).
    QByteArray unsolicited() const;
    void clearUnsolicited();

private:
    class Sink;
    ConfigHome home_;
    std::unique_ptr<SimController> sim_;
    std::unique_ptr<Sink> sink_;
};
