#pragma once

#include "Identity.h"
#include "Page.h"

#include <QTimer>

class QLabel;
class QLineEdit;
class QPushButton;

// Page 1, "一般参数": the controller's program name, elevator ID, telephone
// number, run count and clock. Each activation reads all five, two tries
// a value and one for the clock; after a complete read a 1000 ms timer
// writes 'A' '9' while the page is shown, and its replies keep the clock
// ticking. Buttons set the ID, the telephone number and the clock, reset
// the run counter or read everything again; each ends by reading all
// values again.
class GeneralPage : public Page
{
    Q_OBJECT

public:
    static constexpr int kIndex = 1;
    static constexpr int kClockMs = 1000;

    explicit GeneralPage(PageHost& host, QWidget* parent = nullptr);
    ~GeneralPage() override;

    void activate() override;
    void deactivate() override;
    void frameArrived() override;
    void linkRestored() override;

    bool clockRunning() const { return clockTimer_.isActive(); }
    const identity::IdentityValues& values() const { return values_; }

private:
    bool readAll();
    void showValues();
    void showDisplayOnly();
    void tick();
    void setElevatorId();
    void setTelephone();
    void resetRunCounter();
    void setClock();
    bool sendable(QLineEdit* edit, const QString& refusal);

    identity::IdentityValues values_;
    QLineEdit* programNameEdit_ = nullptr;
    QLineEdit* elevatorIdEdit_ = nullptr;
    QLineEdit* telephoneEdit_ = nullptr;
    QLineEdit* runCountEdit_ = nullptr;
    QLabel* clockText_ = nullptr;
    QTimer clockTimer_;
    // After a reconnection: text the user typed and has not sent stays.
    bool keepTyped_ = false;
};
