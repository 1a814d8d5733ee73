#include "ui/MetronomeDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <algorithm>
#include <chrono>

#include "engine/dsp/Metronome.h"
#include "engine/live/LiveEngine.h"
#include "engine/live/LiveState.h"
#include "engine/live/PracticeControls.h"
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
    setFixedSize(du.Size(150, 145));

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

    QWidget* order[] = {tempoEdit_,
                        tapButton_,
                        meterButtons_[0],
                        meterButtons_[1],
                        meterButtons_[2],
                        meterButtons_[3],
                        meterButtons_[4],
                        meterButtons_[5],
                        meterButtons_[6],
                        subdivisionBox_,
                        countInBox_,
                        startButton_,
                        stopButton_,
                        exitButton_};
    for (size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
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
        } else if (QAbstractButton* checked = meterGroup_->checkedButton()) {
            // No meter of the list: no button checked.
            meterGroup_->setExclusive(false);
            checked->setChecked(false);
            meterGroup_->setExclusive(true);
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
    RestartRebuildTimer();
}

void MetronomeDialog::OnMeterClicked() {
    UpdateData(true);
    controls_.rhythm.store(meterIndex_, std::memory_order_relaxed);
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
    QDialog::done(result);
}

}  // namespace tonavise::ui
