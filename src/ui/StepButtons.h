// An up-down control: a pair of arrow buttons beside a buddy edit that step an integer position
// within a range. The up arrow (or the Up key in the buddy) moves toward the maximum. Each step,
// also one that the range stops, is reported by `scrolled` with the new position, so the owner
// hears of every press even at the range's ends; the owner writes the buddy's text.
//
// Threads: user-interface thread only.
#pragma once

#include <QTimer>
#include <QWidget>

namespace tonavise::ui {

class StepButtons : public QWidget {
    Q_OBJECT
  public:
    explicit StepButtons(QWidget* parent = nullptr);

    // Arrow keys pressed in the buddy step the control.
    void SetBuddy(QWidget* buddy);
    QWidget* buddy() const { return buddy_; }
    void SetRange(int minimum, int maximum);
    void SetPos(int position);  // limited to the range; not reported
    int Pos() const { return position_; }
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }

    // One step up (+1) or down (-1), as a click on an arrow does.
    void Step(int delta);

  signals:
    void scrolled(int position);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QRect ArrowRect(int direction) const;

    QWidget* buddy_ = nullptr;
    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    int pressed_ = 0;  // +1 up, -1 down, 0 none
    QTimer repeat_;
};

}  // namespace tonavise::ui
