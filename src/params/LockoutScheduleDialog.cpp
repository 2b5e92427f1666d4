#include "LockoutScheduleDialog.h"

#include "DialogFrame.h"
#include "Exchange.h"
#include "FloorPeriodDialog.h"
#include "FrameBuffer.h"
#include "LinkWait.h"
#include "Prompts.h"
#include "ReportList.h"
#include "Requests.h"
#include "WaitCursor.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

constexpr int kFloorCountParameter = 11;

} // namespace

LockoutScheduleDialog::LockoutScheduleDialog(int lockoutEnabled, QWidget* parent)
    : QDialog(parent), lockoutEnabled(lockoutEnabled)
{
    setObjectName(QStringLiteral("lockoutScheduleDialog"));
    setWindowTitle(QStringLiteral("时间段楼层封锁功能设置"));

    enabledBox_ = new QCheckBox(QStringLiteral("开通时间段封锁功能"), this);
    enabledBox_->setObjectName(QStringLiteral("lockoutEnabledBox"));

    floorList_ = new ReportList(this);
    floorList_->setObjectName(QStringLiteral("floorList"));
    floorList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    floorList_->setColumns({{QStringLiteral("楼层"), 40, Qt::AlignHCenter},
                            {QStringLiteral("起始时间"), 80, Qt::AlignHCenter},
                            {QStringLiteral("终止时间"), 80, Qt::AlignHCenter}});
    floorList_->setMinimumWidth(40 + 80 + 80 + floorList_->frameWidth() * 2 +
                                floorList_->verticalScrollBar()->sizeHint().width());
    floorList_->setMinimumHeight(floorList_->header()->sizeHint().height() * 12);
    connect(floorList_, &QTreeWidget::itemDoubleClicked, this,
            [this] { editRow(floorList_->firstSelectedRow()); });

    QHBoxLayout* buttons = paramdialog::makeAcceptRow(this, this, QStringLiteral("确定"), QStringLiteral("取消"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(enabledBox_);
    layout->addWidget(floorList_, 1);
    layout->addLayout(buttons);
}

int LockoutScheduleDialog::exec()
{
    enabledBox_->setChecked(lockoutEnabled != 0);
    readPeriods();
    return QDialog::exec();
}

// The floor count, then each floor's period from the top floor down. A
// floor whose period does not come keeps empty time cells; nothing is
// reported.
void LockoutScheduleDialog::readPeriods()
{
    floorList_->clearRows();
    rows_.clear();
    WaitCursor wait;
    LinkBusyGuard busy;

    request::readParameter(kFloorCountParameter);
    const int got = transact(50, 20);
    const int floors = got > 0 ? params::parseFloorCount(rxFrame.text()).value_or(0) : 0;

    for (int floor = floors; floor >= 1; --floor) {
        rows_.push_back({floor, std::nullopt});
        floorList_->appendRow({QString::number(floor)}, floor);
        request::readLockoutPeriod(floor);
        const bool read = exchangeUntil(Tries{.tries = 2, .waitMs = 50, .wanted = 20}, [](int count) {
            return count > 0 && params::parseLockoutPeriod(rxFrame.text()).has_value();
        });
        if (read) {
            rows_.back().period = params::parseLockoutPeriod(rxFrame.text());
            showPeriod(int(rows_.size()) - 1);
        }
    }
}

void LockoutScheduleDialog::showPeriod(int row)
{
    const params::LockoutPeriod& p = *rows_[std::size_t(row)].period;
    floorList_->setCell(row, 1, params::periodTime(p.startHour, p.startMinute));
    floorList_->setCell(row, 2, params::periodTime(p.endHour, p.endMinute));
}

// A row whose period was never read opens at 00:00 to 00:00; once set here
// it is written like any other.
void LockoutScheduleDialog::editRow(int row)
{
    if (row < 0 || row >= int(rows_.size()))
        return;
    const params::LockoutPeriod p = rows_[std::size_t(row)].period.value_or(params::LockoutPeriod{});
    FloorPeriodDialog dialog(p.startHour, p.startMinute, p.endHour, p.endMinute, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    rows_[std::size_t(row)].period =
        params::LockoutPeriod{dialog.startHour, dialog.startMinute, dialog.endHour, dialog.endMinute};
    showPeriod(row);
}

// Every floor with a known period from the top, each tried up to ten
// times; the first floor that is not confirmed ends the writes.
std::optional<int> LockoutScheduleDialog::writePeriods()
{
    WaitCursor wait;
    LinkBusyGuard busy;
    for (const Row& row : rows_) {
        if (!row.period)
            continue;
        const QByteArray payload = params::lockoutWritePayload(row.floor, *row.period);
        request::writeLockoutPeriod(payload.constData());
        if (!exchangeUntil(Tries{.tries = 10, .waitMs = 0, .wanted = 20, .beforeMs = 50}, accept::flagged('F', 'C', 5)))
            return row.floor;
    }
    return std::nullopt;
}

// A floor that was not written keeps the dialog open: OK writes again from
// the top, Cancel leaves, and the caller writes no switch.
void LockoutScheduleDialog::accept()
{
    const int enabled = enabledBox_->isChecked() ? 1 : 0;
    if (const std::optional<int> failed = writePeriods()) {
        prompts::showMessage(QStringLiteral("第%1层时间段写入失败").arg(*failed));
        return;
    }
    lockoutEnabled = enabled;
    QDialog::accept();
}
