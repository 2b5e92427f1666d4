#pragma once

#include <QString>

// The COM names the tool knows, COM1 to COM9: the stored settings keep the
// port as one digit.
inline constexpr int kFirstComPort = 1;
inline constexpr int kLastComPort = 9;

// "COM%d" of n.
QString comPortName(int n);

// The device that COMn stands for on this machine. On Windows the name
// itself. Elsewhere the link comN in the port folder when there is one
// (also a broken link, which then fails to open), otherwise the default
// map: COM1-COM4 /dev/ttyS0-3, COM5-COM8 /dev/ttyUSB0-3, COM9 /dev/ttyACM0.
// Empty when COMn has no device.
QString resolvePortDevice(int n);

// The name COMn reaches its device by, before any link is followed: the
// link comN in the port folder when there is one, otherwise the default
// map's device. A device that is plugged back may come back under another
// device name; the name of COMn stays.
QString portAddress(int n);
