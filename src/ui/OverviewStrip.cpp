#include "ui/OverviewStrip.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "engine/audiofile/PracticeStream.h"

namespace tonavise::ui {

namespace {
constexpr int kHeight = 48;
constexpr int kGrabPixels = 4;  // how near a mark a press takes the mark rather than seeking
constexpr double kSmallNudge = 0.01;
constexpr double kLargeNudge = 0.1;
}  // namespace

OverviewStrip::OverviewStrip(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::ClickFocus);
    setMinimumHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAccessibleName(tr("File overview"));
}

QSize OverviewStrip::sizeHint() const {
    return {600, kHeight};
}

void OverviewStrip::SetOverview(FileOverview overview) {
    overview_ = std::move(overview);
    marks_ = OverviewMarks{};
    marks_.seconds = overview_.Seconds();
    wave_ = QImage();
    update();
}

void OverviewStrip::SetPosition(double seconds) {
    if (marks_.position != seconds) {
        marks_.position = seconds;
        update();
    }
}

void OverviewStrip::SetLoop(double a, double b) {
    marks_.loopA = a;
    marks_.loopB = b;
    if (a < 0.0 || (b < 0.0 && marks_.selectedMark == 2)) {
        marks_.selectedMark = 0;
    }
    update();
}

void OverviewStrip::SetSavedLoops(std::vector<OverviewMarks::Span> loops) {
    marks_.savedLoops = std::move(loops);
    update();
}

void OverviewStrip::resizeEvent(QResizeEvent* event) {
    wave_ = QImage();
    QWidget::resizeEvent(event);
}

void OverviewStrip::paintEvent(QPaintEvent* /*event*/) {
    if (wave_.size() != size()) {
        wave_ = QImage(size(), QImage::Format_RGB32);
        DrawOverviewWave(wave_, overview_);
    }
    QPainter p(this);
    p.drawImage(0, 0, wave_);
    DrawOverviewMarks(p, width(), height(), marks_);
}

double OverviewStrip::SecondsAt(int x) const {
    return OverviewSeconds(x, marks_.seconds, width());
}

int OverviewStrip::MarkAt(int x) const {
    const auto near = [&](double s) {
        return s >= 0.0 && std::abs(OverviewColumn(s, marks_.seconds, width()) - x) <= kGrabPixels;
    };
    // B first: where the two lie within reach of each other, the later one is the one on top.
    if (marks_.loopB >= 0.0 && near(marks_.loopB)) {
        return 2;
    }
    return near(marks_.loopA) ? 1 : 0;
}

void OverviewStrip::MoveMark(int mark, double seconds) {
    double a = marks_.loopA;
    double b = marks_.loopB;
    seconds = std::clamp(seconds, 0.0, marks_.seconds);
    if (mark == 1) {
        a = b >= 0.0 ? std::min(seconds, b - kMinLoopSeconds) : seconds;
        a = std::max(a, 0.0);
    } else if (mark == 2) {
        b = std::max(seconds, a + kMinLoopSeconds);
        b = std::min(b, marks_.seconds);
    }
    if (b >= 0.0 && b - a < kMinLoopSeconds) {
        return;  // no room for a loop this short: the marks stay
    }
    if (a != marks_.loopA || b != marks_.loopB) {
        marks_.loopA = a;
        marks_.loopB = b;
        update();
        emit loopEdited(a, b);
    }
}

void OverviewStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || overview_.empty()) {
        QWidget::mousePressEvent(event);
        return;
    }
    const int x = static_cast<int>(event->position().x());
    const int mark = MarkAt(x);
    marks_.selectedMark = mark;
    if (mark != 0) {
        dragging_ = mark;
    } else {
        dragging_ = -1;
        emit seekPressed(SecondsAt(x));
    }
    update();
}

void OverviewStrip::mouseMoveEvent(QMouseEvent* event) {
    const int x = static_cast<int>(event->position().x());
    if (dragging_ > 0) {
        MoveMark(dragging_, SecondsAt(x));
    } else if (dragging_ < 0) {
        emit seekMoved(SecondsAt(x));
    } else {
        setCursor(MarkAt(x) != 0 ? Qt::SizeHorCursor : Qt::PointingHandCursor);
    }
}

void OverviewStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (dragging_ < 0) {
        dragging_ = 0;
        emit seekReleased();
    }
    dragging_ = 0;
    QWidget::mouseReleaseEvent(event);
}

void OverviewStrip::keyPressEvent(QKeyEvent* event) {
    const int mark = marks_.selectedMark;
    const double at = mark == 1 ? marks_.loopA : marks_.loopB;
    if (mark == 0 || at < 0.0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const bool large = (event->modifiers() & Qt::ShiftModifier) != 0;
    double step = 0.0;
    switch (event->key()) {
        case Qt::Key_Left:
            step = large ? -kLargeNudge : -kSmallNudge;
            break;
        case Qt::Key_Right:
            step = large ? kLargeNudge : kSmallNudge;
            break;
        case Qt::Key_PageDown:
            step = -kLargeNudge;
            break;
        case Qt::Key_PageUp:
            step = kLargeNudge;
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    MoveMark(mark, at + step);
}

}  // namespace tonavise::ui
