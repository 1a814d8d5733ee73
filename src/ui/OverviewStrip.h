// The player's overview of the whole loaded file, in a row of its own under the Player bar:
// the waveform, the A–B loop with its times, the saved loops along the bottom and the play
// position. A click or a drag anywhere away from the loop's marks moves the play position there
// (a playing file plays on from there once let go); a drag that starts on A or B moves that mark. A
// click on a mark selects it, and the arrow keys then nudge it by 10 ms (100 ms with Shift or with
// Page Up and Page Down).
//
// The waveform is drawn once per file and size (from the overview the player made on its own
// thread); each repaint only lays the marks over it.
//
// Threads: user-interface thread only.
#pragma once

#include <QImage>
#include <QWidget>

#include "engine/audiofile/FileOverview.h"
#include "render/FileOverviewPicture.h"

namespace tonavise::ui {

class OverviewStrip : public QWidget {
    Q_OBJECT
  public:
    explicit OverviewStrip(QWidget* parent = nullptr);

    void SetOverview(FileOverview overview);
    const FileOverview& overview() const { return overview_; }
    // Times in seconds, as OverviewMarks holds them.
    void SetPosition(double seconds);
    void SetLoop(double a, double b);
    void SetSavedLoops(std::vector<OverviewMarks::Span> loops);
    const OverviewMarks& marks() const { return marks_; }

    QSize sizeHint() const override;

  signals:
    // A press away from the marks, the drag that follows it and its release: the user moves
    // the play position as with the slider's thumb.
    void seekPressed(double seconds);
    void seekMoved(double seconds);
    void seekReleased();
    // A mark was dragged or nudged: the loop as it is now (b < 0: A alone).
    void loopEdited(double a, double b);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    double SecondsAt(int x) const;
    // The loop mark within a few pixels of x (1: A, 2: B), or 0.
    int MarkAt(int x) const;
    void MoveMark(int mark, double seconds);

    FileOverview overview_;
    QImage wave_;  // the waveform at the widget's size; null until drawn
    OverviewMarks marks_;
    int dragging_ = 0;  // -1: seeking, 1: A, 2: B, 0: nothing
};

}  // namespace tonavise::ui
