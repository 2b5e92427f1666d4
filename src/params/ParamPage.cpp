#include "ParamPage.h"

#include "BitMaskDialog.h"
#include "CICDlg.h"
#include "DisplayCodeDialog.h"
#include "HexCodec.h"
#include "ImportPreview.h"
#include "ImportPreviewDialog.h"
#include "LockoutScheduleDialog.h"
#include "ParamFile.h"
#include "ParamReply.h"
#include "Prompts.h"
#include "ReportList.h"
#include "ValueEntryDialog.h"
#include "WaitCursor.h"

#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <QSet>

#include <limits>

namespace {

constexpr int kValueColumn = 1;
constexpr int kDescriptionColumn = 2;

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

FieldCheck checkParameterValue(const QString& text, const params::ValueRange& range)
{
    FieldCheck check = checkUnsigned(text, range.least, range.most);
    if (!check.value)
        check.refusal = rangeRefusal(range.least, range.most);
    return check;
}

ParamPage::ParamPage(PageHost& host, const ParamPageProfile& profile, QWidget* parent)
    : Page(host, profile.pageIndex, parent), profile_(profile),
      layout_(profile.controller.fixedLayout ? *profile.controller.fixedLayout : kLayout173)
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

    filterEdit_ = new QLineEdit(this);
    filterEdit_->setObjectName(QStringLiteral("filterEdit"));
    filterEdit_->setPlaceholderText(QStringLiteral("编号或说明"));
    filterEdit_->setClearButtonEnabled(true);
    auto* filterLabel = new QLabel(QStringLiteral("查找:"), this);
    filterLabel->setObjectName(QStringLiteral("filterLabel"));
    filterLabel->setBuddy(filterEdit_);
    connect(filterEdit_, &QLineEdit::textChanged, this, &ParamPage::applyFilter);
    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(filterLabel);
    filterRow->addWidget(filterEdit_, 1);
    // The service record, above "保存": the row of buttons below the list
    // has no room left at the window's smallest size.
    if (host.serviceRecord()) {
        auto* history = new QPushButton(QStringLiteral("历史"), this);
        history->setObjectName(QStringLiteral("historyButton"));
        history->setAutoDefault(false);
        connect(history, &QPushButton::clicked, this, &ParamPage::openHistory);
        filterRow->addWidget(history);
    }

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(8, 8, 8, 8);
    page->addLayout(filterRow);
    page->addWidget(list_, 1);
    page->addLayout(buttons);
}

// Rows whose "F" number or description holds the text stay in sight; the
// others are hidden, never removed, so edits and saves see every row.
bool ParamPage::passesFilter(int row) const
{
    const QString text = filterEdit_->text().trimmed();
    return text.isEmpty() || list_->cell(row, 0).contains(text, Qt::CaseInsensitive) ||
           list_->cell(row, kDescriptionColumn).contains(text, Qt::CaseInsensitive);
}

void ParamPage::applyFilter()
{
    for (int row = 0; row < list_->rowCount(); ++row) {
        QTreeWidgetItem* item = list_->topLevelItem(row);
        const bool hidden = !passesFilter(row);
        item->setHidden(hidden);
        if (hidden)
            item->setSelected(false);
    }
}

void ParamPage::activate()
{
    readAll();
}

void ParamPage::deactivate()
{
    reading_ = false;
}

// A list read from another controller is never edited in place: the next
// activation reads it anew, layout probe included.
void ParamPage::linkRestored()
{
    peerConfirmed_ = false;
    list_->clearRows();
    complete_ = false;
}

// --- Read-all ---------------------------------------------------------------

void ParamPage::readAll()
{
    if (complete_)
        return;
    list_->clearRows();
    params::ReadAllResult result;
    {
        WaitCursor wait;
        TabChoiceWatch watch(host(), profile_.endsOnTabChoice);
        reading_ = true;
        params::ReadAllObserver observer;
        observer.row = [this](const params::ParamRow& row) { appendRow(row); };
        observer.keepGoing = [this] {
            if (profile_.endsOnTabChoice && host().otherTabChosen())
                reading_ = false;
            return reading_;
        };
        result = params::readAllParameters(profile_.controller, observer);
        reading_ = false;
    }
    if (result.end != params::ReadAllEnd::NoProbeReply)
        layout_ = result.layout;
    complete_ = result.end == params::ReadAllEnd::Complete;
    if (complete_)
        recordCompleteRead();
    afterWrite_.reset();
    const bool failed = result.end == params::ReadAllEnd::Failed || result.end == params::ReadAllEnd::NoProbeReply;
    if (failed && !profile_.readFailure.isEmpty())
        prompts::showMessage(profile_.readFailure);
}

