#pragma once

// The application: runs the main window modally and ends the program when
// it closes.
class ToolApp
{
public:
    // Runs the whole program; the exit code.
    int run(int& argc, char** argv);
};
