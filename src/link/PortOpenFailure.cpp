#include "PortOpenFailure.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

PortOpenFailure classifyPortOpenFailure(QSerialPort::SerialPortError error, bool userMayUseDevice)
{
    switch (error) {
    case QSerialPort::NoError:
        return PortOpenFailure::None;
    case QSerialPort::DeviceNotFoundError:
        return PortOpenFailure::NoDevice;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return userMayUseDevice ? PortOpenFailure::Busy : PortOpenFailure::Denied;
    default:
        return PortOpenFailure::Other;
    }
}

bool userMayUseDevice(const QString& devicePath)
{
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(devicePath).constData(), R_OK | W_OK) == 0;
#else
    (void)devicePath;
    return true;
#endif
}
