#include "FaultPage.h"
#include "ReportList.h"
#include "ShaftPage.h"
#include "SimBench.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <memory>

using Records = QList<ElevatorModel::FaultRecord>;
Q_DECLARE_METATYPE(Records)

namespace {

const QString kNoReply = QStringLiteral("通讯失败，请刷新!");

// Payloads of the requests received, in order ("A50B", "A601", ...).
QList<QByteArray> payloads(const SimController& sim)
{
    QList<QByteArray> out;
    for (const QByteArray& frame : sim.requests())
        out << frame.mid(3, frame.size() - 7);
    return out;
}

// Requests of a command pair for n = from .. to, n in `digits` hex digits.
QList<QByteArray> reads(const QByteArray& pair, int from, int to, int digits = 2)
{
    QList<QByteArray> out;
    for (int n = from; n <= to; ++n)
        out << pair + QByteArray::number(n, 16).toUpper().rightJustified(digits, '0');
    return out;
}

// Every row as its cells and its item data, '|' between.
QStringList rows(const ReportList* list)
{
    QStringList out;
    for (int r = 0; r < list->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < list->columnCount(); ++c)
            cells << list->cell(r, c);
        out << (cells << QString::number(list->rowData(r))).join('|');
    }
    return out;
}

// A fault at a time "yyMMddhhmm", at the given record positions.
ElevatorModel::FaultRecord fault(int code, int floor, const char* time = "2401020304")
{
    return {code, floor, QDateTime::fromString(QLatin1String("20") + QLatin1String(time), "yyyyMMddhhmm")};
}
Records placed(int capacity, const QList<std::pair<int, ElevatorModel::FaultRecord>>& records)
{
    Records out(capacity);
    for (const auto& [position, rec] : records)
        out[position] = rec;
    return out;
}

} // namespace

class RecordPagesTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<SimBench> bench_;
    SimController* sim_ = nullptr;
    RecordingPrompts* prompts_ = nullptr;
    PageTestHost* host_ = nullptr;
    ShaftPage* shaft_ = nullptr;
    FaultPage* faults_ = nullptr;

    // Both pages on the simulated controller, neither shown yet.
    void start(SimModel model = SimModel::Modern, const Records& records = {})
    {
        SimOptions options;
        options.model = model;
        options.manualTime = true;
        bench_ = std::make_unique<SimBench>(options);
        sim_ = &bench_->sim;
        sim_->withElevator([&](ElevatorModel& e) { e.setFaultRecords(records); });
        prompts_ = &bench_->prompts;
        host_ = &bench_->host;
        host_->addPage(shaft_ = new ShaftPage(*host_));
        host_->addPage(faults_ = new FaultPage(*host_));
        QVERIFY(bench_->open());
    }

    QStringList edits() const
    {
        QStringList out;
        for (int i = 0; i < ShaftPage::kSwitchValues; ++i)
            out << shaft_->switchEdit(i)->text();
        return out;
    }
    // What the controller holds: the floor rows, then the five switch values.
    QStringList held() const
    {
        return sim_->withElevator([](ElevatorModel& e) {
            QStringList out;
            for (int n = 1; n <= e.stopCount(); ++n)
                out << QStringLiteral("%1|%2|%1").arg(n).arg(e.shaftValue(n));
            for (int n = 49; n <= 53; ++n)
                out << QString::number(e.shaftValue(n));
            return out;
        });
    }
    QStringList shown() const { return rows(shaft_->floorList()) + edits(); }

    void doubleClickFirstRow(bool select = true)
    {
        QWidget* viewport = faults_->recordList()->viewport();
        const QPoint centre = faults_->recordList()->visualItemRect(faults_->recordList()->topLevelItem(0)).center();
        if (select)
            QTest::mouseClick(viewport, Qt::LeftButton, {}, centre);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, centre);
    }

