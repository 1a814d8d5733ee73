// The Player bar: the player's four buttons and the position slider, which runs from 0 to 200
// until a file is loaded and then from 0 to the file's PCM length in bytes.
//
// The slider pages by a fifth of its range (a click beside the thumb, Page Up, Page Down) and
// steps by a hundredth (the arrow keys), whatever the file's length; it takes the keyboard focus
// when clicked or tabbed to.
//
// Threads: user-interface thread only.
#pragma once

#include <QSlider>
#include <QToolBar>

namespace tonavise::ui {

inline constexpr int kSliderWidth = 200;
inline constexpr int kSliderInitialMaximum = 200;
// A page is a fifth of the range, a step a hundredth.
inline constexpr int kSliderPagesPerRange = 5;
inline constexpr int kSliderStepsPerRange = 100;

class CPositionSlider : public QSlider {
    Q_OBJECT
  public:
    explicit CPositionSlider(QWidget* parent = nullptr);

  signals:
    // A key that moves the thumb (arrows, Page Up/Down, Home, End) was pressed: before the thumb
    // moves, and after it has moved.
    void seekKeyPressed();
    void seekedByKey();

  protected:
    void sliderChange(SliderChange change) override;
    void keyPressEvent(QKeyEvent* event) override;
};

class CPlayerBar : public QToolBar {
    Q_OBJECT
  public:
    explicit CPlayerBar(const QString& title, QWidget* parent = nullptr);

    CPositionSlider* slider() const { return slider_; }

  signals:
    // The left mouse button went down on the slider, before the slider moves its thumb.
    void sliderPressedByUser();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    CPositionSlider* slider_;
};

}  // namespace tonavise::ui
