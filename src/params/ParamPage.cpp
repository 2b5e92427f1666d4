#include "ParamPage.h"

#include "BitMaskDialog.h"
#include "CICDlg.h"
#include "DisplayCodeDialog.h"
#include "FrameBuffer.h"
#include "LinkWait.h"
#include "LockoutScheduleDialog.h"
#include "ParamFile.h"
#include "ParamReply.h"
#include "Prompts.h"
#include "ReportList.h"
#include "Requests.h"
#include "ValueEntryDialog.h"
#include "WaitCursor.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QPushButton>

namespace {

constexpr int kValueColumn = 1;
constexpr int kDescriptionColumn = 2;

// The writes of an edit: done on 'F' '5' with 'F' at index 5.
constexpr Tries kWriteTries{.tries = 2, .waitMs = 50, .wanted = 20, .afterFailureMs = 100};
constexpr Tries kLockoutWriteTries{.tries = 2, .waitMs = 100, .wanted = 20, .afterFailureMs = 100};
// The bit-mask dialog's read of the four value characters.
constexpr Tries kBitMaskReadTries{.tries = 2, .waitMs = 100, .wanted = 20};
constexpr int kResetWaitMs = 5000;
constexpr int kResetReplyLength = 40;

// Ends the host's watch for a tab choice on every path out of a read-all.
class TabChoiceWatch
{
public:
    TabChoiceWatch(PageHost& host, bool on) : host_(host), on_(on)
    {
        if (on_)
            host_.watchTabChoice(true);
    }
    ~TabChoiceWatch()
    {
        if (on_)
            host_.watchTabChoice(false);
    }
    TabChoiceWatch(const TabChoiceWatch&) = delete;
    TabChoiceWatch& operator=(const TabChoiceWatch&) = delete;

private:
    PageHost& host_;
    bool on_;
};

} // namespace

FieldCheck checkParameterValue(const QString& text)
{
    FieldCheck check = checkUnsigned(text, 0, 65535);
    if (!check.value)
        check.refusal = rangeRefusal(0, 65535);
    return check;
}

ParamPage::ParamPage(PageHost& host, const ParamPageProfile& profile, QWidget* parent)
    : Page(host, profile.pageIndex, parent), profile_(profile), layout_(profile.fixedLayout ? *profile.fixedLayout
                                                                                           : kLayout173)
{
    setObjectName(profile.objectName);
    list_ = new ReportList(this);
    list_->setObjectName(QStringLiteral("paramList"));
    list_->setColumns({{QStringLiteral("编号"), 40, Qt::AlignHCenter},
                       {QStringLiteral("参数"), profile.valueColumnWidth, Qt::AlignHCenter},
                       {QStringLiteral("说明"), profile.descriptionColumnWidth, Qt::AlignLeft}});
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The description takes whatever width the page has beyond its own; a
    // text still too long shows whole as the row's tooltip.
    list_->header()->setStretchLastSection(true);
    connect(list_, &QTreeWidget::itemDoubleClicked, this, &ParamPage::editSelected);

    auto* buttons = new QHBoxLayout;
    const auto addButton = [this, buttons](const char* text, const char* name, void (ParamPage::*action)()) {
        auto* button = new QPushButton(QString::fromUtf8(text), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, action);
        buttons->addWidget(button);
    };
    if (profile.cardButton)
        addButton("IC卡授权", "cardButton", &ParamPage::openCardDialog);
    buttons->addStretch();
    addButton("保存", "saveButton", &ParamPage::saveFile);
    addButton("导入", "importButton", &ParamPage::importFile);
    addButton("复位", "resetButton", &ParamPage::resetParameters);
    addButton("刷新", "refreshButton", &ParamPage::refresh);

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->addWidget(list_, 1);
    page->addLayout(buttons);
}

void ParamPage::activate()
{
    readAll();
}

void ParamPage::deactivate()
{
    reading_ = false;
}

// --- Read-all ---------------------------------------------------------------

