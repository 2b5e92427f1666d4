#pragma once

#include <QString>
#include <QTemporaryDir>

// A PostgreSQL server of its own for one test: initdb and pg_ctl (Debian's
// postgresql package) in a temporary folder, reached only through a Unix
// socket there, trusted, with fsync off. Run as root (CI), the server runs
// as the user nobody, since PostgreSQL refuses to run as root.
class PgServer
{
public:
    PgServer();
    ~PgServer();  // stops the server
    PgServer(const PgServer&) = delete;
    PgServer& operator=(const PgServer&) = delete;

    // Makes and starts the server; false, with why() set, when it cannot.
    bool start();
    QString why() const { return why_; }

    // libpq's connection string of a database, made on the first call.
    QString connection(const QString& database = QStringLiteral("vardo"));

private:
    bool run(const QStringList& command, QString* output = nullptr);

    QTemporaryDir dir_;
    QString bin_;
    QString why_;
    bool asNobody_ = false;
    bool started_ = false;
    QStringList databases_;
};
