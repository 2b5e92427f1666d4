#include "DialogUnits.h"

#include <QFont>
#include <QFontMetricsF>

#include <algorithm>
#include <cmath>

QSizeF dialogUnitScale(const QFont& font)
{
    const QFontMetricsF metrics(font);
    // The average width over the Latin letters, as dialog templates count it.
    const qreal average =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
    const qreal x = std::clamp(average / 4.0, 1.5, 2.0);
    const qreal y = std::clamp(metrics.height() / 8.0, 1.5, 2.0);
    return {x, y};
}

QSize dialogUnitsToPixels(const QFont& font, int width, int height)
{
    const QSizeF scale = dialogUnitScale(font);
    return {int(std::lround(width * scale.width())), int(std::lround(height * scale.height()))};
}
