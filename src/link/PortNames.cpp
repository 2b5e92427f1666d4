#include "PortNames.h"

#include "ConfigFolder.h"

#include <QFileInfo>

QString comPortName(int n)
{
    return QStringLiteral("COM%1").arg(n);
}

QString resolvePortDevice(int n)
{
#ifdef Q_OS_WIN
    return comPortName(n);
#else
    const QFileInfo link(vardoPortFolder() + QStringLiteral("/com%1").arg(n));
    if (link.isSymLink() || link.exists()) {
        // Open the real device, so that its lock is shared by every name.
        const QString target = link.canonicalFilePath();
        return target.isEmpty() ? link.absoluteFilePath() : target;
    }
    if (n >= 1 && n <= 4)
        return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    if (n >= 5 && n <= 8)
        return QStringLiteral("/dev/ttyUSB%1").arg(n - 5);
    if (n == 9)
        return QStringLiteral("/dev/ttyACM0");
    return {};
#endif
}
