// The Player bar: the player's four buttons, the position slider, which runs from 0 to 200
// until a file is loaded and then from 0 to the file's PCM length in bytes, the file's name with
// the position and the length (m:ss.s), and the practice controls: the A–B loop's buttons (the
// loop is shown on the slider), the speed (50–150 %) and the transpose (±12 semitones).
//
// The slider pages by a fifth of its range (a click beside the thumb, Page Up, Page Down) and
// steps by a hundredth (the arrow keys), whatever the file's length; it takes the keyboard focus
// when clicked or tabbed to.
//
// Threads: user-interface thread only.
#pragma once

#include <QSlider>
#include <QSpinBox>
#include <QToolBar>
#include <cstdint>

class QLabel;

namespace tonavise::ui {

inline constexpr int kSliderWidth = 200;
inline constexpr int kSliderInitialMaximum = 200;
// A page is a fifth of the range, a step a hundredth.
inline constexpr int kSliderPagesPerRange = 5;
inline constexpr int kSliderStepsPerRange = 100;

class PositionSlider : public QSlider {
    Q_OBJECT
  public:
    explicit PositionSlider(QWidget* parent = nullptr);

    // The A–B loop shown over the groove, in the slider's units; a < 0: no loop. A mark set
    // alone (b < 0) shows as a line.
    void SetLoopMarks(int64_t a, int64_t b);
    int64_t loopA() const { return loopA_; }
    int64_t loopB() const { return loopB_; }

  signals:
    // A key that moves the thumb (arrows, Page Up/Down, Home, End) was pressed: before the thumb
    // moves, and after it has moved.
    void seekKeyPressed();
    void seekedByKey();

  protected:
    void sliderChange(SliderChange change) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    int PixelOf(int64_t value) const;

    int64_t loopA_ = -1;
    int64_t loopB_ = -1;
};

// "m:ss.s" for a time in seconds (negative times count as 0).
QString FormatPlayTime(double seconds);

// Semitones with their sign: "+2", "0", "-2".
class TransposeBox : public QSpinBox {
    Q_OBJECT
  public:
    using QSpinBox::QSpinBox;

  protected:
    QString textFromValue(int value) const override;
};

class PlayerBar : public QToolBar {
    Q_OBJECT
  public:
    explicit PlayerBar(const QString& title, QWidget* parent = nullptr);

    PositionSlider* slider() const { return slider_; }
    QLabel* timeLabel() const { return time_; }
    QSpinBox* speedBox() const { return speed_; }
    QSpinBox* transposeBox() const { return transpose_; }

    // Adds the name and time, the loop's actions and the speed and transpose boxes after what
    // the bar holds so far.
    void AddPracticeControls(std::initializer_list<QAction*> loopActions);
    // The loaded file's name (empty: none) and the time shown beside it.
    void SetFileName(const QString& name);
    void ShowTime(int64_t position, int64_t length, int64_t bytesPerSecond);

  signals:
    // The left mouse button went down on the slider, before the slider moves its thumb, and
    // came up again.
    void sliderPressedByUser();
    void sliderReleasedByUser();
    void speedChanged(int percent);
    void transposeChanged(int semitones);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void UpdateTimeText();

    PositionSlider* slider_;
    QLabel* time_;
    QSpinBox* speed_;
    TransposeBox* transpose_;
    QString fileName_;
    QString timeText_;
};

}  // namespace tonavise::ui
