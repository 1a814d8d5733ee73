// The practice side of the file player as the windows show it: the A–B loop (on the slider, on
// the overview and in the loop window, and handed to the player), the loop window's pause and
// speed trainer, and the file's own speed, transpose and saved loops, recalled when the file
// opens and kept as they change (PlayerFileMemory).
//
// Threads: user-interface thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <cstdint>

#include "ui/LoopDialog.h"
#include "ui/PlayerFileMemory.h"

namespace tonavise {
class LiveEngine;
}

namespace tonavise::ui {

class OverviewStrip;
class PlayerBar;
class SettingsStore;

class PlayerPractice : public QObject {
    Q_OBJECT
  public:
    PlayerPractice(LiveEngine& engine,
                   SettingsStore& settings,
                   PlayerBar& bar,
                   OverviewStrip& overview,
                   QWidget* window);
    ~PlayerPractice() override;

    // A file is being opened (its full path); it has been loaded (its bytes of sound). The file
    // reopens with its own speed, transpose and saved loops, a new one at 100 % and 0.
    void FileOpening(const QString& path);
    void FileLoaded();
    // The stored pause and trainer handed to the player (once it runs).
    void ApplyStored();

    // The loop in bytes of the loaded sound (a < 0: none; b < 0: A alone, shown but not
    // looped): shown everywhere and handed to the player.
    void SetLoop(int64_t a, int64_t b);
    // Sets A (start) or B at the play position; B before A swaps them, ends closer than the
    // shortest loop are refused with a message.
    void MarkLoop(bool start);
    // The same in seconds (a mark dragged or nudged, a loop typed or recalled), said in the
    // status bar when both ends are set.
    void SetLoopSeconds(double a, double b);
    void ClearLoop();
    bool HasLoop() const;

    void ShowLoopDialog();
    LoopDialog* loopDialog() const { return loopDialog_; }
    // The speed the player plays at now (the trainer moves it pass by pass) shown in the box
    // without being taken as the user's choice.
    void FollowSpeed(int percent);
    // While a file plays (or is paused) slower, faster or transposed: "70 %", "−2" or both, so
    // that a reading of the tuner, the tone window or the track is not taken for the
    // recording's own pitch; empty otherwise.
    QString PlayedFileMark() const;

  signals:
    void message(const QString& text);

  private:
    double BytesPerSecond() const;
    void Remember();
    void ShowSavedLoops();
    void ApplyLoopPractice();

    LiveEngine& engine_;
    SettingsStore& settings_;
    PlayerFileMemory memory_;
    PlayerBar& bar_;
    OverviewStrip& overview_;
    QWidget* window_;
    QPointer<LoopDialog> loopDialog_;

    QString openingPath_;
    QString filePath_;  // the loaded file; empty: none
    qint64 fileSize_ = 0;
    FilePractice practice_;
    bool trainerOn_ = false;
};

}  // namespace tonavise::ui
