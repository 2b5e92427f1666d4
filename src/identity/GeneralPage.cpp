#include "GeneralPage.h"

#include "DateTimeDialog.h"
#include "IdentityChains.h"
#include "Exchange.h"
#include "FrameBuffer.h"
#include "LinkWait.h"
#include "Prompts.h"
#include "Requests.h"
#include "SerialChannel.h"
#include "WaitCursor.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kLinkFailed = QStringLiteral("通讯失败,请刷新!");
const QString kTelephoneSet = QStringLiteral("电话号码修改成功");
const QString kTelephoneRefused = QStringLiteral("电话号码修改失败");
const QString kIdNotAscii = QStringLiteral("电梯ID只能包含ASCII字符");
const QString kTelephoneNotAscii = QStringLiteral("电话号码只能包含ASCII字符");

// Keeps the printable ASCII characters of what the user typed or pasted:
// the request frames carry the characters as they are.
void keepPrintableAscii(QLineEdit* edit)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        if (identity::isPrintableAscii(text))
            return;
        QString kept;
        int cursor = edit->cursorPosition();
        for (int i = 0; i < text.size(); ++i) {
            if (identity::isPrintableAscii(text[i]))
                kept += text[i];
            else if (i < edit->cursorPosition())
                --cursor;
        }
        edit->setText(kept);
        edit->setCursorPosition(cursor);
    });
}

} // namespace

GeneralPage::GeneralPage(PageHost& host, QWidget* parent) : Page(host, kIndex, parent)
{
    const auto makeEdit = [this](const char* name, int maxLength, bool enabled) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(name));
        if (maxLength > 0)
            edit->setMaxLength(maxLength);
        edit->setEnabled(enabled);
        return edit;
    };
    const auto makeButton = [this](const char* caption, const char* name, void (GeneralPage::*handler)()) {
        auto* button = new QPushButton(QString::fromUtf8(caption), this);
        button->setObjectName(QLatin1String(name));
        connect(button, &QPushButton::clicked, this, handler);
        return button;
    };

    programNameEdit_ = makeEdit("programNameEdit", 0, false);
    elevatorIdEdit_ = makeEdit("elevatorIdEdit", identity::kElevatorIdLength, true);
    telephoneEdit_ = makeEdit("telephoneEdit", identity::kTelephoneLength, true);
    runCountEdit_ = makeEdit("runCountEdit", 0, false);
    keepPrintableAscii(elevatorIdEdit_);
    keepPrintableAscii(telephoneEdit_);

    clockText_ = new QLabel(QStringLiteral("时间"), this);
    clockText_->setObjectName(QStringLiteral("clockText"));
    clockText_->setTextFormat(Qt::PlainText);
    clockText_->setFrameStyle(QFrame::Box | QFrame::Plain);
    clockText_->setAlignment(Qt::AlignCenter);
    clockText_->setMinimumHeight(elevatorIdEdit_->sizeHint().height());

    const struct
    {
        const char* caption;
        const char* name;
        QLineEdit* edit;
        QPushButton* button;
    } rows[] = {
        {"程序名称:", "programNameLabel", programNameEdit_, nullptr},
        {"电梯ID:", "elevatorIdLabel", elevatorIdEdit_,
         makeButton("设置", "setElevatorIdButton", &GeneralPage::setElevatorId)},
        {"电话号码:", "telephoneLabel", telephoneEdit_,
         makeButton("设置", "setTelephoneButton", &GeneralPage::setTelephone)},
        {"运行次数:", "runCountLabel", runCountEdit_,
         makeButton("复位", "resetRunCountButton", &GeneralPage::resetRunCounter)},
    };
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(12);
    int row = 0;
    for (const auto& r : rows) {
        auto* label = new QLabel(QString::fromUtf8(r.caption), this);
        label->setObjectName(QLatin1String(r.name));
        label->setBuddy(r.edit);
        grid->addWidget(label, row, 0, Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(r.edit, row, 1);
        if (r.button)
            grid->addWidget(r.button, row, 2);
        ++row;
    }
    grid->addWidget(clockText_, row, 0, 1, 2);
    grid->addWidget(makeButton("设置时钟", "setClockButton", &GeneralPage::setClock), row, 2);
    ++row;
    grid->addWidget(makeButton("刷新", "refreshButton", &GeneralPage::activate), row, 2);
    grid->setColumnStretch(1, 1);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(16, 16, 16, 16);
    page->addLayout(grid);
    page->addStretch(1);

    clockTimer_.setInterval(kClockMs);
    connect(&clockTimer_, &QTimer::timeout, this, &GeneralPage::tick);
}

