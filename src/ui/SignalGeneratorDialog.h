// The "Signal Generator" dialog: a frequency (1..20000 Hz), an amplitude (0..100 %) and a wave
// form for each of the two channels, and buttons that start and stop the two-channel test
// signal. It is modeless and made once; Exit, Esc and the close box stop the sound and only
// hide it. It plays through the engine's signal generator, which it opens when it is made and
// closes when it goes; the one-second buffer it writes is the engine's.
//
// The sound follows the dialog at once, also while it plays: a wave form button regenerates
// the channels as it is pressed, and after every played second the edits are read again (a
// value out of its range, or no number, is ignored there without a word; "Start" checks all
// of them and says what is wrong).
//
// Threads: user-interface thread, except OnSignalBufferDone(), which the generator's thread
// calls; it queues the reading of the edits on the user-interface thread and returns at once,
// so the generator never waits for the windows.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <optional>

#include "engine/device/SignalBuffer.h"
#include "engine/live/LiveEngine.h"
#include "engine/live/LiveState.h"
#include "ui/AppContext.h"

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace tonavise::ui {

class StepButtons;

// The control ids, for finding the controls by object name ("id1000").
enum SignalGeneratorControl : int {
    IDC_FREQ_LEFT = 1000,
    IDC_AMP_LEFT = 1001,
    IDC_SINE_LEFT = 1002,
    IDC_SQUARE_LEFT = 1003,
    IDC_FREQ_RIGHT = 1004,
    IDC_AMP_RIGHT = 1005,
    IDC_SINE_RIGHT = 1006,
    IDC_SQUARE_RIGHT = 1007,
    IDC_SIGNAL_START = 1008,
    IDC_SIGNAL_STOP = 1009,
    IDC_TRIANGLE_LEFT = 1010,
    IDC_SAW_LEFT = 1011,
    IDC_TRIANGLE_RIGHT = 1012,
    IDC_SAW_RIGHT = 1013,
    IDC_SPIN_FREQ_LEFT = 2000,
    IDC_SPIN_AMP_LEFT = 2001,
    IDC_SPIN_FREQ_RIGHT = 2002,
    IDC_SPIN_AMP_RIGHT = 2003,
};

inline constexpr int kMinSignalFrequency = 1;
inline constexpr int kMaxSignalFrequency = 20000;
inline constexpr int kMinSignalAmplitude = 0;
inline constexpr int kMaxSignalAmplitude = 100;

// The value of an edit for the live update: the leading decimal integer of the text (after
// white space, with an optional sign), 0 when there is none; limited to the int32 range.
int32_t LeadingInteger(const QString& text);
// The value of an edit for "Start": the whole text (white space aside) must be an integer.
std::optional<int32_t> WholeInteger(const QString& text);

class SignalGeneratorDialog : public QDialog, public SignalListener {
    Q_OBJECT
  public:
    // Makes the controls from the remembered values and, when the program has sound devices,
    // opens the engine's signal generator. The dialog is hidden until shown.
    explicit SignalGeneratorDialog(AppContext& context, QWidget* parent = nullptr);
    // Closes the generator (stopping the sound).
    ~SignalGeneratorDialog() override;

    // The value fields.
    int32_t freqLeft() const { return freqLeft_; }
    int32_t ampLeft() const { return ampLeft_; }
    int32_t waveLeft() const { return waveLeft_; }
    int32_t freqRight() const { return freqRight_; }
    int32_t ampRight() const { return ampRight_; }
    int32_t waveRight() const { return waveRight_; }

    SignalBuffer& signal() { return context_.engine.signal; }
    // How many played seconds have been answered with a live update.
    int64_t liveUpdateCount() const { return liveUpdateCount_; }

    // channel 0 left, 1 right; edit 0 frequency, 1 amplitude.
    QLineEdit* valueEdit(int channel, int edit) const { return edits_.at(2 * channel + edit); }
    StepButtons* valueSpin(int channel, int edit) const { return spins_.at(2 * channel + edit); }
    QRadioButton* waveButton(int channel, int waveForm) const {
        return waveButtons_.at(4 * channel + waveForm);
    }
    QPushButton* startButton() const { return startButton_; }
    QPushButton* stopButton() const { return stopButton_; }
    QPushButton* exitButton() const { return exitButton_; }

    // "Start": all values checked, both channels regenerated, the signal started.
    void OnStart();
    void OnStop();
    // "Exit": the values are remembered for the program's run, the sound stops, the dialog
    // hides.
    void OnExit();
    // The answer to one played second: the edits' valid values are taken and their channels
    // regenerated.
    void OnLiveUpdate();

    // SignalListener; called on the generator's thread.
    void OnSignalBufferDone() override;

  public slots:
    // Esc and the close box: the sound stops and the dialog hides.
    void reject() override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void CreateControls();
    void FillControls();
    // Moves the control values into the fields (true; false when a value is refused, after
    // the message) or the fields into the radio buttons (false).
    bool UpdateData(bool saveAndValidate);
    bool ExchangeInt(QLineEdit* edit, int32_t& field, int minimum, int maximum);
    void GenerateLeft();
    void GenerateRight();
    void StopSignal();
    // Wave form capture: a key released or the left button pressed on any control.
    void CaptureWaveForm(QObject* watched);

    AppContext& context_;

    // Fields
    int32_t ampLeft_ = 50;
    int32_t freqLeft_ = 440;
    int32_t waveLeft_ = 0;
    int32_t waveRight_ = 0;
    int32_t ampRight_ = 50;
    int32_t freqRight_ = 440;

    // Controls
    std::array<QLineEdit*, 4> edits_{};  // left frequency, left amplitude, right ...
    std::array<StepButtons*, 4> spins_{};
    std::array<QRadioButton*, 8> waveButtons_{};  // left sine..saw, right sine..saw
    QButtonGroup* leftGroup_ = nullptr;
    QButtonGroup* rightGroup_ = nullptr;
    QPushButton* startButton_ = nullptr;
    QPushButton* stopButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    int64_t liveUpdateCount_ = 0;
};

}  // namespace tonavise::ui
