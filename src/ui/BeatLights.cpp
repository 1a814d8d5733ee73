#include "ui/BeatLights.h"

#include <QPainter>
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
    // While silent the lights of one bar of four are shown unlit, so the place stays visible.
    const int beats = shown_.beats > 0 ? shown_.beats : 4;
    // Room for six lights; a longer bar shares it.
    const double step = static_cast<double>(length) / std::max(beats, kMaxBeats);
    const double diameter = std::max(2.0, std::min(step, static_cast<double>(thickness)) * 0.7);
    painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
    for (int b = 0; b < beats; ++b) {
        const double along = step * (b + 0.5);
        const QPointF centre =
            across ? QPointF(along, height() / 2.0) : QPointF(width() / 2.0, along);
        QColor fill = kUnlit;
        if (b == shown_.beat) {
            fill = b == 0 ? kAccentLit : kBeatLit;
        }
        painter.setBrush(fill);
        painter.drawEllipse(centre, diameter / 2, diameter / 2);
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
