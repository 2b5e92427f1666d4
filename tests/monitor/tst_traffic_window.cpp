#include "Recording.h"
#include "SimBench.h"
#include "SimWait.h"
#include "StatusPage.h"
#include "TrafficWindow.h"

#include <QAbstractItemModel>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>

namespace {

// The rows of the traffic list as shown, a row's four cells joined by tabs
// (a request's empty verdict left off), as the saved lines are.
QStringList shownRows(const TrafficWindow& window)
{
    const QAbstractItemModel* model = window.view()->model();
    QStringList rows;
    for (int r = 0; r < model->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < model->columnCount(); ++c)
            cells << model->index(r, c).data().toString();
        if (cells.last().isEmpty())
            cells.removeLast();
        rows << cells.join('\t');
    }
    return rows;
}

// A request with the given command pair written, and after it a reply with
// the same pair received whole with its checksum holding.
bool hasExchange(const QStringList& rows, const QString& pair)
{
    const QRegularExpression request("^\\d+\t发\t<STX>FF" + pair + ".*<ETX>$");
    const QRegularExpression reply("^\\d+\t收\t<STX>FF" + pair + ".*<ETX>\t校验正确$");
    for (int r = 0; r < rows.size(); ++r) {
        if (!request.match(rows[r]).hasMatch())
            continue;
        for (int k = r + 1; k < rows.size(); ++k) {
            if (reply.match(rows[k]).hasMatch())
                return true;
        }
    }
    return false;
}

} // namespace

class TrafficWindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The status page polling the simulated controller through the real
    // channel, watched from the traffic window.
    void records_the_status_page_exchanges()
    {
        SimOptions options;
        options.manualTime = true;
        SimBench bench(options);
        auto* page = new StatusPage(bench.host);
        bench.host.addPage(page);
        TrafficWindow::installShortcut(&bench.host);
        QVERIFY(bench.open());

        // Opened by the status page's button once the page has probed the
        // controller and before its first poll tick, which reads the floor
        // count in synchronous exchanges.
        bench.host.showPage(StatusPage::kIndex);
        QCOMPARE(page->trafficButton()->text(), QStringLiteral("通讯记录"));
        QTest::mouseClick(page->trafficButton(), Qt::LeftButton);
        TrafficWindow* window = TrafficWindow::instance();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(window->recording());
        QCOMPARE(window->windowTitle(), QStringLiteral("通讯记录"));

        // Parameter reads 'A' '5' read whole, polls whose replies come byte
        // by byte.
        QTRY_VERIFY_WITH_TIMEOUT(hasExchange(shownRows(*window), "A5"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(hasExchange(shownRows(*window), "A[038]"), 5000);
        const QStringList rows = shownRows(*window);
        for (int r = 1; r < rows.size(); ++r)
            QVERIFY2(rows[r].section('\t', 0, 0).toLongLong() >= rows[r - 1].section('\t', 0, 0).toLongLong(),
                     qPrintable(rows[r]));

        // Every request the controller got since the window opened, in order.
        bench.host.setCurrentPage(3);  // the polls stop
        const traffic::LineTraffic& log = window->log();
        QList<QByteArray> sent;
        for (int i = 0; i < log.size(); ++i) {
            if (log.at(i).direction == traffic::Direction::Sent)
                sent << log.at(i).bytes;
        }
        QVERIFY(sent.size() >= 4);
        QTRY_COMPARE_WITH_TIMEOUT(bench.sim.requests().mid(bench.sim.requests().size() - sent.size()), sent, 5000);
        bench.host.setCurrentPage(StatusPage::kIndex);

        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("clearButton")), Qt::LeftButton);
        QCOMPARE(window->view()->model()->rowCount(), 0);
        QCOMPARE(window->log().size(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(hasExchange(shownRows(*window), "A[038]"), 5000);

        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("通讯记录.txt"));
        bench.prompts.fileAnswers << path << dir.filePath(QStringLiteral("missing/通讯记录.txt"));
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("saveButton")), Qt::LeftButton);
        const QString logText = window->log().text();
        QVERIFY(bench.prompts.messages.isEmpty());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString saved = utf8(file.readAll());
        QVERIFY(!utf8.hasError());
        // The log's lines under a recording's header: the file opens as a
        // recording too.
        QVERIFY(saved.startsWith(QStringLiteral("# vardo-recording 1\n")));
        QStringList lines;
        for (const QString& l : saved.split('\n', Qt::SkipEmptyParts)) {
            if (!l.startsWith(QLatin1Char('#')))
                lines << l;
        }
        QVERIFY(hasExchange(lines, "A[038]"));
        const QRegularExpression line("^\\d+\t(发\t[^\t]+|收\t[^\t]+\t校验(正确|错误))$");
        for (const QString& l : lines)
            QVERIFY2(line.match(l).hasMatch(), qPrintable(l));
        QCOMPARE(lines.join('\n') + '\n', logText);
        const recorder::ReadResult read = recorder::readRecording(path);
        QVERIFY2(read.recording, qPrintable(read.error));
        QCOMPARE(int(read.recording->entries.size()), lines.size());

        // A file that cannot be written is reported.
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("saveButton")), Qt::LeftButton);
        QCOMPARE(bench.prompts.messages.size(), 1);
        QVERIFY2(bench.prompts.messages[0].startsWith(QStringLiteral("通讯记录保存失败")),
                 qPrintable(bench.prompts.messages[0]));

        // Closed, it records nothing more while the polls go on.
        window->close();
        QVERIFY(!window->recording());
        const std::uint64_t appended = window->log().appended();
        bench.sim.clearRequests();
        QVERIFY(waitForSent(bench.sim, "A0", 2000));
        QVERIFY(waitForSent(bench.sim, "A3", 2000));
        QCOMPARE(window->log().appended(), appended);

        // Ctrl+L in the main window opens the same window again, recording
        // from its opening.
        bench.host.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&bench.host));
        QElapsedTimer sinceShortcut;
        sinceShortcut.start();
        QTest::keyClick(&bench.host, Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(TrafficWindow::instance(), window);
        QVERIFY(window->isVisible());
        QVERIFY(window->recording());
        QCOMPARE(window->log().size(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(hasExchange(shownRows(*window), "A[038]"), 5000);
        QVERIFY(window->log().at(0).ms <= sinceShortcut.elapsed());
    }
};

QTEST_MAIN(TrafficWindowTest)
#include "tst_traffic_window.moc"
