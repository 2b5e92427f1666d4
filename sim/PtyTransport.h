#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal: the controller side (master) and a handle on the
// device side (slave) that stays open for the transport's lifetime, so the
// tool can close and re-open the device without the master seeing a
// hang-up, and so the line settings the tool applies can be read.
class PtyTransport
{
public:
    PtyTransport();   // throws std::runtime_error when no pseudo-terminal can be had
    ~PtyTransport();
    PtyTransport(const PtyTransport&) = delete;
    PtyTransport& operator=(const PtyTransport&) = delete;

    QString devicePath() const { return devicePath_; }
    int masterFd() const { return master_; }

    // Line settings in force on the device now.
    int baudRate() const;   // 0 when unknown
    int stopBits() const;   // 1 or 2

    // Reads what is there without waiting; empty when nothing.
    QByteArray readAvailable();
    // Writes as much as the line takes now; bytes that find no room are
    // lost, as on a wire nobody listens to.
    void write(const QByteArray& bytes);

    // Places or removes the link comN in the tool's port folder.
    QString placeLink(int comNumber);
    void removeLink();
    QString linkPath() const { return linkPath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    QString devicePath_;
    QString linkPath_;
};
