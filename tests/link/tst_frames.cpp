#include "FrameBuffer.h"
#include "HexCodec.h"
#include "Requests.h"

#include <QtTest>

namespace {

// Builds the expected frame independently of the builders: STX, "FF",
// payload, trailer, checksum over everything after the STX, ETX.
QByteArray frameOf(const QByteArray& payload, char trailer)
{
    QByteArray body = "FF" + payload + trailer;
    int sum = 0;
    for (char c : body)
        sum += static_cast<unsigned char>(c);
    return '\x02' + body + QByteArray::number(sum % 256, 16).toUpper().rightJustified(2, '0') + '\x03';
}

QByteArray current(const FrameBuffer& frame)
{
    return QByteArray(frame.text(), frame.length());
}

} // namespace

class FrameTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { specialCode = 'E'; }

    void worked_examples()
    {
        FrameBuffer f;
        f.buildPlain(255, 'A', '9');
        QCOMPARE(current(f), QByteArray("\x02" "FFA9E4B\x03"));
        QCOMPARE(f.length(), 9);

        f.buildByte(255, 'A', '5', 11);
        QCOMPARE(current(f), QByteArray("\x02" "FFA50BEB9\x03"));

        f.buildByteWord(255, 'F', '5', 0xA1, 0x1234);
        QCOMPARE(QByteArray(f.text() + 5, 2), QByteArray("A1"));
        QCOMPARE(QByteArray(f.text() + 7, 4), QByteArray("3412"));
        QCOMPARE(f.length(), 15);

        f.buildWordFlag(255, 'F', 'D', 300, 'F');
        QCOMPARE(QByteArray(f.text() + 5, 5), QByteArray("2C01F"));
        QCOMPARE(QByteArray(f.text() + 10, 2), QByteArray("32"));
        QCOMPARE(f.at(12), ETX);
        QCOMPARE(f.length(), 13);
    }

    void every_shape_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("P A0") << 0 << frameOf("A0", 'E');
        QTest::newRow("B A1 19") << 1 << frameOf("A113", 'E');
        QTest::newRow("CH FR3") << 2 << frameOf("FR3", 'E');
        QTest::newRow("CB F3 up 5") << 3 << frameOf("F3105", 'E');
        QTest::newRow("BT F5 mask") << 4 << frameOf("F51A0080", 'E');
        QTest::newRow("BW F5 byte wraps") << 5 << frameOf("F50AE803", 'E');
        QTest::newRow("T F2 phone") << 6 << frameOf("F2" "0755123\r", 'E');
        QTest::newRow("WF FD revoke") << 7 << frameOf("FD0500", '0');
    }

    void every_shape()
    {
        QFETCH(int, shape);
        QFETCH(QByteArray, expected);
        FrameBuffer f;
        switch (shape) {
        case 0: f.buildPlain(255, 'A', '0'); break;
        case 1: f.buildByte(255, 'A', '1', 19); break;
        case 2: f.buildChar(255, 'F', 'R', '3'); break;
        case 3: f.buildCharByte(255, 'F', '3', '1', 5); break;
        case 4: f.buildByteText4(255, 'F', '5', 0x1A, "0080xyz"); break;
        case 5: f.buildByteWord(255, 'F', '5', 0x10A, 1000); break;
        case 6: f.buildText(255, 'F', '2', "0755123\r"); break;
        case 7: f.buildWordFlag(255, 'F', 'D', 5, '0'); break;
        }
        QCOMPARE(current(f), expected);
        QVERIFY(f.checkReply());
    }

    void empty_text_is_plain()
    {
        FrameBuffer a, b;
        a.buildText(255, 'A', '7', "");
        b.buildPlain(255, 'A', '7');
        QCOMPARE(current(a), current(b));
    }

    void special_code_in_every_request()
    {
        specialCode = 'L';
        request::readClock();
        QCOMPARE(current(txFrame), frameOf("A9", 'L'));
        // Never read: the settings dialog's default keeps the frame whole.
        specialCode = '\0';
        request::readClock();
        QCOMPARE(current(txFrame), frameOf("A9", 'E'));
        QCOMPARE(txFrame.length(), 9);
    }

    void catalogue()
    {
        request::registerCall('1', 5);
        QCOMPARE(current(txFrame), frameOf("F3105", 'E'));
        request::readShortFaultRecord(10);
        QCOMPARE(current(txFrame), frameOf("A1A", 'E'));
        request::setIcCard(70000, 'F');
        QCOMPARE(current(txFrame), frameOf("FD7011", 'F'));
        request::setIcCard(-1, '0');
        QCOMPARE(current(txFrame), frameOf("FDFFFF", '0'));
        request::writeLockoutPeriod("03071E1205");
        QCOMPARE(current(txFrame), frameOf("FC03071E1205", 'E'));
        request::clearFaultRecords();
        QCOMPARE(current(txFrame), frameOf("FR2", 'E'));
    }

    void check_reply_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("valid");
        QTest::newRow("empty") << QByteArray() << false;
        QTest::newRow("good") << frameOf("A5", 'E') << true;
        QTest::newRow("lowercase checksum") << QByteArray("\x02" "FFA9E4b\x03") << false;
        QTest::newRow("wrong checksum") << QByteArray("\x02" "FFA9E4C\x03") << false;
        QTest::newRow("no ETX") << QByteArray("\x02" "FFA9E4B") << false;
        // An ETX inside the data is tried first, then the real one validates.
        QByteArray inner = "FFA4" + QByteArray("\x03") + "01";
        int sum = 0;
        for (char c : inner)
            sum += static_cast<unsigned char>(c);
        QTest::newRow("ETX in data")
            << QByteArray('\x02' + inner + QByteArray::number(sum % 256, 16).toUpper().rightJustified(2, '0') + '\x03')
            << true;
    }

    void check_reply()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, valid);
        FrameBuffer f;
        f.assign(content.constData());
        QCOMPARE(f.checkReply(), valid);
    }

    void assign_stays_in_buffer()
    {
        FrameBuffer f;
        const QByteArray huge(5000, 'x');
        f.assign(huge.constData());
        QCOMPARE(f.length(), FrameBuffer::kSize - 1);
        f.assign(nullptr);
        QCOMPARE(f.length(), 0);
    }

    void long_text_is_cut_before_the_checksum()
    {
        FrameBuffer f;
        const QByteArray huge(3000, '7');
        f.buildText(255, 'F', '2', huge.constData());
        QVERIFY(f.length() < FrameBuffer::kSize);
        QCOMPARE(f.at(f.length() - 1), ETX);
        QVERIFY(f.checkReply());
    }

    void decoders_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<QByteArray>("digits");
        QTest::addColumn<quint32>("value");
        QTest::newRow("hex4 3412") << 4 << QByteArray("3412") << quint32(0x1234);
        QTest::newRow("hex8") << 8 << QByteArray("0D0C0B0A") << quint32(0x0A0B0C0D);
        QTest::newRow("hex2 lowercase") << 2 << QByteArray("0a") << quint32(10);
        QTest::newRow("hex1 B") << 1 << QByteArray("B") << quint32(11);
        QTest::newRow("hex2 not hex") << 2 << QByteArray("G1") << quint32(0);
        QTest::newRow("hex2 stops at non-hex") << 2 << QByteArray("5G") << quint32(5);
        QTest::newRow("hex1 not hex") << 1 << QByteArray("x") << quint32(0);
        QTest::newRow("hex4 short text") << 4 << QByteArray("1") << quint32(1);
        QTest::newRow("hex8 minus one") << 8 << QByteArray("FFFFFFFF") << quint32(0xFFFFFFFF);
        QTest::newRow("hex8 10000") << 8 << QByteArray("10270000") << quint32(10000);
        // The text ends right after a character that is not a digit: what
        // lies behind its NUL is never read.
        QTest::newRow("hex4 text ends after non-hex") << 4 << QByteArray("\x03\0" "12", 4) << quint32(0);
        QTest::newRow("hex8 text ends after non-hex") << 8 << QByteArray("01" "G\0" "1234", 8) << quint32(1);
    }

    void decoders()
    {
        QFETCH(int, width);
        QFETCH(QByteArray, digits);
        QFETCH(quint32, value);
        // A good decode first: a failed one must not repeat it.
        QCOMPARE(decodeHex2("7F"), 0x7Fu);
        QCOMPARE(decodeHex4("FFFF"), quint16(0xFFFF));
        const char* p = digits.constData();
        switch (width) {
        case 1: QCOMPARE(quint32(decodeHex1(p)), value); break;
        case 2: QCOMPARE(quint32(decodeHex2(p)), value); break;
        case 4: QCOMPARE(quint32(decodeHex4(p)), value); break;
        case 8: QCOMPARE(quint32(decodeHex8(p)), value); break;
        }
    }

    void null_pointers()
    {
        QCOMPARE(decodeHex4(nullptr), quint16(0));
        QCOMPARE(decodeHex8(nullptr), 0u);
        QCOMPARE(QByteArray(encodeHex2(0x1AB).data()), QByteArray("AB"));
    }
};

QTEST_GUILESS_MAIN(FrameTest)
#include "tst_frames.moc"
