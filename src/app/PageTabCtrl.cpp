#include "PageTabCtrl.h"

#include "LinkSettings.h"
#include "PageFactory.h"
#include "Prompts.h"
#include "SerialChannel.h"
#include "SerialSettingsDialog.h"
#include "WaitCursor.h"

#include <QTabBar>

#include <optional>

int doorLinkActive = 0;

PageTabCtrl::PageTabCtrl(QWidget* mainWindow) : QTabWidget(mainWindow), mainWindow_(mainWindow)
{
    setObjectName(QStringLiteral("pageTabs"));
    // All seven captions stay readable: no scrolling, no eliding.
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
    setDocumentMode(false);
}

PageTabCtrl::~PageTabCtrl()
{
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
    prompts::showMessage(QStringLiteral("串口初始化失败，请重新设置"));
    SerialSettingsDialog dialog(mainWindow_);
    dialog.exec();
}
