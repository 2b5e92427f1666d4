#include "LampIndicator.h"

#include "MonitorImages.h"

#include <QPainter>

LampIndicator::LampIndicator(QWidget* parent) : QWidget(parent), sheet_(monitor::lampSheet())
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void LampIndicator::setLamp(int colourRow, int lampState, int shapeOffset)
{
    if (colourRow == colourRow_ && lampState == lampState_ && shapeOffset == shapeOffset_)
        return;
    colourRow_ = colourRow;
    lampState_ = lampState;
    shapeOffset_ = shapeOffset;
    update();
}

QRect LampIndicator::sheetCell(int colourRow, int lampState, int shapeOffset)
{
    return QRect(kCell * lampState, colourRow + shapeOffset, kCell, kCell);
}

QRect LampIndicator::cellRect(const QSize& controlSize)
{
    QRect cell(0, 0, kCell, kCell);
    if (controlSize.width() >= kCell && controlSize.height() >= kCell)
        cell.moveTo((controlSize.width() - kCell) / 2, (controlSize.height() - kCell) / 2);
    return cell;
}

void LampIndicator::paintEvent(QPaintEvent*)
{
    // Around the lamp the page shows through; the window system composes
    // the page and the lamp off screen, so nothing flickers.
    QPainter painter(this);
    const QRect cell = cellRect(size());
    painter.drawPixmap(cell.topLeft(), sheet_, sheetCell(colourRow_, lampState_, shapeOffset_));
}
