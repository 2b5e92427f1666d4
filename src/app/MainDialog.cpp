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
#include "TrafficWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
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
} // namespace

MainDialog::MainDialog()
    : QDialog(nullptr), pageHost_(new PageTabCtrl(this)),
      recovery_(new LinkRecovery(this, [this] { return reopenLink(); }, [this] { linkRestored(); }))
{
    setObjectName(QStringLiteral("mainDialog"));
    setWindowTitle(kTitle);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(appIcon());
    TrafficWindow::installShortcut(this);

    // Sized from the dialog units of the dialog font; wider where the font
    // needs it, so that all seven captions stand in one row.
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
    pageHost_->setGeometry(QRect(QPoint(offset.width(), offset.height()), tabs));
    setFixedSize(window);

    serialChannel.setExchangeEndedHandler([this] { exchangeEnded(); });
    serialChannel.setLinkStateHandler([this] { linkStateChanged(); });
}

MainDialog::~MainDialog()
{
    serialChannel.setExchangeEndedHandler({});
    serialChannel.setLinkStateHandler({});
    if (serialChannel.isOpen())
        serialChannel.close();
    delete pageHost_;
}

void MainDialog::startUp()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
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
    prompts::showMessage(QStringLiteral("串口初始化失败，请重新设置"));
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
        takeByte(static_cast<LinkRxByteEvent*>(event)->byte());
        return true;
    }
    return QDialog::event(event);
}

void MainDialog::takeByte(unsigned char byte)
{
    if (assembler_.take(byte))
        routeFrame(assembler_.frameText(), pageHost_->shownPage());
}

// The title tells that the line is down; meanwhile the tool watches for
// the port to come back.
void MainDialog::linkStateChanged()
{
    setWindowTitle(serialChannel.lost() ? kTitleLinkDown : kTitle);
    recovery_->update();
}

// Only the device that was lost counts as back: while its name is gone,
// COMn may stand for another device of the default map (a built-in port
// that is always there). At the rate the page shown needs; without pages
// at the elevator rate.
bool MainDialog::reopenLink()
{
    const std::optional<LinkSettings> settings = LinkSettings::read();
    if (!settings || resolvePortDevice(settings->portNumber) != serialChannel.lostDevice())
        return false;
    if (pageHost_->hasPages())
        return pageHost_->reopenForShownPage();
    return serialChannel.open(this, settings->portNumber, settings->elevatorBaud, settings->parity,
                                          settings->dataBits, settings->stopBits, SerialChannel::kEventMask);
}

// The page shown starts anew: polls resume, reads run again.
void MainDialog::linkRestored()
{
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

void MainDialog::reject()
{
    if (serialChannel.linkBusy) {
        closePending_ = true;
        return;
    }
    closeRequested_ = true;
    QDialog::reject();
}

void MainDialog::exchangeEnded()
{
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
