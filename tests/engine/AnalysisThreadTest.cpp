#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "TestSupport.h"
#include "engine/AnalysisThread.h"
#include "engine/CaptureStore.h"
#include "engine/Doreme.h"
#include "engine/Fft.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;

class FakePlayer final : public PlayerStatus {
  public:
    bool IsPlaying() const override { return playing.load(); }
    int ChannelCount() const override { return channels.load(); }
    std::atomic<bool> playing{false};
    std::atomic<int> channels{1};
};

void AppendSine(CaptureStore& store, double hz, int channels = 1) {
    store.AppendBlock(test::Sine(hz, 10000, kBlockFrames, 44100, channels), channels);
}

TEST(AnalysisThread, AnalysesEachBlockAndPublishesTheFundamental) {
    CaptureStore store;
    store.Create();
    store.scopeMode = kScopePitch;
    CDoreme doreme;
    CFft fft;
    FakePlayer player;
    AnalysisThread analysis(store, fft, doreme, &player);
    ASSERT_TRUE(analysis.StartAnalysis());
    EXPECT_EQ(fft.size(), kFftSize);
    for (int k = 0; k < 3; ++k) {
        AppendSine(store, 440.0);
        ASSERT_TRUE(store.finishedFftEvent.wait(5s));
    }
    const SpectrumFrame& frame = store.spectrum.acquire();
    EXPECT_NEAR(frame.fundamentalHz, 440.0, 1.4);
    EXPECT_GE(frame.sequence, 3u);
    analysis.StopAnalysis();
    EXPECT_FALSE(analysis.IsRunning());
}

TEST(AnalysisThread, WaveformModeRunsNoTransform) {
    CaptureStore store;
    store.Create();
    store.scopeMode = kScopeWave;
    CDoreme doreme;
    CFft fft;
    FakePlayer player;
    AnalysisThread analysis(store, fft, doreme, &player);
    ASSERT_TRUE(analysis.StartAnalysis());
    AppendSine(store, 440.0);
    EXPECT_TRUE(store.micDataEvent.wait(1s));
    EXPECT_FALSE(store.finishedFftEvent.wait(100ms));
    EXPECT_EQ(store.spectrum.acquire().sequence, 0u);
}

TEST(AnalysisThread, WithoutAFilePlayerBlocksAreSkipped) {
    CaptureStore store;
    store.Create();
    store.scopeMode = kScopePitch;
    CDoreme doreme;
    CFft fft;
    AnalysisThread analysis(store, fft, doreme, nullptr);
    ASSERT_TRUE(analysis.StartAnalysis());
    AppendSine(store, 440.0);
    EXPECT_FALSE(store.finishedFftEvent.wait(100ms));
}

TEST(AnalysisThread, StopsPromptlyAndTwiceIsHarmless) {
    CaptureStore store;
    store.Create();
    CDoreme doreme;
    CFft fft;
    FakePlayer player;
    AnalysisThread analysis(store, fft, doreme, &player);
    ASSERT_TRUE(analysis.StartAnalysis());
    const auto t0 = std::chrono::steady_clock::now();
    analysis.StopAnalysis();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 1s);
    analysis.StopAnalysis();
}

TEST(AnalysisThread, ProducerAnalysisAndViewRunTogether) {
    // A producer appends stereo blocks, the analysis transforms, and a viewer reads the latest
    // spectrum and flips the logarithm option, all at once: ThreadSanitizer watches.
    CaptureStore store;
    store.Create();
    store.scopeMode = kScopeFrequency;
    store.channelCount = 2;
    CDoreme doreme;
    CFft fft;
    FakePlayer player;
    AnalysisThread analysis(store, fft, doreme, &player);
    ASSERT_TRUE(analysis.StartAnalysis());
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (int k = 0; k < 30; ++k) {
            AppendSine(store, 220.0, 2);
            std::this_thread::sleep_for(2ms);
        }
        done = true;
    });
    int seen = 0;
    uint64_t last = 0;
    while (!done || seen == 0) {
        if (store.finishedFftEvent.wait(10ms)) {
            const SpectrumFrame& f = store.spectrum.acquire();
            EXPECT_GE(f.sequence, last);
            last = f.sequence;
            ++seen;
            doreme.logarithmOption = seen % 2;
        }
    }
    producer.join();
    analysis.StopAnalysis();
    EXPECT_GT(seen, 0);
}

TEST(AnalyseStereo, FollowsTheMicrophoneOrThePlayingFile) {
    CaptureStore store;
    FakePlayer player;
    EXPECT_FALSE(AnalyseStereo(store, &player));
    store.channelCount = 2;
    EXPECT_TRUE(AnalyseStereo(store, &player));
    EXPECT_TRUE(AnalyseStereo(store, nullptr));
    store.channelCount = 1;
    player.channels = 2;
    EXPECT_FALSE(AnalyseStereo(store, &player)) << "a loaded file that does not play";
    player.playing = true;
    EXPECT_TRUE(AnalyseStereo(store, &player));
    player.channels = 1;
    EXPECT_FALSE(AnalyseStereo(store, &player));
}

TEST(AnalyseStereo, AFilePlayingTakesTheMicrophonesPlace) {
    // A stereo microphone's last block stays in the second history while a mono file plays:
    // a file playing E5 after the microphone heard G3 must read E5.
    CaptureStore store;
    store.Create();
    store.channelCount = 2;
    for (int k = 0; k < 8; ++k) {
        AppendSine(store, 196.0, 2);
    }
    FakePlayer player;
    player.playing = true;
    player.channels = 1;
    EXPECT_FALSE(AnalyseStereo(store, &player));
    for (int k = 0; k < 3; ++k) {
        AppendSine(store, 659.26, 1);
    }
    CDoreme doreme;
    CFft fft(kFftSize);
    RunAnalysisPass(store, fft, doreme, AnalyseStereo(store, &player));
    EXPECT_NEAR(store.spectrum.acquire().fundamentalHz, 659.26, 1.4);
    player.playing = false;
    EXPECT_TRUE(AnalyseStereo(store, &player)) << "stopped: the microphone again";
}

TEST(AnalysisPass, StereoAveragesBothChannels) {
    // Opposite channels cancel: the averaged input is silence, and the estimate falls back to
    // the low edge of the key range.
    CaptureStore store;
    store.Create();
    std::vector<int16_t> block = test::Sine(440, 10000, kBlockFrames, 44100, 2);
    for (std::size_t i = 1; i < block.size(); i += 2) {
        block[i] = static_cast<int16_t>(-block[i]);
    }
    for (int k = 0; k < 3; ++k) {
        store.AppendBlock(block, 2);
    }
    CDoreme doreme;
    CFft fft(kFftSize);
    RunAnalysisPass(store, fft, doreme, true);
    EXPECT_NEAR(store.spectrum.acquire().fundamentalHz, 26.9165, 1e-3);
    RunAnalysisPass(store, fft, doreme, false);
    EXPECT_NEAR(store.spectrum.acquire().fundamentalHz, 440.0, 1.4);
    EXPECT_TRUE(store.finishedFftEvent.wait(0ms));
}

}  // namespace
}  // namespace tonavise
