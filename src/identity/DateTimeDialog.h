#pragma once

#include "Identity.h"

#include <QDialog>

#include <array>

class QLineEdit;

// The modal dialog in which the user edits the controller's clock: six
// fields, year within the century, month and day in one row, hour, minute
// and second in the row below. OK takes them in that order, each an
// unsigned decimal number within its range (0 to 99, 12, 31, 23, 59, 59;
// month and day 0 included); the first one refused keeps the dialog open
// with the field focused, and nothing is taken. Cancel leaves the values
// as they were set. "电脑时间" fills the fields with the PC's local time,
// to be confirmed with OK.
class DateTimeDialog : public QDialog
{
    Q_OBJECT

public:
    explicit DateTimeDialog(QWidget* parent = nullptr);
    ~DateTimeDialog() override;

    // Shows the values as plain decimal numbers.
    void setValues(const identity::ClockFields& values);
    identity::ClockFields values() const { return values_; }

    // The edit of field i (0 year .. 5 second).
    QLineEdit* field(int i) const { return edits_[size_t(i)]; }

public Q_SLOTS:
    void accept() override;

private:
    void showFields(const identity::ClockFields& values);
    void fillWithPcTime();

    std::array<QLineEdit*, 6> edits_{};
    identity::ClockFields values_{};
};
