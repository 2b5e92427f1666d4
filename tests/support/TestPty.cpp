#include "TestPty.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <stdexcept>

TestPty::TestPty()
{
    char name[128] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        throw std::runtime_error("openpty failed");
    termios raw{};
    tcgetattr(slave_, &raw);
    cfmakeraw(&raw);
    tcsetattr(slave_, TCSANOW, &raw);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    slavePath_ = QString::fromLocal8Bit(name);
}

TestPty::~TestPty()
{
    ::close(master_);
    ::close(slave_);
}

void TestPty::send(const QByteArray& bytes) const
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.constData() + done, size_t(bytes.size() - done));
        if (n <= 0)
            break;
        done += n;
    }
}

QByteArray TestPty::receive(int timeoutMs) const
{
    QByteArray out;
    pollfd pfd{master_, POLLIN, 0};
    if (::poll(&pfd, 1, timeoutMs) <= 0)
        return out;
    char chunk[512];
    for (;;) {
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0)
            break;
        out.append(chunk, n);
    }
    return out;
}

termios TestPty::lineSettings() const
{
    termios t{};
    tcgetattr(slave_, &t);
    return t;
}
