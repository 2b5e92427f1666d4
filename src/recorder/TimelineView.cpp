#include "TimelineView.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace recorder {

namespace {

const QColor kTrace(20, 60, 150);
const QColor kHigh(20, 60, 150, 40);
const QColor kGrid(225, 225, 225);
const QColor kFault(210, 30, 30);
const QColor kCursorA(30, 110, 220);
const QColor kCursorB(230, 130, 20);
const QColor kCallColours[3] = {QColor(40, 150, 60), QColor(200, 120, 20), QColor(120, 60, 180)};
const TrackKind kCallKinds[3] = {TrackKind::CarCall, TrackKind::UpCall, TrackKind::DownCall};

// Index of the last change before t (a time between whole milliseconds).
int lastBefore(const Track& track, double t)
{
    const auto limit = qint64(std::ceil(t));
    return int(std::lower_bound(track.times.cbegin(), track.times.cend(), limit) - track.times.cbegin()) - 1;
}

// Walks the visible part of a track pixel by pixel: run(x0, x1, value) for
// a stretch at one value, edge(x, from, to, several) where it changes (in
// a pixel holding several changes: `several`, with the lowest and highest
// value among them in from and to). Each step moves on by at least one
// pixel, and the changes inside one pixel are skipped by binary search.
template <class Run, class Edge>
void walk(const Track& track, double leftMs, double msPerPixel, int left, int right, Run run, Edge edge)
{
    const auto timeAt = [&](int x) { return leftMs + (x - left) * msPerPixel; };
    const int n = int(track.times.size());
    if (n == 0)
        return;
    int i = lastBefore(track, timeAt(left) + 1e-9);
    int px = left;
    if (i < 0) {
        px = left + int(std::floor((double(track.times[0]) - leftMs) / msPerPixel));
        if (px > right)
            return;
        i = 0;
        edge(px, track.values[0], track.values[0], false);
    }
    while (px <= right) {
        const int j = lastBefore(track, timeAt(px + 1));
        if (j > i) {
            int low = track.values[std::size_t(i)], high = low;
            for (int k = i + 1; k <= j && j - i > 1; ++k) {
                low = std::min(low, track.values[std::size_t(k)]);
                high = std::max(high, track.values[std::size_t(k)]);
            }
            if (j - i == 1)
                edge(px, track.values[std::size_t(i)], track.values[std::size_t(j)], false);
            else
                edge(px, low, high, true);
            i = j;
        }
        if (i + 1 >= n) {
            run(px, right + 1, track.values[std::size_t(i)]);
            return;
        }
        const int next = left + int(std::floor((double(track.times[std::size_t(i + 1)]) - leftMs) / msPerPixel));
        run(px, std::min(next, right + 1), track.values[std::size_t(i)]);
        px = std::max(next, px + 1);
    }
}

// A step of the ruler: 1, 2 or 5 times a power of ten ms, at least minMs.
qint64 rulerStep(double minMs)
{
    static const qint64 steps[] = {1,      2,      5,       10,      20,      50,      100,      200,
                                   500,    1000,   2000,    5000,    10000,   15000,   30000,    60000,
                                   120000, 300000, 600000,  900000,  1800000, 3600000, 7200000,  21600000};
    for (qint64 s : steps) {
        if (double(s) >= minMs)
            return s;
    }
    return 86400000;
}

} // namespace

TimelineView::TimelineView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("timelineView"));
    setMouseTracking(false);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumWidth(kNameWidth + 200);
}

QSize TimelineView::sizeHint() const
{
    const int height = lanes_.empty() ? kRulerHeight : lanes_.back().top + lanes_.back().height + 4;
    return QSize(kNameWidth + 800, height);
}

int TimelineView::plotWidth() const
{
    return std::max(1, width() - kNameWidth);
}

double TimelineView::xOf(qint64 ms) const
{
    return kNameWidth + (double(ms) - leftMs_) / msPerPixel_;
}

qint64 TimelineView::msAt(double x) const
{
    return qint64(std::llround(leftMs_ + (x - kNameWidth) * msPerPixel_));
}

void TimelineView::setTracks(const TrackSet* tracks, bool fit)
{
    tracks_ = tracks;
    layoutLanes();
    if (fit)
        fitAll();
    update();
}

void TimelineView::tracksChanged()
{
    layoutLanes();
    if (following_)
        followNewest();
    update();
}

