#include "ui/PitchMarkingDialog.h"

#include <QPushButton>

#include "engine/dsp/KeyTable.h"
#include "ui/DialogUnits.h"
#include "ui/KeyMarkList.h"

namespace tonavise::ui {

namespace {

// Codes: 0 black, 1 red, 2 green, 3 yellow, 4 blue, 5 magenta, 6 cyan.
constexpr PresetMark kErhuMarks[] = {{41, 1}, {48, 2}};
constexpr PresetMark kViolinMarks[] = {{34, 5}, {41, 1}, {48, 2}, {55, 4}};
constexpr PresetMark kGuitarMarks[] = {{19, 5}, {24, 4}, {29, 3}, {34, 6}, {38, 1}, {43, 0}};

// The dialog's client area in dialog units: the controls with a margin of 7 on every side.
constexpr int kDialogWidth = 159;
constexpr int kDialogHeight = 207;

QString ControlName(int id) {
    return QStringLiteral("id%1").arg(id);
}

}  // namespace

const InstrumentPreset kErhuPreset{kErhuMarks, 39};
const InstrumentPreset kViolinPreset{kViolinMarks, 41};
const InstrumentPreset kGuitarPreset{kGuitarMarks, 29};

PitchMarkingDialog::PitchMarkingDialog(KeyTable& keyTable, QWidget* parent)
    : QDialog(parent), keyTable_(keyTable) {
    setObjectName(QStringLiteral("dlgScaleColor"));
    setWindowTitle(tr("Pitch marking"));
    CreateControls();
    FillControls();
}

void PitchMarkingDialog::CreateControls() {
    const DialogUnits du(font());
    setFixedSize(du.Size(kDialogWidth, kDialogHeight));

    auto button = [&](int id, const QString& text, QRect r) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(ControlName(id));
        b->setGeometry(r);
        return b;
    };

    // In the template's order, which is also the order of the Tab key.
    erhuButton_ = button(IDC_ERHU, tr("&Erhu"), du.Rect(91, 7, 61, 17));
    violinButton_ = button(IDC_VIOLIN, tr("&Violin"), du.Rect(91, 28, 61, 17));
    guitarButton_ = button(IDC_GUITAR, tr("&Guitar"), du.Rect(91, 49, 61, 17));
    okButton_ = button(1, tr("OK"), du.Rect(93, 166, 59, 16));
    okButton_->setDefault(true);
    cancelButton_ = button(2, tr("Cancel"), du.Rect(93, 184, 59, 16));

    list_ = new KeyMarkList(keyTable_, this);
    list_->setObjectName(ControlName(IDC_PITCH_LIST));
    list_->setGeometry(du.Rect(7, 7, 77, 193));

    connect(erhuButton_, &QPushButton::clicked, this, &PitchMarkingDialog::OnErhu);
    connect(violinButton_, &QPushButton::clicked, this, &PitchMarkingDialog::OnViolin);
    connect(guitarButton_, &QPushButton::clicked, this, &PitchMarkingDialog::OnGuitar);
    connect(okButton_, &QPushButton::clicked, this, &PitchMarkingDialog::accept);
    connect(cancelButton_, &QPushButton::clicked, this, &PitchMarkingDialog::reject);

    QWidget* order[] = {erhuButton_, violinButton_, guitarButton_, okButton_, cancelButton_, list_};
    for (size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void PitchMarkingDialog::FillControls() {
    keyTable_.SaveColors();
    for (int k = 0; k < kKeyCount; ++k) {
        list_->addItem(QString::fromLatin1(keyTable_.LongName(k)));
    }
    int top = kUnmarkedTopItem;
    for (int k = 0; k < kKeyCount; ++k) {
        if ((keyTable_.pitchLineColors[k].load(std::memory_order_relaxed) & 7) != 7) {
            top = k;
            break;
        }
    }
    list_->SetTopIndex(top);
    // The first control in the Tab order has the focus, as in any dialog.
    erhuButton_->setFocus();
}

void PitchMarkingDialog::LoadPreset(const InstrumentPreset& preset) {
    for (auto& color : keyTable_.pitchLineColors) {
        color.store(kColorUnmarked, std::memory_order_relaxed);
    }
    for (const PresetMark& mark : preset.marks) {
        keyTable_.pitchLineColors[mark.key].store(mark.code, std::memory_order_relaxed);
    }
    list_->SetTopIndex(preset.topItem);
    list_->InvalidateItems();
}

void PitchMarkingDialog::OnErhu() {
    LoadPreset(kErhuPreset);
}

void PitchMarkingDialog::OnViolin() {
    LoadPreset(kViolinPreset);
}

void PitchMarkingDialog::OnGuitar() {
    LoadPreset(kGuitarPreset);
}

void PitchMarkingDialog::accept() {
    QDialog::accept();
}

void PitchMarkingDialog::reject() {
    keyTable_.RestoreColors();
    QDialog::reject();
}

bool RunPitchMarking(KeyTable& keyTable, QWidget* parent) {
    PitchMarkingDialog dialog(keyTable, parent);
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace tonavise::ui
