#include "PortNames.h"

#include "ConfigFolder.h"

#include <QFileInfo>

QString comPortName(int n)
{
    return QStringLiteral("COM%1").arg(n);
}

QString portAddress(int n)
{
#ifdef Q_OS_WIN
    return comPortName(n);
#else
    const QFileInfo link(vardoPortFolder() + QStringLiteral("/com%1").arg(n));
    if (link.isSymLink() || link.exists())
        return link.absoluteFilePath();
    if (n >= 1 && n <= 4)
        return QStringLiteral("/dev/ttyS%1").arg(n - 1);
    if (n >= 5 && n <= 8)
        return QStringLiteral("/dev/ttyUSB%1").arg(n - 5);
    if (n == 9)
        return QStringLiteral("/dev/ttyACM0");
    return {};
#endif
}

QString resolvePortDevice(int n)
{
    const QString address = portAddress(n);
#ifdef Q_OS_WIN
    return address;
#else
    // Open the real device, so that its lock is shared by every name.
    const QString target = address.isEmpty() ? QString() : QFileInfo(address).canonicalFilePath();
    return target.isEmpty() ? address : target;
#endif
}
