#include "ui/PlayerPractice.h"

#include <QFileInfo>
#include <QSignalBlocker>
#include <QSpinBox>
#include <cmath>
#include <cstdlib>

#include "engine/audiofile/PracticeStream.h"
#include "engine/live/LiveEngine.h"
#include "render/FileOverviewPicture.h"
#include "ui/LoopDialog.h"
#include "ui/OverviewStrip.h"
#include "ui/PlayerBar.h"
#include "ui/SettingsStore.h"

namespace tonavise::ui {

PlayerPractice::PlayerPractice(LiveEngine& engine,
                               SettingsStore& settings,
                               PlayerBar& bar,
                               OverviewStrip& overview,
                               QWidget* window)
    : QObject(window),
      engine_(engine),
      settings_(settings),
      memory_(settings),
      bar_(bar),
      overview_(overview),
      window_(window) {
    connect(&bar_, &PlayerBar::speedChanged, this, [this](int percent) {
        engine_.SetPlayerSpeed(percent);
        practice_.speed = percent;
        Remember();
    });
    connect(&bar_, &PlayerBar::transposeChanged, this, [this](int semitones) {
        engine_.SetPlayerTranspose(semitones);
        practice_.transpose = semitones;
        Remember();
    });
    connect(&overview_, &OverviewStrip::loopEdited, this, &PlayerPractice::SetLoopSeconds);
}

PlayerPractice::~PlayerPractice() = default;

double PlayerPractice::BytesPerSecond() const {
    const PlayerState player = engine_.Player();
    return player.loaded ? static_cast<double>(player.bytesPerSecond) : 0.0;
}

void PlayerPractice::FileOpening(const QString& path) {
    openingPath_ = path;
    filePath_.clear();
    // The player drops the loop itself when it opens another file: only the marks go.
    bar_.slider()->SetLoopMarks(-1, -1);
    overview_.SetLoop(-1.0, -1.0);
    if (loopDialog_ != nullptr) {
        loopDialog_->ShowLoop(-1.0, -1.0, 0.0);
    }
}

void PlayerPractice::FileLoaded() {
    filePath_ = openingPath_;
    openingPath_.clear();
    fileSize_ = filePath_.isEmpty() ? 0 : QFileInfo(filePath_).size();
    practice_ = filePath_.isEmpty() ? FilePractice{} : memory_.Recall(filePath_, fileSize_);
    // The file's own values, not a choice of the user's: nothing to remember. The player keeps
    // its speed and transpose from file to file, so only a change is sent.
    if (bar_.speedBox()->value() != practice_.speed) {
        const QSignalBlocker block(bar_.speedBox());
        bar_.speedBox()->setValue(practice_.speed);
        engine_.SetPlayerSpeed(practice_.speed);
    }
    if (bar_.transposeBox()->value() != practice_.transpose) {
        const QSignalBlocker block(bar_.transposeBox());
        bar_.transposeBox()->setValue(practice_.transpose);
        engine_.SetPlayerTranspose(practice_.transpose);
    }
    ShowSavedLoops();
    if (loopDialog_ != nullptr) {
        loopDialog_->ShowLoop(
            -1.0, -1.0, engine_.Player().length / std::max(1.0, BytesPerSecond()));
    }
}

void PlayerPractice::Remember() {
    if (!filePath_.isEmpty()) {
        memory_.Remember(filePath_, fileSize_, practice_);
    }
}

void PlayerPractice::ShowSavedLoops() {
    std::vector<OverviewMarks::Span> spans;
    for (const SavedLoop& loop : practice_.loops) {
        spans.push_back({loop.a, loop.b});
    }
    overview_.SetSavedLoops(std::move(spans));
    if (loopDialog_ != nullptr) {
        loopDialog_->SetSavedLoops(practice_.loops);
    }
}

void PlayerPractice::ApplyStored() {
    ApplyLoopPractice();
}

void PlayerPractice::ApplyLoopPractice() {
    const LoopPractice p =
        loopDialog_ != nullptr ? loopDialog_->practice() : ReadLoopPractice(settings_);
    engine_.SetPlayerLoopGap(p.gapSeconds);
    trainerOn_ = p.trainerOn && p.trainerTarget > bar_.speedBox()->value();
    if (trainerOn_) {
        engine_.SetPlayerTrainer(p.trainerStep, p.trainerTarget, p.trainerPasses);
    } else {
        engine_.SetPlayerTrainer(0, 100);
    }
}

void PlayerPractice::SetLoop(int64_t a, int64_t b) {
    bar_.slider()->SetLoopMarks(a, b);
    engine_.SetPlayerLoop(a >= 0 && b >= 0 ? a : -1, b);
    const double rate = BytesPerSecond();
    const double sa = rate > 0.0 && a >= 0 ? a / rate : -1.0;
    const double sb = rate > 0.0 && b >= 0 ? b / rate : -1.0;
    overview_.SetLoop(sa, sb);
    if (loopDialog_ != nullptr) {
        loopDialog_->ShowLoop(sa, sb, rate > 0.0 ? engine_.Player().length / rate : 0.0);
    }
}

void PlayerPractice::SetLoopSeconds(double a, double b) {
    const double rate = BytesPerSecond();
    if (rate <= 0.0) {
        return;
    }
    const auto bytes = [rate](double s) {
        return s < 0.0 ? int64_t{-1} : static_cast<int64_t>(std::llround(s * rate));
    };
    SetLoop(bytes(a), bytes(b));
    if (b >= 0.0) {
        emit message(tr("Loop %1 – %2").arg(FormatLoopTime(a), FormatLoopTime(b)));
    }
}

bool PlayerPractice::HasLoop() const {
    return bar_.slider()->loopA() >= 0;
}

void PlayerPractice::ClearLoop() {
    SetLoop(-1, -1);
    emit message(tr("Loop off"));
}

void PlayerPractice::MarkLoop(bool start) {
    const double rate = BytesPerSecond();
    if (rate <= 0.0) {
        return;
    }
    const int64_t here = bar_.slider()->value();
    int64_t a = start ? here : bar_.slider()->loopA();
    int64_t b = start ? bar_.slider()->loopB() : here;
    if (a < 0 && b >= 0) {
        // B alone: shown as the one mark until A is set.
        std::swap(a, b);
    }
    if (a >= 0 && b >= 0) {
        if (std::llabs(b - a) < kMinLoopSeconds * rate) {
            emit message(tr("A and B must be at least %1 s apart: the loop is unchanged.")
                             .arg(kMinLoopSeconds));
            return;
        }
        if (b < a) {
            // An end set before the start is taken as the start: the loop is what lies between.
            std::swap(a, b);
        }
        emit message(tr("Loop %1 – %2").arg(FormatLoopTime(a / rate), FormatLoopTime(b / rate)));
    }
    SetLoop(a, b);
}

void PlayerPractice::ShowLoopDialog() {
    if (loopDialog_ == nullptr) {
        loopDialog_ = new LoopDialog(
            settings_, [this] { return bar_.speedBox()->value(); }, window_);
        connect(loopDialog_, &LoopDialog::loopTyped, this, &PlayerPractice::SetLoopSeconds);
        connect(loopDialog_, &LoopDialog::loopRecalled, this, &PlayerPractice::SetLoopSeconds);
        connect(loopDialog_, &LoopDialog::savedLoopsChanged, this, [this] {
            practice_.loops = loopDialog_->savedLoops();
            ShowSavedLoops();
            Remember();
        });
        connect(
            loopDialog_, &LoopDialog::practiceChanged, this, &PlayerPractice::ApplyLoopPractice);
        loopDialog_->SetSavedLoops(practice_.loops);
        const double rate = BytesPerSecond();
        const int64_t a = bar_.slider()->loopA();
        const int64_t b = bar_.slider()->loopB();
        loopDialog_->ShowLoop(rate > 0.0 && a >= 0 ? a / rate : -1.0,
                              rate > 0.0 && b >= 0 ? b / rate : -1.0,
                              rate > 0.0 ? engine_.Player().length / rate : 0.0);
    }
    loopDialog_->show();
    loopDialog_->raise();
    loopDialog_->activateWindow();
}

QString PlayerPractice::PlayedFileMark() const {
    if (!engine_.Player().playing) {
        return {};
    }
    QStringList parts;
    if (const int speed = bar_.speedBox()->value(); speed != 100) {
        parts << QStringLiteral("%1 %").arg(speed);
    }
    if (const int semitones = bar_.transposeBox()->value(); semitones != 0) {
        // A true minus sign, as a musician writes a transposition.
        parts << (semitones > 0 ? QStringLiteral("+%1").arg(semitones)
                                : QStringLiteral("\u2212%1").arg(-semitones));
    }
    return parts.join(QStringLiteral(" \u00B7 "));
}

void PlayerPractice::FollowSpeed(int percent) {
    // Only the trainer moves the speed by itself; otherwise a report sent before the user's
    // own change was taken would put the old speed back for a moment.
    if (!trainerOn_) {
        return;
    }
    QSpinBox* box = bar_.speedBox();
    if (box->value() != percent) {
        const QSignalBlocker block(box);
        box->setValue(percent);
    }
}

}  // namespace tonavise::ui
