#include "ParamDescriptions.h"

#include <QTest>

#include <climits>

Q_DECLARE_METATYPE(ParamTable)

namespace {

const QString kFloorSuffix = QStringLiteral("层楼显示代码");

struct TableCase {
    const char* name;
    ParamTable table;
    int rows;
    int idOffset;
};

constexpr TableCase kCases[] = {
    {"173", ParamTable::Layout173, 173, 1},
    {"114", ParamTable::Layout114, 114, 355},
    {"door", ParamTable::Door, 79, 600},
};

void addTableRows()
{
    QTest::addColumn<ParamTable>("table");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("idOffset");
    for (const TableCase& c : kCases)
        QTest::newRow(c.name) << c.table << c.rows << c.idOffset;
}

} // namespace

class TstParamTables : public QObject {
    Q_OBJECT

private slots:
    // Texts the pages and dialogs depend on, and the ones easiest to get wrong:
    // near-identical neighbours, blanks, trailing blanks.
    void texts_data()
    {
        QTest::addColumn<ParamTable>("table");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        const auto L173 = ParamTable::Layout173, L114 = ParamTable::Layout114, D = ParamTable::Door;
        QTest::newRow("173/0") << L173 << 0 << QStringLiteral("变频电梯模拟量速度给定时，加速斜率");
        QTest::newRow("173/2 mixed commas")
            << L173 << 2 << QStringLiteral("变频电梯模拟量速度给定时，起动时圆角时间（T0）,双速梯时，1A接触器延迟吸合时间");
        QTest::newRow("173/25") << L173 << 25 << QStringLiteral("主板输入常开/常闭设定(对应X0到X15)");
        QTest::newRow("173/28") << L173 << 28 << QStringLiteral("主轿厢板输入常开/常闭设定(对应TX16到TX31)");
        QTest::newRow("173/31") << L173 << 31 << QStringLiteral("单梯设定的服务层(对应33到48层)");
        QTest::newRow("173/43 boards")
            << L173 << 43
            << QStringLiteral("LD-4板程序中，司机状态时蜂鸣和按钮灯模式;RX-07-C板中，为沈阳zu特制的液晶显示器显示'zu'或'Hollan'选择");
        QTest::newRow("173/61") << L173 << 61 << QStringLiteral("LD-4板显示模式（七段码或BCD码或格雷码或二进制码选择）");
        QTest::newRow("173/64") << L173 << 64 << QStringLiteral("检修时能否点动操作门");
        QTest::newRow("173/113") << L173 << 113 << QStringLiteral("备用");
        QTest::newRow("173/136") << L173 << 136 << QStringLiteral("真层或假层设置（对应33到48层）");
        QTest::newRow("173/139") << L173 << 139 << QStringLiteral("NS功能时设定的服务层（对应33到48层）");
        QTest::newRow("173/140") << L173 << 140 << QStringLiteral("电梯ID号");
        QTest::newRow("173/144") << L173 << 144 << QStringLiteral("电梯ID号");
        QTest::newRow("173/145") << L173 << 145 << QStringLiteral("电话号码");
        QTest::newRow("173/151") << L173 << 151 << QStringLiteral("电话号码");
        QTest::newRow("173/169") << L173 << 169 << QStringLiteral("备用");
        QTest::newRow("173/171") << L173 << 171 << QStringLiteral("IC卡功能的服务层（对应17到32层）");
        QTest::newRow("173/172 reads 32") << L173 << 172 << QStringLiteral("IC卡功能的服务层（对应32到48层）");
        QTest::newRow("114/0") << L114 << 0 << QStringLiteral("开闸时间");
        QTest::newRow("114/25") << L114 << 25 << QStringLiteral("主板输入常开/常闭设定(对应X0到X15)");
        QTest::newRow("114/28") << L114 << 28 << QStringLiteral("主轿厢板输入常开/常闭设定(对应TX16到TX31)");
        QTest::newRow("114/37") << L114 << 37 << QStringLiteral("无效");
        QTest::newRow("114/39") << L114 << 39 << QStringLiteral("无效");
        QTest::newRow("114/50 full-width colon") << L114 << 50 << QStringLiteral("前门设定(1-16层)：设定各层前门是否允许打开");
        QTest::newRow("114/58")
            << L114 << 58 << QStringLiteral("开通提前开门和开门再平层功能(0:都没有 1:有提前开门2:有开门再平层 3:两功能都开通)");
        QTest::newRow("114/65") << L114 << 65 << QStringLiteral("备用");
        QTest::newRow("door/0") << D << 0 << QStringLiteral("版本号(输入9999恢复默认值，199保存参数)");
        QTest::newRow("door/24 trailing blank") << D << 24 << QStringLiteral("关门减速 ");
        QTest::newRow("door/27 trailing blank") << D << 27 << QStringLiteral("关门到位力矩提升 ");
        QTest::newRow("door/55") << D << 55 << QStringLiteral("备用");
        QTest::newRow("door/67 two blanks") << D << 67 << QStringLiteral("  ");
        QTest::newRow("door/78") << D << 78 << QStringLiteral(" ");
    }
    void texts()
    {
        QFETCH(ParamTable, table);
        QFETCH(int, index);
        QFETCH(QString, text);
        QCOMPARE(parameterDescription(table, index), std::optional<QString>(text));
    }

