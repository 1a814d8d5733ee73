// Hands the latest spectrum and fundamental from the analysis thread to the view without a
// lock and without a torn read: a triple buffer. The writer fills its own back frame and
// publishes it by swapping it with the middle slot; the reader swaps its front frame with the
// middle slot only when a new frame was published. Neither side ever waits.
//
// Threads: beginWrite()/publish() on the one writer thread (analysis); acquire()/latest() on
// the one reader thread (view).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "engine/core/AudioFormat.h"
#include "engine/dsp/PitchEstimate.h"

namespace tonavise {

struct SpectrumFrame {
    std::array<double, kSpectrumLength> spectrum{};  // magnitudes, linear or 0..32767 log scale
    double fundamentalHz = 0.0;  // the standard estimate, computed in every pass
    int32_t pitchMethod = 0;     // the method in force for this pass (kPitchMethod... of KeyTable)
    PitchEstimate precise{};     // with kPitchMethodPrecise; otherwise "no pitch"
    uint64_t sequence = 0;       // 0 before the first analysis, then 1, 2, ...
};

class SpectrumExchange {
  public:
    SpectrumExchange() = default;
    SpectrumExchange(const SpectrumExchange&) = delete;
    SpectrumExchange& operator=(const SpectrumExchange&) = delete;

    // Writer: the frame to fill next (its contents are stale, from an older publication).
    SpectrumFrame& beginWrite() { return frames_[back_]; }

    // Writer: makes the frame from beginWrite() the latest one.
    void publish() {
        frames_[back_].sequence = ++published_;
        // release: the frame's contents are visible to whoever acquires the middle index.
        const uint32_t old = middle_.exchange(back_ | kFreshBit, std::memory_order_acq_rel);
        back_ = old & kIndexMask;
    }

    // Reader: the newest published frame (or the all-zero initial frame). The reference stays
    // valid and unchanged until the next acquire().
    const SpectrumFrame& acquire() {
        if (middle_.load(std::memory_order_relaxed) & kFreshBit) {
            // acquire: pairs with the writer's release, so the frame is fully written.
            const uint32_t old = middle_.exchange(front_, std::memory_order_acq_rel);
            front_ = old & kIndexMask;
        }
        return frames_[front_];
    }

    // Reader: the frame returned by the last acquire().
    const SpectrumFrame& latest() const { return frames_[front_]; }

    // Only while neither side runs (store creation): everything back to zero.
    void clear() {
        for (auto& f : frames_) {
            f = SpectrumFrame{};
        }
        back_ = 0;
        middle_.store(1, std::memory_order_relaxed);
        front_ = 2;
        published_ = 0;
    }

  private:
    static constexpr uint32_t kFreshBit = 4;
    static constexpr uint32_t kIndexMask = 3;

    std::array<SpectrumFrame, 3> frames_{};
    uint32_t back_ = 0;                // writer's own
    std::atomic<uint32_t> middle_{1};  // index of the hand-over frame, plus kFreshBit
    uint32_t front_ = 2;               // reader's own
    uint64_t published_ = 0;           // writer's own
};

}  // namespace tonavise
