#include "HistoryStore.h"

#include "LinkSettings.h"
#include "RegistryKey.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

#include <algorithm>
#include <climits>

namespace history {

namespace {

const QString kSnapshotColumns = QStringLiteral(
    "id, controller, program_name, elevator_id, telephone, port, layout, kind, at_ms, user_name, host_name, note, "
    "param_values, numbers");

QDateTime timeOf(const QVariant& ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms.toLongLong(), Qt::UTC);
}

Stamp stampOf(const QSqlQuery& q, int at)
{
    return {timeOf(q.value(at)), q.value(at + 1).toString(), q.value(at + 2).toString()};
}

QVariantList stampValues(const Stamp& s)
{
    return {s.at.toMSecsSinceEpoch(), s.user, s.host};
}

QUuid uuidOf(const QVariant& v)
{
    return QUuid::fromString(v.toString());
}

} // namespace

QString HistoryEntry::caption() const
{
    switch (type) {
    case Type::Edit:
        return QStringLiteral("修改");
    case Type::Seen:
        return QStringLiteral("未变");
    case Type::Snapshot:
        break;
    }
    return kindCaption(kind);
}

QString HistoryEntry::allNotes() const
{
    QStringList all;
    if (!note.isEmpty())
        all << note;
    all << notes;
    return all.join(QStringLiteral("; "));
}

const QList<QStringList>& HistoryStore::migrations()
{
    static const QList<QStringList> steps{
        // 1: snapshots, edits and notes.
        {QStringLiteral("CREATE TABLE IF NOT EXISTS snapshots (id TEXT PRIMARY KEY, controller TEXT NOT NULL, "
                        "program_name TEXT, elevator_id TEXT, telephone TEXT, port TEXT, layout TEXT NOT NULL, "
                        "kind TEXT NOT NULL, at_ms BIGINT NOT NULL, user_name TEXT, host_name TEXT, note TEXT, "
                        "param_values {blob} NOT NULL, numbers {blob})"),
         QStringLiteral("CREATE INDEX IF NOT EXISTS snapshots_by_controller ON snapshots (controller, at_ms)"),
         QStringLiteral("CREATE TABLE IF NOT EXISTS edits (id TEXT PRIMARY KEY, controller TEXT NOT NULL, "
                        "layout TEXT NOT NULL, param_index INTEGER NOT NULL, old_value INTEGER NOT NULL, "
                        "new_value INTEGER NOT NULL, confirmed INTEGER NOT NULL, at_ms BIGINT NOT NULL, "
                        "user_name TEXT, host_name TEXT, note TEXT)"),
         QStringLiteral("CREATE INDEX IF NOT EXISTS edits_by_controller ON edits (controller, at_ms)"),
         QStringLiteral("CREATE TABLE IF NOT EXISTS notes (id TEXT PRIMARY KEY, refers_to TEXT NOT NULL, body TEXT, "
                        "at_ms BIGINT NOT NULL, user_name TEXT, host_name TEXT)"),
         QStringLiteral("CREATE INDEX IF NOT EXISTS notes_by_record ON notes (refers_to)")},
        // 2: reads that found nothing changed, and names given to controllers.
        {QStringLiteral("CREATE TABLE IF NOT EXISTS seen (id TEXT PRIMARY KEY, snapshot TEXT NOT NULL, "
                        "at_ms BIGINT NOT NULL, user_name TEXT, host_name TEXT)"),
         QStringLiteral("CREATE INDEX IF NOT EXISTS seen_by_snapshot ON seen (snapshot)"),
         QStringLiteral("CREATE TABLE IF NOT EXISTS controller_names (id TEXT PRIMARY KEY, controller TEXT NOT NULL, "
                        "name TEXT NOT NULL, at_ms BIGINT NOT NULL, user_name TEXT, host_name TEXT)")},
    };
    return steps;
}

