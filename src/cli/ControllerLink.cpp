#include "ControllerLink.h"

#include "FrameBuffer.h"
#include "LinkSettings.h"
#include "Output.h"
#include "PortNames.h"
#include "SerialChannel.h"

#include <QRegularExpression>

namespace cli {

LinkChoice chooseLink(const CliOptions& options, bool door)
{
    const std::optional<LinkSettings> stored = LinkSettings::read();
    const LinkSettings settings = stored.value_or(LinkSettings{});
    LinkChoice c;

    if (options.port) {
        static const QRegularExpression com(QStringLiteral("^COM([0-9]{1,3})$"),
                                            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = com.match(*options.port);
        if (m.hasMatch()) {
            c.portNumber = m.captured(1).toInt();
            c.portName = comPortName(c.portNumber);
            c.device = resolvePortDevice(c.portNumber);
        } else {
            c.portName = *options.port;
            c.device = *options.port;
        }
    } else {
        c.portNumber = settings.portNumber;
        c.portName = comPortName(c.portNumber);
        c.device = resolvePortDevice(c.portNumber);
    }

    if (options.baud)
        c.baud = *options.baud;
    else if (!stored)
        c.baud = door ? LinkSettings::kDefaultDoorBaud : LinkSettings::kDefaultElevatorBaud;
    else
        c.baud = door ? settings.doorBaud : settings.elevatorBaud;
    c.parity = options.parity.value_or(settings.parity);
    c.dataBits = options.dataBits.value_or(settings.dataBits);
    c.stopBits = options.stopBits.value_or(settings.stopBits);
    c.specialCode = options.special.value_or(settings.specialCode);
    return c;
}

ControllerLink::ControllerLink(const LinkChoice& choice) : choice_(choice)
{
    serialChannel.setErrorReporter([](const QString& text) { printError(text); });
}

ControllerLink::~ControllerLink()
{
    serialChannel.close();
    serialChannel.setErrorReporter({});
}

bool ControllerLink::open(QObject* owner)
{
    specialCode = choice_.specialCode;
    if (choice_.device.isEmpty()) {
        printError(QStringLiteral("%1 names no device on this machine").arg(choice_.portName));
        return false;
    }
    if (!serialChannel.openDevice(owner, choice_.device, choice_.portNumber, choice_.baud, choice_.parity,
                                  choice_.dataBits, choice_.stopBits, SerialChannel::kEventMask)) {
        printError(QStringLiteral("cannot open %1").arg(port()));
        return false;
    }
    return true;
}

QString ControllerLink::port() const
{
    return choice_.portNumber ? QStringLiteral("%1 (%2)").arg(choice_.portName, choice_.device) : choice_.device;
}

QString ControllerLink::where() const
{
    return QStringLiteral("%1 at %2 baud").arg(port()).arg(choice_.baud);
}

QString ControllerLink::noReply() const
{
    return QStringLiteral("no reply from the controller on %1").arg(where());
}

} // namespace cli
