#include "PageTestHost.h"

#include "FrameBuffer.h"
#include "LinkEvents.h"
#include "SerialChannel.h"

#include <QCoreApplication>

PageTestHost::PageTestHost() : router_([this] { return page(current_); }, nullptr)
{
    resize(385, 550);
    serialChannel.setExchangeEndedHandler([this] { router_.showReportsLater(); });
}

PageTestHost::~PageTestHost()
{
    serialChannel.setExchangeEndedHandler({});
    serialChannel.close();
    serialChannel.linkBusy = 0;
}

void PageTestHost::addPage(Page* page)
{
    page->setParent(this);
    page->setGeometry(rect());
    page->hide();
    pages_.append(page);
}

Page* PageTestHost::page(int index) const
{
    for (Page* p : pages_) {
        if (p->pageIndex() == index)
            return p;
    }
    return nullptr;
}

void PageTestHost::showPage(int index)
{
    if (Page* old = page(current_)) {
        old->hide();
        old->deactivate();
    }
    current_ = index;
    if (Page* shown = page(index)) {
        shown->setGeometry(rect());
        shown->show();
        shown->activate();
    }
}

recorder::FlightRecorder& PageTestHost::useFlightRecorder()
{
    recorder_ = std::make_unique<recorder::FlightRecorder>(recorder::RecorderSettings::read());
    recorder_->attach(serialChannel);
    router_.setRecorder(recorder_.get());
    return *recorder_;
}

bool PageTestHost::openChannel(int comNumber)
{
    return serialChannel.open(this, comNumber, 9600, 'N', 8, 1, SerialChannel::kEventMask);
}

bool PageTestHost::event(QEvent* event)
{
    if (event->type() == WM_LINK_RXBYTE) {
        const auto* rx = static_cast<LinkRxByteEvent*>(event);
        if (rx->byte() == static_cast<unsigned char>(ETX) && router_.frameOpen() && onFrameEnd)
            onFrameEnd();
        if (router_.takeByte(rx->byte())) {
            ++framesDelivered_;
            if (onFrameHandled)
                onFrameHandled();
        }
        return true;
    }
    if (event->type() == QEvent::UpdateRequest) {
        const bool handled = QWidget::event(event);
        if (onPainted)
            onPainted();
        return handled;
    }
    if (event->type() == QEvent::Resize) {
        for (Page* p : pages_)
            p->setGeometry(rect());
    }
    return QWidget::event(event);
}
