#include "Exports.h"

#include "VardoVersion.h"

#include <QStringList>

#include <optional>

namespace recorder {

namespace {

// Identifier codes of the value change dump: printable characters '!' to
// '~', as many as needed.
QByteArray vcdId(int index)
{
    QByteArray id;
    do {
        id += char('!' + index % 94);
        index /= 94;
    } while (index > 0);
    return id;
}

QByteArray binary(int value, int width)
{
    QByteArray bits(width, '0');
    for (int i = 0; i < width; ++i)
        bits[width - 1 - i] = ((unsigned(value) >> i) & 1u) ? '1' : '0';
    // Leading zeros may go; one digit stays.
    const qsizetype first = bits.indexOf('1');
    return first < 0 ? QByteArray("0") : bits.mid(first);
}

QByteArray vcdValue(const Track& track, std::optional<int> value, const QByteArray& id)
{
    if (track.width == 1)
        return (value ? QByteArray(*value ? "1" : "0") : QByteArray("x")) + id + '\n';
    return 'b' + (value ? binary(*value, track.width) : QByteArray("x")) + ' ' + id + '\n';
}

const char* scopeOf(TrackKind kind)
{
    switch (kind) {
    case TrackKind::CarCall:
    case TrackKind::UpCall:
    case TrackKind::DownCall:
        return "calls";
    case TrackKind::Input:
    case TrackKind::Output:
        return "io";
    default:
        return "status";
    }
}

QString callFloors(const TrackSet& set, TrackKind kind, const std::vector<std::optional<int>>& state)
{
    QStringList floors;
    for (int p = 1; p <= set.floors(); ++p) {
        if (state[std::size_t(TrackSet::callTrack(kind, p))].value_or(0))
            floors << QString::number(p);
    }
    return floors.join(QLatin1Char(' '));
}

} // namespace

std::vector<int> exportedTracks(const TrackSet& set)
{
    std::vector<int> out;
    for (int i = 0; i < int(set.tracks().size()); ++i) {
        const Track& t = set.track(i);
        switch (t.kind) {
        case TrackKind::CarCall:
        case TrackKind::UpCall:
        case TrackKind::DownCall:
            if (t.number <= set.floors())
                out.push_back(i);
            break;
        case TrackKind::Input:
        case TrackKind::Output:
            if (set.hasIo())
                out.push_back(i);
            break;
        default:
            out.push_back(i);
            break;
        }
    }
    return out;
}

QByteArray vcdText(const TrackSet& set)
{
    const std::vector<int> tracks = exportedTracks(set);
    std::vector<QByteArray> ids(set.tracks().size());
    QByteArray out;
    out += "$date " + set.header().start.toString(Qt::ISODateWithMs).toUtf8() + " $end\n";
    out += "$version VARDO " VARDO_VERSION " $end\n";
    out += "$comment port " + set.header().port.toUtf8() + ", layout " +
           (set.layout() == Layout::Unknown ? QByteArray("unknown") : layoutName(set.layout()).toUtf8()) +
           ", speed in mm/s, floor as the display code $end\n";
    out += "$timescale 1 ms $end\n";
    out += "$scope module vardo $end\n";
    const char* open = nullptr;
    int n = 0;
    for (int index : tracks) {
        const Track& t = set.track(index);
        const char* scope = t.kind == TrackKind::Fault ? nullptr : scopeOf(t.kind);
        if (scope != open) {
            if (open)
                out += "$upscope $end\n";
            if (scope)
                out += QByteArray("$scope module ") + scope + " $end\n";
            open = scope;
        }
        ids[std::size_t(index)] = vcdId(n++);
        const QByteArray name = t.kind == TrackKind::Floor   ? QByteArray("floor_code")
                                : t.kind == TrackKind::Speed ? QByteArray("speed_mm_s")
                                                             : t.key.toUtf8();
        out += "$var wire " + QByteArray::number(t.width) + ' ' + ids[std::size_t(index)] + ' ' + name + " $end\n";
    }
    if (open)
        out += "$upscope $end\n";
    out += "$upscope $end\n$enddefinitions $end\n";

    out += '#' + QByteArray::number(set.firstMs()) + "\n$dumpvars\n";
    for (int index : tracks)
        out += vcdValue(set.track(index), std::nullopt, ids[std::size_t(index)]);
    out += "$end\n";
    qint64 at = set.firstMs();
    for (const Change& c : set.changes()) {
        const QByteArray& id = ids[std::size_t(c.track)];
        if (id.isEmpty())
            continue;
        if (c.ms != at) {
            out += '#' + QByteArray::number(c.ms) + '\n';
            at = c.ms;
        }
        out += vcdValue(set.track(c.track), c.value, id);
    }
    if (set.lastMs() > at)
        out += '#' + QByteArray::number(set.lastMs()) + '\n';
    return out;
}

QString csvQuoted(const QString& text)
{
    const bool quoted = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                        (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quoted)
        return text;
    QString doubled = text;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

QByteArray csvText(const TrackSet& set, bool bom)
{
    // Columns: time, then each track but the calls, which take one column
    // per kind, and the fault with its description.
    std::vector<int> columns;
    for (int index : exportedTracks(set)) {
        const TrackKind kind = set.track(index).kind;
        if (kind != TrackKind::CarCall && kind != TrackKind::UpCall && kind != TrackKind::DownCall &&
            kind != TrackKind::Fault)
            columns.push_back(index);
    }
    QStringList header{QStringLiteral("time")};
    for (int index : columns)
        header << (index == TrackSet::kSpeedTrack ? QStringLiteral("speed_m_s") : set.track(index).key);
    header << QStringLiteral("car_calls") << QStringLiteral("up_calls") << QStringLiteral("down_calls")
           << QStringLiteral("fault") << QStringLiteral("fault_description");

    QByteArray out;
    if (bom)
        out += "\xEF\xBB\xBF";
    out += header.join(QLatin1Char(',')).toUtf8() + '\n';

    std::vector<std::optional<int>> state(set.tracks().size());
    const std::vector<Change>& changes = set.changes();
    std::size_t f = 0;  // next fault mark
    QString description;
    for (std::size_t i = 0; i < changes.size();) {
        const qint64 ms = changes[i].ms;
        for (; i < changes.size() && changes[i].ms == ms; ++i)
            state[std::size_t(changes[i].track)] = changes[i].value;
        for (; f < set.faults().size() && set.faults()[f].ms <= ms; ++f)
            description = set.description(set.faults()[f]);
        QStringList row{isoTime(set.header(), ms)};
        const auto text = [&](int index) {
            const std::optional<int>& v = state[std::size_t(index)];
            return v ? set.valueText(set.track(index), *v) : QString();
        };
        for (int index : columns)
            row << csvQuoted(text(index));
        for (TrackKind kind : {TrackKind::CarCall, TrackKind::UpCall, TrackKind::DownCall})
            row << callFloors(set, kind, state);
        const QString fault = text(TrackSet::faultTrack());
        row << fault << csvQuoted(fault.isEmpty() ? QString() : description);
        out += row.join(QLatin1Char(',')).toUtf8() + '\n';
    }
    return out;
}

} // namespace recorder
