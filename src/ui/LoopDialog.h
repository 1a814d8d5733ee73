// The player's loop window (Player > Loop…, Ctrl+L): the loop's A and B typed as times, what
// comes before each repeat (nothing or a pause), the speed trainer, and the loops saved with the
// file, recalled by a double click or Enter. Not modal: the file plays on while it is open.
//
// It holds no state of the player: the main frame shows it the loop and the file's saved loops
// and hears its signals. Its own choices (the pause, the trainer) are kept in the settings.
//
// Threads: user-interface thread only.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

#include "ui/PlayerFileMemory.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace tonavise::ui {

class SettingsStore;

// A time typed by the user: "m:ss.ss", "m:ss" or seconds ("12.5"); nothing when it is not one
// or is negative.
std::optional<double> ParseLoopTime(const QString& text);

struct LoopPractice {
    double gapSeconds = 0.0;  // 0: none
    bool trainerOn = false;
    int trainerStep = 5;  // percent
    int trainerPasses = 1;
    int trainerTarget = 100;
};
LoopPractice ReadLoopPractice(const SettingsStore& settings);

class LoopDialog : public QDialog {
    Q_OBJECT
  public:
    // `speed` gives the player's speed now, where the trainer starts.
    LoopDialog(SettingsStore& settings, std::function<int()> speed, QWidget* parent = nullptr);

    // The loop now (seconds; a < 0: none) and the loaded file's length (0: no file).
    void ShowLoop(double a, double b, double fileSeconds);
    void SetSavedLoops(std::vector<SavedLoop> loops);
    const std::vector<SavedLoop>& savedLoops() const { return saved_; }
    LoopPractice practice() const;

  signals:
    // The user typed a loop that holds (the checks of the loop marks passed).
    void loopTyped(double a, double b);
    void loopRecalled(double a, double b);
    // The saved loops changed (one saved, renamed or deleted).
    void savedLoopsChanged();
    // The pause or the trainer changed: the player takes `practice()`.
    void practiceChanged();

  private:
    void ApplyTyped();
    void SaveLoop();
    void DeleteLoop();
    void RecallLoop();
    void FillList();
    void OnPracticeEdited();
    void SetMessage(const QString& text);

    SettingsStore& settings_;
    std::function<int()> speed_;
    double fileSeconds_ = 0.0;
    double a_ = -1.0;
    double b_ = -1.0;
    std::vector<SavedLoop> saved_;

    QLineEdit* aEdit_;
    QLineEdit* bEdit_;
    QCheckBox* gapOn_;
    QDoubleSpinBox* gap_;
    QCheckBox* trainerOn_;
    QSpinBox* step_;
    QSpinBox* passes_;
    QSpinBox* target_;
    QListWidget* list_;
    QLineEdit* name_;
    QLabel* message_;
};

}  // namespace tonavise::ui
