#pragma once

#include <QString>
#include <QStringList>

// The user guide, opened by F1 in the main window.

// Where the guide is looked for, in order: the copy installed with the
// program (<prefix>/share/doc/vardo/, as a page for the browser or as
// Markdown), and, when the program runs from its build folder, the page
// made there and the source docs/guide.md.
QStringList userGuidePlaces(const QString& programFolder);

// The first place that holds a file; empty when none does.
QString findUserGuide(const QStringList& places);

// What the box says when no place holds the guide.
QString userGuideMissingText(const QStringList& places);

// Opens the guide in the desktop's browser or viewer, or tells in a box
// where it looked.
void openUserGuide();
