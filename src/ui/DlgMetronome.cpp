#include "ui/DlgMetronome.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "engine/CaptureStore.h"
#include "engine/MessageThread.h"
#include "engine/ThreadMessages.h"
#include "engine/WaveOutThread.h"
#include "ui/DialogControls.h"
#include "ui/DialogUnits.h"
#include "ui/UpDown.h"

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

void Post(MessageThread* thread, uint32_t id) {
    if (thread != nullptr) {
        thread->post(id);
    }
}

}  // namespace

CDlgMetronome::CDlgMetronome(CaptureStore& store,
                             MessageThread* waveOut,
                             MessageThread* player,
                             QWidget* parent)
    : QDialog(parent), store_(store), waveOut_(waveOut), player_(player) {
    setObjectName(QStringLiteral("dlgMetronome"));
    setWindowTitle(tr("Metronome"));
    rebuildTimer_.setSingleShot(true);
    rebuildTimer_.setInterval(kMetronomeRebuildMs);
    connect(&rebuildTimer_, &QTimer::timeout, this, &CDlgMetronome::OnRebuildDelayElapsed);
    CreateControls();
    OnInitDialog();
}

void CDlgMetronome::CreateControls() {
    const DialogUnits du(font());
    setFixedSize(du.Size(150, 105));

    // In the template's order, which is also the order of the Tab key.
    QLabel* tempoLabel = PlaceLabel(this, tr("&Tempo"), du.Rect(12, 9, 27, 8), Qt::AlignLeft);
    tempoLabel->setObjectName(ControlName(IDC_TEMPO_LABEL));
    tempoEdit_ = new QLineEdit(this);
    tempoEdit_->setObjectName(ControlName(IDC_TEMPO_EDIT));
    tempoEdit_->setGeometry(du.Rect(46, 7, 31, 12));
    tempoEdit_->setReadOnly(true);
    tempoLabel->setBuddy(tempoEdit_);
    connect(tempoEdit_, &QLineEdit::textChanged, this, &CDlgMetronome::OnTempoChange);

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
    connect(meterGroup_, &QButtonGroup::idClicked, this, &CDlgMetronome::OnMeterClicked);

    auto button = [&](const QString& text, int id, QRect r) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(ControlName(id));
        b->setGeometry(r);
        b->setAutoDefault(false);
        return b;
    };
    startButton_ = button(tr("&Start"), IDC_METRONOME_START, du.Rect(13, 82, 40, 16));
    stopButton_ = button(tr("St&op"), IDC_METRONOME_STOP, du.Rect(55, 82, 40, 16));
    exitButton_ = button(tr("E&xit"), 1, du.Rect(97, 82, 40, 16));
    exitButton_->setDefault(true);
    connect(startButton_, &QPushButton::clicked, this, &CDlgMetronome::OnStart);
    connect(stopButton_, &QPushButton::clicked, this, &CDlgMetronome::OnStop);
    connect(exitButton_, &QPushButton::clicked, this, [this] {
        UpdateData(true);
        accept();
    });

    // The spin, made at run time right of the edit; it takes no focus (the edit's arrow keys
    // step it).
    const QRect edit = tempoEdit_->geometry();
    tempoSpin_ = new CUpDown(this);
    tempoSpin_->setObjectName(ControlName(IDC_TEMPO_SPIN));
    tempoSpin_->setGeometry(edit.right() + 1 + kSpinGap, edit.top(), kSpinWidth, edit.height());
    tempoSpin_->SetBuddy(tempoEdit_);
    connect(tempoSpin_, &CUpDown::scrolled, this, [this](int position) {
        tempoEdit_->setText(QString::asprintf("%d", position));
    });

    QWidget* order[] = {tempoEdit_,
                        meterButtons_[0],
                        meterButtons_[1],
                        meterButtons_[2],
                        meterButtons_[3],
                        meterButtons_[4],
                        meterButtons_[5],
                        meterButtons_[6],
                        startButton_,
                        stopButton_,
                        exitButton_};
    for (size_t i = 1; i < std::size(order); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
}

void CDlgMetronome::UpdateData(bool saveAndValidate) {
    if (saveAndValidate) {
        // The edit is read-only and only the spin writes it, so it always holds a number.
        bool ok = false;
        const int tempo = tempoEdit_->text().trimmed().toInt(&ok);
        if (ok) {
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

void CDlgMetronome::OnInitDialog() {
    // Filling the controls is not a change by the user: no store write and no rebuild.
    initialising_ = true;
    UpdateData(false);
    meterIndex_ = store_.rhythm.load(std::memory_order_relaxed);
    UpdateData(false);
    TabStopOnCheckedButton(meterGroup_);
    tempoValue_ = store_.tempo.load(std::memory_order_relaxed);
    tempoSpin_->SetRange(kMinTempo, kMaxTempo);
    tempoSpin_->SetPos(tempoValue_);
    tempoEdit_->setText(QString::asprintf("%d", tempoSpin_->Pos()));
    initialising_ = false;
}

void CDlgMetronome::OnTempoChange() {
    if (initialising_) {
        return;
    }
    UpdateData(true);
    store_.tempo.store(tempoValue_, std::memory_order_relaxed);
    RestartRebuildTimer();
}

void CDlgMetronome::OnMeterClicked() {
    UpdateData(true);
    store_.rhythm.store(meterIndex_, std::memory_order_relaxed);
    RestartRebuildTimer();
}

void CDlgMetronome::RestartRebuildTimer() {
    rebuildTimer_.start();
}

void CDlgMetronome::OnRebuildDelayElapsed() {
    rebuildTimer_.stop();
    Post(waveOut_, UM_METRONOME_REBUILD);
}

void CDlgMetronome::OnStart() {
    Post(player_, UM_PLAYER_STOP);
    Post(waveOut_, UM_METRONOME_TOGGLE);
}

void CDlgMetronome::OnStop() {
    Post(waveOut_, UM_METRONOME_STOP);
}

void CDlgMetronome::done(int result) {
    rebuildTimer_.stop();
    QDialog::done(result);
}

}  // namespace tonavise::ui