void TimelineView::addIoTrack(int track)
{
    if (std::find(ioTracks_.cbegin(), ioTracks_.cend(), track) != ioTracks_.cend())
        return;
    ioTracks_.push_back(track);
    layoutLanes();
    update();
}

void TimelineView::removeIoTrack(int track)
{
    std::erase(ioTracks_, track);
    layoutLanes();
    update();
}

void TimelineView::layoutLanes()
{
    const int oldHeight = sizeHint().height();
    lanes_.clear();
    int top = kRulerHeight;
    const auto add = [&](LaneKind kind, int track, int height) {
        lanes_.push_back(Lane{kind, track, top, height});
        top += height;
    };
    if (tracks_) {
        add(LaneKind::Track, TrackSet::kFloorTrack, kLaneHeight);
        add(LaneKind::Track, TrackSet::kDirectionTrack, kLaneHeight);
        add(LaneKind::Speed, TrackSet::kSpeedTrack, kSpeedHeight);
        for (int b = TrackSet::kFirstStatusBitTrack; b < TrackSet::callTrack(TrackKind::CarCall, 1); ++b)
            add(LaneKind::Track, b, kLaneHeight);
        add(LaneKind::Track, TrackSet::faultTrack(), kLaneHeight);
        for (int floor = tracks_->floors(); floor >= 1; --floor)
            add(LaneKind::Calls, floor, kLaneHeight);
        add(LaneKind::Writes, -1, kLaneHeight);
        for (int track : ioTracks_)
            add(LaneKind::Track, track, kLaneHeight);
    }
    if (sizeHint().height() != oldHeight) {
        setMinimumHeight(sizeHint().height());
        updateGeometry();
    }
}

void TimelineView::setFollowing(bool on)
{
    following_ = on;
    if (on)
        followNewest();
    update();
}

void TimelineView::followNewest()
{
    if (!tracks_ || tracks_->empty())
        return;
    leftMs_ = double(tracks_->lastMs()) - plotWidth() * msPerPixel_ * 0.95;
    emit viewChanged();
}

void TimelineView::fitAll()
{
    if (!tracks_ || tracks_->empty()) {
        leftMs_ = 0;
        msPerPixel_ = 100;
    } else {
        showSpan(tracks_->firstMs(), std::max(tracks_->lastMs(), tracks_->firstMs() + 1000));
    }
    update();
}

void TimelineView::showSpan(qint64 fromMs, qint64 toMs)
{
    msPerPixel_ = std::clamp(double(toMs - fromMs) / (plotWidth() * 0.98), kLeastMsPerPixel, kMostMsPerPixel);
    leftMs_ = double(fromMs) - plotWidth() * 0.01 * msPerPixel_;
    emit viewChanged();
    update();
}

void TimelineView::clampView()
{
    msPerPixel_ = std::clamp(msPerPixel_, kLeastMsPerPixel, kMostMsPerPixel);
    if (!tracks_ || tracks_->empty())
        return;
    // The data may move to the edge but not out of view.
    const double span = plotWidth() * msPerPixel_;
    leftMs_ = std::clamp(leftMs_, double(tracks_->firstMs()) - span * 0.9, double(tracks_->lastMs()) - span * 0.1);
}

void TimelineView::setCursorA(std::optional<qint64> ms)
{
    cursorA_ = ms;
    emit cursorsChanged();
    update();
}

void TimelineView::setCursorB(std::optional<qint64> ms)
{
    cursorB_ = ms;
    emit cursorsChanged();
    update();
}

QString TimelineView::spanText() const
{
    if (!cursorA_ || !cursorB_)
        return {};
    return QStringLiteral("Δ %1 s").arg(double(std::abs(*cursorB_ - *cursorA_)) / 1000.0, 0, 'f', 3);
}

QString TimelineView::laneName(const Lane& lane) const
{
    switch (lane.kind) {
    case LaneKind::Calls:
        return QStringLiteral("召唤 %1").arg(lane.track);
    case LaneKind::Writes:
        return QStringLiteral("写入");
    default:
        return tracks_->track(lane.track).name;
    }
}

