#include "ImportPreviewDialog.h"

#include "DialogFrame.h"
#include "ReportList.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QVBoxLayout>

ImportPreviewDialog::ImportPreviewDialog(int fileRecords, int listedRows, const QList<Row>& differences,
                                         QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("importPreviewDialog"));
    setWindowTitle(QStringLiteral("导入参数"));

    summary_ = new QLabel(QStringLiteral("文件中有 %1 个参数，其中 %2 个与当前值不同。")
                              .arg(fileRecords)
                              .arg(differences.size()),
                          this);
    summary_->setObjectName(QStringLiteral("summaryLabel"));
    summary_->setWordWrap(true);

    countWarning_ = new QLabel(QStringLiteral("文件中的参数个数与当前控制器不一致（文件 %1 个，列表 %2 个）")
                                   .arg(fileRecords)
                                   .arg(listedRows),
                               this);
    countWarning_->setObjectName(QStringLiteral("countWarning"));
    countWarning_->setWordWrap(true);
    countWarning_->setStyleSheet(QStringLiteral("color: #b00000;"));
    countWarning_->setVisible(fileRecords != listedRows);

    list_ = new ReportList(this);
    list_->setObjectName(QStringLiteral("differenceList"));
    list_->setColumns({{QStringLiteral("编号"), 50, Qt::AlignHCenter},
                       {QStringLiteral("说明"), 300, Qt::AlignLeft},
                       {QStringLiteral("当前值"), 70, Qt::AlignHCenter},
                       {QStringLiteral("文件值"), 70, Qt::AlignHCenter}});
    list_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    for (const Row& row : differences) {
        list_->appendRow(row, list_->rowCount());
        QTreeWidgetItem* item = list_->topLevelItem(list_->rowCount() - 1);
        item->setToolTip(1, row.value(1));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
    }

    QHBoxLayout* buttons = paramdialog::makeAcceptRow(this, this, QStringLiteral("确定"), QStringLiteral("取消"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(countWarning_);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(600, 420);
}

QList<int> ImportPreviewDialog::checkedRows() const
{
    QList<int> rows;
    for (int row = 0; row < list_->rowCount(); ++row) {
        if (list_->topLevelItem(row)->checkState(0) == Qt::Checked)
            rows.append(row);
    }
    return rows;
}

void ImportPreviewDialog::describeSource(const QString& title, const QString& valueHeading, const QString& summary)
{
    setWindowTitle(title);
    list_->headerItem()->setText(3, valueHeading);
    summary_->setText(summary);
}
