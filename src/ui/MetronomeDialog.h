// The "Metronome" window: the tempo (20..400 beats per minute: typed, stepped by a spin or
// tapped), the meter and the subdivision of the metronome, the visual beat, and buttons that
// start and stop it; below them any meter N/D with its groups, accents set by clicking the beat
// lights, dotted-quarter counting, swing, the click's sound and volume, the tempo trainer, muted
// bars and the beat flash. The window sounds nothing itself: every change goes into the practice
// controls at once, and 300 ms after the last change of a burst the tone and metronome thread is
// asked to rebuild its bar, so a running metronome follows without stopping. The window is not
// modal: the click goes on while the user records, plays a file or uses the menus. Closing it
// leaves the metronome as it is; a rebuild still pending then is dropped (the next start builds
// from the controls anyway). Wrong input (a meter that is not one, groups that do not add up, a
// trainer whose target is not above the tempo) is said under the controls and changes nothing.
//
// Threads: user-interface thread only. The engine it posts to outlives the window.
#pragma once

#include <QDialog>
#include <QTimer>
#include <array>
#include <cstdint>
#include <utility>

#include "engine/dsp/Metronome.h"
#include "ui/BeatLights.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace tonavise {
struct PracticeControls;
class LiveEngine;
}  // namespace tonavise

namespace tonavise::ui {

class StepButtons;
class BeatFlash;

// The control ids, for finding the controls by object name ("id1013").
enum MetronomeControl : int {
    IDC_METRONOME_START = 1008,
    IDC_METRONOME_STOP = 1009,
    IDC_TEMPO_LABEL = 1012,
    IDC_TEMPO_EDIT = 1013,
    IDC_METER_FIRST = 1014,  // ... 1020, one per meter index
    IDC_METER_GROUP = 1021,
    IDC_TEMPO_SPIN = 1022,
    IDC_TEMPO_TAP = 1023,
    IDC_SUBDIVISION_LABEL = 1024,
    IDC_SUBDIVISION = 1025,
    IDC_BEAT_LIGHTS = 1026,
    IDC_COUNT_IN = 1027,
    IDC_METER_TEXT = 1028,
    IDC_METER_GROUPS = 1029,
    IDC_DOTTED = 1030,
    IDC_SWING = 1031,
    IDC_CLICK_SOUND = 1032,
    IDC_CLICK_VOLUME = 1033,
    IDC_TRAINER = 1034,
    IDC_TRAINER_STEP = 1035,
    IDC_TRAINER_BARS = 1036,
    IDC_TRAINER_TARGET = 1037,
    IDC_MUTE = 1038,
    IDC_MUTE_PLAY = 1039,
    IDC_MUTE_BARS = 1040,
    IDC_BEAT_FLASH = 1041,
    IDC_METRONOME_MESSAGE = 1042,
};

// The delay from the last change of tempo or meter to the rebuild of the metronome's loop.
inline constexpr int kMetronomeRebuildMs = 300;

class MetronomeDialog : public QDialog {
    Q_OBJECT
  public:
    // `engine` is told to rebuild, start and stop the metronome (and to stop a playing file
    // before a start); without one (a layout test) nothing is sent.
    MetronomeDialog(PracticeControls& controls, LiveEngine* engine, QWidget* parent = nullptr);

    // The fields, as the last data exchange left them.
    int32_t meterIndex() const { return meterIndex_; }
    int32_t tempoValue() const { return tempoValue_; }
    bool rebuildPending() const { return rebuildTimer_.isActive(); }

