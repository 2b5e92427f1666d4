#include "PgServer.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

namespace {

const QString kUser = QStringLiteral("vardo");

// The newest PostgreSQL installed by Debian's packages.
QString postgresBin()
{
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList found = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(found.begin(), found.end(), [](const QString& a, const QString& b) { return a.toInt() > b.toInt(); });
    for (const QString& v : found) {
        const QString bin = versions.filePath(v + QStringLiteral("/bin"));
        if (QFileInfo::exists(bin + QStringLiteral("/initdb")))
            return bin;
    }
    return {};
}

} // namespace

PgServer::PgServer() = default;

PgServer::~PgServer()
{
    if (started_)
        run({bin_ + QStringLiteral("/pg_ctl"), QStringLiteral("stop"), QStringLiteral("-D"),
             dir_.filePath(QStringLiteral("data")), QStringLiteral("-m"), QStringLiteral("immediate")});
}

bool PgServer::run(const QStringList& command, QString* output)
{
    QStringList program = command;
    if (asNobody_)
        program = QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("nobody"),
                              QStringLiteral("--")} + command;
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(dir_.path());
    p.start(program.first(), program.mid(1));
    const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    const QString text = QString::fromLocal8Bit(p.readAll()).trimmed();
    if (output)
        *output = text;
    if (!ok)
        why_ = QStringLiteral("%1 failed: %2").arg(QFileInfo(command.first()).fileName(), text.right(400));
    return ok;
}

bool PgServer::start()
{
    bin_ = postgresBin();
    if (bin_.isEmpty()) {
        why_ = QStringLiteral("PostgreSQL is not installed (Debian package postgresql)");
        return false;
    }
    if (!dir_.isValid()) {
        why_ = QStringLiteral("no temporary folder");
        return false;
    }
    // PostgreSQL will not run as root: the folder and the server go to nobody.
    if (geteuid() == 0) {
        const passwd* nobody = getpwnam("nobody");
        if (!nobody || chown(dir_.path().toLocal8Bit().constData(), nobody->pw_uid, nobody->pw_gid) != 0) {
            why_ = QStringLiteral("running as root, and the folder cannot be given to the user nobody");
            return false;
        }
        asNobody_ = true;
    }
    const QString data = dir_.filePath(QStringLiteral("data"));
    if (!run({bin_ + QStringLiteral("/initdb"), QStringLiteral("-D"), data, QStringLiteral("-U"), kUser,
              QStringLiteral("-A"), QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
              QStringLiteral("--locale=C"), QStringLiteral("--no-sync")}))
        return false;
    const QString options = QStringLiteral("-k %1 -c listen_addresses= -F").arg(dir_.path());
    started_ = run({bin_ + QStringLiteral("/pg_ctl"), QStringLiteral("start"), QStringLiteral("-w"),
                    QStringLiteral("-D"), data, QStringLiteral("-l"), dir_.filePath(QStringLiteral("server.log")),
                    QStringLiteral("-o"), options});
    return started_;
}

QString PgServer::connection(const QString& database)
{
    const QString base = QStringLiteral("host=%1 user=%2").arg(dir_.path(), kUser);
    if (started_ && !databases_.contains(database)) {
        databases_ << database;
        run({bin_ + QStringLiteral("/createdb"), QStringLiteral("-h"), dir_.path(), QStringLiteral("-U"), kUser,
             database});
    }
    return base + QStringLiteral(" dbname=") + database;
}
