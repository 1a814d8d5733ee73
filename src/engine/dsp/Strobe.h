// The strobe tuner's motion: the phase of the sound's fundamental against an oscillator at the
// target frequency. In tune the phase stands still; c cents off it turns at about
// target x c x ln 2 / 1200 cycles a second. Bands() scales the turned phase so that one cent
// moves the bands one band a second (0.1 c: one band in ten seconds), to the right when sharp.
// The motion comes from the sound itself, not from a reading of its cents, so it shows the
// smallest error the ear can tune out, steadily.
//
// The phase is taken over windows of four periods of the target (which null the harmonics of a
// sound at the target); the angle between windows is unwrapped. Up to about ±60 c the turn per
// window stays below half a cycle.
//
// Threads: one instance per thread.
#pragma once

#include <complex>
#include <cstdint>
#include <span>

namespace tonavise {

class StrobePhase {
  public:
    // A new target starts the bands at 0.
    void SetTarget(double targetHz, double sampleRate);
    void Process(std::span<const int16_t> samples);
    // The bands moved since the target was set (positive: sharp).
    double Bands() const;
    double targetHz() const { return target_; }

  private:
    double target_ = 0.0;
    double step_ = 0.0;   // the oscillator's radians a sample
    double phase_ = 0.0;  // the oscillator's phase, kept below 2 pi
    int window_ = 0;      // samples in four target periods
    int inWindow_ = 0;
    std::complex<double> sum_{};
    bool haveAngle_ = false;
    double lastAngle_ = 0.0;
    double cycles_ = 0.0;  // unwrapped turn of the sound against the oscillator
};

}  // namespace tonavise
