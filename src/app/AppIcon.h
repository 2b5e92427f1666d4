#pragma once

#include <QIcon>
#include <QImage>

// The tool's icon: an elevator car between up and down arrows, drawn in
// several sizes.
QIcon appIcon();

// The icon drawn at size x size pixels on a transparent image. Needs no
// application object: the image generator draws the installed icon files
// with it.
QImage appIconImage(int size);
