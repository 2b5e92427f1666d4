// The service record in the window: the parameter pages on the simulated
// controller keep their reads and writes; the history dialog compares,
// restores a chosen part of a snapshot and undoes the last write.

#include "ElevatorParamPage.h"
#include "HistoryDialog.h"
#include "HistoryStore.h"
#include "ImportPreviewDialog.h"
#include "ModalDialogs.h"
#include "ParamTestSupport.h"
#include "ValueEntryDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>

#include <QtTest>

#include <memory>

using namespace history;

namespace {

constexpr int kPage = ElevatorParamPage::kIndex;
const QString kLift = QStringLiteral("VD2019A07");  // the simulated controller's elevator ID

QStringList kinds(const QList<HistoryEntry>& entries)
{
    QStringList list;
    for (const HistoryEntry& e : entries)
        list << e.caption();
    return list;
}

// The request that writes value to parameter index.
QByteArray writeOf(int index, unsigned value)
{
    const auto hex2 = [](unsigned byte) { return QByteArray::number(byte & 0xFFu, 16).rightJustified(2, '0').toUpper(); };
    return "F5" + hex2(unsigned(index)) + hex2(value) + hex2(value >> 8);
}

QList<unsigned> valuesOf(const Snapshot& snapshot)
{
    QList<unsigned> values;
    for (const ParamRecord& r : snapshot.records())
        values.append(r.value);
    return values;
}

void select(ReportList* list, const QList<int>& rows)
{
    list->clearSelection();
    for (int row : rows)
        list->topLevelItem(row)->setSelected(true);
}

} // namespace

class HistoryWindowTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ParamTool> tool_;

    std::unique_ptr<HistoryStore> store() { return HistoryStore::openFile(defaultStorePath()); }

    // Opens "历史" and runs act on the dialog while it is shown.
    void inHistory(const std::function<void(HistoryDialog&)>& act)
    {
        bool ran = false;
        onNextModalDialog([&](QDialog* dialog) {
            auto* history = qobject_cast<HistoryDialog*>(dialog);
            if (history) {
                act(*history);
                ran = true;
            }
            dialog->reject();
        });
        tool_->clickButton(kPage, "historyButton");
        QVERIFY(ran);
    }

