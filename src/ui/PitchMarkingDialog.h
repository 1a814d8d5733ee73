// The "Pitch marking" dialog: the 88 keys in a list where a click steps a key's mark colour and a
// double click clears it, and three buttons that load the marks of an erhu, a violin or a
// guitar. The dialog edits the pitch model's colour table in place: opening takes a copy, OK
// keeps the edited colours, Cancel (also Esc and the close box) puts the copy back.
//
// Threads: user-interface thread only.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <span>

class QPushButton;

namespace tonavise {
class KeyTable;
}

namespace tonavise::ui {

class KeyMarkList;
struct InstrumentPreset;

// The dialog's control ids, for finding the controls by object name ("id1025").
enum PitchMarkingControl : int {
    IDC_PITCH_LIST = 1024,
    IDC_ERHU = 1025,
    IDC_GUITAR = 1026,
    IDC_VIOLIN = 1027,
};

class PitchMarkingDialog : public QDialog {
    Q_OBJECT
  public:
    // Builds the controls, takes the copy of the colour table and fills the list.
    explicit PitchMarkingDialog(KeyTable& keyTable, QWidget* parent = nullptr);

    KeyMarkList* list() const { return list_; }
    QPushButton* erhuButton() const { return erhuButton_; }
    QPushButton* violinButton() const { return violinButton_; }
    QPushButton* guitarButton() const { return guitarButton_; }
    QPushButton* okButton() const { return okButton_; }
    QPushButton* cancelButton() const { return cancelButton_; }

    // The preset buttons.
    void OnErhu();
    void OnViolin();
    void OnGuitar();

  public slots:
    // OK keeps the colours as edited.
    void accept() override;
    // Cancel, Esc and the close box restore the colours the dialog opened with.
    void reject() override;

  private:
    void CreateControls();
    void FillControls();
    void LoadPreset(const InstrumentPreset& preset);

    KeyTable& keyTable_;
    KeyMarkList* list_ = nullptr;
    QPushButton* erhuButton_ = nullptr;
    QPushButton* violinButton_ = nullptr;
    QPushButton* guitarButton_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
};

// The item shown first when no key is marked: C5.
inline constexpr int kUnmarkedTopItem = 51;

struct PresetMark {
    int key;
    int32_t code;
};

// An instrument's marks (every other key is unmarked) and the item shown first after loading.
struct InstrumentPreset {
    std::span<const PresetMark> marks;
    int topItem;
};

extern const InstrumentPreset kErhuPreset;
extern const InstrumentPreset kViolinPreset;
extern const InstrumentPreset kGuitarPreset;

// The view's "Pitch Marking" command: runs the dialog modally; true when it ended with OK.
bool RunPitchMarking(KeyTable& keyTable, QWidget* parent);

}  // namespace tonavise::ui
