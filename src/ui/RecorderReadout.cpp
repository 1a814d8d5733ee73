#include "ui/RecorderReadout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <cmath>

#include "engine/core/AudioFormat.h"
#include "render/LevelMeter.h"

namespace tonavise::ui {

// The meter's picture, drawn by the render layer whenever the level shown changes.
class LevelMeterWidget : public QWidget {
  public:
    explicit LevelMeterWidget(QWidget* parent) : QWidget(parent) {
        setAccessibleName(RecorderReadout::tr("Input level"));
        setFixedSize(90, 10);
    }
    void Set(int peak, bool clipped) {
        if (peak == peak_ && clipped == clipped_) {
            return;
        }
        peak_ = peak;
        clipped_ = clipped;
        const double db = PeakDecibels(peak);
        setAccessibleDescription(std::isfinite(db) ? RecorderReadout::tr("%1 dB").arg(db, 0, 'f', 1)
                                                   : QString());
        update();
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        if (picture_.size() != size()) {
            picture_ = QImage(size(), QImage::Format_RGB32);
        }
        DrawLevelMeter(picture_, peak_, clipped_);
        QPainter(this).drawImage(0, 0, picture_);
    }

  private:
    int peak_ = -1;
    bool clipped_ = false;
    QImage picture_;
};

namespace {

// m:ss.s of a number of 100 ms blocks.
QString BlocksTime(int64_t blocks) {
    const int64_t tenths = blocks * kBlockFrames * 10 / kSampleRate;
    return QStringLiteral("%1:%2.%3")
        .arg(tenths / 600)
        .arg(tenths / 10 % 60, 2, 10, QLatin1Char('0'))
        .arg(tenths % 10);
}

}  // namespace

RecorderReadout::RecorderReadout(QWidget* parent)
    : QWidget(parent), time_(new QLabel(this)), meter_(new LevelMeterWidget(this)) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(6, 0, 6, 0);
    row->addWidget(time_);
    row->addWidget(meter_);
    time_->setAccessibleName(tr("Recorded time"));
    meter_->hide();
}

void RecorderReadout::Show(const RecordingStore::TakeLevels& levels, bool recording) {
    // 32767 is the largest sample; a negative full-scale one reads 32768.
    const bool clipped = levels.takePeak >= 32767;
    QString text;
    if (recording) {
        text = QStringLiteral("\u25CF ") + BlocksTime(levels.blocks);
    } else if (levels.blocks > 0) {
        text = tr("%1, peak %2 dB")
                   .arg(BlocksTime(levels.blocks))
                   .arg(PeakDecibels(std::max(levels.takePeak, 1)), 0, 'f', 1);
        if (clipped) {
            text += tr(", clipped");
        }
    }
    if (time_->text() != text) {
        time_->setText(text);
    }
    meter_->setVisible(recording);
    meter_->Set(levels.newestPeak, clipped);
}

QString RecorderReadout::text() const {
    return time_->text();
}

}  // namespace tonavise::ui
