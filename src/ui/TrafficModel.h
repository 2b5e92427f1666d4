#pragma once

#include <QAbstractTableModel>
#include <QFont>

#include <cstdint>

namespace traffic {
class LineTraffic;
}

// The entries of a traffic log as a table: time in ms, direction, frame,
// checksum verdict. It follows the log only when refresh() is called, and
// then tells the view just the rows dropped at the front and the rows
// appended, so that a long log costs the view nothing per refresh.
class TrafficModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { TimeColumn, DirectionColumn, FrameColumn, VerdictColumn, ColumnCount };

    explicit TrafficModel(const traffic::LineTraffic& log, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Brings the rows up to the log: removes those the log has dropped,
    // appends those it has gained. True when any row changed.
    bool refresh();
    // Starts over from the log as it is (after it was emptied).
    void reset();

    void setFrameFont(const QFont& font) { frameFont_ = font; }

private:
    // Log index of a row; -1 when the log no longer holds it.
    int logIndex(int row) const;

    const traffic::LineTraffic& log_;
    // Number (in the log's count of appended entries) of the entry in row 0.
    std::uint64_t first_ = 0;
    int rows_ = 0;
    QFont frameFont_;
};
