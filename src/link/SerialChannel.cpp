#include "SerialChannel.h"

#include "FrameBuffer.h"
#include "LinkEvents.h"
#include "LinkWait.h"
#include "PortNames.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QSerialPort>
#include <QSignalBlocker>
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

    auto port = std::make_unique<QSerialPort>();
    port->setPortName(devicePath_);
    if (!port->open(QIODevice::ReadWrite)) {
        openFailure_ = classifyPortOpenFailure(port->error(), userMayUseDevice(devicePath_));
        return false;
    }
    openFailure_ = PortOpenFailure::None;
    port_ = std::move(port);

    // The line settings of "baud=%d parity=%c data=%d stop=%d".
    const bool parityKnown = parity == 'N' || parity == 'O' || parity == 'E';
    const bool dataKnown = dataBits == 7 || dataBits == 8;
    const bool stopKnown = stopBits == 1 || stopBits == 2;
    if (!parityKnown || !dataKnown || !stopKnown || baud <= 0) {
        reportError("BuildCommDCB()", QStringLiteral("The parameter is incorrect."));
    } else {
        const auto qtParity = parity == 'N'   ? QSerialPort::NoParity
                              : parity == 'O' ? QSerialPort::OddParity
                                              : QSerialPort::EvenParity;
        // Every setting is tried, so that what the device can do is in force.
        bool applied = port_->setBaudRate(baud);
        applied = port_->setParity(qtParity) && applied;
        applied = port_->setDataBits(dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8) && applied;
        applied = port_->setStopBits(stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) && applied;
        applied = port_->setFlowControl(QSerialPort::NoFlowControl) && applied;
        if (!applied)
            reportError("SetCommState()", port_->errorString());
    }
    // A device without modem lines (a pseudo-terminal) refuses RTS: not an error.
    port_->setRequestToSend(true);
    port_->clearError();
    port_->clear(QSerialPort::AllDirections);

    QSerialPort* const opened = port_.get();
    QObject::connect(opened, &QSerialPort::readyRead, opened, [this] {
        const PortInUse use(*this);
        drainInput();
    });
    QObject::connect(opened, &QSerialPort::errorOccurred, opened,
                     [this, opened](QSerialPort::SerialPortError error) {
                         const PortInUse use(*this);
                         portFailed(opened, error);
                     });
    if (lost_) {
        lost_ = false;
        if (linkStateChanged_)
            linkStateChanged_();
    }
    return true;
}

LineSettings SerialChannel::lineSettings() const
{
    LineSettings line;
    if (!isOpen())
        return line;
    line.baud = int(port_->baudRate());
    line.parity = port_->parity() == QSerialPort::NoParity    ? 'N'
                  : port_->parity() == QSerialPort::OddParity ? 'O'
                                                              : 'E';
    line.dataBits = int(port_->dataBits());
    line.stopBits = port_->stopBits() == QSerialPort::TwoStop ? 2 : 1;
    return line;
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
    QSerialPort* const port = port_.get();
    const auto held = [&] { return port_.get() == port; };
    writing_ = true;
    // Unread input, also late or unsolicited bytes, is discarded before
    // every request. Output is never discarded: a request written just
    // before must still reach the controller. A watcher of the line still
    // sees what is discarded.
    if (!trafficObservers_.empty() && port->bytesAvailable() > 0) {
        const QByteArray unread = port->readAll();
        observe(false, unread.constData(), int(unread.size()));
    }
    if (held())
        port->clear(QSerialPort::Input);
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
    return held() && written == count;
}

int SerialChannel::readReply(char* buffer, int wanted)
{
    int stored = 0;
    buffer[0] = '\0';
    if (wanted <= 0)
        return 0;
    // A closed channel has no reply to wait for.
    if (!isOpen())
        return 0;
    const PortInUse use(*this);
    readingReply_ = true;
    for (int poll = 0; poll < kPolls; ++poll) {
        linkSleep(kPollMs);
        if (!isOpen())
            break;
        const qint64 queued = port_->bytesAvailable();
        const int room = FrameBuffer::kSize - 1 - stored;
        const int n = int(std::min<qint64>({queued, qint64(wanted), qint64(room)}));
        int got = 0;
        if (n > 0) {
            got = int(port_->read(buffer + stored, n));
            if (got < 0) {
                port_->clearError();
                got = 0;
            }
            stored += got;
            if (std::memchr(buffer, ETX, size_t(stored)))
                break;
        }
        if (got >= wanted || stored >= FrameBuffer::kSize - 1)
            break;
    }
    buffer[stored] = '\0';
    readingReply_ = false;
    if (stored > 0)
        observe(false, buffer, stored);
    return stored;
}

// The buffer holds only what came for this reply.
int SerialChannel::readReply(FrameBuffer& frame, int wanted)
{
    frame.clear();
    return readReply(frame.data(), wanted);
}

int SerialChannel::readReplyAsItComes(FrameBuffer& frame, int wanted, int timeoutMs)
{
    frame.clear();
    char* const buffer = frame.data();
    int stored = 0;
    if (wanted <= 0 || !isOpen())
        return 0;
    wanted = std::min(wanted, FrameBuffer::kSize - 1);
    const PortInUse use(*this);
    readingReply_ = true;
    QElapsedTimer clock;
    clock.start();
    while (isOpen()) {
        const int n = int(std::min<qint64>(port_->bytesAvailable(), qint64(wanted - stored)));
        if (n > 0) {
            const int got = int(port_->read(buffer + stored, n));
            if (got < 0)
                port_->clearError();
            else
                stored += got;
            if (std::memchr(buffer, ETX, size_t(stored)) || stored >= wanted)
                break;
        }
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0)
            break;
        waitForInput(int(left));
    }
    buffer[stored] = '\0';
    readingReply_ = false;
    if (stored > 0)
        observe(false, buffer, stored);
    return stored;
}

// Returns when input is queued, the port fails or ms have passed. The
// window keeps repainting meanwhile, as in every wait of an exchange.
void SerialChannel::waitForInput(int ms)
{
    QSerialPort* const port = port_.get();
    if (!QCoreApplication::instance()) {
        port->waitForReadyRead(ms);
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(port, &QSerialPort::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(port, &QSerialPort::errorOccurred, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
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
    if (draining_ || readingReply_ || linkBusy || !(eventMask_ & kRxCharEvent))
        return;
    draining_ = true;
    QSerialPort* const port = port_.get();
    // Each byte is handled by the owner before the next is taken; a byte
    // handler may close the channel or start an exchange, which ends the drain.
    while (port == port_.get() && port->isOpen() && !linkBusy && port->bytesAvailable() > 0) {
        char byte = 0;
        if (!port->getChar(&byte)) {
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
void SerialChannel::portFailed(QSerialPort* port, int error)
{
    if (port != port_.get())
        return;
    const bool writeFailed =
        error == QSerialPort::WriteError ||
        (error == QSerialPort::ResourceError && (writing_ || port->bytesToWrite() > 0));
    if (writeFailed) {
        deviceLost("WriteFile()", port->errorString());
        return;
    }
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError)
        return;
    {
        const QSignalBlocker quiet(port);
        port->pinoutSignals();
    }
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