private Q_SLOTS:
    void cleanup() { bench_.reset(); }

    void shaft_read_chain_data()
    {
        QTest::addColumn<QByteArray>("countReply");  // data of the 'A' '5' reply; empty: the controller's
        QTest::addColumn<QByteArray>("valueReply");  // data of every 'A' '6' reply; empty: the controller's
        QTest::addColumn<QStringList>("expected");   // rows, then edits; empty: what the controller holds
        QTest::newRow("simulated shaft") << QByteArray() << QByteArray() << QStringList{};
        QStringList twelve;
        for (int k = 1; k <= 12; ++k)
            twelve << QStringLiteral("%1|10000|%1").arg(k);
        QTest::newRow("0C00 floors, 10270000") << QByteArray("0B0C00") << QByteArray("0110270000")
                                               << twelve + QStringList(5, "10000");
        QStringList fortyEight;
        for (int k = 1; k <= 48; ++k)
            fortyEight << QStringLiteral("%1|10000|%1").arg(k);
        QTest::newRow("garbled count FFFF reads 48 floors")
            << QByteArray("0BFFFF") << QByteArray("0110270000") << fortyEight + QStringList(5, "10000");
        QTest::newRow("no floors, FFFFFFFF") << QByteArray("0B0000") << QByteArray("01FFFFFFFF") << QStringList(5, "-1");
    }
    void shaft_read_chain()
    {
        QFETCH(QByteArray, countReply);
        QFETCH(QByteArray, valueReply);
        QFETCH(QStringList, expected);
        start();
        sim_->setReplyData('A', '5', countReply);
        sim_->setReplyData('A', '6', valueReply);
        host_->showPage(ShaftPage::kIndex);
        expected = expected.isEmpty() ? held() : expected;
        QCOMPARE(shown(), expected);
        QVERIFY(prompts_->messages.isEmpty());
        const int floors = shaft_->floorList()->rowCount();
        QCOMPARE(payloads(*sim_), QList<QByteArray>{"A50B"} + reads("A6", 1, floors) + reads("A6", 49, 53));
        for (int r = 1; r < floors && valueReply.isEmpty(); ++r)
            QVERIFY(shaft_->floorList()->cell(r, 1).toInt() > shaft_->floorList()->cell(r - 1, 1).toInt());
        // Nothing clipped in the page area; every label names its edit.
        QVERIFY(shaft_->minimumSizeHint().width() <= 385 && shaft_->minimumSizeHint().height() <= 550);
        for (const QLabel* label : shaft_->findChildren<QLabel*>())
            QVERIFY(label->sizeHint().width() <= label->width() && label->buddy());
    }

    void shaft_failure_keeps_what_was_read_data()
    {
        QTest::addColumn<int>("stopAtFloor");  // 0: silent from the floor count on
        QTest::newRow("floor count") << 0;
        QTest::newRow("floor 5") << 5;
    }
    void shaft_failure_keeps_what_was_read()
    {
        QFETCH(int, stopAtFloor);
        start();
        host_->showPage(ShaftPage::kIndex);
        const QStringList before = rows(shaft_->floorList());
        const QStringList switches = edits();
        sim_->withElevator([](ElevatorModel& e) { e.setShaftValue(49, 1111); });
        sim_->clearRequests();
        stopAtFloor ? sim_->stopAtFloor(stopAtFloor) : sim_->setSilent(true);

        host_->showPage(ShaftPage::kIndex);
        QCOMPARE(prompts_->messages, QStringList{kNoReply});
        QCOMPARE(rows(shaft_->floorList()), stopAtFloor ? before.mid(0, stopAtFloor - 1) : before);
        QCOMPARE(edits(), switches);
        // The item that went unanswered twice, nothing after it.
        QList<QByteArray> expected = QList<QByteArray>{"A50B"} + reads("A6", 1, stopAtFloor);
        QCOMPARE(payloads(*sim_), expected << expected.last());
    }

    void self_learning_data()
    {
        QTest::addColumn<bool>("inspection");  // the controller refuses the run
        QTest::newRow("accepted") << false;
        QTest::newRow("refused") << true;
    }
    void self_learning()
    {
        QFETCH(bool, inspection);
        start();
        sim_->withElevator([&](ElevatorModel& e) {
            for (int n = 1; n <= 53; ++n)
                e.setShaftValue(n, 0);
            e.setMode(SimMode::Inspection, inspection);
        });
        host_->showPage(ShaftPage::kIndex);
        const QStringList unlearnt = shown();
        sim_->clearRequests();
        QTest::mouseClick(shaft_->learnButton(), Qt::LeftButton);
        QCOMPARE(payloads(*sim_), QList<QByteArray>{"F4"});  // not read again by itself
        QCOMPARE(prompts_->messages,
                 inspection ? QStringList() : QStringList{"井道自学习发出，若电梯启动，则正在进行自学习"});

        for (int s = 0; s < 600 && sim_->withElevator([](ElevatorModel& e) { return e.learning(); }); ++s)
            sim_->withElevator([](ElevatorModel& e) { e.advance(1000); });
        QTest::mouseClick(shaft_->refreshButton(), Qt::LeftButton);
        QCOMPARE(shown(), held());
        QCOMPARE(shown() == unlearnt, inspection);
    }

    void fault_records_data()
    {
        QTest::addColumn<SimModel>("model");
        QTest::addColumn<Records>("records");
        QTest::addColumn<QStringList>("expected");  // number|code|floor|time|item data
        QTest::addColumn<QString>("codeTwo");       // the description of code 2 in the layout
        QTest::newRow("long") << SimModel::Modern
                              << placed(20, {{0, fault(2, 5, "2411020847")}, {2, fault(26, 1, "2301311712")},
                                             {3, fault(5, 2, "0503140930")}, {19, fault(9, 12, "1912312359")}})
                              << QStringList{"0|2|5|24-11-02 08:47|2", "2|26|1|23-01-31 17:12|26",
                                             "3|5|2|05-03-14 09:30|5", "19|9|12|19-12-31 23:59|9"}
                              << "运行中门锁脱开";
        QTest::newRow("short") << SimModel::Legacy
                               << placed(16, {{0, fault(2, 3, "2403050905")}, {10, fault(12, 4, "2403140930")},
                                              {15, fault(37, 6, "2010010000")}})
                               << QStringList{"0|2||03050905|2", "10|12||03140930|12", "15|37||10010000|37"}
                               << "运行中门锁断开";
    }
    void fault_records()
    {
        QFETCH(SimModel, model);
        QFETCH(Records, records);
        QFETCH(QStringList, expected);
        QFETCH(QString, codeTwo);
        const bool longLayout = model == SimModel::Modern;
        start(model, records);
        host_->showPage(FaultPage::kIndex);
        QCOMPARE(faults_->extendedLayout(), longLayout);
        QCOMPARE(rows(faults_->recordList()), expected);
        QCOMPARE(payloads(*sim_), QList<QByteArray>{"A100"} + reads("A1", 0, longLayout ? 19 : 15, longLayout ? 2 : 1));
        QVERIFY(prompts_->messages.isEmpty());

        // The description from the layout's table; none without a selection.
        doubleClickFirstRow();
        QCOMPARE(prompts_->messages, QStringList{codeTwo});
        faults_->recordList()->clearSelection();
        doubleClickFirstRow(false);
        QCOMPARE(prompts_->messages.size(), 1);
        QVERIFY(faults_->minimumSizeHint().width() <= 385 && faults_->minimumSizeHint().height() <= 550);
    }

    void fault_failures_data()
    {
        QTest::addColumn<int>("stopAtRecord");  // -1: nothing answers, the probe neither
        QTest::newRow("probe") << -1;
        QTest::newRow("record 7") << 7;
    }
    void fault_failures()
    {
        QFETCH(int, stopAtRecord);
        Records records;
        for (int code : {2, 0, 5, 6, 0, 7, 8, 9})
            records << fault(code, 1);
        start(SimModel::Legacy, records);
        host_->showPage(FaultPage::kIndex);
        const QStringList before = rows(faults_->recordList());
        QCOMPARE(before.size(), 6);
        sim_->clearRequests();
        stopAtRecord < 0 ? sim_->setSilent(true) : sim_->stopAtFaultRecord(stopAtRecord);

        // Without a probe reply the list stays, silently; a record unanswered
        // twice leaves the rows of the records before it.
        host_->showPage(FaultPage::kIndex);
        QCOMPARE(rows(faults_->recordList()), stopAtRecord < 0 ? before : before.mid(0, 5));
        QCOMPARE(prompts_->messages, stopAtRecord < 0 ? QStringList() : QStringList{kNoReply});
        QList<QByteArray> expected = QList<QByteArray>{"A100"} + reads("A1", 0, stopAtRecord, 1);
        QCOMPARE(payloads(*sim_), stopAtRecord < 0 ? expected : expected << expected.last());
        // The rows listed are still described from the short table.
        doubleClickFirstRow();
        QCOMPARE(prompts_->messages.last(), QStringLiteral("运行中门锁断开"));
    }

    // "刷新" empties the list first: a controller that does not answer is a
    // failure, not a controller without faults.
    void fault_refresh_without_reply_says_so()
    {
        start(SimModel::Modern, {fault(2, 1), fault(5, 3)});
        host_->showPage(FaultPage::kIndex);
        QVERIFY(faults_->recordList()->rowCount() > 0);
        sim_->setSilent(true);
        faults_->refreshButton()->click();
        QCOMPARE(faults_->recordList()->rowCount(), 0);
        QCOMPARE(prompts_->messages, QStringList{kNoReply});
    }

    void reset_data()
    {
        QTest::addColumn<QByteArray>("replyData");  // of the 'F' 'R' reply; empty: the controller's
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("recordsAfter");
        QTest::newRow("accepted") << QByteArray() << "复位电梯故障记录命令发出成功" << 0;
        QTest::newRow("refused") << QByteArray("20") << "复位电梯故障记录命令发出失败" << 3;
    }
    void reset()
    {
        QFETCH(QByteArray, replyData);
        QFETCH(QString, message);
        QFETCH(int, recordsAfter);
        start(SimModel::Modern, {fault(2, 1), fault(5, 2), fault(6, 3)});
        host_->showPage(FaultPage::kIndex);
        sim_->setReplyData('F', 'R', replyData);
        sim_->clearRequests();

        QTest::mouseClick(faults_->resetButton(), Qt::LeftButton);
        QCOMPARE(prompts_->messages, QStringList{message});
        QCOMPARE(sim_->withElevator([](ElevatorModel& e) { return int(e.faultRecords().size()); }), recordsAfter);
        // Read again either way.
        QCOMPARE(payloads(*sim_), (QList<QByteArray>{"FR2", "A100"} + reads("A1", 0, 19)));
        QCOMPARE(faults_->recordList()->rowCount(), recordsAfter);
    }
};

QTEST_MAIN(RecordPagesTest)
#include "tst_record_pages.moc"
