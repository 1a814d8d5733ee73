// The capture thread's block handling, on the virtual device.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <random>
#include <vector>

#include "DeviceTestSupport.h"
#include "engine/device/VirtualSound.h"
#include "engine/live/AnalysisThread.h"
#include "engine/live/CaptureStore.h"
#include "engine/live/CaptureThread.h"
#include "engine/live/LiveEngine.h"
#include "engine/live/RecordingStore.h"
#include "engine/live/WorkerCommands.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;
constexpr auto kIn = DeviceDirection::Input;
constexpr int kKeep = kHistoryLength - kBlockFrames;

class FakePlayer final : public PlayerStatus {
  public:
    bool IsPlaying() const override { return playing.load(); }
    int ChannelCount() const override { return 1; }
    std::atomic<bool> playing{false};
};

// Records what the recorder would get, and can stand in for its playback monitor.
class Hooks final : public BlockRecorder, public PlaybackMonitor, public CaptureObserver {
  public:
    void RecordBlock(std::span<int16_t> frames, int channels) override {
        std::lock_guard lock(mutex);
        recorded.emplace_back(frames.begin(), frames.end());
        recordedChannels.push_back(channels);
    }
    void ReplaceCaptured(std::span<int16_t> frames, int) override {
        if (replaceWith != 0) {
            std::fill(frames.begin(), frames.end(), replaceWith);
        }
    }
    void OnCaptured(std::span<const int16_t>, int, double captureTime) override {
        std::lock_guard lock(mutex);
        times.push_back(captureTime);
    }
    std::size_t Count() {
        std::lock_guard lock(mutex);
        return recorded.size();
    }

    std::mutex mutex;
    std::vector<std::vector<int16_t>> recorded;
    std::vector<int> recordedChannels;
    std::vector<double> times;
    int16_t replaceWith = 0;
};

// Holds the capture thread inside its handling of a block, as a busy machine does, until the
// test lets it go: the device keeps capturing meanwhile.
class Stall final : public CaptureObserver {
  public:
    // The next block holds the thread.
    void HoldNext() {
        std::lock_guard lock(mutex_);
        holdNext_ = true;
        held_ = false;
    }
    void WaitHeld() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return held_; });
    }
    void Release() {
        std::lock_guard lock(mutex_);
        holdNext_ = false;
        held_ = false;
        cv_.notify_all();
    }
    void OnCaptured(std::span<const int16_t> frames, int, double) override {
        std::unique_lock lock(mutex_);
        firstSamples_.push_back(frames[0]);
        if (holdNext_) {
            held_ = true;
            cv_.notify_all();
            cv_.wait(lock, [&] { return !holdNext_; });
        }
    }
    std::vector<int16_t> FirstSamples() {
        std::lock_guard lock(mutex_);
        return firstSamples_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool holdNext_ = false;
    bool held_ = false;
    std::vector<int16_t> firstSamples_;
};

class CaptureThreadTest : public ::testing::Test {
  protected:
    void SetUp() override {
        store.Create();
        store.scopeMode.store(kScopePitch);
        // Left: the frame number; right: its negative.
        system.SetInputSignal([](int64_t frame, int channel) {
            const double v = static_cast<double>(frame % 30000);
            return channel == 0 ? v : -v;
        });
    }

    // Lets the virtual microphone fill the next buffer and waits until the thread has queued
    // it again.
    void CaptureOneBlock() {
        ASSERT_TRUE(system.WaitForQueued(kIn, kCapturePieceCount, 5s));
        ASSERT_EQ(system.Complete(kIn, kPiecesPerBlock), kPiecesPerBlock);
        ASSERT_TRUE(system.WaitForQueued(kIn, kCapturePieceCount, 5s));
    }

    std::vector<int16_t> Tail(const CaptureStore::History& h, int n) {
        std::lock_guard lock(store.historyLock);
        return {h.end() - n, h.end()};
    }

    VirtualSoundSystem system;
    test::SharedNotifier notifier;
    CaptureStore store;
};

