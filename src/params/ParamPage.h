#pragma once

#include "Exchange.h"
#include "FieldValidation.h"
#include "Page.h"
#include "ParamLayout.h"

#include <QString>

#include <optional>
#include <span>

class ReportList;

// What sets one parameter page apart from the other; the rest is ParamPage.
struct ParamPageProfile
{
    int pageIndex;
    QString objectName;
    int valueColumnWidth;
    int descriptionColumnWidth;
    bool cardButton;  // "IC卡授权"

    // Read-all. Without a fixed layout the layout probe chooses one.
    const ParamLayout* fixedLayout;
    int settleMs;      // before the first read
    Tries readTries;
    int shortestReply; // a reply with fewer characters is unusable
    // An unusable reply (something read, refused) leaves the parameter out
    // and reading goes on; otherwise any failure ends the read-all.
    bool skipUnusable;
    QString readFailure;  // shown when a failure ends the read-all; empty: nothing
    // A click on another tab ends the read-all after the current parameter.
    bool endsOnTabChoice;

    // Edit: the editors by index (any other: the value entry dialog) and the
    // tries of the re-read that follows.
    std::span<const EditorRange> editors;
    Tries rereadTries;

    // Parameter set files.
    QString fileName;
    QString fileFilter;
    int importFlagIndex;  // where an import reply says 'F' (written)
};

// A list of every parameter of a controller with value and description,
// read when the page is shown while the list is empty. A double click edits
// one parameter (write, then read back); the buttons reset all parameters
// to defaults, read all again, save the list to a parameter set file, write
// such a file into the controller, and (elevator) authorise IC cards.
class ParamPage : public Page
{
    Q_OBJECT

public:
    ParamPage(PageHost& host, const ParamPageProfile& profile, QWidget* parent = nullptr);

    void activate() override;
    void deactivate() override;

    ReportList* list() const { return list_; }
    bool reading() const { return reading_; }
    // Valid after a read-all: the layout the controller uses.
    const ParamLayout& layout() const { return layout_; }
    bool extendedLayout() const { return layout_.table == ParamTable::Layout173; }

    // The actions of the double click and the buttons.
    void editSelected();
    void refresh();
    void resetParameters();
    void saveFile();
    void importFile();

private:
    void readAll();
    std::optional<ParamLayout> readLayout();
    void appendRow(int index);
    bool editValue(int index, int row);
    bool editBitMask(int index, int row);
    bool editDisplayCode(int index, int row);
    bool editLockout(int index, int row);
    void writeParameter(const Tries& tries);
    void rereadParameter(int index);
    void openCardDialog();

    const ParamPageProfile& profile_;
    ReportList* list_ = nullptr;
    ParamLayout layout_;
    bool reading_ = false;
};

// A value typed for a parameter: a whole decimal number from 0 to 65535,
// blanks around it allowed; anything else is refused with the range message.
FieldCheck checkParameterValue(const QString& text);
