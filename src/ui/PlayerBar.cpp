#include "ui/PlayerBar.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionSlider>
#include <algorithm>
#include <cmath>

#include "engine/audiofile/PracticeStream.h"

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

PositionSlider::PositionSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    setObjectName(QStringLiteral("positionSlider"));
    setTickPosition(QSlider::NoTicks);
    setFixedWidth(kSliderWidth);
    setRange(0, kSliderInitialMaximum);
    setValue(0);
    setFocusPolicy(Qt::StrongFocus);
}

void PositionSlider::sliderChange(SliderChange change) {
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

void PositionSlider::SetLoopMarks(int64_t a, int64_t b) {
    if (a != loopA_ || b != loopB_) {
        loopA_ = a;
        loopB_ = b;
        update();
    }
}

int PositionSlider::PixelOf(int64_t value) const {
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int span = width() - handle.width();
    const auto clamped = static_cast<int>(std::clamp<int64_t>(value, minimum(), maximum()));
    return handle.width() / 2 +
           QStyle::sliderPositionFromValue(minimum(), maximum(), clamped, span);
}

void PositionSlider::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);
    if (loopA_ < 0) {
        return;
    }
    // The loop as a band across the groove, its ends as lines; a mark alone as a line.
    QPainter painter(this);
    const QColor color(0, 120, 215);
    const int a = PixelOf(loopA_);
    const int top = height() / 2 - 6;
    if (loopB_ >= 0) {
        const int b = PixelOf(loopB_);
        painter.fillRect(QRect(a, top, std::max(1, b - a), 12), QColor(0, 120, 215, 70));
        painter.fillRect(QRect(b - 1, top - 2, 2, 16), color);
    }
    painter.fillRect(QRect(a - 1, top - 2, 2, 16), color);
}

QString TransposeBox::textFromValue(int value) const {
    return value > 0 ? QStringLiteral("+%1").arg(value) : QString::number(value);
}

QString FormatPlayTime(double seconds) {
    const auto tenths = static_cast<int64_t>(std::floor(std::max(0.0, seconds) * 10.0));
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600)
        .arg(tenths / 10 % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

void PositionSlider::keyPressEvent(QKeyEvent* event) {
    if (!IsSeekKey(*event)) {
        QSlider::keyPressEvent(event);
        return;
    }
    emit seekKeyPressed();
    QSlider::keyPressEvent(event);
    emit seekedByKey();
}

PlayerBar::PlayerBar(const QString& title, QWidget* parent)
    : QToolBar(title, parent),
      slider_(new PositionSlider(this)),
      time_(new QLabel(this)),
      speed_(new QSpinBox(this)),
      transpose_(new TransposeBox(this)) {
    slider_->installEventFilter(this);
    slider_->setAccessibleName(tr("Play position"));
    time_->setObjectName(QStringLiteral("playerTime"));
    time_->setAccessibleDescription(tr("Play time"));
    time_->setContentsMargins(6, 0, 6, 0);
    time_->setMaximumWidth(320);
    speed_->setObjectName(QStringLiteral("playerSpeed"));
    speed_->setRange(kMinSpeedPercent, kMaxSpeedPercent);
    speed_->setSingleStep(5);
    speed_->setValue(100);
    speed_->setSuffix(QStringLiteral(" %"));
    speed_->setToolTip(tr("Speed: slower or faster without changing the pitch"));
    transpose_->setObjectName(QStringLiteral("playerTranspose"));
    transpose_->setRange(-kMaxTransposeSemitones, kMaxTransposeSemitones);
    transpose_->setValue(0);
    transpose_->setToolTip(tr("Transpose in semitones, without changing the speed"));
    connect(speed_, &QSpinBox::valueChanged, this, &PlayerBar::speedChanged);
    connect(transpose_, &QSpinBox::valueChanged, this, &PlayerBar::transposeChanged);
    UpdateTimeText();
}

void PlayerBar::AddPracticeControls(std::initializer_list<QAction*> loopActions) {
    addWidget(time_);
    addSeparator();
    for (QAction* action : loopActions) {
        addAction(action);
    }
    addSeparator();
    auto* speedLabel = new QLabel(tr("Speed"), this);
    speedLabel->setBuddy(speed_);
    speedLabel->setContentsMargins(4, 0, 4, 0);
    addWidget(speedLabel);
    addWidget(speed_);
    auto* transposeLabel = new QLabel(tr("Transpose"), this);
    transposeLabel->setBuddy(transpose_);
    transposeLabel->setContentsMargins(8, 0, 4, 0);
    addWidget(transposeLabel);
    addWidget(transpose_);
}

void PlayerBar::SetFileName(const QString& name) {
    fileName_ = name;
    UpdateTimeText();
}

void PlayerBar::ShowTime(int64_t position, int64_t length, int64_t bytesPerSecond) {
    timeText_.clear();
    if (bytesPerSecond > 0) {
        const auto rate = static_cast<double>(bytesPerSecond);
        timeText_ = FormatPlayTime(static_cast<double>(position) / rate) + QStringLiteral(" / ") +
                    FormatPlayTime(static_cast<double>(length) / rate);
    }
    UpdateTimeText();
}

void PlayerBar::UpdateTimeText() {
    // A long name is cut in the middle; the whole name is in the tip.
    QStringList parts;
    if (!fileName_.isEmpty()) {
        parts << time_->fontMetrics().elidedText(
            fileName_, Qt::ElideMiddle, time_->maximumWidth() / 2);
    }
    if (!timeText_.isEmpty()) {
        parts << timeText_;
    }
    time_->setText(parts.join(QStringLiteral("  ")));
    time_->setToolTip(fileName_);
    // The slider's own value counts bytes of sound: a screen reader is told the time instead.
    const QString spoken = timeText_.isEmpty() ? tr("No file") : timeText_;
    if (slider_->accessibleDescription() != spoken) {
        slider_->setAccessibleDescription(spoken);
    }
}

bool PlayerBar::eventFilter(QObject* watched, QEvent* event) {
    // The slider has moved its thumb by the time the release comes (a click pages on the press,
    // a drag moves it on the way): the release is reported before the slider sees it.
    const bool press = event->type() == QEvent::MouseButtonPress;
    if (watched == slider_ && (press || event->type() == QEvent::MouseButtonRelease) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (press) {
            emit sliderPressedByUser();
        } else {
            emit sliderReleasedByUser();
        }
    }
    return QToolBar::eventFilter(watched, event);
}

}  // namespace tonavise::ui
