#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>

// The line settings a port runs at.
struct LineSettings
{
    int baud = 0;
    char parity = 'N';
    int dataBits = 0;
    int stopBits = 0;
};

// What the serial channel needs of an open port: bytes in and out, the
// purge, the line's failures and the waits of an exchange. SerialLinkPort
// is the real device; a stand-in that answers from memory lets the
// channel's reads and the exchanges above it run without a device and
// without waiting in real time.
class LinkPort : public QObject
{
    Q_OBJECT

public:
    ~LinkPort() override = default;

    virtual bool isOpen() const = 0;
    virtual void close() = 0;
    virtual qint64 bytesAvailable() const = 0;
    // -1 on a failed read.
    virtual qint64 read(char* data, qint64 maxSize) = 0;
    // -1 on a failed write.
    virtual qint64 write(const char* data, qint64 count) = 0;
    virtual void flush() = 0;
    // Discards unread input.
    virtual void clearInput() = 0;
    virtual void clearError() = 0;
    virtual QString errorString() const = 0;
    // Written bytes not yet on the line.
    virtual bool writePending() const = 0;
    // Asks the line once more (changing nothing), so that errorString()
    // holds the system's text for a failure that set none.
    virtual void askLine() = 0;
    virtual LineSettings lineSettings() const = 0;

    // Milliseconds on the port's clock, from any fixed start.
    virtual qint64 now() const = 0;
    // A wait that belongs to an exchange.
    virtual void sleep(int ms) = 0;
    // Returns when input is queued, the port fails or ms have passed.
    virtual void waitForInput(int ms) = 0;

Q_SIGNALS:
    void readyRead();
    void failed(QSerialPort::SerialPortError error);
};
