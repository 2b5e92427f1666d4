// The service record's store: SQLite files in a temporary folder and a
// real PostgreSQL server started by the test.

#include "HistoryDiff.h"
#include "HistoryStore.h"
#include "HistorySync.h"
#include "PgServer.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <thread>

using namespace history;

namespace {

const ControllerIdentity kLift{QStringLiteral("VARDO-V3.2"), QStringLiteral("E1234"), QStringLiteral("010-5550"),
                               QStringLiteral("COM1")};

QList<KeptParameter> parameters(int count, unsigned seed)
{
    QList<KeptParameter> list;
    for (int i = 0; i < count; ++i)
        list.append({i, i + 1, (seed * 7 + unsigned(i) * 13) % 1000});
    return list;
}

Snapshot snapshotAt(const ControllerIdentity& who, SnapshotKind kind, unsigned seed, qint64 ms)
{
    Snapshot s = Snapshot::make(who, SetLayout::Layout173, kind, parameters(173, seed));
    s.stamp.at = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    return s;
}

qint64 total(const QList<qint64>& counts)
{
    qint64 sum = 0;
    for (qint64 c : counts)
        sum += c;
    return sum;
}

} // namespace

class HistoryStoreTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir_;
    std::unique_ptr<PgServer> pg_;
    bool pgUp_ = false;

    // The store of an engine row: a fresh SQLite file, or a fresh database
    // on the server (skipped when no server could start).
    std::unique_ptr<HistoryStore> freshStore(const QString& engine, const QString& name)
    {
        if (engine == QLatin1String("sqlite"))
            return HistoryStore::openFile(dir_.filePath(name + QStringLiteral(".sqlite")));
        return HistoryStore::openServer(pg_->connection(name));
    }

    void engines()
    {
        QTest::addColumn<QString>("engine");
        QTest::newRow("sqlite") << QStringLiteral("sqlite");
        QTest::newRow("postgresql") << QStringLiteral("postgresql");
    }

    bool skipWithoutServer(const QString& engine)
    {
        return engine == QLatin1String("postgresql") && !pgUp_;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        pg_ = std::make_unique<PgServer>();
        pgUp_ = pg_->start();
        if (!pgUp_)
            qWarning("PostgreSQL cases are skipped: %s", qPrintable(pg_->why()));
    }

    void cleanupTestCase() { pg_.reset(); }

    void recordsListNewestFirstWithTheirNotes_data() { engines(); }
    void recordsListNewestFirstWithTheirNotes()
    {
        QFETCH(QString, engine);
        if (skipWithoutServer(engine))
            QSKIP(qPrintable(QStringLiteral("no PostgreSQL server: ") + pg_->why()));
        auto store = freshStore(engine, QStringLiteral("records"));
        QVERIFY2(store->usable(), qPrintable(problemLine(store->problem())));

        const Snapshot before = snapshotAt(kLift, SnapshotKind::BeforeWrite, 1, 1000);
        const Snapshot after = snapshotAt(kLift, SnapshotKind::AfterWrite, 2, 2000);
        Edit edit{QUuid::createUuid(), kLift.key(), SetLayout::Layout173, 11, 8, 12, true, Stamp::now(), {}};
        edit.stamp.at = QDateTime::fromMSecsSinceEpoch(3000, Qt::UTC);
        const Note note{QUuid::createUuid(), before.id, QStringLiteral("门机更换前"), Stamp::now()};
        QVERIFY(store->add(before) && store->add(after) && store->add(edit) && store->add(note));
        // A record stored twice is kept once.
        QVERIFY(store->add(after));

        const QList<HistoryEntry> entries = store->history(kLift.key());
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[0].id, edit.id);
        QCOMPARE(entries[0].newValue, 12u);
        QCOMPARE(entries[1].id, after.id);
        QCOMPARE(entries[2].id, before.id);
        QCOMPARE(entries[2].allNotes(), QStringLiteral("门机更换前"));
        QCOMPARE(entries[2].caption(), QStringLiteral("写入前"));

        const std::optional<Snapshot> back = store->snapshot(after.id);
        QVERIFY(back);
        QCOMPARE(back->values, after.values);
        QCOMPARE(back->parameters()[10].number, std::optional<int>(11));
        QCOMPARE(back->identity.telephone, kLift.telephone);
        QCOMPARE(store->lastBeforeWrite(kLift.key())->id, before.id);

        const QList<KnownController> known = store->controllers();
        QCOMPARE(known.size(), 1);
        QCOMPARE(known[0].snapshots, 2);
        QCOMPARE(known[0].edits, 1);
        QVERIFY(store->add(ControllerName{QUuid::createUuid(), kLift.key(), QStringLiteral("三号楼左梯"), Stamp::now()}));
        QCOMPARE(store->controllerNamed(QStringLiteral("三号楼左梯")), std::optional(kLift.key()));
        QCOMPARE(store->controllers()[0].shown(), QStringLiteral("三号楼左梯"));

        // References by the start of the id.
        QCOMPARE(store->resolvePrefix(shortId(after.id)).id, after.id);
        QCOMPARE(store->resolvePrefix(shortId(edit.id)).type, Resolved::Type::Edit);
        QCOMPARE(store->resolvePrefix(QStringLiteral("zz%")).type, Resolved::Type::None);
    }

    void anUnchangedReadIsOnlySeen_data() { engines(); }
    void anUnchangedReadIsOnlySeen()
    {
        QFETCH(QString, engine);
        if (skipWithoutServer(engine))
            QSKIP(qPrintable(QStringLiteral("no PostgreSQL server: ") + pg_->why()));
        auto store = freshStore(engine, QStringLiteral("seen"));
        QVERIFY(store->usable());
        const std::optional<ReadStored> first = store->storeRead(snapshotAt(kLift, SnapshotKind::Read, 5, 1000));
        const std::optional<ReadStored> again = store->storeRead(snapshotAt(kLift, SnapshotKind::Read, 5, 2000));
        const std::optional<ReadStored> changed = store->storeRead(snapshotAt(kLift, SnapshotKind::Read, 6, 3000));
        QVERIFY(first && again && changed);
        QVERIFY(!first->seen);
        QVERIFY(again->seen);
        QCOMPARE(again->snapshot, first->snapshot);
        QVERIFY(!changed->seen);
        QCOMPARE(store->snapshots(kLift.key()).size(), 2);
        const QList<HistoryEntry> entries = store->history(kLift.key());
        QCOMPARE(entries.size(), 3);
        QCOMPARE(entries[1].type, HistoryEntry::Type::Seen);
        QCOMPARE(entries[1].snapshot, first->snapshot);
    }

    // Two engineers' stores synced with one server at the same moment, each
    // holding records of its own and some both had: afterwards all three
    // hold the union, nothing lost, nothing doubled.
    void twoWritersSyncingAtOnceLoseAndDoubleNothing_data() { engines(); }
    void twoWritersSyncingAtOnceLoseAndDoubleNothing()
    {
        QFETCH(QString, engine);
        if (skipWithoutServer(engine))
            QSKIP(qPrintable(QStringLiteral("no PostgreSQL server: ") + pg_->why()));
        const QString serverName = QStringLiteral("team");
        QString serverWhere;
        {
            auto server = freshStore(engine, serverName);
            QVERIFY(server->usable());
            serverWhere = server->where();
        }
        const QStringList locals{dir_.filePath(engine + QStringLiteral("-a.sqlite")),
                                 dir_.filePath(engine + QStringLiteral("-b.sqlite"))};
        const ControllerIdentity other{QStringLiteral("VARDO-V2"), QString(), QString(), QStringLiteral("COM3")};
        QList<Snapshot> shared;
        for (int i = 0; i < 20; ++i)
            shared.append(snapshotAt(kLift, SnapshotKind::Read, unsigned(i), 100 + i));
        for (int w = 0; w < 2; ++w) {
            auto local = HistoryStore::openFile(locals[w]);
            QVERIFY(local->usable());
            for (const Snapshot& s : shared)
                QVERIFY(local->add(s));
            for (int i = 0; i < 150; ++i) {
                QVERIFY(local->add(snapshotAt(w ? other : kLift, SnapshotKind::Read, unsigned(1000 * w + i), 5000 + i)));
                Edit e{QUuid::createUuid(), kLift.key(), SetLayout::Layout173, i % 173, 1, 2, true, Stamp::now(), {}};
                QVERIFY(local->add(e));
            }
        }
        const qint64 unionSize = 20 + 2 * 150 * 2;

        // Each sync on a thread of its own, with connections of its own. An
        // SQLite file takes one writer at a time: there they sync in turn.
        const auto syncOne = [&](const QString& localPath, SyncResult* result) {
            auto local = HistoryStore::openFile(localPath);
            auto server = engine == QLatin1String("sqlite") ? HistoryStore::openFile(serverWhere)
                                                             : HistoryStore::openServer(serverWhere);
            *result = syncStores(*local, *server);
        };
        SyncResult a;
        SyncResult b;
        if (engine == QLatin1String("sqlite")) {
            syncOne(locals[0], &a);
            syncOne(locals[1], &b);
        } else {
            std::thread first(syncOne, locals[0], &a);
            std::thread second(syncOne, locals[1], &b);
            first.join();
            second.join();
        }
        QVERIFY2(!a.problem && !b.problem, qPrintable(problemLine(a.problem) + problemLine(b.problem)));
        QCOMPARE(a.pushed + b.pushed, unionSize);
        // A second round brings each what the other pushed meanwhile.
        syncOne(locals[0], &a);
        syncOne(locals[1], &b);
        QVERIFY(!a.problem && !b.problem);
        QCOMPARE(a.pushed + b.pushed, 0);

        auto server = freshStore(engine, serverName);
        const QList<qint64> counts = server->counts();
        QCOMPARE(total(counts), unionSize);
        for (const QString& path : locals)
            QCOMPARE(HistoryStore::openFile(path)->counts(), counts);
    }

    // A file of the first release: snapshots, edits and notes only.
    void aStoreOfAnOlderSchemaOpensAfterMigration()
    {
        const QString path = dir_.filePath(QStringLiteral("first-release.sqlite"));
        const Snapshot kept = snapshotAt(kLift, SnapshotKind::Read, 3, 1000);
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QSqlQuery q(db);
            for (QString statement : HistoryStore::migrations().first())
                QVERIFY2(q.exec(statement.replace(QStringLiteral("{blob}"), QStringLiteral("BLOB"))),
                         qPrintable(q.lastError().text()));
            QVERIFY(q.exec(QStringLiteral("PRAGMA user_version = 1")));
            q.prepare(QStringLiteral("INSERT INTO snapshots (id, controller, program_name, elevator_id, telephone, port, "
                                     "layout, kind, at_ms, user_name, host_name, note, param_values, numbers) "
                                     "VALUES (?, ?, ?, ?, ?, ?, '173', 'read', 1000, 'old', 'pc', '', ?, ?)"));
            for (const QVariant& v : QVariantList{idText(kept.id), kLift.key(), kLift.programName, kLift.elevatorId,
                                                  kLift.telephone, kLift.port, kept.values, kept.numbers})
                q.addBindValue(v);
            QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));

        auto store = HistoryStore::openFile(path);
        QVERIFY2(store->usable(), qPrintable(problemLine(store->problem())));
        QCOMPARE(store->snapshot(kept.id)->values, kept.values);
        // What the newer schema added works on the old file.
        const std::optional<ReadStored> again = store->storeRead(snapshotAt(kLift, SnapshotKind::Read, 3, 2000));
        QVERIFY(again && again->seen);
        QCOMPARE(store->counts(), (QList<qint64>{1, 0, 0, 1, 0}));
    }

    // A file that is no database, or one another program holds: a clear
    // message, and the store refuses quietly from then on.
    void aDamagedOrLockedFileGivesAClearMessage()
    {
        const QString damaged = dir_.filePath(QStringLiteral("damaged.sqlite"));
        {
            QFile f(damaged);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, '\x5a'));
        }
        auto broken = HistoryStore::openFile(damaged);
        QCOMPARE(broken->problem().kind, StoreProblem::Kind::Damaged);
        QVERIFY(problemText(broken->problem()).contains(QStringLiteral("历史记录库已损坏")));
        QVERIFY(problemText(broken->problem()).contains(damaged));
        QVERIFY(!broken->add(snapshotAt(kLift, SnapshotKind::Read, 1, 1)));
        QVERIFY(broken->history(kLift.key()).isEmpty());

        const QString locked = dir_.filePath(QStringLiteral("locked.sqlite"));
        auto store = HistoryStore::openFile(locked);
        QVERIFY(store->usable());
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("holder"));
        other.setDatabaseName(locked);
        QVERIFY(other.open());
        QSqlQuery hold(other);
        QVERIFY(hold.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        QVERIFY(!store->add(snapshotAt(kLift, SnapshotKind::Read, 1, 1)));
        QCOMPARE(store->problem().kind, StoreProblem::Kind::Locked);
        QVERIFY(problemLine(store->problem()).contains(QStringLiteral("locked by another program")));
        hold.exec(QStringLiteral("ROLLBACK"));
        hold = QSqlQuery();
        other.close();
        other = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("holder"));
    }

    void aServerStringWithAPasswordIsRefused()
    {
        auto store = HistoryStore::openServer(QStringLiteral("host=db.example user=lift password=secret"));
        QCOMPARE(store->problem().kind, StoreProblem::Kind::Refused);
    }

    void diffListsOnlyDifferingRows_data()
    {
        QTest::addColumn<QList<unsigned>>("older");
        QTest::addColumn<QList<unsigned>>("newer");
        QTest::addColumn<QStringList>("rows");  // "编号/旧值/新值" of each differing row
        QTest::newRow("same") << QList<unsigned>{1, 2, 3} << QList<unsigned>{1, 2, 3} << QStringList{};
        QTest::newRow("one changed") << QList<unsigned>{1, 2, 3} << QList<unsigned>{1, 9, 3}
                                     << QStringList{QStringLiteral("F2/2/9")};
        QTest::newRow("longer") << QList<unsigned>{1} << QList<unsigned>{5, 2}
                                << QStringList{QStringLiteral("F1/1/5"), QStringLiteral("F2/-/2")};
        QTest::newRow("shorter") << QList<unsigned>{1, 2} << QList<unsigned>{1}
                                 << QStringList{QStringLiteral("F2/2/-")};
    }
    void diffListsOnlyDifferingRows()
    {
        QFETCH(QList<unsigned>, older);
        QFETCH(QList<unsigned>, newer);
        QFETCH(QStringList, rows);
        const auto kept = [](const QList<unsigned>& values) {
            QList<KeptParameter> list;
            for (qsizetype i = 0; i < values.size(); ++i)
                list.append({int(i), int(i) + 1, values[i]});
            return list;
        };
        QStringList got;
        for (const DiffRow& row : diffParameters(kept(older), kept(newer), SetLayout::Layout173)) {
            const QStringList t = row.texts();
            got << t[0] + QLatin1Char('/') + t[2] + QLatin1Char('/') + t[3];
            QVERIFY(!t[1].isEmpty());
        }
        QCOMPARE(got, rows);
    }
};

QTEST_GUILESS_MAIN(HistoryStoreTest)
#include "tst_history_store.moc"
