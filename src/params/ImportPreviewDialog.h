#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class ReportList;

// The look before a parameter set file is written into a controller: how
// many records the file holds, how many differ from the values listed now
// and which; a warning when the file's record count is not the list's.
// Each differing row has a check box, all checked: an unchecked row's
// record is not sent. "确定" lets the import go on, "取消" sends nothing.
class ImportPreviewDialog : public QDialog
{
    Q_OBJECT

public:
    // One differing record: "编号", "说明", "当前值", "文件值".
    using Row = QStringList;

    ImportPreviewDialog(int fileRecords, int listedRows, const QList<Row>& differences, QWidget* parent = nullptr);

    ReportList* differenceList() const { return list_; }
    QLabel* summaryLabel() const { return summary_; }
    QLabel* countWarning() const { return countWarning_; }
    // The positions of the differing rows still checked.
    QList<int> checkedRows() const;
    // A set from elsewhere than a file (a kept snapshot): the window's
    // title, the heading of its values and the summary line.
    void describeSource(const QString& title, const QString& valueHeading, const QString& summary);

private:
    ReportList* list_ = nullptr;
    QLabel* summary_ = nullptr;
    QLabel* countWarning_ = nullptr;
};