QString TimelineView::laneValue(const Lane& lane, qint64 ms) const
{
    switch (lane.kind) {
    case LaneKind::Calls: {
        QStringList marks;
        const char* const signs[] = {"√", "↑", "↓"};
        for (int k = 0; k < 3; ++k) {
            if (tracks_->track(TrackSet::callTrack(kCallKinds[k], lane.track)).valueAt(ms).value_or(0))
                marks << QString::fromUtf8(signs[k]);
        }
        return marks.join(QString());
    }
    case LaneKind::Writes: {
        const auto& writes = tracks_->writes();
        const auto after = std::upper_bound(writes.cbegin(), writes.cend(), ms,
                                            [](qint64 t, const WriteMark& w) { return t < w.ms; });
        return after == writes.cbegin() ? QString() : std::prev(after)->text;
    }
    case LaneKind::Speed: {
        const std::optional<int> v = tracks_->track(lane.track).valueAt(ms);
        return v ? tracks_->valueText(tracks_->track(lane.track), *v) + QStringLiteral(" m/s") : QString();
    }
    case LaneKind::Track: {
        const Track& track = tracks_->track(lane.track);
        const std::optional<int> v = track.valueAt(ms);
        return v ? tracks_->valueText(track, *v) : QString();
    }
    }
    return {};
}

QStringList TimelineView::readout() const
{
    QStringList lines;
    if (!tracks_ || !cursorA_)
        return lines;
    for (const Lane& lane : lanes_)
        lines << laneName(lane) + QStringLiteral(": ") + laneValue(lane, *cursorA_);
    return lines;
}

void TimelineView::paintEvent(QPaintEvent* event)
{
    QPainter p(this);
    const QRect clip = event->rect();
    p.fillRect(clip, palette().base());
    if (!tracks_)
        return;
    const QRect plot(kNameWidth, 0, plotWidth(), height());
    p.setClipRect(clip);
    p.fillRect(QRect(0, clip.top(), kNameWidth, clip.height()), palette().window());

    const QFontMetrics fm(font());
    for (const Lane& lane : lanes_) {
        const QRect row(kNameWidth, lane.top, plotWidth(), lane.height);
        if (row.bottom() < clip.top() || row.top() > clip.bottom())
            continue;
        p.setPen(kGrid);
        p.drawLine(0, row.bottom(), width(), row.bottom());
        // Name, and the value at cursor A at the right of the name column.
        const QRect nameBox(4, lane.top, kNameWidth - 8, lane.height);
        p.setPen(palette().color(QPalette::WindowText));
        p.drawText(nameBox, Qt::AlignVCenter | Qt::AlignLeft, laneName(lane));
        if (cursorA_) {
            p.setPen(kCursorA);
            p.drawText(nameBox, Qt::AlignVCenter | Qt::AlignRight,
                       fm.elidedText(laneValue(lane, *cursorA_), Qt::ElideRight, kNameWidth / 2));
        }
        p.save();
        p.setClipRect(row.intersected(clip));
        switch (lane.kind) {
        case LaneKind::Speed:
            drawSpeed(p, tracks_->track(lane.track), row);
            break;
        case LaneKind::Calls:
            drawCalls(p, lane.track, row);
            break;
        case LaneKind::Writes:
            drawWrites(p, row);
            break;
        case LaneKind::Track: {
            const Track& track = tracks_->track(lane.track);
            if (track.isBit())
                drawLogic(p, track, row);
            else
                drawLabelled(p, track, row);
            break;
        }
        }
        p.restore();
    }
    p.setPen(kGrid);
    p.drawLine(kNameWidth - 1, 0, kNameWidth - 1, height());
    drawRuler(p, plot);
    drawFaults(p, plot);
    if (cursorA_)
        drawCursor(p, plot, *cursorA_, kCursorA, QStringLiteral("A"));
    if (cursorB_)
        drawCursor(p, plot, *cursorB_, kCursorB, QStringLiteral("B"));
}

void TimelineView::drawRuler(QPainter& p, const QRect& plot)
{
    const QRect ruler(0, 0, width(), kRulerHeight);
    p.fillRect(ruler, palette().window());
    p.setPen(kGrid);
    p.drawLine(0, kRulerHeight - 1, width(), kRulerHeight - 1);
    const qint64 step = rulerStep(90 * msPerPixel_);
    const QDateTime start = tracks_->header().start.toLocalTime();
    const QString format = step < 1000 ? QStringLiteral("HH:mm:ss.zzz") : QStringLiteral("HH:mm:ss");
    p.setPen(palette().color(QPalette::WindowText));
    for (qint64 t = qint64(std::floor(leftMs_ / double(step))) * step; xOf(t) <= plot.right(); t += step) {
        const double x = xOf(t);
        if (x < plot.left())
            continue;
        p.drawLine(QPointF(x, kRulerHeight - 8), QPointF(x, kRulerHeight - 1));
        p.drawText(QPointF(x + 3, kRulerHeight - 10), start.addMSecs(t).toString(format));
    }
    const QString span = spanText();
    if (!span.isEmpty()) {
        p.setPen(kCursorB);
        p.drawText(QRect(4, 0, kNameWidth - 8, kRulerHeight), Qt::AlignVCenter | Qt::AlignLeft, span);
    }
}

