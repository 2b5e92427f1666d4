#include "PtyTransport.h"

#include "ConfigFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace {

int baudOf(speed_t speed)
{
    switch (speed) {
    case B1200: return 1200;
    case B2400: return 2400;
    case B4800: return 4800;
    case B9600: return 9600;
    case B19200: return 19200;
    case B38400: return 38400;
    case B57600: return 57600;
    case B115200: return 115200;
    case B230400: return 230400;
    case B300: return 300;
    case B600: return 600;
    default: return 0;
    }
}

} // namespace

PtyTransport::PtyTransport()
{
    char name[128] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("no pseudo-terminal available");
    // Raw, so that the line discipline neither echoes nor waits for lines;
    // the settings are also what the device returns to after the tool closes it.
    termios raw{};
    tcgetattr(slave_, &raw);
    cfmakeraw(&raw);
    cfsetispeed(&raw, B9600);
    cfsetospeed(&raw, B9600);
    tcsetattr(slave_, TCSANOW, &raw);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    devicePath_ = QString::fromLocal8Bit(name);
}

PtyTransport::~PtyTransport()
{
    removeLink();
    ::close(master_);
    ::close(slave_);
}

int PtyTransport::baudRate() const
{
    termios t{};
    if (tcgetattr(slave_, &t) != 0)
        return 0;
    return baudOf(cfgetospeed(&t));
}

int PtyTransport::stopBits() const
{
    termios t{};
    if (tcgetattr(slave_, &t) != 0)
        return 1;
    return (t.c_cflag & CSTOPB) ? 2 : 1;
}

QByteArray PtyTransport::readAvailable()
{
    QByteArray out;
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n > 0) {
            out.append(chunk, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    return out;
}

void PtyTransport::write(const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;  // no room: the rest is lost
    }
}

QString PtyTransport::placeLink(int comNumber)
{
    removeLink();
    const QString folder = vardoPortFolder();
    QDir().mkpath(folder);
    const QString link = folder + QStringLiteral("/com%1").arg(comNumber);
    const QFileInfo existing(link);
    if (existing.isSymLink() || existing.exists())
        QFile::remove(link);
    if (QFile::link(devicePath_, link))
        linkPath_ = link;
    return linkPath_;
}

void PtyTransport::removeLink()
{
    if (linkPath_.isEmpty())
        return;
    // Only a link that still points at this device is ours to remove.
    const QFileInfo info(linkPath_);
    if (info.isSymLink() && info.symLinkTarget() == devicePath_)
        QFile::remove(linkPath_);
    linkPath_.clear();
}
