// The signal generator: the samples of each wave form, and the output thread's protocol on the
// virtual device.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>

#include "DeviceTestSupport.h"
#include "engine/device/SignalBuffer.h"
#include "engine/device/VirtualSound.h"
#include "engine/live/LiveEngine.h"
#include "engine/live/SignalThread.h"
#include "engine/live/WorkerCommands.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;
constexpr auto kOut = DeviceDirection::Output;

std::vector<int16_t> Channel(const SignalBuffer& signal, int channel) {
    const auto all = signal.Samples();
    std::vector<int16_t> one(kSignalFrames);
    for (int i = 0; i < kSignalFrames; ++i) {
        one[i] = all[2 * i + channel];
    }
    return one;
}

TEST(GenerateChannel, SquareAt440HzHalfAmplitude) {
    SignalBuffer signal;
    signal.GenerateChannel(440, 50, kWaveSquare, 0);
    const auto left = Channel(signal, 0);
    EXPECT_EQ(left[0], 0) << "phase 0: sin is 0";
    for (int i = 1; i <= 50; ++i) {  // the first half period: 44100 / 880 = 50.1 samples
        ASSERT_EQ(left[i], 16383) << i;
    }
    for (int i = 51; i <= 100; ++i) {
        ASSERT_EQ(left[i], -16383) << i;
    }
}

TEST(GenerateChannel, SawAt1HzFullAmplitude) {
    SignalBuffer signal;
    signal.GenerateChannel(1, 100, kWaveSaw, 1);
    const auto right = Channel(signal, 1);
    EXPECT_EQ(right[0], -32767);
    EXPECT_EQ(right[22050], 0);
    EXPECT_EQ(right[44099], 32765);
    EXPECT_TRUE(std::is_sorted(right.begin(), right.end())) << "one period: rises all second";
}

TEST(GenerateChannel, PeaksOfEveryWaveFormAtFullAmplitude) {
    SignalBuffer signal;
    const auto peak = [&](int wave, int hz) {
        signal.GenerateChannel(hz, 100, wave, 0);
        const auto c = Channel(signal, 0);
        return std::make_pair(*std::min_element(c.begin(), c.end()),
                              *std::max_element(c.begin(), c.end()));
    };
    EXPECT_EQ(peak(kWaveSine, 1), std::make_pair(int16_t{-32767}, int16_t{32767}));
    EXPECT_EQ(peak(kWaveTriangle, 1), std::make_pair(int16_t{-32767}, int16_t{32767}));
    EXPECT_EQ(peak(kWaveSquare, 441), std::make_pair(int16_t{-32766}, int16_t{32766}));
    const auto saw = peak(kWaveSaw, 1);
    EXPECT_EQ(saw.first, -32767);
    EXPECT_LT(saw.second, 32767);
}

TEST(GenerateChannel, FrequencyIsWholePeriodsPerSecond) {
    SignalBuffer signal;
    const auto rises = [&](int hz) {
        signal.GenerateChannel(hz, 100, kWaveSquare, 0);
        const auto c = Channel(signal, 0);
        int n = 0;
        for (int i = 1; i < kSignalFrames; ++i) {
            n += c[i - 1] <= 0 && c[i] > 0;
        }
        return n;
    };
    EXPECT_EQ(rises(1), 1);
    EXPECT_EQ(rises(1000), 1000);
    // 20000 Hz sampled at 44100 Hz: still 20000 periods, about 2.2 samples each.
    EXPECT_NEAR(rises(20000), 20000, 200);
}

TEST(GenerateChannel, OneChannelIsRegeneratedWithoutTouchingTheOther) {
    SignalBuffer signal;
    signal.GenerateChannel(440, 25, kWaveSine, 1);
    const auto rightBefore = Channel(signal, 1);
    signal.GenerateChannel(1000, 80, kWaveTriangle, 0);
    signal.GenerateChannel(30, 5, kWaveSaw, 0);
    EXPECT_EQ(Channel(signal, 1), rightBefore);

    signal.GenerateChannel(440, 0, kWaveSine, 0);
    const auto left = Channel(signal, 0);
    EXPECT_TRUE(std::all_of(left.begin(), left.end(), [](int16_t v) { return v == 0; }))
        << "amplitude 0 is silence";
    signal.GenerateChannel(440, 100, 7, 0);  // no such wave form: silence
    EXPECT_EQ(Channel(signal, 0), left);
    signal.GenerateChannel(440, 100, kWaveSine, 2);  // no such channel: nothing changes
    EXPECT_EQ(Channel(signal, 1), rightBefore);
    signal.GenerateChannel(440, 300, kWaveSine, 0);  // beyond full scale: clipped, no overflow
    const auto loud = Channel(signal, 0);
    EXPECT_EQ(*std::max_element(loud.begin(), loud.end()), 32767);
}

// --- the output thread ------------------------------------------------------------------------

class Owner final : public SignalListener {
  public:
    explicit Owner(SignalBuffer& signal) : signal_(signal) {}
    void OnSignalBufferDone() override {
        // The dialog picks up an edit: the left channel becomes 1000 Hz.
        if (calls.fetch_add(1) == 0) {
            signal_.GenerateChannel(1000, 50, kWaveSine, 0);
        }
    }
    std::atomic<int> calls{0};

  private:
    SignalBuffer& signal_;
};

class SignalThreadTest : public ::testing::Test {
  protected:
    void TearDown() override { thread.join(); }

    void PlayOneCopy() {
        ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
        ASSERT_EQ(system.Complete(kOut), 1);
        ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
    }

