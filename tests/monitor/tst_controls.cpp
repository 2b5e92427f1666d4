#include "ArrowIndicator.h"
#include "GridListCtrl.h"
#include "LampIndicator.h"
#include "MonitorImages.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
#include <QtTest>

namespace {

// What a lamp control of this size must show: its background with the
// sheet cell drawn over it, unscaled.
QImage expectedLamp(const QSize& size, const QColor& background, int colourRow, int state, int shape)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter p(&image);
    p.drawPixmap(LampIndicator::cellRect(size).topLeft(), monitor::lampSheet(),
                 LampIndicator::sheetCell(colourRow, state, shape));
    return image;
}

QImage rendered(QWidget& w)
{
    return w.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Counts the paint events of the widgets it watches.
class PaintCounter : public QObject
{
public:
    QHash<QObject*, int> paints;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints[watched];
        return false;
    }
};

} // namespace

class ControlsTest : public QObject
{
    Q_OBJECT

    GridListCtrl* list_ = nullptr;

    QPoint cellCentre(int row, int column) const
    {
        const QRect rowRect = list_->visualItemRect(list_->topLevelItem(row));
        return {list_->header()->sectionViewportPosition(column) + list_->columnWidth(column) / 2,
                rowRect.center().y()};
    }

private Q_SLOTS:
    void lamp_shows_its_sheet_cell_data()
    {
        QTest::addColumn<int>("colourRow");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("shape");
        QTest::addColumn<QSize>("size");
        // The hue of the lens just below its centre.
        QTest::addColumn<QString>("hue");
        QTest::newRow("lit green circle") << 16 << 0 << 0 << QSize(16, 16) << "green";
        QTest::newRow("grey circle") << 0 << 2 << 0 << QSize(16, 16) << "grey";
        QTest::newRow("dark red square") << 0 << 1 << 64 << QSize(16, 16) << "red";
        QTest::newRow("lit blue square, centred in 30x20") << 48 << 0 << 64 << QSize(30, 20) << "blue";
        QTest::newRow("lit yellow, 10x10 shows the top-left corner") << 32 << 0 << 0 << QSize(10, 10) << "yellow";
    }
    void lamp_shows_its_sheet_cell()
    {
        QFETCH(int, colourRow);
        QFETCH(int, state);
        QFETCH(int, shape);
        QFETCH(QSize, size);
        QFETCH(QString, hue);
        LampIndicator lamp;
        lamp.setFixedSize(size);
        lamp.setLamp(colourRow, state, shape);
        const QImage shown = rendered(lamp);
        QCOMPARE(shown, expectedLamp(size, lamp.palette().color(QPalette::Window), colourRow, state, shape));

        const QColor c = shown.pixelColor(LampIndicator::cellRect(size).topLeft() + QPoint(9, 9));
        const int r = c.red(), g = c.green(), b = c.blue();
        const bool ok = hue == "red"      ? r > 2 * g && r > 2 * b
                        : hue == "green"  ? g > 2 * r && g > 2 * b
                        : hue == "blue"   ? b > 2 * r && b > g
                        : hue == "yellow" ? r > 2 * b && g > 2 * b
                                          : qAbs(r - g) < 8 && qAbs(r - b) < 8;
        QVERIFY2(ok, qPrintable(c.name()));
    }

    void lamp_states_differ_in_brightness()
    {
        LampIndicator lamp;
        lamp.setFixedSize(16, 16);
        const auto centreValue = [&lamp](int state) {
            lamp.setLamp(LampIndicator::Red, state, LampIndicator::Circular);
            return rendered(lamp).pixelColor(9, 9).value();
        };
        QVERIFY(centreValue(LampIndicator::Lit) > centreValue(LampIndicator::Dark) + 80);
        // Around the lamp the background shows through.
        QCOMPARE(rendered(lamp).pixelColor(0, 0).rgb(), lamp.palette().color(QPalette::Window).rgb());
    }

    void new_lamp_is_lit_red_circle()
    {
        LampIndicator lamp;
        lamp.setFixedSize(16, 16);
        QCOMPARE(rendered(lamp), expectedLamp({16, 16}, lamp.palette().color(QPalette::Window), 0, 0, 0));
    }

    void only_the_changed_lamp_repaints()
    {
        QWidget panel;
        panel.resize(200, 40);
        PaintCounter counter;
        QList<LampIndicator*> lamps;
        for (int i = 0; i < 8; ++i) {
            auto* lamp = new LampIndicator(&panel);
            lamp->setGeometry(20 * i, 10, 16, 16);
            lamp->installEventFilter(&counter);
            lamps << lamp;
        }
        panel.show();
        QVERIFY(QTest::qWaitForWindowExposed(&panel));
        QTRY_VERIFY(counter.paints.size() == 8);
        counter.paints.clear();
        lamps[3]->setLamp(0, 1, 0);
        lamps[5]->setLamp(0, 0, 0);  // unchanged
        QTRY_COMPARE(counter.paints.value(lamps[3]), 1);
        QTest::qWait(50);
        QCOMPARE(counter.paints.size(), 1);
    }

