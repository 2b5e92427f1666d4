#pragma once

#include "FieldValidation.h"
#include "Page.h"
#include "ParamChains.h"
#include "ParamLayout.h"

#include <QString>

#include <optional>
#include <span>

class QLineEdit;
class ReportList;

namespace params {
struct ImportPreview;
}

// What sets one parameter page apart from the other; the rest is ParamPage.
struct ParamPageProfile
{
    int pageIndex;
    QString objectName;
    int valueColumnWidth;
    int descriptionColumnWidth;
    bool cardButton;  // "IC卡授权"

    // How the controller's parameters are read and written.
    const params::ParamController& controller;
    QString readFailure;  // shown when a failure ends the read-all, the first read too
    // A click on another tab ends the read-all after the current parameter.
    bool endsOnTabChoice;

    // Edit: the editors by index (any other: the value entry dialog).
    std::span<const EditorRange> editors;

    // Parameter set files.
    QString fileName;
    QString fileFilter;
};

// A list of every parameter of a controller with value and description,
// read when the page is shown until a read-all has run to its end (a list
// that a failure or a tab choice cut short is read anew); a filter above it
// shows the rows whose number or description holds a text. A double click
// edits one parameter (write, then read back); the buttons reset all
// parameters to defaults (asked first), read all again, save the list to a
// parameter set file, write such a file into the controller (after a look
// at what it changes), and (elevator) authorise IC cards.
class ParamPage : public Page
{
    Q_OBJECT

public:
    ParamPage(PageHost& host, const ParamPageProfile& profile, QWidget* parent = nullptr);

    void activate() override;
    void deactivate() override;
    void linkRestored() override;

    ReportList* list() const { return list_; }
    QLineEdit* filterEdit() const { return filterEdit_; }
    bool reading() const { return reading_; }
    // The list holds the whole read-all: only then can it be saved.
    bool complete() const { return complete_; }
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
    bool refuseIncompleteList(const QString& refusal);
    void appendRow(const params::ParamRow& row);
    bool editValue(int index, int row);
    bool editBitMask(int index, int row);
    bool editDisplayCode(int index, int row);
    bool editLockout(int index, int row);
    void rereadParameter(int index);
    bool confirmImport(const params::ImportPreview& preview);
    bool passesFilter(int row) const;
    void applyFilter();
    void openCardDialog();

    const ParamPageProfile& profile_;
    ReportList* list_ = nullptr;
    QLineEdit* filterEdit_ = nullptr;
    ParamLayout layout_;
    bool reading_ = false;
    bool complete_ = false;
};

// A value typed for a parameter: a whole decimal number from 0 to 65535,
// blanks around it allowed; anything else is refused with the range message.
FieldCheck checkParameterValue(const QString& text);
