// The tuner view: a dock of the main window that shows the tuner's face (render/TunerFace) from
// the tuner's analysis, always on the precise estimate. It runs the analysis only while it is
// shown, wakes on each steady reading (50 a second) and repaints at most that often.
//
// Its own menu (the context menu, also on the keyboard's menu key and Ctrl+F9) chooses needle or
// strobe, how close counts as in tune, the temperament and its tonic, the strings, a reference
// tone or drone, and the transposing instrument whose written pitch names the notes; all are
// stored. While it is shown, keys work wherever the focus is: F7 sounds the note shown at its
// target, Shift+F7 a drone on it, F8 and Shift+F8 lock to the next or previous string. The
// accessible value reads the note as a sentence ("A4, 3.9 cents sharp") and changes with it.
//
// Threads: user-interface thread only.
#pragma once

#include <QDockWidget>
#include <QElapsedTimer>
#include <QImage>
#include <QKeySequence>
#include <QList>
#include <QRect>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "engine/dsp/Temperament.h"
#include "render/TunerFace.h"
#include "ui/TunerFollower.h"

class QAction;
class QMenu;
class QSocketNotifier;

namespace tonavise {
class KeyTable;
class LiveEngine;
}  // namespace tonavise

namespace tonavise::ui {

class SettingsStore;

class TunerFaceWidget : public QWidget {
    Q_OBJECT

  public:
    TunerFaceWidget(LiveEngine& engine, SettingsStore& settings, QWidget* parent = nullptr);
    ~TunerFaceWidget() override;

    QSize sizeHint() const override { return {300, 440}; }
    QSize minimumSizeHint() const override { return {200, 260}; }

    const TunerFaceState& face() const { return face_; }
    // "A4, 3.9 cents sharp", "no pitch": what a screen reader says of the tuner.
    QString SpokenValue() const;
    void SetStrobe(bool on);
    bool strobe() const { return face_.strobe; }
    // The played file's speed and transpose ("70 % · −2"; empty: none), shown with the mark.
    void SetPlayedFileMark(const QString& mark);
    // Pictures painted so far (for the figures of its cost).
    int64_t paintCount() const { return paints_; }
    // The settings' menu, built afresh with the current choices checked.
    void ShowMenu(const QPoint& globalPos);
    // The keys' actions (F7, Shift+F7, F8, Shift+F8, Ctrl+F9).
    QList<QAction*> keyActions() const { return actions(); }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void Start();
    void Stop();
    void OnWake();
    void ApplyTuning();
    void ApplyStrings();
    void AddStringsMenu(QMenu& menu);
    void AddReferenceToneMenu(QMenu& menu);
    // A drone of a key and its pure fifth; while it sounds, the tuning's tonic is its root.
    void AddDroneMenu(QMenu& menu);
    void Show(const TunerFollower::Shown& shown);
    QAction* AddKey(const QString& text, const QKeySequence& key, void (TunerFaceWidget::*act)());
    // The reference tone at the target of the note shown (its string's, with strings); again,
    // or without a note, stops it.
    void SoundShownNote();
    // A drone on the pitch class shown, in the drone's octave; again, or without a note, stops it.
    void DroneOnShownNote();
    void StartDroneOn(int key);
    void StopDroneHere();
    // Locks to the next higher (or lower) string; past the last, back to the nearest string.
    void StepLockedString(int step);
    void LockNextString() { StepLockedString(1); }
    void LockPreviousString() { StepLockedString(-1); }
    void ShowMenuHere();

    LiveEngine& engine_;
    SettingsStore& settings_;
    TunerFollower follower_;
    Tuning tuning_;
    int writtenSounds_ = 0;
    std::vector<int> stringKeys_;  // the open strings named, low first; empty: the nearest key
    std::vector<double> stringTargets_;  // their pitches
    QString stringsLabel_;
    QString writtenMark_;
    QString playedMark_;
    int shownKey_ = -1;  // the sounding key of the note shown, -1 without one
    int droneKey_ = -1;  // the key of the drone this view started, while it sounds
    bool droneHeard_ = false;
    int droneChecks_ = 0;
    QAction* toneKey_ = nullptr;
    QAction* droneOnKey_ = nullptr;
    QAction* nextStringKey_ = nullptr;
    QAction* previousStringKey_ = nullptr;
    TunerFaceState face_;
    QString spoken_;
    QSocketNotifier* wake_ = nullptr;
    QImage surface_;
    TunerFaceCache cache_;
    QString drawnKey_;  // what the last picture showed, at the precision it shows it
    static constexpr qint64 kMinPaintMs = 40;
    QElapsedTimer sincePaint_;
    QRect dirty_;
    bool paintPending_ = false;
    int64_t paints_ = 0;
};

class TunerDock : public QDockWidget {
    Q_OBJECT

  public:
    TunerDock(LiveEngine& engine, SettingsStore& settings, QWidget* parent = nullptr);
    TunerFaceWidget* face() const { return face_; }

  signals:
    // The dock's own close button: the user hid the tuner (not the window going away).
    void closedByUser();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    TunerFaceWidget* face_;
};

}  // namespace tonavise::ui
