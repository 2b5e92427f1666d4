#pragma once

#include "LinkPort.h"

// A serial device through Qt Serial Port.
class SerialLinkPort : public LinkPort
{
    Q_OBJECT

public:
    explicit SerialLinkPort(const QString& devicePath);

    // Opens the device for reading and writing.
    bool open();
    // Why the last open failed.
    QSerialPort::SerialPortError openError() const { return port_.error(); }
    // Applies the line settings, trying each so that what the device can
    // do is in force, without flow control; false when one was refused.
    bool applyLine(int baud, char parity, int dataBits, int stopBits);
    // Raises RTS (a device without modem lines refuses it: not an error)
    // and discards everything queued either way.
    void startClean();

    bool isOpen() const override { return port_.isOpen(); }
    void close() override { port_.close(); }
    qint64 bytesAvailable() const override { return port_.bytesAvailable(); }
    qint64 read(char* data, qint64 maxSize) override { return port_.read(data, maxSize); }
    qint64 write(const char* data, qint64 count) override { return port_.write(data, count); }
    void flush() override { port_.flush(); }
    void clearInput() override { port_.clear(QSerialPort::Input); }
    void clearError() override { port_.clearError(); }
    QString errorString() const override { return port_.errorString(); }
    bool writePending() const override { return port_.bytesToWrite() > 0; }
    void askLine() override;
    LineSettings lineSettings() const override;
    qint64 now() const override;
    void sleep(int ms) override;
    void waitForInput(int ms) override;

private:
    QSerialPort port_;
};
