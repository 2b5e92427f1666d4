#include "PageFactory.h"

#include "DoorParamPage.h"
#include "ElevatorParamPage.h"
#include "EmptyPage.h"
#include "FaultPage.h"
#include "GeneralPage.h"
#include "IoPage.h"
#include "ShaftPage.h"
#include "StatusPage.h"

namespace pages {

namespace {
PageMaker& pageMaker()
{
    static PageMaker maker;
    return maker;
}
} // namespace

QString caption(int index)
{
    switch (index) {
    case 0: return QStringLiteral("电梯状态");
    case 1: return QStringLiteral("一般参数");
    case 2: return QStringLiteral("井道数据");
    case 3: return QStringLiteral("I/O状态");
    case 4: return QStringLiteral("故障代码");
    case 5: return QStringLiteral("电梯参数");
    case 6: return QStringLiteral("门机参数");
    default: return {};
    }
}

Page* create(int index, PageHost& host, QWidget* parent)
{
    if (pageMaker())
        return pageMaker()(index, host, parent);
    switch (index) {
    case 0:
        return new StatusPage(host, parent);
    case 1:
        return new GeneralPage(host, parent);
    case 3:
        return new IoPage(host, parent);
    case 2:
        return new ShaftPage(host, parent);
    case 4:
        return new FaultPage(host, parent);
    case 5:
        return new ElevatorParamPage(host, parent);
    case 6:
        return new DoorParamPage(host, parent);
    default:
        return new EmptyPage(host, index, caption(index), parent);
    }
}

void setPageMaker(PageMaker maker)
{
    pageMaker() = std::move(maker);
}

} // namespace pages