private slots:
    // One main window for all cases: each read-all of 173 parameters takes
    // its time on the line.
    void initTestCase()
    {
        tool_ = std::make_unique<ParamTool>();
        tool_->clickTab(kPage);
        QCOMPARE(tool_->list(kPage).rowCount(), 173);
    }

    void cleanupTestCase() { tool_.reset(); }

    // A read keeps a snapshot once, an unchanged read is only "seen", an
    // edit is an edit record.
    void readsAndEditsAreKept()
    {
        tool_->clickButton(kPage, "refreshButton");
        onNextModalDialog([](QDialog* dialog) {
            qobject_cast<ValueEntryDialog*>(dialog)->valueEdit()->setText(QStringLiteral("900"));
            dialog->accept();
        });
        const unsigned before = tool_->elevatorValues()[0];
        tool_->doubleClickRow(kPage, 0);
        QVERIFY(tool_->prompts().messages.isEmpty());

        auto kept = store();
        const QList<HistoryEntry> entries = kept->history(kLift);
        QCOMPARE(kinds(entries), (QStringList{"修改", "未变", "读取"}));
        QCOMPARE(entries[0].index, 0);
        QCOMPARE(entries[0].oldValue, before);
        QCOMPARE(entries[0].newValue, 900u);
        QVERIFY(entries[0].confirmed);
        QCOMPARE(entries[1].snapshot, entries[2].id);
        const Snapshot read = *kept->snapshot(entries[2].id);
        QCOMPARE(read.identity.programName, QStringLiteral("VARDO M173 V3.21"));
        QCOMPARE(read.parameters()[11].number, std::optional<int>(12));
        QCOMPARE(read.records()[0].value, before);
    }

    // Two snapshots compared show the rows that differ (the edit's and three
    // more); restoring the older one writes back only the rows left
    // checked, with a snapshot before and after; "撤销上次写入" then brings
    // back what the restore replaced. A reset is kept as well.
    void restoreWritesOnlyTheCheckedRowsAndWritesCanBeUndone()
    {
        // The values of the first read, before the edit.
        const QList<unsigned> first = valuesOf(store()->snapshots(kLift).first());
        tool_->sim().withElevator([&first](ElevatorModel& e) {
            for (int index : {6, 11, 14})
                e.setParameter(index, first[index] + 7);
        });
        tool_->clickButton(kPage, "refreshButton");
        const QList<unsigned> second = tool_->elevatorValues();

        tool_->prompts().onConfirm = [](QDialog& dialog) {
            if (auto* diff = qobject_cast<HistoryDiffDialog*>(&dialog))
                QCOMPARE(diff->differenceList()->rowCount(), 4);
            if (auto* preview = qobject_cast<ImportPreviewDialog*>(&dialog)) {
                QCOMPARE(preview->differenceList()->rowCount(), 4);
                QCOMPARE(preview->differenceList()->cell(2, 0), QStringLiteral("F12"));
                preview->differenceList()->topLevelItem(2)->setCheckState(0, Qt::Unchecked);
            }
        };
        inHistory([this](HistoryDialog& dialog) {
            // The newest two: this read, and the one before the edit.
            QCOMPARE(dialog.recordList()->cell(0, 2), QStringLiteral("读取"));
            QCOMPARE(dialog.recordList()->cell(3, 2), QStringLiteral("读取"));
            select(dialog.recordList(), {0, 3});
            dialog.compareSelected();
            select(dialog.recordList(), {3});
            tool_->sim().clearRequests();
            dialog.restoreSelected();
        });
        tool_->prompts().onConfirm = {};
        QByteArrayList writes;
        for (const QByteArray& p : tool_->payloads()) {
            if (p.startsWith("F5"))
                writes << p;
        }
        QCOMPARE(writes, (QByteArrayList{writeOf(0, first[0]), writeOf(6, first[6]), writeOf(14, first[14])}));
        QList<unsigned> expected = second;
        expected[0] = first[0];
        expected[6] = first[6];
        expected[14] = first[14];
        QCOMPARE(tool_->elevatorValues(), expected);
        QCOMPARE(tool_->shownValues(kPage), expected);

        inHistory([](HistoryDialog& dialog) { dialog.undoLastWrite(); });
        QCOMPARE(tool_->elevatorValues(), second);
        auto kept = store();
        const QList<HistoryEntry> entries = kept->history(kLift);
        QCOMPARE(kinds(entries).mid(0, 5), (QStringList{"写入后", "写入前", "写入后", "写入前", "读取"}));
        QCOMPARE(kept->snapshot(entries[0].id)->records()[6].value, second[6]);
        QCOMPARE(kept->snapshot(entries[2].id)->records()[6].value, first[6]);
        QCOMPARE(kept->snapshot(entries[3].id)->records()[6].value, second[6]);

        // A reset keeps the values it replaces and the factory values.
        tool_->clickButton(kPage, "resetButton");
        const QList<HistoryEntry> reset = store()->history(kLift);
        QCOMPARE(kinds(reset).mid(0, 2), (QStringList{"复位后", "写入前"}));
        QCOMPARE(valuesOf(*store()->snapshot(reset[1].id)), second);
        QCOMPARE(valuesOf(*store()->snapshot(reset[0].id)), tool_->elevatorValues());
    }

    // A snapshot of another elevator is restored only when the user says so.
    void anotherElevatorsSnapshotAsksFirst()
    {
        Snapshot other = Snapshot::make({QStringLiteral("VARDO M173 V3.21"), QStringLiteral("B7"), {}, QStringLiteral("COM2")},
                                        SetLayout::Layout173, SnapshotKind::Read, {});
        QList<ParamRecord> records;
        for (unsigned v : tool_->elevatorValues())
            records.append({std::uint8_t(records.size()), 0, std::uint16_t(v)});
        records[9].value = 3;
        other.values = encodeParamRecords(records);
        QVERIFY(store()->add(other));

        tool_->prompts().questionAnswers = {false};
        inHistory([this](HistoryDialog& dialog) {
            QCOMPARE(dialog.controllerList()->cell(0, 0), QStringLiteral("VD2019A07 (当前)"));
            select(dialog.controllerList(), {1});
            QCOMPARE(dialog.recordList()->rowCount(), 1);
            select(dialog.recordList(), {0});
            tool_->sim().clearRequests();
            dialog.restoreSelected();
        });
        QCOMPARE(tool_->prompts().questions.last(),
                 QStringLiteral("该记录来自电梯 B7，与当前电梯 VD2019A07 不同，确定恢复吗?"));
        QVERIFY(tool_->payloads().isEmpty());
    }

    // A damaged store is told once; the page reads and edits as ever.
    void aDamagedStoreIsToldOnceAndThePageWorksOn()
    {
        tool_.reset();
        tool_ = std::make_unique<ParamTool>();
        QVERIFY(QDir().mkpath(QFileInfo(defaultStorePath()).path()));
        QFile garbage(defaultStorePath());
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(8192, 'x'));
        garbage.close();

        tool_->clickTab(kPage);
        QCOMPARE(tool_->list(kPage).rowCount(), 173);
        const QStringList& messages = tool_->prompts().messages;
        QCOMPARE(messages.size(), 1);
        QVERIFY(messages[0].startsWith(QStringLiteral("历史记录库已损坏：") + defaultStorePath()));
        QVERIFY(messages[0].endsWith(QStringLiteral("本次不记录历史，其余功能照常使用。")));

        onNextModalDialog([](QDialog* dialog) {
            qobject_cast<ValueEntryDialog*>(dialog)->valueEdit()->setText(QStringLiteral("901"));
            dialog->accept();
        });
        tool_->doubleClickRow(kPage, 0);
        QCOMPARE(tool_->elevatorValues()[0], 901u);
        QCOMPARE(tool_->shownValues(kPage)[0], 901u);
        QCOMPARE(messages.size(), 1);
        // "历史" says again why there is none.
        tool_->clickButton(kPage, "historyButton");
        QCOMPARE(messages.size(), 2);
        QCOMPARE(messages[1], messages[0]);
    }
};

QTEST_MAIN(HistoryWindowTest)
#include "tst_history_window.moc"
