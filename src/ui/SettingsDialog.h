// The "Set Parameters" dialog: the reference frequency of A4 (applied to the note naming at
// once, while the dialog is open, and kept when it is cancelled), the screen capturer's image
// folder, start time, interval and number of images, and the recorder's maximum recording time
// and repeat option, and the sound devices: input and output, the system's default or one of the
// sound server's devices by its description (these take effect on OK only: a new input reopens
// the capture at once, a new output is used from the next sound that starts). There is no Cancel
// button: Esc and the close box cancel.
//
// Threads: user-interface thread only.
#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "engine/device/DeviceListReader.h"
#include "engine/device/SoundDevice.h"
#include "engine/dsp/KeyTable.h"
#include "ui/AppContext.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace tonavise::ui {

class StepButtons;
class ScopeCapture;

// The A4 range of the spin, in tenths of a hertz.
inline constexpr int kA4SpinMin = static_cast<int>(kMinA4 * 10);
inline constexpr int kA4SpinMax = static_cast<int>(kMaxA4 * 10);

// The A4 edit's text for a spin position: "%6.2f" of position x 0.1 ("440.00").
QString A4SpinText(int position);

// The frequencies of A4 that the presets button beside the spin offers.
extern const std::array<int, 8> kA4Presets;

// The Set Parameters window's control ids, for finding the controls by object name ("id1001").
enum SettingsControl : int {
    IDC_A4_EDIT = 1001,
    IDC_FOLDER_EDIT = 1003,
    IDC_REF = 1004,
    IDC_START_TIME = 1005,
    IDC_INTERVAL = 1006,
    IDC_COUNT = 1007,
    IDC_REC_TIME = 1022,
    IDC_REPEATING = 1023,
    IDC_INPUT_DEVICE = 1030,
    IDC_OUTPUT_DEVICE = 1031,
    IDC_A4_SPIN = 2000,
};

class SettingsDialog : public QDialog {
    Q_OBJECT
  public:
    // Chooses a folder starting at the given path; nullopt when cancelled. Tests give their own.
    using FolderBrowser = std::function<std::optional<QString>(QWidget*, const QString&)>;

    // Builds the controls and initialises them from the program's state (which already applies
    // the A4 limits and the list limits, see FillControls).
    explicit SettingsDialog(AppContext& context,
                            QWidget* parent = nullptr,
                            FolderBrowser browser = FolderBrowser());

    // The fields, as the last data exchange left them.
    double a4Value() const { return a4Value_; }
    int32_t repeating() const { return repeating_; }

    StepButtons* a4Spin() const { return a4Spin_; }
    QToolButton* a4Presets() const { return a4Presets_; }
    QLineEdit* a4Edit() const { return a4Edit_; }
    QLineEdit* folderEdit() const { return folderEdit_; }
    QPushButton* refButton() const { return refButton_; }
    QPushButton* okButton() const { return okButton_; }
    QComboBox* startTimeList() const { return startTimeList_; }
    QComboBox* intervalList() const { return intervalList_; }
    QComboBox* countList() const { return countList_; }
    QComboBox* recTimeList() const { return recTimeList_; }
    QCheckBox* repeatingCheck() const { return repeatingCheck_; }
    QComboBox* inputDeviceList() const { return inputDeviceList_; }
    QComboBox* outputDeviceList() const { return outputDeviceList_; }

    // The Ref button: the folder browser at the folder edit's text; its choice goes into the
    // edit.
    void OnRef();

  public slots:
    // OK: the framework's part, then the folder, the lists, the recording time, the repeat
    // option and the sound devices are stored.
    void accept() override;

  private:
    void CreateControls();
    void FillControls();
    // Moves the control values into the fields (true) or the fields into the controls (false).
    void UpdateData(bool saveAndValidate);
    void OnA4EditChange();
    void OnA4SpinScrolled(int position);
    // Widens the recording-time list to its longest item, after it is filled.
    void FitRecorderRow();
    // Fills a device list: "Default" first, then the sound system's devices; the chosen one is
    // selected (listed as not available when the sound system does not have it). The dialog
    // opens with "Default" and the chosen device only, and asks for the lists off the
    // interface thread (ShowDeviceLists when they come; a note in the lists when the server
    // takes longer than a second).
    void FillDeviceList(QComboBox* list,
                        DeviceDirection direction,
                        const std::vector<SoundDeviceInfo>* devices);
    void RequestDeviceLists();
    void ShowServerSilent();
    void ApplyDeviceChoice();

  public:
    // The lists arrived (interface thread).
    void ShowDeviceLists(const DeviceLists& lists);

  private:
    bool listsShown_ = false;

    AppContext& context_;
    FolderBrowser browser_;
    bool initialising_ = false;

    // Fields
    StepButtons* a4Spin_ = nullptr;
    QToolButton* a4Presets_ = nullptr;
    double a4Value_ = 440.0;
    QComboBox* startTimeList_ = nullptr;
    QComboBox* intervalList_ = nullptr;
    QComboBox* countList_ = nullptr;
    QComboBox* recTimeList_ = nullptr;
    int32_t repeating_ = 1;

    // Other controls
    QPushButton* okButton_ = nullptr;
    QLineEdit* a4Edit_ = nullptr;
    QLineEdit* folderEdit_ = nullptr;
    QPushButton* refButton_ = nullptr;
    QCheckBox* repeatingCheck_ = nullptr;
    QComboBox* inputDeviceList_ = nullptr;
    QComboBox* outputDeviceList_ = nullptr;
};

// The scope view's "Set Parameters Dialog" command: ends a timed capture, runs the dialog, and
// whatever its result writes the A4 frequency as "FreqOfA4".
void RunSetParameters(AppContext& context, ScopeCapture& capture, QWidget* parent);

}  // namespace tonavise::ui
