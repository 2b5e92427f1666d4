#include "RecorderSettings.h"

#include "ConfigFolder.h"

#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace recorder {

RecorderSettings RecorderSettings::read()
{
    const QSettings settings(vardoConfigFolder() + QStringLiteral("/settings.ini"), QSettings::IniFormat);
    RecorderSettings s;
    bool ok = false;
    const int minutes = settings.value(QStringLiteral("recorder/minutes")).toString().trimmed().toInt(&ok);
    if (ok)
        s.minutes = std::clamp(minutes, kLeastMinutes, kMostMinutes);
    const QString files = settings.value(QStringLiteral("recorder/faultfiles")).toString().trimmed().toLower();
    if (files == QLatin1String("false") || files == QLatin1String("0") || files == QLatin1String("off") ||
        files == QLatin1String("no"))
        s.faultFiles = false;
    s.faultFolder = faultFileFolder();
    return s;
}

QString faultFileFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/VARDOCOM/recordings");
}

} // namespace recorder
