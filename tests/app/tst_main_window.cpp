#include "ConfigHome.h"
#include "Exchange.h"
#include "FrameBuffer.h"
#include "LinkWait.h"
#include "MainDialog.h"
#include "PageTabCtrl.h"
#include "RecordingPrompts.h"
#include "Requests.h"
#include "SerialChannel.h"
#include "ShellTestSupport.h"
#include "SimController.h"
#include "SimProtocol.h"
#include "UserGuide.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QSerialPort>
#include <QTabBar>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

#include <memory>

namespace {

const QString kPortFailed = QStringLiteral("串口初始化失败，请重新设置");
const QString kPortBusy = kPortFailed + QStringLiteral(
    "\n\n串口被其他程序占用\n请关闭正在使用该串口的程序（另一个 VARDO、vardo-cli 或终端程序）后再试。");
// Sent after the bytes under test: once the page has it, everything before
// it has been assembled.
const QByteArray kSentinel = "\x02" "FFZZ00\x03";

QByteArray nullable(const char* text)
{
    return text ? QByteArray(text) : QByteArray();
}

const char* orNull(const QByteArray& value)
{
    return value.isNull() ? nullptr : value.constData();
}

// Takes the files the tool hands to the desktop's viewer.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl& url) { urls << url; }
};

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ConfigHome> home_;
    std::unique_ptr<RecordingPrompts> prompts_;
    std::unique_ptr<SimController> sim_;
    std::unique_ptr<RecordingPages> pages_;
    std::unique_ptr<MainDialog> tool_;
    PageLog log_;

    SimController& sim()
    {
        if (!sim_) {
            sim_ = std::make_unique<SimController>();
            sim_->linkAs(1);
        }
        return *sim_;
    }

    // The tool as its start shows it: the window on screen, then start-up.
    MainDialog& startTool()
    {
        tool_ = std::make_unique<MainDialog>();
        tool_->show();
        tool_->startUp();
        return *tool_;
    }

    // The tool on the simulated controller, its window the active one (keys
    // go to it).
    MainDialog& startActiveTool()
    {
        home_->writeSettings("1N81", "9600", "38400", "E");
        sim();
        MainDialog& tool = startTool();
        tool.activateWindow();
        // The callers check that it became active.
        (void)QTest::qWaitForWindowActive(&tool);
        return tool;
    }

    QStringList frames(int page) const
    {
        QStringList out = log_.frames(page);
        out.removeAll(QString::fromLatin1(kSentinel));
        return out;
    }

    // Puts bytes on the line, then the sentinel, and waits until page 0
    // has received the sentinel.
    bool feed(const QByteArray& bytes, int page = 0)
    {
        sim().sendFrame(bytes);
        sim().sendFrame(kSentinel);
        return QTest::qWaitFor([&] { return log_.frames(page).contains(QString::fromLatin1(kSentinel)); }, 5000);
    }

