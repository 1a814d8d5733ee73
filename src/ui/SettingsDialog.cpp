#include "ui/SettingsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cmath>

#include "engine/dsp/KeyTable.h"
#include "engine/live/LiveEngine.h"
#include "engine/live/PracticeControls.h"
#include "engine/live/RecordingStore.h"
#include "ui/BrowseFolderDialog.h"
#include "ui/DialogUnits.h"
#include "ui/ScopeCapture.h"
#include "ui/SettingsStore.h"
#include "ui/StepButtons.h"

namespace tonavise::ui {

namespace {

constexpr int kListItems = 10;
// A sound server that has not sent its device lists after this long is said to be silent.
constexpr int kServerAnswerMs = 1000;
// The spin sits this many pixels right of its buddy and is this wide.
constexpr int kSpinGap = 4;
constexpr int kSpinWidth = 10;

std::optional<QString> BrowseWithSystemChooser(QWidget* owner, const QString& start) {
    BrowseFolderDialog browser(0, QString(), 0, owner);
    if (browser.Run(start) != BrowseFolderDialog::kOk) {
        return std::nullopt;
    }
    return browser.GetResult(BrowseFolderDialog::kPath);
}

QString ControlName(int id) {
    return QStringLiteral("id%1").arg(id);
}

}  // namespace

const std::array<int, 8> kA4Presets = {392, 415, 430, 432, 440, 442, 443, 466};

QString A4SpinText(int position) {
    return QString::asprintf("%6.2f", position * 0.1);
}

SettingsDialog::SettingsDialog(AppContext& context, QWidget* parent, FolderBrowser browser)
    : QDialog(parent), context_(context), browser_(std::move(browser)) {
    if (!browser_) {
        browser_ = BrowseWithSystemChooser;
    }
    setObjectName(QStringLiteral("dlgSet"));
    setWindowTitle(tr("Set Parameters"));
    CreateControls();
    FillControls();
}

void SettingsDialog::CreateControls() {
    const DialogUnits du(font());
    setFixedSize(du.Size(200, 257));

    auto group = [&](const QString& text, QRect r) {
        auto* box = new QGroupBox(text, this);
        box->setGeometry(r);
        return box;
    };
    // A text wider than its place in the template (fonts differ, and so do translations)
    // grows away from its aligned edge instead of being cut.
    auto label = [&](const QString& text, QRect r, Qt::Alignment align) {
        auto* l = new QLabel(text, this);
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(align | Qt::AlignTop);
        const int needed = l->sizeHint().width();
        if (needed > r.width()) {
            if (align & Qt::AlignRight) {
                r.setLeft(r.right() + 1 - needed);
            } else {
                r.setWidth(needed);
            }
        }
        l->setGeometry(r);
        return l;
    };
    auto list = [&](int id, QRect r) {
        auto* combo = new QComboBox(this);
        combo->setObjectName(ControlName(id));
        combo->setGeometry(r.x(), r.y(), r.width(), combo->sizeHint().height());
        return combo;
    };

    // In the template's order, which is also the order of the Tab key.
    okButton_ = new QPushButton(tr("OK"), this);
    okButton_->setObjectName(QStringLiteral("id1"));
    okButton_->setGeometry(du.Rect(143, 7, 50, 43));
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &SettingsDialog::accept);

    group(tr("Frequency of A4"), du.Rect(7, 7, 89, 42));
    a4Edit_ = new QLineEdit(this);
    a4Edit_->setObjectName(ControlName(IDC_A4_EDIT));
    a4Edit_->setGeometry(du.Rect(19, 23, 50, 14));
    a4Edit_->setReadOnly(true);
    connect(a4Edit_, &QLineEdit::textChanged, this, &SettingsDialog::OnA4EditChange);
    label(tr("Hz"), du.Rect(79, 25, 10, 9), Qt::AlignLeft);

