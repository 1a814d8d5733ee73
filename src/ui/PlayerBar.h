// The Player bar: the player's four buttons and the position slider, which runs from 0 to 200
// until a file is loaded and then from 0 to the file's PCM length in bytes.
//
// Threads: user-interface thread only.
#pragma once

#include <QToolBar>

class QSlider;

namespace tonavise::ui {

inline constexpr int kSliderWidth = 200;
inline constexpr int kSliderInitialMaximum = 200;

class CPlayerBar : public QToolBar {
    Q_OBJECT
  public:
    explicit CPlayerBar(const QString& title, QWidget* parent = nullptr);

    QSlider* slider() const { return slider_; }

  signals:
    // The left mouse button went down on the slider, before the slider moves its thumb.
    void sliderPressedByUser();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QSlider* slider_;
};

}  // namespace tonavise::ui