const QList<HistoryStore::Table>& HistoryStore::tables()
{
    static const QList<Table> list{
        {QStringLiteral("snapshots"), kSnapshotColumns.split(QStringLiteral(", "))},
        {QStringLiteral("edits"),
         QStringLiteral("id, controller, layout, param_index, old_value, new_value, confirmed, at_ms, user_name, "
                        "host_name, note")
             .split(QStringLiteral(", "))},
        {QStringLiteral("notes"),
         QStringLiteral("id, refers_to, body, at_ms, user_name, host_name").split(QStringLiteral(", "))},
        {QStringLiteral("seen"), QStringLiteral("id, snapshot, at_ms, user_name, host_name").split(QStringLiteral(", "))},
        {QStringLiteral("controller_names"),
         QStringLiteral("id, controller, name, at_ms, user_name, host_name").split(QStringLiteral(", "))},
    };
    return list;
}

HistoryStore::HistoryStore(Engine engine, const QString& where)
    : engine_(engine), where_(where), connectionName_(QStringLiteral("vardo-history-") + idText(QUuid::createUuid()))
{
}

HistoryStore::~HistoryStore()
{
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(connectionName_);
}

std::unique_ptr<HistoryStore> HistoryStore::openFile(const QString& path)
{
    std::unique_ptr<HistoryStore> store(new HistoryStore(Engine::SQLite, path));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), store->connectionName_);
    if (!db.isValid()) {
        store->problem_ = {StoreProblem::Kind::NoDriver, path, QStringLiteral("QSQLITE")};
        return store;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    db.setDatabaseName(path);
    // Another program writing at the same moment is waited for, briefly.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=2000"));
    if (!db.open()) {
        store->fail(db.lastError());
        return store;
    }
    // WAL: readers never wait for the writer. In WAL, synchronous=NORMAL
    // still never corrupts the file; a power cut may lose the last store.
    for (const QString& pragma : {QStringLiteral("PRAGMA journal_mode=WAL"), QStringLiteral("PRAGMA synchronous=NORMAL")}) {
        QSqlQuery q(db);
        if (!q.exec(pragma)) {
            store->fail(q);
            return store;
        }
    }
    store->migrate();
    return store;
}

std::unique_ptr<HistoryStore> HistoryStore::openServer(const QString& connection)
{
    std::unique_ptr<HistoryStore> store(new HistoryStore(Engine::PostgreSQL, connection));
    // Passwords come from libpq's own means (~/.pgpass, PGPASSWORD), never
    // from a file the tool reads or writes.
    static const QRegularExpression password(
        QStringLiteral("(^|\\s)password\\s*=|^postgres(ql)?://[^/@]*:[^/@]*@"), QRegularExpression::CaseInsensitiveOption);
    if (password.match(connection).hasMatch()) {
        store->problem_ = {StoreProblem::Kind::Refused, QStringLiteral("historyserver"), {}};
        return store;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), store->connectionName_);
    if (!db.isValid()) {
        store->problem_ = {StoreProblem::Kind::NoDriver, connection, QStringLiteral("QPSQL")};
        return store;
    }
    // A server out of reach is given up after a while, not after the
    // system's TCP timeout.
    static const QRegularExpression timeout(QStringLiteral("(^|\\s)connect_timeout\\s*="));
    db.setConnectOptions(timeout.match(connection).hasMatch() ? connection
                                                              : connection + QStringLiteral(" connect_timeout=10"));
    if (!db.open()) {
        store->fail(db.lastError());
        store->problem_.kind = StoreProblem::Kind::CannotOpen;
        return store;
    }
    store->migrate();
    return store;
}

QString HistoryStore::sql(QString text) const
{
    return text.replace(QStringLiteral("{blob}"),
                        engine_ == Engine::SQLite ? QStringLiteral("BLOB") : QStringLiteral("BYTEA"));
}

bool HistoryStore::fail(const QSqlQuery& query)
{
    return fail(query.lastError());
}

bool HistoryStore::fail(const QSqlError& error)
{
    if (!problem_)
        problem_ = StoreProblem::of(error, where_);
    return false;
}

bool HistoryStore::begin()
{
    if (problem_)
        return false;
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    return db.transaction() || fail(db.lastError());
}

