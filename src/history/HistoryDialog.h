#pragma once

#include "HistoryStore.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;
class ReportList;

namespace history {

class SessionRecord;

// The service record in the window: the controllers known (the one now
// connected first) and the chosen one's snapshots and edits, newest first,
// with time, user, kind and note. Two snapshots, or one and the values
// listed now, are compared as the import preview shows them; a snapshot is
// restored (or the last write undone) through the page that opened it; a
// note is added to any record; "同步" shares the record with the team's
// server.
class HistoryDialog : public QDialog
{
    Q_OBJECT

public:
    // What the page that opens the dialog offers it.
    struct PageSide
    {
        QString controller;  // the key of the controller now connected
        SetLayout layout = SetLayout::Layout173;
        // The values listed on the page now (empty: none).
        std::function<QList<KeptParameter>()> listed;
        // Writes a snapshot back; true when something was written.
        std::function<bool(const Snapshot&)> restore;
    };

    HistoryDialog(HistoryStore& store, PageSide page, QWidget* parent = nullptr);

    ReportList* controllerList() const { return controllers_; }
    ReportList* recordList() const { return records_; }

    // The actions of the buttons, on the rows selected.
    void compareSelected();
    void restoreSelected();
    void undoLastWrite();
    void addNote();
    void nameController();
    void sync();

private:
    void showControllers();
    void showRecords();
    QString chosenController() const;
    QList<HistoryEntry> selectedEntries() const;
    std::optional<Snapshot> snapshotOf(const HistoryEntry& entry);
    void showDiff(const QString& title, const QList<KeptParameter>& older, const QList<KeptParameter>& newer,
                  SetLayout layout);
    void restore(const Snapshot& snapshot);
    void updateButtons();

    HistoryStore& store_;
    PageSide page_;
    ReportList* controllers_ = nullptr;
    ReportList* records_ = nullptr;
    QList<QString> controllerKeys_;
    QList<HistoryEntry> entries_;
    QPushButton* compareButton_ = nullptr;
    QPushButton* restoreButton_ = nullptr;
    QPushButton* undoButton_ = nullptr;
    QPushButton* noteButton_ = nullptr;
};

// A text typed for a record or a controller: one line, "确定" / "取消".
class TextEntryDialog : public QDialog
{
    Q_OBJECT

public:
    TextEntryDialog(const QString& title, const QString& label, QWidget* parent = nullptr);
    QLineEdit* edit() const { return edit_; }

private:
    QLineEdit* edit_ = nullptr;
};

// The difference of two parameter sets: "编号", "说明", "旧值", "新值",
// the differing rows only.
class HistoryDiffDialog : public QDialog
{
    Q_OBJECT

public:
    HistoryDiffDialog(const QString& title, const QList<QStringList>& rows, QWidget* parent = nullptr);
    ReportList* differenceList() const { return list_; }

private:
    ReportList* list_ = nullptr;
};

} // namespace history
