#include "ui/LoopDialog.h"

#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>
#include <cmath>

#include "engine/audiofile/PracticeStream.h"
#include "render/FileOverviewPicture.h"
#include "ui/SettingsStore.h"

namespace tonavise::ui {

namespace {

// The pause is kept in milliseconds: the settings hold whole numbers.
const QString kGapKey = QStringLiteral("LoopGapMs");
const QString kTrainerOnKey = QStringLiteral("SpeedTrainerOn");
const QString kTrainerStepKey = QStringLiteral("SpeedTrainerStep");
const QString kTrainerPassesKey = QStringLiteral("SpeedTrainerPasses");
const QString kTrainerTargetKey = QStringLiteral("SpeedTrainerTarget");

}  // namespace

std::optional<double> ParseLoopTime(const QString& text) {
    static const QRegularExpression kTime(
        QStringLiteral(R"(^\s*(?:(\d+):)?(\d+(?:[.,]\d*)?)\s*$)"));
    const QRegularExpressionMatch m = kTime.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    QString secondsText = m.captured(2);
    secondsText.replace(QLatin1Char(','), QLatin1Char('.'));
    const double seconds = secondsText.toDouble();
    if (m.capturedLength(1) > 0) {
        if (seconds >= 60.0) {
            return std::nullopt;  // "1:75" is not a time
        }
        return m.captured(1).toDouble() * 60.0 + seconds;
    }
    return seconds;
}

LoopPractice ReadLoopPractice(const SettingsStore& settings) {
    LoopPractice p;
    const int gapMs = settings.ReadInt(kSectionSetting, kGapKey, 0);
    p.gapSeconds =
        gapMs <= 0 ? 0.0 : std::clamp(gapMs / 1000.0, kMinLoopGapSeconds, kMaxLoopGapSeconds);
    p.trainerOn = settings.ReadInt(kSectionSetting, kTrainerOnKey, 0) == 1;
    p.trainerStep = std::clamp(settings.ReadInt(kSectionSetting, kTrainerStepKey, 5), 1, 50);
    p.trainerPasses = std::clamp(settings.ReadInt(kSectionSetting, kTrainerPassesKey, 1), 1, 20);
    p.trainerTarget = std::clamp(settings.ReadInt(kSectionSetting, kTrainerTargetKey, 100),
                                 kMinSpeedPercent,
                                 kMaxSpeedPercent);
    return p;
}

LoopDialog::LoopDialog(SettingsStore& settings, std::function<int()> speed, QWidget* parent)
    : QDialog(parent), settings_(settings), speed_(std::move(speed)) {
    setWindowTitle(tr("Loop"));
    setObjectName(QStringLiteral("loopDialog"));
    auto* rows = new QVBoxLayout(this);

    auto* loopBox = new QGroupBox(tr("Loop"), this);
    auto* loopRow = new QHBoxLayout(loopBox);
    aEdit_ = new QLineEdit(loopBox);
    bEdit_ = new QLineEdit(loopBox);
    for (QLineEdit* e : {aEdit_, bEdit_}) {
        e->setPlaceholderText(QStringLiteral("0:00.00"));
        e->setMaximumWidth(90);
        connect(e, &QLineEdit::returnPressed, this, &LoopDialog::ApplyTyped);
    }
    aEdit_->setObjectName(QStringLiteral("loopA"));
    bEdit_->setObjectName(QStringLiteral("loopB"));
    auto* set = new QPushButton(tr("&Set"), loopBox);
    set->setAutoDefault(false);
    connect(set, &QPushButton::clicked, this, &LoopDialog::ApplyTyped);
    auto* aLabel = new QLabel(tr("&A:"), loopBox);
    aLabel->setBuddy(aEdit_);
    loopRow->addWidget(aLabel);
    loopRow->addWidget(aEdit_);
    auto* bLabel = new QLabel(tr("&B:"), loopBox);
    bLabel->setBuddy(bEdit_);
    loopRow->addWidget(bLabel);
    loopRow->addWidget(bEdit_);
    loopRow->addWidget(set);
    loopRow->addStretch();
    rows->addWidget(loopBox);

    auto* repeatBox = new QGroupBox(tr("Each repeat"), this);
    auto* repeatForm = new QFormLayout(repeatBox);
    gapOn_ = new QCheckBox(tr("&Pause before it"), repeatBox);
    gap_ = new QDoubleSpinBox(repeatBox);
    gap_->setRange(kMinLoopGapSeconds, kMaxLoopGapSeconds);
    gap_->setSingleStep(0.5);
    gap_->setDecimals(1);
    gap_->setSuffix(tr(" s"));
    repeatForm->addRow(gapOn_, gap_);
    trainerOn_ = new QCheckBox(tr("Speed &trainer"), repeatBox);
    repeatForm->addRow(trainerOn_);
    step_ = new QSpinBox(repeatBox);
    step_->setRange(1, 50);
    step_->setSuffix(QStringLiteral(" %"));
    passes_ = new QSpinBox(repeatBox);
    passes_->setRange(1, 20);
    target_ = new QSpinBox(repeatBox);
    target_->setRange(kMinSpeedPercent, kMaxSpeedPercent);
    target_->setSuffix(QStringLiteral(" %"));
    repeatForm->addRow(tr("Faster by"), step_);
    repeatForm->addRow(tr("After passes"), passes_);
    repeatForm->addRow(tr("Up to"), target_);
    rows->addWidget(repeatBox);

    auto* savedBox = new QGroupBox(tr("Saved loops of this file"), this);
    auto* savedRows = new QVBoxLayout(savedBox);
    list_ = new QListWidget(savedBox);
    list_->setObjectName(QStringLiteral("savedLoops"));
    // A handful of rows: a piece has a few passages to work on, and the window stays small.
    list_->setMaximumHeight(list_->fontMetrics().height() * 7);
    connect(list_, &QListWidget::itemActivated, this, &LoopDialog::RecallLoop);
    savedRows->addWidget(list_);
    auto* saveRow = new QHBoxLayout;
    name_ = new QLineEdit(savedBox);
    name_->setObjectName(QStringLiteral("loopName"));
    name_->setPlaceholderText(tr("Name, for example Bridge"));
    connect(name_, &QLineEdit::returnPressed, this, &LoopDialog::SaveLoop);
    auto* save = new QPushButton(tr("Sa&ve"), savedBox);
    auto* remove = new QPushButton(tr("&Delete"), savedBox);
    for (QPushButton* b : {save, remove}) {
        b->setAutoDefault(false);
    }
    connect(save, &QPushButton::clicked, this, &LoopDialog::SaveLoop);
    connect(remove, &QPushButton::clicked, this, &LoopDialog::DeleteLoop);
    saveRow->addWidget(name_);
    saveRow->addWidget(save);
    saveRow->addWidget(remove);
    savedRows->addLayout(saveRow);
    rows->addWidget(savedBox);

    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("loopMessage"));
    message_->setWordWrap(true);
    message_->setStyleSheet(QStringLiteral("color: #B00000"));
    message_->hide();
    rows->addWidget(message_);

