#include "BitMaskDialog.h"
#include "DisplayCodeDialog.h"
#include "ElevatorParamPage.h"
#include "LockoutScheduleDialog.h"
#include "ParamDescriptions.h"
#include "ParamTestSupport.h"
#include "ValueEntryDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

constexpr int kPage = ElevatorParamPage::kIndex;

// Answers an editing dialog as a user would: "value <text>", "bit <n>"
// (toggles bit n), "code <n>", "lockout on", "cancel".
void answer(QDialog* dialog, const QString& how)
{
    const QString arg = how.section(QLatin1Char(' '), 1);
    if (how == QLatin1String("cancel")) {
        dialog->reject();
        return;
    }
    if (auto* value = qobject_cast<ValueEntryDialog*>(dialog))
        value->valueEdit()->setText(arg);
    else if (auto* bits = qobject_cast<BitMaskDialog*>(dialog))
        bits->bitBox(arg.toInt())->toggle();
    else if (auto* code = qobject_cast<DisplayCodeDialog*>(dialog))
        code->codeList()->setCurrentIndex(code->codeList()->findData(arg.toInt()));
    else if (auto* lockout = qobject_cast<LockoutScheduleDialog*>(dialog))
        lockout->enabledBox()->setChecked(arg == QLatin1String("on"));
    dialog->accept();
    // A refused value keeps its dialog open; the user then cancels.
    if (dialog->isVisible())
        dialog->reject();
}

int countOf(const QByteArrayList& payloads, const QByteArray& prefix)
{
    return int(std::count_if(payloads.begin(), payloads.end(), [&](const QByteArray& p) { return p.startsWith(prefix); }));
}

} // namespace

// The elevator parameter page of the main window against the simulated
// controller in its 173-parameter layout. The cases share one list: the
// first reads part of it, the second all of it, the edits work on it.
class ElevatorParamsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ParamTool> tool_;

    ReportList& rows() { return tool_->list(kPage); }

