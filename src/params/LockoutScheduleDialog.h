#pragma once

#include "DialogValues.h"

#include <QDialog>

#include <optional>
#include <vector>

class QCheckBox;
class ReportList;

// Per-floor lock-out periods and the switch of the function. Opening reads
// the floor count and every floor's period from the controller; editing
// changes the list only; OK writes every floor whose period is known and
// closes (a floor that is not confirmed keeps it open), Cancel sends
// nothing.
class LockoutScheduleDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LockoutScheduleDialog(int lockoutEnabled, QWidget* parent = nullptr);

    // Reads the periods, runs modally; on OK lockoutEnabled holds the check
    // box state (0 or 1), on Cancel the value given to the constructor.
    int exec() override;

    int lockoutEnabled;

    QCheckBox* enabledBox() const { return enabledBox_; }
    ReportList* floorList() const { return floorList_; }

    // Opens the period dialog for a row and takes its times on OK (what a
    // double click on the row does).
    void editRow(int row);

private:
    struct Row
    {
        int floor;
        std::optional<params::LockoutPeriod> period;  // nothing: not read
    };

    void readPeriods();
    std::optional<int> writePeriods();
    void showPeriod(int row);
    void accept() override;

    QCheckBox* enabledBox_ = nullptr;
    ReportList* floorList_ = nullptr;
    std::vector<Row> rows_;
};
