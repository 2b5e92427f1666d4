#pragma once

#include "Page.h"

// Stands in for a page whose content is not built yet: it holds its
// caption and does nothing when shown or sent a frame.
class EmptyPage : public Page
{
    Q_OBJECT

public:
    EmptyPage(PageHost& host, int index, const QString& caption, QWidget* parent = nullptr);

    void activate() override {}
};
