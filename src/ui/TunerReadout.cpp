#include "ui/TunerReadout.h"

namespace tonavise::ui {

void TunerReadout::Reset() {
    shown_ = {};
    missing_ = 0;
    pendingPitch_ = false;
    recentCount_ = 0;
    recentNext_ = 0;
}

void TunerReadout::Add(const PitchReading& reading) {
    if (!reading.hasPitch) {
        pendingPitch_ = false;
        if (shown_.hasPitch && ++missing_ <= kHoldBlocks) {
            shown_.held = true;
            return;
        }
        Reset();
        return;
    }
    missing_ = 0;
    if (!shown_.hasPitch) {
        // From silence or noise: a second pitched block of the same key confirms the first.
        if (!pendingPitch_ || pendingKey_ != reading.key) {
            pendingPitch_ = true;
            pendingKey_ = reading.key;
            return;
        }
        pendingPitch_ = false;
    }
    if (!shown_.hasPitch || reading.key != shown_.key) {
        recentCount_ = 0;
        recentNext_ = 0;
    }
    recent_[recentNext_] = reading.cents;
    recentNext_ = (recentNext_ + 1) % kSmoothBlocks;
    if (recentCount_ < kSmoothBlocks) {
        ++recentCount_;
    }
    double sum = 0.0;
    for (std::size_t i = 0; i < recentCount_; ++i) {
        sum += recent_[i];
    }
    shown_.hasPitch = true;
    shown_.held = false;
    shown_.hz = reading.hz;
    shown_.key = reading.key;
    shown_.cents = reading.cents;
    shown_.needleCents = smoothing_ ? sum / static_cast<double>(recentCount_) : reading.cents;
}

}  // namespace tonavise::ui
