#include "PageTabCtrl.h"

#include "LinkSettings.h"
#include "PageFactory.h"
#include "Prompts.h"
#include "SessionRecord.h"
#include "SerialChannel.h"
#include "SerialSettingsDialog.h"
#include "WaitCursor.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QTabBar>
#include <QTimer>
#include <QWindow>

#include <optional>

int doorLinkActive = 0;

PageTabCtrl::PageTabCtrl(QWidget* mainWindow)
    : QTabWidget(mainWindow), mainWindow_(mainWindow), record_(std::make_unique<history::SessionRecord>())
{
    setObjectName(QStringLiteral("pageTabs"));
    // All seven captions stay readable: no scrolling, no eliding.
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
    setDocumentMode(false);
}

PageTabCtrl::~PageTabCtrl()
{
    chosenTab_ = -1;
    watchTabChoice(false);
    // The pages go before the tab control's own parts, shown page first;
    // removing them is no page switch.
    disconnect(this, &QTabWidget::currentChanged, this, &PageTabCtrl::selectionChanged);
    if (Page* shown = shownPage())
        shown->deactivate();
    for (Page*& page : pages_) {
        delete page;
        page = nullptr;
    }
}

Page* PageTabCtrl::page(int index) const
{
    return index >= 0 && index < pageCount() ? pages_[size_t(index)] : nullptr;
}

Page* PageTabCtrl::shownPage() const
{
    return hasPages() ? page(currentIndex()) : nullptr;
}

void PageTabCtrl::createPages()
{
    if (hasPages())
        return;
    currentPage_ = 0;
    for (int i = 0; i < pageCount(); ++i) {
        Page* page = pages::create(i, *this, this);
        page->setObjectName(page->objectName().isEmpty() ? QStringLiteral("page%1").arg(i) : page->objectName());
        pages_[size_t(i)] = page;
        addTab(page, pages::caption(i));
    }
    setCurrentIndex(0);
    connect(this, &QTabWidget::currentChanged, this, &PageTabCtrl::selectionChanged);
    pages_[0]->activate();
}

void PageTabCtrl::selectionChanged()
{
    // The settings are read afresh at every switch; specialCode is not.
    const std::optional<LinkSettings> settings = LinkSettings::read();
    const int focused = currentIndex();
    if (!hasPages() || focused < 0 || currentPage_ == focused)
        return;

    if (Page* hidden = page(currentPage_))
        hidden->deactivate();
    currentPage_ = focused;
    Page* shown = page(currentPage_);

    if (currentPage_ == pages::kDoorPage) {
        doorLinkActive = 1;
        WaitCursor wait;
        if (!reopenChannel(settings, settings ? settings->doorBaud : 0)) {
            wait.release();
            reportPortFailure();
            return;
        }
        wait.release();
        shown->activate();
        return;
    }
    if (doorLinkActive == 1) {
        WaitCursor wait;
        if (!reopenChannel(settings, settings ? settings->elevatorBaud : 0)) {
            // Still at the wrong rate: the next switch tries again.
            wait.release();
            reportPortFailure();
            return;
        }
        doorLinkActive = 0;
        wait.release();
        shown->activate();
        return;
    }
    shown->activate();
}

bool PageTabCtrl::reopenForShownPage()
{
    const std::optional<LinkSettings> settings = LinkSettings::read();
    const bool door = currentPage_ == pages::kDoorPage;
    if (!reopenChannel(settings, settings ? (door ? settings->doorBaud : settings->elevatorBaud) : 0))
        return false;
    doorLinkActive = door ? 1 : 0;
    return true;
}

// Closes the channel and opens it at baud. Without stored settings there
// is no port to open: the switch fails as if the port did not open.
bool PageTabCtrl::reopenChannel(const std::optional<LinkSettings>& settings, int baud)
{
    while (serialChannel.isOpen())
        serialChannel.close();
    return settings && serialChannel.open(mainWindow_, settings->portNumber, baud, settings->parity,
                                          settings->dataBits, settings->stopBits, SerialChannel::kEventMask);
}

void PageTabCtrl::reportPortFailure()
{
    prompts::showMessage(portInitFailureText());
    SerialSettingsDialog dialog(mainWindow_);
    dialog.exec();
}

void PageTabCtrl::showControllerSilent(bool silent)
{
    Q_EMIT controllerSilenceChanged(silent);
}

void PageTabCtrl::watchTabChoice(bool on)
{
    if (on == watchingTabChoice_)
        return;
    watchingTabChoice_ = on;
    if (on) {
        chosenTab_ = -1;
        QCoreApplication::instance()->installEventFilter(this);
        return;
    }
    QCoreApplication::instance()->removeEventFilter(this);
    if (chosenTab_ >= 0)
        QTimer::singleShot(0, this, &PageTabCtrl::showChosenTab);
}

bool PageTabCtrl::otherTabChosen()
{
    // The exchanges' waits hold user input back; it comes in now, through
    // the filter.
    if (watchingTabChoice_)
        QCoreApplication::processEvents();
    return chosenTab_ >= 0;
}

bool PageTabCtrl::eventFilter(QObject* watched, QEvent* event)
{
    if (!watchingTabChoice_)
        return QTabWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        // Seen first by the main window's window, then by the widget under
        // the pointer (a synthesised press only by the widget).
        const auto* press = static_cast<QMouseEvent*>(event);
        const auto* widget = qobject_cast<QWidget*>(watched);
        const bool here = widget ? widget->window() == window() : watched == static_cast<QObject*>(window()->windowHandle());
        const QPoint at = tabBar()->mapFromGlobal(press->globalPosition().toPoint());
        const int tab = here && tabBar()->isVisible() && tabBar()->rect().contains(at) ? tabBar()->tabAt(at) : -1;
        if (tab >= 0 && tab != currentPage_)
            chosenTab_ = tab;
        return true;
    }
    // Releases pass: without their press they start nothing, and the press
    // that began the read gets its release.
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        return true;
    default:
        return false;
    }
}

// After the read: the usual switch, with its deactivation, activation and
// change of line rate.
void PageTabCtrl::showChosenTab()
{
    if (chosenTab_ < 0 || watchingTabChoice_)
        return;
    if (serialChannel.linkBusy) {
        QTimer::singleShot(10, this, &PageTabCtrl::showChosenTab);
        return;
    }
    const int tab = chosenTab_;
    chosenTab_ = -1;
    setCurrentIndex(tab);
}
