#include "StoreProblem.h"

#include <QSqlError>

namespace history {

StoreProblem StoreProblem::of(const QSqlError& error, const QString& where)
{
    StoreProblem p;
    p.where = where;
    p.detail = error.text().trimmed();
    // SQLite's result codes: 5 busy, 6 locked, 11 corrupt, 26 not a database.
    const QString code = error.nativeErrorCode();
    if (code == QLatin1String("5") || code == QLatin1String("6"))
        p.kind = Kind::Locked;
    else if (code == QLatin1String("11") || code == QLatin1String("26"))
        p.kind = Kind::Damaged;
    else if (error.type() == QSqlError::ConnectionError)
        p.kind = Kind::CannotOpen;
    else
        p.kind = Kind::Failed;
    return p;
}

QString problemText(const StoreProblem& problem, bool localStore)
{
    QString what;
    switch (problem.kind) {
    case StoreProblem::Kind::None:
        return {};
    case StoreProblem::Kind::NoDriver:
        what = QStringLiteral("缺少数据库驱动");
        break;
    case StoreProblem::Kind::CannotOpen:
        what = QStringLiteral("无法打开历史记录库");
        break;
    case StoreProblem::Kind::Locked:
        what = QStringLiteral("历史记录库正被另一个程序占用");
        break;
    case StoreProblem::Kind::Damaged:
        what = QStringLiteral("历史记录库已损坏");
        break;
    case StoreProblem::Kind::NewerSchema:
        what = QStringLiteral("历史记录库由更新版本的程序写成");
        break;
    case StoreProblem::Kind::Refused:
        what = QStringLiteral("historyserver 中不能写密码，请用 ~/.pgpass 或 PGPASSWORD");
        break;
    case StoreProblem::Kind::Failed:
        what = QStringLiteral("历史记录库出错");
        break;
    }
    QString text = what + QStringLiteral("：") + problem.where;
    if (!problem.detail.isEmpty())
        text += QStringLiteral("\n(") + problem.detail + QLatin1Char(')');
    return localStore ? text + QStringLiteral("\n本次不记录历史，其余功能照常使用。") : text;
}

QString problemLine(const StoreProblem& problem)
{
    QString what;
    switch (problem.kind) {
    case StoreProblem::Kind::None:
        return {};
    case StoreProblem::Kind::NoDriver:
        what = QStringLiteral("the Qt SQL driver is not installed");
        break;
    case StoreProblem::Kind::CannotOpen:
        what = QStringLiteral("cannot open the history store");
        break;
    case StoreProblem::Kind::Locked:
        what = QStringLiteral("the history store is locked by another program");
        break;
    case StoreProblem::Kind::Damaged:
        what = QStringLiteral("the history store is damaged");
        break;
    case StoreProblem::Kind::NewerSchema:
        what = QStringLiteral("the history store was written by a newer VARDO");
        break;
    case StoreProblem::Kind::Refused:
        what = QStringLiteral("historyserver must not hold a password: use ~/.pgpass or PGPASSWORD");
        break;
    case StoreProblem::Kind::Failed:
        what = QStringLiteral("the history store failed");
        break;
    }
    QString line = problem.where + QStringLiteral(": ") + what;
    if (!problem.detail.isEmpty())
        line += QStringLiteral(" (") + problem.detail + QLatin1Char(')');
    return line;
}

} // namespace history
