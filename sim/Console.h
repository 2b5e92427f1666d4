#pragma once

#include <QString>

class SimController;

// The commands a terminal user types to the running simulator: look at the
// elevator, register calls, switch modes, cause faults, read and change
// parameters, and ask the controllers anything in the line's own terms.
class Console
{
public:
    explicit Console(SimController& sim) : sim_(sim) {}

    // Runs one command line; returns what to print. Sets *quit for "quit".
    QString execute(const QString& line, bool* quit);
    static QString help();

private:
    QString status() const;

    SimController& sim_;
};
