#include "FaultDescriptions.h"

#include <QTest>

#include <climits>

Q_DECLARE_METATYPE(FaultLayout)

class TstFaultTables : public QObject {
    Q_OBJECT

private slots:
    // A null expected text means the table has no entry for the code.
    void lookup_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("longText");
        QTest::addColumn<QString>("shortText");
        QTest::newRow("1 blank") << 1 << QStringLiteral(" ") << QStringLiteral(" ");
        QTest::newRow("2 differs") << 2 << QStringLiteral("运行中门锁脱开") << QStringLiteral("运行中门锁断开");
        QTest::newRow("3 neither") << 3 << QString() << QString();
        QTest::newRow("5 ASCII punctuation")
            << 5
            << QStringLiteral("门开关故障,包括:1.开门3秒后门锁开关不能断开;2.开门限位和关门限位开关同时动作;3.开门限位和门锁开关同时动作")
            << QString();
        QTest::newRow("10 full-width commas")
            << 10 << QString()
            << QStringLiteral("上行时遇上多层终端减速开关时，比较写层时记录的该开关位置与当前位置比较，差距 > 0.3m，记录该故障");
        QTest::newRow("23 percent")
            << 23 << QStringLiteral("电梯超速运行(超过额定速度的110%或速度指令120%或返平层时速度超过16m/min)") << QString();
        QTest::newRow("38")
            << 38 << QStringLiteral("抱闸开关故障")
            << QStringLiteral("KMB触点和抱闸开关触点比较，不一致时间>(F36*50ms),记录故障");
        QTest::newRow("39 spaced comma")
            << 39 << QStringLiteral("安全回路继电器触点故障")
            << QStringLiteral("安全继电器触点和高压安全回路检测比较，不一致时间 > 2s , 记录故障");
        QTest::newRow("40 short only") << 40 << QString() << QStringLiteral("KBC1触点检测故障");
        QTest::newRow("44 short only") << 44 << QString() << QStringLiteral("高速继电器触点检测，减速时高速继电器不能释放");
        QTest::newRow("45 long only") << 45 << QStringLiteral("再平层继电器触点故障") << QString();
        // Would be parameter descriptions in the shared string numbering.
        QTest::newRow("53") << 53 << QString() << QString();
        QTest::newRow("100") << 100 << QString() << QString();
        QTest::newRow("0") << 0 << QString() << QString();
        QTest::newRow("257 no byte wrap") << 257 << QString() << QString();
        QTest::newRow("258") << 258 << QString() << QString();
        QTest::newRow("-254") << -254 << QString() << QString();
        QTest::newRow("INT_MIN") << INT_MIN << QString() << QString();
        QTest::newRow("INT_MAX") << INT_MAX << QString() << QString();
    }
    void lookup()
    {
        QFETCH(int, code);
        QFETCH(QString, longText);
        QFETCH(QString, shortText);
        const auto expected = [](const QString& t) { return t.isNull() ? std::nullopt : std::optional(t); };
        QCOMPARE(faultText(FaultLayout::Long, code), expected(longText));
        QCOMPARE(faultText(FaultLayout::Short, code), expected(shortText));
        QCOMPARE(faultStringId(FaultLayout::Long, code), longText.isNull() ? 0 : 300 + code);
        QCOMPARE(faultStringId(FaultLayout::Short, code), shortText.isNull() ? 0 : 500 + code);
    }

    // Exactly these codes have an entry, over every value a record byte and
    // far beyond can take.
    void codes_data()
    {
        QTest::addColumn<FaultLayout>("layout");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("long") << FaultLayout::Long
                              << QList<int>{1, 2, 5, 6, 7, 8, 9, 14, 15, 16, 18, 22, 23,
                                            24, 25, 26, 29, 30, 31, 32, 35, 36, 37, 38, 39, 45};
        QTest::newRow("short") << FaultLayout::Short
                               << QList<int>{1, 2, 8, 9, 10, 11, 12, 13, 17, 31, 32, 35, 36, 37, 38, 39, 40, 44};
    }
    void codes()
    {
        QFETCH(FaultLayout, layout);
        QFETCH(QList<int>, codes);
        QList<int> found;
        for (int code = -1000; code <= 1000; ++code) {
            if (const auto text = faultText(layout, code)) {
                QVERIFY(!text->isEmpty());
                found << code;
            }
        }
        QCOMPARE(found, codes);
    }
};

QTEST_GUILESS_MAIN(TstFaultTables)
#include "tst_fault_tables.moc"
