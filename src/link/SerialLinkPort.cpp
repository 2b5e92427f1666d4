#include "SerialLinkPort.h"

#include "LinkWait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSignalBlocker>
#include <QTimer>

#include <chrono>

SerialLinkPort::SerialLinkPort(const QString& devicePath)
{
    port_.setPortName(devicePath);
    connect(&port_, &QSerialPort::readyRead, this, &LinkPort::readyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &LinkPort::failed);
}

bool SerialLinkPort::open()
{
    return port_.open(QIODevice::ReadWrite);
}

bool SerialLinkPort::applyLine(int baud, char parity, int dataBits, int stopBits)
{
    const auto qtParity = parity == 'N'   ? QSerialPort::NoParity
                          : parity == 'O' ? QSerialPort::OddParity
                                          : QSerialPort::EvenParity;
    bool applied = port_.setBaudRate(baud);
    applied = port_.setParity(qtParity) && applied;
    applied = port_.setDataBits(dataBits == 7 ? QSerialPort::Data7 : QSerialPort::Data8) && applied;
    applied = port_.setStopBits(stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) && applied;
    applied = port_.setFlowControl(QSerialPort::NoFlowControl) && applied;
    return applied;
}

void SerialLinkPort::startClean()
{
    port_.setRequestToSend(true);
    port_.clearError();
    port_.clear(QSerialPort::AllDirections);
}

void SerialLinkPort::askLine()
{
    const QSignalBlocker quiet(port_);
    port_.pinoutSignals();
}

LineSettings SerialLinkPort::lineSettings() const
{
    LineSettings line;
    line.baud = int(port_.baudRate());
    line.parity = port_.parity() == QSerialPort::NoParity    ? 'N'
                  : port_.parity() == QSerialPort::OddParity ? 'O'
                                                             : 'E';
    line.dataBits = int(port_.dataBits());
    line.stopBits = port_.stopBits() == QSerialPort::TwoStop ? 2 : 1;
    return line;
}

qint64 SerialLinkPort::now() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SerialLinkPort::sleep(int ms)
{
    linkSleep(ms);
}

// The window keeps repainting meanwhile, as in every wait of an exchange.
void SerialLinkPort::waitForInput(int ms)
{
    if (!QCoreApplication::instance()) {
        port_.waitForReadyRead(ms);
        return;
    }
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&port_, &QSerialPort::readyRead, &loop, &QEventLoop::quit);
    QObject::connect(&port_, &QSerialPort::errorOccurred, &loop, &QEventLoop::quit);
    timer.start(ms);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