    VirtualSoundSystem system;
    test::SharedNotifier notifier;
    SignalBuffer signal;
    Owner owner{signal};  // outlives the thread
    SignalThread thread{signal, system, notifier};
};

TEST_F(SignalThreadTest, PlaysTheSecondOverAndOverAndLetsTheOwnerEditBetweenCopies) {
    thread.SetOwnerDialog(&owner);
    thread.start();
    signal.GenerateChannel(440, 50, kWaveSine, 0);
    signal.GenerateChannel(660, 50, kWaveSquare, 1);
    const auto first = signal.Samples();
    thread.send(generator::Start{});
    PlayOneCopy();
    EXPECT_TRUE(thread.IsPlaying());
    const auto edited = signal.Samples();
    PlayOneCopy();
    // One call per played copy (the second copy may be queued again while the first call's
    // handling still runs: it looks at both headers).
    EXPECT_TRUE(test::WaitUntil([&] { return owner.calls.load() == 2; }));
    const WaveFormat f = system.LastOpenFormat(kOut);
    EXPECT_EQ(f.channels, 2);
    EXPECT_EQ(f.avgBytesPerSec, 176400u);
    EXPECT_EQ(f.blockAlign, 4);

    const auto played = system.LastPlayedSamples();
    ASSERT_EQ(played.size(), 2u * first.size());
    EXPECT_TRUE(std::equal(first.begin(), first.end(), played.begin()));
    // The second copy is the same buffer, rewritten by the owner while the first played out.
    EXPECT_TRUE(std::equal(edited.begin(), edited.end(), played.begin() + first.size()));
    EXPECT_NE(edited, first);
    for (int i = 0; i < kSignalFrames; ++i) {
        ASSERT_EQ(edited[2 * i + 1], first[2 * i + 1]) << "the right channel is untouched";
    }
}

TEST_F(SignalThreadTest, StartAndStopOnlyActWhenTheyChangeSomething) {
    thread.start();
    thread.send(generator::Stop{});  // before any start: nothing
    thread.send(generator::Start{});
    thread.send(generator::Start{});  // already playing: nothing
    ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
    ASSERT_TRUE(test::WaitUntil([&] { return thread.IsPlaying(); }));
    EXPECT_EQ(system.OpenCount(kOut), 1);
    EXPECT_EQ(system.QueuedCount(kOut), 2) << "two copies queued, not four";

    thread.send(generator::Stop{});
    ASSERT_TRUE(system.WaitForClosed(kOut, 5s));
    ASSERT_TRUE(test::WaitUntil([&] { return !thread.IsPlaying(); }));
    thread.send(generator::Start{});
    ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
    EXPECT_EQ(system.OpenCount(kOut), 2);
    EXPECT_TRUE(notifier.Texts().empty());
}

TEST_F(SignalThreadTest, ADeviceThatCannotOpenShowsTheErrorBoxAndTheNextStartTriesAgain) {
    system.SetOpenResult(kOut, kDeviceNoDriver);
    thread.start();
    thread.send(generator::Start{});
    ASSERT_TRUE(test::WaitUntil([&] { return !notifier.Texts().empty(); }));
    EXPECT_EQ(notifier.Captions()[0], "Alert");
    EXPECT_EQ(notifier.Texts()[0], "Error = 0x00000006, : No sound device is available.");
    EXPECT_FALSE(thread.IsPlaying());

    system.SetOpenResult(kOut, kDeviceOk);
    thread.send(generator::Start{});
    ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
    EXPECT_TRUE(test::WaitUntil([&] { return thread.IsPlaying(); }));
}

TEST_F(SignalThreadTest, QuitStopsTheSoundAndClosesTheDevice) {
    thread.start();
    thread.send(generator::Start{});
    ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
    thread.join();
    EXPECT_FALSE(system.IsOpen(kOut));
    EXPECT_FALSE(thread.IsPlaying());
}

// The generator is a part of the engine that opens on demand: it plays through the engine's
// devices, a listener that never answers holds nothing up, and the engine's Stop closes it with
// its sound.
TEST(LiveEngineGenerator, OpensOnDemandNeverWaitsForItsListenerAndClosesWithTheEngine) {
    struct Silent final : SignalListener {
        void OnSignalBufferDone() override { ++calls; }  // hands nothing on, answers nothing
        std::atomic<int> calls{0};
    };
    test::SharedNotifier notifier;
    VirtualSoundSystem system;
    Silent listener;
    LiveEngine engine(notifier);
    EXPECT_FALSE(engine.OpenGenerator(&listener)) << "no devices before the start";
    LiveEngine::Parts parts;
    parts.capture = parts.output = parts.recorder = parts.analysis = false;
    ASSERT_TRUE(engine.Start(&system, UiLanguage::English, parts));
    ASSERT_TRUE(engine.OpenGenerator(&listener));
    engine.signal.GenerateChannel(1000, 50, kWaveSine, 0);
    engine.StartSignal();
    for (int copy = 0; copy < 3; ++copy) {
        ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
        ASSERT_EQ(system.Complete(kOut), 1);
    }
    ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s)) << "the played copies were queued again";
    EXPECT_TRUE(test::WaitUntil([&] { return listener.calls.load() == 3; }));
    EXPECT_TRUE(engine.SignalPlaying());
    engine.Stop();
    EXPECT_FALSE(engine.GeneratorOpen());
    EXPECT_FALSE(system.IsOpen(kOut));
}

}  // namespace
}  // namespace tonavise
