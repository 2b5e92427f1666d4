#include "SerialChannel.h"

#include "FrameBuffer.h"
#include "LinkEvents.h"
#include "LinkWait.h"
#include "PortNames.h"
#include "ReplySorter.h"
#include "SerialLinkPort.h"

#include <QCoreApplication>
#include <QtDebug>

#include <algorithm>
#include <cstring>

SerialChannel serialChannel;

SerialChannel::~SerialChannel()
{
    close();
    retiredPorts_.clear();
}

bool SerialChannel::open(QObject* owner, int portNumber, int baud, char parity, int dataBits,
                         int stopBits, unsigned eventMask)
{
    return openAt(owner, portAddress(portNumber), resolvePortDevice(portNumber), portNumber, baud, parity, dataBits,
                  stopBits, eventMask);
}

bool SerialChannel::openDevice(QObject* owner, const QString& devicePath, int portNumber, int baud, char parity,
                               int dataBits, int stopBits, unsigned eventMask)
{
    return openAt(owner, devicePath, devicePath, portNumber, baud, parity, dataBits, stopBits, eventMask);
}

bool SerialChannel::openAt(QObject* owner, const QString& address, const QString& devicePath, int portNumber,
                           int baud, char parity, int dataBits, int stopBits, unsigned eventMask)
{
    close();
    owner_ = owner;
    portNumber_ = portNumber;
    eventMask_ = eventMask;
    devicePath_ = devicePath;
    portAddress_ = address;
    openFailure_ = PortOpenFailure::NoDevice;
    if (devicePath_.isEmpty())
        return false;

    auto port = std::make_unique<SerialLinkPort>(devicePath_);
    if (!port->open()) {
        openFailure_ = classifyPortOpenFailure(port->openError(), userMayUseDevice(devicePath_));
        return false;
    }
    openFailure_ = PortOpenFailure::None;

    // The line settings of "baud=%d parity=%c data=%d stop=%d".
    const bool parityKnown = parity == 'N' || parity == 'O' || parity == 'E';
    const bool dataKnown = dataBits == 7 || dataBits == 8;
    const bool stopKnown = stopBits == 1 || stopBits == 2;
    if (!parityKnown || !dataKnown || !stopKnown || baud <= 0)
        reportError("BuildCommDCB()", QStringLiteral("The parameter is incorrect."));
    else if (!port->applyLine(baud, parity, dataBits, stopBits))
        reportError("SetCommState()", port->errorString());
    port->startClean();
    attach(std::move(port));
    return true;
}

void SerialChannel::openPort(QObject* owner, std::unique_ptr<LinkPort> port, int portNumber, unsigned eventMask)
{
    close();
    owner_ = owner;
    portNumber_ = portNumber;
    eventMask_ = eventMask;
    devicePath_.clear();
    portAddress_.clear();
    openFailure_ = PortOpenFailure::None;
    attach(std::move(port));
}

void SerialChannel::attach(std::unique_ptr<LinkPort> port)
{
    port_ = std::move(port);
    requestWritten_ = false;
    LinkPort* const opened = port_.get();
    QObject::connect(opened, &LinkPort::readyRead, opened, [this] {
        const PortInUse use(*this);
        drainInput();
    });
    QObject::connect(opened, &LinkPort::failed, opened, [this, opened](QSerialPort::SerialPortError error) {
        const PortInUse use(*this);
        portFailed(opened, error);
    });
    if (opened_)
        opened_();
    // The lost state belongs to the lost port: another port that opens
    // (the settings dialog tries them all) leaves it.
    if (lost_ && portAddress_ == lostPort_) {
        lost_ = false;
        if (linkStateChanged_)
            linkStateChanged_();
    }
}

LineSettings SerialChannel::lineSettings() const
{
    return isOpen() ? port_->lineSettings() : LineSettings();
}

bool SerialChannel::isOpen() const
{
    return port_ && port_->isOpen();
}

// The one rule of the port's lifetime: a port is destroyed only once no
// call, signal or delivery of it is on the stack. A handler of its signals
// may run nested event loops (a fault box, the waits of an exchange) in
// which the port is dropped; Qt's own code still runs on it afterwards.
SerialChannel::PortInUse::PortInUse(SerialChannel& channel) : channel_(channel)
{
    ++channel_.portUse_;
}

SerialChannel::PortInUse::~PortInUse()
{
    if (--channel_.portUse_ == 0 && !channel_.retiredPorts_.empty())
        channel_.scheduleRetiredRelease();
}

// From the event loop, once the stack has unwound past every port call.
void SerialChannel::scheduleRetiredRelease()
{
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [this] { releaseRetiredPorts(); }, Qt::QueuedConnection);
}

