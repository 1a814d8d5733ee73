#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>
#include <thread>

#include "TestSupport.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/AnalysisThread.h"
#include "engine/live/CaptureStore.h"
#include "engine/live/PitchReading.h"

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
    KeyTable keyTable;
    Fft fft;
    FakePlayer player;
    AnalysisThread analysis(store, fft, keyTable, &player);
    ASSERT_TRUE(analysis.StartAnalysis());
    EXPECT_EQ(fft.size(), kFftSize);
    for (int k = 0; k < 3; ++k) {
        AppendSine(store, 440.0);
        ASSERT_TRUE(store.finishedFftEvent.wait(5s));
    }
    const SpectrumFrame& frame = store.spectrum.acquire();
    EXPECT_NEAR(frame.fundamentalHz, 440.0, 1.4);
    EXPECT_GE(frame.sequence, 3u);
    EXPECT_EQ(frame.pitchMethod, kPitchMethodStandard);
    EXPECT_FALSE(frame.precise.hasPitch) << "the precise estimate runs only when switched on";

    keyTable.pitchMethod = kPitchMethodPrecise;
    for (int k = 0; k < 2; ++k) {
        AppendSine(store, 440.0);
        ASSERT_TRUE(store.finishedFftEvent.wait(5s));
    }
    const SpectrumFrame& precise = store.spectrum.acquire();
    EXPECT_EQ(precise.pitchMethod, kPitchMethodPrecise);
    EXPECT_TRUE(precise.precise.hasPitch);
    EXPECT_NEAR(precise.precise.hz, 440.0, 0.01);
    analysis.StopAnalysis();
    EXPECT_FALSE(analysis.IsRunning());
}

TEST(AnalysisThread, WaveformModeRunsNoTransform) {
    CaptureStore store;
    store.Create();
    store.scopeMode = kScopeWave;
    KeyTable keyTable;
    Fft fft;
    FakePlayer player;
    AnalysisThread analysis(store, fft, keyTable, &player);
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
    KeyTable keyTable;
    Fft fft;
    AnalysisThread analysis(store, fft, keyTable, nullptr);
    ASSERT_TRUE(analysis.StartAnalysis());
    AppendSine(store, 440.0);
    EXPECT_FALSE(store.finishedFftEvent.wait(100ms));
}

TEST(AnalysisThread, StopsPromptlyAndTwiceIsHarmless) {
    CaptureStore store;
    store.Create();
    KeyTable keyTable;
    Fft fft;
    FakePlayer player;
    AnalysisThread analysis(store, fft, keyTable, &player);
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
    KeyTable keyTable;
    Fft fft;
    FakePlayer player;
    AnalysisThread analysis(store, fft, keyTable, &player);
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
            keyTable.logarithmOption = seen % 2;
            keyTable.pitchMethod = seen / 2 % 2;
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
    KeyTable keyTable;
    Fft fft(kFftSize);
    RunAnalysisPass(store, fft, keyTable, AnalyseStereo(store, &player));
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
    KeyTable keyTable;
    Fft fft(kFftSize);
    RunAnalysisPass(store, fft, keyTable, true);
    EXPECT_NEAR(store.spectrum.acquire().fundamentalHz, 26.9165, 1e-3);
    RunAnalysisPass(store, fft, keyTable, false);
    EXPECT_NEAR(store.spectrum.acquire().fundamentalHz, 440.0, 1.4);
    EXPECT_TRUE(store.finishedFftEvent.wait(0ms));
}

// Block `block` of a continuous tone: partials (number, amplitude) of hz, on every channel.
void AppendTone(CaptureStore& store,
                double hz,
                std::initializer_list<std::pair<int, double>> partials,
                int64_t block,
                int channels = 1) {
    std::vector<int16_t> samples(static_cast<std::size_t>(kBlockFrames * channels));
    for (int i = 0; i < kBlockFrames; ++i) {
        const double t = static_cast<double>(block * kBlockFrames + i) / kSampleRate;
        double v = 0.0;
        for (auto [n, amplitude] : partials) {
            v += amplitude * std::sin(2 * std::numbers::pi * n * hz * t);
        }
        for (int c = 0; c < channels; ++c) {
            samples[static_cast<std::size_t>(i * channels + c)] = static_cast<int16_t>(v);
        }
    }
    store.AppendBlock(samples, channels);
}

