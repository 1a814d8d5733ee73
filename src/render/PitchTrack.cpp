#include "render/PitchTrack.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <string>

#include "engine/dsp/KeyTable.h"
#include "render/ScopeCanvas.h"

namespace tonavise {

namespace {

// Two neighbouring blocks are joined when they lie at most this far apart; a longer step is a
// gap in the sound (or a frozen stretch) and stays open.
constexpr double kJoinSeconds = 0.15;
// A jump of more than this many semitones between two blocks is a new note, not a glide.
constexpr double kJoinKeys = 1.5;

QString Latin(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

PitchTrackRing::PitchTrackRing(std::size_t capacity)
    : points_(std::max<std::size_t>(capacity, 1)) {}

void PitchTrackRing::Push(TrackPoint point) {
    if (size_ < points_.size()) {
        points_[(head_ + size_) % points_.size()] = point;
        ++size_;
        return;
    }
    points_[head_] = point;
    head_ = (head_ + 1) % points_.size();
}

void PitchTrackRing::Clear() {
    head_ = 0;
    size_ = 0;
}

const TrackPoint& PitchTrackRing::At(std::size_t i) const {
    return points_[(head_ + i) % points_.size()];
}

void PitchTrackRing::CopyTo(std::vector<TrackPoint>& out) const {
    out.clear();
    for (std::size_t i = 0; i < size_; ++i) {
        out.push_back(At(i));
    }
}

double KeyPosition(double hz, double a4) {
    return 48.0 + 12.0 * std::log2(hz / a4);
}

namespace {

bool Pitched(const TrackPoint& p) {
    return p.hz > 0 && std::isfinite(p.hz);
}

// A block whose neighbours both name another pitch is the onset or the end of a note (the
// analysis window still holds the sound before it) or a stray reading: the range does not
// follow it, or one such block would stretch the axis over octaves.
bool Held(std::span<const TrackPoint> points, std::size_t i, double a4) {
    const double k = KeyPosition(points[i].hz, a4);
    const auto near = [&](std::size_t j) {
        return Pitched(points[j]) && std::abs(KeyPosition(points[j].hz, a4) - k) <= 1.0;
    };
    return (i > 0 && near(i - 1)) || (i + 1 < points.size() && near(i + 1));
}

}  // namespace

KeyRange KeyRangeFollower::Update(std::span<const TrackPoint> points, double a4) {
    double low = 1e9;
    double high = -1e9;
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (Pitched(points[i]) && (points.size() == 1 || Held(points, i, a4))) {
            const double k = KeyPosition(points[i].hz, a4);
            low = std::min(low, k);
            high = std::max(high, k);
        }
    }
    if (low > high) {
        return range_;  // nothing pitched in view: keep the range
    }
    // A note a few cents off its key counts as on it: the axis does not gain a key for a pitch
    // a hair above the top one.
    constexpr double kOnKey = 0.05;
    KeyRange target{std::floor(low + kOnKey) - kMargin, std::ceil(high - kOnKey) + kMargin};
    const double grow = kMinSpan - (target.high - target.low);
    if (grow > 0) {
        target.low -= grow / 2;
        target.high += grow / 2;
    }
    if (!started_) {
        range_ = target;
        started_ = true;
        return range_;
    }
    // A quarter of the way per frame: at 10 frames a second the axis settles in under a second
    // without jumping at every new note.
    constexpr double kStep = 0.25;
    range_.low += (target.low - range_.low) * kStep;
    range_.high += (target.high - range_.high) * kStep;
    if (std::abs(range_.low - target.low) < 0.01) {
        range_.low = target.low;
    }
    if (std::abs(range_.high - target.high) < 0.01) {
        range_.high = target.high;
    }
    return range_;
}

int PitchTrackLayout::Y(double key, const KeyRange& keys) const {
    const double span = std::max(keys.high - keys.low, 1e-6);
    const double t = (keys.high - key) / span;
    return PlotTop() + static_cast<int>(std::lround(t * (PlotBottom() - 1 - PlotTop())));
}

int PitchTrackLayout::X(double seconds, const PitchTrackView& view) const {
    const double span = std::max(view.toSeconds - view.fromSeconds, 1e-6);
    const double t = (seconds - view.fromSeconds) / span;
    return PlotLeft() + static_cast<int>(std::lround(t * (PlotRight() - 1 - PlotLeft())));
}

QString TrackReading(double hz, const KeyTable& keyTable) {
    if (!(hz > 0) || !std::isfinite(hz)) {
        return {};
    }
    const NearestKeyResult nk = keyTable.NearestKey(hz);
    if (nk.key < 0 || nk.key >= kKeyCount) {
        return {};
    }
    // Rounded, not truncated: a note 30 cents flat reads -30, not -31 by a rounding error.
    const long cents = std::lround(Cents(hz, keyTable.KeyFrequency(nk.key)));
    return QStringLiteral("%1 %2%3")
        .arg(Latin(keyTable.LongName(nk.key)))
        .arg(cents >= 0 ? QStringLiteral("+") : QString())
        .arg(cents);
}

void DrawPitchTrack(QImage& surface,
                    const KeyTable& keyTable,
                    std::span<const TrackPoint> points,
                    const PitchTrackView& view) {
    const PitchTrackLayout layout{surface.width(), surface.height()};
    surface.fill(kTrackBackground);
    if (layout.PlotRight() <= layout.PlotLeft() + 2 ||
        layout.PlotBottom() <= layout.PlotTop() + 2) {
        return;  // too small to show anything
    }
    const double a4 = keyTable.a4Frequency.load(std::memory_order_relaxed);
    QPainter painter(&surface);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setFont(ScopeFont(12, false));
    const int left = layout.PlotLeft();
    const int right = layout.PlotRight();
    const int top = layout.PlotTop();
    const int bottom = layout.PlotBottom();
    painter.setClipRect(QRect(0, top, surface.width(), bottom - top));

    // Keys: the ±10-cent band first, then the line and the names over it.
    const int firstKey = std::max(0, static_cast<int>(std::ceil(view.keys.low - 0.1)));
    const int lastKey = std::min(kKeyCount - 1, static_cast<int>(std::floor(view.keys.high + 0.1)));
    for (int k = firstKey; k <= lastKey; ++k) {
        const int yHigh = layout.Y(k + 0.1, view.keys);
        const int yLow = layout.Y(k - 0.1, view.keys);
        painter.fillRect(QRect(left, yHigh, right - left, yLow - yHigh + 1), QColor(kTrackBand));
    }
    for (int k = firstKey; k <= lastKey; ++k) {
        const int y = layout.Y(k, view.keys);
        const bool isC = (k + 9) % 12 == 0;  // key 3 is C1
        painter.setPen(QColor(isC ? kTrackCLine : kTrackKeyLine));
        painter.drawLine(left, y, right - 1, y);
        painter.setPen(QColor(kTrackText));
        const QString name = Latin(keyTable.LongName(k)) + QStringLiteral("  ") +
                             Latin(RelativeNoteName(k, view.notationCounter, view.keyIndex));
        painter.drawText(QRect(2, y - 8, left - 6, 16), Qt::AlignRight | Qt::AlignVCenter, name);
    }
    painter.setClipping(false);

    // Time: a tick and a label every second (every 5 s on long spans).
    const double span = view.toSeconds - view.fromSeconds;
    const double step = span > 40 ? 10.0 : span > 12 ? 5.0 : 1.0;
    painter.setPen(QColor(kTrackKeyLine));
    painter.drawLine(left, bottom, right - 1, bottom);
    for (double t = std::ceil(view.fromSeconds / step) * step; t <= view.toSeconds + 1e-9;
         t += step) {
        const int x = layout.X(t, view);
        painter.setPen(QColor(kTrackKeyLine));
        painter.drawLine(x, bottom, x, bottom + 3);
        painter.setPen(QColor(kTrackText));
        painter.drawText(QRect(x - 30, bottom + 4, 60, 14),
                         Qt::AlignHCenter | Qt::AlignTop,
                         QStringLiteral("%1 s").arg(t, 0, 'f', 0));
    }

    // The trace: a segment between neighbouring pitched blocks, a dot for a lone one.
    painter.setClipRect(QRect(left, top, right - left, bottom - top));
    QPen pen{QColor(kTrackTrace)};
    pen.setWidth(2);
    painter.setPen(pen);
    bool anyPitch = false;
    const TrackPoint* previous = nullptr;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const TrackPoint& p = points[i];
        if (p.timeSeconds < view.fromSeconds - kJoinSeconds || p.timeSeconds > view.toSeconds) {
            previous = nullptr;
            continue;
        }
        if (!(p.hz > 0) || !std::isfinite(p.hz)) {
            previous = nullptr;
            continue;
        }
        anyPitch = anyPitch || p.timeSeconds >= view.fromSeconds;
        const QPoint here(layout.X(p.timeSeconds, view),
                          layout.Y(KeyPosition(p.hz, a4), view.keys));
        const bool joined =
            previous != nullptr && p.timeSeconds - previous->timeSeconds <= kJoinSeconds &&
            std::abs(KeyPosition(p.hz, a4) - KeyPosition(previous->hz, a4)) <= kJoinKeys;
        if (joined) {
            painter.drawLine(QPoint(layout.X(previous->timeSeconds, view),
                                    layout.Y(KeyPosition(previous->hz, a4), view.keys)),
                             here);
        } else {
            painter.drawPoint(here);
        }
        previous = &p;
    }
    painter.setClipping(false);

    painter.setPen(QColor(kTrackText));
    if (!anyPitch && !view.emptyNote.isEmpty()) {
        painter.drawText(
            QRect(left, top, right - left, bottom - top), Qt::AlignCenter, view.emptyNote);
    }
    // The newest block's reading at the right edge, level with its pitch.
    if (!points.empty()) {
        const TrackPoint& newest = points.back();
        const QString reading = TrackReading(newest.hz, keyTable);
        if (!reading.isEmpty()) {
            const int y =
                std::clamp(layout.Y(KeyPosition(newest.hz, a4), view.keys), top + 8, bottom - 8);
            painter.setFont(ScopeFont(14, true));
            painter.drawText(QRect(right + 6, y - 9, layout.kRight - 8, 18),
                             Qt::AlignLeft | Qt::AlignVCenter,
                             reading);
        }
    }
}

}  // namespace tonavise
