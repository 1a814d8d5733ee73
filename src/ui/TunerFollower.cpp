#include "ui/TunerFollower.h"

#include <cmath>
#include <utility>

#include "engine/core/AudioFormat.h"
#include "engine/dsp/StringTargets.h"

namespace tonavise::ui {

void TunerFollower::SetStrings(std::vector<int> keys, std::vector<double> targets, int locked) {
    stringKeys_ = std::move(keys);
    stringTargets_ = std::move(targets);
    lockedString_ = locked;
}

TunedReading TunerFollower::Name(double hz, const Tuning& tuning) const {
    if (stringTargets_.empty() || stringTargets_.size() != stringKeys_.size()) {
        return tuning.Measure(hz);
    }
    const StringReading nearest = NearestString(hz, stringTargets_, lockedString_);
    TunedReading named;
    named.key = stringKeys_[static_cast<std::size_t>(nearest.string)];
    named.degree = nearest.string;  // two strings on one key stay apart
    named.cents = nearest.cents;
    return named;
}

TunerFollower::Shown TunerFollower::Follow(const TunerAnalysis::Readings::Snapshot& readings,
                                           const Tuning& tuning,
                                           int writtenSounds) const {
    Shown shown;
    // The newest steady reading, and the newest one with pitch within the hold.
    const TunerReading* newest = nullptr;
    const TunerReading* pitched = nullptr;
    for (std::size_t age = 0; age < readings.size(); ++age) {
        const TunerReading& r = readings[age];
        if (!r.steady) {
            continue;
        }
        if (newest == nullptr) {
            newest = &r;
        }
        if (r.hz > 0.0) {
            pitched = &r;
            break;
        }
    }
    shownString_ = -1;
    if (pitched == nullptr ||
        newest->endSample - pitched->endSample > static_cast<int64_t>(kHoldSeconds * kSampleRate)) {
        return shown;
    }
    shown.hasPitch = true;
    shown.held = pitched != newest;
    shown.strobeBands = pitched->strobeBands;
    const TunedReading named = Name(pitched->hz, tuning);
    shownString_ = stringTargets_.empty() ? -1 : named.degree;
    double sum = named.cents;
    int count = 1;
    if (smoothing_) {
        const int64_t from =
            pitched->endSample - static_cast<int64_t>(kSmoothSeconds * kSampleRate);
        for (std::size_t age = 0; age < readings.size(); ++age) {
            const TunerReading& r = readings[age];
            if (!r.steady || &r == pitched || r.endSample >= pitched->endSample) {
                continue;
            }
            if (r.endSample <= from || r.hz <= 0.0) {
                break;  // older than the span, or a gap: the mean is of this stretch only
            }
            const TunedReading other = Name(r.hz, tuning);
            if (other.key != named.key || other.degree != named.degree) {
                break;  // another note: only this note's readings
            }
            sum += other.cents;
            ++count;
        }
    }
    shown.reading.hasPitch = true;
    shown.reading.precise = true;
    shown.reading.hz = pitched->hz;
    shown.reading.key = named.key;
    shown.reading.cents = sum / count;
    shown.reading.clarity = pitched->clarity;
    NameWritten(shown.reading, writtenSounds);
    return shown;
}

}  // namespace tonavise::ui
