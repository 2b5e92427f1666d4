#include "Page.h"

#include "LinkEvents.h"

#include <QPushButton>

Page::Page(PageHost& host, int index, QWidget* parent) : QWidget(parent), host_(host), index_(index)
{
}

bool Page::event(QEvent* event)
{
    if (event->type() == WM_FRAME_ARRIVED) {
        frameArrived();
        return true;
    }
    // The main window is a dialog: a button that ever had the focus would
    // become its default button, and Enter in any edit or list would press
    // it. No button of a page is ever pressed by Enter.
    if (event->type() == QEvent::Polish) {
        for (QPushButton* button : findChildren<QPushButton*>()) {
            button->setAutoDefault(false);
            button->setDefault(false);
        }
    }
    return QWidget::event(event);
}
