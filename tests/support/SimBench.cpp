#include "SimBench.h"

#include <QTest>

bool SimBench::open()
{
    host.show();
    return QTest::qWaitForWindowExposed(&host) && host.openChannel(1);
}
