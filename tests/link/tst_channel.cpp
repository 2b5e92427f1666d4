#include "ConfigHome.h"
#include "FrameBuffer.h"
#include "LinkEvents.h"
#include "LinkWait.h"
#include "SerialChannel.h"
#include "TestPty.h"

#include <QFileInfo>
#include <QSerialPort>
#include <QtTest>

#include <termios.h>

namespace {

// Receives the channel's bytes the way the main window does.
class ByteSink : public QObject
{
public:
    QByteArray bytes;
    int events = 0;
    QList<int> ports;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != WM_LINK_RXBYTE)
            return QObject::event(e);
        auto* rx = static_cast<LinkRxByteEvent*>(e);
        bytes.append(char(rx->byte()));
        ports.append(rx->portNumber());
        ++events;
        return true;
    }
};

const QByteArray kReply17 = "\x02" "FFAA3412E0000" "7C\x03";
// The probe 'A' '1' HH(0) with special code 'E', and frames around its reply.
const QByteArray kProbe = "\x02" "FFA100E" "BD\x03";
const QByteArray kLongRecord = "\x02" "FFA10005020503140930E" "00\x03";
const QByteArray kLateStatus = "\x02" "FFA3000000000000000000E" "00\x03";
const QByteArray kFaultReport = "\x02" "FFE02AE" "00\x03";

} // namespace

class ChannelTest : public QObject
{
    Q_OBJECT

    ConfigHome* home_ = nullptr;
    TestPty* pty_ = nullptr;
    ByteSink sink_;
    QStringList errors_;

private Q_SLOTS:
    void init()
    {
        home_ = new ConfigHome;
        pty_ = new TestPty;
        home_->linkPort(3, pty_->slavePath());
        sink_.bytes.clear();
        sink_.events = 0;
        sink_.ports.clear();
        errors_.clear();
        serialChannel.setErrorReporter([this](const QString& text) { errors_ << text; });
        serialChannel.linkBusy = 0;
        QVERIFY(serialChannel.open(&sink_, 3, 9600, 'N', 8, 1, SerialChannel::kEventMask));
    }

    void cleanup()
    {
        serialChannel.close();
        serialChannel.linkBusy = 0;
        delete pty_;
        delete home_;
    }

    void reply_queued_before_the_first_poll()
    {
        QCOMPARE(kReply17.size(), 17);
        LinkBusyGuard busy;
        pty_->send(kReply17);
        QCOMPARE(serialChannel.readReply(rxFrame, 25), 17);
        QCOMPARE(QByteArray(rxFrame.text()), kReply17);
    }

    void reply_in_two_parts()
    {
        LinkBusyGuard busy;
        pty_->send(kReply17.left(6));
        QTimer::singleShot(300, [this] { pty_->send(kReply17.mid(6)); });
        QCOMPARE(serialChannel.readReply(rxFrame, 25), 17);
        QCOMPARE(QByteArray(rxFrame.text()), kReply17);
    }

    void reply_longer_than_wanted_leaves_the_rest_for_the_next_write()
    {
        LinkBusyGuard busy;
        const QByteArray longReply = "\x02" "FFA1" + QByteArray(30, '0') + "00\x03";
        pty_->send(longReply);
        linkSleep(100);
        QCOMPARE(serialChannel.readReply(rxFrame, 20), 20);
        QCOMPARE(QByteArray(rxFrame.text()), longReply.left(20));
        // The rest is discarded by the next request.
        serialChannel.write("\x02" "FFA9E4B\x03", 9);
        QCOMPARE(pty_->receive(1000), QByteArray("\x02" "FFA9E4B\x03"));
        pty_->send(kReply17);
        QCOMPARE(serialChannel.readReply(rxFrame, 25), 17);
        QCOMPARE(QByteArray(rxFrame.text()), kReply17);
    }

