#include "engine/live/CaptureStore.h"

#include <algorithm>
#include <cstring>

namespace tonavise {

void CaptureStore::Create() {
    {
        std::lock_guard lock(historyLock);
        channel1History.fill(0);
        channel2History.fill(0);
    }
    spectrum.clear();
    startFftEvent.reset();
    finishedFftEvent.reset();
    micDataEvent.reset();
    viewWake.Drain();
    created_ = true;
}

void CaptureStore::Close() {
    if (!created_) {
        return;
    }
    startFftEvent.reset();
    finishedFftEvent.reset();
    micDataEvent.reset();
    created_ = false;
}

void CaptureStore::AppendBlock(std::span<const int16_t> block, int channels) {
    constexpr std::size_t kKeep = kHistoryLength - kBlockFrames;
    {
        std::lock_guard lock(historyLock);
        if (channels == 1 && block.size() >= kBlockFrames) {
            std::memmove(channel1History.data(),
                         channel1History.data() + kBlockFrames,
                         kKeep * sizeof(int16_t));
            std::copy_n(block.data(), kBlockFrames, channel1History.data() + kKeep);
        } else if (channels == 2 && block.size() >= 2 * kBlockFrames) {
            std::memmove(channel1History.data(),
                         channel1History.data() + kBlockFrames,
                         kKeep * sizeof(int16_t));
            std::memmove(channel2History.data(),
                         channel2History.data() + kBlockFrames,
                         kKeep * sizeof(int16_t));
            int16_t* left = channel1History.data() + kKeep;
            int16_t* right = channel2History.data() + kKeep;
            for (std::size_t i = 0; i < kBlockFrames; ++i) {
                left[i] = block[2 * i];
                right[i] = block[2 * i + 1];
            }
        }
    }
    if (scopeMode.load(std::memory_order_relaxed) == kScopeWave) {
        micDataEvent.set();
        viewWake.Signal();
    } else {
        startFftEvent.set();
    }
}

void CaptureStore::SpectrumReady() {
    finishedFftEvent.set();
    viewWake.Signal();
}

}  // namespace tonavise