    group(tr("Screen Capturer"), du.Rect(7, 59, 186, 101));
    label(tr("Folder to save the Image"), du.Rect(15, 72, 84, 8), Qt::AlignLeft);
    folderEdit_ = new QLineEdit(this);
    folderEdit_->setObjectName(ControlName(IDC_FOLDER_EDIT));
    folderEdit_->setGeometry(du.Rect(14, 86, 172, 12));
    folderEdit_->setReadOnly(true);
    refButton_ = new QPushButton(tr("Ref"), this);
    refButton_->setObjectName(ControlName(IDC_REF));
    refButton_->setGeometry(du.Rect(147, 70, 39, 14));
    refButton_->setAutoDefault(false);
    connect(refButton_, &QPushButton::clicked, this, &SettingsDialog::OnRef);
    label(tr("Start Time (Seconds)"), du.Rect(7, 109, 92, 10), Qt::AlignRight);
    startTimeList_ = list(IDC_START_TIME, du.Rect(106, 107, 39, 36));
    label(tr("Interval (Seconds)"), du.Rect(17, 124, 82, 10), Qt::AlignRight);
    intervalList_ = list(IDC_INTERVAL, du.Rect(106, 122, 39, 35));
    label(tr("Numbers of images"), du.Rect(34, 139, 65, 10), Qt::AlignRight);
    countList_ = list(IDC_COUNT, du.Rect(106, 137, 39, 12));

    group(tr("Recorder"), du.Rect(7, 170, 186, 34));
    recTimeList_ = list(IDC_REC_TIME, du.Rect(45, 184, 48, 38));
    label(tr("Time"), du.Rect(15, 186, 21, 10), Qt::AlignLeft);
    repeatingCheck_ = new QCheckBox(tr("Repeating"), this);
    repeatingCheck_->setObjectName(ControlName(IDC_REPEATING));
    QRect check = du.Rect(120, 186, 49, 10).adjusted(0, -2, 0, 2);
    check.setWidth(std::max(check.width(), repeatingCheck_->sizeHint().width()));
    repeatingCheck_->setGeometry(check);

    group(tr("Sound devices"), du.Rect(7, 210, 186, 40));
    label(tr("Input"), du.Rect(15, 223, 30, 10), Qt::AlignLeft);
    inputDeviceList_ = list(IDC_INPUT_DEVICE, du.Rect(48, 221, 138, 60));
    label(tr("Output"), du.Rect(15, 237, 30, 10), Qt::AlignLeft);
    outputDeviceList_ = list(IDC_OUTPUT_DEVICE, du.Rect(48, 235, 138, 60));

    // The A4 spin, created last; the A4 edit comes last in the Tab order, before its spin.
    const QRect edit = a4Edit_->geometry();
    a4Spin_ = new StepButtons(this);
    a4Spin_->setObjectName(ControlName(IDC_A4_SPIN));
    a4Spin_->setGeometry(edit.right() + 1 + kSpinGap, edit.top(), kSpinWidth, edit.height());
    a4Spin_->SetBuddy(a4Edit_);
    connect(a4Spin_, &StepButtons::scrolled, this, &SettingsDialog::OnA4SpinScrolled);
    // The pitches ensembles tune to, one click away: baroque 415, classical 430, the usual 440
    // to 443 of orchestras, 466 for high baroque, 392 and 432 for older and other uses.
    a4Presets_ = new QToolButton(this);
    a4Presets_->setObjectName(QStringLiteral("a4Presets"));
    a4Presets_->setText(tr("Presets"));
    a4Presets_->setToolTip(tr("Common pitches of A4"));
    a4Presets_->setAccessibleName(tr("Common pitches of A4"));
    a4Presets_->setPopupMode(QToolButton::InstantPopup);
    a4Presets_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    // Between the A4 group and the OK button, level with the edit.
    a4Presets_->setGeometry(du.Rect(97, 23, 45, 14));
    auto* presets = new QMenu(a4Presets_);
    for (const int hz : kA4Presets) {
        presets->addAction(tr("%1 Hz").arg(hz), this, [this, hz] {
            a4Spin_->SetPos(hz * 10);
            OnA4SpinScrolled(hz * 10);
        });
    }
    a4Presets_->setMenu(presets);

    QWidget* order[] = {okButton_,
                        folderEdit_,
                        refButton_,
                        startTimeList_,
                        intervalList_,
                        countList_,
                        recTimeList_,
                        repeatingCheck_,
                        inputDeviceList_,
                        outputDeviceList_,
                        a4Edit_};
    for (size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void SettingsDialog::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        bool ok = false;
        const double a4 = a4Edit_->text().trimmed().toDouble(&ok);
        if (ok) {
            a4Value_ = a4;
        }
        repeating_ = repeatingCheck_->isChecked() ? 1 : 0;
    } else {
        a4Edit_->setText(QString::number(a4Value_));
        repeatingCheck_->setChecked(repeating_ != 0);
    }
}

