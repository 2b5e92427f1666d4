#include "Progress.h"

#include "CliOptions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace cli {

namespace {

constexpr qint64 kRepaintMs = 100;

bool dumbTerminal()
{
    const char* term = std::getenv("TERM");
    return !term || !*term || std::strcmp(term, "dumb") == 0;
}

} // namespace

Progress::Progress(const CliOptions& options, const QString& what, int total)
    : what_(what), total_(total), on_(!options.quiet && ::isatty(STDERR_FILENO) == 1), plain_(dumbTerminal())
{
    clock_.start();
}

Progress::~Progress()
{
    finish();
}

void Progress::draw(const QString& text)
{
    QByteArray line;
    if (plain_) {
        // Blanks over what the last line left.
        line = '\r' + text.toUtf8();
        if (drawnWidth_ > text.size())
            line += QByteArray(drawnWidth_ - text.size(), ' ') + '\r' + text.toUtf8();
    } else {
        line = "\r\033[K" + text.toUtf8();
    }
    drawnWidth_ = text.size();
    std::fputs(line.constData(), stderr);
    std::fflush(stderr);
}

void Progress::finish()
{
    if (shown_) {
        if (plain_) {
            draw(QString());
            std::fputs("\r", stderr);
            std::fflush(stderr);
        } else {
            draw(QString());
        }
    }
    shown_ = false;
    on_ = false;
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
    draw(QStringLiteral("%1 %2/%3 %4% %5 left").arg(what_).arg(done).arg(total_).arg(100 * done / total_).arg(left));
    shown_ = true;
}

} // namespace cli
