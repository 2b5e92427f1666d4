#pragma once

#include <QSize>
#include <QSizeF>

class QFont;

// Pixels of one dialog unit in a font: a quarter of the average character
// width across and an eighth of the line height down, kept between 1.5 and
// 2 pixels so that layouts measured in dialog units keep their proportions.
QSizeF dialogUnitScale(const QFont& font);

// A size given in dialog units, in pixels of font.
QSize dialogUnitsToPixels(const QFont& font, int width, int height);
