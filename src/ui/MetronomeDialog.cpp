#include "ui/MetronomeDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QShowEvent>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>

#include "engine/dsp/Metronome.h"
#include "engine/live/LiveEngine.h"
#include "engine/live/LiveState.h"
#include "engine/live/PracticeControls.h"
#include "ui/BeatFlash.h"
#include "ui/DialogControls.h"
#include "ui/DialogUnits.h"
#include "ui/StepButtons.h"

namespace tonavise::ui {

namespace {

// The spin sits this many pixels right of its buddy and is this wide.
constexpr int kSpinGap = 4;
constexpr int kSpinWidth = 10;

struct MeterPlace {
    const char* text;
    int x, y, w, h;
};

constexpr MeterPlace kMeters[kMeterCount] = {
    {"1", 25, 37, 19, 9},
    {"2", 56, 37, 19, 9},
    {"3", 87, 37, 19, 9},
    {"4", 118, 37, 19, 9},
    {"3+2", 25, 57, 26, 9},
    {"2+3", 72, 57, 29, 9},
    {"6", 118, 57, 19, 9},
};

}  // namespace

MetronomeDialog::MetronomeDialog(PracticeControls& controls, LiveEngine* engine, QWidget* parent)
    : QDialog(parent), controls_(controls), engine_(engine) {
    setObjectName(QStringLiteral("dlgMetronome"));
    setWindowTitle(tr("Metronome"));
    rebuildTimer_.setSingleShot(true);
    rebuildTimer_.setInterval(kMetronomeRebuildMs);
    connect(&rebuildTimer_, &QTimer::timeout, this, &MetronomeDialog::OnRebuildDelayElapsed);
    CreateControls();
    FillControls();
}

void MetronomeDialog::CreateControls() {
    const DialogUnits du(font());

    // In the template's order, which is also the order of the Tab key.
    QLabel* tempoLabel = PlaceLabel(this, tr("&Tempo"), du.Rect(12, 9, 27, 8), Qt::AlignLeft);
    tempoLabel->setObjectName(ControlName(IDC_TEMPO_LABEL));
    tempoEdit_ = new QLineEdit(this);
    tempoEdit_->setObjectName(ControlName(IDC_TEMPO_EDIT));
    tempoEdit_->setGeometry(du.Rect(46, 7, 31, 12));
    // Typed digits: a tempo below 30 may still grow into one and waits for the end of editing,
    // when it is clamped; one above 300 cannot (three digits at most) and is clamped at once.
    // Every three digits are acceptable to the validator, so that the end of editing is always
    // reported and what the edit shows is what the metronome plays.
    tempoEdit_->setValidator(new QIntValidator(0, 999, tempoEdit_));
    tempoEdit_->setMaxLength(3);
    tempoLabel->setBuddy(tempoEdit_);
    connect(tempoEdit_, &QLineEdit::textChanged, this, &MetronomeDialog::OnTempoChange);
    connect(
        tempoEdit_, &QLineEdit::editingFinished, this, &MetronomeDialog::OnTempoEditingFinished);

    auto* meterBox = new QGroupBox(tr("Meter"), this);
    meterBox->setObjectName(ControlName(IDC_METER_GROUP));
    meterBox->setGeometry(du.Rect(7, 25, 136, 48));
    meterGroup_ = new QButtonGroup(this);
    for (int i = 0; i < kMeterCount; ++i) {
        const MeterPlace& m = kMeters[i];
        auto* button = new TemplateRadioButton(QString::fromLatin1(m.text), this);
        button->setObjectName(ControlName(IDC_METER_FIRST + i));
        PlaceIndicatorButton(button, du.Rect(m.x, m.y, m.w, m.h));
        meterGroup_->addButton(button, i);
        meterButtons_[i] = button;
    }
    connect(meterGroup_, &QButtonGroup::idClicked, this, &MetronomeDialog::OnMeterClicked);

    auto button = [&](const QString& text, int id, QRect r) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(ControlName(id));
        b->setGeometry(r);
        b->setAutoDefault(false);
        return b;
    };
    tapButton_ = button(tr("Ta&p"), IDC_TEMPO_TAP, du.Rect(97, 6, 40, 14));
    tapButton_->setToolTip(tr("Tap the beat (or press T) to set the tempo"));
    // On the press, not the release: the press is the moment the player marks the beat.
    const auto tapNow = [this] {
        OnTap(std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                  .count());
    };
    connect(tapButton_, &QPushButton::pressed, this, tapNow);
    // The T key taps too, except while the tempo is typed (the edit takes its keys first).
    auto* tapKey = new QShortcut(QKeySequence(Qt::Key_T), this);
    connect(tapKey, &QShortcut::activated, this, tapNow);

