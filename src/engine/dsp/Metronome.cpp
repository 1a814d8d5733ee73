#include "engine/dsp/Metronome.h"

#include <algorithm>
#include <cmath>

namespace tonavise {

namespace {

// The click is a struck, slightly detuned pair of partials near 2 kHz with a faint overtone,
// driven just past full scale while it rings (the clipping gives its hard edge), then settling
// to about two thirds of full scale, where it is cut off.
std::array<int16_t, kClickLength> SynthesizeClick() {
    constexpr double kRate = 44100.0;
    constexpr double kOnset = 48.0;  // quiet lead-in before the strike
    constexpr double kRise = 60.0;   // samples from the strike to the full drive
    constexpr double kDrive = 1.12;  // peaks of the ringing part exceed full scale
    constexpr double kSettleStart = 600.0;
    constexpr double kSettled = 0.64;     // level the ringing settles to
    constexpr double kSettleTime = 22.0;  // samples
    const double twoPi = 8.0 * std::atan(1.0);

    std::array<int16_t, kClickLength> click{};
    uint64_t seed = 0x2545F491;
    for (int n = 0; n < kClickLength; ++n) {
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF;
        const double noise = static_cast<double>(seed) / 0x7FFFFFFF * 2.0 - 1.0;
        const double t = n / kRate;
        const double ring = std::sin(twoPi * 2050.0 * t) +
                            0.10 * std::sin(twoPi * 2290.0 * t + 0.9) +
                            0.05 * std::sin(twoPi * 6150.0 * t + 0.4);
        double envelope = 0.0;
        if (n >= kOnset && n < kOnset + kRise) {
            const double x = (n - kOnset) / kRise;
            envelope = kDrive * x * x;
        } else if (n >= kOnset + kRise && n < kSettleStart) {
            envelope = kDrive;
        } else if (n >= kSettleStart) {
            const double d = n - kSettleStart;
            envelope =
                kSettled + (kDrive - kSettled) * std::exp(-d / kSettleTime) - 0.03 * d / 264.0;
        }
        const double breath = n < kOnset ? 45.0 : 13.5;
        const double v = envelope * ring * 32767.0 + breath * noise;
        click[n] = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
    }
    return click;
}

}  // namespace

const std::array<int16_t, kClickLength>& ClickSound() {
    static const std::array<int16_t, kClickLength> click = SynthesizeClick();
    return click;
}

const std::array<AccentPattern, kMeterCount> accentPattern = {{
    {"1", 1, {kAccentGain}},
    {"2", 2, {kAccentGain, kBeatGain}},
    {"3", 3, {kAccentGain, kBeatGain, kBeatGain}},
    {"4", 4, {kAccentGain, kBeatGain, kSecondaryGain, kBeatGain}},
    {"3+2", 5, {kAccentGain, kBeatGain, kBeatGain, kSecondaryGain, kBeatGain}},
    {"2+3", 5, {kAccentGain, kBeatGain, kSecondaryGain, kBeatGain, kBeatGain}},
    {"6", 6, {kAccentGain, kBeatGain, kBeatGain, kSecondaryGain, kBeatGain, kBeatGain}},
}};

int RhythmOfMeter(std::string_view label) {
    for (int i = 0; i < kMeterCount; ++i) {
        if (accentPattern[i].label == label) {
            return i;
        }
    }
    return -1;
}

int TapTempo::Tap(double seconds) {
    if (count_ > 0) {
        const double since = seconds - times_[count_ - 1];
        if (since <= 0.0 || since > kTapPauseSeconds) {
            count_ = 0;
        }
    }
    if (count_ == kTapsKept) {
        std::copy(times_.begin() + 1, times_.end(), times_.begin());
        --count_;
    }
    times_[count_++] = seconds;
    if (count_ < 2) {
        return 0;
    }
    const double interval = (times_[count_ - 1] - times_[0]) / (count_ - 1);
    return static_cast<int>(std::clamp(std::lround(60.0 / interval), 30L, 300L));
}

}  // namespace tonavise
