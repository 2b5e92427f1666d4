// vardo-cli's history commands as a script runs them: the real executable,
// its store in a private data folder, the simulated controller as COM1
// and, for the team, a PostgreSQL server the test starts.

#include "ConfigHome.h"
#include "LinkSettings.h"
#include "ParamFile.h"
#include "PgServer.h"
#include "SimController.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

struct Run
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QByteArray fileOf(const QList<unsigned>& values)
{
    QList<ParamRecord> records;
    for (qsizetype i = 0; i < values.size(); ++i)
        records.append({std::uint8_t(i), 0, std::uint16_t(values[i])});
    return encodeParamRecords(records);
}

QList<unsigned> valuesOf(const QByteArray& file)
{
    QList<unsigned> values;
    for (const ParamRecord& r : decodeParamRecords(file, 1000).records)
        values.append(r.value);
    return values;
}

QList<QByteArray> lines(const QByteArray& text)
{
    QList<QByteArray> list = text.split('\n');
    if (!list.isEmpty() && list.last().isEmpty())
        list.removeLast();
    return list;
}

} // namespace

class HistoryCliTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ConfigHome> home_;
    std::unique_ptr<SimController> sim_;
    std::unique_ptr<QTemporaryDir> files_;

    // dataHome: another engineer's data folder (another local store).
    Run cli(const QStringList& arguments, const QString& dataHome = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (!dataHome.isEmpty())
            env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(VARDO_CLI_EXE), arguments);
        Run run;
        if (!process.waitForFinished(120000)) {
            process.kill();
            process.waitForFinished();
            return run;
        }
        run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.out = process.readAllStandardOutput();
        run.err = process.readAllStandardError();
        return run;
    }

    QString writeFile(const QString& name, const QByteArray& bytes, const QDateTime& time)
    {
        QFile f(files_->filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        f.close();
        f.open(QIODevice::Append);
        f.setFileTime(time, QFileDevice::FileModificationTime);
        return f.fileName();
    }

    QList<unsigned> elevatorValues()
    {
        return sim_->withElevator([](ElevatorModel& e) {
            QList<unsigned> v;
            for (int i = 0; i < e.parameterCount(); ++i)
                v.append(e.parameter(i));
            return v;
        });
    }

    // The kinds of the controller's records, newest first.
    QStringList kinds(const QString& controller)
    {
        QStringList list;
        const Run run = cli({QStringLiteral("history"), QStringLiteral("list"), QStringLiteral("--controller"),
                             controller, QStringLiteral("--json")});
        for (const QJsonValue& e : QJsonDocument::fromJson(run.out).array())
            list << e[QStringLiteral("kind")].toString();
        return list;
    }

private slots:
    void init()
    {
        home_ = std::make_unique<ConfigHome>();
        sim_ = std::make_unique<SimController>();
        sim_->linkAs(1);
        files_ = std::make_unique<QTemporaryDir>();
    }

    void cleanup()
    {
        sim_.reset();
        files_.reset();
        home_.reset();
    }

    // Old backups brought in keep their files' times; the same file twice
    // is kept once; list, show, diff, export and note work on them by id
    // prefix and latest~N.
    void oldBackupsAreListedComparedAndExported()
    {
        QList<unsigned> older(173, 7);
        QList<unsigned> newer = older;
        newer[11] = 9;
        const QString a = writeFile(QStringLiteral("2019.F"), fileOf(older), QDateTime(QDate(2019, 5, 1), QTime(8, 0), Qt::UTC));
        const QString b = writeFile(QStringLiteral("2023.F"), fileOf(newer), QDateTime(QDate(2023, 6, 1), QTime(8, 0), Qt::UTC));
        QCOMPARE(cli({QStringLiteral("history"), QStringLiteral("import"), a, b, QStringLiteral("--controller"),
                      QStringLiteral("E77")}).exitCode, 0);
        QCOMPARE(cli({QStringLiteral("history"), QStringLiteral("import"), a, QStringLiteral("--controller"),
                      QStringLiteral("E77")}).exitCode, 0);
        QCOMPARE(cli({QStringLiteral("history"), QStringLiteral("name"), QStringLiteral("E77"), QStringLiteral("东塔1号梯")})
                     .exitCode, 0);

        const Run listed = cli({QStringLiteral("history"), QStringLiteral("list"), QStringLiteral("--controller"),
                                QStringLiteral("东塔1号梯"), QStringLiteral("--json")});
        QCOMPARE(listed.exitCode, 0);
        const QJsonArray entries = QJsonDocument::fromJson(listed.out).array();
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries[0][QStringLiteral("note")].toString(), QStringLiteral("2023.F"));
        QCOMPARE(entries[1][QStringLiteral("time")].toString(), QStringLiteral("2019-05-01T08:00:00.000Z"));
        const QString newest = entries[0][QStringLiteral("id")].toString();

        const Run diff = cli({QStringLiteral("history"), QStringLiteral("diff"), QStringLiteral("latest~1"),
                              newest.left(6)});
        QCOMPARE(diff.exitCode, 1);
        QCOMPARE(lines(diff.out), QList<QByteArray>{"-\t最大楼层数（平层插板数）\t7\t9"});
        QCOMPARE(cli({QStringLiteral("history"), QStringLiteral("diff"), QStringLiteral("latest"), newest}).exitCode, 0);

        const QString exported = files_->filePath(QStringLiteral("back.F"));
        QCOMPARE(cli({QStringLiteral("history"), QStringLiteral("export"), QStringLiteral("latest~1"),
                      QStringLiteral("-o"), exported}).exitCode, 0);
        QFile back(exported);
        QVERIFY(back.open(QIODevice::ReadOnly));
        QCOMPARE(back.readAll(), fileOf(older));

        QCOMPARE(cli({QStringLiteral("history"), QStringLiteral("note"), newest.left(8), QStringLiteral("门机更换后")})
                     .exitCode, 0);
        const Run shown = cli({QStringLiteral("history"), QStringLiteral("list"), QStringLiteral("--controller"),
                               QStringLiteral("E77")});
        QVERIFY(lines(shown.out).first().endsWith("2023.F; 门机更换后"));

        // References that name nothing, or too much, say so.
        const Run unknown = cli({QStringLiteral("history"), QStringLiteral("show"), QStringLiteral("ffff")});
        QCOMPARE(unknown.exitCode, 1);
        QVERIFY(unknown.err.contains("no record has an id starting so"));
        const Run noSuch = cli({QStringLiteral("history"), QStringLiteral("show"), QStringLiteral("latest~5")});
        QCOMPARE(noSuch.exitCode, 1);
        QVERIFY(noSuch.err.contains("has no such snapshot"));
    }

    // A read is kept once, then only seen; a write keeps what it replaced
    // (read first) and what it left; a kept snapshot is written back by
    // its reference; a parameter set is an edit.
    void readsAndWritesOfTheCommandLineAreKept()
    {
        const QString lift = QStringLiteral("VD2019A07");
        const QString saved = files_->filePath(QStringLiteral("saved.F"));
        QCOMPARE(cli({QStringLiteral("params"), QStringLiteral("read"), QStringLiteral("--fast"), QStringLiteral("-o"),
                      saved}).exitCode, 0);
        QCOMPARE(cli({QStringLiteral("params"), QStringLiteral("read"), QStringLiteral("--fast"), QStringLiteral("-o"),
                      saved}).exitCode, 0);
        QCOMPARE(kinds(lift), (QStringList{"seen", "read"}));

        QFile file(saved);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<unsigned> original = valuesOf(file.readAll());
        QList<unsigned> changed = original;
        changed[20] = 1234;
        const QString edited = writeFile(QStringLiteral("edited.F"), fileOf(changed), QDateTime::currentDateTimeUtc());
        QCOMPARE(cli({QStringLiteral("params"), QStringLiteral("write"), edited}).exitCode, 0);
        QCOMPARE(elevatorValues(), changed);
        QCOMPARE(kinds(lift), (QStringList{"after-write", "before-write", "seen", "read"}));

        const Run shown = cli({QStringLiteral("history"), QStringLiteral("show"), QStringLiteral("latest"),
                               QStringLiteral("--controller"), lift, QStringLiteral("--csv"),
                               QStringLiteral("-")});
        QVERIFY(shown.out.contains("\n20,F21,1234,"));

        // latest~1 is what the write replaced: written back, without a
        // snapshot before (--no-snapshot), one after.
        const Run back = cli({QStringLiteral("params"), QStringLiteral("write"), QStringLiteral("latest~1"),
                              QStringLiteral("--no-snapshot")});
        QCOMPARE(back.exitCode, 0);
        QCOMPARE(elevatorValues(), original);
        QCOMPARE(kinds(lift), (QStringList{"after-write", "after-write", "before-write", "seen", "read"}));

        // A single parameter set is an edit.
        QCOMPARE(cli({QStringLiteral("params"), QStringLiteral("set"), QStringLiteral("20"), QStringLiteral("1234")})
                     .exitCode, 0);
        QCOMPARE(kinds(lift).value(0), QStringLiteral("edit"));
    }

    // A store that cannot be used is told once; the read goes on.
    void aDamagedStoreIsToldAndTheCommandWorks()
    {
        const QString store = home_->path() + QStringLiteral("/data/VARDO/history.sqlite");
        QDir().mkpath(QFileInfo(store).path());
        QFile garbage(store);
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write(QByteArray(8192, 'x'));
        garbage.close();
        const QString saved = files_->filePath(QStringLiteral("saved.F"));
        const Run read = cli({QStringLiteral("params"), QStringLiteral("read"), QStringLiteral("--fast"),
                              QStringLiteral("-o"), saved});
        QCOMPARE(read.exitCode, 0);
        QCOMPARE(QFileInfo(saved).size(), 692);
        QCOMPARE(lines(read.err).size(), 1);
        QVERIFY(read.err.contains("the history store is damaged"));
        const Run list = cli({QStringLiteral("history"), QStringLiteral("list")});
        QCOMPARE(list.exitCode, 1);
        QVERIFY(list.err.contains(store.toUtf8()));
    }

    // Two engineers' stores meet on the team's server named in settings.ini.
    void syncSharesTheRecordThroughTheServer()
    {
        PgServer pg;
        if (!pg.start())
            QSKIP(qPrintable(QStringLiteral("no PostgreSQL server: ") + pg.why()));
        home_->writeSettings("1N81", "9600", "38400", "E");
        QSettings settings(QFileInfo(home_->path() + QStringLiteral("/VARDOCOM/settings.ini")).filePath(),
                           QSettings::IniFormat);
        settings.setValue(QStringLiteral("historyserver"), pg.connection());
        settings.sync();
        const QString colleague = files_->filePath(QStringLiteral("colleague"));

        const QString a = writeFile(QStringLiteral("a.F"), fileOf(QList<unsigned>(173, 1)), QDateTime::currentDateTimeUtc());
        const QString b = writeFile(QStringLiteral("b.F"), fileOf(QList<unsigned>(173, 2)), QDateTime::currentDateTimeUtc());
        QCOMPARE(cli({QStringLiteral("history"), QStringLiteral("import"), a, QStringLiteral("--controller"),
                      QStringLiteral("E1")}).exitCode, 0);
        QCOMPARE(cli({QStringLiteral("history"), QStringLiteral("import"), b, QStringLiteral("--controller"),
                      QStringLiteral("E2")}, colleague).exitCode, 0);

        const Run mine = cli({QStringLiteral("history"), QStringLiteral("sync")});
        QCOMPARE(mine.exitCode, 0);
        QCOMPARE(mine.out, QByteArray("1 records sent to the server, 0 received\n"));
        QCOMPARE(cli({QStringLiteral("history"), QStringLiteral("sync")}, colleague).out,
                 QByteArray("1 records sent to the server, 1 received\n"));
        QCOMPARE(cli({QStringLiteral("history"), QStringLiteral("sync")}).out,
                 QByteArray("0 records sent to the server, 1 received\n"));
        QCOMPARE(lines(cli({QStringLiteral("history"), QStringLiteral("list")}).out).size(), 2);
        QCOMPARE(lines(cli({QStringLiteral("history"), QStringLiteral("list")}, colleague).out).size(), 2);

        // A password in the connection string is refused before anything is sent.
        const Run refused = cli({QStringLiteral("history"), QStringLiteral("sync"), QStringLiteral("--server"),
                                 pg.connection() + QStringLiteral(" password=x")});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY(refused.err.contains("must not hold a password"));
    }
};

QTEST_GUILESS_MAIN(HistoryCliTest)
#include "tst_history_cli.moc"