void SettingsDialog::FillControls() {
    PracticeControls& controls = context_.controls;
    KeyTable& keyTable = context_.keyTable;

    // The fields go into the controls without the A4 edit's change notice: the edit shows the
    // initial field only until the spin writes the current A4, which must not be replaced by
    // the field's 440 Hz meanwhile.
    repeating_ = controls.recRepeating.load(std::memory_order_relaxed);
    initialising_ = true;
    UpdateData(false);
    initialising_ = false;

    const double a4 = keyTable.GetA4();
    const int position =
        std::clamp(static_cast<int>(std::lround(a4 * 10.0)), kA4SpinMin, kA4SpinMax);
    a4Value_ = a4;
    a4Spin_->SetRange(kA4SpinMin, kA4SpinMax);
    a4Spin_->SetPos(position);
    // The change notice applies the spin's value to the note naming at once.
    a4Edit_->setText(A4SpinText(position));

    CapturerValues values = context_.capturerSettings.Get();
    folderEdit_->setText(values.imageFolder);
    int32_t* const fields[] = {&values.imageStartTime, &values.imageInterval, &values.imageNumbers};
    QComboBox* const lists[] = {startTimeList_, intervalList_, countList_};
    for (int i = 0; i < 3; ++i) {
        for (int item = 1; item <= kListItems; ++item) {
            lists[i]->addItem(QString::asprintf("%d", item));
        }
        *fields[i] = std::clamp(*fields[i], 0, kListItems - 1);
        lists[i]->setCurrentIndex(*fields[i]);
    }
    context_.capturerSettings.Set(values);

    for (int i = 0; i < kRecTimeCount; ++i) {
        recTimeList_->addItem(QString::fromStdString(RecTimeLabel(i, context_.language)));
    }
    FitRecorderRow();
    const int32_t recTime = controls.recTimeIndex.load(std::memory_order_relaxed);
    recTimeList_->setCurrentIndex(recTime >= 0 && recTime < kRecTimeCount ? recTime : -1);

    FillDeviceList(inputDeviceList_, DeviceDirection::Input, nullptr);
    FillDeviceList(outputDeviceList_, DeviceDirection::Output, nullptr);
    RequestDeviceLists();

    okButton_->setFocus();
}

void SettingsDialog::RequestDeviceLists() {
    if (context_.devices == nullptr) {
        return;
    }
    if (context_.deviceLists == nullptr) {
        ShowDeviceLists({context_.devices->Devices(DeviceDirection::Input),
                         context_.devices->Devices(DeviceDirection::Output)});
        return;
    }
    // The answer comes on the reader's thread and reaches the dialog, if it is still open, in
    // the interface thread's queue.
    QPointer<SettingsDialog> self(this);
    context_.deviceLists->Request([self](DeviceLists lists) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, lists = std::move(lists)] {
                if (self) {
                    self->ShowDeviceLists(lists);
                }
            },
            Qt::QueuedConnection);
    });
    QTimer::singleShot(kServerAnswerMs, this, &SettingsDialog::ShowServerSilent);
}

void SettingsDialog::ShowServerSilent() {
    if (listsShown_) {
        return;
    }
    for (QComboBox* list : {inputDeviceList_, outputDeviceList_}) {
        list->addItem(tr("(sound server not answering)"), QString());
        // Shown, never chosen: the item is not selectable.
        if (auto* model = qobject_cast<QStandardItemModel*>(list->model())) {
            model->item(list->count() - 1)->setEnabled(false);
        }
    }
}

void SettingsDialog::ShowDeviceLists(const DeviceLists& lists) {
    listsShown_ = true;
    FillDeviceList(inputDeviceList_, DeviceDirection::Input, &lists.inputs);
    FillDeviceList(outputDeviceList_, DeviceDirection::Output, &lists.outputs);
}

void SettingsDialog::FillDeviceList(QComboBox* list,
                                    DeviceDirection direction,
                                    const std::vector<SoundDeviceInfo>* devices) {
    // What the user picked while the lists were on their way stays picked.
    const bool refill = list->count() > 0;
    const QString picked = list->currentData().toString();
    list->clear();
    list->addItem(tr("Default"), QString());
    if (context_.devices == nullptr) {
        list->setEnabled(false);
        return;
    }
    const QString chosen =
        refill ? picked : QString::fromStdString(context_.devices->ChosenDevice(direction));
    if (devices == nullptr) {
        if (!chosen.isEmpty()) {
            const std::string name = chosen.toStdString();
            list->addItem(QString::fromStdString(context_.devices->Description(name)), chosen);
            list->setItemData(1, chosen, Qt::ToolTipRole);
            list->setCurrentIndex(1);
        }
        return;
    }
    int selected = 0;
    for (const SoundDeviceInfo& d : *devices) {
        const QString name = QString::fromStdString(d.name);
        list->addItem(QString::fromStdString(d.description.empty() ? d.name : d.description), name);
        list->setItemData(list->count() - 1, name, Qt::ToolTipRole);
        if (name == chosen) {
            selected = list->count() - 1;
        }
    }
    if (!chosen.isEmpty() && selected == 0) {
        // Kept, so that a device unplugged for now is not forgotten by an OK.
        const std::string name = chosen.toStdString();
        list->addItem(tr("%1 (not available)")
                          .arg(QString::fromStdString(context_.devices->Description(name))),
                      chosen);
        selected = list->count() - 1;
    }
    list->setCurrentIndex(selected);
}

