#include "ControllerLink.h"

#include "Exchange.h"
#include "FrameBuffer.h"
#include "LinkSettings.h"
#include "LinkWait.h"
#include "Output.h"
#include "ParamChains.h"
#include "PortNames.h"
#include "SerialChannel.h"

#include <QRegularExpression>

namespace cli {

namespace {

QString openFailureText(PortOpenFailure failure)
{
    switch (failure) {
    case PortOpenFailure::NoDevice:
        return QStringLiteral("no such device");
    case PortOpenFailure::Busy:
        return QStringLiteral("busy: another program has it open");
    case PortOpenFailure::Denied:
        return QStringLiteral("permission denied (join the group dialout)");
    case PortOpenFailure::Other:
    case PortOpenFailure::None:
        break;
    }
    return QStringLiteral("it does not work as a serial port");
}

} // namespace

LinkChoice chooseLink(const CliOptions& options, bool door)
{
    const std::optional<LinkSettings> stored = LinkSettings::read();
    const LinkSettings settings = stored.value_or(LinkSettings{});
    LinkChoice c;
    c.door = door;

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
        c.defaultPort = !stored;
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

ControllerLink::ControllerLink(const CliOptions& options, bool door) : choice_(chooseLink(options, door))
{
    // "WARNING: ... Failed with the following error: \n<system text>\nPort: n"
    serialChannel.setErrorReporter([this](const QString& text) {
        if (serialChannel.lost())
            return;
        const QStringList lines = text.split(QLatin1Char('\n'));
        printError(QStringLiteral("%1: the line settings cannot be applied: %2")
                       .arg(port(), lines.value(1).trimmed()));
    });
}

ControllerLink::~ControllerLink()
{
    serialChannel.close();
    serialChannel.setErrorReporter({});
}

bool ControllerLink::open(QObject* owner)
{
    const QString problem = openProblem(owner);
    if (!problem.isEmpty())
        printError(problem);
    return problem.isEmpty();
}

bool ControllerLink::openSilently()
{
    return openProblem(nullptr).isEmpty();
}

QString ControllerLink::openProblem(QObject* owner)
{
    specialCode = choice_.specialCode;
    const bool opened = !choice_.device.isEmpty() &&
                        serialChannel.openDevice(owner, choice_.device, choice_.portNumber, choice_.baud,
                                                 choice_.parity, choice_.dataBits, choice_.stopBits,
                                                 SerialChannel::kEventMask);
    if (!opened) {
        const PortOpenFailure reason =
            choice_.device.isEmpty() ? PortOpenFailure::NoDevice : serialChannel.openFailure();
        return QStringLiteral("cannot open %1: %2%3").arg(port(), openFailureText(reason), defaultPortHint());
    }
    const std::optional<params::Peer> peer = params::identifyPeer();
    if (!peer)
        return failure();
    const params::Peer wanted = choice_.door ? params::Peer::DoorOperator : params::Peer::MainController;
    if (*peer != wanted) {
        const auto name = [](params::Peer p) {
            return p == params::Peer::DoorOperator ? QStringLiteral("the door operator")
                                                   : QStringLiteral("the main controller");
        };
        return QStringLiteral("%1 answers as %2, not %3").arg(where(), name(*peer), name(wanted));
    }
    return {};
}

std::optional<bool> ControllerLink::probeLayout() const
{
    std::optional<bool> extended;
    {
        LinkBusyGuard busy;
        extended = probeExtendedLayout();
    }
    if (!extended)
        printError(failure(QStringLiteral("the layout probe")));
    return extended;
}

QString ControllerLink::defaultPortHint() const
{
    if (!choice_.defaultPort)
        return {};
    return QStringLiteral(" (no link settings are stored, so the default %1 was tried: choose a port with --port "
                          "or in the window's serial settings)")
        .arg(choice_.portName);
}

QString ControllerLink::port() const
{
    return choice_.portNumber ? QStringLiteral("%1 (%2)").arg(choice_.portName, choice_.device) : choice_.device;
}

QString ControllerLink::where() const
{
    return QStringLiteral("%1 at %2 baud").arg(choice_.portName).arg(choice_.baud);
}

QString ControllerLink::failure(const QString& what) const
{
    const QString asked = what.isEmpty() ? QString() : QStringLiteral(" to %1").arg(what);
    if (serialChannel.lost())
        return QStringLiteral("%1 was lost mid-read%2: the device went away").arg(port(), asked);
    const QByteArray reply(rxFrame.text());
    if (reply.contains(char(0x03)) && !rxFrame.checkReply())
        return QStringLiteral("bad checksum from the controller on %1 at %2 baud%3")
            .arg(port())
            .arg(choice_.baud)
            .arg(asked);
    return QStringLiteral("no reply from the controller on %1 at %2 baud%3%4")
        .arg(port())
        .arg(choice_.baud)
        .arg(asked, defaultPortHint());
}

} // namespace cli
