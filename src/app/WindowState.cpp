#include "WindowState.h"

#include "ConfigFolder.h"

#include <QDir>
#include <QSettings>

#include <optional>

namespace {

const QString kWidth = QStringLiteral("MainWindow/width");
const QString kHeight = QStringLiteral("MainWindow/height");
const QString kMaximized = QStringLiteral("MainWindow/maximized");

// A whole number in decimal; nothing for anything else (lists, blanks,
// fractions, numbers beyond int).
std::optional<int> storedNumber(const QSettings& settings, const QString& key)
{
    const QVariant value = settings.value(key);
    if (value.typeId() == QMetaType::QStringList)
        return std::nullopt;
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(number) : std::nullopt;
}

} // namespace

QString windowStatePath()
{
    return vardoConfigFolder() + QStringLiteral("/window.ini");
}

QSize fittedWindowSize(const QSize& stored, const QSize& minimum, const QSize& available)
{
    if (!stored.isValid())
        return minimum;
    QSize size = stored;
    if (available.isValid())
        size = size.boundedTo(available);
    return size.expandedTo(minimum);
}

WindowState readWindowState(const QSize& minimum, const QSize& available)
{
    const QSettings settings(windowStatePath(), QSettings::IniFormat);
    const std::optional<int> width = storedNumber(settings, kWidth);
    const std::optional<int> height = storedNumber(settings, kHeight);
    WindowState state;
    state.size = fittedWindowSize(width && height ? QSize(*width, *height) : QSize(), minimum, available);
    const QString maximized = settings.value(kMaximized).toString().trimmed();
    state.maximized = maximized.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0 || maximized == QLatin1String("1");
    return state;
}

bool writeWindowState(const WindowState& state)
{
    if (!QDir().mkpath(vardoConfigFolder()))
        return false;
    QSettings settings(windowStatePath(), QSettings::IniFormat);
    settings.setValue(kWidth, state.size.width());
    settings.setValue(kHeight, state.size.height());
    settings.setValue(kMaximized, state.maximized);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
