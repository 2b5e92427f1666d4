#pragma once

#include "ConfigHome.h"
#include "PageTestHost.h"
#include "RecordingPrompts.h"
#include "SimController.h"

// A page test's world, made in this order and removed in reverse: a
// private configuration folder, the simulated controller linked as COM1,
// the message recorder, and the page host in the main window's place.
class SimBench
{
public:
    explicit SimBench(const SimOptions& options = {}) : sim(options) { sim.linkAs(1); }

    // Shows the host and opens the channel on COM1; false when either failed.
    bool open();

    ConfigHome home;
    SimController sim;
    RecordingPrompts prompts;
    PageTestHost host;
};
