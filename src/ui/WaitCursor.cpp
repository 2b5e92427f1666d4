#include "WaitCursor.h"

#include <QApplication>

WaitCursor::WaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

WaitCursor::~WaitCursor()
{
    release();
}

void WaitCursor::release()
{
    if (active_)
        QApplication::restoreOverrideCursor();
    active_ = false;
}
