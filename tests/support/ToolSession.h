#pragma once

#include "ConfigHome.h"
#include "MainDialog.h"
#include "RecordingPrompts.h"
#include "SimController.h"

#include <memory>

// The main window on the simulated controller, for one test function: a
// settings folder of its own, recorded prompts, the simulator on COM1 and
// the window. Made in init() and dropped in cleanup(); dropping closes the
// window, then the port, then the simulator.
class ToolSession
{
public:
    ToolSession();
    ~ToolSession();

    // Writes the line settings and links the simulator as COM1 (once).
    SimController& linkSim(const SimOptions& options = {});
    // Links the simulator when none is, then shows and starts the window.
    void start(const SimOptions& options = {});

    ConfigHome& home() { return home_; }
    RecordingPrompts& prompts() { return prompts_; }
    SimController& sim() { return *sim_; }
    MainDialog& tool() { return *tool_; }

private:
    ConfigHome home_;
    RecordingPrompts prompts_;
    std::unique_ptr<SimController> sim_;
    std::unique_ptr<MainDialog> tool_;
};
