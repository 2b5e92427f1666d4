#include "CICDlg.h"

#include "DialogFrame.h"
#include "Exchange.h"
#include "FieldValidation.h"
#include "FrameBuffer.h"
#include "LinkWait.h"
#include "Prompts.h"
#include "Requests.h"
#include "WaitCursor.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

const QString kChanged = QStringLiteral("修改成功");
const QString kNotChanged = QStringLiteral("修改失败，请再按确定!");

// Card numbers travel as 16 bits; a larger or negative number would name
// another card.
constexpr int kLastCard = 65535;

} // namespace

CICDlg::CICDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("icCardDialog"));
    setWindowTitle(QStringLiteral("IC卡设置"));

    cardEdit_ = new QLineEdit(this);
    cardEdit_->setObjectName(QStringLiteral("cardEdit"));
    auto* cardLabel = new QLabel(QStringLiteral("授权卡号："), this);
    cardLabel->setObjectName(QStringLiteral("cardEditLabel"));
    cardLabel->setBuddy(cardEdit_);

    validButton_ = new QRadioButton(QStringLiteral("有效"), this);
    validButton_->setObjectName(QStringLiteral("validButton"));
    invalidButton_ = new QRadioButton(QStringLiteral("无效"), this);
    invalidButton_->setObjectName(QStringLiteral("invalidButton"));
    auto* states = new QButtonGroup(this);
    states->addButton(validButton_);
    states->addButton(invalidButton_);

    sendButton_ = paramdialog::makeButton(this, QStringLiteral("确定"), QStringLiteral("sendButton"), true);
    QPushButton* cancel = paramdialog::makeButton(this, QStringLiteral("取消"), QStringLiteral("cancelButton"), false);
    connect(sendButton_, &QPushButton::clicked, this, &CICDlg::sendCard);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* cardRow = new QHBoxLayout;
    cardRow->addWidget(cardLabel);
    cardRow->addWidget(cardEdit_, 1);
    auto* stateRow = new QHBoxLayout;
    stateRow->addWidget(validButton_);
    stateRow->addWidget(invalidButton_);
    stateRow->addStretch(1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(sendButton_);
    buttons->addWidget(cancel);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(cardRow);
    layout->addLayout(stateRow);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    cardEdit_->setMinimumWidth(cardEdit_->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);

    cardEdit_->setText(QString::number(cardNumber));
    validButton_->setChecked(true);
}

int CICDlg::exec()
{
    cardEdit_->setText(QString::number(cardNumber));
    validButton_->setChecked(true);
    cardEdit_->setFocus(Qt::OtherFocusReason);
    cardEdit_->selectAll();
    return QDialog::exec();
}

// One card: the number must be a card number (nothing is sent otherwise);
// after a second's pause up to two tries, then the outcome in a message.
// The dialog stays open for the next card.
void CICDlg::sendCard()
{
    const auto card = takeInteger(cardEdit_, 0, kLastCard);
    if (!card)
        return;
    cardNumber = int(*card);
    cardState = invalidButton_->isChecked() ? '0' : 'F';

    WaitCursor wait;
    exchangeWait(1000);
    bool accepted = false;
    {
        LinkBusyGuard busy;
        request::setIcCard(cardNumber, cardState);
        accepted = exchangeUntil(Tries{.tries = 2, .waitMs = 500, .wanted = 20}, [](int got) {
            return got > 0 && rxFrame.checkReply() && replyAccepted('F', 'D', 5);
        });
    }
    wait.release();
    prompts::showMessage(accepted ? kChanged : kNotChanged);
}
