#pragma once

#include "Identity.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace cli {

// Exit status of every command: 0 success, 1 a failure (no reply, a
// refused record, a file that cannot be read or is malformed), 2 a usage
// error. `params diff` answers as diff(1): 0 the same, 1 different, 2 trouble.
enum Exit { kSuccess = 0, kFailure = 1, kUsage = 2 };

enum class Command {
    Info,
    ClockSetNow,
    ClockSet,
    Faults,
    ParamsRead,
    ParamsWrite,
    ParamsShow,
    ParamsDiff,
    Watch,
    Record,
    RecordExport,
    HistoryList,
    HistoryShow,
    HistoryDiff,
    HistoryExport,
    HistoryNote,
    HistoryName,
    HistorySync,
    HistoryImport,
};

// A parameter set file's layout chosen with --layout.
enum class FileLayout { Layout173, Layout114, Door };

// The command line taken apart. Options not given stay unset; their
// defaults come from the stored link settings when the link is opened.
struct CliOptions
{
    Command command = Command::Info;
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
    bool csv = false;        // faults, params show, params diff
    QString csvPath;         // params read: a file, or "-" for stdout
    QString outputPath;      // params read -o
    bool fast = false;
    int gapMs = 10;
    bool verify = false;
    bool force = false;
    std::optional<FileLayout> layout;
    int count = 0;           // watch: 0 runs until interrupted
    qint64 durationMs = 0;   // record: 0 runs until interrupted
    bool vcd = false;        // record export
    bool bom = false;        // record export --csv: a byte order mark first
    QString controller;      // history: a controller's key, elevator ID or name
    QString server;          // history sync: a libpq connection string
    bool noSnapshot = false; // params write: no snapshot of what it replaces
    identity::ClockFields clock{};  // clock set
};

// What the command line asks for: a command to run, the help or the
// version, or a usage error (its text in `error`).
struct ParsedCommandLine
{
    enum class Kind { Run, Help, Version, UsageError };
    Kind kind = Kind::Run;
    CliOptions options;
    QString error;
};

// Takes the arguments after the program name apart. Options may stand
// before, between or after the command words; "--name=value" and
// "--name value" are both taken, and "--" ends the options.
ParsedCommandLine parseCommandLine(const QStringList& arguments);

// The text of --help.
QString helpText();

} // namespace cli
