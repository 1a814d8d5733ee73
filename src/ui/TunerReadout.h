// What the tuner shows after each analysis of the precise estimate: a reading that holds still
// on noise. A pitch shows after two pitched blocks in a row (one stray block of noise never
// does) and stays, greyed by the window, through up to two blocks without pitch (a breath, a
// bow change); a change of key shows at once. The needle is the mean of the last few blocks of
// the same key when smoothing is on, the newest block's cents when it is off.
//
// Plain C++; user-interface thread.
#pragma once

#include <array>
#include <cstddef>

#include "engine/live/PitchReading.h"

namespace tonavise::ui {

class TunerReadout {
  public:
    static constexpr std::size_t kSmoothBlocks = 4;
    static constexpr int kHoldBlocks = 2;

    struct Shown {
        bool hasPitch = false;
        bool held = false;  // the pitch shown is the last one heard, not this block's
        double hz = 0.0;
        int key = 0;
        double cents = 0.0;        // the newest block's
        double needleCents = 0.0;  // smoothed, or the newest
    };

    void SetSmoothing(bool on) { smoothing_ = on; }
    bool smoothing() const { return smoothing_; }
    void Add(const PitchReading& reading);
    void Reset();
    const Shown& shown() const { return shown_; }

  private:
    bool smoothing_ = true;
    Shown shown_;
    int missing_ = 0;            // blocks without pitch in a row
    bool pendingPitch_ = false;  // one pitched block seen after silence
    int pendingKey_ = 0;
    std::array<double, kSmoothBlocks> recent_{};
    std::size_t recentCount_ = 0;
    std::size_t recentNext_ = 0;
};

}  // namespace tonavise::ui
