#include "ShellTestSupport.h"

#include "FrameBuffer.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

void RecordingPage::frameArrived()
{
    log_.entries[pageIndex()] << QStringLiteral("frame ") + QString::fromLatin1(rxFrame.text());
}

bool forceLineSpeed(const QString& device, int baud)
{
    const int fd = ::open(device.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return false;
    termios t{};
    bool ok = tcgetattr(fd, &t) == 0;
    speed_t speed = baud == 1200 ? B1200 : baud == 2400 ? B2400 : B4800;
    ok = ok && cfsetispeed(&t, speed) == 0 && cfsetospeed(&t, speed) == 0 && tcsetattr(fd, TCSANOW, &t) == 0;
    ::close(fd);
    return ok;
}