private Q_SLOTS:
    void initTestCase()
    {
        tool_ = std::make_unique<ParamTool>();
        // Four floors keep the lock-out dialog's reads and writes short.
        tool_->sim().withElevator([](ElevatorModel& e) { e.setParameter(11, 4); });
        QVERIFY(tool_->tabs().hasPages());
    }

    void cleanupTestCase() { tool_.reset(); }

    void init() { tool_->prompts().messages.clear(); }

    // A click on another tab while the list fills ends the read after the
    // parameter under way, then shows that tab through the usual switch;
    // coming back reads the list cut short anew, whole.
    void choosing_another_tab_ends_the_read()
    {
        int rowsAtClick = -1;
        QTimer clicker;
        clicker.setInterval(5);
        connect(&clicker, &QTimer::timeout, this, [&] {
            if (rowsAtClick < 0 && rows().rowCount() >= 10) {
                rowsAtClick = rows().rowCount();
                tool_->clickTab(3);
            }
        });
        clicker.start();
        tool_->clickTab(kPage);
        clicker.stop();

        // The click came during a parameter's exchange or just after it.
        const int kept = rows().rowCount();
        QVERIFY(rowsAtClick >= 10 && (kept == rowsAtClick || kept == rowsAtClick + 1));
        QVERIFY(!tool_->page(kPage).reading());
        QCOMPARE(countOf(tool_->payloads(), "A5"), kept);
        QTRY_COMPARE(tool_->tabs().currentPage(), 3);
        QCOMPARE(tool_->tabs().currentIndex(), 3);
        QVERIFY(tool_->prompts().messages.isEmpty());
        QVERIFY(QApplication::overrideCursor() == nullptr);

        QVERIFY(!tool_->page(kPage).complete());
        tool_->sim().clearRequests();
        tool_->clickTab(kPage);
        QCOMPARE(tool_->tabs().currentPage(), kPage);
        QCOMPARE(rows().rowCount(), 173);
        QCOMPARE(tool_->payloads().value(0), QByteArray("A100"));
        QCOMPARE(countOf(tool_->payloads(), "A5"), 173);
        QVERIFY(tool_->page(kPage).complete());
        tool_->sim().clearRequests();
        tool_->clickTab(3);
        tool_->clickTab(kPage);
        QVERIFY(tool_->payloads().isEmpty());
    }

    // A controller that does not answer the first read: the page says so.
    void silent_controller_is_told()
    {
        tool_->sim().setSilent(true);
        tool_->clickButton(kPage, "refreshButton");
        tool_->sim().setSilent(false);
        QCOMPARE(rows().rowCount(), 0);
        QCOMPARE(tool_->prompts().messages, QStringList{"通讯失败，请刷新!"});
        tool_->clickButton(kPage, "refreshButton");
        QCOMPARE(rows().rowCount(), 173);
    }

    // "刷新" reads every parameter of the layout the probe reports; rows
    // show up while the list fills.
    void refresh_reads_the_173_parameters()
    {
        QList<int> rowsPainted;
        struct PaintWatch : QObject
        {
            ReportList* list;
            QList<int>* seen;
            bool eventFilter(QObject*, QEvent* event) override
            {
                if (event->type() == QEvent::Paint && (seen->isEmpty() || seen->last() != list->rowCount()))
                    seen->append(list->rowCount());
                return false;
            }
        } watch;
        watch.list = &rows();
        watch.seen = &rowsPainted;
        rows().viewport()->installEventFilter(&watch);
        tool_->sim().clearRequests();
        tool_->clickButton(kPage, "refreshButton");
        rows().viewport()->removeEventFilter(&watch);

        QVERIFY(tool_->page(kPage).extendedLayout());
        QCOMPARE(tool_->payloads().value(0), QByteArray("A100"));
        QCOMPARE(rows().rowCount(), 173);
        const QList<unsigned> values = tool_->elevatorValues();
        for (int i = 0; i < 173; ++i) {
            QCOMPARE(rows().rowData(i), i);
            QCOMPARE(rows().cell(i, 0), QStringLiteral("F%1").arg(i + 1));
            QCOMPARE(rows().cell(i, 1).toUInt(), values[i]);
            QCOMPARE(rows().cell(i, 2), parameterDescription(ParamTable::Layout173, i).value());
        }
        QVERIFY2(rowsPainted.size() >= 3, "the list shows its rows while it fills");
        QVERIFY(tool_->prompts().messages.isEmpty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void edits_end_with_the_value_read_back_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("before");          // the controller's value set first (-1: kept)
        QTest::addColumn<QByteArray>("reread");   // data of the 'A' '5' replies (empty: the model's)
        QTest::addColumn<QString>("dialog");      // class of the dialog that opens (empty: none)
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QByteArrayList>("sent"); // the requests about this parameter
        QTest::addColumn<QString>("shown");       // column 1 afterwards (empty: unchanged)
        QTest::addColumn<QString>("message");

        const QString refused = QStringLiteral("Please enter an integer between 0 and 65535.");
        QTest::newRow("value") << 20 << -1 << QByteArray() << "ValueEntryDialog" << "value 1234"
                               << QByteArrayList{"F514D204", "A514"} << "1234" << "";
        QTest::newRow("letters after digits refused") << 20 << -1 << QByteArray() << "ValueEntryDialog"
                                                      << "value 12abc" << QByteArrayList() << "" << refused;
        QTest::newRow("above 16 bits refused") << 20 << -1 << QByteArray() << "ValueEntryDialog" << "value 70000"
                                               << QByteArrayList() << "" << refused;
        // 114 holds 16 bits: read back in full, not cut to its low byte.
        QTest::newRow("value above the display codes") << 114 << -1 << QByteArray() << "ValueEntryDialog"
                                                       << "value 300" << QByteArrayList{"F5722C01", "A572"}
                                                       << "300" << "";
        QTest::newRow("bit mask") << 25 << 0x0101 << QByteArray() << "BitMaskDialog" << "bit 3"
                                  << QByteArrayList{"A519", "F5190901", "A519"} << "265" << "";
        QTest::newRow("display code") << 70 << -1 << QByteArray() << "DisplayCodeDialog" << "code 60"
                                      << QByteArrayList{"F5463C00", "A546"} << "60" << "";
        QTest::newRow("display code read back as one byte")
            << 65 << -1 << QByteArray("420501") << "DisplayCodeDialog" << "code 5"
            << QByteArrayList{"F5410500", "A541"} << "5" << "";
        QTest::newRow("lock-out schedule") << 161 << 0 << QByteArray() << "LockoutScheduleDialog" << "lockout on"
                                           << QByteArrayList{"F5A10100", "A5A1"} << "1" << "";
        QTest::newRow("lock-out schedule cancelled still reads back")
            << 161 << 0 << QByteArray() << "LockoutScheduleDialog" << "cancel" << QByteArrayList{"A5A1"} << "0"
            << "";
        QTest::newRow("telephone parameter") << 145 << -1 << QByteArray() << "" << "" << QByteArrayList() << ""
                                             << "请在一般参数中修改电话号码";
    }

    void edits_end_with_the_value_read_back()
    {
        QFETCH(int, index);
        QFETCH(int, before);
        QFETCH(QByteArray, reread);
        QFETCH(QString, dialog);
        QFETCH(QString, answer);
        QFETCH(QByteArrayList, sent);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        const int row = rows().rowWithData(index);
        const QString old = rows().cell(row, 1);
        if (before >= 0)
            tool_->sim().withElevator([&](ElevatorModel& e) { e.setParameter(index, unsigned(before)); });
        if (!reread.isEmpty())
            tool_->sim().setReplyData('A', '5', reread);
        tool_->sim().clearRequests();

        QString opened;
        if (!dialog.isEmpty()) {
            onNextModalDialog([&](QDialog* d) {
                opened = QString::fromLatin1(d->metaObject()->className());
                ::answer(d, answer);
            });
        }
        tool_->doubleClickRow(kPage, row);
        tool_->sim().clearReplyOverrides();

        QCOMPARE(opened, dialog);
        QCOMPARE(tool_->prompts().messages, message.isEmpty() ? QStringList() : QStringList{message});
        const QByteArray hh = QByteArray::number(index, 16).toUpper().rightJustified(2, '0');
        QByteArrayList aboutIt;
        for (const QByteArray& p : tool_->payloads()) {
            if (p.startsWith("F5" + hh) || p == "A5" + hh)
                aboutIt << p;
        }
        QCOMPARE(aboutIt, sent);
        if (dialog.isEmpty())
            QVERIFY(tool_->payloads().isEmpty());
        QCOMPARE(rows().cell(row, 1), shown.isEmpty() ? old : shown);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // The bit-mask dialog opens only on the value just read.
    void bit_mask_without_reply_asks_for_another_click()
    {
        tool_->sim().setSilent(true);
        tool_->sim().clearRequests();
        tool_->doubleClickRow(kPage, rows().rowWithData(26));
        tool_->sim().setSilent(false);
        QCOMPARE(tool_->prompts().messages, QStringList{"通讯失败，请再点击一次!"});
        QCOMPARE(tool_->payloads(), (QByteArrayList{"A51A", "A51A"}));
    }

    // A refused value keeps the dialog open with the text selected; the
    // corrected value is written.
    void refused_value_keeps_its_dialog()
    {
        const int row = rows().rowWithData(21);
        tool_->sim().clearRequests();
        bool keptOpen = false;
        bool selected = false;
        onNextModalDialog([&](QDialog* d) {
            auto* value = static_cast<ValueEntryDialog*>(d);
            value->valueEdit()->setText(QStringLiteral("12abc"));
            d->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
            keptOpen = d->isVisible();
            selected = value->valueEdit()->selectedText() == QStringLiteral("12abc");
            value->valueEdit()->setText(QStringLiteral("321"));
            d->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        tool_->doubleClickRow(kPage, row);
        QVERIFY(keptOpen);
        QVERIFY(selected);
        QCOMPARE(tool_->prompts().messages, QStringList{"Please enter an integer between 0 and 65535."});
        QCOMPARE(tool_->payloads().value(0), QByteArray("F5154101"));
        QCOMPARE(rows().cell(row, 1), QStringLiteral("321"));
    }

    // "复位" asks first; "否" sends nothing and keeps the list.
    void reset_refused_sends_nothing()
    {
        tool_->sim().clearRequests();
        tool_->prompts().questionAnswers = {false};
        const int before = rows().rowCount();
        tool_->clickButton(kPage, "resetButton");
        QCOMPARE(tool_->prompts().questions, QStringList{"确定要将全部参数恢复为出厂值吗?"});
        QVERIFY(tool_->payloads().isEmpty());
        QCOMPARE(rows().rowCount(), before);
        tool_->prompts().questions.clear();
    }

    // A reply cut short before its four value characters is no value: no
    // dialog opens on what an earlier reply left, and nothing is written.
    void bit_mask_on_a_reply_cut_short_opens_nothing()
    {
        const int row = rows().rowWithData(27);
        const QString old = rows().cell(row, 1);
        tool_->sim().setReplyFrame('A', '5', QByteArray("\x02" "FFA5\x03"));
        tool_->sim().clearRequests();
        bool opened = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&opened] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = true;
                dialog->accept();
            }
        });
        watch.start(5);
        tool_->doubleClickRow(kPage, row);
        watch.stop();
        tool_->sim().clearReplyOverrides();
        QVERIFY(!opened);
        QCOMPARE(tool_->payloads(), (QByteArrayList{"A51B", "A51B", "A51B", "A51B"}));
        QCOMPARE(rows().cell(row, 1), old);
        QVERIFY(tool_->prompts().messages.isEmpty());
    }

    // "复位": 'F' 'R' '3', 5 s, then the list is emptied and read again (here
    // the controller has gone quiet by then, so the list stays empty and the
    // page says so).
    void reset_data()
    {
        const QString noRead = QStringLiteral("通讯失败，请刷新!");
        QTest::addColumn<QByteArray>("reply");  // data of the 'F' 'R' reply; "-": none
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("confirmed") << QByteArray() << QStringList{noRead};
        QTest::newRow("refused") << QByteArray("30") << QStringList{"复位F参数失败", noRead};
        QTest::newRow("no reply") << QByteArray("-") << QStringList{"复位F参数失败", noRead};
        QTest::newRow("noise byte instead") << QByteArray("~") << QStringList{"复位F参数失败", noRead};
    }

    void reset()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QStringList, messages);
        SimController& sim = tool_->sim();
        sim.withElevator([](ElevatorModel& e) { e.setParameter(20, 4321); });
        sim.clearLinkFaults();
        if (reply == "-")
            sim.setSilent(true);
        else
            sim.stopAfterRequests(1);
        if (reply == "~")
            sim.setReplyFrame('F', 'R', reply);
        else if (!reply.isEmpty() && reply != "-")
            sim.setReplyData('F', 'R', reply);
        sim.clearRequests();
        tool_->clickButton(kPage, "resetButton");
        sim.clearReplyOverrides();
        sim.clearLinkFaults();

        QCOMPARE(tool_->payloads().value(0), QByteArray("FR3"));
        QCOMPARE(tool_->payloads().value(1), QByteArray("A100"));
        QCOMPARE(tool_->prompts().messages, messages);
        QCOMPARE(rows().rowCount(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        const unsigned kept = sim.withElevator([](ElevatorModel& e) { return e.parameter(20); });
        QCOMPARE(kept == 4321, reply == "-" || !reply.isEmpty());
    }
};

QTEST_MAIN(ElevatorParamsTest)
#include "tst_elevator_params.moc"