    QLabel* subdivisionLabel =
        PlaceLabel(this, tr("S&ubdivision"), du.Rect(12, 80, 50, 8), Qt::AlignLeft);
    subdivisionLabel->setObjectName(ControlName(IDC_SUBDIVISION_LABEL));
    subdivisionBox_ = new QComboBox(this);
    subdivisionBox_->setObjectName(ControlName(IDC_SUBDIVISION));
    subdivisionBox_->setGeometry(du.Rect(64, 78, 44, 12));
    subdivisionBox_->addItems(
        {tr("None"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4")});
    subdivisionLabel->setBuddy(subdivisionBox_);
    connect(subdivisionBox_, &QComboBox::activated, this, &MetronomeDialog::OnSubdivisionChanged);

    countInBox_ = new QCheckBox(tr("&Count in one bar before recording"), this);
    countInBox_->setObjectName(ControlName(IDC_COUNT_IN));
    countInBox_->setGeometry(du.Rect(13, 94, 134, 10));
    connect(countInBox_, &QCheckBox::toggled, this, [this](bool on) {
        controls_.countIn.store(on ? 1 : 0, std::memory_order_relaxed);
    });

    beatLights_ =
        new BeatLights([this] { return beatSource_ ? beatSource_() : HeardBeat{}; }, this);
    beatLights_->setObjectName(ControlName(IDC_BEAT_LIGHTS));
    beatLights_->setGeometry(du.Rect(13, 108, 124, 9));

    startButton_ = button(tr("&Start"), IDC_METRONOME_START, du.Rect(13, 122, 40, 16));
    stopButton_ = button(tr("St&op"), IDC_METRONOME_STOP, du.Rect(55, 122, 40, 16));
    exitButton_ = button(tr("E&xit"), 1, du.Rect(97, 122, 40, 16));
    exitButton_->setDefault(true);
    connect(startButton_, &QPushButton::clicked, this, &MetronomeDialog::OnStart);
    connect(stopButton_, &QPushButton::clicked, this, &MetronomeDialog::OnStop);
    connect(exitButton_, &QPushButton::clicked, this, [this] {
        UpdateData(true);
        accept();
    });

    // The spin, made at run time right of the edit; it takes no focus (the edit's arrow keys
    // step it).
    const QRect edit = tempoEdit_->geometry();
    tempoSpin_ = new StepButtons(this);
    tempoSpin_->setObjectName(ControlName(IDC_TEMPO_SPIN));
    tempoSpin_->setGeometry(edit.right() + 1 + kSpinGap, edit.top(), kSpinWidth, edit.height());
    tempoSpin_->SetBuddy(tempoEdit_);
    connect(tempoSpin_, &StepButtons::scrolled, this, [this](int position) {
        tempoEdit_->setText(QString::asprintf("%d", position));
    });

    CreatePracticeControls(du.Size(150, 145).height());

    QWidget* order[] = {tempoEdit_,       tapButton_,       meterButtons_[0], meterButtons_[1],
                        meterButtons_[2], meterButtons_[3], meterButtons_[4], meterButtons_[5],
                        meterButtons_[6], subdivisionBox_,  countInBox_,      startButton_,
                        stopButton_,      exitButton_,      meterEdit_,       groupsEdit_,
                        dottedBox_,       swingSpin_,       soundBox_,        volumeSpin_,
                        trainerBox_,      trainerStep_,     trainerBars_,     trainerTarget_,
                        muteBox_,         mutePlay_,        muteBars_,        flashButton_};
    for (size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

// Under the first controls: what a musician sets once in a while, in rows.
void MetronomeDialog::CreatePracticeControls(int top) {
    auto* box = new QGroupBox(tr("Practice"), this);
    auto* rows = new QVBoxLayout(box);
    const auto row = [&] {
        auto* r = new QHBoxLayout;
        rows->addLayout(r);
        return r;
    };
    const auto label = [&](QHBoxLayout* r, const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, box);
        l->setBuddy(buddy);
        r->addWidget(l);
        r->addWidget(buddy);
    };
    const auto spin = [&](int id, int low, int high, const QString& suffix = {}) {
        auto* s = new QSpinBox(box);
        s->setObjectName(ControlName(id));
        s->setRange(low, high);
        s->setSuffix(suffix);
        return s;
    };

    QHBoxLayout* meterRow = row();
    meterEdit_ = new QLineEdit(box);
    meterEdit_->setObjectName(ControlName(IDC_METER_TEXT));
    meterEdit_->setPlaceholderText(QStringLiteral("7/8"));
    meterEdit_->setMaxLength(5);
    groupsEdit_ = new QLineEdit(box);
    groupsEdit_->setObjectName(ControlName(IDC_METER_GROUPS));
    groupsEdit_->setPlaceholderText(QStringLiteral("2+2+3"));
    groupsEdit_->setMaxLength(40);
    label(meterRow, tr("M&eter N/D:"), meterEdit_);
    label(meterRow, tr("&Groups:"), groupsEdit_);
    for (QLineEdit* edit : {meterEdit_, groupsEdit_}) {
        connect(edit, &QLineEdit::editingFinished, this, &MetronomeDialog::ApplyMeter);
    }

    QHBoxLayout* feelRow = row();
    dottedBox_ = new QCheckBox(tr("&Dotted quarter beat"), box);
    dottedBox_->setObjectName(ControlName(IDC_DOTTED));
    dottedBox_->setToolTip(tr("6/8, 9/8 and 12/8: the tempo counts dotted quarters"));
    feelRow->addWidget(dottedBox_);
    swingSpin_ = spin(IDC_SWING, kMinSwing, kMaxSwing, QStringLiteral(" %"));
    swingSpin_->setToolTip(tr("With two clicks a beat: where the second one falls"));
    label(feelRow, tr("S&wing:"), swingSpin_);
    connect(dottedBox_, &QCheckBox::toggled, this, [this](bool on) {
        if (!initialising_) {
            controls_.dotted.store(on ? 1 : 0, std::memory_order_relaxed);
            RestartRebuildTimer();
        }
    });
    connect(swingSpin_, &QSpinBox::valueChanged, this, [this](int value) {
        if (!initialising_) {
            controls_.swing.store(value, std::memory_order_relaxed);
            RestartRebuildTimer();
        }
    });

    QHBoxLayout* soundRow = row();
    soundBox_ = new QComboBox(box);
    soundBox_->setObjectName(ControlName(IDC_CLICK_SOUND));
    soundBox_->addItems({tr("Click"), tr("Wood block"), tr("Beep")});
    label(soundRow, tr("Sou&nd:"), soundBox_);
    volumeSpin_ = spin(IDC_CLICK_VOLUME, 0, 100, QStringLiteral(" %"));
    label(soundRow, tr("&Volume:"), volumeSpin_);
    connect(soundBox_, &QComboBox::activated, this, [this](int index) {
        controls_.voice.store(index, std::memory_order_relaxed);
        RestartRebuildTimer();
    });
    connect(volumeSpin_, &QSpinBox::valueChanged, this, [this](int value) {
        if (!initialising_) {
            controls_.volume.store(value, std::memory_order_relaxed);
            RestartRebuildTimer();
        }
    });

    QHBoxLayout* trainerRow = row();
    trainerBox_ = new QCheckBox(tr("T&rainer: +"), box);
    trainerBox_->setObjectName(ControlName(IDC_TRAINER));
    trainerStep_ = spin(IDC_TRAINER_STEP, 1, 100, tr(" bpm"));
    trainerBars_ = spin(IDC_TRAINER_BARS, 1, 64);
    trainerTarget_ = spin(IDC_TRAINER_TARGET, kMinTempo, kMaxTempo);
    trainerRow->addWidget(trainerBox_);
    trainerRow->addWidget(trainerStep_);
    label(trainerRow, tr("every"), trainerBars_);
    label(trainerRow, tr("bars up to"), trainerTarget_);

    QHBoxLayout* muteRow = row();
    muteBox_ = new QCheckBox(tr("&Mute bars: play"), box);
    muteBox_->setObjectName(ControlName(IDC_MUTE));
    mutePlay_ = spin(IDC_MUTE_PLAY, 1, 64);
    muteBars_ = spin(IDC_MUTE_BARS, 1, 64);
    muteRow->addWidget(muteBox_);
    muteRow->addWidget(mutePlay_);
    label(muteRow, tr("then mute"), muteBars_);
    muteRow->addStretch();
    for (QCheckBox* b : {trainerBox_, muteBox_}) {
        connect(b, &QCheckBox::toggled, this, &MetronomeDialog::ApplyBarPlan);
    }
    for (QSpinBox* b : {trainerStep_, trainerBars_, trainerTarget_, mutePlay_, muteBars_}) {
        connect(b, &QSpinBox::valueChanged, this, &MetronomeDialog::ApplyBarPlan);
    }

    message_ = new QLabel(box);
    message_->setObjectName(ControlName(IDC_METRONOME_MESSAGE));
    message_->setWordWrap(true);
    message_->setStyleSheet(QStringLiteral("color: #B00000"));
    message_->hide();
    rows->addWidget(message_);

    flashButton_ = new QPushButton(tr("Beat &Flash"), box);
    flashButton_->setObjectName(ControlName(IDC_BEAT_FLASH));
    flashButton_->setAutoDefault(false);
    flashButton_->setToolTip(tr("A large beat to read from the music stand"));
    rows->addWidget(flashButton_, 0, Qt::AlignLeft);
    connect(flashButton_, &QPushButton::clicked, this, [this] {
        if (beatFlash_ == nullptr) {
            beatFlash_ = new BeatFlash([this] { return beatSource_ ? beatSource_() : HeardBeat{}; },
                                       [this] { return CurrentMeter(); },
                                       this);
        }
        beatFlash_->show();
        beatFlash_->raise();
    });

    // The lights set the accents.
    connect(beatLights_, &BeatLights::beatClicked, this, &MetronomeDialog::CycleAccent);
    beatLights_->setCursor(Qt::PointingHandCursor);
    beatLights_->setToolTip(tr("Beat: click a light to change its accent"));

    followTimer_.setInterval(250);
    connect(&followTimer_, &QTimer::timeout, this, &MetronomeDialog::FollowTempo);

    const int margin = DialogUnits(font()).Size(7, 0).width();
    const QSize hint = box->sizeHint();
    const int width = std::max(DialogUnits(font()).Size(136, 0).width(), hint.width());
    box->setGeometry(margin, top, width, hint.height());
    setFixedSize(width + 2 * margin, top + hint.height() + margin);
}

void MetronomeDialog::UncheckPresets() {
    if (QAbstractButton* checked = meterGroup_->checkedButton()) {
        meterGroup_->setExclusive(false);
        checked->setChecked(false);
        meterGroup_->setExclusive(true);
    }
}

Meter MetronomeDialog::CurrentMeter() const {
    return controls_.SoundingMeter();
}

void MetronomeDialog::SetMessage(const QString& text) {
    message_->setText(text);
    message_->setVisible(!text.isEmpty());
}

// The lights, the dotted-quarter choice and the swing follow the meter and subdivision.
void MetronomeDialog::ShowMeter() {
    const Meter meter = CurrentMeter();
    beatLights_->SetMeter(meter);
    dottedBox_->setEnabled(CountsDottedQuarter(meter));
    swingSpin_->setEnabled(controls_.subdivision.load(std::memory_order_relaxed) == 2);
}

void MetronomeDialog::ApplyMeter() {
    if (initialising_) {
        return;
    }
    const std::string written = meterEdit_->text().trimmed().toStdString();
    const std::string groups = groupsEdit_->text().trimmed().toStdString();
    if (written.empty()) {
        if (!groups.empty()) {
            SetMessage(tr("Write the meter first, for example 7/8."));
        }
        return;
    }
    std::string why;
    const std::optional<Meter> meter = ParseMeter(written, groups, "", &why);
    if (!meter) {
        SetMessage(QString::fromStdString(why));
        return;
    }
    SetMessage({});
    if (meter->Pack() == controls_.meter.load(std::memory_order_relaxed)) {
        return;
    }
    controls_.meter.store(meter->Pack(), std::memory_order_relaxed);
    UncheckPresets();  // no preset is checked while a written meter sounds
    ShowMeter();
    RestartRebuildTimer();
}

void MetronomeDialog::CycleAccent(int beat) {
    Meter meter = CurrentMeter();
    if (beat < 0 || beat >= meter.beats) {
        return;
    }
    Accent& a = meter.accents[static_cast<std::size_t>(beat)];
    a = a == Accent::Strong
            ? Accent::Medium
            : (a == Accent::Medium ? Accent::Weak
                                   : (a == Accent::Weak ? Accent::Muted : Accent::Strong));
    controls_.meter.store(meter.Pack(), std::memory_order_relaxed);
    if (meterEdit_->text().trimmed().isEmpty()) {
        meterEdit_->setText(QStringLiteral("%1/%2").arg(meter.beats).arg(meter.unit));
    }
    UncheckPresets();
    ShowMeter();
    RestartRebuildTimer();
}

void MetronomeDialog::ApplyBarPlan() {
    if (initialising_) {
        return;
    }
    const QString trainer = trainerBox_->isChecked() ? QStringLiteral("%1,%2,%3")
                                                           .arg(trainerStep_->value())
                                                           .arg(trainerBars_->value())
                                                           .arg(trainerTarget_->value())
                                                     : QString();
    const QString mute =
        muteBox_->isChecked()
            ? QStringLiteral("%1,%2").arg(mutePlay_->value()).arg(muteBars_->value())
            : QString();
    std::string why;
    const std::optional<BarPlan> plan =
        ParseBarPlan(trainer.toStdString(),
                     mute.toStdString(),
                     controls_.tempo.load(std::memory_order_relaxed),
                     &why);
    if (!plan) {
        SetMessage(QString::fromStdString(why));
        return;
    }
    SetMessage({});
    controls_.trainerStep.store(plan->trainerStep, std::memory_order_relaxed);
    controls_.trainerBars.store(plan->trainerBars, std::memory_order_relaxed);
    controls_.trainerTarget.store(plan->trainerTarget, std::memory_order_relaxed);
    controls_.mutePlay.store(plan->play, std::memory_order_relaxed);
    controls_.muteBars.store(plan->mute, std::memory_order_relaxed);
    RestartRebuildTimer();
}

void MetronomeDialog::FollowTempo() {
    const int32_t tempo = controls_.tempo.load(std::memory_order_relaxed);
    // Not while the user is typing a tempo.
    if (tempo != tempoValue_ && !(tempoEdit_->hasFocus() && tempoEdit_->isModified())) {
        initialising_ = true;
        tempoValue_ = tempo;
        tempoSpin_->SetPos(tempo);
        tempoEdit_->setText(QString::number(tempo));
        initialising_ = false;
    }
}

void MetronomeDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        FillControls();  // shown again: what the controls hold now
    }
    followTimer_.start();
    QDialog::showEvent(event);
}

void MetronomeDialog::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        // A tempo still being typed (empty, or outside the range) is not taken.
        bool ok = false;
        const int tempo = tempoEdit_->text().trimmed().toInt(&ok);
        if (ok && tempo >= kMinTempo && tempo <= kMaxTempo) {
            tempoValue_ = tempo;
        }
        meterIndex_ = meterGroup_->checkedId();
    } else {
        tempoEdit_->setText(QString::asprintf("%d", tempoValue_));
        if (meterIndex_ >= 0 && meterIndex_ < kMeterCount) {
            meterButtons_[meterIndex_]->setChecked(true);
        } else {
            UncheckPresets();  // no meter of the list
        }
    }
}