bool HistoryStore::commit()
{
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (db.commit())
        return true;
    fail(db.lastError());
    db.rollback();
    return false;
}

void HistoryStore::rollback()
{
    QSqlDatabase::database(connectionName_, false).rollback();
}

// SQLite keeps the version in the file's header (PRAGMA user_version);
// PostgreSQL in a table of one row.
int HistoryStore::storedVersion(bool& ok)
{
    QSqlQuery q(QSqlDatabase::database(connectionName_, false));
    ok = engine_ == Engine::SQLite ? q.exec(QStringLiteral("PRAGMA user_version"))
                                   : q.exec(QStringLiteral("SELECT version FROM vardo_schema"));
    if (!ok) {
        fail(q);
        return 0;
    }
    const int version = q.next() ? q.value(0).toInt() : 0;
    q.finish();
    return version;
}

bool HistoryStore::setVersion(int version)
{
    QSqlQuery q(QSqlDatabase::database(connectionName_, false));
    if (engine_ == Engine::SQLite) {
        // A pragma takes no bound value; the number is the program's own.
        return q.exec(QStringLiteral("PRAGMA user_version = %1").arg(version)) || fail(q);
    }
    if (!q.exec(QStringLiteral("DELETE FROM vardo_schema")))
        return fail(q);
    q.prepare(QStringLiteral("INSERT INTO vardo_schema (version) VALUES (?)"));
    q.addBindValue(version);
    return q.exec() || fail(q);
}

bool HistoryStore::migrate()
{
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    if (engine_ == Engine::PostgreSQL) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("CREATE TABLE IF NOT EXISTS vardo_schema (version INTEGER NOT NULL)")))
            return fail(q);
    }
    bool ok = false;
    if (storedVersion(ok) == schemaVersion())
        return true;
    if (!ok || !begin())
        return false;
    if (engine_ == Engine::PostgreSQL) {
        // Two tools opening a new server at once migrate one after the other.
        QSqlQuery lock(db);
        if (!lock.exec(QStringLiteral("LOCK TABLE vardo_schema IN EXCLUSIVE MODE"))) {
            fail(lock);
            rollback();
            return false;
        }
    }
    const int version = storedVersion(ok);
    if (!ok) {
        rollback();
        return false;
    }
    if (version > schemaVersion()) {
        rollback();
        problem_ = {StoreProblem::Kind::NewerSchema, where_,
                    QStringLiteral("schema %1, this program knows %2").arg(version).arg(schemaVersion())};
        return false;
    }
    for (int step = version; step < schemaVersion(); ++step) {
        for (const QString& statement : migrations()[step]) {
            QSqlQuery q(db);
            if (!q.exec(sql(statement))) {
                fail(q);
                rollback();
                return false;
            }
        }
    }
    if (!setVersion(schemaVersion())) {
        rollback();
        return false;
    }
    return commit();
}

QSqlQuery HistoryStore::prepareInsert(const Table& table)
{
    QStringList marks;
    for (qsizetype i = 0; i < table.columns.size(); ++i)
        marks << QStringLiteral("?");
    QSqlQuery q(QSqlDatabase::database(connectionName_, false));
    q.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (id) DO NOTHING")
                  .arg(table.name, table.columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", "))));
    return q;
}

bool HistoryStore::runInsert(QSqlQuery& query, const QVariantList& values, int* inserted)
{
    for (qsizetype i = 0; i < values.size(); ++i)
        query.bindValue(int(i), values[i]);
    if (!query.exec())
        return fail(query);
    if (inserted)
        *inserted += std::max(query.numRowsAffected(), 0);
    return true;
}

bool HistoryStore::insert(const Table& table, const QVariantList& values)
{
    QSqlQuery q = prepareInsert(table);
    return runInsert(q, values);
}

namespace {

QVariantList valuesOf(const Snapshot& s)
{
    return QVariantList{idText(s.id), s.controller, s.identity.programName, s.identity.elevatorId,
                        s.identity.telephone, s.identity.port, layoutText(s.layout), kindText(s.kind)} +
           stampValues(s.stamp) + QVariantList{s.note, s.values, s.numbers};
}

QVariantList valuesOf(const Edit& e)
{
    return QVariantList{idText(e.id),     e.controller, layoutText(e.layout), e.index, qint64(e.oldValue),
                        qint64(e.newValue), e.confirmed ? 1 : 0} +
           stampValues(e.stamp) + QVariantList{e.note};
}

} // namespace

