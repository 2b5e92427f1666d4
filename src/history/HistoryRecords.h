#pragma once

#include "ParamFile.h"
#include "ParamLayout.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

// The records of the service record. Every record is written once and
// never changed; each carries a UUID, so two stores merge by union.
namespace history {

// Who a controller is, as read from it: program name, elevator ID and
// telephone, and the port it was reached on.
struct ControllerIdentity
{
    QString programName;
    QString elevatorId;
    QString telephone;
    QString port;

    // The key its records are kept under: the elevator ID, or, while that
    // reads empty, the program name and the port ("PROGRAM@COM1").
    QString key() const;
};

// The three layouts a parameter set can have.
enum class SetLayout { Layout173, Layout114, Door };

QString layoutText(SetLayout layout);  // "173", "114", "door"
std::optional<SetLayout> layoutFromText(const QString& text);
SetLayout setLayoutOf(const ParamLayout& layout);
const ParamLayout& paramLayoutOf(SetLayout layout);

// What made a snapshot.
enum class SnapshotKind {
    Read,         // a complete read of the parameter list
    BeforeWrite,  // the values a set write (import, reset, restore) replaced
    AfterWrite,   // the values after a set write
    AfterReset,   // the values after a reset to the factory values
    FileImport,   // an old parameter set file brought into the record
};

QString kindText(SnapshotKind kind);  // "read", "before-write", ...
std::optional<SnapshotKind> kindFromText(const QString& text);
QString kindCaption(SnapshotKind kind);  // "读取", "写入前", ...

// Who made a record, where and when.
struct Stamp
{
    QDateTime at;  // UTC, milliseconds
    QString user;
    QString host;

    // Now, by this computer's user and host name.
    static Stamp now();
};

// One parameter as kept: its protocol index, the controller's own number
// for it (nothing when unknown, as in an old file) and its value.
struct KeptParameter
{
    int index = 0;
    std::optional<int> number;
    unsigned value = 0;
};

// One controller's full parameter set at one moment.
struct Snapshot
{
    QUuid id;
    ControllerIdentity identity;
    QString controller;  // identity.key() when it was taken
    SetLayout layout = SetLayout::Layout173;
    SnapshotKind kind = SnapshotKind::Read;
    Stamp stamp;
    QString note;
    QByteArray values;   // the records as a parameter set file holds them
    QByteArray numbers;  // one byte per record: its number; empty when unknown

    QList<KeptParameter> parameters() const;
    QList<ParamRecord> records() const;
    // A new snapshot (new id, stamp now) of these parameters.
    static Snapshot make(const ControllerIdentity& identity, SetLayout layout, SnapshotKind kind,
                         const QList<KeptParameter>& parameters);
};

// One parameter changed by itself (an edit in the window or `params set`).
struct Edit
{
    QUuid id;
    QString controller;
    SetLayout layout = SetLayout::Layout173;
    int index = 0;
    unsigned oldValue = 0;
    unsigned newValue = 0;
    bool confirmed = false;  // the controller said it was written
    Stamp stamp;
    QString note;
};

// A note added later to a snapshot or an edit.
struct Note
{
    QUuid id;
    QUuid refersTo;
    QString text;
    Stamp stamp;
};

// A read that found the values of the controller's latest snapshot.
struct Seen
{
    QUuid id;
    QUuid snapshot;
    Stamp stamp;
};

// A name the user gave a controller; the newest counts.
struct ControllerName
{
    QUuid id;
    QString controller;
    QString name;
    Stamp stamp;
};

// "3f2a…" without braces: how records are shown and referred to.
QString shortId(const QUuid& id);
QString idText(const QUuid& id);

} // namespace history