GeneralPage::~GeneralPage() = default;

void GeneralPage::activate()
{
    clockTimer_.stop();
    if (readAll() && isPageShown())
        clockTimer_.start(kClockMs);
    keepTyped_ = false;
}

// The values are read anew at the next activation; an ID or telephone
// number the user typed and has not sent stays in its edit.
void GeneralPage::linkRestored()
{
    keepTyped_ = true;
}

void GeneralPage::deactivate()
{
    clockTimer_.stop();
}

// Reads the five values one after another, each shown as it comes. False
// (after the message) when a value got no acceptable reply in two tries;
// nothing after it is asked for.
bool GeneralPage::readAll()
{
    WaitCursor wait;
    const bool complete = identity::readIdentity(values_, [this] { showValues(); });
    wait.release();
    if (!complete)
        prompts::showMessage(kLinkFailed);
    return complete;
}

void GeneralPage::showValues()
{
    for (const auto& [edit, value] : {std::pair{elevatorIdEdit_, &values_.elevatorId},
                                      std::pair{telephoneEdit_, &values_.telephone}}) {
        if (!(keepTyped_ && edit->isModified()))
            edit->setText(*value);
    }
    showDisplayOnly();
}

// The fields the user cannot edit; a frame arriving on its own (the clock
// tick's reply) shows only these, so that typing in the ID or telephone
// edit is never overwritten.
void GeneralPage::showDisplayOnly()
{
    programNameEdit_->setText(values_.programName);
    runCountEdit_->setText(values_.runCount);
    clockText_->setText(values_.clock.isEmpty() ? QStringLiteral("时间") : values_.clock);
}

void GeneralPage::frameArrived()
{
    identity::applyReply(rxFrame.text(), values_);
    showDisplayOnly();
}

// The reply comes back as a frame of its own.
void GeneralPage::tick()
{
    if (!isPageShown() || serialChannel.linkBusy)
        return;
    request::readClock();
    sendRequest();
}

// Refuses a text that came from the controller with characters a request
// cannot carry; the user's text stays for correcting.
bool GeneralPage::sendable(QLineEdit* edit, const QString& refusal)
{
    if (identity::isPrintableAscii(edit->text()))
        return true;
    prompts::showMessage(refusal);
    edit->setFocus(Qt::OtherFocusReason);
    return false;
}

// Write-only: whatever the controller answers arrives as a frame of its own.
void GeneralPage::setElevatorId()
{
    if (!sendable(elevatorIdEdit_, kIdNotAscii))
        return;
    clockTimer_.stop();
    identity::sendElevatorId(elevatorIdEdit_->text());
    activate();
}

void GeneralPage::setTelephone()
{
    if (!sendable(telephoneEdit_, kTelephoneNotAscii))
        return;
    clockTimer_.stop();
    const bool accepted = identity::setTelephone(telephoneEdit_->text());
    QPointer<GeneralPage> self(this);
    prompts::showMessage(accepted ? kTelephoneSet : kTelephoneRefused);
    if (self)
        activate();
}

// Write-only, like the ID.
void GeneralPage::resetRunCounter()
{
    if (!prompts::askYesNo(QStringLiteral("确定要将运行次数清零吗？")))
        return;
    clockTimer_.stop();
    identity::sendRunCounterReset();
    activate();
}

// Reads the clock, lets the user edit it and sends it back; no dialog and
// nothing sent when the clock cannot be read.
void GeneralPage::setClock()
{
    clockTimer_.stop();
    const std::optional<identity::ClockFields> now = identity::readClockFields();
    QPointer<GeneralPage> self(this);
    if (now) {
        DateTimeDialog dialog;
        dialog.setValues(*now);
        // The read that follows shows the clock the controller took.
        if (dialog.exec() == QDialog::Accepted && self)
            identity::sendClock(dialog.values());
    }
    if (self)
        activate();
}