void TimelineView::drawLogic(QPainter& p, const Track& track, const QRect& row)
{
    const int high = row.top() + 4;
    const int low = row.bottom() - 4;
    p.setPen(kTrace);
    walk(
        track, leftMs_, msPerPixel_, row.left(), row.right(),
        [&](int x0, int x1, int v) {
            const int y = v ? high : low;
            if (v)
                p.fillRect(QRect(x0, high, x1 - x0, low - high), kHigh);
            p.drawLine(x0, y, x1, y);
        },
        [&](int x, int, int, bool) { p.drawLine(x, high, x, low); });
}

void TimelineView::drawLabelled(QPainter& p, const Track& track, const QRect& row)
{
    const int top = row.top() + 3;
    const int bottom = row.bottom() - 3;
    const QFontMetrics fm(font());
    p.setPen(kTrace);
    walk(
        track, leftMs_, msPerPixel_, row.left(), row.right(),
        [&](int x0, int x1, int v) {
            p.drawLine(x0, top, x1, top);
            p.drawLine(x0, bottom, x1, bottom);
            const QString text = tracks_->valueText(track, v);
            const int room = x1 - x0 - 6;
            if (room > fm.horizontalAdvance(QStringLiteral("0")) && !text.trimmed().isEmpty()) {
                const int visibleLeft = std::max(x0, row.left());
                p.drawText(QRect(visibleLeft + 3, top, std::min(room, x1 - visibleLeft - 6), bottom - top),
                           Qt::AlignVCenter | Qt::AlignLeft, fm.elidedText(text, Qt::ElideRight, room));
            }
        },
        [&](int x, int, int, bool) { p.drawLine(x, top, x, bottom); });
}

void TimelineView::drawSpeed(QPainter& p, const Track& track, const QRect& row)
{
    int most = 1;
    for (int v : track.values)
        most = std::max(most, std::abs(v));
    const double mid = row.center().y();
    const double scale = (row.height() / 2.0 - 5) / most;
    p.setPen(kGrid);
    p.drawLine(QPointF(row.left(), mid), QPointF(row.right(), mid));
    p.setPen(QPen(kTrace, 1.5));
    QPainterPath path;
    bool started = false;
    const auto to = [&](double x, int v) {
        const QPointF point(x, mid - v * scale);
        if (started)
            path.lineTo(point);
        else
            path.moveTo(point);
        started = true;
    };
    walk(
        track, leftMs_, msPerPixel_, row.left(), row.right(),
        [&](int x0, int x1, int v) {
            to(x0, v);
            to(x1, v);
        },
        [&](int x, int from, int to2, bool) {
            to(x, from);
            to(x, to2);
        });
    p.drawPath(path);
}

void TimelineView::drawCalls(QPainter& p, int floor, const QRect& row)
{
    const int band = (row.height() - 4) / 3;
    for (int k = 0; k < 3; ++k) {
        const Track& track = tracks_->track(TrackSet::callTrack(kCallKinds[k], floor));
        const QRect bar(row.left(), row.top() + 2 + k * band, row.width(), band - 1);
        walk(
            track, leftMs_, msPerPixel_, row.left(), row.right(),
            [&](int x0, int x1, int v) {
                if (v)
                    p.fillRect(QRect(x0, bar.top(), std::max(1, x1 - x0), bar.height()), kCallColours[k]);
            },
            [&](int x, int, int high, bool) {
                if (high)
                    p.fillRect(QRect(x, bar.top(), 1, bar.height()), kCallColours[k]);
            });
    }
}

