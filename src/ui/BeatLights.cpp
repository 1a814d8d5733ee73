#include "ui/BeatLights.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <utility>

#include "engine/dsp/Metronome.h"

namespace tonavise::ui {

namespace {

const QColor kAccentLit(0xE0, 0x30, 0x20);
const QColor kBeatLit(0x20, 0xA0, 0x40);
const QColor kUnlit(0xC8, 0xC8, 0xC8);

}  // namespace

BeatLights::BeatLights(Source source, QWidget* parent)
    : QWidget(parent), source_(std::move(source)) {
    setObjectName(QStringLiteral("beatLights"));
    setToolTip(tr("Beat"));
    timer_.setInterval(kBeatPollMs);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &BeatLights::Poll);
}

void BeatLights::Poll() {
    if (meterSource_) {
        SetMeter(meterSource_());
    }
    const HeardBeat beat = source_ ? source_() : HeardBeat{};
    // Quick and precise while a beat sounds. While silent, a slow look for the start costs next
    // to nothing: a coarse timer, which the event loop serves in the same wake-up as the main
    // window's 100 ms update instead of waking the interface thread once more.
    const bool sounding = beat.beat >= 0;
    const Qt::TimerType type = sounding ? Qt::PreciseTimer : Qt::CoarseTimer;
    const int interval = sounding ? kBeatPollMs : kSilentPollMs;
    if (timer_.timerType() != type || timer_.interval() != interval) {
        const bool active = timer_.isActive();
        timer_.stop();
        timer_.setTimerType(type);
        timer_.setInterval(interval);
        if (active) {
            timer_.start();
        }
    }
    if (beat.beat != shown_.beat || beat.beats != shown_.beats) {
        shown_ = beat;
        update();
    }
}

void BeatLights::SetMeter(const Meter& meter) {
    if (!(meter == meter_)) {
        meter_ = meter;
        update();
    }
}

int BeatLights::BeatAt(QPoint point) const {
    const bool across = width() >= height();
    const int length = across ? width() : height();
    const int beats = shown_.beats > 0 ? shown_.beats : meter_.beats;
    const double step = static_cast<double>(length) / std::max(beats, kMaxBeats);
    const int b = static_cast<int>((across ? point.x() : point.y()) / step);
    return b >= 0 && b < beats ? b : -1;
}

void BeatLights::mousePressEvent(QMouseEvent* event) {
    if (const int b = BeatAt(event->position().toPoint()); b >= 0) {
        emit beatClicked(b);
    }
}

void BeatLights::SetVertical(bool vertical) {
    vertical_ = vertical;
    updateGeometry();
    update();
}

QSize BeatLights::sizeHint() const {
    const int d = fontMetrics().height();
    return vertical_ ? QSize(d, d * kMaxBeats) : QSize(d * kMaxBeats, d);
}

void BeatLights::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool across = width() >= height();
    const int length = across ? width() : height();
    const int thickness = across ? height() : width();
    // While silent the chosen meter's lights are shown unlit.
    const int beats = shown_.beats > 0 ? shown_.beats : meter_.beats;
    // Room for six lights; a longer bar shares it.
    const double step = static_cast<double>(length) / std::max(beats, kMaxBeats);
    const double diameter = std::max(2.0, std::min(step, static_cast<double>(thickness)) * 0.8);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    for (int b = 0; b < beats; ++b) {
        const Accent accent =
            b < meter_.beats ? meter_.accents[static_cast<std::size_t>(b)] : Accent::Weak;
        // Strong a full light, medium two thirds of it, weak a third, muted an empty ring.
        const double share = accent == Accent::Muted ? 1.0 : static_cast<int>(accent) / 3.0;
        const double along = step * (b + 0.5);
        const QPointF centre =
            across ? QPointF(along, height() / 2.0) : QPointF(width() / 2.0, along);
        QColor fill = kUnlit;
        if (b == shown_.beat) {
            fill = b == 0 ? kAccentLit : kBeatLit;
        }
        const double r = diameter / 2;
        if (accent == Accent::Muted) {
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(centre, r, r);
            continue;
        }
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(centre, r, r);
        if (b == shown_.beat) {
            painter.setBrush(fill);  // the beat heard: the whole light
            painter.drawEllipse(centre, r, r);
            continue;
        }
        // The accent's share of the light filled from its bottom.
        QPainterPath circle;
        circle.addEllipse(centre, r, r);
        const QRectF level(centre.x() - r, centre.y() + r - 2 * r * share, 2 * r, 2 * r * share);
        QPainterPath filled;
        filled.addRect(level);
        painter.fillPath(circle.intersected(filled), fill);
    }
}

void BeatLights::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_.start();
}

void BeatLights::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

}  // namespace tonavise::ui
