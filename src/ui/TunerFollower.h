// What the tuner view shows of the tuner's readings: the newest steady reading named against
// the tuning (the nearest key, cents from its target, in the written pitch of the instrument),
// its cents smoothed as the mean of the steady readings of the same key over the last 150 ms of
// sound (not a count of readings), and the last note held, greyed, through a short gap without
// pitch (a breath, a bow change). The number and the needle both show `cents`.
//
// Plain C++; user-interface thread.
#pragma once

#include <vector>

#include "engine/dsp/Temperament.h"
#include "engine/live/PitchReading.h"
#include "engine/live/TunerAnalysis.h"

namespace tonavise::ui {

class TunerFollower {
  public:
    static constexpr double kSmoothSeconds = 0.15;
    static constexpr double kHoldSeconds = 0.4;

    struct Shown {
        bool hasPitch = false;
        bool held = false;
        PitchReading reading;  // key in written pitch, cents against the tuning, smoothed
        double strobeBands = 0.0;
    };

    // smoothing off: the newest steady reading alone.
    void SetSmoothing(bool on) { smoothing_ = on; }
    // Open strings to name instead of the nearest key (empty: none): their keys and target
    // frequencies, low string first, and the string locked to (-1: the nearest).
    void SetStrings(std::vector<int> keys, std::vector<double> targets, int locked);
    // The string of the last reading shown (0-based), -1 without strings or pitch.
    int shownString() const { return shownString_; }
    // The readings, newest first, as TunerAnalysis::Latest gives them.
    Shown Follow(const TunerAnalysis::Readings::Snapshot& readings,
                 const Tuning& tuning,
                 int writtenSounds) const;

  private:
    // The key and cents of hz against the strings, or else the tuning.
    TunedReading Name(double hz, const Tuning& tuning) const;

    bool smoothing_ = true;
    std::vector<int> stringKeys_;
    std::vector<double> stringTargets_;
    int lockedString_ = -1;
    mutable int shownString_ = -1;
};

}  // namespace tonavise::ui
