#pragma once

#include "ConfigHome.h"
#include "ElevatorParamPage.h"
#include "PageTestHost.h"
#include "RecordingPrompts.h"
#include "ReportList.h"
#include "SimController.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

// What the read-all benchmarks time: the elevator parameter page in a test
// host on the simulated controller, linked as COM1 in a private
// configuration folder, with the channel open.
class ElevatorReadAll
{
public:
    explicit ElevatorReadAll(const SimOptions& options = {}) : sim_(options)
    {
        sim_.linkAs(1);
        page_ = new ElevatorParamPage(host_);
        host_.addPage(page_);
        host_.show();
        if (!host_.openChannel(1)) {
            std::fprintf(stderr, "cannot open the simulated controller's port\n");
            std::exit(1);
        }
    }

    PageTestHost& host() { return host_; }
    SimController& sim() { return sim_; }
    int rows() const { return page_->list()->rowCount(); }

    // Shows the page, which reads every parameter; the milliseconds it took.
    double timeReadAll()
    {
        QElapsedTimer clock;
        clock.start();
        host_.showPage(ElevatorParamPage::kIndex);
        return double(clock.nsecsElapsed()) / 1e6;
    }

private:
    ConfigHome home_;
    SimController sim_;
    // A read that fails tells it in a box: answered, not waited for.
    RecordingPrompts prompts_;
    PageTestHost host_;
    ElevatorParamPage* page_ = nullptr;
};
