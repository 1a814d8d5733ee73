#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <numeric>
#include <vector>

#include "engine/live/CaptureStore.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;

std::vector<int16_t> Block(int channels, int16_t first) {
    std::vector<int16_t> b(static_cast<std::size_t>(kBlockFrames) * channels);
    std::iota(b.begin(), b.end(), first);
    return b;
}

TEST(CaptureStore, ConstructionValuesAndZeroedHistories) {
    CaptureStore store;
    EXPECT_EQ(store.channelCount.load(), 1);
    EXPECT_EQ(store.scopeMode.load(), -1);
    store.Create();
    for (int i = 0; i < kHistoryLength; ++i) {
        ASSERT_EQ(store.channel1History[i], 0);
        ASSERT_EQ(store.channel2History[i], 0);
    }
    const SpectrumFrame& frame = store.spectrum.acquire();
    for (double v : frame.spectrum) {
        ASSERT_EQ(v, 0.0);
    }
    EXPECT_EQ(frame.sequence, 0u);
}

TEST(CaptureStore, MonoBlocksFillFromTheEndInArrivalOrder) {
    CaptureStore store;
    store.Create();
    // Block k holds the values 1000k .. 1000k + 4409 (wrapping in int16 is fine for the check).
    for (int k = 1; k <= 8; ++k) {
        store.AppendBlock(Block(1, static_cast<int16_t>(k * 1000)), 1);
        if (k <= 7) {
            const int filled = kBlockFrames * k;
            for (int i = 0; i < kHistoryLength - filled; ++i) {
                ASSERT_EQ(store.channel1History[i], 0) << "k=" << k << " i=" << i;
            }
            for (int b = 0; b < k; ++b) {
                const int at = kHistoryLength - filled + b * kBlockFrames;
                ASSERT_EQ(store.channel1History[at], static_cast<int16_t>((b + 1) * 1000));
            }
        }
    }
    // After eight blocks: the last 1898 samples of block 1, then blocks 2..8 whole.
    EXPECT_EQ(store.channel1History[0], static_cast<int16_t>(1000 + kBlockFrames - 1898));
    EXPECT_EQ(store.channel1History[1897], static_cast<int16_t>(1000 + kBlockFrames - 1));
    EXPECT_EQ(store.channel1History[1898], 2000);
    EXPECT_EQ(store.channel1History[kHistoryLength - 1],
              static_cast<int16_t>(8000 + kBlockFrames - 1));
}

TEST(CaptureStore, StereoDeinterleavesAndMonoLeavesChannelTwoAlone) {
    CaptureStore store;
    store.Create();
    store.AppendBlock(Block(2, 0), 2);
    const int base = kHistoryLength - kBlockFrames;
    for (int i = 0; i < kBlockFrames; ++i) {
        ASSERT_EQ(store.channel1History[base + i], static_cast<int16_t>(2 * i));
        ASSERT_EQ(store.channel2History[base + i], static_cast<int16_t>(2 * i + 1));
    }
    const CaptureStore::History right = store.channel2History;
    store.AppendBlock(Block(1, 7), 1);
    EXPECT_EQ(store.channel2History, right);
    EXPECT_EQ(store.channel1History[kHistoryLength - 1],
              static_cast<int16_t>(7 + kBlockFrames - 1));
}

TEST(CaptureStore, OtherChannelCountsOrShortBlocksChangeNothingButStillSignal) {
    CaptureStore store;
    store.Create();
    store.scopeMode = kScopePitch;
    store.AppendBlock(Block(3, 1), 3);
    store.AppendBlock(std::vector<int16_t>(10, 5), 1);
    for (int i = 0; i < kHistoryLength; ++i) {
        ASSERT_EQ(store.channel1History[i], 0);
    }
    EXPECT_TRUE(store.startFftEvent.wait(0ms));
}

// Whether the view's descriptor is readable now.
bool ViewWoken(const CaptureStore& store) {
    pollfd watched{store.viewWake.fd(), POLLIN, 0};
    return poll(&watched, 1, 0) == 1;
}

TEST(CaptureStore, ScopeModeChoosesTheEventAndOnlyTheViewsWakeTheView) {
    CaptureStore store;
    store.Create();
    ASSERT_GE(store.viewWake.fd(), 0);
    const auto block = Block(1, 0);
    struct Case {
        int32_t mode;
        bool mic;
    };
    for (const Case c : {Case{0, true}, Case{1, false}, Case{2, false}, Case{-1, false}}) {
        store.scopeMode = c.mode;
        store.AppendBlock(block, 1);
        EXPECT_EQ(ViewWoken(store), c.mic) << "mode " << c.mode;
        store.viewWake.Drain();
        EXPECT_EQ(store.micDataEvent.wait(0ms), c.mic) << "mode " << c.mode;
        EXPECT_EQ(store.startFftEvent.wait(0ms), !c.mic) << "mode " << c.mode;
        // auto-reset: a second wait finds nothing
        EXPECT_FALSE(store.micDataEvent.wait(0ms));
        EXPECT_FALSE(store.startFftEvent.wait(0ms));
    }
    // A published spectrum wakes the view; two signals drain at once, and Create drains too.
    store.SpectrumReady();
    store.SpectrumReady();
    EXPECT_TRUE(ViewWoken(store));
    EXPECT_TRUE(store.finishedFftEvent.wait(0ms));
    EXPECT_TRUE(store.viewWake.Drain());
    EXPECT_FALSE(ViewWoken(store));
    EXPECT_FALSE(store.viewWake.Drain());
    store.SpectrumReady();
    store.Create();
    EXPECT_FALSE(ViewWoken(store));
}

TEST(CaptureStore, CloseWithoutCreateDoesNothing) {
    CaptureStore store;
    store.Close();
    EXPECT_FALSE(store.IsCreated());
    store.Create();
    EXPECT_TRUE(store.IsCreated());
    store.Close();
    EXPECT_FALSE(store.IsCreated());
}

TEST(SpectrumExchange, ReaderSeesOnlyWholePublishedFrames) {
    SpectrumExchange x;
    SpectrumFrame& a = x.beginWrite();
    a.spectrum.fill(1.0);
    a.fundamentalHz = 100;
    x.publish();
    SpectrumFrame& b = x.beginWrite();
    EXPECT_NE(&a, &b);
    b.spectrum.fill(2.0);  // written but not published
    const SpectrumFrame& seen = x.acquire();
    EXPECT_EQ(seen.fundamentalHz, 100);
    EXPECT_EQ(seen.spectrum[5], 1.0);
    EXPECT_EQ(seen.sequence, 1u);
    x.publish();
    // Until the next acquire the reader's frame is untouched by the writer.
    x.beginWrite().spectrum.fill(3.0);
    EXPECT_EQ(x.latest().spectrum[5], 1.0);
    EXPECT_EQ(x.acquire().spectrum[5], 2.0);
    EXPECT_EQ(x.latest().sequence, 2u);
    // Nothing new: the same frame again.
    EXPECT_EQ(x.acquire().sequence, 2u);
}

}  // namespace
}  // namespace tonavise
