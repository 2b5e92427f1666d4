#include "RegistryKey.h"

#include "ConfigFolder.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace {
const QString kSoftware = QStringLiteral("Software");
const QString kVardo = QStringLiteral("Software\\VARDOCOM");

bool readLimited(const QSettings& settings, const QString& name, QString& out)
{
    if (!settings.contains(name))
        return false;
    const QString value = settings.value(name).toString();
    if (value.toUtf8().size() + 1 > RegistryKey::kReadLimit)
        return false;
    out = value;
    return true;
}
} // namespace

QString RegistryKey::join(const QString& base, const QString& subkey)
{
    QString key = subkey;
    key.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return base.isEmpty() ? key : base + QLatin1Char('\\') + key;
}

#ifdef Q_OS_WIN

bool RegistryKey::exists(const QString& path) const
{
    const int cut = path.lastIndexOf(QLatin1Char('\\'));
    const QString parent = QStringLiteral("HKEY_CURRENT_USER\\") + path.left(cut < 0 ? 0 : cut);
    QSettings settings(parent, QSettings::NativeFormat);
    return settings.childGroups().contains(path.mid(cut + 1), Qt::CaseInsensitive);
}

QString RegistryKey::storePath() const
{
    return QStringLiteral("HKEY_CURRENT_USER\\") + held_;
}

bool RegistryKey::createKey(const QString& subkey)
{
    const QString path = join(held_, subkey);
    QSettings settings(QStringLiteral("HKEY_CURRENT_USER\\") + path, QSettings::NativeFormat);
    settings.setValue(QStringLiteral("."), QString());
    settings.remove(QStringLiteral("."));
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return false;
    held_ = path;
    return true;
}

bool RegistryKey::readString(const QString& name, QString& out) const
{
    if (!isOpen())
        return false;
    QSettings settings(storePath(), QSettings::NativeFormat);
    return readLimited(settings, name, out);
}

bool RegistryKey::writeString(const QString& name, const QString& text)
{
    if (!isOpen() || text.size() > kWriteLimit)
        return false;
    QSettings settings(storePath(), QSettings::NativeFormat);
    settings.setValue(name, text);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

#else

// Only the tool's own key and its parent exist in the file-backed store.
bool RegistryKey::exists(const QString& path) const
{
    if (path.compare(kSoftware, Qt::CaseInsensitive) == 0)
        return true;
    if (path.compare(kVardo, Qt::CaseInsensitive) == 0)
        return QFile::exists(vardoConfigFolder() + QStringLiteral("/settings.ini"));
    return false;
}

QString RegistryKey::storePath() const
{
    return vardoConfigFolder() + QStringLiteral("/settings.ini");
}

bool RegistryKey::createKey(const QString& subkey)
{
    const QString path = join(held_, subkey);
    if (path.compare(kSoftware, Qt::CaseInsensitive) == 0) {
        held_ = path;
        return true;
    }
    if (path.compare(kVardo, Qt::CaseInsensitive) != 0)
        return false;
    if (!QDir().mkpath(vardoConfigFolder()))
        return false;
    QFile file(storePath());
    if (!file.exists() && !file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    held_ = path;
    return true;
}

bool RegistryKey::readString(const QString& name, QString& out) const
{
    if (held_.compare(kVardo, Qt::CaseInsensitive) != 0)
        return false;
    const QSettings settings(storePath(), QSettings::IniFormat);
    return readLimited(settings, name, out);
}

bool RegistryKey::writeString(const QString& name, const QString& text)
{
    if (held_.compare(kVardo, Qt::CaseInsensitive) != 0 || text.size() > kWriteLimit)
        return false;
    QSettings settings(storePath(), QSettings::IniFormat);
    settings.setValue(name, text);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

#endif

bool RegistryKey::openKey(const QString& subkey)
{
    const QString path = join(held_, subkey);
    if (!exists(path))
        return false;
    held_ = path;
    return true;
}

void RegistryKey::closeKey()
{
    held_.clear();
}