TEST_F(CaptureThreadTest, MonoBlocksReachTheStoreAndWakeTheAnalysis) {
    CaptureThread thread(store, system, notifier);
    Hooks hooks;
    thread.SetBlockRecorder(&hooks);
    thread.SetObserver(&hooks);
    thread.start();
    CaptureOneBlock();
    ASSERT_TRUE(store.startFftEvent.wait(5s));
    EXPECT_FALSE(store.micDataEvent.wait(0ms));
    EXPECT_EQ(system.LastOpenFormat(kIn).channels, 1);
    EXPECT_EQ(system.LastOpenFormat(kIn).avgBytesPerSec, 88200u);
    const auto tail = Tail(store.channel1History, kBlockFrames);
    for (int i = 0; i < kBlockFrames; ++i) {
        ASSERT_EQ(tail[i], i);
    }
    CaptureOneBlock();
    ASSERT_TRUE(store.startFftEvent.wait(5s));
    EXPECT_EQ(Tail(store.channel1History, 1)[0], 2 * kBlockFrames - 1);
    {
        std::lock_guard lock(store.historyLock);
        EXPECT_EQ(store.channel1History[kKeep - 1], kBlockFrames - 1);
    }
    ASSERT_TRUE(test::WaitUntil([&] { return hooks.Count() == 2; }));
    thread.join();
    EXPECT_EQ(hooks.recordedChannels, (std::vector<int>{1, 1}));
    EXPECT_EQ(hooks.recorded[1][0], kBlockFrames);
    EXPECT_EQ(hooks.times.size(), 2u);
    EXPECT_FALSE(system.IsOpen(kIn)) << "the thread's end closes the device";
    EXPECT_TRUE(notifier.Texts().empty());
}

TEST_F(CaptureThreadTest, StereoBlocksAreDeinterleavedIntoBothHistories) {
    store.channelCount.store(2);
    store.scopeMode.store(kScopeWave);
    CaptureThread thread(store, system, notifier);
    thread.start();
    CaptureOneBlock();
    ASSERT_TRUE(store.micDataEvent.wait(5s));
    EXPECT_EQ(system.LastOpenFormat(kIn).channels, 2);
    EXPECT_EQ(thread.Channels(), 2);
    const auto left = Tail(store.channel1History, kBlockFrames);
    const auto right = Tail(store.channel2History, kBlockFrames);
    for (int i = 0; i < kBlockFrames; ++i) {
        ASSERT_EQ(left[i], i);
        ASSERT_EQ(right[i], -i);
    }
}

TEST_F(CaptureThreadTest, ReopenSwitchesFromMonoToStereo) {
    CaptureThread thread(store, system, notifier);
    Hooks hooks;
    thread.SetBlockRecorder(&hooks);
    thread.start();
    CaptureOneBlock();
    ASSERT_TRUE(store.startFftEvent.wait(5s));
    const auto rightBefore = Tail(store.channel2History, 4);

    store.channelCount.store(2);
    thread.send(capture::ReopenInput{});
    ASSERT_TRUE(test::WaitUntil([&] { return system.OpenCount(kIn) == 2; }));
    CaptureOneBlock();
    ASSERT_TRUE(store.startFftEvent.wait(5s));
    ASSERT_TRUE(test::WaitUntil([&] { return hooks.Count() == 2; }));
    thread.join();
    EXPECT_EQ(system.LastOpenFormat(kIn).channels, 2);
    EXPECT_EQ(rightBefore, std::vector<int16_t>(4, 0)) << "mono left the right history alone";
    // The first full buffer after the reopen holds 4410 stereo frames (17640 bytes), counted
    // from the new open.
    ASSERT_EQ(hooks.recorded[1].size(), 2u * kBlockFrames);
    EXPECT_EQ(hooks.recordedChannels[1], 2);
    const auto left = Tail(store.channel1History, kBlockFrames);
    const auto right = Tail(store.channel2History, kBlockFrames);
    EXPECT_EQ(left[10], 10);
    EXPECT_EQ(right[10], -10);
}

