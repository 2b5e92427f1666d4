#include "RecordReplies.h"

#include <QtTest>

#include <memory>

// Replies cut short: the decoders read up to the NUL and no further (each
// text sits in a heap block of exactly its size, for the address sanitizer).
class RecordsCoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cut_replies_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<bool>("longLayout");
        QTest::addColumn<int>("value");       // floor count and shaft value
        QTest::addColumn<QStringList>("row"); // empty: no row
        QTest::newRow("long, in the time") << QByteArray("\x02" "FFA100FF010503") << true << 0x030501FF
                                           << QStringList{"0", "255", "1", "05-03"};
        QTest::newRow("short, in the time") << QByteArray("\x02" "FFA1F2D" "\x7F\xE9") << false << 0xD
                                            << QStringList{"15", "45", "", QString::fromLatin1("\x7F\xE9")};
        QTest::newRow("in the code") << QByteArray("\x02" "FFA1000") << true << 0 << QStringList{};
        QTest::newRow("in the value") << QByteArray("\x02" "FFA60110") << true << 0x10
                                      << QStringList{"1", "16", "0", ""};
        QTest::newRow("before the data") << QByteArray("\x02" "FFA6") << false << 0 << QStringList{};
        QTest::newRow("empty") << QByteArray() << false << 0 << QStringList{};
    }
    void cut_replies()
    {
        QFETCH(QByteArray, frame);
        QFETCH(bool, longLayout);
        QFETCH(int, value);
        QFETCH(QStringList, row);
        const auto text = std::make_unique<char[]>(size_t(frame.size()) + 1);
        std::memcpy(text.get(), frame.constData(), size_t(frame.size()) + 1);
        QCOMPARE(records::floorCount(text.get()), value & 0xFFFF);
        QCOMPARE(records::shaftValue(text.get()), value);
        const auto parsed = records::parseFaultRecord(text.get(), longLayout);
        QCOMPARE(parsed ? parsed->texts : QStringList(), row);
        QVERIFY(!records::parseFaultRecord(nullptr, longLayout) && records::shaftValue(nullptr) == 0);
    }
};

QTEST_GUILESS_MAIN(RecordsCoreTest)
#include "tst_records_core.moc"
