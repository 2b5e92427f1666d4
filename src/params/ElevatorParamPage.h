#pragma once

#include "ParamPage.h"

// Page 5, "电梯参数": the elevator controller's parameters in the layout its
// reply to the layout probe shows (173 or 114), each edited in the dialog
// its index calls for; a click on another tab ends a read-all early.
class ElevatorParamPage : public ParamPage
{
    Q_OBJECT

public:
    static constexpr int kIndex = 5;
    explicit ElevatorParamPage(PageHost& host, QWidget* parent = nullptr);
};
