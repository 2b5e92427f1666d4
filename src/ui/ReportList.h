#pragma once

#include <QTreeWidget>

#include <initializer_list>

// The list view of the pages: report style, full-row selection, rows
// without tree decoration, the pale green background RGB(240, 247, 233).
// Each row carries an integer as its item data.
class ReportList : public QTreeWidget
{
    Q_OBJECT

public:
    struct Column
    {
        QString heading;
        int width;
        Qt::Alignment alignment;
    };

    static const QColor kBackground;

    explicit ReportList(QWidget* parent = nullptr);

    void setColumns(std::initializer_list<Column> columns);

    int rowCount() const { return topLevelItemCount(); }
    // Inserts a row at position (appends when past the end).
    void insertRow(int position, const QStringList& texts, qint64 data);
    void appendRow(const QStringList& texts, qint64 data) { insertRow(rowCount(), texts, data); }
    void clearRows() { clear(); }

    QString cell(int row, int column) const;
    // Writes a cell only when its text differs, so nothing flickers.
    void setCell(int row, int column, const QString& text);
    qint64 rowData(int row) const;
    // First row, from the top, whose data equals data; -1 when none.
    int rowWithData(qint64 data) const;
    // First selected row from the top, or -1.
    int firstSelectedRow() const;
};