void MetronomeDialog::FillControls() {
    // Filling the controls is not a change by the user: no write to the controls and no rebuild.
    initialising_ = true;
    UpdateData(false);
    meterIndex_ = controls_.rhythm.load(std::memory_order_relaxed);
    UpdateData(false);
    TabStopOnCheckedButton(meterGroup_);
    tempoValue_ = controls_.tempo.load(std::memory_order_relaxed);
    tempoSpin_->SetRange(kMinTempo, kMaxTempo);
    tempoSpin_->SetPos(tempoValue_);
    tempoEdit_->setText(QString::asprintf("%d", tempoSpin_->Pos()));
    const int subdivision =
        std::clamp(controls_.subdivision.load(std::memory_order_relaxed), 1, kMaxSubdivision);
    subdivisionBox_->setCurrentIndex(subdivision - 1);
    countInBox_->setChecked(controls_.countIn.load(std::memory_order_relaxed) != 0);
    if (const std::optional<Meter> meter =
            Meter::Unpack(controls_.meter.load(std::memory_order_relaxed))) {
        meterEdit_->setText(QStringLiteral("%1/%2").arg(meter->beats).arg(meter->unit));
        UncheckPresets();
    }
    dottedBox_->setChecked(controls_.dotted.load(std::memory_order_relaxed) != 0);
    swingSpin_->setValue(controls_.swing.load(std::memory_order_relaxed));
    soundBox_->setCurrentIndex(controls_.voice.load(std::memory_order_relaxed));
    volumeSpin_->setValue(controls_.volume.load(std::memory_order_relaxed));
    const int32_t step = controls_.trainerStep.load(std::memory_order_relaxed);
    trainerBox_->setChecked(step > 0);
    trainerStep_->setValue(step > 0 ? step : 5);
    const int32_t bars = controls_.trainerBars.load(std::memory_order_relaxed);
    trainerBars_->setValue(bars > 0 ? bars : 4);
    const int32_t target = controls_.trainerTarget.load(std::memory_order_relaxed);
    trainerTarget_->setValue(target > 0 ? target : std::min(tempoValue_ + 40, kMaxTempo));
    const int32_t play = controls_.mutePlay.load(std::memory_order_relaxed);
    muteBox_->setChecked(play > 0);
    mutePlay_->setValue(play > 0 ? play : 3);
    const int32_t muted = controls_.muteBars.load(std::memory_order_relaxed);
    muteBars_->setValue(muted > 0 ? muted : 1);
    ShowMeter();
    initialising_ = false;
}

