#include "ReportList.h"

#include <QHeaderView>

const QColor ReportList::kBackground(240, 247, 233);

ReportList::ReportList(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    header()->setSectionsClickable(false);
    header()->setStretchLastSection(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Base, kBackground);
    pal.setColor(QPalette::AlternateBase, kBackground);
    setPalette(pal);
}

void ReportList::setColumns(std::initializer_list<Column> columns)
{
    setColumnCount(int(columns.size()));
    QStringList headings;
    for (const Column& c : columns)
        headings << c.heading;
    setHeaderLabels(headings);
    int i = 0;
    for (const Column& c : columns) {
        setColumnWidth(i, c.width);
        headerItem()->setTextAlignment(i, c.alignment | Qt::AlignVCenter);
        ++i;
    }
}

void ReportList::insertRow(int position, const QStringList& texts, qint64 data)
{
    auto* item = new QTreeWidgetItem;
    for (int c = 0; c < columnCount(); ++c) {
        item->setTextAlignment(c, Qt::Alignment(headerItem()->textAlignment(c)));
        item->setText(c, texts.value(c));
    }
    item->setData(0, Qt::UserRole, data);
    insertTopLevelItem(qBound(0, position, rowCount()), item);
}

QString ReportList::cell(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

void ReportList::setCell(int row, int column, const QString& text)
{
    QTreeWidgetItem* item = topLevelItem(row);
    if (item && item->text(column) != text)
        item->setText(column, text);
}

qint64 ReportList::rowData(int row) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->data(0, Qt::UserRole).toLongLong() : 0;
}

int ReportList::rowWithData(qint64 data) const
{
    for (int r = 0; r < rowCount(); ++r) {
        if (rowData(r) == data)
            return r;
    }
    return -1;
}

int ReportList::firstSelectedRow() const
{
    for (int r = 0; r < rowCount(); ++r) {
        if (topLevelItem(r)->isSelected())
            return r;
    }
    return -1;
}
