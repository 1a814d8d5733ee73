// The "Metronome" dialog: the tempo (30..300 beats per minute: typed, stepped by a spin or tapped),
// the meter and the subdivision of the metronome, the visual beat, and buttons that start and
// stop it. The dialog sounds
// nothing itself: every change goes into the practice controls at once, and 300 ms after the
// last change of a burst the tone and metronome thread is asked to rebuild its loop, so a
// running metronome follows without stopping. Closing the dialog leaves the metronome as it is;
// a rebuild still pending then is dropped (the next start builds from the controls anyway).
//
// Threads: user-interface thread only. The threads it posts to belong to the scope view and
// outlive the dialog, which runs modally inside the view's command.
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

namespace tonavise {
struct PracticeControls;
class LiveEngine;
}  // namespace tonavise

namespace tonavise::ui {

class StepButtons;

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

    // Where the visual beat reads the heard beat (none: the lights stay unlit).
    void SetBeatSource(BeatLights::Source source) { beatSource_ = std::move(source); }

    void OnStart();
    void OnStop();
    // A tap of the Tap button or the T key at `seconds` (a steady clock): from the second tap of
    // a series on, the tempo becomes that of the taps.
    void OnTap(double seconds);

  public slots:
    // Exit, Esc and the close box end the dialog; a pending rebuild is dropped.
    void done(int result) override;

  private:
    void CreateControls();
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
};

}  // namespace tonavise::ui