void ParamPage::appendRow(const params::ParamRow& row)
{
    list_->appendRow({paramNumberText(row.number), QString::number(row.value), row.description}, row.index);
    QTreeWidgetItem* item = list_->topLevelItem(list_->rowCount() - 1);
    item->setToolTip(kDescriptionColumn, row.description);
    item->setHidden(!passesFilter(list_->rowCount() - 1));
}

// --- Edit ---------------------------------------------------------------------

void ParamPage::editSelected()
{
    const int row = list_->firstSelectedRow();
    if (row < 0)
        return;
    const int index = int(list_->rowData(row));
    if (!rightPeer())
        return;
    const unsigned oldValue = unsigned(std::uint16_t(leadingInteger(list_->cell(row, kValueColumn))));
    editWrite_.reset();
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
    if (editWrite_)
        recordEdit(index, oldValue);
}

// Each editor returns whether the parameter is to be read back.

bool ParamPage::editValue(int index, int row)
{
    ValueEntryDialog dialog(window());
    dialog.prompt = list_->cell(row, kDescriptionColumn);
    dialog.valueText = list_->cell(row, kValueColumn);
    // A refused value keeps the dialog open for correcting; nothing is sent.
    const params::ValueRange range = params::parameterRange(layout_, index);
    dialog.check = [range](const QString& text) { return checkParameterValue(text, range).refusal; };
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const FieldCheck value = checkParameterValue(dialog.valueText, range);
    if (!value.value)
        return false;
    editWrite_ = {unsigned(*value.value), params::writeParameter(index, unsigned(*value.value))};
    return true;
}

// The dialog starts from the four value characters as the controller holds
// them; without them no dialog opens and nothing is written.
bool ParamPage::editBitMask(int index, int row)
{
    const params::ValueChars read = params::readValueChars(index);
    if (read.end == params::ValueChars::End::NoReply) {
        prompts::showMessage(QStringLiteral("通讯失败，请再点击一次!"));
        return false;
    }
    if (read.end == params::ValueChars::End::WrongReply)
        return true;

    BitMaskDialog dialog(window());
    std::copy(std::begin(read.chars), std::end(read.chars), dialog.valueChars);
    dialog.prompt = list_->cell(row, kDescriptionColumn);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    editWrite_ = {decodeHex4(dialog.valueChars), params::writeParameterChars(index, dialog.valueChars)};
    return true;
}

bool ParamPage::editDisplayCode(int index, int row)
{
    DisplayCodeDialog dialog(window());
    dialog.code = int(leadingInteger(list_->cell(row, kValueColumn)));
    dialog.prompt = list_->cell(row, kDescriptionColumn);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    editWrite_ = {unsigned(dialog.code) & 0xFFFFu, params::writeParameter(index, unsigned(dialog.code) & 0xFFFFu)};
    return true;
}

// The switch of the lock-out function (161); the schedule dialog reads and
// writes the floors' periods itself. Cancelled or not, it is read back.
bool ParamPage::editLockout(int index, int row)
{
    const QString shown = list_->cell(row, kValueColumn);
    LockoutScheduleDialog dialog(shown.startsWith(QLatin1Char('0')) ? 0 : 1, window());
    if (dialog.exec() == QDialog::Accepted) {
        editWrite_ = {unsigned(dialog.lockoutEnabled),
                      params::writeParameter(index, unsigned(dialog.lockoutEnabled), params::kSwitchWriteTries)};
    }
    return true;
}

// An unconfirmed write is not reported: the read-back shows what the
// controller holds.
void ParamPage::rereadParameter(int index)
{
    const std::optional<unsigned> value = params::readParameterBack(profile_.controller, layout_, index);
    const int row = value ? list_->rowWithData(index) : -1;
    if (row >= 0)
        list_->setCell(row, kValueColumn, QString::number(*value));
}

// The door page reaches the main controller when both run at one rate;
// its values would land in the wrong controller.
bool ParamPage::rightPeer()
{
    if (!profile_.checksPeer || peerConfirmed_)
        return true;
    const std::optional<params::Peer> peer = params::identifyPeer();
    if (peer && *peer != profile_.controller.peer) {
        prompts::showMessage(QStringLiteral("应答的是主控制器，不是门机，参数未写入"));
        return false;
    }
    peerConfirmed_ = peer.has_value();
    return true;
}

