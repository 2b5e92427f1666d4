#pragma once

#include "PortOpenFailure.h"

#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QObject;

// The line settings a port runs at.
struct LineSettings
{
    int baud = 0;
    char parity = 'N';
    int dataBits = 0;
    int stopBits = 0;
};

class QSerialPort;
class FrameBuffer;

// The tool's one connection to the controllers. It lives on the
// user-interface thread: received bytes are handed to the owner one at a
// time as LinkRxByteEvent while linkBusy is 0, and left queued for
// readReply while a synchronous exchange sets it.
//
// A device that goes away (an adapter pulled, the peer of a pseudo-terminal
// closed) shows as the first failed read or write: the channel closes itself
// at once and reports the loss once, as an "Application Error" naming the
// failed step, as soon as no synchronous exchange runs. From then on it is
// simply closed: writes fail and readReply returns 0 without waiting, until
// it is opened again.
class SerialChannel
{
public:
    // EV_RXCHAR | EV_CTS | EV_BREAK, the mask every caller passes.
    static constexpr unsigned kEventMask = 73;
    static constexpr unsigned kRxCharEvent = 0x01;
    static constexpr int kPolls = 20;
    static constexpr int kPollMs = 80;

    SerialChannel() = default;
    SerialChannel(const SerialChannel&) = delete;
    SerialChannel& operator=(const SerialChannel&) = delete;
    ~SerialChannel();

    // Closes a held port, then opens COMn with the given line settings.
    // False when the port cannot be opened (nothing is shown). A line
    // setting that cannot be applied is reported and the port stays open.
    bool open(QObject* owner, int portNumber, int baud, char parity, int dataBits, int stopBits,
              unsigned eventMask);
    // The same for a device named by its path; reports name portNumber.
    bool openDevice(QObject* owner, const QString& devicePath, int portNumber, int baud, char parity,
                    int dataBits, int stopBits, unsigned eventMask);
    bool isOpen() const;
    // Why the last open failed; None after a successful open.
    PortOpenFailure openFailure() const { return openFailure_; }
    // True from a lost device until the channel is opened again.
    bool lost() const { return lost_; }
    // The name the lost device was opened by: COMn's link in the port
    // folder or its device, or the path given to openDevice.
    QString lostPort() const { return lostPort_; }
    // Ends delivery and closes the port; harmless on a closed channel.
    void close();

    // Discards every unread byte, then writes; true when all were taken.
    // False at once on a closed channel.
    bool write(const char* text, int count);

    // Polls up to 20 times at 80 ms for a reply, reading at most `wanted`
    // characters a poll; ends at an ETX or at a poll that brought `wanted`.
    // The frame is cleared first and holds only what came, NUL-terminated.
    // Returns the count; 0 at once on a closed channel.
    int readReply(FrameBuffer& frame, int wanted);
    // Reads a reply as it comes: ends as soon as an ETX has arrived, when
    // `wanted` characters have come, or after timeoutMs. Returns the count;
    // 0 at once on a closed channel.
    int readReplyAsItComes(FrameBuffer& frame, int wanted, int timeoutMs);

    int portNumber() const { return portNumber_; }
    QString devicePath() const { return devicePath_; }
    // What the open port is set to; zeros when closed.
    LineSettings lineSettings() const;

    // Receives the text of every "Application Error" report.
    void setErrorReporter(std::function<void(const QString&)> reporter) { errorReporter_ = std::move(reporter); }
    // Watches the line: each request as it is written (sent true), and the
    // received bytes as they are taken off the port (sent false): a
    // synchronous reply whole when its read ends, bytes for the owner one
    // at a time. Called on the user-interface thread; it must not block.
    // Several may watch, in the order added; the id removes one again.
    using TrafficObserver = std::function<void(bool sent, const char* bytes, int count)>;
    int addTrafficObserver(TrafficObserver observer);
    void removeTrafficObserver(int id);
    // Called when a device is lost and when the channel opens after a loss.
    void setLinkStateHandler(std::function<void()> handler) { linkStateChanged_ = std::move(handler); }
    // Called each time linkBusy returns to 0 after an exchange.
    void setExchangeEndedHandler(std::function<void()> handler) { exchangeEnded_ = std::move(handler); }
    // Shows a loss report that waited for the exchange, then tells the handler.
    void notifyExchangeEnded();

    // 1 while a page performs a synchronous exchange.
    int linkBusy = 0;

private:
    // Opens devicePath, reached by the name address (COMn's link or device).
    bool openAt(QObject* owner, const QString& address, const QString& devicePath, int portNumber, int baud,
                char parity, int dataBits, int stopBits, unsigned eventMask);
    int readReply(char* buffer, int wanted);
    void drainInput();
    void waitForInput(int ms);
    void reportError(const char* step, const QString& systemText);
    void showReport(const QString& text);
    QString errorText(const char* step, const QString& systemText) const;
    void portFailed(QSerialPort* port, int error);
    void deviceLost(const char* step, const QString& systemText);
    void showLossReports();
    void dropPort();
    void scheduleRetiredRelease();
    void releaseRetiredPorts();

    // Marks a call, signal or delivery of the port on the stack.
    class PortInUse
    {
    public:
        explicit PortInUse(SerialChannel& channel);
        ~PortInUse();
        PortInUse(const PortInUse&) = delete;
        PortInUse& operator=(const PortInUse&) = delete;

    private:
        SerialChannel& channel_;
    };

    std::unique_ptr<QSerialPort> port_;
    // Ports dropped while in use, closed, kept until nothing uses them.
    std::vector<std::unique_ptr<QSerialPort>> retiredPorts_;
    int portUse_ = 0;
    QPointer<QObject> owner_;
    int portNumber_ = 0;
    unsigned eventMask_ = 0;
    QString devicePath_;
    QString portAddress_;
    bool draining_ = false;
    bool readingReply_ = false;
    // Set while write() works on the port: a failure then is the write's.
    bool writing_ = false;
    // Loss reports not shown yet, one per lost device.
    QStringList lossReports_;
    std::function<void(const QString&)> errorReporter_;
    std::function<void()> exchangeEnded_;
    void observe(bool sent, const char* bytes, int count) const;
    struct Observer
    {
        int id;
        TrafficObserver watch;
    };
    std::vector<Observer> trafficObservers_;
    int lastObserverId_ = 0;
    std::function<void()> linkStateChanged_;
    bool lost_ = false;
    QString lostPort_;
    PortOpenFailure openFailure_ = PortOpenFailure::None;
};

// The one channel of the program.
extern SerialChannel serialChannel;