bool HistoryStore::addRow(const Table& table, const QVariantList& values)
{
    if (!begin())
        return false;
    if (!insert(table, values)) {
        rollback();
        return false;
    }
    return commit();
}

bool HistoryStore::add(const Snapshot& snapshot)
{
    return addRow(tables()[0], valuesOf(snapshot));
}

bool HistoryStore::add(const Edit& edit)
{
    return addRow(tables()[1], valuesOf(edit));
}

bool HistoryStore::add(const Note& note)
{
    return addRow(tables()[2], QVariantList{idText(note.id), idText(note.refersTo), note.text} + stampValues(note.stamp));
}

bool HistoryStore::add(const Seen& seen)
{
    return addRow(tables()[3], QVariantList{idText(seen.id), idText(seen.snapshot)} + stampValues(seen.stamp));
}

bool HistoryStore::add(const ControllerName& name)
{
    return addRow(tables()[4], QVariantList{idText(name.id), name.controller, name.name} + stampValues(name.stamp));
}

std::optional<ReadStored> HistoryStore::storeRead(const Snapshot& read)
{
    if (!begin())
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(connectionName_, false));
    q.prepare(QStringLiteral("SELECT id, param_values FROM snapshots WHERE controller = ? AND layout = ? "
                             "ORDER BY at_ms DESC, id DESC LIMIT 1"));
    q.addBindValue(read.controller);
    q.addBindValue(layoutText(read.layout));
    if (!q.exec()) {
        fail(q);
        rollback();
        return std::nullopt;
    }
    ReadStored stored;
    bool done = false;
    const bool same = q.next() && q.value(1).toByteArray() == read.values;
    const QUuid latest = same ? uuidOf(q.value(0)) : QUuid();
    q.finish();
    if (same) {
        stored = {true, latest};
        done = insert(tables()[3], QVariantList{idText(QUuid::createUuid()), idText(stored.snapshot)} +
                                       stampValues(read.stamp));
    } else {
        stored = {false, read.id};
        done = insert(tables()[0], valuesOf(read));
    }
    if (!done) {
        rollback();
        return std::nullopt;
    }
    return commit() ? std::optional(stored) : std::nullopt;
}

QList<KnownController> HistoryStore::controllers()
{
    QList<KnownController> list;
    if (problem_)
        return list;
    QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
    const auto find = [&list](const QString& key) -> KnownController& {
        for (KnownController& c : list) {
            if (c.key == key)
                return c;
        }
        list.append(KnownController{});
        list.last().key = key;
        return list.last();
    };
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT s.controller, s.program_name, s.elevator_id, s.telephone, s.port, m.last, m.n "
                               "FROM snapshots s JOIN (SELECT controller, MAX(at_ms) AS last, COUNT(*) AS n "
                               "FROM snapshots GROUP BY controller) m "
                               "ON m.controller = s.controller AND m.last = s.at_ms")))
        return fail(q), list;
    while (q.next()) {
        KnownController& c = find(q.value(0).toString());
        c.identity = {q.value(1).toString(), q.value(2).toString(), q.value(3).toString(), q.value(4).toString()};
        c.last = timeOf(q.value(5));
        c.snapshots = q.value(6).toInt();
    }
    if (!q.exec(QStringLiteral("SELECT controller, MAX(at_ms), COUNT(*) FROM edits GROUP BY controller")))
        return fail(q), list;
    while (q.next()) {
        KnownController& c = find(q.value(0).toString());
        c.edits = q.value(2).toInt();
        c.last = std::max(c.last, timeOf(q.value(1)));
    }
    if (!q.exec(QStringLiteral("SELECT controller, name FROM controller_names ORDER BY at_ms, id")))
        return fail(q), list;
    while (q.next()) {
        for (KnownController& c : list) {
            if (c.key == q.value(0).toString())
                c.name = q.value(1).toString();
        }
    }
    std::sort(list.begin(), list.end(), [](const KnownController& a, const KnownController& b) { return a.last > b.last; });
    return list;
}

