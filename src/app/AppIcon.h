#pragma once

#include <QIcon>

// The tool's icon: an elevator car between up and down arrows, drawn in
// several sizes.
QIcon appIcon();
