#include "HistoryCommands.h"

#include "Commands.h"
#include "ControllerLink.h"
#include "HistoryDiff.h"
#include "HistoryRef.h"
#include "HistorySync.h"
#include "IdentityChains.h"
#include "Output.h"
#include "ParamChains.h"
#include "ParamDescriptions.h"
#include "ParamFiles.h"
#include "ParamReply.h"
#include "ServiceRecord.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace cli {

namespace {

using namespace history;

QString localTime(const QDateTime& at)
{
    return at.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString utcTime(const QDateTime& at)
{
    return at.toUTC().toString(Qt::ISODateWithMs);
}

QJsonObject identityJson(const ControllerIdentity& who)
{
    return {{QStringLiteral("programName"), who.programName},
            {QStringLiteral("elevatorId"), who.elevatorId},
            {QStringLiteral("telephone"), who.telephone},
            {QStringLiteral("port"), who.port}};
}

void printJson(const QJsonValue& value)
{
    const QJsonDocument doc = value.isArray() ? QJsonDocument(value.toArray()) : QJsonDocument(value.toObject());
    printOut(doc.toJson(QJsonDocument::Indented));
}

// The controller --controller names; empty when not given. False (error
// printed) when it names none the store knows.
bool chosenController(HistoryStore& store, const CliOptions& options, QString& key)
{
    key.clear();
    if (options.controller.isEmpty())
        return true;
    const std::optional<QString> found = store.controllerNamed(options.controller);
    if (!found) {
        printError(QStringLiteral("no controller '%1' in the service record (history list shows them)")
                       .arg(options.controller));
        return false;
    }
    key = *found;
    return true;
}

std::optional<Snapshot> snapshotOf(HistoryStore& store, const QString& ref, const QString& controller)
{
    const RefLookup found = lookUp(store, ref, controller);
    if (!found.error.isEmpty()) {
        printError(found.error);
        return std::nullopt;
    }
    if (!found.snapshot) {
        printError(QStringLiteral("%1 is an edit, not a snapshot").arg(ref));
        return std::nullopt;
    }
    return found.snapshot;
}

int listControllers(HistoryStore& store, const CliOptions& options)
{
    const QList<KnownController> known = store.controllers();
    if (options.json) {
        QJsonArray list;
        for (const KnownController& c : known) {
            list.append(QJsonObject{{QStringLiteral("controller"), c.key},
                                    {QStringLiteral("name"), c.name},
                                    {QStringLiteral("identity"), identityJson(c.identity)},
                                    {QStringLiteral("last"), utcTime(c.last)},
                                    {QStringLiteral("snapshots"), c.snapshots},
                                    {QStringLiteral("edits"), c.edits}});
        }
        printJson(list);
        return kSuccess;
    }
    Rows rows({});
    for (const KnownController& c : known) {
        rows.add({c.key, c.name, c.identity.programName, localTime(c.last),
                  QStringLiteral("%1 snapshots").arg(c.snapshots), QStringLiteral("%1 edits").arg(c.edits)});
    }
    printOut(rows.table());
    return kSuccess;
}

QString entryWhat(const HistoryEntry& e)
{
    switch (e.type) {
    case HistoryEntry::Type::Edit:
        return QStringLiteral("index %1: %2 -> %3%4")
            .arg(e.index)
            .arg(e.oldValue)
            .arg(e.newValue)
            .arg(e.confirmed ? QString() : QStringLiteral(" (not confirmed)"));
    case HistoryEntry::Type::Seen:
        return QStringLiteral("unchanged since %1").arg(shortId(e.snapshot));
    case HistoryEntry::Type::Snapshot:
        break;
    }
    return {};
}

QString entryKind(const HistoryEntry& e)
{
    switch (e.type) {
    case HistoryEntry::Type::Edit:
        return QStringLiteral("edit");
    case HistoryEntry::Type::Seen:
        return QStringLiteral("seen");
    case HistoryEntry::Type::Snapshot:
        break;
    }
    return kindText(e.kind);
}

int listHistory(HistoryStore& store, const CliOptions& options, const QString& key)
{
    const QList<HistoryEntry> entries = store.history(key);
    if (!store.usable()) {
        printError(problemLine(store.problem()));
        return kFailure;
    }
    if (options.json) {
        QJsonArray list;
        for (const HistoryEntry& e : entries) {
            QJsonObject o{{QStringLiteral("id"), idText(e.id)},
                          {QStringLiteral("time"), utcTime(e.stamp.at)},
                          {QStringLiteral("user"), e.stamp.user},
                          {QStringLiteral("host"), e.stamp.host},
                          {QStringLiteral("kind"), entryKind(e)},
                          {QStringLiteral("layout"), layoutText(e.layout)},
                          {QStringLiteral("note"), e.allNotes()}};
            if (e.type == HistoryEntry::Type::Edit) {
                o.insert(QStringLiteral("index"), e.index);
                o.insert(QStringLiteral("old"), qint64(e.oldValue));
                o.insert(QStringLiteral("new"), qint64(e.newValue));
                o.insert(QStringLiteral("confirmed"), e.confirmed);
            }
            if (e.type == HistoryEntry::Type::Seen)
                o.insert(QStringLiteral("snapshot"), idText(e.snapshot));
            list.append(o);
        }
        printJson(list);
        return kSuccess;
    }
    Rows rows({});
    for (const HistoryEntry& e : entries) {
        rows.add({shortId(e.id), localTime(e.stamp.at), e.stamp.user, entryKind(e), layoutText(e.layout), entryWhat(e),
                  e.allNotes()});
    }
    printOut(rows.table());
    return kSuccess;
}

int list(HistoryStore& store, const CliOptions& options, const QString& controller)
{
    return controller.isEmpty() ? listControllers(store, options) : listHistory(store, options, controller);
}

int show(HistoryStore& store, const CliOptions& options, const QString& controller)
{
    const std::optional<Snapshot> s = snapshotOf(store, options.arguments[0], controller);
    if (!s)
        return kFailure;
    const ParamTable table = paramLayoutOf(s->layout).table;
    const QList<KeptParameter> kept = s->parameters();
    const auto number = [](const KeptParameter& p) { return p.number ? paramNumberText(*p.number) : QString(); };
    if (options.json) {
        QJsonArray parameters;
        for (const KeptParameter& p : kept) {
            QJsonObject o{{QStringLiteral("index"), p.index}, {QStringLiteral("value"), qint64(p.value)},
                          {QStringLiteral("description"), parameterDescription(table, p.index).value_or(QString())}};
            if (p.number)
                o.insert(QStringLiteral("number"), *p.number);
            parameters.append(o);
        }
        printJson(QJsonObject{{QStringLiteral("id"), idText(s->id)},
                              {QStringLiteral("controller"), s->controller},
                              {QStringLiteral("identity"), identityJson(s->identity)},
                              {QStringLiteral("layout"), layoutText(s->layout)},
                              {QStringLiteral("kind"), kindText(s->kind)},
                              {QStringLiteral("time"), utcTime(s->stamp.at)},
                              {QStringLiteral("user"), s->stamp.user},
                              {QStringLiteral("host"), s->stamp.host},
                              {QStringLiteral("note"), s->note},
                              {QStringLiteral("parameters"), parameters}});
        return kSuccess;
    }
    Rows rows({QStringLiteral("index"), QStringLiteral("name"), QStringLiteral("value"), QStringLiteral("description")});
    for (const KeptParameter& p : kept)
        rows.add({p.index, number(p), qint64(p.value), parameterDescription(table, p.index).value_or(QString())});
    return writeRows(options, rows) ? kSuccess : kFailure;
}

int diff(HistoryStore& store, const CliOptions& options, const QString& controller)
{
    const std::optional<Snapshot> a = snapshotOf(store, options.arguments[0], controller);
    const std::optional<Snapshot> b = a ? snapshotOf(store, options.arguments[1], controller) : std::nullopt;
    if (!a || !b)
        return kUsage;
    if (a->layout != b->layout) {
        printError(QStringLiteral("%1 holds the %2 layout, %3 the %4 layout: nothing to compare")
                       .arg(shortId(a->id), layoutText(a->layout), shortId(b->id), layoutText(b->layout)));
        return kUsage;
    }
    Rows rows({QStringLiteral("name"), QStringLiteral("description"), QStringLiteral("old"), QStringLiteral("new")});
    const QList<DiffRow> differing = diffParameters(a->parameters(), b->parameters(), a->layout);
    for (const DiffRow& row : differing) {
        QList<QJsonValue> cells;
        for (const QString& text : row.texts())
            cells << text;
        rows.add(cells);
    }
    if (!writeRows(options, rows))
        return kUsage;
    return differing.isEmpty() ? kSuccess : kFailure;
}

int exportSnapshot(HistoryStore& store, const CliOptions& options, const QString& controller)
{
    const std::optional<Snapshot> s = snapshotOf(store, options.arguments[0], controller);
    if (!s)
        return kFailure;
    return writeResult(options.outputPath, encodeParamRecords(s->records())) ? kSuccess : kFailure;
}

int note(HistoryStore& store, const CliOptions& options, const QString& controller)
{
    const RefLookup found = lookUp(store, options.arguments[0], controller);
    if (!found.found()) {
        printError(found.error);
        return kFailure;
    }
    const Note n{QUuid::createUuid(), found.snapshot ? found.snapshot->id : found.edit, options.arguments[1],
                 Stamp::now()};
    if (!store.add(n)) {
        printError(problemLine(store.problem()));
        return kFailure;
    }
    printOut(idText(n.id) + QLatin1Char('\n'));
    return kSuccess;
}

int name(HistoryStore& store, const CliOptions& options, const QString&)
{
    const QString key = store.controllerNamed(options.arguments[0]).value_or(options.arguments[0]);
    if (!store.add(ControllerName{QUuid::createUuid(), key, options.arguments[1], Stamp::now()})) {
        printError(problemLine(store.problem()));
        return kFailure;
    }
    return kSuccess;
}

int sync(HistoryStore& store, const CliOptions& options, const QString&)
{
    const QString where = options.server.isEmpty() ? configuredServer() : options.server;
    if (where.isEmpty()) {
        printError(QStringLiteral("no history server: set historyserver= in settings.ini (libpq's connection "
                                  "string) or give --server"));
        return kFailure;
    }
    auto server = HistoryStore::openServer(where);
    if (!server->usable()) {
        printError(problemLine(server->problem()));
        return kFailure;
    }
    const SyncResult result = syncStores(store, *server);
    if (result.problem) {
        printError(problemLine(result.problem));
        return kFailure;
    }
    printOut(QStringLiteral("%1 records sent to the server, %2 received\n").arg(result.pushed).arg(result.pulled));
    return kSuccess;
}

// Old backups keep the time of their file; the same file imported twice
// is kept once, as its id follows from what it holds.
int import(HistoryStore& store, const CliOptions& options, const QString&)
{
    const QString key = store.controllerNamed(options.controller).value_or(options.controller);
    for (const QString& path : options.arguments) {
        const LayoutFile file = readLayoutFile(options, path);
        if (file.failure != kSuccess)
            return file.failure;
        QList<KeptParameter> kept;
        for (const ParamRecord& r : file.records)
            kept.append({r.index, std::nullopt, r.value});
        Snapshot s = Snapshot::make({QString(), key, QString(), QString()}, setLayoutOf(file.layout),
                                    SnapshotKind::FileImport, kept);
        s.controller = key;
        const QFileInfo info(path);
        s.stamp.at = info.lastModified().toUTC();
        s.note = info.fileName();
        s.id = QUuid::createUuidV5(QUuid(), s.controller.toUtf8() + '\0' + layoutText(s.layout).toUtf8() + '\0' +
                                                 s.values + utcTime(s.stamp.at).toUtf8());
        if (!store.add(s)) {
            printError(problemLine(store.problem()));
            return kFailure;
        }
        printOut(QStringLiteral("%1\t%2\n").arg(shortId(s.id), path));
    }
    return kSuccess;
}

} // namespace

QList<history::KeptParameter> keptOf(const QList<params::ParamRow>& rows)
{
    QList<history::KeptParameter> kept;
    kept.reserve(rows.size());
    for (const params::ParamRow& row : rows)
        kept.append({row.index, row.number, row.value});
    return kept;
}

CommandRecord::CommandRecord(const CliOptions& options)
    : options_(options), port_(chooseLink(options, options.door).portName)
{
    if (!options.door)
        return;
    // The elevator controller's own rate: --baud, given with --door, is
    // the door operator's.
    CliOptions elevator = options;
    elevator.baud.reset();
    ControllerLink link(elevator, false);
    identity::IdentityValues values;
    if (link.openSilently() && identity::readNameplate(values))
        who_ = history::identityOf(values, port_);
}

void CommandRecord::identify()
{
    identity::IdentityValues values;
    // With --fast each reply is taken as soon as it is whole.
    if (!options_.door && identity::readNameplate(values, options_.fast ? params::ReadPace{}.replyTimeoutMs : 0))
        who_ = history::identityOf(values, port_);
}

history::ControllerIdentity CommandRecord::who() const
{
    return who_.value_or(history::ControllerIdentity{QString(), QString(), QString(), port_});
}

void CommandRecord::tell()
{
    if (told_ || !record_.problem())
        return;
    told_ = true;
    printError(QStringLiteral("warning: %1; nothing is kept in the service record")
                   .arg(history::problemLine(record_.problem())));
}

history::HistoryStore* CommandRecord::store()
{
    history::HistoryStore* s = record_.store();
    tell();
    return s;
}

void CommandRecord::read(const ParamLayout& layout, const QList<params::ParamRow>& rows)
{
    record_.read(who(), layout, keptOf(rows));
    tell();
}

void CommandRecord::snapshot(const ParamLayout& layout, history::SnapshotKind kind,
                             const QList<history::KeptParameter>& kept)
{
    record_.snapshot(who(), layout, kind, kept);
    tell();
}

void CommandRecord::edit(const ParamLayout& layout, int index, unsigned oldValue, unsigned newValue, bool confirmed)
{
    record_.edit(who(), layout, index, oldValue, newValue, confirmed);
    tell();
}

namespace {

using HistoryWork = int (*)(HistoryStore&, const CliOptions&, const QString& controller);

// Opens the store and finds the controller --controller names (empty when
// not given), then does the work; `trouble` is the exit status when either
// fails.
template <HistoryWork work, int trouble = kFailure, bool findsController = true>
int runOnStore(const CliOptions& options)
{
    ServiceRecord record;
    HistoryStore* store = record.store();
    if (!store) {
        printError(problemLine(record.problem()));
        return trouble;
    }
    QString controller;
    if (findsController && !chosenController(*store, options, controller))
        return trouble;
    return work(*store, options, controller);
}

QString takeExportFile(CliOptions& o)
{
    return o.outputPath.isEmpty() ? QStringLiteral("give the file with -o FILE") : QString();
}

QString takeImportController(CliOptions& o)
{
    return o.controller.isEmpty() ? QStringLiteral("say whose files these are with --controller ELEVATOR-ID")
                                  : QString();
}

} // namespace

QList<CommandEntry> historyCommands()
{
    const QString controller = QStringLiteral("controller");
    const QString refs = QStringLiteral(
        "REF is the start of a record's id, or latest, latest~N (N before the latest) of the\n"
        "controller --controller names.");
    const auto words = [](const char* command) {
        return QStringList{QStringLiteral("history"), QLatin1String(command)};
    };
    return {
        {words("list"), QString(), 0, 0, {controller, QStringLiteral("json")}, false,
         QStringLiteral("the controllers of the service record, or one's records (--controller)"),
         QStringLiteral("Every complete read of a parameter set is kept, and a write keeps what it replaced\n"
                        "and what it left, in the service record (history.sqlite in the data folder)."),
         runOnStore<list>},
        {words("show"), QStringLiteral("REF"), 1, 1,
         {controller, QStringLiteral("json"), QStringLiteral("csv"), QStringLiteral("bom")}, false,
         QStringLiteral("a snapshot's parameters"), refs, runOnStore<show>},
        {words("diff"), QStringLiteral("REF REF"), 2, 2, {controller, QStringLiteral("csv"), QStringLiteral("bom")},
         false, QStringLiteral("the parameters two snapshots hold differently (exit 0 same, 1 different, 2 trouble)"),
         refs, runOnStore<diff, kUsage>},
        {words("export"), QStringLiteral("REF"), 1, 1, {controller, QStringLiteral("output")}, false,
         QStringLiteral("a snapshot as a parameter set file (-o FILE)"), refs, runOnStore<exportSnapshot>,
         takeExportFile},
        {words("note"), QStringLiteral("REF TEXT"), 2, 2, {controller}, false,
         QStringLiteral("add a note to a snapshot or an edit"), refs, runOnStore<note>},
        {words("name"), QStringLiteral("C NAME"), 2, 2, {}, false, QStringLiteral("give a controller a name"),
         QString(), runOnStore<name, kFailure, false>},
        {words("sync"), QString(), 0, 0, {QStringLiteral("server")}, false,
         QStringLiteral("share the service record with the team's server"),
         QStringLiteral("Passwords only from ~/.pgpass or PGPASSWORD."), runOnStore<sync, kFailure, false>},
        {words("import"), QStringLiteral("FILE..."), 1, -1, {controller, QStringLiteral("layout")}, false,
         QStringLiteral("bring old parameter set files into the service record (--controller C)"), QString(),
         runOnStore<import, kFailure, false>, takeImportController},
    };
}

} // namespace cli