bool HistoryStore::eachRow(const QString& sql, const QVariantList& values,
                           const std::function<void(const QSqlQuery&)>& row)
{
    if (problem_)
        return false;
    QSqlQuery q(QSqlDatabase::database(connectionName_, false));
    q.setForwardOnly(true);
    q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!q.exec())
        return fail(q);
    while (q.next())
        row(q);
    return true;
}

QList<HistoryEntry> HistoryStore::history(const QString& controller)
{
    QList<HistoryEntry> entries;
    const auto entry = [&entries](HistoryEntry::Type type, const QSqlQuery& q, int layoutColumn) -> HistoryEntry& {
        entries.append(HistoryEntry{});
        HistoryEntry& e = entries.last();
        e.type = type;
        e.id = uuidOf(q.value(0));
        e.layout = layoutFromText(q.value(layoutColumn).toString()).value_or(SetLayout::Layout173);
        return e;
    };
    const QVariantList key{controller};
    QHash<QUuid, QStringList> notes;
    const bool read =
        eachRow(QStringLiteral("SELECT id, layout, kind, at_ms, user_name, host_name, note FROM snapshots "
                               "WHERE controller = ?"),
                key,
                [&](const QSqlQuery& q) {
                    HistoryEntry& e = entry(HistoryEntry::Type::Snapshot, q, 1);
                    e.snapshot = e.id;
                    e.kind = kindFromText(q.value(2).toString()).value_or(SnapshotKind::Read);
                    e.stamp = stampOf(q, 3);
                    e.note = q.value(6).toString();
                }) &&
        eachRow(QStringLiteral("SELECT id, layout, param_index, old_value, new_value, confirmed, at_ms, user_name, "
                               "host_name, note FROM edits WHERE controller = ?"),
                key,
                [&](const QSqlQuery& q) {
                    HistoryEntry& e = entry(HistoryEntry::Type::Edit, q, 1);
                    e.index = q.value(2).toInt();
                    e.oldValue = q.value(3).toUInt();
                    e.newValue = q.value(4).toUInt();
                    e.confirmed = q.value(5).toInt() != 0;
                    e.stamp = stampOf(q, 6);
                    e.note = q.value(9).toString();
                }) &&
        eachRow(QStringLiteral("SELECT s.id, s.snapshot, p.layout, s.at_ms, s.user_name, s.host_name FROM seen s "
                               "JOIN snapshots p ON p.id = s.snapshot WHERE p.controller = ?"),
                key,
                [&](const QSqlQuery& q) {
                    HistoryEntry& e = entry(HistoryEntry::Type::Seen, q, 2);
                    e.snapshot = uuidOf(q.value(1));
                    e.stamp = stampOf(q, 3);
                }) &&
        // Notes added later, to the snapshots and edits of this controller.
        eachRow(QStringLiteral("SELECT refers_to, body FROM notes WHERE refers_to IN (SELECT id FROM snapshots "
                               "WHERE controller = ? UNION SELECT id FROM edits WHERE controller = ?) "
                               "ORDER BY at_ms, id"),
                {controller, controller},
                [&notes](const QSqlQuery& q) { notes[uuidOf(q.value(0))] << q.value(1).toString(); });
    if (!read)
        return entries;
    for (HistoryEntry& e : entries) {
        if (e.type != HistoryEntry::Type::Seen)
            e.notes = notes.value(e.id);
    }
    std::stable_sort(entries.begin(), entries.end(), [](const HistoryEntry& a, const HistoryEntry& b) {
        return a.stamp.at != b.stamp.at ? a.stamp.at > b.stamp.at : a.id.toString() > b.id.toString();
    });
    return entries;
}

