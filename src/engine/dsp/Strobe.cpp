#include "engine/dsp/Strobe.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tonavise {

void StrobePhase::SetTarget(double targetHz, double sampleRate) {
    *this = StrobePhase{};
    if (!(targetHz > 0.0) || !(sampleRate > 0.0)) {
        return;
    }
    target_ = targetHz;
    step_ = 2.0 * std::numbers::pi * targetHz / sampleRate;
    window_ = std::max(1, static_cast<int>(std::lround(4.0 * sampleRate / targetHz)));
}

void StrobePhase::Process(std::span<const int16_t> samples) {
    if (window_ == 0) {
        return;
    }
    constexpr double kTwoPi = 2.0 * std::numbers::pi;
    // The oscillator turns by one product a sample (a sine and a cosine a sample would cost more
    // than the rest of the tuner's strobe); it is set again from its phase at every window, so
    // the rounding of the products never adds up.
    const std::complex<double> advance = std::polar(1.0, -step_);
    std::complex<double> oscillator = std::polar(1.0, -phase_);
    for (const int16_t s : samples) {
        sum_ += static_cast<double>(s) * oscillator;
        oscillator *= advance;
        phase_ += step_;
        if (phase_ >= kTwoPi) {
            phase_ -= kTwoPi;
        }
        if (++inWindow_ < window_) {
            continue;
        }
        oscillator = std::polar(1.0, -phase_);
        inWindow_ = 0;
        if (std::abs(sum_) > 0.0) {
            const double angle = std::arg(sum_);
            if (haveAngle_) {
                double turn = angle - lastAngle_;
                turn -= kTwoPi * std::round(turn / kTwoPi);
                cycles_ += turn / kTwoPi;
            }
            lastAngle_ = angle;
            haveAngle_ = true;
        }
        sum_ = {};
    }
}

double StrobePhase::Bands() const {
    // c cents turn the phase by target x (2^(c/1200) - 1) cycles a second, which is
    // target x c x ln 2 / 1200 to within 0.3 % up to 10 c.
    return target_ > 0.0 ? cycles_ * 1200.0 / (target_ * std::numbers::ln2) : 0.0;
}

}  // namespace tonavise
