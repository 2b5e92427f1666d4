#include "TrafficModel.h"

#include "LineTraffic.h"

#include <QBrush>

TrafficModel::TrafficModel(const traffic::LineTraffic& log, QObject* parent) : QAbstractTableModel(parent), log_(log)
{
    reset();
}

int TrafficModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int TrafficModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

int TrafficModel::logIndex(int row) const
{
    const std::uint64_t logFirst = log_.appended() - std::uint64_t(log_.size());
    const std::uint64_t number = first_ + std::uint64_t(row);
    if (number < logFirst || number >= log_.appended())
        return -1;
    return int(number - logFirst);
}

QVariant TrafficModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_)
        return {};
    const int at = logIndex(index.row());
    if (at < 0)
        return {};
    const traffic::Entry& entry = log_.at(at);
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case TimeColumn:
            return QString::number(entry.ms);
        case DirectionColumn:
            return traffic::directionText(entry.direction);
        case FrameColumn:
            return traffic::frameText(entry.bytes);
        case VerdictColumn:
            return traffic::verdictText(entry.verdict());
        default:
            return {};
        }
    case Qt::ToolTipRole:
        return index.column() == FrameColumn ? QVariant(traffic::frameText(entry.bytes)) : QVariant();
    case Qt::FontRole:
        return index.column() == FrameColumn ? QVariant(frameFont_) : QVariant();
    case Qt::TextAlignmentRole:
        if (index.column() == TimeColumn)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        if (index.column() == DirectionColumn)
            return QVariant::fromValue(Qt::AlignHCenter | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ForegroundRole:
        // A failed checksum stands out in red.
        if (index.column() == VerdictColumn && entry.verdict() == traffic::Verdict::Fails)
            return QBrush(Qt::red);
        return {};
    default:
        return {};
    }
}

QVariant TrafficModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case TimeColumn:
        return QStringLiteral("时间(ms)");
    case DirectionColumn:
        return QStringLiteral("方向");
    case FrameColumn:
        return QStringLiteral("帧");
    case VerdictColumn:
        return QStringLiteral("校验");
    default:
        return {};
    }
}

bool TrafficModel::refresh()
{
    const std::uint64_t total = log_.appended();
    const std::uint64_t logFirst = total - std::uint64_t(log_.size());
    // Emptied behind the model's back: start over.
    if (total < first_ + std::uint64_t(rows_)) {
        reset();
        return true;
    }
    bool changed = false;
    if (logFirst > first_) {
        const int dropped = int(std::min<std::uint64_t>(logFirst - first_, std::uint64_t(rows_)));
        if (dropped > 0) {
            beginRemoveRows({}, 0, dropped - 1);
            rows_ -= dropped;
            first_ += std::uint64_t(dropped);
            endRemoveRows();
            changed = true;
        }
        if (rows_ == 0)
            first_ = logFirst;
    }
    const int added = int(total - (first_ + std::uint64_t(rows_)));
    if (added > 0) {
        beginInsertRows({}, rows_, rows_ + added - 1);
        rows_ += added;
        endInsertRows();
        changed = true;
    }
    return changed;
}

void TrafficModel::reset()
{
    beginResetModel();
    rows_ = log_.size();
    first_ = log_.appended() - std::uint64_t(rows_);
    endResetModel();
}