void SerialChannel::releaseRetiredPorts()
{
    if (portUse_ == 0)
        retiredPorts_.clear();
}

void SerialChannel::dropPort()
{
    if (!port_)
        return;
    port_->disconnect();
    port_->close();
    if (portUse_ > 0) {
        retiredPorts_.push_back(std::move(port_));
        return;
    }
    port_.reset();
    // Ports dropped inside earlier calls may wait for an event loop that
    // does not come before the channel is used again.
    releaseRetiredPorts();
}

void SerialChannel::close()
{
    dropPort();
}

bool SerialChannel::write(const char* text, int count)
{
    if (!isOpen() || count < 0)
        return false;
    const PortInUse use(*this);
    // Any step below may find the device gone, which drops the port.
    LinkPort* const port = port_.get();
    const auto held = [&] { return port_.get() == port; };
    writing_ = true;
    // Unread input, also late or unsolicited bytes, is discarded before
    // every request; a fault report among it is kept. Output is never
    // discarded: a request written just before must still reach the
    // controller. A watcher of the line still sees what is discarded.
    if (const qint64 queued = port->bytesAvailable(); queued > 0) {
        QByteArray unread(queued, '\0');
        unread.truncate(std::max<qint64>(port->read(unread.data(), queued), 0));
        if (!unread.isEmpty())
            observe(false, unread.constData(), int(unread.size()));
        passFaultReports(faultReportsAmong(unread));
    }
    if (held())
        port->clearInput();
    qint64 written = 0;
    if (held()) {
        written = port->write(text, count);
        if (written < 0) {
            deviceLost("WriteFile()", port->errorString());
        } else {
            observe(true, text, int(written));
            port->flush();
        }
    }
    writing_ = false;
    // A request frame: STX, the address, the command and sub-command.
    requestWritten_ = count > 4 && text[0] == STX;
    requestCommand_ = requestWritten_ ? text[3] : '\0';
    requestSubCommand_ = requestWritten_ ? text[4] : '\0';
    return held() && written == count;
}

void SerialChannel::exchangeSleep(int ms)
{
    if (isOpen() && ms > 0)
        port_->sleep(ms);
}

int SerialChannel::readReply(FrameBuffer& frame, int wanted)
{
    int polls = 0;
    return collectReply(frame, wanted, [this, &polls](bool) {
        if (polls++ == kPolls)
            return false;
        port_->sleep(kPollMs);
        return true;
    });
}

int SerialChannel::readReplyAsItComes(FrameBuffer& frame, int wanted, int timeoutMs)
{
    const qint64 start = isOpen() ? port_->now() : 0;
    return collectReply(frame, wanted, [this, start, timeoutMs](bool first) {
        if (first)
            return true;
        const qint64 left = timeoutMs - (port_->now() - start);
        if (left <= 0)
            return false;
        port_->waitForInput(int(left));
        return true;
    });
}

int SerialChannel::collectReply(FrameBuffer& frame, int wanted, const std::function<bool(bool first)>& wait)
{
    // The buffer holds only the reply.
    frame.clear();
    constexpr int kRoom = FrameBuffer::kSize - 1;
    // A closed channel has no reply to wait for.
    if (wanted <= 0 || !isOpen())
        return 0;
    const PortInUse use(*this);
    readingReply_ = true;
    const bool judged = requestWritten_;
    ReplySorter sorter(requestCommand_, requestSubCommand_);
    QByteArray came;   // every byte read, for the watcher of the line
    QByteArray reply;  // after other text than a request: what came, as it came
    for (bool first = true; wait(first) && isOpen(); first = false) {
        // After other text, a look takes at most `wanted` characters.
        const qint64 limit = judged ? kRoom : std::min(wanted, kRoom - int(reply.size()));
        const qint64 n = std::min(port_->bytesAvailable(), limit);
        if (n <= 0) {
            // The controller has said its word, and it was not the reply.
            if (judged && !sorter.otherFrame().isEmpty())
                break;
            continue;
        }
        QByteArray chunk(n, '\0');
        const qint64 got = port_->read(chunk.data(), n);
        if (got < 0)
            port_->clearError();
        chunk.truncate(std::max<qint64>(got, 0));
        came += chunk;
        if (!judged) {
            reply += chunk;
            if (reply.contains(ETX) || chunk.size() >= wanted || reply.size() >= kRoom)
                break;
            continue;
        }
        sorter.take(chunk.constData(), int(chunk.size()));
        if (sorter.answered() || (sorter.openIsAnswer() && sorter.open().size() >= wanted))
            break;
    }
    readingReply_ = false;
    if (judged) {
        passFaultReports(sorter.faultReports());
        reply = sorter.answered()                ? sorter.answer()
                : !sorter.otherFrame().isEmpty() ? sorter.otherFrame()
                                                 : sorter.open();
    }
    const int stored = int(std::min<qsizetype>({reply.size(), qsizetype(judged ? wanted : kRoom), qsizetype(kRoom)}));
    std::memcpy(frame.data(), reply.constData(), size_t(stored));
    frame.data()[stored] = '\0';
    if (!came.isEmpty())
        observe(false, came.constData(), int(came.size()));
    return stored;
}