Snapshot HistoryStore::snapshotOf(const QSqlQuery& q) const
{
    Snapshot s;
    s.id = uuidOf(q.value(0));
    s.controller = q.value(1).toString();
    s.identity = {q.value(2).toString(), q.value(3).toString(), q.value(4).toString(), q.value(5).toString()};
    s.layout = layoutFromText(q.value(6).toString()).value_or(SetLayout::Layout173);
    s.kind = kindFromText(q.value(7).toString()).value_or(SnapshotKind::Read);
    s.stamp = stampOf(q, 8);
    s.note = q.value(11).toString();
    s.values = q.value(12).toByteArray();
    s.numbers = q.value(13).toByteArray();
    return s;
}

std::optional<Snapshot> HistoryStore::snapshot(const QUuid& id)
{
    if (problem_)
        return std::nullopt;
    QSqlQuery q(QSqlDatabase::database(connectionName_, false));
    q.prepare(QStringLiteral("SELECT %1 FROM snapshots WHERE id = ?").arg(kSnapshotColumns));
    q.addBindValue(idText(id));
    if (!q.exec())
        return fail(q), std::nullopt;
    if (!q.next())
        return std::nullopt;
    return snapshotOf(q);
}

// The snapshots a condition (the program's own text, its values bound)
// picks, newest first.
QList<Snapshot> HistoryStore::selectSnapshots(const QString& condition, const QVariantList& values, int limit,
                                              int offset)
{
    QList<Snapshot> list;
    if (problem_)
        return list;
    QSqlQuery q(QSqlDatabase::database(connectionName_, false));
    q.prepare(QStringLiteral("SELECT %1 FROM snapshots WHERE %2 ORDER BY at_ms DESC, id DESC LIMIT ? OFFSET ?")
                  .arg(kSnapshotColumns, condition));
    for (const QVariant& v : values)
        q.addBindValue(v);
    q.addBindValue(limit > 0 ? limit : INT_MAX);
    q.addBindValue(std::max(offset, 0));
    if (!q.exec())
        return fail(q), list;
    while (q.next())
        list.append(snapshotOf(q));
    return list;
}

QList<Snapshot> HistoryStore::snapshots(const QString& controller, std::optional<SetLayout> layout, int limit,
                                        int offset)
{
    const QString wanted = layout ? layoutText(*layout) : QStringLiteral("");
    return selectSnapshots(QStringLiteral("controller = ? AND (? = '' OR layout = ?)"), {controller, wanted, wanted},
                           limit, offset);
}

std::optional<Snapshot> HistoryStore::lastBeforeWrite(const QString& controller, std::optional<SetLayout> layout)
{
    const QString wanted = layout ? layoutText(*layout) : QStringLiteral("");
    const QList<Snapshot> found =
        selectSnapshots(QStringLiteral("controller = ? AND kind = ? AND (? = '' OR layout = ?)"),
                        {controller, kindText(SnapshotKind::BeforeWrite), wanted, wanted}, 1, 0);
    return found.isEmpty() ? std::nullopt : std::optional(found.first());
}

std::optional<QString> HistoryStore::controllerNamed(const QString& text)
{
    if (problem_)
        return std::nullopt;
    const QStringList lookups{
        QStringLiteral("SELECT controller FROM snapshots WHERE controller = ? LIMIT 1"),
        QStringLiteral("SELECT controller FROM edits WHERE controller = ? LIMIT 1"),
        QStringLiteral("SELECT controller FROM snapshots WHERE elevator_id = ? ORDER BY at_ms DESC LIMIT 1"),
        QStringLiteral("SELECT controller FROM controller_names WHERE name = ? ORDER BY at_ms DESC LIMIT 1"),
    };
    QSqlQuery q(QSqlDatabase::database(connectionName_, false));
    for (const QString& lookup : lookups) {
        q.prepare(lookup);
        q.addBindValue(text);
        if (!q.exec())
            return fail(q), std::nullopt;
        if (q.next())
            return q.value(0).toString();
    }
    return std::nullopt;
}

