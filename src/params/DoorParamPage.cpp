#include "DoorParamPage.h"

namespace {

const ParamPageProfile kDoor{
    .pageIndex = DoorParamPage::kIndex,
    .objectName = QStringLiteral("doorParamPage"),
    .valueColumnWidth = 50,
    .descriptionColumnWidth = 330,
    .cardButton = false,
    .controller = params::kDoorController,
    .readFailure = QStringLiteral("通讯失败，请刷新!"),
    .endsOnTabChoice = false,
    .checksPeer = true,
    .editors = {},
    .fileName = QStringLiteral("门机参数"),
    .fileFilter = QStringLiteral("门机参数(*.F)|*.F||"),
};

} // namespace

DoorParamPage::DoorParamPage(PageHost& host, QWidget* parent) : ParamPage(host, kDoor, parent)
{
}
