#include "ui/StepButtons.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <algorithm>

namespace tonavise::ui {

namespace {

constexpr int kFirstRepeatMs = 400;
constexpr int kRepeatMs = 60;

}  // namespace

StepButtons::StepButtons(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    connect(&repeat_, &QTimer::timeout, this, [this] {
        repeat_.setInterval(kRepeatMs);
        Step(pressed_);
    });
}

void StepButtons::SetBuddy(QWidget* buddy) {
    if (buddy_ != nullptr) {
        buddy_->removeEventFilter(this);
    }
    buddy_ = buddy;
    if (buddy_ != nullptr) {
        buddy_->installEventFilter(this);
    }
}

void StepButtons::SetRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = maximum;
    position_ = std::clamp(position_, minimum_, maximum_);
    update();
}

void StepButtons::SetPos(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
    update();
}

void StepButtons::Step(int delta) {
    if (delta == 0) {
        return;
    }
    position_ = std::clamp(position_ + delta, minimum_, maximum_);
    update();
    emit scrolled(position_);
}

QRect StepButtons::ArrowRect(int direction) const {
    const int half = height() / 2;
    return direction > 0 ? QRect(0, 0, width(), half) : QRect(0, half, width(), height() - half);
}

void StepButtons::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (int direction : {1, -1}) {
        QStyleOptionButton button;
        button.initFrom(this);
        button.rect = ArrowRect(direction);
        button.state |= pressed_ == direction ? QStyle::State_Sunken : QStyle::State_Raised;
        style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);
        QStyleOption arrow = button;
        arrow.rect = button.rect.adjusted(1, 1, -1, -1);
        const bool atEnd = direction > 0 ? position_ >= maximum_ : position_ <= minimum_;
        if (atEnd || !isEnabled()) {
            arrow.state &= ~QStyle::State_Enabled;
        }
        style()->drawPrimitive(
            direction > 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown,
            &arrow,
            &painter,
            this);
    }
}

void StepButtons::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    pressed_ = ArrowRect(1).contains(event->position().toPoint()) ? 1 : -1;
    Step(pressed_);
    repeat_.start(kFirstRepeatMs);
}

void StepButtons::mouseReleaseEvent(QMouseEvent*) {
    repeat_.stop();
    pressed_ = 0;
    update();
}

bool StepButtons::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tonavise::ui
