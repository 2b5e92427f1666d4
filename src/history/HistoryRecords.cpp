#include "HistoryRecords.h"

#include <QSysInfo>

#include <array>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace history {

QString ControllerIdentity::key() const
{
    if (!elevatorId.trimmed().isEmpty())
        return elevatorId.trimmed();
    return programName.trimmed() + QLatin1Char('@') + port;
}

namespace {

struct LayoutName
{
    SetLayout layout;
    const char* text;
};
constexpr std::array<LayoutName, 3> kLayoutNames{{
    {SetLayout::Layout173, "173"},
    {SetLayout::Layout114, "114"},
    {SetLayout::Door, "door"},
}};

struct KindName
{
    SnapshotKind kind;
    const char* text;
    const char* caption;
};
constexpr std::array<KindName, 5> kKindNames{{
    {SnapshotKind::Read, "read", "读取"},
    {SnapshotKind::BeforeWrite, "before-write", "写入前"},
    {SnapshotKind::AfterWrite, "after-write", "写入后"},
    {SnapshotKind::AfterReset, "reset", "复位后"},
    {SnapshotKind::FileImport, "import", "文件导入"},
}};

} // namespace

// The entry of a table whose member equals the value; nothing when none.
template <class Table, class Member, class Value>
auto findIn(const Table& table, Member member, const Value& value) -> const typename Table::value_type*
{
    for (const auto& entry : table) {
        if (entry.*member == value)
            return &entry;
    }
    return nullptr;
}

QString layoutText(SetLayout layout)
{
    const LayoutName* n = findIn(kLayoutNames, &LayoutName::layout, layout);
    return n ? QString::fromLatin1(n->text) : QString();
}

std::optional<SetLayout> layoutFromText(const QString& text)
{
    for (const LayoutName& n : kLayoutNames) {
        if (text == QLatin1String(n.text))
            return n.layout;
    }
    return std::nullopt;
}

SetLayout setLayoutOf(const ParamLayout& layout)
{
    switch (layout.table) {
    case ParamTable::Layout114:
        return SetLayout::Layout114;
    case ParamTable::Door:
        return SetLayout::Door;
    case ParamTable::Layout173:
        break;
    }
    return SetLayout::Layout173;
}

const ParamLayout& paramLayoutOf(SetLayout layout)
{
    switch (layout) {
    case SetLayout::Layout114:
        return kLayout114;
    case SetLayout::Door:
        return kDoorLayout;
    case SetLayout::Layout173:
        break;
    }
    return kLayout173;
}

QString kindText(SnapshotKind kind)
{
    const KindName* n = findIn(kKindNames, &KindName::kind, kind);
    return n ? QString::fromLatin1(n->text) : QString();
}

std::optional<SnapshotKind> kindFromText(const QString& text)
{
    for (const KindName& n : kKindNames) {
        if (text == QLatin1String(n.text))
            return n.kind;
    }
    return std::nullopt;
}

QString kindCaption(SnapshotKind kind)
{
    const KindName* n = findIn(kKindNames, &KindName::kind, kind);
    return n ? QString::fromUtf8(n->caption) : QString();
}

namespace {

QString userName()
{
    for (const char* name : {"USER", "LOGNAME", "USERNAME"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            return value;
    }
#ifdef Q_OS_UNIX
    if (const passwd* entry = getpwuid(getuid()))
        return QString::fromLocal8Bit(entry->pw_name);
#endif
    return {};
}

} // namespace

Stamp Stamp::now()
{
    Stamp s;
    const QDateTime t = QDateTime::currentDateTimeUtc();
    s.at = QDateTime::fromMSecsSinceEpoch(t.toMSecsSinceEpoch(), Qt::UTC);
    s.user = userName();
    s.host = QSysInfo::machineHostName();
    return s;
}

QList<KeptParameter> Snapshot::parameters() const
{
    QList<KeptParameter> kept;
    const QList<ParamRecord> list = records();
    kept.reserve(list.size());
    for (qsizetype i = 0; i < list.size(); ++i) {
        KeptParameter p{list[i].index, std::nullopt, list[i].value};
        if (i < numbers.size())
            p.number = std::uint8_t(numbers[i]);
        kept.append(p);
    }
    return kept;
}

QList<ParamRecord> Snapshot::records() const
{
    return decodeParamRecords(values, int(values.size() / kParamRecordSize)).records;
}

Snapshot Snapshot::make(const ControllerIdentity& identity, SetLayout layout, SnapshotKind kind,
                        const QList<KeptParameter>& parameters)
{
    Snapshot s;
    s.id = QUuid::createUuid();
    s.identity = identity;
    s.controller = identity.key();
    s.layout = layout;
    s.kind = kind;
    s.stamp = Stamp::now();
    QList<ParamRecord> records;
    bool numbered = !parameters.isEmpty();
    for (const KeptParameter& p : parameters) {
        records.append({std::uint8_t(p.index), 0, std::uint16_t(p.value & 0xFFFFu)});
        numbered = numbered && p.number.has_value();
    }
    s.values = encodeParamRecords(records);
    if (numbered) {
        for (const KeptParameter& p : parameters)
            s.numbers.append(char(std::uint8_t(*p.number)));
    }
    return s;
}

QString idText(const QUuid& id)
{
    return id.toString(QUuid::WithoutBraces);
}

QString shortId(const QUuid& id)
{
    return idText(id).left(8);
}

} // namespace history
