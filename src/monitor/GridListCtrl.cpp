#include "GridListCtrl.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

// One-pixel frame: top and left in topLeft, bottom and right in bottomRight.
void frame(QPainter* painter, const QRect& r, const QColor& topLeft, const QColor& bottomRight)
{
    painter->fillRect(QRect(r.left(), r.top(), r.width() - 1, 1), topLeft);
    painter->fillRect(QRect(r.left(), r.top(), 1, r.height() - 1), topLeft);
    painter->fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    painter->fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

} // namespace

GridListCtrl::GridListCtrl(QWidget* parent) : ReportList(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // A column the user resized sets the proportions from then on.
    connect(header(), &QHeaderView::sectionResized, this, [this] {
        if (!fitting_)
            columnShares_.clear();
    });
}

void GridListCtrl::setColumnsFillWidth(bool on)
{
    fillWidth_ = on;
    columnShares_.clear();
    fitColumns();
}

void GridListCtrl::resizeEvent(QResizeEvent* event)
{
    ReportList::resizeEvent(event);
    fitColumns();
}

void GridListCtrl::fitColumns()
{
    QHeaderView* const head = header();
    const int columns = head->count();
    const int target = viewport()->width();
    if (!fillWidth_ || columns == 0 || target <= 0)
        return;
    if (columnShares_.size() != columns) {
        int total = 0;
        for (int c = 0; c < columns; ++c)
            total += head->isSectionHidden(c) ? 0 : head->sectionSize(c);
        if (total <= 0)
            return;
        columnShares_.clear();
        for (int c = 0; c < columns; ++c)
            columnShares_.append(head->isSectionHidden(c) ? 0.0 : double(head->sectionSize(c)) / total);
    }
    // The last column shown takes what rounding leaves.
    int last = -1;
    for (int position = 0; position < columns; ++position) {
        if (!head->isSectionHidden(head->logicalIndex(position)))
            last = head->logicalIndex(position);
    }
    fitting_ = true;
    int left = target;
    for (int position = 0; position < columns; ++position) {
        const int column = head->logicalIndex(position);
        if (head->isSectionHidden(column))
            continue;
        const int width = column == last ? left : int(std::lround(columnShares_[column] * target));
        head->resizeSection(column, std::max(width, head->minimumSectionSize()));
        left -= width;
    }
    fitting_ = false;
}

void GridListCtrl::setGridLines(bool on)
{
    gridLines_ = on;
    viewport()->update();
}

int GridListCtrl::currentLogicalColumn() const
{
    return currentColumn_ < 0 ? -1 : header()->logicalIndex(currentColumn_);
}

int GridListCtrl::scrollTargetFor(int position) const
{
    const QScrollBar* bar = horizontalScrollBar();
    const int column = header()->logicalIndex(position);
    if (column < 0)
        return bar->value();
    const int offset = header()->sectionPosition(column);  // widths of the columns shown before it
    const int width = header()->sectionSize(column);
    const int left = -horizontalOffset();
    if (offset + left < 0 || viewport()->width() < width + left + offset)
        return offset;
    return bar->value();
}

void GridListCtrl::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        ReportList::mousePressEvent(event);
        return;
    }
    const QModelIndex hit = indexAt(event->position().toPoint());
    // Beside the rows the click changes nothing: not the selection, not
    // the focus, not the current column.
    if (!hit.isValid())
        return;

    const int previous = currentColumn_;
    currentColumn_ = header()->visualIndex(hit.column());
    const int scrollTarget = currentColumn_ < 0 ? horizontalScrollBar()->value() : scrollTargetFor(currentColumn_);
    const bool wasFocused = currentIndex().isValid() && currentIndex().row() == hit.row();

    ReportList::mousePressEvent(event);
    // The view's own scrolling to the clicked cell gives way to ours, which
    // puts a partly hidden column at the left edge.
    horizontalScrollBar()->setValue(scrollTarget);
    viewport()->update();

    if (wasFocused && currentColumn_ != -1 && currentColumn_ == previous) {
        const QTreeWidgetItem* item = topLevelItem(hit.row());
        Q_EMIT beginLabelEdit(hit.row(), hit.column(), item ? item->text(hit.column()) : QString());
    }
}

void GridListCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        ReportList::mouseDoubleClickEvent(event);
        return;
    }
    Q_EMIT listDoubleClicked();
}

void GridListCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    ReportList::drawRow(painter, option, index);
    const QRect& row = option.rect;
    if (gridLines_) {
        const QColor line = palette().color(QPalette::Midlight).darker(115);
        painter->fillRect(QRect(row.left(), row.bottom(), row.width(), 1), line);
        for (int position = 0; position < header()->count(); ++position) {
            const int column = header()->logicalIndex(position);
            if (!header()->isSectionHidden(column))
                painter->fillRect(QRect(columnViewportPosition(column) + columnWidth(column) - 1, row.top(), 1,
                                        row.height()), line);
        }
    }

    // The cell cursor goes over everything the row drew, selection and
    // focus frame included: button face, the text left aligned, a
    // two-pixel sunken frame.
    const int column = currentLogicalColumn();
    const QModelIndex focused = currentIndex();
    if (column < 0 || !focused.isValid() || focused.row() != index.row() || index.parent().isValid())
        return;
    const QRect cell(columnViewportPosition(column), row.top(), columnWidth(column), row.height());
    const QPalette& pal = palette();
    painter->save();
    painter->fillRect(cell, pal.color(QPalette::Button));
    const int blank = fontMetrics().horizontalAdvance(QLatin1Char(' '));
    painter->setFont(font());
    painter->setPen(pal.color(QPalette::ButtonText));
    painter->drawText(cell.adjusted(2 * blank, 0, -2 * blank, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      model()->index(index.row(), column, index.parent()).data(Qt::DisplayRole).toString());
    frame(painter, cell, pal.color(QPalette::Dark), pal.color(QPalette::Button));
    frame(painter, cell.adjusted(1, 1, -1, -1), pal.color(QPalette::Shadow), pal.color(QPalette::Light));
    painter->restore();
}
