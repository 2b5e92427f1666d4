#pragma once

#include "FieldValidation.h"
#include "HistoryRecords.h"
#include "Page.h"
#include "ParamChains.h"
#include "ParamLayout.h"
#include "ParamRanges.h"

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
    // Before the first write after a read the peer is asked which controller
    // it is, and nothing is written into the other one.
    bool checksPeer;

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
// at what it changes), and (elevator) authorise IC cards. "历史" opens the
// service record, which keeps every complete read, the values around
// every set write and every edit.
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
    void openHistory();
    // Writes back the values of a kept snapshot that differ from the list,
    // those the user leaves checked; true when something was written.
    bool restoreSnapshot(const history::Snapshot& snapshot);

private:
    // Where a set to be written comes from, when not from a file: the
    // preview's wording, and that only its differing rows are sent.
    struct SetSource
    {
        QString title;
        QString valueHeading;
        QString summary;
    };

    void readAll();
    bool refuseIncompleteList(const QString& refusal);
    void appendRow(const params::ParamRow& row);
    bool editValue(int index, int row);
    bool editBitMask(int index, int row);
    bool editDisplayCode(int index, int row);
    bool editLockout(int index, int row);
    void rereadParameter(int index);
    bool rightPeer();
    // The records to send as the user confirmed them; nothing when cancelled.
    std::optional<QList<ParamRecord>> confirmImport(const params::ImportPreview& preview,
                                                    const SetSource* source = nullptr);
    std::optional<unsigned> listedValue(int index) const;
    // Writes a set, keeping what it replaces and (at the read that
    // follows) what it left; then reads all again.
    void writeSet(const QList<ParamRecord>& records);
    // The service record's side of the page.
    QList<history::KeptParameter> listedParameters() const;
    history::ControllerIdentity controllerNow();
    void recordCompleteRead();
    void recordBeforeWrite(history::SnapshotKind after);
    void recordEdit(int index, unsigned oldValue);
    void tellHistoryProblem();
    bool passesFilter(int row) const;
    void applyFilter();
    void openCardDialog();

    const ParamPageProfile& profile_;
    ReportList* list_ = nullptr;
    QLineEdit* filterEdit_ = nullptr;
    ParamLayout layout_;
    bool reading_ = false;
    bool complete_ = false;
    bool peerConfirmed_ = false;
    // What the next complete read-all keeps: the state a set write left.
    std::optional<history::SnapshotKind> afterWrite_;
    // The value the last edit wrote, and whether the controller said so.
    struct EditWrite
    {
        unsigned value = 0;
        bool confirmed = false;
    };
    std::optional<EditWrite> editWrite_;
};

// A value typed for a parameter: a whole decimal number within the
// parameter's range, blanks around it allowed; anything else is refused
// with the range message.
FieldCheck checkParameterValue(const QString& text, const params::ValueRange& range = {});
