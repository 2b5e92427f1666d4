// bench_history: about ten years of daily visits to 30 elevators, 10,000
// snapshots of 173 parameters, stored one transaction each and listed, on
// an SQLite file and on a PostgreSQL server of its own; then the whole
// record synced from the file to an empty server. Prints the figures.

#include "HistoryStore.h"
#include "HistorySync.h"
#include "PgServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

using namespace history;

namespace {

constexpr int kSnapshots = 10000;
constexpr int kControllers = 30;
constexpr int kLists = 25;

ControllerIdentity liftNumber(int n)
{
    return {QStringLiteral("VARDO M173 V3.21"), QStringLiteral("E%1").arg(n, 4, 10, QLatin1Char('0')),
            QStringLiteral("0216478%1").arg(n, 4, 10, QLatin1Char('0')), QStringLiteral("COM1")};
}

// Snapshot i: elevator i % 30, a day after the one before; each visit
// finds a few values changed.
Snapshot snapshotNumber(int i)
{
    QList<KeptParameter> kept;
    for (int p = 0; p < 173; ++p)
        kept.append({p, p + 1, unsigned((p * 37 + (p % 11 == i % 11 ? i : 0)) % 65536)});
    Snapshot s = Snapshot::make(liftNumber(i % kControllers), SetLayout::Layout173, SnapshotKind::Read, kept);
    s.stamp.at = QDateTime(QDate(2016, 1, 1), QTime(8, 0), Qt::UTC).addSecs(qint64(i) * 86400 / 3);
    return s;
}

struct Figures
{
    double storeMs = 0;
    double listMedianMs = 0;
    double listWorstMs = 0;
    double controllersMs = 0;
    int listed = 0;
};

Figures run(HistoryStore& store)
{
    Figures f;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < kSnapshots; ++i) {
        if (!store.add(snapshotNumber(i))) {
            std::printf("store failed: %s\n", qPrintable(problemLine(store.problem())));
            return f;
        }
    }
    f.storeMs = double(timer.nsecsElapsed()) / 1e6;

    QList<double> lists;
    for (int k = 0; k < kLists; ++k) {
        timer.restart();
        f.listed = int(store.history(liftNumber(k % kControllers).key()).size());
        lists.append(double(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(lists.begin(), lists.end());
    f.listMedianMs = lists[lists.size() / 2];
    f.listWorstMs = lists.last();
    timer.restart();
    store.controllers();
    f.controllersMs = double(timer.nsecsElapsed()) / 1e6;
    return f;
}

void print(const char* engine, const Figures& f, double bytes)
{
    std::printf("%s\n", engine);
    std::printf("  store %d snapshots:        %8.0f ms (%.2f ms a snapshot, one transaction each)\n", kSnapshots,
                f.storeMs, f.storeMs / kSnapshots);
    std::printf("  list one controller (%d):  median %.1f ms, worst %.1f ms of %d\n", f.listed, f.listMedianMs,
                f.listWorstMs, kLists);
    std::printf("  list the %d controllers:    %8.1f ms\n", kControllers, f.controllersMs);
    std::printf("  store size:                %8.0f bytes a snapshot\n", bytes / kSnapshots);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("bench_history: %d snapshots of 173 parameters, %d elevators\n\n", kSnapshots, kControllers);

    const QString path = dir.filePath(QStringLiteral("history.sqlite"));
    {
        auto store = HistoryStore::openFile(path);
        const Figures f = run(*store);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("size"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        db.close();
        print("SQLite (WAL, synchronous=NORMAL)", f, double(QFileInfo(path).size()));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("size"));

    PgServer pg;
    if (!pg.start()) {
        std::printf("\nPostgreSQL: not measured: %s\n", qPrintable(pg.why()));
        return 0;
    }
    {
        auto server = HistoryStore::openServer(pg.connection(QStringLiteral("bench")));
        const Figures f = run(*server);
        double bytes = 0;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("pgsize"));
            db.setConnectOptions(pg.connection(QStringLiteral("bench")));
            db.open();
            QSqlQuery q(db);
            if (q.exec(QStringLiteral("SELECT pg_total_relation_size('snapshots')")) && q.next())
                bytes = q.value(0).toDouble();
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("pgsize"));
        print("\nPostgreSQL (local socket, fsync off)", f, bytes);
    }
    {
        auto local = HistoryStore::openFile(path);
        auto server = HistoryStore::openServer(pg.connection(QStringLiteral("team")));
        QElapsedTimer timer;
        timer.start();
        const SyncResult pushed = syncStores(*local, *server);
        const double first = double(timer.nsecsElapsed()) / 1e6;
        timer.restart();
        const SyncResult again = syncStores(*local, *server);
        std::printf("\nsync of the SQLite file with an empty server: %d records sent in %.0f ms; "
                    "again (nothing to send): %.0f ms%s\n",
                    pushed.pushed, first, double(timer.nsecsElapsed()) / 1e6,
                    (pushed.problem || again.problem) ? " (failed)" : "");
    }
    return 0;
}