void TimelineView::drawWrites(QPainter& p, const QRect& row)
{
    const auto& writes = tracks_->writes();
    const qint64 from = msAt(row.left()) - 1;
    const qint64 to = msAt(row.right() + 1) + 1;
    auto it = std::lower_bound(writes.cbegin(), writes.cend(), from,
                               [](const WriteMark& w, qint64 t) { return w.ms < t; });
    p.setPen(kTrace);
    int lastX = -1;
    for (; it != writes.cend() && it->ms <= to; ++it) {
        const int x = int(xOf(it->ms));
        if (x == lastX)
            continue;
        p.drawLine(x, row.top() + 3, x, row.bottom() - 3);
        lastX = x;
    }
}

void TimelineView::drawFaults(QPainter& p, const QRect& plot)
{
    const auto& faults = tracks_->faults();
    const qint64 from = msAt(plot.left()) - 1;
    auto it = std::lower_bound(faults.cbegin(), faults.cend(), from,
                               [](const FaultMark& f, qint64 t) { return f.ms < t; });
    p.setPen(QPen(kFault, 1));
    const QFontMetrics fm(font());
    for (; it != faults.cend() && xOf(it->ms) <= plot.right(); ++it) {
        const double x = xOf(it->ms);
        p.drawLine(QPointF(x, 0), QPointF(x, height()));
        // The code, and as much of the description as the room to the next
        // marker allows.
        const auto next = std::next(it);
        const double room = (next == faults.cend() ? plot.right() : std::min<double>(plot.right(), xOf(next->ms))) - x - 6;
        p.drawText(QPointF(x + 3, 12), fm.elidedText(faultLabel(*it), Qt::ElideRight, int(std::max(0.0, room))));
    }
}

QString TimelineView::faultLabel(const FaultMark& mark) const
{
    const QString description = tracks_->description(mark).trimmed();
    return QStringLiteral("故障 %1").arg(mark.code) + (description.isEmpty() ? QString() : QStringLiteral(": ") + description);
}

bool TimelineView::event(QEvent* event)
{
    // The whole description of a fault marker under the pointer.
    if (event->type() == QEvent::ToolTip && tracks_) {
        const QPoint at = static_cast<QHelpEvent*>(event)->pos();
        for (const FaultMark& mark : tracks_->faults()) {
            if (std::abs(xOf(mark.ms) - at.x()) <= 3) {
                QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), faultLabel(mark), this);
                return true;
            }
        }
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    return QWidget::event(event);
}

void TimelineView::drawCursor(QPainter& p, const QRect& plot, qint64 ms, const QColor& colour, const QString& name)
{
    const double x = xOf(ms);
    if (x < plot.left() || x > plot.right())
        return;
    p.setPen(QPen(colour, 1, Qt::DashLine));
    p.drawLine(QPointF(x, 0), QPointF(x, height()));
    p.setPen(colour);
    p.drawText(QPointF(x + 3, kRulerHeight - 22), name);
}

void TimelineView::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps == 0)
        return;
    const double x = following_ ? kNameWidth + plotWidth() * 0.95 : event->position().x();
    const double at = leftMs_ + (x - kNameWidth) * msPerPixel_;
    msPerPixel_ = std::clamp(msPerPixel_ * std::pow(0.8, steps), kLeastMsPerPixel, kMostMsPerPixel);
    leftMs_ = at - (x - kNameWidth) * msPerPixel_;
    clampView();
    emit viewChanged();
    update();
    event->accept();
}

void TimelineView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        if (event->position().x() >= kNameWidth)
            setCursorB(msAt(event->position().x()));
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    pressAt_ = event->position();
    pressLeftMs_ = leftMs_;
    dragged_ = false;
}

void TimelineView::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressAt_)
        return;
    const double dx = event->position().x() - pressAt_->x();
    if (!dragged_ && std::abs(dx) < 4)
        return;
    if (!dragged_ && following_) {
        following_ = false;
        emit followingEnded();
    }
    dragged_ = true;
    leftMs_ = pressLeftMs_ - dx * msPerPixel_;
    clampView();
    emit viewChanged();
    update();
}

void TimelineView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!pressAt_ || event->button() != Qt::LeftButton)
        return;
    if (!dragged_ && event->position().x() >= kNameWidth) {
        const qint64 ms = msAt(event->position().x());
        if (event->modifiers() & Qt::ShiftModifier)
            setCursorB(ms);
        else
            setCursorA(ms);
    }
    pressAt_.reset();
    dragged_ = false;
}

void TimelineView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (following_)
        followNewest();
}

} // namespace recorder
