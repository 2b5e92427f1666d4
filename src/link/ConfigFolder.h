#pragma once

#include <QString>

// The tool's folder under the user's configuration folder
// ($XDG_CONFIG_HOME or ~/.config on Unix): it holds settings.ini and the
// port links.
QString vardoConfigFolder();

// Folder of the links comN that name the device behind COMn.
QString vardoPortFolder();
