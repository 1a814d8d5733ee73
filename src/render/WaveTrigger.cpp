#include "render/WaveTrigger.h"

#include <algorithm>
#include <mutex>

#include "engine/live/CaptureStore.h"

namespace tonavise {

int AlignWaveFrame(WaveTrigger& trigger, std::span<const int16_t, kHistoryLength> history) {
    constexpr int n = kWaveFrameLength;
    constexpr int newest = kHistoryLength - 1;
    const int16_t* last = trigger.lastWaveFrame.data();
    // Each product is below 2^31 and a sum of 882 of them below 2^41: integer sums are exact, so
    // they equal the double sums in any order and compare the same.
    int64_t best = 0;
    int bestLag = 0;
    for (int i = 0; i < n; ++i) {
        // c[i] = sum over j of last[881 - j] x history[32767 - i - j]: both run forward from the
        // oldest sample of their frame.
        const int16_t* candidate = history.data() + (newest - i - (n - 1));
        int64_t c = 0;
        for (int j = 0; j < n; ++j) {
            c += int32_t{last[j]} * candidate[j];
        }
        if (c > best) {
            best = c;
            bestLag = i;
        }
    }
    const int end = newest - bestLag;
    trigger.waveEnd = end;
    const int16_t* frame = history.data() + (end - (n - 1));
    std::copy(frame, frame + n, trigger.lastWaveFrame.begin());
    return bestLag;
}

int AlignWaveFrame(WaveTrigger& trigger, CaptureStore& store) {
    std::lock_guard lock(store.historyLock);
    return AlignWaveFrame(trigger, std::span<const int16_t, kHistoryLength>(store.channel1History));
}

}  // namespace tonavise
