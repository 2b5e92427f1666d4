#include "Page.h"

#include "LinkEvents.h"

Page::Page(PageHost& host, int index, QWidget* parent) : QWidget(parent), host_(host), index_(index)
{
}

bool Page::event(QEvent* event)
{
    if (event->type() == WM_FRAME_ARRIVED) {
        frameArrived();
        return true;
    }
    return QWidget::event(event);
}
