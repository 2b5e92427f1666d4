#include "Replay.h"

#include <algorithm>
#include <stdexcept>

Replay::Replay(const recorder::Recording& recording) : header_(recording.header)
{
    const qint64 first = recording.entries.empty() ? 0 : recording.entries.front().ms;
    for (const traffic::Entry& e : recording.entries) {
        lengthMs_ = e.ms - first;
        if (e.direction != traffic::Direction::Received || e.bytes.size() < 5)
            continue;
        if (e.bytes[3] == 'E')
            reports_.push_back({e.ms - first, e.bytes});
        else if (isLivePoll(e.bytes[3], e.bytes[4]))
            replies_[std::size_t(kindOf(e.bytes[4]))].push_back({e.ms - first, e.bytes});
    }
}

Replay Replay::load(const QString& path)
{
    const recorder::ReadResult read = recorder::readRecording(path);
    if (!read.recording)
        throw std::runtime_error(read.error.toStdString());
    return Replay(*read.recording);
}

bool Replay::isLivePoll(char command, char subCommand)
{
    return command == 'A' && (subCommand == '0' || subCommand == '3' || subCommand == '4' || subCommand == '8');
}

int Replay::kindOf(char subCommand)
{
    switch (subCommand) {
    case '0':
        return 0;
    case '3':
        return 1;
    case '4':
        return 2;
    default:
        return 3;
    }
}

QByteArray Replay::reply(char subCommand, qint64 ms) const
{
    const std::vector<Timed>& kind = replies_[std::size_t(kindOf(subCommand))];
    if (kind.empty())
        return {};
    const auto after = std::upper_bound(kind.cbegin(), kind.cend(), ms, [](qint64 t, const Timed& r) { return t < r.ms; });
    return after == kind.cbegin() ? kind.front().frame : std::prev(after)->frame;
}

QList<QByteArray> Replay::takeReportsDue(qint64 ms)
{
    QList<QByteArray> due;
    for (; nextReport_ < reports_.size() && reports_[nextReport_].ms <= ms; ++nextReport_)
        due << reports_[nextReport_].frame;
    return due;
}
