#pragma once

#include "Page.h"

class QPushButton;
class ReportList;

// Page 4, "故障代码": the controller's fault records. Every time the page is
// shown it probes the record layout and reads the records into the list, in
// record order, leaving out empty slots. A double click shows the selected
// fault's description; "复位" clears the records on the controller, "刷新"
// reads them again.
class FaultPage : public Page
{
    Q_OBJECT

public:
    static constexpr int kIndex = 4;

    explicit FaultPage(PageHost& host, QWidget* parent = nullptr);

    void activate() override;

    // The layout of the records listed: true for the long records.
    bool extendedLayout() const { return extendedLayout_; }
    ReportList* recordList() const { return list_; }
    QPushButton* resetButton() const { return resetButton_; }
    QPushButton* refreshButton() const { return refreshButton_; }

private:
    void readRecords(bool afterRefresh);
    void showDescription();
    void resetRecords();
    void refresh();

    ReportList* list_ = nullptr;
    QPushButton* resetButton_ = nullptr;
    QPushButton* refreshButton_ = nullptr;
    bool extendedLayout_ = true;
};
