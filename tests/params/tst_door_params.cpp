#include "DoorParamPage.h"
#include "FrameBuffer.h"
#include "ParamDescriptions.h"
#include "ParamFile.h"
#include "ParamTestSupport.h"
#include "SimProtocol.h"
#include "ValueEntryDialog.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

constexpr int kPage = DoorParamPage::kIndex;
constexpr int kDoorBaud = 38400;
constexpr int kElevatorBaud = 9600;

} // namespace

// The door-operator parameter page of the main window: its tab switches the
// line to the door operator's rate, where the simulated door operator
// answers. The cases share one list.
class DoorParamsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ParamTool> tool_;
    QTemporaryDir dir_;

    ReportList& rows() { return tool_->list(kPage); }

    // Away to another tab and back: the page is shown afresh.
    void visitAgain()
    {
        tool_->clickTab(3);
        QCOMPARE(tool_->sim().lineBaud(), kElevatorBaud);
        tool_->clickTab(kPage);
        QCOMPARE(tool_->sim().lineBaud(), kDoorBaud);
    }

private Q_SLOTS:
    void initTestCase()
    {
        tool_ = std::make_unique<ParamTool>();
        QVERIFY(tool_->tabs().hasPages());
    }

    void cleanupTestCase() { tool_.reset(); }

    void init()
    {
        tool_->prompts().messages.clear();
        tool_->sim().clearLinkFaults();
        tool_->sim().clearReplyOverrides();
        tool_->sim().clearRequests();
    }

    // No reply at all ends the read-all at once with "通讯失败，请刷新!";
    // every later visit tries again. Nothing can be saved or imported from
    // the empty list: each says why.
    void silent_door_operator_is_told()
    {
        const QString failed = QStringLiteral("通讯失败，请刷新!");
        tool_->sim().setSilent(true);
        tool_->clickTab(kPage);
        QCOMPARE(tool_->sim().lineBaud(), kDoorBaud);
        QCOMPARE(rows().rowCount(), 0);
        QCOMPARE(tool_->payloads(), QByteArrayList{"A500"});
        QCOMPARE(tool_->prompts().messages, QStringList{failed});
        visitAgain();
        QCOMPARE(tool_->payloads(), (QByteArrayList{"A500", "A500"}));
        QCOMPARE(tool_->prompts().messages, (QStringList{failed, failed}));
        QVERIFY(QApplication::overrideCursor() == nullptr);

        tool_->prompts().fileRequests.clear();
        tool_->prompts().messages.clear();
        tool_->clickButton(kPage, "saveButton");
        tool_->clickButton(kPage, "importButton");
        QCOMPARE(tool_->prompts().messages,
                 (QStringList{"参数未读全，请刷新后再保存", "参数未读全，请刷新后再导入"}));
        QVERIFY(tool_->prompts().fileRequests.isEmpty());
        tool_->sim().setSilent(false);
    }

    // An unusable reply leaves its parameter out and reading goes on; the
    // rows keep their parameter index. Values show in full.
    void lists_the_79_parameters()
    {
        SimController& sim = tool_->sim();
        sim.restrictFaultsTo("A5");
        sim.restrictFaultsToParameter(5);
        sim.corruptChecksum(true);
        visitAgain();

        QCOMPARE(rows().rowCount(), 78);
        QCOMPARE(tool_->payloads().size(), 79);
        QCOMPARE(rows().rowData(4), 4);
        QCOMPARE(rows().rowData(5), 6);
        QCOMPARE(rows().cell(5, 0), QStringLiteral("F6"));
        const QList<unsigned> values = tool_->doorValues();
        for (int r = 0; r < 78; ++r) {
            const int index = int(rows().rowData(r));
            QCOMPARE(index, r < 5 ? r : r + 1);
            QCOMPARE(rows().cell(r, 1).toUInt(), values[index]);
            QCOMPARE(rows().cell(r, 2), parameterDescription(ParamTable::Door, index).value());
        }
        QCOMPARE(rows().cell(10, 1), QStringLiteral("800"));  // parameter 11
        QVERIFY(tool_->prompts().messages.isEmpty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // The row after the gap edits, and shows in full, parameter 6.
    void edits_the_row_of_its_index()
    {
        QString prompt;
        onNextModalDialog([&](QDialog* dialog) {
            auto* entry = qobject_cast<ValueEntryDialog*>(dialog);
            QVERIFY(entry);
            prompt = entry->prompt;
            entry->valueEdit()->setText(QStringLiteral("1234"));
            entry->accept();
        });
        tool_->doubleClickRow(kPage, 5);
        QCOMPARE(prompt, parameterDescription(ParamTable::Door, 6).value());
        // The first write asks first which controller answers.
        QCOMPARE(tool_->payloads(), (QByteArrayList{"A500", "F506D204", "A506"}));
        QCOMPARE(rows().cell(5, 1), QStringLiteral("1234"));
        QVERIFY(tool_->prompts().messages.isEmpty());
    }

    // Save, reset the door operator, import: every listed value is back.
    void save_then_import_restores_the_door_operator()
    {
        const QList<unsigned> saved = tool_->doorValues();
        const QString path = dir_.filePath(QStringLiteral("门机参数.F"));
        tool_->prompts().fileAnswers = {path, path};
        tool_->clickButton(kPage, "saveButton");
        QCOMPARE(tool_->prompts().fileRequests.value(0), QStringLiteral("save 门机参数 门机参数(*.F) F"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QCOMPARE(bytes.size(), 78 * 4);
        // The record after the gap names parameter 6.
        QCOMPARE(bytes.mid(5 * 4, 4), QByteArray("\x06\x00\xD2\x04", 4));
        QCOMPARE(bytes.mid(10 * 4, 4), QByteArray("\x0B\x00\x20\x03", 4));

        tool_->sim().withDoor([](DoorModel& d) { d.resetParameters(); });
        QVERIFY(tool_->doorValues() != saved);
        tool_->sim().clearRequests();
        tool_->clickButton(kPage, "importButton");
        QCOMPARE(tool_->prompts().fileRequests.value(1), QStringLiteral("open 门机参数 门机参数(*.F) F"));
        QVERIFY(tool_->prompts().messages.isEmpty());
        QCOMPARE(tool_->payloads().size(), 78 + 79);
        QCOMPARE(tool_->doorValues(), saved);
        QCOMPARE(rows().rowCount(), 79);
        QCOMPARE(rows().cell(6, 1), QStringLiteral("1234"));
    }

    // The door operator says "written" at index 7 of its reply.
    void import_reads_the_answer_at_index_7_data()
    {
        QTest::addColumn<QByteArray>("reply");  // data of every 'F' '5' reply
        QTest::addColumn<int>("writes");
        QTest::addColumn<QStringList>("messages");
        const QString noRead = QStringLiteral("通讯失败，请刷新!");
        QTest::newRow("written only at 5") << QByteArray("FF0") << 1 << QStringList{"写F6参数失败", noRead};
        QTest::newRow("written at 7") << QByteArray("00F") << 2 << QStringList{noRead};
        // Only its own confirmation counts: a fault report or a noise byte
        // in its place is a write that failed.
        QTest::newRow("fault report instead")
            << sim::buildFaultReport(0x2A, 'E') << 1 << QStringList{"写F6参数失败", noRead, "故障码: 2A"};
        QTest::newRow("noise byte instead") << QByteArray("~") << 1 << QStringList{"写F6参数失败", noRead};
    }

    void import_reads_the_answer_at_index_7()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, writes);
        QFETCH(QStringList, messages);
        // The read-all cut short by the row before is done whole first.
        if (!tool_->page(kPage).complete()) {
            tool_->clickButton(kPage, "refreshButton");
            QVERIFY(tool_->page(kPage).complete());
            tool_->sim().clearRequests();
        }
        const QList<ParamRecord> records{{6, 0, 1}, {7, 0, 2}};
        const QString path = dir_.filePath(QStringLiteral("two.F"));
        QVERIFY(writeParamFile(path, records) == ParamFileProblem::None);
        tool_->prompts().fileAnswers = {path};
        if (reply.startsWith(STX) || reply == "~")
            tool_->sim().setReplyFrame('F', '5', reply);
        else
            tool_->sim().setReplyData('F', '5', reply);
        // The read-all after the import ends at parameter 3, and says so.
        tool_->sim().stopAtParameter(3);
        tool_->clickButton(kPage, "importButton");

        // A fault report is shown once the exchanges have ended.
        QTRY_COMPARE_WITH_TIMEOUT(tool_->prompts().firstLines(), messages, 5000);
        QByteArrayList sent = tool_->payloads();
        sent.removeAll("F6");
        if (sent.value(0) == "A500")  // the check of the first write after a read
            sent.removeFirst();
        QCOMPARE(sent.mid(0, writes), (QByteArrayList{"F5060100", "F5070200"}).mid(0, writes));
        QCOMPARE(sent.mid(writes), (QByteArrayList{"A500", "A501", "A502", "A503"}));
        QCOMPARE(rows().rowCount(), 3);
    }

    // The value entry takes a parameter's range from the table the command
    // line checks files with: the closing torque limit only up to 300.
    void refuses_a_value_beyond_the_range()
    {
        tool_->clickButton(kPage, "refreshButton");
        tool_->prompts().messages.clear();
        onNextModalDialog([](QDialog* dialog) {
            auto* entry = qobject_cast<ValueEntryDialog*>(dialog);
            QVERIFY(entry);
            entry->valueEdit()->setText(QStringLiteral("301"));
            entry->accept();
            QVERIFY(entry->isVisible());
            entry->reject();
        });
        tool_->doubleClickRow(kPage, rows().rowWithData(8));
        QCOMPARE(tool_->prompts().messages, QStringList{"Please enter an integer between 0 and 300."});
        QVERIFY(!tool_->payloads().contains("F5082D01"));
    }

    // Without a door rate of its own the page runs at the elevator rate and
    // reaches the main controller: nothing is written into it.
    void writes_nothing_into_the_main_controller()
    {
        tool_->home().writeSettings("1N81", "9600", nullptr, "E");
        visitAgainAtElevatorRate();
        tool_->clickButton(kPage, "refreshButton");
        QVERIFY(rows().rowCount() > 0);
        const QList<unsigned> held = tool_->elevatorValues();
        tool_->sim().clearRequests();
        // Should the dialog open after all, it is cancelled, not waited for.
        QObject guard;
        onNextModalDialog([](QDialog* dialog) { dialog->reject(); }, &guard);
        tool_->doubleClickRow(kPage, 4);
        QCOMPARE(tool_->prompts().messages, QStringList{"应答的是主控制器，不是门机，参数未写入"});
        QCOMPARE(tool_->payloads(), QByteArrayList{"A500"});
        QCOMPARE(tool_->elevatorValues(), held);
        tool_->home().writeSettings("1N81", "9600", "38400", "E");
    }

private:
    void visitAgainAtElevatorRate()
    {
        tool_->clickTab(3);
        tool_->clickTab(kPage);
        QCOMPARE(tool_->sim().lineBaud(), kElevatorBaud);
    }
};

QTEST_MAIN(DoorParamsTest)
#include "tst_door_params.moc"