void SettingsDialog::ApplyDeviceChoice() {
    DeviceFactory* devices = context_.devices;
    if (devices == nullptr) {
        return;
    }
    const QString input = inputDeviceList_->currentData().toString();
    const QString output = outputDeviceList_->currentData().toString();
    SaveSoundDevices(context_.settings, {input, output});
    if (input.toStdString() != devices->ChosenDevice(DeviceDirection::Input)) {
        devices->ChooseDevice(DeviceDirection::Input, input.toStdString());
        context_.engine.ReopenMicrophone();
    }
    if (output.toStdString() != devices->ChosenDevice(DeviceDirection::Output)) {
        devices->ChooseDevice(DeviceDirection::Output, output.toStdString());
    }
}

void SettingsDialog::FitRecorderRow() {
    // The template's 48 units hold "10 Minutes" in no usual font: the list grows to its longest
    // item, and the check box moves right of it when the two would meet.
    constexpr int kGap = 8;
    recTimeList_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    QRect list = recTimeList_->geometry();
    list.setWidth(std::max(list.width(), recTimeList_->sizeHint().width()));
    recTimeList_->setGeometry(list);
    QRect check = repeatingCheck_->geometry();
    if (check.left() < list.right() + 1 + kGap) {
        check.moveLeft(list.right() + 1 + kGap);
        repeatingCheck_->setGeometry(check);
    }
}

void SettingsDialog::OnA4EditChange() {
    if (initialising_) {
        return;
    }
    UpdateData(true);
    context_.keyTable.SetA4(a4Value_);
    context_.keyTable.Rebuild();
}

void SettingsDialog::OnA4SpinScrolled(int position) {
    a4Edit_->setText(A4SpinText(position));
}

void SettingsDialog::OnRef() {
    if (const std::optional<QString> folder = browser_(this, folderEdit_->text())) {
        folderEdit_->setText(*folder);
    }
}

void SettingsDialog::accept() {
    UpdateData(true);
    QDialog::accept();

    SettingsStore& settings = context_.settings;
    CapturerValues values = context_.capturerSettings.Get();
    values.imageFolder = folderEdit_->text();
    values.imageStartTime = startTimeList_->currentIndex();
    values.imageInterval = intervalList_->currentIndex();
    values.imageNumbers = countList_->currentIndex();
    context_.capturerSettings.Set(values);
    settings.WriteString(kSectionSetting, QStringLiteral("ImageFolder"), values.imageFolder);
    settings.WriteInt(kSectionSetting, QStringLiteral("ImageStartTime"), values.imageStartTime);
    settings.WriteInt(kSectionSetting, QStringLiteral("ImageInterval"), values.imageInterval);
    settings.WriteInt(kSectionSetting, QStringLiteral("ImageNumbers"), values.imageNumbers);
    settings.Flush();

    // A new recording time discards the recording held so far; the same one keeps it.
    PracticeControls& controls = context_.controls;
    const int selected = recTimeList_->currentIndex();
    if (selected >= 0 && selected != controls.recTimeIndex.load(std::memory_order_relaxed)) {
        controls.recTimeIndex.store(selected, std::memory_order_relaxed);
        context_.recordingStore.AllocateForRecTime(context_.notifier, context_.language);
    }
    controls.recRepeating.store(repeating_, std::memory_order_relaxed);

    ApplyDeviceChoice();
}

void RunSetParameters(AppContext& context, ScopeCapture& capture, QWidget* parent) {
    capture.StopTimedCapture();
    SettingsDialog dialog(context, parent);
    dialog.exec();
    SaveA4(context.settings, context.keyTable.GetA4());
}

}  // namespace tonavise::ui