void SerialChannel::passFaultReports(const QList<QByteArray>& reports)
{
    if (!faultReportHandler_)
        return;
    for (const QByteArray& report : reports)
        faultReportHandler_(report);
}

int SerialChannel::addTrafficObserver(TrafficObserver observer)
{
    trafficObservers_.push_back({++lastObserverId_, std::move(observer)});
    return lastObserverId_;
}

void SerialChannel::removeTrafficObserver(int id)
{
    std::erase_if(trafficObservers_, [id](const Observer& o) { return o.id == id; });
}

void SerialChannel::observe(bool sent, const char* bytes, int count) const
{
    for (std::size_t i = 0; i < trafficObservers_.size(); ++i)
        trafficObservers_[i].watch(sent, bytes, count);
}

void SerialChannel::drainInput()
{
    if (!port_ || draining_ || readingReply_ || linkBusy || !(eventMask_ & kRxCharEvent))
        return;
    draining_ = true;
    LinkPort* const port = port_.get();
    // Each byte is handled by the owner before the next is taken; a byte
    // handler may close the channel or start an exchange, which ends the drain.
    while (port == port_.get() && port->isOpen() && !linkBusy && port->bytesAvailable() > 0) {
        char byte = 0;
        if (port->read(&byte, 1) != 1) {
            deviceLost("ReadFile()", port->errorString());
            break;
        }
        observe(false, &byte, 1);
        if (owner_) {
            LinkRxByteEvent event(static_cast<unsigned char>(byte), portNumber_);
            QCoreApplication::sendEvent(owner_, &event);
        }
    }
    draining_ = false;
}

void SerialChannel::notifyExchangeEnded()
{
    showLossReports();
    // Bytes that came after the exchange's last read are the owner's.
    if (port_ && QCoreApplication::instance())
        QMetaObject::invokeMethod(port_.get(), [this] {
            const PortInUse use(*this);
            drainInput();
        }, Qt::QueuedConnection);
    if (exchangeEnded_)
        exchangeEnded_();
}

QString SerialChannel::errorText(const char* step, const QString& systemText) const
{
    return QStringLiteral("WARNING:  %1 Failed with the following error: \n%2\nPort: %3\n")
        .arg(QLatin1String(step), systemText)
        .arg(portNumber_);
}

void SerialChannel::reportError(const char* step, const QString& systemText)
{
    showReport(errorText(step, systemText));
}

void SerialChannel::showReport(const QString& text)
{
    if (errorReporter_)
        errorReporter_(text);
    else
        qWarning().noquote() << "Application Error:" << text;
}

// Failures that say the device has gone: a write, a purge or a read that
// fails. A failed write carries the system's own error; a read that found
// the end of the line (the terminal was hung up) sets none, and what Qt
// reports for it is whatever error came last, so the line is asked once
// more (for its modem lines, which changes nothing) for the system's text.
void SerialChannel::portFailed(LinkPort* port, QSerialPort::SerialPortError error)
{
    if (port != port_.get())
        return;
    const bool writeFailed =
        error == QSerialPort::WriteError || (error == QSerialPort::ResourceError && (writing_ || port->writePending()));
    if (writeFailed) {
        deviceLost("WriteFile()", port->errorString());
        return;
    }
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    port->askLine();
    deviceLost("ReadFile()", port->errorString());
}

// Closes the channel at once, so that nothing retries a dead device or
// gathers unwritten requests, and reports the loss once. A loss is mostly
// found inside a call or signal of the port: the report waits for the
// event loop, or, during an exchange, for its end.
void SerialChannel::deviceLost(const char* step, const QString& systemText)
{
    if (!port_)
        return;
    lossReports_ << errorText(step, systemText);
    dropPort();
    lost_ = true;
    lostPort_ = portAddress_;
    if (linkStateChanged_)
        linkStateChanged_();
    if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [this] { showLossReports(); }, Qt::QueuedConnection);
}

// Never inside a synchronous exchange: the box would run its event loop
// in the middle of the exchange's steps (and a page may screen user input
// while it reads). The exchange then fails at once as "no reply", and the
// report comes when it has ended, before the page tells of its failure.
void SerialChannel::showLossReports()
{
    if (linkBusy)
        return;
    // Taken off the list before it is shown: the box runs an event loop.
    while (!lossReports_.isEmpty())
        showReport(lossReports_.takeFirst());
}
