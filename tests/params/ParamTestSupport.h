#pragma once

#include "ConfigHome.h"
#include "MainDialog.h"
#include "ModalDialogs.h"
#include "PageTabCtrl.h"
#include "ParamPage.h"
#include "RecordingPrompts.h"
#include "ReportList.h"
#include "SimController.h"

#include <QByteArrayList>

#include <memory>

// The tool's main window on the simulated controllers, with the real
// parameter pages on tabs 5 and 6 and quiet placeholders on the others.
// COM1 at 9600 baud (door operator 38400), special code 'E'.
class ParamTool
{
public:
    explicit ParamTool(SimOptions options = {});
    ~ParamTool();
    ParamTool(const ParamTool&) = delete;
    ParamTool& operator=(const ParamTool&) = delete;

    SimController& sim() { return *sim_; }
    RecordingPrompts& prompts() { return prompts_; }
    ConfigHome& home() { return home_; }
    PageTabCtrl& tabs() { return *window_->pageHost(); }
    ParamPage& page(int index);
    ReportList& list(int index) { return *page(index).list(); }

    // Chooses a tab the way the user does: a click on it.
    void clickTab(int index);
    void clickButton(int page, const char* objectName);
    // Selects the row and double-clicks it.
    void doubleClickRow(int page, int row);

    // Payloads (command, sub-command, arguments) of the requests the
    // simulator received since the last clearRequests().
    QByteArrayList payloads() const;
    // The values of the simulated elevator controller / door operator.
    QList<unsigned> elevatorValues();
    QList<unsigned> doorValues();
    // Column 1 of every row of a page, as numbers.
    QList<unsigned> shownValues(int page);

private:
    ConfigHome home_;
    RecordingPrompts prompts_;
    std::unique_ptr<SimController> sim_;
    std::unique_ptr<MainDialog> window_;
};
