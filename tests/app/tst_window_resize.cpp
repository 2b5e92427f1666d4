#include "FaultPage.h"
#include "GridListCtrl.h"
#include "MainDialog.h"
#include "PageTabCtrl.h"
#include "ParamPage.h"
#include "ShaftPage.h"
#include "StatusPage.h"
#include "ToolSession.h"
#include "WindowState.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QtTest>

#include <array>
#include <memory>

namespace {

const QSize kLarge(1920, 1080);

QString describe(const QWidget* widget)
{
    const QRect g = widget->geometry();
    return QStringLiteral("%1 (%2) at %3,%4 %5x%6")
        .arg(widget->objectName(), QString::fromLatin1(widget->metaObject()->className()))
        .arg(g.x())
        .arg(g.y())
        .arg(g.width())
        .arg(g.height());
}

// What is wrong with how a page lays out its widgets, or nothing: every
// visible child lies inside the page, clear of every other, at no less than
// the size it needs; and the page lies inside its window.
QString layoutFault(const QWidget* page)
{
    const QWidget* window = page->window();
    const QRect onWindow(page->mapTo(window, QPoint(0, 0)), page->size());
    if (!window->rect().contains(onWindow))
        return QStringLiteral("the page %1 sticks out of the window").arg(describe(page));
    QList<const QWidget*> children;
    for (const QObject* object : page->children()) {
        const auto* child = qobject_cast<const QWidget*>(object);
        if (child && !child->isWindow() && child->isVisibleTo(page))
            children.append(child);
    }
    if (children.isEmpty())
        return QStringLiteral("nothing shown on %1").arg(page->objectName());
    for (qsizetype i = 0; i < children.size(); ++i) {
        const QWidget* child = children[i];
        if (!page->rect().contains(child->geometry()))
            return QStringLiteral("%1 sticks out of the page, %2x%3").arg(describe(child)).arg(page->width()).arg(page->height());
        const QSize needed = child->minimumSizeHint().expandedTo(child->minimumSize());
        if (child->width() < needed.width() || child->height() < needed.height())
            return QStringLiteral("%1 is clipped: it needs %2x%3").arg(describe(child)).arg(needed.width()).arg(needed.height());
        for (qsizetype j = i + 1; j < children.size(); ++j) {
            if (child->geometry().intersects(children[j]->geometry()))
                return QStringLiteral("%1 overlaps %2").arg(describe(child), describe(children[j]));
        }
    }
    return {};
}

// A button's distances from the list's edges: across (its left and right
// edge from the list's left and right edge) and down (likewise).
struct EdgeDistances
{
    std::array<int, 4> across;
    std::array<int, 4> down;
};

EdgeDistances edgeDistances(const QWidget* button, const QWidget* list)
{
    const QRect b = button->geometry();
    const QRect l = list->geometry();
    return {{b.left() - l.left(), b.left() - l.right(), b.right() - l.left(), b.right() - l.right()},
            {b.top() - l.top(), b.top() - l.bottom(), b.bottom() - l.top(), b.bottom() - l.bottom()}};
}

bool anyKept(const std::array<int, 4>& before, const std::array<int, 4>& after)
{
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i] == after[i])
            return true;
    }
    return false;
}

} // namespace

// The main window resized on the simulated controller: the pages' lists
// grow with it, and nothing on a page overlaps or is cut at any size.
class WindowResizeTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<ToolSession> session_;

    // Resizes the window and lets every layout below it follow.
    static bool resizeTool(MainDialog& tool, const QSize& size)
    {
        tool.resize(size);
        if (!QTest::qWaitFor([&] { return tool.size() == size; }, 5000))
            return false;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
        return true;
    }