    const LoopPractice stored = ReadLoopPractice(settings_);
    gapOn_->setChecked(stored.gapSeconds > 0.0);
    gap_->setValue(stored.gapSeconds > 0.0 ? stored.gapSeconds : 1.0);
    trainerOn_->setChecked(stored.trainerOn);
    step_->setValue(stored.trainerStep);
    passes_->setValue(stored.trainerPasses);
    target_->setValue(stored.trainerTarget);
    connect(gapOn_, &QCheckBox::toggled, this, &LoopDialog::OnPracticeEdited);
    connect(gap_, &QDoubleSpinBox::valueChanged, this, &LoopDialog::OnPracticeEdited);
    connect(trainerOn_, &QCheckBox::toggled, this, &LoopDialog::OnPracticeEdited);
    for (QSpinBox* box : {step_, passes_, target_}) {
        connect(box, &QSpinBox::valueChanged, this, &LoopDialog::OnPracticeEdited);
    }
}

LoopPractice LoopDialog::practice() const {
    LoopPractice p;
    p.gapSeconds = gapOn_->isChecked() ? gap_->value() : 0.0;
    p.trainerOn = trainerOn_->isChecked();
    p.trainerStep = step_->value();
    p.trainerPasses = passes_->value();
    p.trainerTarget = target_->value();
    return p;
}

