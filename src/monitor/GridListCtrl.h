#pragma once

#include "ReportList.h"

// A report list that behaves like a grid with a cell cursor: it remembers
// the column last clicked on a row, scrolls that column into view, draws
// the focused row's cell in that column sunken, and asks its parent to
// begin editing when the current cell is clicked again.
class GridListCtrl : public ReportList
{
    Q_OBJECT

public:
    explicit GridListCtrl(QWidget* parent = nullptr);

    // Display position (header order) of the column last clicked on a
    // row; -1 before the first such click.
    int currentColumn() const { return currentColumn_; }
    // The column shown at currentColumn, or -1.
    int currentLogicalColumn() const;

    // Thin lines between the cells.
    void setGridLines(bool on);
    bool gridLines() const { return gridLines_; }

    // The columns share the whole width of the list, in the proportions
    // they have when it is switched on (or after the user resized one), so
    // that a wider list has wider columns rather than blank space.
    void setColumnsFillWidth(bool on);

Q_SIGNALS:
    // The current cell was clicked again: the parent may edit its text.
    void beginLabelEdit(int row, int column, const QString& text);
    // A double click anywhere in the list.
    void listDoubleClicked();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    // Target of the horizontal scroll bar that shows the column at the
    // display position; the current value when it is in view already.
    int scrollTargetFor(int position) const;
    void fitColumns();

    // Each column's part of the width, by logical index; empty: take the
    // present widths.
    QList<double> columnShares_;
    bool fillWidth_ = false;
    bool fitting_ = false;

    int currentColumn_ = -1;
    bool gridLines_ = false;
};
