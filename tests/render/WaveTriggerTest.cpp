#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/live/CaptureStore.h"
#include "render/WaveTrigger.h"

namespace tonavise {
namespace {

using History = CaptureStore::History;

TEST(WaveTrigger, StartsWithTheNewestFrameAndTheReference257) {
    const WaveTrigger trigger;
    EXPECT_EQ(trigger.waveEnd, 32767);
    EXPECT_TRUE(std::all_of(trigger.lastWaveFrame.begin(),
                            trigger.lastWaveFrame.end(),
                            [](int16_t v) { return v == 257; }));
}

TEST(WaveTrigger, SilenceTakesTheNewestFrame) {
    WaveTrigger trigger;
    History silence{};
    EXPECT_EQ(AlignWaveFrame(trigger, silence), 0);
    EXPECT_EQ(trigger.waveEnd, 32767);
    EXPECT_TRUE(std::all_of(trigger.lastWaveFrame.begin(),
                            trigger.lastWaveFrame.end(),
                            [](int16_t v) { return v == 0; }));
}

TEST(WaveTrigger, NoPositiveCorrelationTakesTheNewestFrame) {
    WaveTrigger trigger;
    History history;
    history.fill(-100);
    history[32000] = 30000;  // positive somewhere, but every sum stays negative
    EXPECT_EQ(AlignWaveFrame(trigger, history), 0);
    EXPECT_EQ(trigger.waveEnd, 32767);
}

TEST(WaveTrigger, FirstSearchTakesTheLargestSumAndTheFirstOfEqualMaxima) {
    // One pulse at 31767: every frame that holds it has the same sum against the reference of
    // 257s; the first of them in lag order (lag 119, the frame 31767..32648) wins.
    WaveTrigger trigger;
    History history{};
    history[31767] = 1000;
    EXPECT_EQ(AlignWaveFrame(trigger, history), 119);
    EXPECT_EQ(trigger.waveEnd, 32648);
    EXPECT_EQ(trigger.lastWaveFrame.front(), 1000);
    EXPECT_EQ(trigger.lastWaveFrame[1], 0);
}

TEST(WaveTrigger, ABlockLaterAPeriodicSoundStandsStill) {
    // A sawtooth of exactly 98 samples per period: after a new block of 4410 samples the search
    // must find a frame identical to the one shown before, within the first period of lags.
    auto saw = [](int64_t n) { return static_cast<int16_t>((n % 98) * 300 - 14000); };
    History history;
    int64_t written = 0;
    auto append = [&](int count) {
        std::move(history.begin() + count, history.end(), history.begin());
        for (int i = kHistoryLength - count; i < kHistoryLength; ++i) {
            history[static_cast<std::size_t>(i)] = saw(written++);
        }
    };
    append(kHistoryLength);
    WaveTrigger trigger;
    AlignWaveFrame(trigger, history);
    const auto shown = trigger.lastWaveFrame;
    for (int block = 0; block < 3; ++block) {
        append(kBlockFrames);
        const int lag = AlignWaveFrame(trigger, history);
        EXPECT_LT(lag, 98) << block;
        EXPECT_EQ(trigger.lastWaveFrame, shown) << block;
        EXPECT_EQ(trigger.waveEnd, 32767 - lag);
    }
}

TEST(WaveTrigger, StoreSearchUsesTheFirstChannel) {
    CaptureStore store;
    store.Create();
    store.channel2History[31767] = 1000;  // would give lag 119
    store.channel1History[31500] = 500;   // frames from lag 386 on hold it
    WaveTrigger trigger;
    EXPECT_EQ(AlignWaveFrame(trigger, store), 386);
    EXPECT_EQ(trigger.waveEnd, 32381);
}

}  // namespace
}  // namespace tonavise