private Q_SLOTS:
    void init() { session_ = std::make_unique<ToolSession>(); }
    void cleanup() { session_.reset(); }

    void pages_grow_with_the_window_data()
    {
        QTest::addColumn<int>("index");
        // The column that takes the extra width; -1: all share it.
        QTest::addColumn<int>("growingColumn");
        QTest::newRow("status") << StatusPage::kIndex << -1;
        QTest::newRow("shaft") << ShaftPage::kIndex << 1;
        QTest::newRow("faults") << FaultPage::kIndex << 3;
        QTest::newRow("elevator parameters") << 5 << 2;
        QTest::newRow("door parameters") << 6 << 2;
    }
    void pages_grow_with_the_window()
    {
        QFETCH(int, index);
        QFETCH(int, growingColumn);
        session_->start();
        MainDialog& tool = session_->tool();

        // Starts at its smallest size, and may grow and be maximized.
        const QSize minimum = tool.minimumSize();
        QCOMPARE(tool.size(), minimum);
        QVERIFY(tool.maximumSize().width() >= kLarge.width() && tool.maximumSize().height() >= kLarge.height());
        QVERIFY(tool.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(tool.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(tool.windowFlags().testFlag(Qt::WindowCloseButtonHint));

        tool.pageHost()->setCurrentIndex(index);
        Page* page = tool.pageHost()->shownPage();
        QVERIFY(page && page->pageIndex() == index);
        QTreeWidget* list = page->findChild<ReportList*>();
        QVERIFY(list);
        // What the polls and reads fill in is laid out as well.
        QTRY_VERIFY_WITH_TIMEOUT(list->topLevelItemCount() > 0, 10000);
        if (auto* status = qobject_cast<StatusPage*>(page))
            QTRY_VERIFY_WITH_TIMEOUT(!status->runText().isEmpty() && !status->speedText().isEmpty(), 5000);
        QCoreApplication::processEvents();

        QString fault = layoutFault(page);
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("smallest: ") + fault));
        const QSize smallList = list->size();
        QList<int> smallColumns;
        for (int c = 0; c < list->columnCount(); ++c)
            smallColumns.append(list->columnWidth(c));
        QList<QPushButton*> buttons;
        QList<EdgeDistances> smallDistances;
        for (QPushButton* button : page->findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
            buttons.append(button);
            smallDistances.append(edgeDistances(button, list));
        }
        QVERIFY(!buttons.isEmpty());

        QVERIFY(resizeTool(tool, kLarge));
        fault = layoutFault(page);
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("large: ") + fault));
        QVERIFY2(list->width() > smallList.width() && list->height() > smallList.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(list->width()).arg(list->height())));
        for (int c = 0; c < list->columnCount(); ++c) {
            if (growingColumn < 0 || c == growingColumn)
                QVERIFY2(list->columnWidth(c) > smallColumns[c], qPrintable(list->headerItem()->text(c)));
            else
                QCOMPARE(list->columnWidth(c), smallColumns[c]);
        }
        // The columns fill the list: no blank beside them, no scrolling.
        int columns = 0;
        for (int c = 0; c < list->columnCount(); ++c)
            columns += list->columnWidth(c);
        QCOMPARE(columns, list->viewport()->width());
        for (qsizetype i = 0; i < buttons.size(); ++i) {
            const EdgeDistances now = edgeDistances(buttons[i], list);
            QVERIFY2(anyKept(smallDistances[i].across, now.across) && anyKept(smallDistances[i].down, now.down),
                     qPrintable(describe(buttons[i]) + QStringLiteral(" left its place beside the list")));
        }
        QCOMPARE(tool.windowTitle(), QStringLiteral("VARDO"));

        // And back: everything as it was at the start.
        QVERIFY(resizeTool(tool, minimum));
        fault = layoutFault(page);
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("smallest again: ") + fault));
        QCOMPARE(list->size(), smallList);
    }

    // Closed, the window leaves its size and state for the next start.
    void size_kept_between_starts()
    {
        auto tool = std::make_unique<MainDialog>();
        const QSize minimum = tool->minimumSize();
        const QScreen* screen = QGuiApplication::primaryScreen();
        const QSize available = screen ? screen->availableGeometry().size() : QSize();
        const QSize wanted = fittedWindowSize(minimum + QSize(50, 30), minimum, available);
        tool->show();
        QVERIFY(QTest::qWaitForWindowExposed(tool.get()));
        QVERIFY(resizeTool(*tool, wanted));
        QVERIFY(tool->close());
        const WindowState stored = readWindowState(minimum, available);
        QCOMPARE(stored.size, wanted);
        QVERIFY(!stored.maximized);

        tool = std::make_unique<MainDialog>();
        QCOMPARE(tool->size(), wanted);
        QVERIFY(!tool->isMaximized());
        tool->showMaximized();
        QTRY_VERIFY(tool->isMaximized());
        QVERIFY(tool->close());
        QCOMPARE(readWindowState(minimum, available).size, wanted);
        QVERIFY(readWindowState(minimum, available).maximized);

        tool = std::make_unique<MainDialog>();
        QVERIFY(tool->isMaximized());
        QCOMPARE(tool->windowTitle(), QStringLiteral("VARDO"));
    }
};

QTEST_MAIN(WindowResizeTest)
#include "tst_window_resize.moc"