void MetronomeDialog::OnTempoChange() {
    if (initialising_) {
        return;
    }
    if (bool ok = false; tempoEdit_->text().trimmed().toInt(&ok) > kMaxTempo && ok) {
        tempoEdit_->setText(QString::number(kMaxTempo));  // comes back here with the fastest
        return;
    }
    const int32_t before = tempoValue_;
    UpdateData(true);
    if (tempoValue_ == before && controls_.tempo.load(std::memory_order_relaxed) == before) {
        return;  // digits on the way to a tempo, or the same tempo again
    }
    tempoSpin_->SetPos(tempoValue_);
    controls_.tempo.store(tempoValue_, std::memory_order_relaxed);
    RestartRebuildTimer();
}

void MetronomeDialog::OnTempoEditingFinished() {
    bool ok = false;
    const int typed = tempoEdit_->text().trimmed().toInt(&ok);
    const int tempo = ok ? std::clamp(typed, int{kMinTempo}, int{kMaxTempo}) : tempoValue_;
    if (tempoEdit_->text() != QString::number(tempo)) {
        tempoEdit_->setText(QString::number(tempo));
    }
}

void MetronomeDialog::OnTap(double seconds) {
    const int tempo = tapTempo_.Tap(seconds);
    if (tempo > 0) {
        tempoEdit_->setText(QString::number(tempo));
    }
}

