#pragma once

#include "CliOptions.h"

#include <QString>

#include <optional>

class QObject;

namespace cli {

// The port and line settings a command talks to its controller with: the
// command line's, else the stored link settings', else the settings
// dialog's defaults (COM1, N81, 'E', 9600 baud, 38400 for the door operator).
struct LinkChoice
{
    QString portName;    // "COM1", or the device path given
    QString device;      // what is opened; empty when COMn has no device
    int portNumber = 0;  // 0 for a device path
    int baud = 0;
    char parity = 'N';
    int dataBits = 8;
    int stopBits = 1;
    char specialCode = 'E';
    bool door = false;
    // Neither --port nor stored settings chose the port: the default was tried.
    bool defaultPort = false;
};

LinkChoice chooseLink(const CliOptions& options, bool door);

// The channel opened for one command and closed when the object goes.
// The channel's own reports become plain lines on stderr; a lost device is
// told by the command's failure line instead.
class ControllerLink
{
public:
    ControllerLink(const CliOptions& options, bool door);
    ~ControllerLink();
    ControllerLink(const ControllerLink&) = delete;
    ControllerLink& operator=(const ControllerLink&) = delete;

    // Sets the special code, opens the port and asks which controller
    // answers: a door command goes on only with the door operator, any other
    // only with the main controller. Received bytes outside an exchange go
    // to owner (when set). False, with the reason printed, otherwise.
    bool open(QObject* owner = nullptr);
    // The same, saying nothing: for a side read that a command can do without.
    bool openSilently();

    // The layout probe: true for the controller's longer record and
    // parameter layout; nothing, with the failure printed.
    std::optional<bool> probeLayout() const;

    // "COM1 at 9600 baud".
    QString where() const;
    // The error line of an exchange that failed just now, of what was
    // asked: the device went away, a bad checksum, or no reply.
    QString failure(const QString& what = QString()) const;

private:
    // The reason open() fails; empty when the right controller answers.
    QString openProblem(QObject* owner);
    // "COM1 (/dev/pts/3)", or the device path given.
    QString port() const;
    // Said of a port no one chose: which default was tried, how to choose.
    QString defaultPortHint() const;

    LinkChoice choice_;
};

} // namespace cli
