#pragma once

#include <QString>
#include <QTemporaryDir>

// Points XDG_CONFIG_HOME (and XDG_DATA_HOME, at a folder "data" in it) at
// a fresh temporary folder for the lifetime of the object, so a test never
// touches the user's settings, port links, recordings or service record.
class ConfigHome
{
public:
    ConfigHome();
    ~ConfigHome();
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

    QString path() const { return dir_.path(); }

    // Makes COMn name `device` (the link comN in the port folder).
    void linkPort(int n, const QString& device) const;
    // Makes COMn a port that does not exist.
    void linkMissingPort(int n) const;
    // Writes settings.ini with the given raw values (absent when null).
    void writeSettings(const char* comwhole, const char* combaud, const char* comdoorbaud,
                       const char* specialcode) const;
    void removeSettings() const;

private:
    QTemporaryDir dir_;
    QByteArray previous_;
    bool hadPrevious_;
    QByteArray previousData_;
    bool hadPreviousData_;
};
