#include "ToolSession.h"

#include "PageTabCtrl.h"
#include "SerialChannel.h"

#include <QtTest>

ToolSession::ToolSession()
{
    // No exchange or door link is left over from a test before.
    doorLinkActive = 0;
    serialChannel.linkBusy = 0;
}

ToolSession::~ToolSession()
{
    tool_.reset();
    serialChannel.close();
    sim_.reset();
}

SimController& ToolSession::linkSim(const SimOptions& options)
{
    if (!sim_) {
        home_.writeSettings("1N81", "9600", "38400", "E");
        sim_ = std::make_unique<SimController>(options);
        sim_->linkAs(1);
    }
    return *sim_;
}

void ToolSession::start(const SimOptions& options)
{
    linkSim(options);
    tool_ = std::make_unique<MainDialog>();
    tool_->show();
    QVERIFY(QTest::qWaitForWindowExposed(tool_.get()));
    tool_->startUp();
    QVERIFY(tool_->pageHost()->hasPages());
}
