#include "FloorPeriodDialog.h"

#include "DialogFrame.h"
#include "FieldValidation.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QLineEdit* makeTimeField(QWidget* parent, const QString& objectName)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    edit->setAlignment(Qt::AlignRight);
    edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    return edit;
}

QLabel* makeCaption(QWidget* parent, const QString& text, QLineEdit* buddy)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(buddy->objectName() + QStringLiteral("Label"));
    label->setBuddy(buddy);
    return label;
}

} // namespace

FloorPeriodDialog::FloorPeriodDialog(unsigned startHour, unsigned startMinute, unsigned endHour,
                                     unsigned endMinute, QWidget* parent)
    : QDialog(parent), startHour(startHour), startMinute(startMinute), endHour(endHour), endMinute(endMinute)
{
    setObjectName(QStringLiteral("floorPeriodDialog"));
    setWindowTitle(QStringLiteral("楼层时间段设置"));

    startHourEdit_ = makeTimeField(this, QStringLiteral("startHourEdit"));
    startMinuteEdit_ = makeTimeField(this, QStringLiteral("startMinuteEdit"));
    endHourEdit_ = makeTimeField(this, QStringLiteral("endHourEdit"));
    endMinuteEdit_ = makeTimeField(this, QStringLiteral("endMinuteEdit"));

    auto* grid = new QGridLayout;
    grid->addWidget(makeCaption(this, QStringLiteral("起始时间："), startHourEdit_), 0, 0);
    grid->addWidget(startHourEdit_, 0, 1);
    grid->addWidget(makeCaption(this, QStringLiteral("："), startMinuteEdit_), 0, 2);
    grid->addWidget(startMinuteEdit_, 0, 3);
    grid->addWidget(makeCaption(this, QStringLiteral("终止时间："), endHourEdit_), 1, 0);
    grid->addWidget(endHourEdit_, 1, 1);
    grid->addWidget(makeCaption(this, QStringLiteral("："), endMinuteEdit_), 1, 2);
    grid->addWidget(endMinuteEdit_, 1, 3);

    QHBoxLayout* buttons = paramdialog::makeAcceptRow(this, this, QStringLiteral("确定"), QStringLiteral("取消"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

int FloorPeriodDialog::exec()
{
    startHourEdit_->setText(QString::number(startHour));
    startMinuteEdit_->setText(QString::number(startMinute));
    endHourEdit_->setText(QString::number(endHour));
    endMinuteEdit_->setText(QString::number(endMinute));
    startHourEdit_->setFocus(Qt::OtherFocusReason);
    startHourEdit_->selectAll();
    return QDialog::exec();
}

// The fields in the order start hour, start minute, end hour, end minute;
// the first refused one keeps the dialog open with the focus.
void FloorPeriodDialog::accept()
{
    const auto sh = takeUnsigned(startHourEdit_, 0, 23);
    if (!sh)
        return;
    const auto sm = takeUnsigned(startMinuteEdit_, 0, 59);
    if (!sm)
        return;
    const auto eh = takeUnsigned(endHourEdit_, 0, 23);
    if (!eh)
        return;
    const auto em = takeUnsigned(endMinuteEdit_, 0, 59);
    if (!em)
        return;
    startHour = unsigned(*sh);
    startMinute = unsigned(*sm);
    endHour = unsigned(*eh);
    endMinute = unsigned(*em);
    QDialog::accept();
}
