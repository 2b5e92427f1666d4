#include "ValueEntryDialog.h"

#include "DialogFrame.h"
#include "DialogUnits.h"
#include "Prompts.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

ValueEntryDialog::ValueEntryDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("valueEntryDialog"));
    QFrame* frame = paramdialog::makeBorderedFrame(this);

    promptLabel_ = paramdialog::makePromptLabel(frame, QStringLiteral("promptLabel"));
    // The prompt area holds several lines of a long description.
    promptLabel_->setMinimumSize(dialogUnitsToPixels(font(), 121, 51));
    valueEdit_ = new QLineEdit(frame);
    valueEdit_->setObjectName(QStringLiteral("valueEdit"));
    promptLabel_->setBuddy(valueEdit_);

    QHBoxLayout* buttons = paramdialog::makeAcceptRow(this, frame, QStringLiteral("OK"), QStringLiteral("Cancel"));

    auto* layout = new QVBoxLayout(frame);
    layout->addWidget(promptLabel_, 1);
    layout->addWidget(valueEdit_);
    layout->addSpacing(dialogUnitsToPixels(font(), 0, 8).height());
    layout->addLayout(buttons);
    setMinimumSize(dialogUnitsToPixels(font(), 135, 145));
}

int ValueEntryDialog::exec()
{
    paramdialog::setPromptText(promptLabel_, prompt);
    valueEdit_->setText(valueText);
    valueEdit_->setFocus(Qt::OtherFocusReason);
    valueEdit_->selectAll();
    const int result = QDialog::exec();
    if (result == QDialog::Accepted)
        valueText = valueEdit_->text();
    return result;
}

void ValueEntryDialog::accept()
{
    const QString refusal = check ? check(valueEdit_->text()) : QString();
    if (!refusal.isEmpty()) {
        prompts::showMessage(refusal);
        valueEdit_->setFocus(Qt::OtherFocusReason);
        valueEdit_->selectAll();
        return;
    }
    QDialog::accept();
}
