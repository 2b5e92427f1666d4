#pragma once

#include "HistoryRecords.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace history {

// One parameter two sets hold differently (or one of them not at all).
struct DiffRow
{
    int index = 0;
    std::optional<int> number;  // the controller's own number, when either set knows it
    QString description;
    std::optional<unsigned> oldValue;
    std::optional<unsigned> newValue;

    // "编号", "说明", "旧值", "新值": "F12" (or "-"), the description, the
    // values ("-" for a parameter a set does not hold).
    QStringList texts() const;
};

// The rows whose values differ, in index order; descriptions from the
// layout's table.
QList<DiffRow> diffParameters(const QList<KeptParameter>& older, const QList<KeptParameter>& newer, SetLayout layout);

// The headings of the rows' texts.
QStringList diffHeadings();

} // namespace history
