// The flight recorder in the real window against the simulated controller:
// faults on the timeline, the pages' buttons, and a recording replayed by
// the simulator driving the status page.

#include "ConfigHome.h"
#include "FlightRecorder.h"
#include "IoPage.h"
#include "MainDialog.h"
#include "PageTabCtrl.h"
#include "RecordingPrompts.h"
#include "SerialChannel.h"
#include "SimBench.h"
#include "SimProtocol.h"
#include "StatusPage.h"
#include "TimelineView.h"
#include "TimelineWindow.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace recorder;

namespace {

std::vector<qint64> faultTimes(const std::vector<traffic::Entry>& entries)
{
    std::vector<qint64> times;
    for (const traffic::Entry& e : entries) {
        if (e.direction == traffic::Direction::Received && e.bytes.size() > 3 && e.bytes[3] == 'E')
            times.push_back(e.ms);
    }
    return times;
}

std::vector<qint64> markTimes(const TrackSet& tracks)
{
    std::vector<qint64> times;
    for (const FaultMark& mark : tracks.faults())
        times.push_back(mark.ms);
    return times;
}

// Whether the column at x holds the fault markers' red, just below the
// ruler (where the markers' labels do not reach).
bool redAt(const QImage& image, int x)
{
    for (int dx = -1; dx <= 1; ++dx) {
        const QColor c = image.pixelColor(x + dx, TimelineView::kRulerHeight + 1);
        if (c.red() > 180 && c.green() < 80 && c.blue() < 80)
            return true;
    }
    return false;
}

} // namespace

class RecorderWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup()
    {
        serialChannel.close();
        serialChannel.linkBusy = 0;
    }

    // The status page polls the simulated controller; two faults come.
    void two_faults_show_on_the_timeline_at_their_times()
    {
        const ConfigHome home;
        home.writeSettings("1N81", "9600", "38400", "E");
        SimController sim;
        sim.linkAs(1);
        RecordingPrompts prompts;
        // A box stays up a moment, as with a person: the acknowledgement
        // never shares the report's millisecond, so the fault lane holds
        // the code at the report's time.
        prompts.onMessage = [](const QString&) { QTest::qWait(20); };
        MainDialog tool;
        tool.show();
        tool.startUp();
        auto* status = qobject_cast<StatusPage*>(tool.pageHost()->page(StatusPage::kIndex));
        QVERIFY(status);
        QTRY_VERIFY_WITH_TIMEOUT(!status->floorText().isEmpty(), 10000);
        const FlightRecorder& flight = tool.flightRecorder();
        QCOMPARE(flight.header().layout, Layout::Long);
        QCOMPARE(flight.header().floors, status->rowCount());

        // Each fault box names the file kept around its report.
        for (int code : {0x20, 0x09}) {
            const qsizetype shown = prompts.messages.size();
            sim.injectFault(code);
            QTRY_COMPARE_WITH_TIMEOUT(prompts.messages.size(), shown + 1, 10000);
            const QString hex = QString::asprintf("%02X", code);
            const QStringList lines = prompts.messages.last().split(QLatin1Char('\n'));
            QCOMPARE(lines.value(0), QStringLiteral("故障码: ") + hex);
            QVERIFY(lines.value(1).startsWith(QStringLiteral("运行记录: ")));
            QVERIFY(lines.value(1).endsWith(QStringLiteral("-%1.rec").arg(hex)));
            QVERIFY(readRecording(lines.value(1).mid(6)).recording);
            // The polls go on after the acknowledgement.
            const int kept = flight.ring().size();
            QTRY_VERIFY_WITH_TIMEOUT(flight.ring().size() > kept + 3, 5000);
        }
        QCOMPARE(flight.faultFiles().size(), 2);
        QVERIFY(tool.pageHost()->page(3)->findChild<QPushButton*>(QStringLiteral("saveRecordButton"))->isEnabled());

        // "保存记录" writes the ring.
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("run.rec"));
        prompts.fileAnswers << path;
        QCOMPARE(status->saveRecordButton()->text(), QStringLiteral("保存记录"));
        QTest::mouseClick(status->saveRecordButton(), Qt::LeftButton);
        const ReadResult read = readRecording(path);
        QVERIFY2(read.recording, qPrintable(read.error));
        const std::vector<qint64> reported = faultTimes(read.recording->entries);
        QCOMPARE(reported.size(), std::size_t(2));

        // "运行记录" shows the recorder live, then the file: both markers
        // where the reports came.
        QTest::mouseClick(status->timelineButton(), Qt::LeftButton);
        TimelineWindow* timeline = TimelineWindow::instance();
        QVERIFY(timeline && timeline->isVisible() && timeline->live());
        QCOMPARE(timeline->windowTitle(), QStringLiteral("运行记录"));
        QVERIFY(timeline->followBox()->isChecked());
        QCOMPARE(markTimes(*timeline->tracks()), reported);

        QVERIFY(timeline->openFile(path));
        QVERIFY(!timeline->live());
        QCOMPARE(markTimes(*timeline->tracks()), reported);
        TimelineView* view = timeline->view();
        view->resize(1200, view->height());
        view->fitAll();
        const QImage image = view->grab().toImage();
        for (qint64 ms : reported)
            QVERIFY2(redAt(image, int(std::lround(view->xOf(ms)))), qPrintable(QString::number(ms)));
        QVERIFY(!redAt(image, int(std::lround(view->xOf((reported[0] + reported[1]) / 2)))));

        // The cursor reads every lane at its time.
        view->setCursorA(reported[1]);
        const QStringList readout = view->readout();
        QVERIFY2(readout.contains(QStringLiteral("故障: 09")), qPrintable(readout.join(QLatin1Char('|'))));
        QVERIFY(std::any_of(readout.cbegin(), readout.cend(),
                            [](const QString& l) { return l.startsWith(QStringLiteral("门锁闭合: ")); }));
        view->setCursorB(reported[0]);
        QCOMPARE(view->spanText(), QStringLiteral("Δ %1 s").arg((reported[1] - reported[0]) / 1000.0, 0, 'f', 3));
        timeline->close();
    }

    // A recording of three floors and a fault, replayed by the simulator.
    void a_replayed_recording_drives_the_status_page()
    {
        const QTemporaryDir dir;
        Recording r;
        r.header = {QStringLiteral("0.1.0"), QStringLiteral("COM1"), Layout::Long, 5,
                    QDateTime::currentDateTimeUtc()};
        // Floor display code = the floor; door lock; running, safety circuit.
        const auto status = [](int floor) {
            return sim::buildReply('A', '0', QByteArray::number(floor, 16).rightJustified(2, '0') + "08C0", 'E');
        };
        for (int floor = 1; floor <= 3; ++floor) {
            const qint64 at = (floor - 1) * 2000;
            r.entries.push_back({at, traffic::Direction::Received, status(floor)});
            r.entries.push_back({at + 100, traffic::Direction::Received, sim::buildReply('A', '8', "0000", 'E')});
        }
        r.entries.push_back({4500, traffic::Direction::Received, sim::buildFaultReport(0x09, 'E')});
        const QString path = dir.filePath(QStringLiteral("site.rec"));
        QVERIFY(writeRecording(path, r.header, r.entries));

        SimOptions options;
        options.replayFile = path;
        SimBench bench(options);
        auto* page = new StatusPage(bench.host);
        bench.host.addPage(page);
        QVERIFY(bench.open());
        bench.host.showPage(StatusPage::kIndex);
        QTRY_COMPARE_WITH_TIMEOUT(page->rowCount(), 5, 10000);

        QStringList seen;
        QVERIFY(QTest::qWaitFor(
            [&] {
                const QString floor = page->floorText();
                if (!floor.isEmpty() && seen.value(seen.size() - 1) != floor)
                    seen << floor;
                return floor == QStringLiteral("3");
            },
            30000));
        // In the recorded order, whichever a slow run skipped.
        const QStringList recorded{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")};
        qsizetype at = 0;
        for (const QString& floor : seen) {
            at = recorded.indexOf(floor, at);
            QVERIFY2(at >= 0, qPrintable(seen.join(QLatin1Char(' '))));
        }
        QCOMPARE(page->runText(), QStringLiteral("运行"));
        QTRY_VERIFY_WITH_TIMEOUT(bench.prompts.messages.contains(QStringLiteral("故障码: 09")), 10000);
    }
};

QTEST_MAIN(RecorderWindowTest)
#include "tst_recorder_window.moc"
