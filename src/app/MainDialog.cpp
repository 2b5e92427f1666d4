#include "MainDialog.h"

#include "AppIcon.h"
#include "DialogUnits.h"
#include "FrameBuffer.h"
#include "FrameRouter.h"
#include "LinkEvents.h"
#include "LinkRecovery.h"
#include "LinkSettings.h"
#include "PageFactory.h"
#include "PageTabCtrl.h"
#include "PortNames.h"
#include "Prompts.h"
#include "SerialChannel.h"
#include "SerialSettingsDialog.h"
#include "TimelineWindow.h"
#include "TrafficWindow.h"
#include "UserGuide.h"
#include "WindowState.h"

#include <QBoxLayout>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QShortcut>
#include <QTabBar>

#include <algorithm>

namespace {
// The window and its tab control, in dialog units.
constexpr int kWindowWidth = 271;
constexpr int kWindowHeight = 359;
constexpr int kTabLeft = 7;
constexpr int kTabTop = 7;
constexpr int kTabWidth = 257;
constexpr int kTabHeight = 340;
} // namespace

namespace {
const QString kTitle = QStringLiteral("VARDO");
const QString kTitleLinkDown = QStringLiteral("VARDO - 通讯中断");
const QString kTitleSilent = QStringLiteral("VARDO - 控制器无应答");
} // namespace

MainDialog::MainDialog()
    : QDialog(nullptr), recorder_(recorder::RecorderSettings::read()), pageHost_(new PageTabCtrl(this)),
      recovery_(new LinkRecovery(this, [this] { return reopenLink(); }, [this] { linkRestored(); })),
      router_(new FrameRouter([this] { return pageHost_->shownPage(); }, this))
{
    setObjectName(QStringLiteral("mainDialog"));
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(appIcon());
    TrafficWindow::installShortcut(this);
    auto* guideShortcut = new QShortcut(QKeySequence::HelpContents, this);
    guideShortcut->setObjectName(QStringLiteral("guideShortcut"));
    guideShortcut->setContext(Qt::WindowShortcut);
    connect(guideShortcut, &QShortcut::activated, this, [] { openUserGuide(); });
    recorder::TimelineWindow::installShortcut(this, [this] { return &recorder_; });
    recorder_.attach(serialChannel);
    router_->setRecorder(&recorder_);
    pageHost_->setFlightRecorder(&recorder_);
    recorderTimer_.setInterval(1000);
    connect(&recorderTimer_, &QTimer::timeout, this, [this] { recorder_.advance(); });
    recorderTimer_.start();

    // The smallest size, from the dialog units of the dialog font; wider
    // where the font needs it, so that all seven captions stand in one row.
    // The tab control keeps its margins and takes whatever the window has
    // beyond that.
    const QFont dialogFont = font();
    const QSize offset = dialogUnitsToPixels(dialogFont, kTabLeft, kTabTop);
    QSize tabs = dialogUnitsToPixels(dialogFont, kTabWidth, kTabHeight);
    QSize window = dialogUnitsToPixels(dialogFont, kWindowWidth, kWindowHeight);
    QTabBar probe;
    probe.setFont(dialogFont);
    probe.setUsesScrollButtons(false);
    probe.setElideMode(Qt::ElideNone);
    for (int i = 0; i < pages::kPageCount; ++i)
        probe.addTab(pages::caption(i));
    const int tabsNeeded = probe.sizeHint().width() + 8;
    if (tabsNeeded > tabs.width()) {
        window.rwidth() += tabsNeeded - tabs.width();
        tabs.setWidth(tabsNeeded);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(offset.width(), offset.height(), window.width() - tabs.width() - offset.width(),
                               window.height() - tabs.height() - offset.height());
    layout->addWidget(pageHost_);
    setMinimumSize(window);
    restoreWindowState();

    connect(pageHost_, &PageTabCtrl::controllerSilenceChanged, this, [this](bool silent) {
        controllerSilent_ = silent;
        updateTitle();
    });
    serialChannel.setExchangeEndedHandler([this] { exchangeEnded(); });
    serialChannel.setLinkStateHandler([this] { linkStateChanged(); });
}

MainDialog::~MainDialog()
{
    recorder_.detach();
    pageHost_->setFlightRecorder(nullptr);
    serialChannel.setExchangeEndedHandler({});
    serialChannel.setLinkStateHandler({});
    if (serialChannel.isOpen())
        serialChannel.close();
    delete pageHost_;
}

// The size of the last run, centred on the screen; maximized, when it was.
void MainDialog::restoreWindowState()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    const WindowState stored = readWindowState(minimumSize(), available.size());
    resize(stored.size);
    if (screen)
        move(available.center() - rect().center());
    if (stored.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
}

// The size of the window when not maximized, and whether it is.
void MainDialog::saveWindowState() const
{
    QSize normal = normalGeometry().size();
    if (normal.isEmpty())
        normal = size();
    writeWindowState({normal, isMaximized()});
}

void MainDialog::startUp()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen && !isMaximized())
        move(screen->availableGeometry().center() - rect().center());

    const std::optional<LinkSettings> settings = LinkSettings::read();
    if (!settings) {
        runSettingsDialog();
        return;
    }
    // The start always uses the elevator rate.
    specialCode = settings->specialCode;
    if (serialChannel.open(this, settings->portNumber, settings->elevatorBaud, settings->parity, settings->dataBits,
                           settings->stopBits, SerialChannel::kEventMask)) {
        pageHost_->createPages();
        return;
    }
    prompts::showMessage(portInitFailureText());
    runSettingsDialog();
}

