#pragma once

#include "ParamPage.h"

// Page 6, "门机参数": the door operator's 79 parameters, reached at the door
// operator's line rate (the page host switches it). A parameter whose reply
// is unusable has no row; the first read without any reply ends the
// read-all quietly. Every parameter is edited as a plain value.
class DoorParamPage : public ParamPage
{
    Q_OBJECT

public:
    static constexpr int kIndex = 6;
    explicit DoorParamPage(PageHost& host, QWidget* parent = nullptr);
};
