#include "DisplayCodeDialog.h"

#include "DialogFrame.h"
#include "DialogUnits.h"
#include "DialogValues.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

DisplayCodeDialog::DisplayCodeDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("displayCodeDialog"));
    setWindowTitle(QStringLiteral("Dialog"));

    promptLabel_ = paramdialog::makePromptLabel(this, QStringLiteral("promptLabel"));
    // A closed list: every entry carries its code, so OK always has one.
    codeList_ = new QComboBox(this);
    codeList_->setObjectName(QStringLiteral("codeList"));
    codeList_->setEditable(false);
    codeList_->setMaxVisibleItems(16);
    for (const params::DisplayCodeEntry& entry : params::displayCodeEntries())
        codeList_->addItem(entry.text, entry.code);
    promptLabel_->setBuddy(codeList_);

    QHBoxLayout* buttons = paramdialog::makeAcceptRow(this, this, QStringLiteral("OK"), QStringLiteral("Cancel"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(promptLabel_);
    layout->addWidget(codeList_);
    layout->addStretch(1);
    layout->addLayout(buttons);
    setMinimumSize(dialogUnitsToPixels(font(), 133, 143));
}

int DisplayCodeDialog::exec()
{
    paramdialog::setPromptText(promptLabel_, prompt);
    const int found = codeList_->findData(code);
    codeList_->setCurrentIndex(found >= 0 ? found : 0);
    codeList_->setFocus(Qt::OtherFocusReason);
    const int result = QDialog::exec();
    if (result == QDialog::Accepted)
        code = codeList_->currentData().toInt();
    return result;
}