TEST_F(CaptureThreadTest, AFailedOpenShowsTheErrorBoxAndTheNextReopenTriesAgain) {
    system.SetOpenResult(kIn, kDeviceNoDriver);
    CaptureThread thread(store, system, notifier);
    thread.start();
    ASSERT_TRUE(test::WaitUntil([&] { return !notifier.Texts().empty(); }));
    EXPECT_EQ(notifier.Captions(), std::vector<std::string>{"Alert"});
    EXPECT_EQ(notifier.Texts(),
              std::vector<std::string>{"Error = 0x00000006, : No sound device is available."});
    EXPECT_FALSE(thread.IsOpen());
    EXPECT_TRUE(thread.running()) << "the thread lives on without a device";

    system.SetOpenResult(kIn, kDeviceOk);
    thread.send(capture::ReopenInput{});
    CaptureOneBlock();
    EXPECT_TRUE(thread.IsOpen());
    ASSERT_TRUE(store.startFftEvent.wait(5s));
    EXPECT_EQ(notifier.Texts().size(), 1u);
}

TEST_F(CaptureThreadTest, WhileAFilePlaysTheStoreIsLeftToThePlayerButRecordingGoesOn) {
    FakePlayer player;
    player.playing = true;
    Hooks hooks;
    CaptureThread thread(store, system, notifier);
    thread.SetPlayerStatus(&player);
    thread.SetBlockRecorder(&hooks);
    thread.start();
    CaptureOneBlock();
    ASSERT_TRUE(test::WaitUntil([&] { return hooks.Count() == 1; }));
    EXPECT_FALSE(store.startFftEvent.wait(0ms));
    EXPECT_EQ(Tail(store.channel1History, kBlockFrames), std::vector<int16_t>(kBlockFrames, 0));

    player.playing = false;
    CaptureOneBlock();
    ASSERT_TRUE(store.startFftEvent.wait(5s));
    EXPECT_EQ(Tail(store.channel1History, 1)[0], 2 * kBlockFrames - 1);
    EXPECT_EQ(hooks.Count(), 2u);
}

TEST_F(CaptureThreadTest, ThePlaybackMonitorReplacesTheBlockBeforeTheStoreSeesIt) {
    Hooks hooks;
    hooks.replaceWith = 77;
    CaptureThread thread(store, system, notifier);
    thread.SetPlaybackMonitor(&hooks);
    thread.SetBlockRecorder(&hooks);
    thread.start();
    CaptureOneBlock();
    ASSERT_TRUE(store.startFftEvent.wait(5s));
    EXPECT_EQ(Tail(store.channel1History, kBlockFrames), std::vector<int16_t>(kBlockFrames, 77));
}

TEST_F(CaptureThreadTest, ClosingWithBuffersQueuedEndsCleanly) {
    CaptureThread thread(store, system, notifier);
    thread.start();
    ASSERT_TRUE(system.WaitForQueued(kIn, 2, 5s));
    system.Advance(kIn, 1000);            // a partly filled buffer: the reset gives it back short
    thread.send(capture::ReopenInput{});  // close (both buffers come back done) and open again
    ASSERT_TRUE(test::WaitUntil([&] { return system.OpenCount(kIn) == 2; }));
    CaptureOneBlock();
    ASSERT_TRUE(store.startFftEvent.wait(5s));
    // The block after the reopen starts at the new open's first frame: the short buffer from
    // the reset was not appended.
    EXPECT_EQ(Tail(store.channel1History, kBlockFrames)[0], 0);
    EXPECT_EQ(Tail(store.channel1History, kBlockFrames + 1)[0], 0);
    thread.join();
    EXPECT_FALSE(system.IsOpen(kIn));
}

