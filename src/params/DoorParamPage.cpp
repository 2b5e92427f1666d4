#include "DoorParamPage.h"

namespace {

const ParamPageProfile kDoor{
    .pageIndex = DoorParamPage::kIndex,
    .objectName = QStringLiteral("doorParamPage"),
    .valueColumnWidth = 50,
    .descriptionColumnWidth = 330,
    .cardButton = false,
    .fixedLayout = &kDoorLayout,
    .settleMs = 100,
    .readTries = {.tries = 1, .waitMs = 50, .wanted = 20},
    .shortestReply = 12,
    .skipUnusable = true,
    .readFailure = QString(),
    .endsOnTabChoice = false,
    .editors = {},
    .rereadTries = {.tries = 2, .waitMs = 50, .wanted = 20, .beforeMs = 50},
    .fileName = QStringLiteral("门机参数"),
    .fileFilter = QStringLiteral("门机参数(*.F)|*.F||"),
    .importFlagIndex = 7,
};

} // namespace

DoorParamPage::DoorParamPage(PageHost& host, QWidget* parent) : ParamPage(host, kDoor, parent)
{
}
