#pragma once

#include "CliOptions.h"

#include <QString>

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
};

LinkChoice chooseLink(const CliOptions& options, bool door);

// The channel opened for one command and closed when the object goes.
// Until then the channel's "Application Error" reports go to stderr.
class ControllerLink
{
public:
    explicit ControllerLink(const LinkChoice& choice);
    ~ControllerLink();
    ControllerLink(const ControllerLink&) = delete;
    ControllerLink& operator=(const ControllerLink&) = delete;

    // Sets the special code and opens the port; received bytes outside an
    // exchange go to owner (when set). False, with the error printed, when
    // the port cannot be opened.
    bool open(QObject* owner = nullptr);

    // "COM1 (/dev/pts/3) at 9600 baud".
    QString where() const;
    // The error line of a controller that did not answer.
    QString noReply() const;

private:
    // "COM1 (/dev/pts/3)", or the device path given.
    QString port() const;

    LinkChoice choice_;
};

} // namespace cli