Resolved HistoryStore::resolvePrefix(const QString& prefix)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9a-fA-F-]{4,36}$"));
    Resolved resolved;
    if (problem_ || !hex.match(prefix).hasMatch())
        return resolved;
    QSqlQuery q(QSqlDatabase::database(connectionName_, false));
    const QStringList lookups{
        QStringLiteral("SELECT id, id FROM snapshots WHERE id LIKE ? LIMIT 2"),
        QStringLiteral("SELECT snapshot, id FROM seen WHERE id LIKE ? LIMIT 2"),
        QStringLiteral("SELECT id, id FROM edits WHERE id LIKE ? LIMIT 2"),
    };
    QSet<QString> found;
    for (qsizetype i = 0; i < lookups.size(); ++i) {
        q.prepare(lookups[i]);
        q.addBindValue(prefix.toLower() + QLatin1Char('%'));
        if (!q.exec())
            return fail(q), Resolved{};
        while (q.next()) {
            if (found.contains(q.value(1).toString()))
                continue;
            found.insert(q.value(1).toString());
            resolved.type = i == 2 ? Resolved::Type::Edit : Resolved::Type::Snapshot;
            resolved.id = uuidOf(q.value(0));
        }
    }
    if (found.size() > 1)
        resolved = {Resolved::Type::Ambiguous, {}};
    return resolved;
}

QList<qint64> HistoryStore::counts()
{
    QList<qint64> list;
    QSqlQuery q(QSqlDatabase::database(connectionName_, false));
    for (const Table& table : tables()) {
        if (problem_ || !q.exec(QStringLiteral("SELECT COUNT(*) FROM %1").arg(table.name)) || !q.next()) {
            fail(q);
            list.append(-1);
            continue;
        }
        list.append(q.value(0).toLongLong());
    }
    return list;
}

std::optional<int> HistoryStore::takeMissing(HistoryStore& from)
{
    if (problem_ || from.problem_)
        return std::nullopt;
    QSqlDatabase source = QSqlDatabase::database(from.connectionName_, false);
    QSqlDatabase target = QSqlDatabase::database(connectionName_, false);
    struct Row
    {
        const Table* table;
        QVariantList values;
    };
    QList<Row> missing;
    for (const Table& table : tables()) {
        QSet<QString> have;
        QSqlQuery ids(target);
        ids.setForwardOnly(true);
        if (!ids.exec(QStringLiteral("SELECT id FROM %1").arg(table.name)))
            return fail(ids), std::nullopt;
        while (ids.next())
            have.insert(ids.value(0).toString());
        QSqlQuery rows(source);
        rows.setForwardOnly(true);
        if (!rows.exec(QStringLiteral("SELECT %1 FROM %2").arg(table.columns.join(QStringLiteral(", ")), table.name))) {
            from.fail(rows);
            problem_ = from.problem_;
            return std::nullopt;
        }
        while (rows.next()) {
            if (have.contains(rows.value(0).toString()))
                continue;
            Row row{&table, {}};
            for (qsizetype c = 0; c < table.columns.size(); ++c)
                row.values.append(rows.value(int(c)));
            missing.append(row);
        }
    }
    // Always in the order of the ids: two copies into one server at once
    // then wait for each other's rows in the same order and never deadlock.
    std::sort(missing.begin(), missing.end(), [](const Row& a, const Row& b) {
        return a.values[0].toString() < b.values[0].toString();
    });
    if (!begin())
        return std::nullopt;
    QHash<const Table*, QSqlQuery> inserts;
    for (const Table& table : tables())
        inserts.insert(&table, prepareInsert(table));
    int inserted = 0;
    for (const Row& row : missing) {
        if (!runInsert(inserts[row.table], row.values, &inserted)) {
            rollback();
            return std::nullopt;
        }
    }
    return commit() ? std::optional(inserted) : std::nullopt;
}

QString defaultStorePath()
{
    // The window's data folder (its AppDataLocation, named after the tool),
    // shared with the command line.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/VARDO/history.sqlite");
}

QString configuredServer()
{
    RegistryKey key;
    QString value;
    if (key.openKey(kSettingsKey))
        key.readString(QStringLiteral("historyserver"), value);
    return value.trimmed();
}

} // namespace history
