#include "ui/BeatFlash.h"

#include <QPainter>
#include <utility>

namespace tonavise::ui {

namespace {

QColor FlashColour(Accent accent) {
    switch (accent) {
        case Accent::Strong:
            return {0xF0, 0x50, 0x20};
        case Accent::Medium:
            return {0xF0, 0xB0, 0x30};
        case Accent::Weak:
            return {0x70, 0x90, 0xB0};
        default:
            return {0x20, 0x20, 0x20};
    }
}

const QColor kDark(0x20, 0x20, 0x20);

}  // namespace

BeatFlash::BeatFlash(Source source, MeterSource meter, QWidget* parent)
    : QWidget(parent, Qt::Window), source_(std::move(source)), meter_(std::move(meter)) {
    setObjectName(QStringLiteral("beatFlash"));
    setWindowTitle(tr("Beat Flash"));
    setAccessibleName(tr("Beat Flash"));
    resize(360, 240);
    setMinimumSize(80, 60);
    timer_.setInterval(15);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &BeatFlash::Poll);
}

void BeatFlash::Poll() {
    const HeardBeat beat = source_ ? source_() : HeardBeat{};
    if (beat.beat != shown_.beat || beat.beats != shown_.beats) {
        shown_ = beat;
        const Meter meter = meter_ ? meter_() : Meter{};
        accent_ = beat.beat >= 0 && beat.beat < meter.beats
                      ? meter.accents[static_cast<std::size_t>(beat.beat)]
                      : Accent::Weak;
        flashing_ = beat.beat >= 0;
        sinceBeat_.start();
        setAccessibleDescription(beat.beat >= 0 ? QString::number(beat.beat + 1) : QString());
        update();
    } else if (flashing_ && sinceBeat_.elapsed() >= kBeatFlashMs) {
        flashing_ = false;
        update();
    }
}

void BeatFlash::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), flashing_ ? FlashColour(accent_) : kDark);
    if (shown_.beat < 0) {
        return;
    }
    QFont font = painter.font();
    font.setPixelSize(std::max(10, height() * 7 / 10));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(flashing_ ? kDark : QColor(0xE8, 0xE8, 0xE8));
    painter.drawText(rect(), Qt::AlignCenter, QString::number(shown_.beat + 1));
}

void BeatFlash::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    timer_.start();
}

void BeatFlash::hideEvent(QHideEvent* event) {
    timer_.stop();
    QWidget::hideEvent(event);
}

}  // namespace tonavise::ui
