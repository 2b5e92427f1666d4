#include "DateTimeDialog.h"

#include "DialogUnits.h"
#include "FieldValidation.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The fields in the order OK takes them, with their rows and ranges.
struct ClockField
{
    const char* label;
    const char* name;
    int row;
    int column;
    int high;
};
constexpr ClockField kFields[6] = {
    {"年", "year", 0, 0, 99},   {"月", "month", 0, 1, 12},  {"日", "day", 0, 2, 31},
    {"时", "hour", 1, 0, 23},   {"分", "minute", 1, 1, 59}, {"秒", "second", 1, 2, 59},
};

} // namespace

DateTimeDialog::DateTimeDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dateTimeDialog"));
    setWindowTitle(QStringLiteral("Dialog"));
    setModal(true);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(10);
    const int editWidth = dialogUnitsToPixels(font(), 30, 0).width();
    for (size_t i = 0; i < edits_.size(); ++i) {
        const ClockField& f = kFields[i];
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(f.name) + QStringLiteral("Edit"));
        edit->setFixedWidth(editWidth);
        auto* label = new QLabel(QString::fromUtf8(f.label), this);
        label->setObjectName(QLatin1String(f.name) + QStringLiteral("Label"));
        label->setBuddy(edit);
        grid->addWidget(edit, f.row, 2 * f.column);
        grid->addWidget(label, f.row, 2 * f.column + 1);
        edits_[i] = edit;
    }
    for (int column : {1, 3})
        grid->setColumnMinimumWidth(column, fontMetrics().horizontalAdvance(QStringLiteral("年")) + 12);

    // Fills the fields with the PC's clock; the user still confirms with OK.
    auto* pcTimeButton = new QPushButton(QStringLiteral("电脑时间"), this);
    pcTimeButton->setObjectName(QStringLiteral("pcTimeButton"));
    connect(pcTimeButton, &QPushButton::clicked, this, &DateTimeDialog::fillWithPcTime);

    auto* okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setObjectName(QStringLiteral("okButton"));
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setObjectName(QStringLiteral("cancelButton"));
    auto* buttons = new QDialogButtonBox(this);
    buttons->setObjectName(QStringLiteral("dialogButtons"));
    buttons->addButton(okButton, QDialogButtonBox::AcceptRole);
    buttons->addButton(cancelButton, QDialogButtonBox::RejectRole);
    buttons->addButton(pcTimeButton, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &DateTimeDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &DateTimeDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setValues(values_);
}

DateTimeDialog::~DateTimeDialog() = default;

void DateTimeDialog::setValues(const identity::ClockFields& values)
{
    values_ = values;
    showFields(values);
}

void DateTimeDialog::showFields(const identity::ClockFields& values)
{
    for (size_t i = 0; i < edits_.size(); ++i)
        edits_[i]->setText(QString::number(values[i]));
}

void DateTimeDialog::fillWithPcTime()
{
    showFields(identity::clockFieldsOf(QDateTime::currentDateTime()));
}

void DateTimeDialog::accept()
{
    identity::ClockFields taken{};
    for (size_t i = 0; i < edits_.size(); ++i) {
        const std::optional<qint64> value = takeUnsigned(edits_[i], 0, kFields[i].high);
        if (!value)
            return;
        taken[i] = int(*value);
    }
    values_ = taken;
    QDialog::accept();
}
