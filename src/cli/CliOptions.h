#pragma once

#include "Identity.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

namespace cli {

// Exit status of every command: 0 success, 1 a failure (no reply, a
// refused or unconfirmed record, a file that cannot be read or is not a
// parameter set), 2 a usage error, 130 interrupted (Ctrl+C, SIGTERM).
// `params diff` answers as diff(1): 0 the same, 1 different, 2 trouble.
enum Exit { kSuccess = 0, kFailure = 1, kUsage = 2, kInterrupted = 130 };

struct CommandEntry;

// A parameter set file's layout chosen with --layout.
enum class FileLayout { Layout173, Layout114, Door };

// The command line taken apart. Options not given stay unset; the link's
// defaults come from the stored link settings when the link is opened.
struct CliOptions
{
    const CommandEntry* command = nullptr;
    QStringList arguments;  // the command's own positional arguments

    // The link.
    std::optional<QString> port;  // "COMn" or a device path
    std::optional<int> baud;
    std::optional<char> parity;
    std::optional<int> dataBits;
    std::optional<int> stopBits;
    std::optional<char> special;

    bool door = false;
    bool json = false;
    bool bom = false;
    bool quiet = false;
    bool yes = false;
    QString csvPath;         // a file, or "-" for stdout
    QString outputPath;      // params read -o
    bool fast = false;
    int gapMs = 10;
    bool verify = false;
    bool force = false;
    bool partial = false;
    QList<std::pair<int, int>> exclude;  // index ranges, both ends included
    int retries = 2;
    std::optional<FileLayout> layout;
    int count = 0;           // watch: 0 runs until interrupted
    qint64 durationMs = 0;   // record: 0 runs until interrupted
    bool vcd = false;        // record export
    QString controller;      // history: a controller's key, elevator ID or name
    QString server;          // history sync: a libpq connection string
    bool noSnapshot = false; // params write: no snapshot of what it replaces
    identity::ClockFields clock{};  // clock set

    bool excluded(int index) const;
};

// What the command line asks for: a command to run, a help text, the
// version, or a usage error (its text in `error`).
struct ParsedCommandLine
{
    enum class Kind { Run, Help, Version, UsageError };
    Kind kind = Kind::Run;
    CliOptions options;
    QString error;
    QString help;  // the help asked for
};

// Takes the arguments after the program name apart. Options may stand
// before, between or after the command words; "--name=value" and
// "--name value" are both taken, and "--" ends the options.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

// The general help (--help), one command's, or a command group's
// ("vardo-cli help params").
QString helpText();
QString commandHelp(const CommandEntry& command);

} // namespace cli