void ParamPage::readAll()
{
    if (list_->rowCount() > 0)
        return;
    bool failed = false;
    {
        LinkBusyGuard busy;
        WaitCursor wait;
        linkSleep(profile_.settleMs);
        const std::optional<ParamLayout> layout = readLayout();
        if (!layout)
            return;
        layout_ = *layout;
        reading_ = true;
        TabChoiceWatch watch(host(), profile_.endsOnTabChoice);
        for (int i = 0; i < layout_.count && reading_; ++i) {
            request::readParameter(i);
            int got = 0;
            const bool usable = exchangeUntil(profile_.readTries, [this, &got](int count) {
                got = count;
                return accept::framed('A', '5')(count) && rxFrame.length() >= profile_.shortestReply;
            });
            if (!usable && profile_.skipUnusable && got > 0)
                continue;
            if (!usable) {
                failed = true;
                break;
            }
            appendRow(i);
            if (profile_.endsOnTabChoice && host().otherTabChosen())
                reading_ = false;
        }
        reading_ = false;
    }
    if (failed && !profile_.readFailure.isEmpty())
        prompts::showMessage(profile_.readFailure);
}

// The fixed layout, or the probe's choice; nothing when the probe had no
// answer.
std::optional<ParamLayout> ParamPage::readLayout()
{
    if (profile_.fixedLayout)
        return *profile_.fixedLayout;
    const std::optional<bool> extended = probeExtendedLayout();
    if (!extended)
        return std::nullopt;
    return *extended ? kLayout173 : kLayout114;
}

void ParamPage::appendRow(int index)
{
    const ParamReading reading = decodeParamReply(rxFrame, layout_.oneByte(index));
    const QString description = parameterDescription(layout_.table, index).value_or(QString());
    list_->appendRow({paramNumberText(reading.number), QString::number(reading.value), description}, index);
    list_->topLevelItem(list_->rowCount() - 1)->setToolTip(kDescriptionColumn, description);
}

// --- Edit ---------------------------------------------------------------------

void ParamPage::editSelected()
{
    const int row = list_->firstSelectedRow();
    if (row < 0)
        return;
    const int index = int(list_->rowData(row));
    bool reread = false;
    switch (editorFor(profile_.editors, index)) {
    case ParamEditor::TelephoneElsewhere:
        prompts::showMessage(QStringLiteral("请在一般参数中修改电话号码"));
        return;
    case ParamEditor::LockoutSchedule:
        reread = editLockout(index, row);
        break;
    case ParamEditor::BitMask:
        reread = editBitMask(index, row);
        break;
    case ParamEditor::DisplayCode:
        reread = editDisplayCode(index, row);
        break;
    case ParamEditor::Value:
        reread = editValue(index, row);
        break;
    }
    if (reread)
        rereadParameter(index);
}

// Each editor returns whether the parameter is to be read back.

bool ParamPage::editValue(int index, int row)
{
    ValueEntryDialog dialog(window());
    dialog.prompt = list_->cell(row, kDescriptionColumn);
    dialog.valueText = list_->cell(row, kValueColumn);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const FieldCheck value = checkParameterValue(dialog.valueText);
    if (!value.value) {
        prompts::showMessage(value.refusal);
        return false;
    }
    request::writeParameter(index, unsigned(*value.value));
    writeParameter(kWriteTries);
    return true;
}

bool ParamPage::editBitMask(int index, int row)
{
    int got = 0;
    bool read = false;
    {
        LinkBusyGuard busy;
        request::readParameter(index);
        int tries = 0;
        read = exchangeUntil(kBitMaskReadTries, [&got, &tries](int count) {
            got = count;
            if (accept::matching('A', '5')(count))
                return true;
            // A wrong reply is followed by a pause, no reply by the next try at once.
            if (count > 0 && ++tries < kBitMaskReadTries.tries)
                linkSleep(100);
            return false;
        });
    }
    if (!read && got == 0) {
        prompts::showMessage(QStringLiteral("通讯失败，请再点击一次!"));
        return false;
    }
    if (!read)
        return true;

    BitMaskDialog dialog(window());
    for (int k = 0; k < 4; ++k)
        dialog.valueChars[k] = rxFrame.at(7 + k);
    dialog.valueChars[4] = '\0';
    dialog.prompt = list_->cell(row, kDescriptionColumn);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    request::writeParameterChars(index, dialog.valueChars);
    writeParameter(kWriteTries);
    return true;
}

