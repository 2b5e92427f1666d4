#pragma once

#include "SimTypes.h"

#include <QString>
#include <QStringList>

// The options of vardo-sim.
struct CommandLine
{
    SimOptions options;
    int com = 0;            // n of COMn; 0 when not given
    bool help = false;
    bool version = false;
    bool console = true;    // read commands from standard input
    QString error;          // set when the arguments are not understood
};

// Parses the arguments (without the program name).
CommandLine parseCommandLine(const QStringList& arguments);

// The text of --help.
QString helpText();

// The text of --version: the program's name and the project's version.
QString versionText();