// --- Buttons ----------------------------------------------------------------

void ParamPage::refresh()
{
    peerConfirmed_ = false;
    list_->clearRows();
    complete_ = false;
    activate();
}

// A list cut short would make a file with records missing, or write only
// part of a file into the controller.
bool ParamPage::refuseIncompleteList(const QString& refusal)
{
    if (complete_)
        return false;
    prompts::showMessage(refusal);
    return true;
}

void ParamPage::resetParameters()
{
    if (!prompts::askYesNo(QStringLiteral("确定要将全部参数恢复为出厂值吗?")) || !rightPeer())
        return;
    recordBeforeWrite(history::SnapshotKind::AfterReset);
    bool done = false;
    {
        WaitCursor wait;
        done = params::resetParameters();
    }
    if (!done)
        prompts::showMessage(QStringLiteral("复位F参数失败"));
    refresh();
}

void ParamPage::saveFile()
{
    if (refuseIncompleteList(QStringLiteral("参数未读全，请刷新后再保存")))
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
// import. The whole file is checked, then shown against the list, before
// anything is sent. Afterwards the list is read again, whatever the outcome
// of the writes.
void ParamPage::importFile()
{
    if (refuseIncompleteList(QStringLiteral("参数未读全，请刷新后再导入")))
        return;
    const int rows = list_->rowCount();
    const QString path = prompts::askOpenFile(profile_.fileName, profile_.fileFilter, QStringLiteral("F"));
    if (path.isEmpty())
        return;
    const ParamFileContent file = readParamFile(path, std::numeric_limits<int>::max());
    if (file.problem != ParamFileProblem::None) {
        prompts::showMessage(paramFileProblemText(file.problem));
        return;
    }
    const params::ImportPreview preview =
        params::previewImport(file.records, rows, [this](int index) { return listedValue(index); });
    if (const std::optional<QList<ParamRecord>> chosen = confirmImport(preview))
        writeSet(*chosen);
}

std::optional<unsigned> ParamPage::listedValue(int index) const
{
    const int row = list_->rowWithData(index);
    return row < 0 ? std::nullopt : std::optional<unsigned>(std::uint16_t(leadingInteger(list_->cell(row, kValueColumn))));
}

void ParamPage::writeSet(const QList<ParamRecord>& records)
{
    if (!rightPeer())
        return;
    recordBeforeWrite(history::SnapshotKind::AfterWrite);
    std::optional<params::RefusedRecord> refused;
    {
        WaitCursor wait;
        refused = params::writeRecords(profile_.controller, records);
    }
    if (refused)
        prompts::showMessage(QStringLiteral("写F%1参数失败").arg(refused->index));
    refresh();
}

// A file's records go as they are, less the differing rows unchecked; a
// kept set sends only its differing rows still checked.
std::optional<QList<ParamRecord>> ParamPage::confirmImport(const params::ImportPreview& preview, const SetSource* source)
{
    QList<ImportPreviewDialog::Row> rows;
    for (const params::ImportDifference& d : preview.differences) {
        const int row = list_->rowWithData(d.index);
        const QString number = row >= 0 ? list_->cell(row, 0) : QString();
        const QString description = row >= 0 ? list_->cell(row, kDescriptionColumn)
                                              : parameterDescription(layout_.table, d.index).value_or(QString());
        rows.append({number, description, d.listed ? QString::number(*d.listed) : QStringLiteral("-"),
                     QString::number(d.fileValue)});
    }
    ImportPreviewDialog dialog(preview.fileRecords, preview.listedRows, rows, window());
    if (source)
        dialog.describeSource(source->title, source->valueHeading, source->summary);
    if (!prompts::confirm(dialog))
        return std::nullopt;
    const QList<int> checked = dialog.checkedRows();
    QList<ParamRecord> chosen;
    if (source) {
        for (int row : checked) {
            const params::ImportDifference& d = preview.differences[row];
            chosen.append({std::uint8_t(d.index), 0, std::uint16_t(d.fileValue)});
        }
        return chosen;
    }
    QSet<int> left;
    for (qsizetype row = 0; row < preview.differences.size(); ++row) {
        if (!checked.contains(int(row)))
            left.insert(preview.differences[row].index);
    }
    for (const ParamRecord& record : preview.toSend) {
        if (!left.contains(record.index))
            chosen.append(record);
    }
    return chosen;
}

void ParamPage::openCardDialog()
{
    CICDlg dialog(window());
    dialog.exec();
}
