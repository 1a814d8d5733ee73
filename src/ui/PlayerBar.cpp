#include "ui/PlayerBar.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>

namespace tonavise::ui {

namespace {

bool IsSeekKey(const QKeyEvent& event) {
    if ((event.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        return false;
    }
    switch (event.key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Home:
        case Qt::Key_End:
            return true;
        default:
            return false;
    }
}

}  // namespace

CPositionSlider::CPositionSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setObjectName(QStringLiteral("positionSlider"));
    setTickPosition(QSlider::NoTicks);
    setFixedWidth(kSliderWidth);
    setRange(0, kSliderInitialMaximum);
    setValue(0);
    setFocusPolicy(Qt::StrongFocus);
}

void CPositionSlider::sliderChange(SliderChange change) {
    // The range is a length in bytes: steps of Qt's default size (1 and 10 bytes) would make a
    // click or a key move the thumb by nothing anyone can hear. Also when the range was set
    // with the slider's signals blocked.
    if (change == SliderRangeChange) {
        const int range = maximum() - minimum();
        setPageStep(std::max(1, range / kSliderPagesPerRange));
        setSingleStep(std::max(1, range / kSliderStepsPerRange));
    }
    QSlider::sliderChange(change);
}

void CPositionSlider::keyPressEvent(QKeyEvent* event) {
    if (!IsSeekKey(*event)) {
        QSlider::keyPressEvent(event);
        return;
    }
    emit seekKeyPressed();
    QSlider::keyPressEvent(event);
    emit seekedByKey();
}

CPlayerBar::CPlayerBar(const QString& title, QWidget* parent)
    : QToolBar(title, parent), slider_(new CPositionSlider(this)) {
    slider_->installEventFilter(this);
}

bool CPlayerBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == slider_ && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        emit sliderPressedByUser();
    }
    return QToolBar::eventFilter(watched, event);
}

}  // namespace tonavise::ui
