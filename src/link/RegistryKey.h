#pragma once

#include <QString>

// The small store of the link settings, shaped like a registry key of the
// current user. On Windows it is HKEY_CURRENT_USER\Software\VARDOCOM; on
// other systems the INI file VARDOCOM/settings.ini in the user's
// configuration folder, where "Software" is that folder and the key
// "Software\VARDOCOM" exists when the file does.
class RegistryKey
{
public:
    static constexpr int kReadLimit = 200;   // bytes, NUL included
    static constexpr int kWriteLimit = 127;  // characters

    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { closeKey(); }

    // Opens subkey below the held key; a failure keeps the held key.
    bool openKey(const QString& subkey);
    // Creates or opens subkey below the held key.
    bool createKey(const QString& subkey);
    // False when the value is absent or longer than the read limit.
    bool readString(const QString& name, QString& out) const;
    bool writeString(const QString& name, const QString& text);
    void closeKey();

    bool isOpen() const { return !held_.isEmpty(); }

private:
    static QString join(const QString& base, const QString& subkey);
    bool exists(const QString& path) const;
    QString storePath() const;

    // Path of the held key below HKEY_CURRENT_USER; empty is the root.
    QString held_;
};
