#include "ArrowIndicator.h"

#include "MonitorImages.h"

#include <QPainter>

ArrowIndicator::ArrowIndicator(QWidget* parent) : QWidget(parent), strip_(monitor::arrowStrip())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void ArrowIndicator::setCell(quint8 cell)
{
    if (cell == cell_)
        return;
    cell_ = cell;
    update();
}

void ArrowIndicator::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    // The strip has no cell 7 or beyond: those show black.
    if (cell_ < kCells)
        painter.drawPixmap(QPoint(8, 0), strip_, QRect(kCellWidth * cell_, 0, kCellWidth, kCellHeight));
}
