#pragma once

#include <QPixmap>

// The images built into the program for the live pages, loaded once.
namespace monitor {

// Lamp sheet: 48 x 128, cells of 16 x 16 at x = 16 * state, y = colour row
// + shape offset; transparent around the lamps.
const QPixmap& lampSheet();
// Arrow strip: 112 x 21, cells of 16 x 21 at x = 16 * cell.
const QPixmap& arrowStrip();

} // namespace monitor
