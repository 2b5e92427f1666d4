#pragma once

#include <QString>

class QSqlError;

namespace history {

// Why a store could not be used. The tool goes on without history and
// says so once, in these words.
struct StoreProblem
{
    enum class Kind {
        None,
        NoDriver,     // Qt's SQL driver for the engine is not installed
        CannotOpen,   // the file or server cannot be reached
        Locked,       // another program holds the file
        Damaged,      // not a database, or a corrupt one
        NewerSchema,  // written by a newer VARDO
        Refused,      // the connection string holds a password
        Failed,       // any other error of the database
    };
    Kind kind = Kind::None;
    QString where;   // the file, or the server's connection string
    QString detail;  // the database's own words

    explicit operator bool() const { return kind != Kind::None; }

    // The kind a database error stands for (Failed when none fits better).
    static StoreProblem of(const QSqlError& error, const QString& where);
};

// The window's message: what is wrong, where, and that the tool works on
// without history (of the local store; a server's says only what is wrong).
QString problemText(const StoreProblem& problem, bool localStore = true);
// The command line's one error line, in English.
QString problemLine(const StoreProblem& problem);

} // namespace history
