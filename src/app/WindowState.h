#pragma once

#include <QSize>
#include <QString>

// The main window's size between starts. It lives in VARDOCOM/window.ini
// beside the link settings but apart from them, so that the settings
// dialog and vardo-cli never see it:
//
//     [MainWindow]
//     width=900
//     height=760
//     maximized=false
//
// No widgets here: the caller passes the window's minimum size and the
// screen's available size.
struct WindowState
{
    // Of the window when not maximized.
    QSize size;
    bool maximized = false;
};

// The store's file.
QString windowStatePath();

// The stored state, fitted: a missing or unreadable size is the minimum, a
// dimension below the minimum takes the minimum's, one beyond the
// available size (when that is valid) is cut to it; the minimum wins over
// the available size. Anything but "true" or "1" is not maximized.
WindowState readWindowState(const QSize& minimum, const QSize& available);

// Writes the state; false when the file could not be written.
bool writeWindowState(const WindowState& state);

// The size a window takes from a stored size (invalid: unreadable).
QSize fittedWindowSize(const QSize& stored, const QSize& minimum, const QSize& available);