void LoopDialog::OnPracticeEdited() {
    const LoopPractice p = practice();
    if (p.trainerOn && p.trainerTarget <= speed_()) {
        SetMessage(tr("The trainer's target (%1 %) must be faster than the speed it starts "
                      "from (%2 %).")
                       .arg(p.trainerTarget)
                       .arg(speed_()));
    } else {
        SetMessage({});
    }
    settings_.WriteInt(
        kSectionSetting, kGapKey, static_cast<int>(std::lround(p.gapSeconds * 1000.0)));
    settings_.WriteInt(kSectionSetting, kTrainerOnKey, p.trainerOn ? 1 : 0);
    settings_.WriteInt(kSectionSetting, kTrainerStepKey, p.trainerStep);
    settings_.WriteInt(kSectionSetting, kTrainerPassesKey, p.trainerPasses);
    settings_.WriteInt(kSectionSetting, kTrainerTargetKey, p.trainerTarget);
    emit practiceChanged();
}

void LoopDialog::ShowLoop(double a, double b, double fileSeconds) {
    a_ = a;
    b_ = b;
    fileSeconds_ = fileSeconds;
    aEdit_->setText(a >= 0.0 ? FormatLoopTime(a) : QString());
    bEdit_->setText(a >= 0.0 && b >= 0.0 ? FormatLoopTime(b) : QString());
}

void LoopDialog::ApplyTyped() {
    const std::optional<double> a = ParseLoopTime(aEdit_->text());
    const std::optional<double> b = ParseLoopTime(bEdit_->text());
    if (fileSeconds_ <= 0.0) {
        SetMessage(tr("Open a file first."));
        return;
    }
    if (!a || !b) {
        SetMessage(tr("Write A and B as times, for example 1:05.20 or 65.2."));
        return;
    }
    if (*b > fileSeconds_ || *a > fileSeconds_) {
        SetMessage(
            tr("The file lasts %1: the loop is unchanged.").arg(FormatLoopTime(fileSeconds_)));
        return;
    }
    if (*b - *a < kMinLoopSeconds) {
        SetMessage(tr("A and B must be at least %1 s apart, A first: the loop is unchanged.")
                       .arg(kMinLoopSeconds));
        return;
    }
    SetMessage({});
    emit loopTyped(*a, *b);
}

void LoopDialog::SetSavedLoops(std::vector<SavedLoop> loops) {
    saved_ = std::move(loops);
    FillList();
}

void LoopDialog::FillList() {
    list_->clear();
    for (const SavedLoop& loop : saved_) {
        list_->addItem(QStringLiteral("%1   %2 – %3")
                           .arg(loop.name, FormatLoopTime(loop.a), FormatLoopTime(loop.b)));
    }
}

void LoopDialog::SaveLoop() {
    if (a_ < 0.0 || b_ < 0.0) {
        SetMessage(tr("Set a loop first (A and B), then save it."));
        return;
    }
    QString name = name_->text().trimmed();
    if (name.isEmpty()) {
        name = tr("Loop %1").arg(saved_.size() + 1);
    }
    SetMessage({});
    // A name saved again is the same loop moved.
    const auto same = std::find_if(
        saved_.begin(), saved_.end(), [&](const SavedLoop& s) { return s.name == name; });
    if (same != saved_.end()) {
        same->a = a_;
        same->b = b_;
    } else {
        saved_.push_back({name, a_, b_});
    }
    std::sort(saved_.begin(), saved_.end(), [](const SavedLoop& x, const SavedLoop& y) {
        return x.a < y.a;
    });
    name_->clear();
    FillList();
    emit savedLoopsChanged();
}

void LoopDialog::DeleteLoop() {
    const int row = list_->currentRow();
    if (row < 0 || row >= static_cast<int>(saved_.size())) {
        return;
    }
    saved_.erase(saved_.begin() + row);
    FillList();
    emit savedLoopsChanged();
}

void LoopDialog::RecallLoop() {
    const int row = list_->currentRow();
    if (row >= 0 && row < static_cast<int>(saved_.size())) {
        emit loopRecalled(saved_[static_cast<std::size_t>(row)].a,
                          saved_[static_cast<std::size_t>(row)].b);
    }
}

void LoopDialog::SetMessage(const QString& text) {
    message_->setText(text);
    message_->setVisible(!text.isEmpty());
}

}  // namespace tonavise::ui
