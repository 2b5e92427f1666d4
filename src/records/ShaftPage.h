#pragma once

#include "Page.h"
#include "ShaftChains.h"

#include <QString>

#include <array>

class QLineEdit;
class QPushButton;
class ReportList;

// Page 2, "井道数据": the shaft data the controller learnt. Every time the
// page is shown it reads the floor count, the position of every floor into
// the list and the five switch values into the edits. "自学习" starts the
// controller's shaft self-learning run; "刷新" reads everything again.
class ShaftPage : public Page
{
    Q_OBJECT

public:
    static constexpr int kIndex = 2;
    static constexpr int kSwitchValues = records::kShaftSwitchValues;

    explicit ShaftPage(PageHost& host, QWidget* parent = nullptr);

    void activate() override;

    ReportList* floorList() const { return list_; }
    // The edits of shaft values 49 to 53, in that order.
    QLineEdit* switchEdit(int i) const { return edits_[size_t(i)]; }
    QPushButton* learnButton() const { return learnButton_; }
    QPushButton* refreshButton() const { return refreshButton_; }

private:
    bool readShaftData();
    void startLearning();
    void refresh();

    ReportList* list_ = nullptr;
    std::array<QLineEdit*, kSwitchValues> edits_{};
    // What the edits show after a read; a value without reply keeps its text.
    std::array<QString, kSwitchValues> switchTexts_;
    QPushButton* learnButton_ = nullptr;
    QPushButton* refreshButton_ = nullptr;
};
