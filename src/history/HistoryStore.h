#pragma once

#include "HistoryRecords.h"
#include "StoreProblem.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace history {

// One line of a controller's history: a snapshot, an edit, or a read that
// found the values of a snapshot ("seen").
struct HistoryEntry
{
    enum class Type { Snapshot, Edit, Seen };
    Type type = Type::Snapshot;
    QUuid id;
    QUuid snapshot;  // Snapshot: its own id; Seen: the snapshot it found
    Stamp stamp;
    SetLayout layout = SetLayout::Layout173;
    SnapshotKind kind = SnapshotKind::Read;  // Snapshot only
    QString note;          // the note it was made with
    QStringList notes;     // notes added later, oldest first
    // Edit only.
    int index = 0;
    unsigned oldValue = 0;
    unsigned newValue = 0;
    bool confirmed = false;

    // "读取", "修改 F…"-free captions: "读取", "写入前", ..., "修改", "未变".
    QString caption() const;
    // The note and the later notes, joined by "; ".
    QString allNotes() const;
};

// A controller known to the store.
struct KnownController
{
    QString key;
    QString name;  // given by the user; empty when none
    ControllerIdentity identity;  // as its newest snapshot read it
    QDateTime last;  // its newest record
    int snapshots = 0;
    int edits = 0;

    // The name when given, else the key.
    QString shown() const { return name.isEmpty() ? key : name; }
};

// What a read stored: a new snapshot, or a "seen" of the latest one.
struct ReadStored
{
    bool seen = false;
    QUuid snapshot;  // the new snapshot, or the one seen
};

// A reference the user typed: a UUID prefix of any record, or latest /
// latest~N among a controller's snapshots.
struct Resolved
{
    enum class Type { None, Snapshot, Edit, Ambiguous };
    Type type = Type::None;
    QUuid id;
};

// The service record on Qt SQL: an SQLite file (WAL, one transaction per
// store) or a PostgreSQL server, the same SQL on both with every value
// bound. The schema carries its version and is brought up to date when
// opened. Every failure leaves problem() set; the caller goes on without.
class HistoryStore
{
public:
    enum class Engine { SQLite, PostgreSQL };

    // The schema's steps, from the first release on; step i brings a
    // store from version i to version i + 1. {blob} stands for the
    // engine's binary type.
    static const QList<QStringList>& migrations();
    static int schemaVersion() { return int(migrations().size()); }

    // Opens (creating when absent) an SQLite file. Always returns a store;
    // check problem().
    static std::unique_ptr<HistoryStore> openFile(const QString& path);
    // Opens a PostgreSQL server by a libpq connection string (key=value
    // pairs). A string that holds a password is refused.
    static std::unique_ptr<HistoryStore> openServer(const QString& connection);

    ~HistoryStore();
    HistoryStore(const HistoryStore&) = delete;
    HistoryStore& operator=(const HistoryStore&) = delete;

    Engine engine() const { return engine_; }
    const StoreProblem& problem() const { return problem_; }
    bool usable() const { return !problem_; }
    QString where() const { return where_; }

    // Each store is one transaction; false (problem() set) when it failed.
    bool add(const Snapshot& snapshot);
    bool add(const Edit& edit);
    bool add(const Note& note);
    bool add(const Seen& seen);
    bool add(const ControllerName& name);

    // A complete read: a new snapshot, unless the values equal those of the
    // controller's latest snapshot of the layout; then only a "seen".
    std::optional<ReadStored> storeRead(const Snapshot& read);

    QList<KnownController> controllers();
    // Snapshots, edits and seen reads of a controller, newest first.
    QList<HistoryEntry> history(const QString& controller);
    std::optional<Snapshot> snapshot(const QUuid& id);
    // A controller's snapshots newest first, with their values; at most
    // `limit` (0: all), of one layout when given.
    QList<Snapshot> snapshots(const QString& controller, std::optional<SetLayout> layout = {}, int limit = 0,
                              int offset = 0);
    // The newest snapshot taken before a set write to the controller.
    std::optional<Snapshot> lastBeforeWrite(const QString& controller, std::optional<SetLayout> layout = {});
    // The controller a key, an elevator ID or a user-given name stands for.
    std::optional<QString> controllerNamed(const QString& text);

    // A record by the start of its UUID (4 characters at least).
    Resolved resolvePrefix(const QString& prefix);

    // How many records each table holds, in the order of tables().
    QList<qint64> counts();

    // Copies every record `from` holds and this store lacks into this
    // store, in one transaction. The count copied; nothing on failure.
    std::optional<int> takeMissing(HistoryStore& from);

    // The record tables and their columns, the id first.
    struct Table
    {
        QString name;
        QStringList columns;
    };
    static const QList<Table>& tables();

private:
    HistoryStore(Engine engine, const QString& where);
    bool migrate();
    int storedVersion(bool& ok);
    bool setVersion(int version);
    QString sql(QString text) const;
    bool fail(const class QSqlQuery& query);
    bool fail(const QSqlError& error);
    bool begin();
    bool commit();
    void rollback();
    bool insert(const Table& table, const QVariantList& values);
    // One row in a transaction of its own.
    bool addRow(const Table& table, const QVariantList& values);
    class QSqlQuery prepareInsert(const Table& table);
    bool runInsert(class QSqlQuery& query, const QVariantList& values, int* inserted = nullptr);
    Snapshot snapshotOf(const class QSqlQuery& query) const;
    // Runs a query (the program's own text, its values bound) and hands
    // each row on; false (problem() set) when it failed.
    bool eachRow(const QString& sql, const QVariantList& values, const std::function<void(const class QSqlQuery&)>& row);
    QList<Snapshot> selectSnapshots(const QString& condition, const QVariantList& values, int limit, int offset);

    Engine engine_;
    QString where_;
    QString connectionName_;
    StoreProblem problem_;
};

// The default SQLite file: history.sqlite in the user's data folder.
QString defaultStorePath();
// The libpq connection string of settings.ini's "historyserver"; empty
// when none is set.
QString configuredServer();

} // namespace history
