#pragma once

#include "SimController.h"

#include <QTest>

// Waits for a request while the tool's event loop keeps running (the
// simulator's own wait would block the polls it waits for).
inline bool waitForSent(SimController& sim, const QByteArray& payload, int timeoutMs)
{
    return QTest::qWaitFor([&] { return sim.waitForRequest(payload, 0); }, timeoutMs);
}
