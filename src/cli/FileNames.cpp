#include "FileNames.h"

#include <QFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace cli {

namespace {

constexpr char16_t kKeptByteBase = 0xDC00;

// Length of the UTF-8 sequence at s (of n bytes), or 0 when it is none.
int sequenceLength(const unsigned char* s, qsizetype n)
{
    const unsigned char lead = s[0];
    int length = 0;
    char32_t least = 0;
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        least = 0x10000;
    } else {
        return 0;
    }
    if (n < length)
        return 0;
    char32_t code = lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        if ((s[k] & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (s[k] & 0x3F);
    }
    const bool surrogate = code >= 0xD800 && code <= 0xDFFF;
    return code < least || code > 0x10FFFF || surrogate ? 0 : length;
}

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

QByteArray folderOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

// A regular file, or a link to one outside the system's own folders, is
// replaced whole; anything else (a device, a FIFO, /dev/stdout) is written
// where it stands.
bool replacedWhole(const QByteArray& path, QByteArray* target)
{
    struct stat link{};
    if (::lstat(path.constData(), &link) != 0) {
        *target = path;
        return errno == ENOENT;
    }
    if (S_ISREG(link.st_mode)) {
        *target = path;
        return true;
    }
    if (!S_ISLNK(link.st_mode) || path.startsWith("/dev/") || path.startsWith("/proc/"))
        return false;
    struct stat info{};
    char resolved[PATH_MAX];
    if (::stat(path.constData(), &info) != 0 || !S_ISREG(info.st_mode) || !::realpath(path.constData(), resolved))
        return false;
    *target = resolved;
    return !target->startsWith("/dev/") && !target->startsWith("/proc/");
}

bool replaceFile(const QByteArray& path, const QByteArray& bytes)
{
    QByteArray temporary = folderOf(path) + "/.vardo-cli-XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return false;
    // The mode a new file gets, or the one of the file replaced.
    struct stat old{};
    mode_t mode = 0;
    if (::stat(path.constData(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const bool written = writeAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.constData(), path.constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

} // namespace

QString argumentText(const char* word)
{
    const auto* s = reinterpret_cast<const unsigned char*>(word);
    const qsizetype n = qsizetype(std::strlen(word));
    QString text;
    for (qsizetype i = 0; i < n;) {
        const int length = sequenceLength(s + i, n - i);
        if (length == 0) {
            text += QChar(char16_t(kKeptByteBase + s[i]));
            ++i;
        } else {
            text += QString::fromUtf8(reinterpret_cast<const char*>(s + i), length);
            i += length;
        }
    }
    return text;
}

QByteArray nameBytes(const QString& name)
{
    QByteArray bytes;
    QString run;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        const bool pair = c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate();
        if (c.unicode() >= kKeptByteBase + 0x80 && c.unicode() <= kKeptByteBase + 0xFF && !pair &&
            !(i > 0 && name[i - 1].isHighSurrogate())) {
            bytes += run.toUtf8();
            run.clear();
            bytes += char(c.unicode() - kKeptByteBase);
            continue;
        }
        run += c;
        if (pair)
            run += name[++i];
    }
    return bytes + run.toUtf8();
}

QString shownName(const QString& name)
{
    QString shown;
    for (const QChar c : name) {
        if (c.unicode() >= kKeptByteBase + 0x80 && c.unicode() <= kKeptByteBase + 0xFF)
            shown += QStringLiteral("\\x%1").arg(c.unicode() - kKeptByteBase, 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

std::optional<QByteArray> readFileBytes(const QString& name, qint64 maxBytes)
{
    const int fd = ::open(nameBytes(name).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

bool writeFileBytes(const QString& name, const QByteArray& bytes)
{
    if (name == QLatin1String("-")) {
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout);
    }
    const QByteArray path = nameBytes(name);
    QByteArray target;
    if (replacedWhole(path, &target))
        return replaceFile(target, bytes);
    const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, bytes);
    return ::close(fd) == 0 && written;
}

bool sameFile(const QString& a, const QString& b)
{
    const auto isStdout = [](const QString& name) {
        return name == QLatin1String("-") || name == QLatin1String("/dev/stdout");
    };
    if (a == b || (isStdout(a) && isStdout(b)))
        return true;
    struct stat infoA{};
    struct stat infoB{};
    return ::stat(nameBytes(a).constData(), &infoA) == 0 && ::stat(nameBytes(b).constData(), &infoB) == 0 &&
           infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino && S_ISREG(infoA.st_mode);
}

} // namespace cli
