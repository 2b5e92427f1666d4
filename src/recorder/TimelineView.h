#pragma once

#include "TrackSet.h"

#include <QWidget>

#include <optional>
#include <vector>

namespace recorder {

// The tracks of a recording drawn along time, one lane under the other,
// names on the left: the floor and the direction as labelled segments,
// the speed as a line, each status bit and I/O point as a logic trace, the
// calls as bars per floor (top floor first; car, up and down calls one
// above the other), the tool's writes as ticks and every fault report as a
// red line across all lanes, its code and description at the top (whole
// in the marker's tooltip).
//
// The wheel zooms around the mouse, dragging pans, a click puts cursor A,
// a click with Shift (or the right button) cursor B. Each lane's name is
// followed by its value at cursor A; the span between the cursors stands
// at the top. Only the visible part is drawn, and a lane's changes are
// found by binary search and walked at most once per pixel, so that an
// hour of polling pans and zooms as quickly as a minute.
class TimelineView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kNameWidth = 150;
    static constexpr int kRulerHeight = 34;
    static constexpr int kLaneHeight = 20;
    static constexpr int kSpeedHeight = 56;
    static constexpr double kMostMsPerPixel = 60.0 * 60 * 1000 / 100;  // an hour in 100 pixels
    static constexpr double kLeastMsPerPixel = 0.05;

    enum class LaneKind { Track, Speed, Calls, Writes };
    struct Lane
    {
        LaneKind kind;
        int track;  // for Track and Speed; the floor for Calls
        int top;
        int height;
    };

    explicit TimelineView(QWidget* parent = nullptr);

    // The tracks to draw (not owned; null: nothing). The lanes are laid
    // out again; the time shown stays unless fit is asked for.
    void setTracks(const TrackSet* tracks, bool fit);
    // The tracks grew (live): lanes are checked, the view keeps its place
    // unless it follows the newest data.
    void tracksChanged();

    // I/O tracks shown, in the order added.
    void addIoTrack(int track);
    void removeIoTrack(int track);
    const std::vector<int>& ioTracks() const { return ioTracks_; }

    // Keeps the newest data at the right edge.
    void setFollowing(bool on);
    bool following() const { return following_; }

    // The whole recording in view.
    void fitAll();
    // The span from..to in view.
    void showSpan(qint64 fromMs, qint64 toMs);
    qint64 leftMs() const { return qint64(leftMs_); }
    double msPerPixel() const { return msPerPixel_; }
    double xOf(qint64 ms) const;
    qint64 msAt(double x) const;

    void setCursorA(std::optional<qint64> ms);
    void setCursorB(std::optional<qint64> ms);
    std::optional<qint64> cursorA() const { return cursorA_; }
    std::optional<qint64> cursorB() const { return cursorB_; }
    // "楼层: 3" and so on: every lane's value at cursor A.
    QStringList readout() const;
    // "Δ 1.250 s" between the cursors; empty without both.
    QString spanText() const;

    const std::vector<Lane>& lanes() const { return lanes_; }
    QSize sizeHint() const override;

Q_SIGNALS:
    void cursorsChanged();
    void viewChanged();
    // The user moved the view away from the newest data.
    void followingEnded();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutLanes();
    void clampView();
    void followNewest();
    int plotWidth() const;
    QString laneName(const Lane& lane) const;
    QString laneValue(const Lane& lane, qint64 ms) const;
    void drawRuler(QPainter& p, const QRect& plot);
    void drawLogic(QPainter& p, const Track& track, const QRect& row);
    void drawLabelled(QPainter& p, const Track& track, const QRect& row);
    void drawSpeed(QPainter& p, const Track& track, const QRect& row);
    void drawCalls(QPainter& p, int floor, const QRect& row);
    void drawWrites(QPainter& p, const QRect& row);
    void drawFaults(QPainter& p, const QRect& plot);
    // "故障 20: " and the code's description.
    QString faultLabel(const FaultMark& mark) const;
    void drawCursor(QPainter& p, const QRect& plot, qint64 ms, const QColor& colour, const QString& name);

    const TrackSet* tracks_ = nullptr;
    std::vector<int> ioTracks_;
    std::vector<Lane> lanes_;
    double leftMs_ = 0;
    double msPerPixel_ = 100;
    bool following_ = false;
    std::optional<qint64> cursorA_;
    std::optional<qint64> cursorB_;
    // Dragging: where the press was and the view then.
    std::optional<QPointF> pressAt_;
    double pressLeftMs_ = 0;
    bool dragged_ = false;
};

} // namespace recorder