void MainDialog::runSettingsDialog()
{
    SerialSettingsDialog dialog(this);
    dialog.exec();
    // OK asked for the close; it is taken now, before the window runs on.
    QCoreApplication::sendPostedEvents(this, QEvent::Close);
}

bool MainDialog::event(QEvent* event)
{
    if (event->type() == WM_LINK_RXBYTE) {
        router_->takeByte(static_cast<LinkRxByteEvent*>(event)->byte());
        return true;
    }
    return QDialog::event(event);
}

// The title tells that the line is down; meanwhile the tool watches for
// the port to come back.
void MainDialog::linkStateChanged()
{
    updateTitle();
    recovery_->update();
}

// A line that is down says more than a controller that does not answer.
void MainDialog::updateTitle()
{
    if (serialChannel.lost())
        setWindowTitle(kTitleLinkDown);
    else
        setWindowTitle(controllerSilent_ ? kTitleSilent : kTitle);
}

// Only COMn reached by the name it was lost under counts as back: while
// its link is removed, COMn may stand for another device of the default
// map (a built-in port that is always there). Behind the link the device
// may come back under another device name. At the rate the page shown needs; without pages
// at the elevator rate.
bool MainDialog::reopenLink()
{
    const std::optional<LinkSettings> settings = LinkSettings::read();
    if (!settings || portAddress(settings->portNumber) != serialChannel.lostPort())
        return false;
    if (pageHost_->hasPages())
        return pageHost_->reopenForShownPage();
    return serialChannel.open(this, settings->portNumber, settings->elevatorBaud, settings->parity,
                                          settings->dataBits, settings->stopBits, SerialChannel::kEventMask);
}

// The name may now lead to another controller: every page forgets what it
// read, and the page shown starts anew (polls resume, reads and the
// layout probe run again).
void MainDialog::linkRestored()
{
    for (int i = 0; i < pageHost_->pageCount(); ++i) {
        if (Page* page = pageHost_->page(i))
            page->linkRestored();
    }
    if (Page* page = pageHost_->shownPage())
        page->activate();
}

void MainDialog::closeEvent(QCloseEvent* event)
{
    if (serialChannel.linkBusy) {
        closePending_ = true;
        event->ignore();
        return;
    }
    closeRequested_ = true;
    QDialog::closeEvent(event);
}

// Escape, which closes a dialog, leaves the main window alone: one Escape
// too many after a box must not end the session. The close button, Alt+F4
// and the desktop still close it.
void MainDialog::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainDialog::reject()
{
    if (serialChannel.linkBusy) {
        closePending_ = true;
        return;
    }
    closeRequested_ = true;
    QDialog::reject();
}

// Every close of the window passes here, while it is still on screen.
void MainDialog::done(int result)
{
    if (isVisible())
        saveWindowState();
    QDialog::done(result);
}

void MainDialog::exchangeEnded()
{
    router_->showReportsLater();
    if (!closePending_)
        return;
    // Carried out from the event loop, once the page that ran the exchange
    // has finished its step; a further exchange defers it again.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!closePending_ || serialChannel.linkBusy)
                return;
            closePending_ = false;
            closeRequested_ = true;
            if (isVisible())
                QDialog::reject();
        },
        Qt::QueuedConnection);
}