    // Every index of the table has a text, nothing outside it does, and the
    // string IDs run from the table's offset.
    void extent_data() { addTableRows(); }
    void extent()
    {
        QFETCH(ParamTable, table);
        QFETCH(int, rows);
        QFETCH(int, idOffset);
        QCOMPARE(descriptionRowCount(table), rows);
        for (int i = 0; i < rows; ++i) {
            QVERIFY2(parameterDescription(table, i).has_value(), qPrintable(QString::number(i)));
            QCOMPARE(descriptionStringId(table, i), i + idOffset);
            QCOMPARE(descriptionByStringId(i + idOffset), parameterDescription(table, i));
        }
        for (int i : {-1, rows, rows + 1, 255, 1000, INT_MIN, INT_MAX}) {
            QVERIFY2(!parameterDescription(table, i).has_value(), qPrintable(QString::number(i)));
            QCOMPARE(descriptionStringId(table, i), 0);
        }
    }

    // Which rows are blank, and that no other row starts or ends in a blank
    // except door indexes 24 and 27.
    void blanks_data()
    {
        QTest::addColumn<ParamTable>("table");
        QTest::addColumn<QList<int>>("blankRows");
        QTest::addColumn<QList<int>>("trailingBlank");
        QList<int> door;
        for (int i = 28; i <= 45; ++i)
            door << i;
        for (int i = 56; i <= 78; ++i)
            door << i;
        QTest::newRow("173") << ParamTable::Layout173 << QList<int>{60, 63, 126} << QList<int>{};
        QTest::newRow("114") << ParamTable::Layout114 << QList<int>{} << QList<int>{};
        QTest::newRow("door") << ParamTable::Door << door << QList<int>{24, 27};
    }
    void blanks()
    {
        QFETCH(ParamTable, table);
        QFETCH(QList<int>, blankRows);
        QFETCH(QList<int>, trailingBlank);
        QList<int> blank, trailing;
        for (int i = 0; i < descriptionRowCount(table); ++i) {
            const QString text = *parameterDescription(table, i);
            if (text.trimmed().isEmpty()) {
                blank << i;
                QCOMPARE(text, QString(i == 67 && table == ParamTable::Door ? 2 : 1, QLatin1Char(' ')));
            } else {
                QVERIFY2(!text.front().isSpace(), qPrintable(QString::number(i)));
                if (text.back().isSpace())
                    trailing << i;
            }
        }
        QCOMPARE(blank, blankRows);
        QCOMPARE(trailing, trailingBlank);
    }

    // The floor display-code rows name floors 1 to 48 in index order, and no
    // other row is one.
    void floorRows_data()
    {
        QTest::addColumn<ParamTable>("table");
        QTest::addColumn<int>("firstIndex");
        QTest::newRow("173") << ParamTable::Layout173 << 65;
        QTest::newRow("114") << ParamTable::Layout114 << 66;
        QTest::newRow("door") << ParamTable::Door << -1;
    }
    void floorRows()
    {
        QFETCH(ParamTable, table);
        QFETCH(int, firstIndex);
        for (int i = 0; i < descriptionRowCount(table); ++i) {
            const QString text = *parameterDescription(table, i);
            const bool floorRow = firstIndex >= 0 && i >= firstIndex && i < firstIndex + 48;
            if (floorRow)
                QCOMPARE(text, QString::number(i - firstIndex + 1) + kFloorSuffix);
            else
                QVERIFY2(!text.endsWith(kFloorSuffix), qPrintable(QString::number(i)));
        }
    }

    // IDs between and around the tables hold nothing, so no lookup by ID
    // reaches into a neighbour's numbering (the fault texts use 301 to 345
    // and 501 to 544).
    void idsOutsideTables()
    {
        for (int id : {INT_MIN, -1, 0, 174, 300, 301, 345, 353, 354, 469, 500, 544, 599, 679, 1000, INT_MAX})
            QVERIFY2(!descriptionByStringId(id).has_value(), qPrintable(QString::number(id)));
    }

    // The bit-mask dialog picks its labels by the texts of IDs 26 to 29; the
    // 114-parameter layout must give the same four texts at indexes 25 to 28,
    // and no other row of any table may equal one of them.
    void inputSettingTexts()
    {
        QStringList ids;
        for (int id = 26; id <= 29; ++id)
            ids << *descriptionByStringId(id);
        QCOMPARE(ids.first(), QStringLiteral("主板输入常开/常闭设定(对应X0到X15)"));
        QCOMPARE(ids.last(), QStringLiteral("主轿厢板输入常开/常闭设定(对应TX16到TX31)"));
        for (const TableCase& c : kCases) {
            for (int i = 0; i < c.rows; ++i) {
                const int match = ids.indexOf(*parameterDescription(c.table, i));
                const bool door = c.table == ParamTable::Door;
                QCOMPARE(match, !door && i >= 25 && i <= 28 ? i - 25 : -1);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TstParamTables)
#include "tst_param_tables.moc"