private Q_SLOTS:
    void init()
    {
        home_ = std::make_unique<ConfigHome>();
        prompts_ = std::make_unique<RecordingPrompts>();
        pages_ = std::make_unique<RecordingPages>(log_);
        log_.clear();
        doorLinkActive = 0;
        serialChannel.linkBusy = 0;
    }

    void cleanup()
    {
        tool_.reset();
        serialChannel.close();
        sim_.reset();
        pages_.reset();
        prompts_.reset();
        home_.reset();
    }

    // Without usable settings the settings dialog opens instead of the pages.
    void startup_without_pages_data()
    {
        QTest::addColumn<bool>("stored");
        QTest::addColumn<bool>("heldElsewhere");
        QTest::addColumn<QStringList>("messagesBeforeDialog");
        QTest::newRow("fresh installation") << false << false << QStringList();
        QTest::newRow("stored port missing") << true << false << QStringList{kPortFailed};
        QTest::newRow("stored port held by another program") << true << true << QStringList{kPortBusy};
    }

    void startup_without_pages()
    {
        QFETCH(bool, stored);
        QFETCH(bool, heldElsewhere);
        QFETCH(QStringList, messagesBeforeDialog);
        QSerialPort otherProgram;
        if (heldElsewhere) {
            home_->writeSettings("1N81", "9600", "38400", "E");
            otherProgram.setPortName(QFileInfo(sim().devicePath()).canonicalFilePath());
            QVERIFY(otherProgram.open(QIODevice::ReadWrite));
        } else if (stored) {
            home_->writeSettings("2N81", "9600", "38400", "E");
            home_->linkMissingPort(2);
        }
        QString opened;
        QStringList messagesThen;
        onNextModalDialog([&](QDialog* dialog) {
            opened = dialog->objectName();
            messagesThen = prompts_->messages;
            dialog->reject();
        });
        MainDialog& tool = startTool();
        QCOMPARE(opened, QStringLiteral("serialSettingsDialog"));
        QCOMPARE(messagesThen, messagesBeforeDialog);
        QCOMPARE(tool.pageHost()->count(), 0);
        QVERIFY(!tool.pageHost()->hasPages());
        QVERIFY(!serialChannel.isOpen());
        QVERIFY(tool.isVisible());
    }

    void startup_opens_at_elevator_rate_data()
    {
        QTest::addColumn<QByteArray>("combaud");
        QTest::addColumn<QByteArray>("comdoorbaud");
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<int>("baud");
        QTest::addColumn<char>("specialCode");
        QTest::newRow("9600, door 38400") << nullable("9600") << nullable("38400") << nullable("E") << 9600 << 'E';
        QTest::newRow("19200, door 9600") << nullable("19200") << nullable("9600") << nullable("L") << 19200 << 'L';
        QTest::newRow("door rate absent") << nullable("4800") << QByteArray() << nullable("N") << 4800 << 'N';
        QTest::newRow("elevator rate and code absent") << QByteArray() << nullable("38400") << QByteArray() << 9600
                                                       << 'E';
    }

    void startup_opens_at_elevator_rate()
    {
        QFETCH(QByteArray, combaud);
        QFETCH(QByteArray, comdoorbaud);
        QFETCH(QByteArray, code);
        QFETCH(int, baud);
        QFETCH(char, specialCode);
        sim();
        home_->writeSettings("1N81", orNull(combaud), orNull(comdoorbaud), orNull(code));
        MainDialog& tool = startTool();

        QCOMPARE(tool.windowTitle(), QStringLiteral("VARDO"));
        QVERIFY(serialChannel.isOpen());
        QCOMPARE(sim().lineBaud(), baud);
        QCOMPARE(::specialCode, specialCode);
        QVERIFY(prompts_->messages.isEmpty());
        QStringList captions;
        for (int i = 0; i < tool.pageHost()->count(); ++i)
            captions << tool.pageHost()->tabText(i);
        QCOMPARE(captions, (QStringList{"电梯状态", "一般参数", "井道数据", "I/O状态", "故障代码", "电梯参数",
                                         "门机参数"}));
        QCOMPARE(tool.pageHost()->currentIndex(), 0);
        QCOMPARE(tool.pageHost()->currentPage(), 0);
        QCOMPARE(log_.entries[0], QStringList{"activate"});
        for (int i = 1; i < pages::kPageCount; ++i)
            QVERIFY(log_.entries[i].isEmpty());
        QCOMPARE(doorLinkActive, 0);
    }

    // Every caption stands whole in one row of tabs inside the window.
    void tabs_fit_the_window()
    {
        sim();
        home_->writeSettings("1N81", "9600", "38400", "E");
        MainDialog& tool = startTool();
        QTabBar* bar = tool.pageHost()->tabBar();
        const QRect host = tool.pageHost()->geometry();
        QVERIFY(tool.rect().contains(host));
        for (int i = 0; i < bar->count(); ++i) {
            const QRect tab = bar->tabRect(i);
            QVERIFY2(bar->rect().contains(tab), qPrintable(bar->tabText(i)));
            QVERIFY(tab.width() >= bar->fontMetrics().horizontalAdvance(bar->tabText(i)));
            QCOMPARE(tab.top(), bar->tabRect(0).top());
        }
        QVERIFY(bar->x() + bar->width() <= host.width());
    }

    void page_switching_data()
    {
        QTest::addColumn<QByteArray>("combaud");
        QTest::addColumn<QByteArray>("comdoorbaud");
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<bool>("reopened");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("doorLink");
        QTest::newRow("0 to 6: door rate") << nullable("9600") << nullable("38400") << QList<int>{6} << true << 38400
                                           << 1;
        QTest::newRow("6 to 1: elevator rate") << nullable("9600") << nullable("38400") << QList<int>{6, 1} << true
                                               << 9600 << 0;
        QTest::newRow("6 to 5 to 6: door rate again")
            << nullable("9600") << nullable("38400") << QList<int>{6, 5, 6} << true << 38400 << 1;
        QTest::newRow("door rate absent: elevator rate, still re-opened")
            << nullable("19200") << QByteArray() << QList<int>{6} << true << 19200 << 1;
        QTest::newRow("0 to 5: channel untouched") << nullable("9600") << nullable("38400") << QList<int>{5} << false
                                                   << 0 << 0;
        QTest::newRow("0 to 3 to 4: channel untouched")
            << nullable("9600") << nullable("38400") << QList<int>{3, 4} << false << 0 << 0;
        QTest::newRow("6 to 2 to 5: untouched after the return")
            << nullable("9600") << nullable("38400") << QList<int>{6, 2, 5} << false << 0 << 0;
    }

    void page_switching()
    {
        QFETCH(QByteArray, combaud);
        QFETCH(QByteArray, comdoorbaud);
        QFETCH(QList<int>, path);
        QFETCH(bool, reopened);
        QFETCH(int, baud);
        QFETCH(int, doorLink);
        sim();
        home_->writeSettings("1N81", orNull(combaud), orNull(comdoorbaud), "E");
        MainDialog& tool = startTool();
        PageTabCtrl& tabs = *tool.pageHost();

        int previous = 0;
        for (int i = 0; i < path.size(); ++i) {
            // Before the last switch the line is set to 1200 behind the tool's
            // back: a switch that re-opens the channel sets it again.
            if (i == path.size() - 1)
                QVERIFY(forceLineSpeed(sim().devicePath(), 1200));
            tabs.setCurrentIndex(path[i]);
            QCOMPARE(tabs.currentPage(), path[i]);
            QCOMPARE(log_.last(previous), QStringLiteral("deactivate"));
            QCOMPARE(log_.last(path[i]), QStringLiteral("activate"));
            previous = path[i];
        }
        QVERIFY(serialChannel.isOpen());
        QCOMPARE(sim().lineBaud(), reopened ? baud : 1200);
        QCOMPARE(doorLinkActive, doorLink);
        QVERIFY(prompts_->messages.isEmpty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // The settings are read at each switch: a changed door rate counts.
    void switch_reads_the_settings_again()
    {
        sim();
        home_->writeSettings("1N81", "9600", "38400", "E");
        MainDialog& tool = startTool();
        home_->writeSettings("1N81", "9600", "57600", "E");
        tool.pageHost()->setCurrentIndex(6);
        QCOMPARE(sim().lineBaud(), 57600);
    }

    // A re-open that fails reports it, opens the settings dialog and leaves
    // the page without activation; the next switch tries the elevator rate.
    void failed_switch_tries_again_at_the_next()
    {
        sim();
        home_->writeSettings("1N81", "9600", "38400", "E");
        MainDialog& tool = startTool();
        PageTabCtrl& tabs = *tool.pageHost();

        home_->linkMissingPort(1);
        QString opened;
        onNextModalDialog([&](QDialog* dialog) {
            opened = dialog->objectName();
            dialog->reject();
        });
        tabs.setCurrentIndex(6);
        QCOMPARE(opened, QStringLiteral("serialSettingsDialog"));
        QCOMPARE(prompts_->messages.value(0), kPortFailed);
        QVERIFY(log_.entries[6].isEmpty());
        QCOMPARE(doorLinkActive, 1);
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // Back to the elevator rate once the port is there again.
        sim().linkAs(1);
        prompts_->messages.clear();
        tabs.setCurrentIndex(2);
        QVERIFY(prompts_->messages.isEmpty());
        QCOMPARE(doorLinkActive, 0);
        QCOMPARE(sim().lineBaud(), 9600);
        QCOMPARE(log_.entries[2], QStringList{"activate"});
    }

    void frame_assembly_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("delivered");
        const QByteArray clock = "\x02" "FFA9231205123000E5D\x03";
        QTest::newRow("byte before the STX dropped") << QByteArray("x") + clock
                                                     << QStringList{QString::fromLatin1(clock)};
        QTest::newRow("STX restarts the frame")
            << QByteArray("\x02" "FFA" "\x02" "FFA0123E00\x03")
            << QStringList{QString::fromLatin1("\x02" "FFA0123E00\x03")};
        QTest::newRow("NUL ends the text") << QByteArray("\x02" "FFA912\0" "34\x03", 11)
                                           << QStringList{QString::fromLatin1("\x02" "FFA912")};
        QTest::newRow("ETX outside a frame") << QByteArray("\x03" "zz\x03") << QStringList();

        QTest::newRow("two frames in order")
            << QByteArray("\x02" "FFA01\x03" "\x02" "FFA32\x03")
            << QStringList{QString::fromLatin1("\x02" "FFA01\x03"), QString::fromLatin1("\x02" "FFA32\x03")};
        // 1021 characters between STX and ETX fill the buffer with its NUL.
        const QByteArray fits = "\x02" + QByteArray(1021, 'A') + "\x03";
        QTest::newRow("longest frame kept") << fits << QStringList{QString::fromLatin1(fits)};
        const QByteArray tooLong = "\x02" + QByteArray(1022, 'A') + "\x03";
        QTest::newRow("one more dropped whole") << tooLong << QStringList();
        QTest::newRow("overlong frame dropped, next one kept")
            << QByteArray("\x02" + QByteArray(1500, 'B') + "FFA0\x03" "tail\x03" "\x02" "FFA4\x03")
            << QStringList{QString::fromLatin1("\x02" "FFA4\x03")};
    }

    void frame_assembly()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, delivered);
        home_->writeSettings("1N81", "9600", "38400", "E");
        sim();
        startTool();
        QVERIFY(feed(bytes));
        QCOMPARE(frames(0), delivered);
        for (int i = 1; i < pages::kPageCount; ++i)
            QVERIFY(log_.frames(i).isEmpty());
    }

    // A frame cut short after a fault report is no second report: what the
    // report left behind the short frame's end does not count.
    void frame_cut_short_after_a_report()
    {
        home_->writeSettings("1N81", "9600", "38400", "E");
        sim();
        startTool();
        sim().sendFrame("\x02" "FFE0" "37" "E12\x03");
        QVERIFY(QTest::qWaitFor([&] { return sim().waitForRequest("F6", 0); }, 5000));
        QVERIFY(feed("\x02\x03"));
        QCOMPARE(prompts_->messages.size(), 1);
        QCOMPARE(prompts_->messages[0].section(QLatin1Char('\n'), 0, 0), QStringLiteral("故障码: 37"));
        QCOMPARE(frames(0).value(0), QString::fromLatin1("\x02\x03"));
    }

    // Frames go to whichever page is shown.
    void frames_reach_the_page_shown()
    {
        home_->writeSettings("1N81", "9600", "38400", "E");
        sim();
        MainDialog& tool = startTool();
        tool.pageHost()->setCurrentIndex(4);
        sim().sendFrame("\x02" "FFA1" "00\x03");
        sim().sendFrame(kSentinel);
        QVERIFY(QTest::qWaitFor([&] { return log_.frames(4).size() == 2; }, 5000));
        QCOMPARE(log_.frames(4).value(0), QString::fromLatin1("\x02" "FFA1" "00\x03"));
        QVERIFY(log_.frames(0).isEmpty());
    }

    void fault_report_data()
    {
        QTest::addColumn<bool>("withPages");
        QTest::addColumn<bool>("fromModel");
        QTest::addColumn<QString>("message");
        QTest::newRow("report on the pages") << true << false << QStringLiteral("故障码: 37");
        QTest::newRow("report without pages") << false << false << QStringLiteral("故障码: 37");
        QTest::newRow("fault of the simulated elevator") << true << true << QStringLiteral("故障码: 2A");
    }

    void fault_report()
    {
        QFETCH(bool, withPages);
        QFETCH(bool, fromModel);
        QFETCH(QString, message);
        home_->writeSettings("1N81", "9600", "38400", "E");
        if (withPages) {
            sim();
            startTool();
        } else {
            // Start-up fails, then Cancel re-opens the channel: no pages.
            home_->linkMissingPort(1);
            onNextModalDialog([&](QDialog* dialog) {
                sim();
                dialog->reject();
            });
            startTool();
            QVERIFY(!tool_->pageHost()->hasPages());
            QVERIFY(serialChannel.isOpen());
            prompts_->messages.clear();
        }
        sim().clearRequests();
        // While the box is up nothing may have been acknowledged yet; the
        // wait gives an early 'F' '6' time to reach the simulator.
        bool acknowledgedWhileShown = true;
        prompts_->onMessage = [&](const QString&) {
            acknowledgedWhileShown = sim().waitForRequest("F6", 200);
        };

        if (fromModel)
            sim().injectFault(0x2A);
        else
            sim().sendFrame("\x02" "FFE0" "37" "E12\x03");
        QVERIFY(QTest::qWaitFor([&] { return !prompts_->messages.isEmpty(); }, 5000));
        QCOMPARE(prompts_->messages.size(), 1);
        // The code, and the file the flight recorder keeps around the report.
        const QStringList lines = prompts_->messages[0].split(QLatin1Char('\n'));
        QCOMPARE(lines.value(0), message);
        QVERIFY2(lines.value(1).startsWith(QStringLiteral("运行记录: ")), qPrintable(prompts_->messages[0]));
        QVERIFY(QFile::exists(lines.value(1).mid(6)));
        QVERIFY(!acknowledgedWhileShown);
        QVERIFY(sim().waitForRequest("F6", 5000));
        if (fromModel)
            QTRY_COMPARE(sim().withElevator([](ElevatorModel& e) { return e.pendingReport(); }), 0);
        if (withPages) {
            QVERIFY(feed(QByteArray()));
            QVERIFY(frames(0).isEmpty());
        }
    }

    // Two reports in a row are both shown and acknowledged, in order, each
    // once; the second is not lost to the first one's acknowledgement.
    void fault_reports_are_queued()
    {
        home_->writeSettings("1N81", "9600", "38400", "E");
        sim();
        startTool();
        sim().clearRequests();
        // Each box stays up a while, its event loop running.
        prompts_->onMessage = [&](const QString&) { QTest::qWait(200); };
        sim().sendFrame(sim::buildFaultReport(0x2A, 'E') + sim::buildFaultReport(0x09, 'E'));
        QTRY_COMPARE_WITH_TIMEOUT(prompts_->messages.size(), 2, 5000);
        QCOMPARE(prompts_->firstLines(), (QStringList{QStringLiteral("故障码: 2A"), QStringLiteral("故障码: 09")}));
        QTRY_COMPARE_WITH_TIMEOUT(sim().requests().count(sim().requestFrame("F6")), 2, 5000);
        QTest::qWait(300);
        QCOMPARE(prompts_->messages.size(), 2);
        QCOMPARE(sim().requests().count(sim().requestFrame("F6")), 2);
    }

    // A report that comes in the middle of an exchange is shown and
    // acknowledged once the exchange has ended; the exchange takes its own
    // reply.
    void fault_report_during_an_exchange()
    {
        home_->writeSettings("1N81", "9600", "38400", "E");
        sim();
        startTool();
        sim().clearRequests();
        sim().reportInNextExchange(0x2A);
        int got = 0;
        {
            LinkBusyGuard busy;
            request::readParameter(11);
            got = transact(50, 20);
            QVERIFY(prompts_->messages.isEmpty());
        }
        QVERIFY(got > 0);
        QVERIFY(replyIs('A', '5'));
        QTRY_COMPARE_WITH_TIMEOUT(prompts_->firstLines(), QStringList{QStringLiteral("故障码: 2A")}, 5000);
        QVERIFY(QTest::qWaitFor([&] { return sim().waitForRequest("F6", 0); }, 5000));
    }

    // Every open starts with no frame assembled: the rest of a frame cut by
    // a change of rate is no frame.
    void assembly_starts_empty_at_every_open()
    {
        home_->writeSettings("1N81", "9600", "38400", "E");
        sim();
        MainDialog& tool = startTool();
        sim().sendFrame("\x02" "FFA0" "123");
        QTest::qWait(200);
        tool.pageHost()->setCurrentIndex(pages::kDoorPage);
        QVERIFY(feed("456\x03", pages::kDoorPage));
        QVERIFY(frames(pages::kDoorPage).isEmpty());
        QVERIFY(frames(0).isEmpty());
    }

    // A close that comes while a synchronous exchange waits is carried out
    // after the exchange, never inside it.
    void close_waits_for_the_exchange()
    {
        home_->writeSettings("1N81", "9600", "38400", "E");
        sim();
        MainDialog& tool = startTool();
        {
            LinkBusyGuard busy;
            QTimer::singleShot(0, &tool, [&tool] { tool.close(); });
            linkSleep(150);
            QVERIFY(tool.isVisible());
            QVERIFY(serialChannel.isOpen());
        }
        QTRY_VERIFY(!tool.isVisible());
        QVERIFY(tool.closeRequested());
        QCOMPARE(tool.result(), int(QDialog::Rejected));
    }

    // Escape, on the window or on a page's control, leaves the tool open;
    // the close button still closes it.
    void escape_does_not_close_the_window()
    {
        MainDialog& tool = startActiveTool();
        QVERIFY(tool.isActiveWindow());
        for (QWidget* target : {static_cast<QWidget*>(&tool), static_cast<QWidget*>(tool.pageHost()->tabBar())}) {
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Escape);
            QVERIFY(tool.isVisible());
            QVERIFY(!tool.closeRequested());
        }
        tool.close();
        QVERIFY(!tool.isVisible());
    }

    // F1 hands the guide to the desktop's viewer: run from the build
    // folder, the page made there or the guide's source.
    void f1_opens_the_user_guide()
    {
        MainDialog& tool = startActiveTool();
        QVERIFY(tool.isActiveWindow());
        UrlCatcher viewer;
        QDesktopServices::setUrlHandler(QStringLiteral("file"), &viewer, "open");
        QTest::keyClick(&tool, Qt::Key_F1);
        QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
        QCOMPARE(viewer.urls.size(), 1);
        const QString guide = viewer.urls[0].toLocalFile();
        QVERIFY2(guide.endsWith(QStringLiteral("/doc/guide.html")) || guide.endsWith(QStringLiteral("/docs/guide.md")),
                 qPrintable(guide));
        QVERIFY(QFileInfo(guide).isFile());
        QVERIFY(prompts_->messages.isEmpty());
    }

    // Installed, the guide is found beside the program's prefix, the page
    // before the Markdown; without either the box names where it looked.
    void installed_guide_data()
    {
        QTest::addColumn<QStringList>("installed");
        QTest::addColumn<QString>("found");
        QTest::newRow("page and Markdown") << QStringList{"guide.html", "guide.md"} << "guide.html";
        QTest::newRow("Markdown only") << QStringList{"guide.md"} << "guide.md";
        QTest::newRow("none") << QStringList{} << QString();
    }
    void installed_guide()
    {
        QFETCH(QStringList, installed);
        QFETCH(QString, found);
        QTemporaryDir prefix;
        const QString doc = prefix.filePath(QStringLiteral("share/doc/vardo"));
        QVERIFY(QDir().mkpath(doc) && QDir().mkpath(prefix.filePath(QStringLiteral("bin"))));
        for (const QString& name : installed) {
            QFile file(doc + QLatin1Char('/') + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QStringList places = userGuidePlaces(prefix.filePath(QStringLiteral("bin")));
        QCOMPARE(places.mid(0, 2), (QStringList{doc + QStringLiteral("/guide.html"), doc + QStringLiteral("/guide.md")}));
        QCOMPARE(findUserGuide(places), found.isEmpty() ? QString() : doc + QLatin1Char('/') + found);
        if (found.isEmpty()) {
            QCOMPARE(userGuideMissingText(places),
                     QStringLiteral("找不到用户指南。查找过：\n") + places.join(QLatin1Char('\n')));
        }
    }

    void close_without_exchange_is_at_once()
    {
        home_->writeSettings("1N81", "9600", "38400", "E");
        sim();
        MainDialog& tool = startTool();
        tool.close();
        QVERIFY(!tool.isVisible());
        QVERIFY(tool.closeRequested());
    }

    void shutdown_closes_the_channel()
    {
        home_->writeSettings("1N81", "9600", "38400", "E");
        sim();
        startTool();
        QVERIFY(serialChannel.isOpen());
        tool_.reset();
        QVERIFY(!serialChannel.isOpen());
        QCOMPARE(log_.last(0), QStringLiteral("deactivate"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_main_window.moc"
