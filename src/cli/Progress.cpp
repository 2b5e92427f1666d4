#include "Progress.h"

#include <cstdio>

#include <unistd.h>

namespace cli {

namespace {

constexpr qint64 kRepaintMs = 100;

} // namespace

Progress::Progress(const QString& what, int total) : what_(what), total_(total), on_(wanted())
{
    clock_.start();
}

Progress::~Progress()
{
    finish();
}

void Progress::finish()
{
    if (shown_) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
    }
    shown_ = false;
    on_ = false;
}

bool Progress::wanted()
{
    return ::isatty(STDERR_FILENO) == 1;
}

void Progress::show(int done)
{
    if (!on_ || total_ <= 0)
        return;
    const qint64 now = clock_.elapsed();
    // Not more often than ten times a second, but always the last step.
    if (lastMs_ >= 0 && now - lastMs_ < kRepaintMs && done < total_)
        return;
    lastMs_ = now;
    QString left = QStringLiteral("--");
    if (done > 0) {
        const qint64 leftMs = now * (total_ - done) / done;
        left = QStringLiteral("%1 s").arg((leftMs + 999) / 1000);
    }
    const QString line = QStringLiteral("\r\033[K%1 %2/%3 %4% %5 left")
                             .arg(what_)
                             .arg(done)
                             .arg(total_)
                             .arg(100 * done / total_)
                             .arg(left);
    std::fputs(line.toUtf8().constData(), stderr);
    std::fflush(stderr);
    shown_ = true;
}

} // namespace cli
