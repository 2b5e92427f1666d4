#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The commands: each group's file lists its own with what they take and
// what they do; the command line, the help texts and the dispatch read the
// one list. A new group adds its list to allCommands().
namespace cli {

struct CliOptions;

struct CommandEntry
{
    QStringList words;          // "params", "read"
    QString argumentNames;      // "FILE", "N VALUE"; empty when none
    int minArguments = 0;
    int maxArguments = 0;       // -1: any number
    QStringList options;        // beyond --quiet (and the link options)
    bool usesLink = true;       // talks to a controller: the link options apply
    QString summary;            // one line for the command list
    QString details;            // more, for the command's own help
    int (*run)(const CliOptions&) = nullptr;
    // Checks and takes the positional arguments; the usage error's text, or
    // empty when they are taken.
    QString (*takeArguments)(CliOptions&) = nullptr;

    QString name() const { return words.join(QLatin1Char(' ')); }
};

QList<CommandEntry> identityCommands();
QList<CommandEntry> faultCommands();
QList<CommandEntry> paramCommands();
QList<CommandEntry> paramFileCommands();
QList<CommandEntry> shaftCommands();
QList<CommandEntry> watchCommands();
QList<CommandEntry> recordCommands();
QList<CommandEntry> historyCommands();

const QList<CommandEntry>& allCommands();

} // namespace cli
