#pragma once

#include <QDialog>

class QLineEdit;

// The lock-out period of one floor: start and end as hour and minute.
// OK takes the fields in the order start hour, start minute, end hour,
// end minute and refuses a value outside 0..23 or 0..59.
class FloorPeriodDialog : public QDialog
{
    Q_OBJECT
public:
    FloorPeriodDialog(unsigned startHour, unsigned startMinute, unsigned endHour,
                      unsigned endMinute, QWidget* parent = nullptr);

    // Copies the members into the fields, runs modally, copies back on OK.
    int exec() override;

    unsigned startHour;
    unsigned startMinute;
    unsigned endHour;
    unsigned endMinute;

    QLineEdit* startHourEdit() const { return startHourEdit_; }
    QLineEdit* startMinuteEdit() const { return startMinuteEdit_; }
    QLineEdit* endHourEdit() const { return endHourEdit_; }
    QLineEdit* endMinuteEdit() const { return endMinuteEdit_; }

private:
    void accept() override;

    QLineEdit* startHourEdit_ = nullptr;
    QLineEdit* startMinuteEdit_ = nullptr;
    QLineEdit* endHourEdit_ = nullptr;
    QLineEdit* endMinuteEdit_ = nullptr;
};
