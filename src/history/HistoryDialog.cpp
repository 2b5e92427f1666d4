#include "HistoryDialog.h"

#include "HistoryDiff.h"
#include "HistoryStore.h"
#include "HistorySync.h"
#include "ParamDescriptions.h"
#include "ParamReply.h"
#include "Prompts.h"
#include "ReportList.h"
#include "WaitCursor.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

namespace history {

namespace {

QString shownTime(const QDateTime& at)
{
    return at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QPushButton* makeButton(QWidget* parent, const QString& text, const QString& name)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QString layoutCaption(SetLayout layout)
{
    return layout == SetLayout::Door ? QStringLiteral("门机") : QStringLiteral("电梯");
}

// What a record's note column shows beyond the note: an edit's change,
// the parameter by its "F" number where the list now shows it.
QString entryText(const HistoryEntry& e, const QHash<int, int>& numbers)
{
    if (e.type != HistoryEntry::Type::Edit)
        return e.allNotes();
    const QString name = numbers.contains(e.index) ? paramNumberText(numbers.value(e.index))
                                                   : QStringLiteral("参数%1").arg(e.index);
    QString text = QStringLiteral("%1: %2 → %3").arg(name).arg(e.oldValue).arg(e.newValue);
    if (!e.confirmed)
        text += QStringLiteral(" (未确认)");
    const QString notes = e.allNotes();
    return notes.isEmpty() ? text : text + QStringLiteral("; ") + notes;
}

} // namespace

TextEntryDialog::TextEntryDialog(const QString& title, const QString& label, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("textEntryDialog"));
    setWindowTitle(title);
    edit_ = new QLineEdit(this);
    edit_->setObjectName(QStringLiteral("textEdit"));
    auto* caption = new QLabel(label, this);
    caption->setObjectName(QStringLiteral("textLabel"));
    caption->setBuddy(edit_);
    auto* ok = makeButton(this, QStringLiteral("确定"), QStringLiteral("okButton"));
    ok->setDefault(true);
    auto* cancel = makeButton(this, QStringLiteral("取消"), QStringLiteral("cancelButton"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addWidget(edit_);
    layout->addLayout(buttons);
    resize(360, 110);
}

HistoryDiffDialog::HistoryDiffDialog(const QString& title, const QList<QStringList>& rows, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("historyDiffDialog"));
    setWindowTitle(title);
    auto* summary = new QLabel(rows.isEmpty() ? QStringLiteral("两者的参数完全相同。")
                                              : QStringLiteral("%1 个参数不同。").arg(rows.size()),
                               this);
    summary->setObjectName(QStringLiteral("summaryLabel"));
    list_ = new ReportList(this);
    list_->setObjectName(QStringLiteral("differenceList"));
    const QStringList headings = diffHeadings();
    list_->setColumns({{headings[0], 50, Qt::AlignHCenter},
                       {headings[1], 300, Qt::AlignLeft},
                       {headings[2], 70, Qt::AlignHCenter},
                       {headings[3], 70, Qt::AlignHCenter}});
    list_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    for (const QStringList& row : rows) {
        list_->appendRow(row, list_->rowCount());
        list_->topLevelItem(list_->rowCount() - 1)->setToolTip(1, row.value(1));
    }
    auto* close = makeButton(this, QStringLiteral("关闭"), QStringLiteral("closeButton"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(600, 420);
}

HistoryDialog::HistoryDialog(HistoryStore& store, PageSide page, QWidget* parent)
    : QDialog(parent), store_(store), page_(std::move(page))
{
    setObjectName(QStringLiteral("historyDialog"));
    setWindowTitle(QStringLiteral("历史"));

    controllers_ = new ReportList(this);
    controllers_->setObjectName(QStringLiteral("controllerList"));
    controllers_->setColumns({{QStringLiteral("电梯"), 120, Qt::AlignLeft},
                              {QStringLiteral("程序名称"), 150, Qt::AlignLeft},
                              {QStringLiteral("最近"), 90, Qt::AlignHCenter}});
    auto* controllersLabel = new QLabel(QStringLiteral("电梯(&E):"), this);
    controllersLabel->setObjectName(QStringLiteral("controllerLabel"));
    controllersLabel->setBuddy(controllers_);

    records_ = new ReportList(this);
    records_->setObjectName(QStringLiteral("recordList"));
    records_->setColumns({{QStringLiteral("时间"), 140, Qt::AlignHCenter},
                          {QStringLiteral("用户"), 70, Qt::AlignHCenter},
                          {QStringLiteral("类型"), 70, Qt::AlignHCenter},
                          {QStringLiteral("参数"), 40, Qt::AlignHCenter},
                          {QStringLiteral("备注"), 220, Qt::AlignLeft}});
    records_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    records_->header()->setStretchLastSection(true);
    auto* recordsLabel = new QLabel(QStringLiteral("记录(&R):"), this);
    recordsLabel->setObjectName(QStringLiteral("recordLabel"));
    recordsLabel->setBuddy(records_);

    compareButton_ = makeButton(this, QStringLiteral("比较"), QStringLiteral("compareButton"));
    restoreButton_ = makeButton(this, QStringLiteral("恢复"), QStringLiteral("restoreButton"));
    undoButton_ = makeButton(this, QStringLiteral("撤销上次写入"), QStringLiteral("undoButton"));
    noteButton_ = makeButton(this, QStringLiteral("备注"), QStringLiteral("noteButton"));
    auto* nameButton = makeButton(this, QStringLiteral("命名"), QStringLiteral("nameButton"));
    auto* syncButton = makeButton(this, QStringLiteral("同步"), QStringLiteral("syncButton"));
    auto* closeButton = makeButton(this, QStringLiteral("关闭"), QStringLiteral("closeButton"));
    connect(compareButton_, &QPushButton::clicked, this, &HistoryDialog::compareSelected);
    connect(restoreButton_, &QPushButton::clicked, this, &HistoryDialog::restoreSelected);
    connect(undoButton_, &QPushButton::clicked, this, &HistoryDialog::undoLastWrite);
    connect(noteButton_, &QPushButton::clicked, this, &HistoryDialog::addNote);
    connect(nameButton, &QPushButton::clicked, this, &HistoryDialog::nameController);
    connect(syncButton, &QPushButton::clicked, this, &HistoryDialog::sync);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(controllers_, &QTreeWidget::itemSelectionChanged, this, &HistoryDialog::showRecords);
    connect(records_, &QTreeWidget::itemSelectionChanged, this, &HistoryDialog::updateButtons);
    connect(records_, &QTreeWidget::itemDoubleClicked, this, &HistoryDialog::compareSelected);

    auto* left = new QWidget(this);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->addWidget(controllersLabel);
    leftLayout->addWidget(controllers_);
    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(recordsLabel);
    rightLayout->addWidget(records_);
    auto* split = new QSplitter(this);
    split->setObjectName(QStringLiteral("historySplitter"));
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(1, 2);
    split->setSizes({380, 580});

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {compareButton_, restoreButton_, undoButton_, noteButton_, nameButton, syncButton})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(closeButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);
    resize(960, 480);

    showControllers();
}

// The controller now connected first (also before it has any record).
void HistoryDialog::showControllers()
{
    const QString keep = chosenController().isEmpty() ? page_.controller : chosenController();
    const QList<KnownController> known = store_.controllers();
    QSignalBlocker block(controllers_);
    controllers_->clearRows();
    controllerKeys_.clear();
    const auto add = [this](const QString& key, const QString& shown, const QString& program, const QDateTime& last) {
        controllers_->appendRow({shown, program, last.isValid() ? last.toLocalTime().toString(QStringLiteral("yyyy-MM-dd")) : QString()},
                                controllerKeys_.size());
        controllerKeys_.append(key);
    };
    const auto current = std::find_if(known.begin(), known.end(),
                                      [this](const KnownController& c) { return c.key == page_.controller; });
    if (!page_.controller.isEmpty()) {
        const QString shown = (current != known.end() ? current->shown() : page_.controller) + QStringLiteral(" (当前)");
        add(page_.controller, shown, current != known.end() ? current->identity.programName : QString(),
            current != known.end() ? current->last : QDateTime());
    }
    for (const KnownController& c : known) {
        if (c.key != page_.controller)
            add(c.key, c.shown(), c.identity.programName, c.last);
    }
    const int row = std::max(0, int(controllerKeys_.indexOf(keep)));
    if (controllers_->rowCount() > 0)
        controllers_->topLevelItem(row)->setSelected(true);
    block.unblock();
    showRecords();
}

QString HistoryDialog::chosenController() const
{
    const int row = controllers_->firstSelectedRow();
    return row >= 0 && row < controllerKeys_.size() ? controllerKeys_[row] : QString();
}

void HistoryDialog::showRecords()
{
    entries_ = store_.history(chosenController());
    QHash<int, int> numbers;
    if (chosenController() == page_.controller && page_.listed) {
        for (const KeptParameter& p : page_.listed()) {
            if (p.number)
                numbers.insert(p.index, *p.number);
        }
    }
    QSignalBlocker block(records_);
    records_->clearRows();
    for (qsizetype i = 0; i < entries_.size(); ++i) {
        const HistoryEntry& e = entries_[i];
        const QString text = entryText(e, e.layout == page_.layout ? numbers : QHash<int, int>());
        records_->appendRow({shownTime(e.stamp.at), e.stamp.user, e.caption(), layoutCaption(e.layout), text}, i);
        records_->topLevelItem(int(i))->setToolTip(4, text);
    }
    block.unblock();
    updateButtons();
}

QList<HistoryEntry> HistoryDialog::selectedEntries() const
{
    QList<HistoryEntry> chosen;
    for (int row = 0; row < records_->rowCount(); ++row) {
        if (records_->topLevelItem(row)->isSelected())
            chosen.append(entries_.value(row));
    }
    return chosen;
}

void HistoryDialog::updateButtons()
{
    const QList<HistoryEntry> chosen = selectedEntries();
    const bool here = chosenController() == page_.controller;
    const auto isSet = [](const HistoryEntry& e) { return e.type != HistoryEntry::Type::Edit; };
    const bool oneSet = chosen.size() == 1 && isSet(chosen[0]);
    compareButton_->setEnabled((oneSet && here) || (chosen.size() == 2 && isSet(chosen[0]) && isSet(chosen[1])));
    restoreButton_->setEnabled(oneSet && bool(page_.restore));
    undoButton_->setEnabled(here && bool(page_.restore));
    noteButton_->setEnabled(chosen.size() == 1 && chosen[0].type != HistoryEntry::Type::Seen);
}

std::optional<Snapshot> HistoryDialog::snapshotOf(const HistoryEntry& entry)
{
    return store_.snapshot(entry.snapshot);
}

void HistoryDialog::showDiff(const QString& title, const QList<KeptParameter>& older,
                             const QList<KeptParameter>& newer, SetLayout layout)
{
    QList<QStringList> rows;
    for (const DiffRow& row : diffParameters(older, newer, layout))
        rows.append(row.texts());
    HistoryDiffDialog dialog(title, rows, this);
    prompts::confirm(dialog);
}

// Two sets: the older against the newer. One: it against the list now.
void HistoryDialog::compareSelected()
{
    const QList<HistoryEntry> chosen = selectedEntries();
    if (chosen.size() == 2) {
        const std::optional<Snapshot> newer = snapshotOf(chosen[0]);
        const std::optional<Snapshot> older = snapshotOf(chosen[1]);
        if (!newer || !older)
            return;
        if (newer->layout != older->layout) {
            prompts::showMessage(QStringLiteral("两条记录的参数表不同，无法比较。"));
            return;
        }
        showDiff(QStringLiteral("%1 与 %2 比较").arg(shownTime(older->stamp.at), shownTime(newer->stamp.at)),
                 older->parameters(), newer->parameters(), newer->layout);
        return;
    }
    if (chosen.size() != 1 || chosen[0].type == HistoryEntry::Type::Edit || !page_.listed)
        return;
    const std::optional<Snapshot> then = snapshotOf(chosen[0]);
    const QList<KeptParameter> now = page_.listed();
    if (!then)
        return;
    if (now.isEmpty() || then->layout != page_.layout) {
        prompts::showMessage(QStringLiteral("当前列表中没有同一参数表的参数，无法比较。"));
        return;
    }
    showDiff(QStringLiteral("%1 与当前控制器比较").arg(shownTime(then->stamp.at)), then->parameters(), now, then->layout);
}

void HistoryDialog::restore(const Snapshot& snapshot)
{
    if (page_.restore && page_.restore(snapshot))
        showControllers();
}

void HistoryDialog::restoreSelected()
{
    const QList<HistoryEntry> chosen = selectedEntries();
    if (chosen.size() != 1 || chosen[0].type == HistoryEntry::Type::Edit)
        return;
    if (const std::optional<Snapshot> s = snapshotOf(chosen[0]))
        restore(*s);
}

void HistoryDialog::undoLastWrite()
{
    const std::optional<Snapshot> before = store_.lastBeforeWrite(page_.controller, page_.layout);
    if (!before) {
        prompts::showMessage(QStringLiteral("没有写入记录可以撤销。"));
        return;
    }
    restore(*before);
}

void HistoryDialog::addNote()
{
    const QList<HistoryEntry> chosen = selectedEntries();
    if (chosen.size() != 1 || chosen[0].type == HistoryEntry::Type::Seen)
        return;
    TextEntryDialog dialog(QStringLiteral("备注"), QStringLiteral("备注(&N):"), this);
    if (!prompts::confirm(dialog) || dialog.edit()->text().trimmed().isEmpty())
        return;
    if (!store_.add(Note{QUuid::createUuid(), chosen[0].id, dialog.edit()->text().trimmed(), Stamp::now()}))
        prompts::showMessage(problemText(store_.problem()));
    showRecords();
}

void HistoryDialog::nameController()
{
    const QString key = chosenController();
    if (key.isEmpty())
        return;
    TextEntryDialog dialog(QStringLiteral("命名"), QStringLiteral("电梯名称(&N):"), this);
    if (!prompts::confirm(dialog) || dialog.edit()->text().trimmed().isEmpty())
        return;
    if (!store_.add(ControllerName{QUuid::createUuid(), key, dialog.edit()->text().trimmed(), Stamp::now()}))
        prompts::showMessage(problemText(store_.problem()));
    showControllers();
}

void HistoryDialog::sync()
{
    const QString where = configuredServer();
    if (where.isEmpty()) {
        prompts::showMessage(QStringLiteral("未设置历史服务器：请在 settings.ini 中写入 historyserver=（libpq 连接字符串）。"));
        return;
    }
    const std::unique_ptr<HistoryStore> server = HistoryStore::openServer(where);
    SyncResult result{0, 0, server->problem()};
    if (server->usable()) {
        WaitCursor wait;
        result = syncStores(store_, *server);
    }
    if (result.problem)
        prompts::showMessage(problemText(result.problem, result.problem.where == store_.where()));
    else
        prompts::showMessage(QStringLiteral("同步完成：发送 %1 条记录，收到 %2 条。").arg(result.pushed).arg(result.pulled));
    showControllers();
}

} // namespace history
