// The waveform trigger: each new frame of 882 samples (20 ms) is placed where it best matches
// the frame shown before, so that a periodic sound stands still on the screen. Pure computation
// on the first channel's history; it knows nothing of pictures.
//
// Threads: the view's user-interface thread (or the command-line tool's one thread).
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "engine/core/AudioFormat.h"

namespace tonavise {

class CaptureStore;

inline constexpr int kWaveFrameLength = 882;

struct WaveTrigger {
    // Index in channel1History of the newest sample of the frame on screen; 31886..32767.
    int32_t waveEnd = kHistoryLength - 1;
    // The frame shown last: the reference of the next search. Every byte starts as 1 (257).
    std::array<int16_t, kWaveFrameLength> lastWaveFrame = InitialFrame();

    static constexpr std::array<int16_t, kWaveFrameLength> InitialFrame() {
        std::array<int16_t, kWaveFrameLength> frame{};
        frame.fill(257);
        return frame;
    }
};

// The lag of the candidate frame that correlates best with the last frame: the lag i in 0..881
// with the strictly largest positive dot product of lastWaveFrame with the 882 samples ending
// at 32767 - i (the first of equal maxima wins; none positive gives 0). Then waveEnd becomes
// 32767 - i and lastWaveFrame the frame found. Returns the lag. No allocation.
int AlignWaveFrame(WaveTrigger& trigger, std::span<const int16_t, kHistoryLength> channel1History);

// The same on the store's first channel, holding historyLock for the search and the copy.
int AlignWaveFrame(WaveTrigger& trigger, CaptureStore& store);

}  // namespace tonavise