    StepButtons* tempoSpin() const { return tempoSpin_; }
    QLineEdit* tempoEdit() const { return tempoEdit_; }
    QRadioButton* meterButton(int index) const { return meterButtons_.at(index); }
    QPushButton* startButton() const { return startButton_; }
    QPushButton* stopButton() const { return stopButton_; }
    QPushButton* exitButton() const { return exitButton_; }
    QPushButton* tapButton() const { return tapButton_; }
    QComboBox* subdivisionBox() const { return subdivisionBox_; }
    BeatLights* beatLights() const { return beatLights_; }
    QCheckBox* countInBox() const { return countInBox_; }
    QLineEdit* meterEdit() const { return meterEdit_; }
    QLineEdit* groupsEdit() const { return groupsEdit_; }
    QCheckBox* dottedBox() const { return dottedBox_; }
    QSpinBox* swingSpin() const { return swingSpin_; }
    QComboBox* soundBox() const { return soundBox_; }
    QSpinBox* volumeSpin() const { return volumeSpin_; }
    QCheckBox* trainerBox() const { return trainerBox_; }
    QSpinBox* trainerStepSpin() const { return trainerStep_; }
    QSpinBox* trainerBarsSpin() const { return trainerBars_; }
    QSpinBox* trainerTargetSpin() const { return trainerTarget_; }
    QCheckBox* muteBox() const { return muteBox_; }
    QSpinBox* mutePlaySpin() const { return mutePlay_; }
    QSpinBox* muteBarsSpin() const { return muteBars_; }
    QPushButton* flashButton() const { return flashButton_; }
    QLabel* messageLabel() const { return message_; }
    BeatFlash* beatFlash() const { return beatFlash_; }
    // The meter that sounds: the one written or set by the lights, else the preset's.
    Meter CurrentMeter() const;

    // Where the visual beat reads the heard beat (none: the lights stay unlit).
    void SetBeatSource(BeatLights::Source source) { beatSource_ = std::move(source); }

    void OnStart();
    void OnStop();
    // A tap of the Tap button or the T key at `seconds` (a steady clock): from the second tap of
    // a series on, the tempo becomes that of the taps.
    void OnTap(double seconds);

    // The meter and groups as written (on Enter or leaving the fields).
    void ApplyMeter();
    // The next accent of `beat` (strong, medium, weak, muted, strong...).
    void CycleAccent(int beat);
    // The trainer and muted bars as the fields give them.
    void ApplyBarPlan();

  public slots:
    // Exit, Esc and the close box end the dialog; a pending rebuild is dropped.
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void CreateControls();
    void CreatePracticeControls(int top);
    void ShowMeter();
    // No preset meter button checked (a written meter, or none of the list).
    void UncheckPresets();
    void SetMessage(const QString& text);
    void FollowTempo();
    void FillControls();
    // Moves the control values into the fields (true) or the fields into the controls (false).
    void UpdateData(bool saveAndValidate);
    void OnTempoChange();
    void OnMeterClicked();
    void OnTempoEditingFinished();
    void OnSubdivisionChanged(int index);
    void RestartRebuildTimer();
    void OnRebuildDelayElapsed();

    PracticeControls& controls_;
    LiveEngine* engine_;
    bool initialising_ = false;

    // Fields
    StepButtons* tempoSpin_ = nullptr;
    int32_t meterIndex_ = 0;
    int32_t tempoValue_ = 120;

    QTimer rebuildTimer_;
    QLineEdit* tempoEdit_ = nullptr;
    QButtonGroup* meterGroup_ = nullptr;
    std::array<QRadioButton*, kMeterCount> meterButtons_{};
    QPushButton* startButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QPushButton* tapButton_ = nullptr;
    QComboBox* subdivisionBox_ = nullptr;
    BeatLights* beatLights_ = nullptr;
    QCheckBox* countInBox_ = nullptr;
    BeatLights::Source beatSource_;
    TapTempo tapTempo_;

    QLineEdit* meterEdit_ = nullptr;
    QLineEdit* groupsEdit_ = nullptr;
    QCheckBox* dottedBox_ = nullptr;
    QSpinBox* swingSpin_ = nullptr;
    QComboBox* soundBox_ = nullptr;
    QSpinBox* volumeSpin_ = nullptr;
    QCheckBox* trainerBox_ = nullptr;
    QSpinBox* trainerStep_ = nullptr;
    QSpinBox* trainerBars_ = nullptr;
    QSpinBox* trainerTarget_ = nullptr;
    QCheckBox* muteBox_ = nullptr;
    QSpinBox* mutePlay_ = nullptr;
    QSpinBox* muteBars_ = nullptr;
    QPushButton* flashButton_ = nullptr;
    QLabel* message_ = nullptr;
    BeatFlash* beatFlash_ = nullptr;
    // While shown: the tempo the trainer raises, followed in the tempo field.
    QTimer followTimer_;
};

}  // namespace tonavise::ui
