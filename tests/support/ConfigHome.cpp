#include "ConfigHome.h"

#include "ConfigFolder.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>

ConfigHome::ConfigHome()
    : previous_(qgetenv("XDG_CONFIG_HOME")), hadPrevious_(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")),
      previousData_(qgetenv("XDG_DATA_HOME")), hadPreviousData_(qEnvironmentVariableIsSet("XDG_DATA_HOME"))
{
    qputenv("XDG_CONFIG_HOME", dir_.path().toUtf8());
    qputenv("XDG_DATA_HOME", (dir_.path() + QStringLiteral("/data")).toUtf8());
}

ConfigHome::~ConfigHome()
{
    if (hadPrevious_)
        qputenv("XDG_CONFIG_HOME", previous_);
    else
        qunsetenv("XDG_CONFIG_HOME");
    if (hadPreviousData_)
        qputenv("XDG_DATA_HOME", previousData_);
    else
        qunsetenv("XDG_DATA_HOME");
}

void ConfigHome::linkPort(int n, const QString& device) const
{
    QDir().mkpath(vardoPortFolder());
    const QString link = vardoPortFolder() + QStringLiteral("/com%1").arg(n);
    QFile::remove(link);
    QFile::link(device, link);
}

void ConfigHome::linkMissingPort(int n) const
{
    linkPort(n, dir_.path() + QStringLiteral("/no-such-device"));
}

void ConfigHome::writeSettings(const char* comwhole, const char* combaud, const char* comdoorbaud,
                               const char* specialcode) const
{
    QDir().mkpath(vardoConfigFolder());
    const QString file = vardoConfigFolder() + QStringLiteral("/settings.ini");
    QFile::remove(file);
    QSettings settings(file, QSettings::IniFormat);
    const auto put = [&settings](const char* name, const char* value) {
        if (value)
            settings.setValue(QLatin1String(name), QString::fromUtf8(value));
    };
    put("comwhole", comwhole);
    put("combaud", combaud);
    put("comdoorbaud", comdoorbaud);
    put("specialcode", specialcode);
    settings.sync();
    if (!QFile::exists(file)) {
        QFile touch(file);
        touch.open(QIODevice::WriteOnly);
    }
}

void ConfigHome::removeSettings() const
{
    QFile::remove(vardoConfigFolder() + QStringLiteral("/settings.ini"));
}
