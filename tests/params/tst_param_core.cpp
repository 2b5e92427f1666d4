#include "FrameBuffer.h"
#include "ParamFile.h"
#include "ParamLayout.h"
#include "ParamPage.h"
#include "ParamReply.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(ParamFileProblem)

// The widget-free parts of the parameter pages: file format, reply
// decoding, editor choice, value check.
class ParamCoreTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void records_are_stored_byte_for_byte()
    {
        const QList<ParamRecord> records{{0, 0, 1000}, {172, 0, 0xFFFF}, {6, 0, 0x0102}};
        QCOMPARE(encodeParamRecords(records).toHex(), QByteArray("0000e803ac00ffff06000201"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("电梯参数.F"));
        QCOMPARE(writeParamFile(path, records), ParamFileProblem::None);
        QCOMPARE(readParamFile(path, 173).records, records);
        QCOMPARE(writeParamFile(dir.filePath(QStringLiteral("none/x.F")), records), ParamFileProblem::CannotWrite);
        QCOMPARE(readParamFile(dir.filePath(QStringLiteral("none.F")), 173).problem, ParamFileProblem::CannotOpen);
    }

    void files_are_checked_whole_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rows");
        QTest::addColumn<ParamFileProblem>("problem");
        QTest::addColumn<int>("records");
        QTest::newRow("two records") << QByteArray(8, '\1') << 173 << ParamFileProblem::None << 2;
        QTest::newRow("more records than rows") << QByteArray(4 * 173, '\0') << 79 << ParamFileProblem::None << 79;
        QTest::newRow("empty") << QByteArray() << 173 << ParamFileProblem::Empty << 0;
        QTest::newRow("fragment") << QByteArray(6, '\1') << 173 << ParamFileProblem::Malformed << 0;
        QTest::newRow("far too long") << QByteArray(64 * 1024 + 4, '\0') << 173 << ParamFileProblem::Malformed << 0;
    }

    void files_are_checked_whole()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rows);
        QFETCH(ParamFileProblem, problem);
        QFETCH(int, records);
        const ParamFileContent content = decodeParamRecords(bytes, rows);
        QCOMPARE(content.problem, problem);
        QCOMPARE(content.records.size(), records);
    }

    void replies_decode_by_layout_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("oneByte");
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("value");
        QTest::newRow("16-bit LLHH") << QByteArray("\x02" "FFA5" "0C" "2003" "E00\x03") << false << 12 << 800;
        QTest::newRow("one byte: HH only") << QByteArray("\x02" "FFA5" "42" "2003" "E00\x03") << true << 66 << 32;
        QTest::newRow("digits cut short") << QByteArray("\x02" "FFA5" "0") << false << 0 << 0;
        QTest::newRow("ends before the number") << QByteArray("\x02" "FFA5") << false << 0 << 0;
        QTest::newRow("no hex digits") << QByteArray("\x02" "FFA5" "zz" "zzzz") << false << 0 << 0;
    }

    void replies_decode_by_layout()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, oneByte);
        QFETCH(int, number);
        QFETCH(int, value);
        FrameBuffer frame;
        // An earlier, longer reply leaves its digits behind the new text.
        frame.assign("\x02" "FFA5" "7F" "7F7F" "E00\x03");
        frame.assign(reply.constData());
        const ParamReading reading = decodeParamReply(frame, oneByte);
        QCOMPARE(reading.number, number);
        QCOMPARE(int(reading.value), value);
    }

    // The first and last index of every range, and the neighbours outside.
    void editors_by_index()
    {
        using E = ParamEditor;
        const std::pair<int, ParamEditor> cases[] = {
            {24, E::Value}, {25, E::BitMask}, {31, E::BitMask}, {32, E::Value}, {50, E::BitMask}, {55, E::BitMask},
            {64, E::Value}, {65, E::DisplayCode}, {113, E::DisplayCode}, {114, E::Value}, {134, E::BitMask},
            {139, E::BitMask}, {144, E::Value}, {145, E::TelephoneElsewhere}, {151, E::TelephoneElsewhere},
            {152, E::Value}, {161, E::LockoutSchedule}, {170, E::BitMask}, {172, E::BitMask}};
        for (const auto& [index, editor] : cases)
            QVERIFY2(editorFor(kElevatorEditors, index) == editor, qPrintable(QString::number(index)));
        QVERIFY(editorFor({}, 25) == E::Value);
        QVERIFY(kLayout173.oneByte(112) && !kLayout173.oneByte(113) && !kLayout114.oneByte(65));
    }

    void typed_values()
    {
        for (const char* refused : {"70000", "12abc", "abc", "", "-1", "1.5", "99999999999999999999"})
            QCOMPARE(checkParameterValue(QString::fromLatin1(refused)).refusal,
                     QStringLiteral("Please enter an integer between 0 and 65535."));
        QCOMPARE(checkParameterValue(QStringLiteral(" 65535 ")).value, 65535);
        QCOMPARE(checkParameterValue(QStringLiteral("0")).value, 0);
        QCOMPARE(quint16(leadingInteger(u"  70000x")), quint16(4464));
    }
};

QTEST_MAIN(ParamCoreTest)
#include "tst_param_core.moc"
