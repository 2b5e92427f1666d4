#pragma once

#include <QPixmap>
#include <QWidget>

// The travel direction arrow: a 16 x 21 cell of the arrow strip drawn 8
// pixels from the left edge on black. Cells 1 and 2 are the red up and
// down arrows, 5 and 6 the green ones; every other cell shows black.
class ArrowIndicator : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kCellWidth = 16;
    static constexpr int kCellHeight = 21;
    static constexpr int kCells = 7;

    explicit ArrowIndicator(QWidget* parent = nullptr);

    void setCell(quint8 cell);
    quint8 cell() const { return cell_; }

    QSize sizeHint() const override { return {2 * kCellWidth, kCellHeight}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap strip_;
    quint8 cell_ = 0;
};