bool ParamPage::editDisplayCode(int index, int row)
{
    DisplayCodeDialog dialog(window());
    dialog.code = int(leadingInteger(list_->cell(row, kValueColumn)));
    dialog.prompt = list_->cell(row, kDescriptionColumn);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    request::writeParameter(index, unsigned(dialog.code) & 0xFFFFu);
    writeParameter(kWriteTries);
    return true;
}

// The switch of the lock-out function (161); the schedule dialog reads and
// writes the floors' periods itself. Cancelled or not, it is read back.
bool ParamPage::editLockout(int index, int row)
{
    const QString shown = list_->cell(row, kValueColumn);
    LockoutScheduleDialog dialog(shown.startsWith(QLatin1Char('0')) ? 0 : 1, window());
    if (dialog.exec() == QDialog::Accepted) {
        request::writeParameter(index, unsigned(dialog.lockoutEnabled));
        writeParameter(kLockoutWriteTries);
    }
    return true;
}

// The request is in txFrame. An unconfirmed write is not reported: the
// re-read shows what the controller holds.
void ParamPage::writeParameter(const Tries& tries)
{
    LinkBusyGuard busy;
    exchangeUntil(tries, accept::flagged('F', '5', 5));
}

void ParamPage::rereadParameter(int index)
{
    LinkBusyGuard busy;
    request::readParameter(index);
    if (!exchangeUntil(profile_.rereadTries, accept::framed('A', '5')))
        return;
    const int row = list_->rowWithData(index);
    if (row >= 0)
        list_->setCell(row, kValueColumn, QString::number(decodeParamReply(rxFrame, layout_.oneByte(index)).value));
}

// --- Buttons ----------------------------------------------------------------

void ParamPage::refresh()
{
    list_->clearRows();
    activate();
}

void ParamPage::resetParameters()
{
    bool failed = false;
    {
        LinkBusyGuard busy;
        WaitCursor wait;
        request::resetParameters();
        const int got = transact(kResetWaitMs, kResetReplyLength);
        failed = got == 0 || (replyIs('F', 'R') && rxFrame.at(6) != 'F');
    }
    if (failed)
        prompts::showMessage(QStringLiteral("复位F参数失败"));
    refresh();
}

void ParamPage::saveFile()
{
    if (list_->rowCount() == 0)
        return;
    const QString path = prompts::askSaveFile(profile_.fileName, profile_.fileFilter, QStringLiteral("F"));
    if (path.isEmpty())
        return;
    QList<ParamRecord> records;
    for (int r = 0; r < list_->rowCount(); ++r) {
        records.append({std::uint8_t(list_->rowData(r)), 0,
                        std::uint16_t(leadingInteger(list_->cell(r, kValueColumn)))});
    }
    const ParamFileProblem problem = writeParamFile(path, records);
    if (problem != ParamFileProblem::None)
        prompts::showMessage(paramFileProblemText(problem));
}

// At most one record per row is written; the first record refused ends the
// import. The whole file is checked before anything is sent. Afterwards the
// list is read again, whatever the outcome of the writes.
void ParamPage::importFile()
{
    const int rows = list_->rowCount();
    if (rows == 0)
        return;
    const QString path = prompts::askOpenFile(profile_.fileFilter, QStringLiteral("F"));
    if (path.isEmpty())
        return;
    const ParamFileContent file = readParamFile(path, rows);
    if (file.problem != ParamFileProblem::None) {
        prompts::showMessage(paramFileProblemText(file.problem));
        return;
    }
    std::optional<int> refused;
    {
        WaitCursor wait;
        LinkBusyGuard busy;
        for (const ParamRecord& record : file.records) {
            request::writeParameter(record.index, record.value);
            const int got = transact(50, 20);
            if (got == 0 || (replyIs('F', '5') && rxFrame.at(profile_.importFlagIndex) != 'F')) {
                refused = record.index;
                break;
            }
        }
    }
    if (refused)
        prompts::showMessage(QStringLiteral("写F%1参数失败").arg(*refused));
    refresh();
}

void ParamPage::openCardDialog()
{
    CICDlg dialog(window());
    dialog.exec();
}