    void arrow_cells_data()
    {
        QTest::addColumn<int>("cell");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("0 nothing") << 0 << false;
        QTest::newRow("1 red up") << 1 << true;
        QTest::newRow("2 red down") << 2 << true;
        QTest::newRow("3 nothing") << 3 << false;
        QTest::newRow("4 nothing") << 4 << false;
        QTest::newRow("5 green up") << 5 << true;
        QTest::newRow("6 green down") << 6 << true;
        QTest::newRow("7 beyond the strip") << 7 << false;
    }
    void arrow_cells()
    {
        QFETCH(int, cell);
        QFETCH(bool, drawn);
        ArrowIndicator arrow;
        arrow.setFixedSize(32, 21);
        arrow.setCell(quint8(cell));
        const QImage shown = rendered(arrow);
        QImage expected(32, 21, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::black);
        if (cell < ArrowIndicator::kCells) {
            QPainter p(&expected);
            p.drawPixmap(8, 0, monitor::arrowStrip(), 16 * cell, 0, 16, 21);
        }
        QCOMPARE(shown, expected);
        QImage black(32, 21, QImage::Format_ARGB32_Premultiplied);
        black.fill(Qt::black);
        QCOMPARE(shown != black, drawn);
        if (cell == 5)  // the head of the green up arrow is green, near the top
            QVERIFY(shown.pixelColor(16, 6).green() > 2 * shown.pixelColor(16, 6).red());
    }

    void init()
    {
        list_ = new GridListCtrl;
        list_->setColumns({{QStringLiteral("楼层"), 38, Qt::AlignHCenter},
                           {QStringLiteral("指令"), 38, Qt::AlignHCenter},
                           {QStringLiteral("上召↑"), 52, Qt::AlignHCenter},
                           {QStringLiteral("下召↓"), 52, Qt::AlignHCenter}});
        list_->header()->setSectionsMovable(true);
        for (int r = 0; r < 4; ++r)
            list_->appendRow({QString::number(4 - r), QString(), QStringLiteral("↑")}, 4 - r);
        list_->resize(240, 200);
        list_->show();
        QVERIFY(QTest::qWaitForWindowExposed(list_));
    }
    void cleanup()
    {
        delete list_;
        list_ = nullptr;
    }

    void click_below_the_rows_changes_nothing()
    {
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, cellCentre(1, 2));
        const int row = list_->currentIndex().row();
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, QPoint(60, list_->viewport()->height() - 5));
        QCOMPARE(list_->currentColumn(), 2);
        QCOMPARE(list_->currentIndex().row(), row);
        QCOMPARE(list_->firstSelectedRow(), 1);
    }

    void second_click_on_the_current_cell_asks_for_editing()
    {
        QSignalSpy edits(list_, &GridListCtrl::beginLabelEdit);
        QCOMPARE(list_->currentColumn(), -1);
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, cellCentre(2, 2));
        QCOMPARE(list_->currentColumn(), 2);
        QCOMPARE(list_->currentIndex().row(), 2);
        QCOMPARE(edits.count(), 0);
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, cellCentre(2, 1));
        QCOMPARE(list_->currentColumn(), 1);
        QCOMPARE(edits.count(), 0);
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, cellCentre(2, 1));
        QCOMPARE(edits.count(), 1);
        QCOMPARE(edits.at(0).at(0).toInt(), 2);
        QCOMPARE(edits.at(0).at(1).toInt(), 1);
        // The other row's click is a first click again.
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, cellCentre(0, 1));
        QCOMPARE(edits.count(), 1);
    }

    void current_column_is_the_display_position()
    {
        list_->header()->moveSection(3, 0);  // "下召↓" dragged to the front
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, cellCentre(1, 3));
        QCOMPARE(list_->currentColumn(), 0);
        QCOMPARE(list_->currentLogicalColumn(), 3);
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, cellCentre(1, 0));
        QCOMPARE(list_->currentColumn(), 1);
    }

    void partly_hidden_column_scrolls_to_the_left_edge()
    {
        list_->resize(100, 200);
        QTRY_VERIFY(list_->horizontalScrollBar()->maximum() > 0);
        QCOMPARE(list_->horizontalScrollBar()->value(), 0);
        // Column 2 starts at 76 and ends past the visible width.
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, QPoint(list_->viewport()->width() - 4, 10));
        QCOMPARE(list_->currentColumn(), 2);
        QCOMPARE(list_->horizontalScrollBar()->value(), 76);
        // A column in full view does not scroll.
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, cellCentre(0, 2));
        QCOMPARE(list_->horizontalScrollBar()->value(), 76);
    }

    void cell_cursor_is_drawn_on_the_focused_row_only()
    {
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, cellCentre(1, 1));
        const QImage shown = list_->viewport()->grab().toImage();
        const QColor face = list_->palette().color(QPalette::Button);
        const QPoint inside = cellCentre(1, 1) + QPoint(8, 0);
        QCOMPARE(shown.pixelColor(inside).rgb(), face.rgb());
        const QRect cell(list_->header()->sectionViewportPosition(1), list_->visualItemRect(list_->topLevelItem(1)).top(),
                         list_->columnWidth(1), list_->visualItemRect(list_->topLevelItem(1)).height());
        QCOMPARE(shown.pixelColor(cell.topLeft()).rgb(), list_->palette().color(QPalette::Dark).rgb());
        QCOMPARE(shown.pixelColor(cell.topLeft() + QPoint(1, 1)).rgb(), list_->palette().color(QPalette::Shadow).rgb());
        QVERIFY(shown.pixelColor(cellCentre(2, 1) + QPoint(8, 0)).rgb() != face.rgb());
    }

    void double_click_is_reported()
    {
        QSignalSpy doubles(list_, &GridListCtrl::listDoubleClicked);
        QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {}, cellCentre(0, 2));
        QCOMPARE(doubles.count(), 1);
    }
};

QTEST_MAIN(ControlsTest)
#include "tst_controls.moc"