void MetronomeDialog::OnSubdivisionChanged(int index) {
    controls_.subdivision.store(std::clamp(index + 1, 1, kMaxSubdivision),
                                std::memory_order_relaxed);
    ShowMeter();
    RestartRebuildTimer();
}

void MetronomeDialog::OnMeterClicked() {
    UpdateData(true);
    controls_.rhythm.store(meterIndex_, std::memory_order_relaxed);
    // A preset replaces a written meter.
    controls_.meter.store(0, std::memory_order_relaxed);
    meterEdit_->clear();
    groupsEdit_->clear();
    SetMessage({});
    ShowMeter();
    RestartRebuildTimer();
}

void MetronomeDialog::RestartRebuildTimer() {
    rebuildTimer_.start();
}

void MetronomeDialog::OnRebuildDelayElapsed() {
    rebuildTimer_.stop();
    if (engine_ != nullptr) {
        engine_->RebuildMetronome();
    }
}

void MetronomeDialog::OnStart() {
    if (engine_ != nullptr) {
        engine_->StopFile();
        engine_->ToggleMetronome();
    }
}

void MetronomeDialog::OnStop() {
    if (engine_ != nullptr) {
        engine_->StopMetronome();
    }
}

void MetronomeDialog::done(int result) {
    rebuildTimer_.stop();
    followTimer_.stop();
    QDialog::done(result);
}

}  // namespace tonavise::ui
