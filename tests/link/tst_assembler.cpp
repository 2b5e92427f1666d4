#include "FrameAssembler.h"

#include <QtTest>

namespace {

// Feeds bytes; returns every completed frame text.
QList<QByteArray> feed(FrameAssembler& assembler, const QByteArray& bytes)
{
    QList<QByteArray> frames;
    for (char c : bytes) {
        if (assembler.take(static_cast<unsigned char>(c)))
            frames << QByteArray(assembler.frameText());
    }
    return frames;
}

} // namespace

class AssemblerTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cases_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QByteArray>>("frames");
        QTest::newRow("leading byte dropped")
            << QByteArray("x\x02" "FFA9050314093005E0\x03")
            << QList<QByteArray>{QByteArray("\x02" "FFA9050314093005E0\x03")};
        QTest::newRow("STX restarts")
            << QByteArray("\x02" "FFA\x02" "FFA0010000E5\x03")
            << QList<QByteArray>{QByteArray("\x02" "FFA0010000E5\x03")};
        QTest::newRow("ETX outside a frame ignored")
            << QByteArray("\x03\x03" "ab\x02" "FFA8\x03" "zz")
            << QList<QByteArray>{QByteArray("\x02" "FFA8\x03")};
        QTest::newRow("NUL ends the text")
            << QByteArray("\x02" "FFA4\0" "12\x03", 9)
            << QList<QByteArray>{QByteArray("\x02" "FFA4")};
        QTest::newRow("two frames") << QByteArray("\x02" "A\x03\x02" "B\x03")
                                    << QList<QByteArray>{QByteArray("\x02" "A\x03"), QByteArray("\x02" "B\x03")};
        QTest::newRow("unterminated") << QByteArray("\x02" "FFA0") << QList<QByteArray>{};
    }

    void cases()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QByteArray>, frames);
        FrameAssembler assembler;
        QCOMPARE(feed(assembler, bytes), frames);
    }

    void overlong_frame_is_dropped_and_assembly_resynchronises()
    {
        FrameAssembler assembler;
        // 1022 characters plus STX: one more and ETX and NUL would not fit.
        const QByteArray fits = '\x02' + QByteArray(FrameAssembler::kSize - 3, 'a') + '\x03';
        QCOMPARE(feed(assembler, fits).size(), 1);
        QCOMPARE(int(strlen(assembler.frameText())), FrameAssembler::kSize - 1);

        const QByteArray tooLong = '\x02' + QByteArray(FrameAssembler::kSize + 10, 'b') + '\x03';
        QVERIFY(feed(assembler, tooLong).isEmpty());
        QVERIFY(!assembler.frameOpen());
        QCOMPARE(feed(assembler, "tail\x03\x02" "FFA3\x03"), QList<QByteArray>{QByteArray("\x02" "FFA3\x03")});
    }
};

QTEST_GUILESS_MAIN(AssemblerTest)
#include "tst_assembler.moc"
