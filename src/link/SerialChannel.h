#pragma once

#include "LinkPort.h"
#include "PortOpenFailure.h"

#include <QByteArray>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QObject;

class FrameBuffer;
class ReplySorter;

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
    // Closes a held port, then runs on a port that is open already (a
    // stand-in for a device); its waits are the exchanges' waits.
    void openPort(QObject* owner, std::unique_ptr<LinkPort> port, int portNumber, unsigned eventMask);
    bool isOpen() const;
    // Why the last open failed; None after a successful open.
    PortOpenFailure openFailure() const { return openFailure_; }
    // True from a lost device until the channel opens it again, by the
    // name it was lost under.
    bool lost() const { return lost_; }
    // The name the lost device was opened by: COMn's link in the port
    // folder or its device, or the path given to openDevice.
    QString lostPort() const { return lostPort_; }
    // Ends delivery and closes the port; harmless on a closed channel.
    void close();

    // Discards every unread byte, then writes; true when all were taken.
    // False at once on a closed channel. A fault report among the discarded
    // bytes is kept (see setFaultReportHandler). When text is a request
    // frame, the reads that follow look for its reply.
    bool write(const char* text, int count);

    // Polls up to 20 times at 80 ms for a reply. The reply to a request is
    // the frame that carries the request's command and sub-command:
    // complete frames before it are not part of it (fault reports go to the
    // fault report handler, others are late and dropped), and bytes outside
    // it do not count. The read ends with that frame; with a frame of
    // another request when a poll brings nothing more after it (the caller
    // refuses it); or with the head of the reply once `wanted` characters
    // of it have come. After a write that was no request, each poll reads
    // at most `wanted` characters, and the read ends at an ETX or at a poll
    // that brought `wanted`. The reply is cut at `wanted` characters. The
    // frame is cleared first and holds only the reply, NUL-terminated.
    // Returns its count; 0 at once on a closed channel.
    int readReply(FrameBuffer& frame, int wanted);
    // Reads a reply as it comes, judged as readReply does: ends as soon as
    // the reply has come, when `wanted` characters of it have come, or
    // after timeoutMs. Returns the count; 0 at once on a closed channel.
    int readReplyAsItComes(FrameBuffer& frame, int wanted, int timeoutMs);
    // A wait of an exchange, on the port's clock; none on a closed channel.
    void exchangeSleep(int ms);

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
    // Receives each complete fault report ('E' frame) that a synchronous
    // read or a write's purge took off the line, in order of arrival.
    void setFaultReportHandler(std::function<void(const QByteArray&)> handler)
    {
        faultReportHandler_ = std::move(handler);
    }
    // Called after each successful open, before any byte is delivered.
    void setOpenedHandler(std::function<void()> handler) { opened_ = std::move(handler); }
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
    void attach(std::unique_ptr<LinkPort> port);
    // One read of the reply; `wait` is called between two looks at the
    // port and returns false when no more are due.
    int collectReply(FrameBuffer& frame, int wanted, const std::function<bool(bool first)>& wait);
    void passFaultReports(const QList<QByteArray>& reports);
    void drainInput();
    void reportError(const char* step, const QString& systemText);
    void showReport(const QString& text);
    QString errorText(const char* step, const QString& systemText) const;
    void portFailed(LinkPort* port, QSerialPort::SerialPortError error);
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

    std::unique_ptr<LinkPort> port_;
    // Ports dropped while in use, closed, kept until nothing uses them.
    std::vector<std::unique_ptr<LinkPort>> retiredPorts_;
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
    // The command pair of the last request written; none after other text.
    bool requestWritten_ = false;
    char requestCommand_ = 0;
    char requestSubCommand_ = 0;
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
    std::function<void(const QByteArray&)> faultReportHandler_;
    std::function<void()> opened_;
    std::function<void()> linkStateChanged_;
    bool lost_ = false;
    QString lostPort_;
    PortOpenFailure openFailure_ = PortOpenFailure::None;
};

// The one channel of the program.
extern SerialChannel serialChannel;