    // The reply to a request is the frame that carries its command pair:
    // frames of other requests before it are not part of it, a fault
    // report is kept for the window, bytes outside it do not count.
    void reply_is_the_answering_frame_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QList<QByteArray>>("reports");
        const QList<QByteArray> none;
        QTest::newRow("alone") << kLongRecord << kLongRecord << none;
        QTest::newRow("behind a late status reply") << kLateStatus + kLongRecord << kLongRecord << none;
        QTest::newRow("behind noise and a cut frame")
            << "~#\x02" "FFA3" + kLongRecord << kLongRecord << none;
        QTest::newRow("behind a fault report") << kFaultReport + kLongRecord << kLongRecord << QList{kFaultReport};
        QTest::newRow("before a fault report") << kLongRecord + kFaultReport << kLongRecord << QList{kFaultReport};
        QTest::newRow("only another request's") << kLateStatus << kLateStatus << none;
        QTest::newRow("only a fault report") << kFaultReport << QByteArray() << QList{kFaultReport};
        QTest::newRow("cut at wanted") << "\x02" "FFA1" + QByteArray(90, '0') + "\x03"
                                       << "\x02" "FFA1" + QByteArray(75, '0') << none;
    }

    void reply_is_the_answering_frame()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, reply);
        QFETCH(QList<QByteArray>, reports);
        QList<QByteArray> kept;
        serialChannel.setFaultReportHandler([&kept](const QByteArray& frame) { kept << frame; });
        LinkBusyGuard busy;
        QVERIFY(serialChannel.write(kProbe.constData(), int(kProbe.size())));
        QCOMPARE(pty_->receive(1000), kProbe);
        pty_->send(line);
        QCOMPARE(serialChannel.readReply(rxFrame, 80), int(reply.size()));
        QCOMPARE(QByteArray(rxFrame.text()), reply);
        QCOMPARE(kept, reports);
        serialChannel.setFaultReportHandler({});
    }

    // The purge before a request keeps a fault report that waited unread.
    void write_keeps_a_fault_report_it_discards()
    {
        QList<QByteArray> kept;
        serialChannel.setFaultReportHandler([&kept](const QByteArray& frame) { kept << frame; });
        LinkBusyGuard busy;
        pty_->send("stale" + kFaultReport + "\x02" "FFA");
        linkSleep(150);
        QVERIFY(serialChannel.write(kProbe.constData(), int(kProbe.size())));
        QCOMPARE(kept, QList{kFaultReport});
        serialChannel.setFaultReportHandler({});
    }

    void nothing_arrives()
    {
        LinkBusyGuard busy;
        rxFrame.assign("old");
        QCOMPARE(serialChannel.readReply(rxFrame, 20), 0);
        QCOMPARE(rxFrame.length(), 0);
    }

    void wanted_zero_returns_at_once()
    {
        pty_->send(kReply17);
        QCOMPARE(serialChannel.readReply(rxFrame, 0), 0);
        QCOMPARE(rxFrame.length(), 0);
    }

    void never_stores_past_the_buffer()
    {
        LinkBusyGuard busy;
        pty_->send(QByteArray(1500, 'x'));
        linkSleep(150);
        QCOMPARE(serialChannel.readReply(rxFrame, 2000), FrameBuffer::kSize - 1);
        QCOMPARE(rxFrame.length(), FrameBuffer::kSize - 1);
    }

    void idle_bytes_reach_the_owner_one_event_each_in_order()
    {
        pty_->send("x\x02" "FFA0");
        QTRY_COMPARE(sink_.events, 6);
        QCOMPARE(sink_.bytes, QByteArray("x\x02" "FFA0"));
        QCOMPARE(sink_.ports, QList<int>(6, 3));
    }

    void busy_bytes_reach_only_the_synchronous_read()
    {
        {
            LinkBusyGuard busy;
            pty_->send(kReply17);
            linkSleep(200);
            QCOMPARE(sink_.events, 0);
            QCOMPARE(serialChannel.readReply(rxFrame, 25), 17);
        }
        QCOMPARE(serialChannel.linkBusy, 0);
        linkSleep(100);
        QCOMPARE(sink_.events, 0);
    }

    void write_discards_stale_input()
    {
        LinkBusyGuard busy;
        pty_->send("stale bytes");
        linkSleep(150);
        QVERIFY(serialChannel.write("\x02" "FFAAE7C\x03", 9));
        QCOMPARE(pty_->receive(1000), QByteArray("\x02" "FFAAE7C\x03"));
        pty_->send(kReply17);
        QCOMPARE(serialChannel.readReply(rxFrame, 25), 17);
        QCOMPARE(QByteArray(rxFrame.text()), kReply17);
    }

    void line_settings_are_applied_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<char>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<int>("speed");
        QTest::newRow("9600 8N1") << 9600 << 'N' << 8 << 1 << int(B9600);
        QTest::newRow("19200 7O2") << 19200 << 'O' << 7 << 2 << int(B19200);
        QTest::newRow("38400 8E1") << 38400 << 'E' << 8 << 1 << int(B38400);
        QTest::newRow("115200 7E2") << 115200 << 'E' << 7 << 2 << int(B115200);
    }

    void line_settings_are_applied()
    {
        QFETCH(int, baud);
        QFETCH(char, parity);
        QFETCH(int, dataBits);
        QFETCH(int, stopBits);
        QFETCH(int, speed);
        QVERIFY(serialChannel.open(&sink_, 3, baud, parity, dataBits, stopBits, SerialChannel::kEventMask));
        // A pseudo-terminal keeps the rate and the stop bits but forces
        // 8 data bits without parity: other framing is reported.
        const bool ptyCanDoIt = parity == 'N' && dataBits == 8;
        QCOMPARE(errors_.size(), ptyCanDoIt ? 0 : 1);
        if (!ptyCanDoIt)
            QVERIFY(errors_[0].startsWith(QStringLiteral("WARNING:  SetCommState() Failed")));
        QVERIFY(serialChannel.isOpen());
        const LineSettings held = serialChannel.lineSettings();
        QCOMPARE(held.baud, baud);
        QCOMPARE(held.stopBits, stopBits);
        const termios t = pty_->lineSettings();
        QCOMPARE(int(cfgetospeed(&t)), speed);
        QCOMPARE(bool(t.c_cflag & CSTOPB), stopBits == 2);
        QVERIFY(!(t.c_cflag & CRTSCTS));
        QVERIFY(!(t.c_iflag & (IXON | IXOFF)));
    }

    void unusable_line_setting_is_reported_and_the_port_stays_open()
    {
        QVERIFY(serialChannel.open(&sink_, 3, 9600, 'X', 8, 1, SerialChannel::kEventMask));
        QVERIFY(serialChannel.isOpen());
        QCOMPARE(errors_.size(), 1);
        QVERIFY(errors_[0].startsWith(QStringLiteral("WARNING:  BuildCommDCB() Failed with the following error: \n")));
        QVERIFY(errors_[0].endsWith(QStringLiteral("\nPort: 3\n")));
    }

    void close_twice()
    {
        serialChannel.close();
        QVERIFY(!serialChannel.isOpen());
        serialChannel.close();
        QVERIFY(!serialChannel.isOpen());
        QVERIFY(!serialChannel.write("x", 1));
        // Re-opening the same pseudo-terminal works after a close.
        QVERIFY(serialChannel.open(&sink_, 3, 9600, 'N', 8, 1, SerialChannel::kEventMask));
    }

    void missing_port_fails_quietly()
    {
        home_->linkMissingPort(8);
        QVERIFY(!serialChannel.open(&sink_, 8, 9600, 'N', 8, 1, SerialChannel::kEventMask));
        QVERIFY(!serialChannel.isOpen());
        QVERIFY(errors_.isEmpty());
        QCOMPARE(serialChannel.openFailure(), PortOpenFailure::NoDevice);
    }

    // A port that another program holds (here one more port object, as a
    // second VARDO or a terminal would) fails as busy, not as a permission
    // the user lacks; a successful open forgets the reason.
    void port_held_by_another_program_is_busy()
    {
        serialChannel.close();
        QSerialPort other(QFileInfo(pty_->slavePath()).canonicalFilePath());
        QVERIFY(other.open(QIODevice::ReadWrite));
        QVERIFY(!serialChannel.open(&sink_, 3, 9600, 'N', 8, 1, SerialChannel::kEventMask));
        QCOMPARE(serialChannel.openFailure(), PortOpenFailure::Busy);
        other.close();
        QVERIFY(serialChannel.open(&sink_, 3, 9600, 'N', 8, 1, SerialChannel::kEventMask));
        QCOMPARE(serialChannel.openFailure(), PortOpenFailure::None);
    }

    // Qt reports a lock, a busy device and a denied permission alike; the
    // device's permissions tell them apart.
    void failure_reasons_data()
    {
        QTest::addColumn<QSerialPort::SerialPortError>("error");
        QTest::addColumn<bool>("mayUse");
        QTest::addColumn<PortOpenFailure>("reason");
        QTest::newRow("no device") << QSerialPort::DeviceNotFoundError << true << PortOpenFailure::NoDevice;
        QTest::newRow("locked or busy") << QSerialPort::PermissionError << true << PortOpenFailure::Busy;
        QTest::newRow("permissions deny") << QSerialPort::PermissionError << false << PortOpenFailure::Denied;
        QTest::newRow("not a working port") << QSerialPort::ResourceError << true << PortOpenFailure::Other;
    }
    void failure_reasons()
    {
        QFETCH(QSerialPort::SerialPortError, error);
        QFETCH(bool, mayUse);
        QFETCH(PortOpenFailure, reason);
        QCOMPARE(classifyPortOpenFailure(error, mayUse), reason);
    }

    void busy_guard_restores_on_every_path()
    {
        int ended = 0;
        serialChannel.setExchangeEndedHandler([&ended] { ++ended; });
        try {
            LinkBusyGuard outer;
            {
                LinkBusyGuard inner;
                QCOMPARE(serialChannel.linkBusy, 1);
            }
            QCOMPARE(serialChannel.linkBusy, 1);
            QCOMPARE(ended, 0);
            throw 1;
        } catch (int) {
        }
        QCOMPARE(serialChannel.linkBusy, 0);
        QCOMPARE(ended, 1);
        serialChannel.setExchangeEndedHandler({});
    }
};

QTEST_GUILESS_MAIN(ChannelTest)
#include "tst_channel.moc"
