#include "ui/PlayerBar.h"

#include <QMouseEvent>
#include <QSlider>

namespace tonavise::ui {

CPlayerBar::CPlayerBar(const QString& title, QWidget* parent)
    : QToolBar(title, parent), slider_(new QSlider(Qt::Horizontal, this)) {
    slider_->setObjectName(QStringLiteral("positionSlider"));
    slider_->setTickPosition(QSlider::NoTicks);
    slider_->setFixedWidth(kSliderWidth);
    slider_->setRange(0, kSliderInitialMaximum);
    slider_->setValue(0);
    slider_->setFocusPolicy(Qt::NoFocus);
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