TEST(AnalysisPass, PreciseEstimateLeavesTheStandardOneBitForBit) {
    for (const bool stereo : {false, true}) {
        for (const int32_t logarithm : {0, 1}) {
            CaptureStore store;
            store.Create();
            for (int k = 0; k < 8; ++k) {
                // A weak fundamental under a strong second harmonic and third partial.
                AppendTone(store, 146.83, {{1, 1000}, {2, 9000}, {3, 5000}}, k, stereo ? 2 : 1);
            }
            KeyTable keyTable;
            keyTable.logarithmOption = logarithm;
            Fft fft(kFftSize);
            NsdfPitchEstimator precise;
            ASSERT_TRUE(precise.Init());
            RunAnalysisPass(store, fft, keyTable, stereo);
            const SpectrumFrame standard = store.spectrum.acquire();
            keyTable.pitchMethod = kPitchMethodPrecise;
            RunAnalysisPass(store, fft, keyTable, stereo, &precise);
            const SpectrumFrame& both = store.spectrum.acquire();
            EXPECT_EQ(std::memcmp(standard.spectrum.data(),
                                  both.spectrum.data(),
                                  sizeof(double) * standard.spectrum.size()),
                      0);
            EXPECT_EQ(std::memcmp(&standard.fundamentalHz, &both.fundamentalHz, sizeof(double)), 0);
            EXPECT_EQ(standard.pitchMethod, kPitchMethodStandard);
            EXPECT_FALSE(standard.precise.hasPitch);
            // The logarithmic display does not move the precise estimate by a hair.
            ASSERT_TRUE(both.precise.hasPitch);
            EXPECT_NEAR(both.precise.hz, 146.83, 0.01) << "stereo " << stereo;
            EXPECT_EQ(ReadPitch(both, keyTable).key, 29);  // D3
        }
    }
}

TEST(AnalysisPass, PreciseEstimateFollowsAStepWithinTwoPasses) {
    // A tuner must follow the player: A4 held, then B4. The standard estimate is given for
    // comparison only.
    CaptureStore store;
    store.Create();
    KeyTable keyTable;
    keyTable.pitchMethod = kPitchMethodPrecise;
    Fft fft(kFftSize);
    NsdfPitchEstimator precise;
    ASSERT_TRUE(precise.Init());
    int64_t block = 0;
    for (; block < 8; ++block) {
        AppendTone(store, 440.0, {{1, 10000}}, block);
        RunAnalysisPass(store, fft, keyTable, false, &precise);
    }
    ASSERT_EQ(ReadPitch(store.spectrum.acquire(), keyTable).key, kKeyA4);
    int preciseAfter = 0;
    int standardAfter = 0;
    for (int pass = 1; pass <= 6; ++pass) {
        AppendTone(store, 493.88, {{1, 10000}}, block++);
        RunAnalysisPass(store, fft, keyTable, false, &precise);
        const SpectrumFrame& frame = store.spectrum.acquire();
        const PitchReading reading = ReadPitch(frame, keyTable);
        if (preciseAfter == 0 && reading.hasPitch && reading.key == kKeyA4 + 2 &&
            std::abs(reading.cents) < 5) {
            preciseAfter = pass;
        }
        if (standardAfter == 0 && keyTable.NearestKey(frame.fundamentalHz).key == kKeyA4 + 2) {
            standardAfter = pass;
        }
    }
    RecordProperty("precise_passes", preciseAfter);
    RecordProperty("standard_passes", standardAfter);
    EXPECT_GE(preciseAfter, 1);
    EXPECT_LE(preciseAfter, 2);
}

}  // namespace
}  // namespace tonavise
