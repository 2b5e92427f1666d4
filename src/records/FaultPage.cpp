#include "FaultPage.h"

#include "FaultChains.h"
#include "FaultDescriptions.h"
#include "Prompts.h"
#include "ReportList.h"
#include "WaitCursor.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QPushButton>

FaultPage::FaultPage(PageHost& host, QWidget* parent) : Page(host, kIndex, parent)
{
    list_ = new ReportList(this);
    list_->setObjectName(QStringLiteral("faultList"));
    list_->setColumns({{QStringLiteral("编号"), 40, Qt::AlignHCenter},
                       {QStringLiteral("故障码"), 60, Qt::AlignHCenter},
                       {QStringLiteral("楼层"), 40, Qt::AlignHCenter},
                       {QStringLiteral("时间"), 250, Qt::AlignHCenter}});
    // The time takes whatever width the list has beyond the other columns.
    list_->header()->setStretchLastSection(true);
    connect(list_, &ReportList::doubleClicked, this, &FaultPage::showDescription);

    resetButton_ = new QPushButton(QStringLiteral("复位"), this);
    resetButton_->setObjectName(QStringLiteral("resetButton"));
    connect(resetButton_, &QPushButton::clicked, this, &FaultPage::resetRecords);
    refreshButton_ = new QPushButton(QStringLiteral("刷新"), this);
    refreshButton_->setObjectName(QStringLiteral("refreshButton"));
    connect(refreshButton_, &QPushButton::clicked, this, &FaultPage::refresh);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(8);
    buttons->addStretch();
    buttons->addWidget(resetButton_);
    buttons->addWidget(refreshButton_);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(10, 10, 10, 10);
    page->setSpacing(10);
    page->addWidget(list_, 1);
    page->addLayout(buttons);
}

void FaultPage::activate()
{
    readRecords(false);
}

// After "刷新" has emptied the list, a controller that does not answer is
// told as a failure: the empty list would read as "no faults stored".
void FaultPage::readRecords(bool afterRefresh)
{
    // Without any reply to the layout probe the list stays as it was, and
    // so does the layout its rows were read in (their descriptions come
    // from its table).
    std::optional<WaitCursor> wait;
    records::FaultReadObserver observer;
    observer.layoutKnown = [this, &wait](bool extended, int) {
        extendedLayout_ = extended;
        list_->clearRows();
        wait.emplace();
    };
    observer.row = [this](int position, const records::FaultRecordRow& row) {
        list_->insertRow(position, row.texts, row.code);
    };
    const records::FaultRead read = records::readFaultRecords(observer);
    wait.reset();
    if (read.answered ? !read.complete : afterRefresh)
        prompts::showMessage(QStringLiteral("通讯失败，请刷新!"));
}

// The description of the selected row's code from the table of the layout
// last read; nothing when no row is selected.
void FaultPage::showDescription()
{
    const int row = list_->firstSelectedRow();
    if (row < 0)
        return;
    const FaultLayout layout = extendedLayout_ ? FaultLayout::Long : FaultLayout::Short;
    prompts::showMessage(faultText(layout, int(list_->rowData(row))).value_or(QString()));
}

void FaultPage::resetRecords()
{
    // The records are gone for good.
    if (!prompts::askYesNo(QStringLiteral("确定要清除全部故障记录吗？")))
        return;
    const bool accepted = records::clearFaultRecords();
    prompts::showMessage(accepted ? QStringLiteral("复位电梯故障记录命令发出成功")
                                  : QStringLiteral("复位电梯故障记录命令发出失败"));
    activate();
}

void FaultPage::refresh()
{
    list_->clearRows();
    readRecords(true);
}