// The capture thread held up for 350 ms (a busy machine) while the device captures: every
// block still arrives, in the order captured, and nothing is counted as lost. Held up for
// longer than its buffers hold (1.5 s), it loses what did not fit and counts it.
TEST_F(CaptureThreadTest, AStallWithinTheBuffersLosesNothingAndALongerOneIsCounted) {
    system.SetInputSignal([](int64_t frame, int) { return static_cast<double>(frame / 441); });
    Stall stall;
    CaptureThread thread(store, system, notifier);
    thread.SetObserver(&stall);
    thread.start();
    ASSERT_TRUE(system.WaitForQueued(kIn, kCapturePieceCount, 5s));
    stall.HoldNext();
    ASSERT_EQ(system.Complete(kIn, kPiecesPerBlock), kPiecesPerBlock);
    stall.WaitHeld();
    system.Advance(kIn, kBlockFrames * 35 / 10);  // 350 ms while the thread is held
    stall.Release();
    system.Advance(kIn, kBlockFrames / 2);
    ASSERT_TRUE(test::WaitUntil([&] { return stall.FirstSamples().size() == 5; }));
    ASSERT_TRUE(system.WaitForQueued(kIn, kCapturePieceCount, 5s));
    EXPECT_EQ(stall.FirstSamples(), (std::vector<int16_t>{0, 10, 20, 30, 40}));
    EXPECT_EQ(thread.DroppedBlocks(), 0u);
    {
        std::lock_guard lock(store.historyLock);
        EXPECT_EQ(store.channel1History.back(), 49) << "the newest block is in the store last";
    }

    stall.HoldNext();
    ASSERT_EQ(system.Complete(kIn, kPiecesPerBlock), kPiecesPerBlock);
    stall.WaitHeld();
    system.Advance(kIn, kBlockFrames * 15);  // 1.5 s: nine buffers were free
    stall.Release();
    ASSERT_TRUE(test::WaitUntil([&] { return stall.FirstSamples().size() == 15; }));
    ASSERT_TRUE(test::WaitUntil([&] { return thread.DroppedBlocks() == 6u; }));
    thread.join();
    EXPECT_EQ(stall.FirstSamples()[14], 140) << "the blocks after the stall keep their order";
}

// Ten minutes of recording while the capture thread is held up now and then, as on a machine
// with another busy process: 100 to 900 ms at a time, at random moments (fixed seed). The
// recording holds exactly 6000 blocks, in order.
TEST(CaptureUnderLoad, TenMinutesOfRecordingKeepExactly6000BlocksInOrder) {
    VirtualSoundSystem system;
    // Every block is the number of its 100 ms.
    system.SetInputSignal(
        [](int64_t frame, int) { return static_cast<double>(frame / kBlockFrames % 30000); });
    test::SharedNotifier notifier;
    Stall stall;
    LiveEngine engine(notifier);
    engine.captureStore.Create();
    engine.controls.recTimeIndex.store(10);  // 10 minutes
    engine.controls.recRepeating.store(0);
    LiveEngine::Parts parts;
    parts.output = false;
    parts.analysis = false;
    ASSERT_TRUE(engine.Start(&system, UiLanguage::English, parts, &stall));
    engine.RecordOn();
    RecordingStore& recordings = engine.recordingStore;
    ASSERT_TRUE(test::WaitUntil([&] { return recordings.recording.load() == 1; }));
    ASSERT_TRUE(system.WaitForQueued(kIn, kCapturePieceCount, 5s));

    std::mt19937 random(15);
    int blocks = 0;
    while (blocks < 6000) {
        if (random() % 40 == 0 && blocks < 5990) {
            const int held = std::min<int>(1 + static_cast<int>(random() % 9), 5999 - blocks);
            stall.HoldNext();
            ASSERT_EQ(system.Complete(kIn, kPiecesPerBlock), kPiecesPerBlock);
            stall.WaitHeld();
            system.Advance(kIn, int64_t{kBlockFrames} * held);
            stall.Release();
            blocks += 1 + held;
        } else {
            ASSERT_EQ(system.Complete(kIn, kPiecesPerBlock), kPiecesPerBlock);
            ++blocks;
        }
        ASSERT_TRUE(system.WaitForQueued(kIn, kCapturePieceCount, 5s)) << "block " << blocks;
    }
    ASSERT_TRUE(test::WaitUntil([&] { return recordings.Count() == 6000; }));
    EXPECT_EQ(engine.InputState().droppedBlocks, 0u);
    EXPECT_FALSE(engine.InputState().noInput);
    engine.Stop();

    ASSERT_TRUE(recordings.RewindPlayback());
    std::vector<int16_t> block(kBlockFrames);
    for (int k = 0; k < 6000; ++k) {
        ASSERT_TRUE(recordings.ReadNext(block)) << k;
        ASSERT_EQ(block[0], k) << "block " << k;
        ASSERT_EQ(block[kBlockFrames - 1], k) << "block " << k;
    }
}

}  // namespace
}  // namespace tonavise
