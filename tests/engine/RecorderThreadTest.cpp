#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "engine/device/VirtualSound.h"
#include "engine/live/PracticeControls.h"
#include "engine/live/RecorderThread.h"
#include "engine/live/RecordingStore.h"
#include "engine/live/WorkerCommands.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;

class ThreadSafeNotifier final : public Notifier {
  public:
    void ShowMessage(std::string_view caption, std::string_view text, MessageIcon) override {
        std::lock_guard g(mutex);
        texts.emplace_back(std::string(caption) + "|" + std::string(text));
    }
    std::vector<std::string> Texts() {
        std::lock_guard g(mutex);
        return texts;
    }
    std::mutex mutex;
    std::vector<std::string> texts;
};

template <typename Pred>
bool Eventually(Pred pred) {
    const auto end = std::chrono::steady_clock::now() + 5s;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

struct Recorder : ::testing::Test {
    PracticeControls controls;
    RecordingStore recordings{controls};
    VirtualSoundSystem sound;
    ThreadSafeNotifier notifier;
    RecorderThread recorder{recordings, sound, notifier, UiLanguage::English};

    void SetUp() override {
        controls.recTimeIndex = 0;
        recorder.start();
        ASSERT_TRUE(Eventually([&] { return recordings.Capacity() == 310; }));
    }
    void TearDown() override { recorder.join(); }

    void Record(int blocks) {
        recorder.send(recorder::RecordOn{});
        ASSERT_TRUE(Eventually([&] { return recordings.recording.load() == 1; }));
        for (int k = 1; k <= blocks; ++k) {
            std::vector<int16_t> b(kBlockFrames, static_cast<int16_t>(k * 100));
            recordings.RecordBlock(b, 1);
        }
        recorder.send(recorder::RecordOff{});
        ASSERT_TRUE(Eventually([&] { return recordings.recording.load() == 0; }));
    }
    // Plays until the device closes, finishing buffers one at a time.
    void PlayToTheEnd() {
        ASSERT_TRUE(sound.WaitForQueued(DeviceDirection::Output, 1, 5s));
        while (sound.IsOpen(DeviceDirection::Output)) {
            sound.Complete(DeviceDirection::Output);
            std::this_thread::sleep_for(1ms);
        }
    }
};

TEST_F(Recorder, EveryBlockOfATwoBlockRecordingIsPlayed) {
    Record(2);
    recorder.send(recorder::Play{});
    PlayToTheEnd();
    ASSERT_TRUE(Eventually([&] { return !recorder.IsPlaying(); }));
    const auto samples = sound.LastPlayedSamples();
    ASSERT_EQ(samples.size(), 2u * kBlockFrames);
    EXPECT_EQ(samples[0], 100);
    EXPECT_EQ(samples[kBlockFrames], 200);
}

TEST_F(Recorder, AOneBlockRecordingIsPlayedAndAnEmptyOneOpensAndCloses) {
    recorder.send(recorder::Play{});
    ASSERT_TRUE(Eventually([&] { return sound.OpenCount(DeviceDirection::Output) == 1; }));
    ASSERT_TRUE(sound.WaitForClosed(DeviceDirection::Output, 5s));
    EXPECT_FALSE(recorder.IsPlaying());
    Record(1);
    recorder.send(recorder::Play{});
    PlayToTheEnd();
    EXPECT_EQ(sound.LastPlayedSamples().size(), static_cast<std::size_t>(kBlockFrames));
}

TEST_F(Recorder, PlayAgainRestartsFromTheOldestAndTheMonitorSeesThePlayedBlock) {
    Record(5);
    recorder.send(recorder::Play{});
    ASSERT_TRUE(sound.WaitForQueued(DeviceDirection::Output, 2, 5s));
    std::vector<int16_t> monitor(kBlockFrames);
    ASSERT_TRUE(recorder.CopyPlaybackBlock(monitor));
    EXPECT_EQ(monitor[0], 200) << "the block most recently handed to the output";
    sound.Complete(DeviceDirection::Output);
    // "Play" while playing: the view stops first, then plays from the oldest block again.
    recorder.send(recorder::RecordOff{});
    recorder.send(recorder::StopPlayback{});
    recorder.send(recorder::Play{});
    ASSERT_TRUE(Eventually([&] { return sound.OpenCount(DeviceDirection::Output) == 2; }));
    PlayToTheEnd();
    const auto samples = sound.LastPlayedSamples();
    ASSERT_EQ(samples.size(), 5u * kBlockFrames);
    EXPECT_EQ(samples[0], 100);
    EXPECT_EQ(samples[4 * kBlockFrames], 500);
    EXPECT_FALSE(recorder.CopyPlaybackBlock(monitor)) << "nothing to monitor after the end";
}

TEST_F(Recorder, RecordWhilePlayingStopsPlaybackAndRecordsAfresh) {
    Record(3);
    recorder.send(recorder::Play{});
    ASSERT_TRUE(sound.WaitForQueued(DeviceDirection::Output, 2, 5s));
    recorder.send(recorder::StopPlayback{});
    recorder.send(recorder::RecordOn{});
    recordings.Clear();
    ASSERT_TRUE(sound.WaitForClosed(DeviceDirection::Output, 5s));
    ASSERT_TRUE(Eventually([&] { return recordings.recording.load() == 1; }));
    EXPECT_FALSE(recorder.IsPlaying());
    EXPECT_EQ(recordings.Count(), 0);
}

TEST_F(Recorder, ADeviceThatWillNotOpenShowsTheErrorBox) {
    Record(2);
    sound.SetOpenResult(DeviceDirection::Output, kDeviceNoDriver);
    recorder.send(recorder::Play{});
    ASSERT_TRUE(Eventually([&] { return !notifier.Texts().empty(); }));
    EXPECT_EQ(notifier.Texts()[0].rfind("Alert|Error = 0x00000006, : ", 0), 0u)
        << notifier.Texts()[0];
    EXPECT_FALSE(recorder.IsPlaying());
}

}  // namespace
}  // namespace tonavise
