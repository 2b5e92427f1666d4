#pragma once

#include <QSerialPort>
#include <QString>

// Why a port did not open, told apart as far as the user can act on it:
// the window and the command line word their messages from it.
enum class PortOpenFailure {
    None,      // the last open succeeded, or none was tried
    NoDevice,  // the name stands for no device on this machine
    Busy,      // another program holds the port: its lock, or an exclusive open
    Denied,    // the device's permissions deny this user
    Other,     // the device is there but does not work as a port
};

// The reason of a failed open of a device, from the port's error and from
// whether the device's permissions let the user read and write it (Qt
// reports a port that is locked or busy as a permission error, too).
PortOpenFailure classifyPortOpenFailure(QSerialPort::SerialPortError error, bool userMayUseDevice);

// True when the device's permissions let this user read and write it.
bool userMayUseDevice(const QString& devicePath);
