#include "ArrowIndicator.h"
#include "ConfigHome.h"
#include "FrameBuffer.h"
#include "GridListCtrl.h"
#include "LampIndicator.h"
#include "MainDialog.h"
#include "PageTestHost.h"
#include "PageTabCtrl.h"
#include "SerialChannel.h"
#include "SimController.h"
#include "SimWait.h"
#include "StatusPage.h"
#include "IoPage.h"

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

bool hasRequest(const QList<QByteArray>& requests, const QByteArray& payloadStart)
{
    for (const QByteArray& r : requests) {
        if (r.mid(3).startsWith(payloadStart))
            return true;
    }
    return false;
}

} // namespace

class StatusPageTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ConfigHome> home_;
    std::unique_ptr<SimController> sim_;
    std::unique_ptr<PageTestHost> host_;
    StatusPage* page_ = nullptr;

    // The simulated controller on COM1, the page shown on it.
    void start(SimOptions options = {})
    {
        home_ = std::make_unique<ConfigHome>();
        sim_ = std::make_unique<SimController>(options);
        sim_->linkAs(1);
        host_ = std::make_unique<PageTestHost>();
        page_ = new StatusPage(*host_);
        host_->addPage(page_);
        host_->show();
        QVERIFY(QTest::qWaitForWindowExposed(host_.get()));
        QVERIFY(host_->openChannel(1));
        host_->showPage(StatusPage::kIndex);
    }

    void waitForRows()
    {
        QTRY_VERIFY_WITH_TIMEOUT(page_->rowCount() > 0, 5000);
    }

    QPoint cellCentre(int row, int column) const
    {
        GridListCtrl* list = page_->floorList();
        const QRect rowRect = list->visualItemRect(list->topLevelItem(row));
        return {list->header()->sectionViewportPosition(column) + list->columnWidth(column) / 2, rowRect.center().y()};
    }

    int rowShowing(int floor) const
    {
        return page_->floorList()->rowWithData(floor);
    }

    void doubleClick(int row, int column)
    {
        QWidget* viewport = page_->floorList()->viewport();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, cellCentre(row, column));
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, cellCentre(row, column));
    }

    // The page fits the main window's page area and every text fits its label.
    void verifyNothingClipped()
    {
        QVERIFY(page_->minimumSizeHint().width() <= 385 && page_->minimumSizeHint().height() <= 550);
        QCOMPARE(page_->size(), QSize(385, 550));
        for (const QLabel* label : page_->findChildren<QLabel*>())
            QVERIFY2(label->sizeHint().width() <= label->width(), qPrintable(label->text()));
    }

