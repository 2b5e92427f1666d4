#pragma once

#include <optional>

// The application: runs the main window modally and ends the program when
// it closes.
class ToolApp
{
public:
    // Runs the whole program; the exit code.
    int run(int& argc, char** argv);

private:
    // Answers --help and --version; the exit code when one was given.
    // Runs before the QApplication exists, so neither needs a display.
    // Other arguments are left to QApplication (-platform, -style, ...).
    static std::optional<int> answerInformationOptions(int argc, char** argv);
};
