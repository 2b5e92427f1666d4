#include "ElevatorParamPage.h"

namespace {

const ParamPageProfile kElevator{
    .pageIndex = ElevatorParamPage::kIndex,
    .objectName = QStringLiteral("elevatorParamPage"),
    .valueColumnWidth = 60,
    .descriptionColumnWidth = 300,
    .cardButton = true,
    .fixedLayout = nullptr,
    .settleMs = 0,
    .readTries = {.tries = 2, .waitMs = 50, .wanted = 20},
    .shortestReply = 0,
    .skipUnusable = false,
    .readFailure = QStringLiteral("通讯失败，请刷新!"),
    .endsOnTabChoice = true,
    .editors = kElevatorEditors,
    .rereadTries = {.tries = 2, .waitMs = 50, .wanted = 20},
    .fileName = QStringLiteral("电梯参数"),
    .fileFilter = QStringLiteral("电梯参数(*.F)|*.F||"),
    .importFlagIndex = 5,
};

} // namespace

ElevatorParamPage::ElevatorParamPage(PageHost& host, QWidget* parent) : ParamPage(host, kElevator, parent)
{
}
