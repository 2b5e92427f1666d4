#include "MonitorImages.h"

// The resources live in a static library: register them before first use.
static void registerMonitorResources()
{
    Q_INIT_RESOURCE(monitor);
}

namespace monitor {

namespace {

QPixmap load(const char* path)
{
    static const bool registered = (registerMonitorResources(), true);
    Q_UNUSED(registered);
    QPixmap pixmap(QString::fromLatin1(path));
    Q_ASSERT(!pixmap.isNull());
    return pixmap;
}

} // namespace

const QPixmap& lampSheet()
{
    static const QPixmap sheet = load(":/monitor/lamps.png");
    return sheet;
}

const QPixmap& arrowStrip()
{
    static const QPixmap strip = load(":/monitor/arrows.png");
    return strip;
}

} // namespace monitor