private Q_SLOTS:
    void cleanup()
    {
        host_.reset();
        sim_.reset();
        home_.reset();
        page_ = nullptr;
    }

    void rows_from_the_floor_count_data()
    {
        QTest::addColumn<bool>("legacy");
        QTest::addColumn<QList<int>>("parameters");
        QTest::addColumn<int>("rows");
        QTest::newRow("short layout, 8 + 2") << true << QList<int>{11, 8, 10, 2} << 10;
        QTest::newRow("long layout, one false floor")
            << false << QList<int>{11, 20, 10, 0, 119, 0, 134, 0xFFFB, 135, 0x000F} << 19;
    }
    void rows_from_the_floor_count()
    {
        QFETCH(bool, legacy);
        QFETCH(QList<int>, parameters);
        QFETCH(int, rows);
        SimOptions options;
        options.model = legacy ? SimModel::Legacy : SimModel::Modern;
        options.manualTime = true;
        start(options);
        sim_->withElevator([&](ElevatorModel& e) {
            for (int i = 0; i + 1 < parameters.size(); i += 2)
                e.setParameter(parameters[i], unsigned(parameters[i + 1]));
        });
        waitForRows();
        QCOMPARE(page_->extendedLayout(), !legacy);
        QCOMPARE(page_->rowCount(), rows);
        GridListCtrl* list = page_->floorList();
        QCOMPARE(list->rowCount(), rows);
        QCOMPARE(list->cell(0, 0), QString::number(rows));
        QCOMPARE(list->rowData(0), rows);
        QCOMPARE(list->cell(rows - 1, 0), QStringLiteral("1"));
        QCOMPARE(list->rowData(rows - 1), 1);

        // Learnt once: from now on only the three polls go out, in turn.
        QVERIFY(waitForSent(*sim_, "A3", 2000));
        sim_->clearRequests();
        for (const char* poll : {"A8", "A0", "A3"})
            QVERIFY(waitForSent(*sim_, poll, 2000));
        QVERIFY(!hasRequest(sim_->requests(), "A5"));
    }

    void status_reply_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("floor");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("run");
        QTest::addColumn<QString>("lock");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("arrow");
        QTest::addColumn<int>("lampColour");
        QTest::newRow("99, 0x15, 0x83") << QByteArray("631583") << "出口" << "检修" << "运行" << "门锁开启" << "群控" << 5
                                        << int(LampIndicator::Green);
        QTest::newRow("0, 0x00, 0x83") << QByteArray("000083") << " " << "消防" << "运行" << "门锁开启" << "群控" << 0
                                       << int(LampIndicator::Green);
        QTest::newRow("200, fault") << QByteArray("C80A00") << "ex" << "自动" << "故障" << "门锁闭合" << "单梯" << 2
                                    << int(LampIndicator::Red);
        QTest::newRow("250 shows nothing") << QByteArray("FA0000") << "" << "自动" << "故障" << "门锁开启" << "单梯" << 0
                                           << int(LampIndicator::Red);
    }
    void status_reply()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, floor);
        QFETCH(QString, mode);
        QFETCH(QString, run);
        QFETCH(QString, lock);
        QFETCH(QString, group);
        QFETCH(int, arrow);
        QFETCH(int, lampColour);
        SimOptions options;
        options.manualTime = true;
        start(options);
        sim_->setReplyData('A', '0', data);
        // The lamp as each status reply leaves it (the next poll greys it).
        QList<std::pair<int, int>> lampAfterStatus;
        host_->onFrameHandled = [&] {
            if (rxFrame.command() == 'A' && rxFrame.subCommand() == '0')
                lampAfterStatus.append({page_->statusLamp()->colourRow(), page_->statusLamp()->lampState()});
        };
        QTRY_VERIFY_WITH_TIMEOUT(!lampAfterStatus.isEmpty(), 5000);
        QCOMPARE(page_->modeText(), mode);
        QCOMPARE(page_->floorText(), floor);
        QCOMPARE(page_->runText(), run);
        QCOMPARE(page_->lockText(), lock);
        QCOMPARE(page_->groupText(), group);
        QCOMPARE(int(page_->directionArrow()->cell()), arrow);
        QCOMPARE(lampAfterStatus.last(), std::make_pair(lampColour, int(LampIndicator::Lit)));
        QCOMPARE(page_->statusLamp()->shapeOffset(), int(LampIndicator::Circular));
        verifyNothingClipped();
    }

    void speed_and_calls()
    {
        SimOptions options;
        options.manualTime = true;
        start(options);
        waitForRows();
        const int rows = page_->rowCount();
        sim_->setReplyData('A', '8', "18FC");
        QTRY_COMPARE(page_->speedText(), QStringLiteral("速度: -1.00m/s"));
        verifyNothingClipped();

        GridListCtrl* list = page_->floorList();
        const auto marks = [list, rows] {
            QStringList out;
            for (int r = 0; r < rows; ++r)
                out << list->cell(r, 1) + list->cell(r, 2) + list->cell(r, 3);
            return out;
        };
        sim_->setReplyData('A', '3', QByteArray(36, 'F'));
        QTRY_COMPARE(marks(), QStringList(rows, QStringLiteral("√↑↓")));
        // A car call at the bottom position only: every other mark goes.
        sim_->setReplyData('A', '3', "01" + QByteArray(34, '0'));
        QStringList expected(rows, QString());
        expected.last() = QStringLiteral("√");
        QTRY_COMPARE(marks(), expected);
    }

    void poll_greys_the_lamp_until_a_status_reply()
    {
        SimOptions options;
        options.manualTime = true;
        start(options);
        waitForRows();
        QVERIFY(waitForSent(*sim_, "A0", 2000));
        sim_->setSilent(true);
        QTRY_COMPARE(page_->statusLamp()->lampState(), int(LampIndicator::Grey));
        QTest::qWait(350);
        QCOMPARE(page_->statusLamp()->lampState(), int(LampIndicator::Grey));
        QCOMPARE(page_->statusLamp()->colourRow(), int(LampIndicator::Red));
    }

    void call_by_double_click_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("downColumnFirst");
        QTest::addColumn<QByteArray>("request");
        QTest::newRow("up hall call column") << 2 << false << QByteArray("F3105");
        QTest::newRow("car call column") << 1 << false << QByteArray("F3005");
        QTest::newRow("floor column") << 0 << false << QByteArray("F3005");
        QTest::newRow("down column dragged to the front") << 3 << true << QByteArray("F3205");
    }
    void call_by_double_click()
    {
        QFETCH(int, column);
        QFETCH(bool, downColumnFirst);
        QFETCH(QByteArray, request);
        SimOptions options;
        options.manualTime = true;
        start(options);
        waitForRows();
        if (downColumnFirst)
            page_->floorList()->header()->moveSection(3, 0);
        sim_->clearRequests();
        doubleClick(rowShowing(5), column);
        QVERIFY(waitForSent(*sim_, request, 2000));
        QCOMPARE(page_->floorList()->currentLogicalColumn(), column);
        // The page runs its focus procedure again: a new probe.
        QVERIFY(waitForSent(*sim_, "A100", 2000));
        QTRY_VERIFY(page_->polling());
    }

    void double_click_without_selection_sends_nothing()
    {
        SimOptions options;
        options.manualTime = true;
        start(options);
        waitForRows();
        GridListCtrl* list = page_->floorList();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cellCentre(0, 2));
        list->clearSelection();
        sim_->clearRequests();
        const QPoint belowRows(40, list->viewport()->height() - 4);
        QVERIFY(!list->indexAt(belowRows).isValid());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, belowRows);
        QVERIFY(waitForSent(*sim_, "A100", 2000));
        QVERIFY(!hasRequest(sim_->requests(), "F3"));
    }

    void nothing_sent_while_another_page_is_shown()
    {
        SimOptions options;
        options.manualTime = true;
        start(options);
        waitForRows();
        host_->setCurrentPage(3);  // the status page's timer keeps running
        QTest::qWait(150);
        sim_->clearRequests();
        QTest::qWait(500);
        QVERIFY(page_->polling());
        QCOMPARE(sim_->requests().size(), 0);
        host_->setCurrentPage(StatusPage::kIndex);
        QVERIFY(waitForSent(*sim_, "A8", 2000));
    }

    void serial_settings_button()
    {
        SimOptions options;
        options.manualTime = true;
        start(options);
        home_->writeSettings("1N81", "9600", "38400", "E");
        waitForRows();
        // Cancels the dialog once it runs, noting the channel's state then.
        bool shown = false;
        bool closedMeanwhile = false;
        QTimer cancel;
        connect(&cancel, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                shown = true;
                closedMeanwhile = !serialChannel.isOpen();
                dialog->reject();
            }
        });
        cancel.start(50);
        QTest::mouseClick(page_->serialSettingsButton(), Qt::LeftButton);
        cancel.stop();
        QVERIFY(shown);
        QVERIFY(closedMeanwhile);
        // Cancel re-opened the channel to the main window; polling goes on.
        QVERIFY(serialChannel.isOpen());
        QVERIFY(page_->polling());
        sim_->clearRequests();
        QVERIFY(waitForSent(*sim_, "A0", 2000));
        QTRY_VERIFY(!page_->modeText().isEmpty());
    }

    void registered_call_is_served_and_cleared()
    {
        SimOptions options;
        options.timeScale = 4;
        start(options);
        waitForRows();
        const int target = sim_->withElevator([](ElevatorModel& e) {
            e.setFloor(1);
            return std::min(4, e.floorCount());
        });
        doubleClick(rowShowing(target), 1);
        QVERIFY(waitForSent(*sim_, QByteArray("F30") + QByteArray::number(target, 16).rightJustified(2, '0').toUpper(),
                                     2000));
        const int row = rowShowing(target);
        QTRY_COMPARE_WITH_TIMEOUT(page_->floorList()->cell(row, 1), QStringLiteral("√"), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(page_->runText(), QStringLiteral("运行"), 3000);
        QTRY_COMPARE_WITH_TIMEOUT(page_->floorList()->cell(row, 1), QString(), 20000);
        QCOMPARE(sim_->withElevator([](ElevatorModel& e) { return e.floor(); }), target);
        QTRY_COMPARE_WITH_TIMEOUT(page_->floorText(), QString::number(target), 3000);
    }

    // The page in the real main window: it polls once shown, and the I/O
    // page takes over when its tab is chosen.
    void in_the_main_window()
    {
        home_ = std::make_unique<ConfigHome>();
        home_->writeSettings("1N81", "9600", "38400", "E");
        SimOptions options;
        options.manualTime = true;
        sim_ = std::make_unique<SimController>(options);
        sim_->linkAs(1);
        {
            MainDialog tool;
            tool.show();
            tool.startUp();
            auto* status = qobject_cast<StatusPage*>(tool.pageHost()->page(StatusPage::kIndex));
            auto* io = qobject_cast<IoPage*>(tool.pageHost()->page(IoPage::kIndex));
            QVERIFY(status && io);
            QTRY_VERIFY_WITH_TIMEOUT(!status->modeText().isEmpty(), 5000);
            QCOMPARE(status->rowCount(), sim_->withElevator([](ElevatorModel& e) { return e.floorCount(); }));
            tool.pageHost()->setCurrentIndex(IoPage::kIndex);
            QTRY_VERIFY_WITH_TIMEOUT(io->inputLamp(13)->lampState() != LampIndicator::Grey, 3000);
            QVERIFY(!status->polling());
        }
    }
};

QTEST_MAIN(StatusPageTest)
#include "tst_status_page.moc"
