#include "ElevatorParamPage.h"

namespace {

const ParamPageProfile kElevator{
    .pageIndex = ElevatorParamPage::kIndex,
    .objectName = QStringLiteral("elevatorParamPage"),
    .valueColumnWidth = 60,
    .descriptionColumnWidth = 300,
    .cardButton = true,
    .controller = params::kElevatorController,
    .readFailure = QStringLiteral("通讯失败，请刷新!"),
    .endsOnTabChoice = true,
    .checksPeer = false,
    .editors = kElevatorEditors,
    .fileName = QStringLiteral("电梯参数"),
    .fileFilter = QStringLiteral("电梯参数(*.F)|*.F||"),
};

} // namespace

ElevatorParamPage::ElevatorParamPage(PageHost& host, QWidget* parent) : ParamPage(host, kElevator, parent)
{
}
