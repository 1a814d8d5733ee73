// Streams that fail to start, end or stop moving sound, on the virtual devices: every thread
// notices, says why once, closes its device, and the capture comes back by itself.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "DeviceTestSupport.h"
#include "TestSupport.h"
#include "engine/device/VirtualSound.h"
#include "engine/live/CaptureThread.h"
#include "engine/live/LiveEngine.h"
#include "engine/live/PlayerThread.h"
#include "engine/live/ToneThread.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;
constexpr auto kIn = DeviceDirection::Input;
constexpr auto kOut = DeviceDirection::Output;

class DeviceFailure : public ::testing::Test {
  protected:
    void SetUp() override {
        engine.captureStore.Create();
        system.SetInputSignal([](int64_t, int) { return 1000.0; });
    }
    void TearDown() override { engine.Stop(); }

    bool Start(bool capture) {
        LiveEngine::Parts parts;
        parts.capture = capture;
        parts.recorder = false;
        parts.analysis = false;
        return engine.Start(&system, UiLanguage::English, parts);
    }

    VirtualSoundSystem system;
    test::SharedNotifier notifier;
    LiveEngine engine{notifier};
};

// The stream ends under the capture thread (a server that went away) and opens fail for a
// while: the error box once, "no input" until sound flows again, new opens every two seconds.
TEST_F(DeviceFailure, CaptureSaysOnceThatInputWasLostAndReopensUntilItWorks) {
    ASSERT_TRUE(Start(true));
    ASSERT_TRUE(system.WaitForQueued(kIn, kCapturePieceCount, 5s));
    ASSERT_EQ(system.Complete(kIn, kPiecesPerBlock), kPiecesPerBlock);
    ASSERT_TRUE(system.WaitForQueued(kIn, kCapturePieceCount, 5s));
    EXPECT_FALSE(engine.InputState().noInput);

    system.SetOpenResult(kIn, kDeviceNoDriver);
    ASSERT_TRUE(system.KillStream(kIn, kDeviceStreamEnded));
    ASSERT_TRUE(test::WaitUntil([&] { return engine.InputState().noInput; }));
    ASSERT_TRUE(system.WaitForClosed(kIn, 5s));
    EXPECT_EQ(
        notifier.Texts(),
        std::vector<std::string>{"Error = 0x00000028, : The sound system ended the sound stream."});
    // The failed reopens, one every two seconds, say nothing more.
    const int attempts = system.OpenAttempts(kIn);
    ASSERT_TRUE(test::WaitUntil([&] { return system.OpenAttempts(kIn) == attempts + 1; }, 5s));
    EXPECT_EQ(notifier.Texts().size(), 1u);
    EXPECT_TRUE(engine.InputState().noInput);

    system.SetOpenResult(kIn, kDeviceOk);
    ASSERT_TRUE(system.WaitForQueued(kIn, kCapturePieceCount, 5s)) << "reopened within 2 s";
    EXPECT_TRUE(engine.InputState().noInput) << "until a block arrives";
    ASSERT_EQ(system.Complete(kIn, kPiecesPerBlock), kPiecesPerBlock);
    ASSERT_TRUE(test::WaitUntil([&] { return !engine.InputState().noInput; }));
    EXPECT_EQ(notifier.Texts().size(), 1u);

    // Failing again before a second of sound has come is the same outage: nothing more is said.
    ASSERT_TRUE(system.KillStream(kIn, kDeviceStreamEnded));
    ASSERT_TRUE(test::WaitUntil([&] { return engine.InputState().noInput; }));
    ASSERT_TRUE(system.WaitForClosed(kIn, 5s));
    EXPECT_EQ(notifier.Texts().size(), 1u);
}

// The chosen input goes away while it captures (unplugged, or its module unloaded): the default
// takes over at once, without an error box, the chosen one is named missing by its description,
// and it is taken again once it is back.
TEST_F(DeviceFailure, AChosenInputThatGoesIsStoodInForAndTakenAgainWhenItIsBack) {
    const std::vector<SoundDeviceInfo> both = {{"usb-mic", "USB Microphone", false},
                                               {"builtin", "Built-in Audio", true}};
    system.SetDevices(kIn, both);
    system.ChooseDevice(kIn, "usb-mic");
    ASSERT_TRUE(Start(true));
    ASSERT_TRUE(system.WaitForQueued(kIn, kCapturePieceCount, 5s));
    EXPECT_EQ(system.OpenedDevice(kIn), "usb-mic");

    system.SetDevices(kIn, {both[1]});
    const int opens = system.OpenCount(kIn);
    ASSERT_TRUE(system.KillStream(kIn, kDeviceStreamEnded));
    ASSERT_TRUE(test::WaitUntil([&] { return system.OpenCount(kIn) == opens + 1; }, 1s))
        << "the default takes over at once, not after the two seconds of a lost input";
    EXPECT_EQ(system.OpenedDevice(kIn), "");
    EXPECT_EQ(system.MissingDevice(kIn), "usb-mic");
    EXPECT_EQ(system.Description("usb-mic"), "USB Microphone");
    EXPECT_EQ(system.OpenedDescription(kIn), "Built-in Audio");
    EXPECT_TRUE(notifier.Texts().empty());

    system.SetDevices(kIn, both);
    ASSERT_TRUE(test::WaitUntil([&] { return system.OpenedDevice(kIn) == "usb-mic"; }, 5s));
    EXPECT_EQ(system.MissingDevice(kIn), "");
    EXPECT_TRUE(notifier.Texts().empty());
}

// Polls `playing` on its own thread, as the tool and the buttons do, and counts the reads that
// said it had stopped.
class StopWatcher {
  public:
    explicit StopWatcher(std::function<bool()> playing)
        : thread_([this, playing = std::move(playing)] {
              while (!done_.load()) {
                  stops_ += playing() ? 0 : 1;
              }
          }) {}
    int Stops() {
        done_.store(true);
        thread_.join();
        return stops_;
    }

  private:
    std::atomic<bool> done_{false};
    int stops_ = 0;
    std::thread thread_;
};

// The same for the outputs: a tone and a play whose chosen output goes away go on at once on the
// default without an error box, and move back to the chosen output once it is back; nobody who
// asks meanwhile is told the sound stopped.
TEST_F(DeviceFailure, AChosenOutputThatGoesIsStoodInForAndTakenAgainWhenItIsBack) {
    const std::vector<SoundDeviceInfo> both = {{"usb-dac", "USB DAC", false},
                                               {"builtin", "Built-in Audio", true}};
    system.SetDevices(kOut, both);
    system.ChooseDevice(kOut, "usb-dac");
    ASSERT_TRUE(Start(false));
    engine.StartTone(kKeyA4);
    ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
    EXPECT_EQ(system.OpenedDevice(kOut), "usb-dac");

    system.SetDevices(kOut, {both[1]});
    int opens = system.OpenCount(kOut);
    StopWatcher tone([&] { return engine.workers().output->IsTonePlaying(); });
    ASSERT_TRUE(system.KillStream(kOut, kDeviceStreamEnded));
    ASSERT_TRUE(test::WaitUntil([&] { return system.OpenCount(kOut) == opens + 1; }, 1s));
    ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
    EXPECT_EQ(system.OpenedDevice(kOut), "");
    EXPECT_EQ(system.MissingDevice(kOut), "usb-dac");
    system.SetDevices(kOut, both);
    ASSERT_TRUE(test::WaitUntil([&] { return system.OpenedDevice(kOut) == "usb-dac"; }, 5s));
    ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
    EXPECT_EQ(tone.Stops(), 0);
    engine.StopOutput();
    ASSERT_TRUE(system.WaitForClosed(kOut, 5s));

    test::TempDir dir;
    const std::string wav =
        dir.Write("a.wav",
                  test::RiffWave(test::Chunk("fmt ", test::FmtBody(1, 1, 44100, 2, 16)) +
                                 test::Chunk("data", test::Bytes(test::Sine(440, 441000, 44100)))));
    engine.OpenFile(wav, nullptr);
    engine.PlayFile(44100 * 2 * 5);  // from 5 s
    ASSERT_TRUE(system.WaitForQueued(kOut, 1, 5s));
    ASSERT_TRUE(test::WaitUntil([&] { return engine.workers().player->IsPlaying(); }));
    system.SetDevices(kOut, {both[1]});
    opens = system.OpenCount(kOut);
    StopWatcher play([&] { return engine.workers().player->IsPlaying(); });
    ASSERT_TRUE(system.KillStream(kOut, kDeviceStreamEnded));
    ASSERT_TRUE(test::WaitUntil([&] { return system.OpenCount(kOut) == opens + 1; }, 1s));
    ASSERT_TRUE(system.WaitForQueued(kOut, 1, 5s));
    EXPECT_EQ(play.Stops(), 0);
    EXPECT_EQ(system.OpenedDevice(kOut), "");
    EXPECT_TRUE(notifier.Texts().empty());
}

// A stream that stops moving sound without a word (a server killed outright) is noticed by the
// stall watch; one that will not start at all is reported too. Both come back on the clock.
TEST_F(DeviceFailure, ASilentDeathAndAFailedStartAreNoticedAndTheInputComesBack) {
    system.SetStallSeconds(0.5);
    system.SetStartResult(kIn, kDeviceNoDriver);
    system.StartClock(1.0);
    ASSERT_TRUE(Start(true));
    ASSERT_TRUE(test::WaitUntil([&] { return notifier.Texts().size() == 1; }));
    EXPECT_TRUE(engine.InputState().noInput);
    EXPECT_FALSE(system.IsOpen(kIn)) << "a stream that would not start is closed";

    system.SetStartResult(kIn, kDeviceOk);
    ASSERT_TRUE(test::WaitUntil([&] { return !engine.InputState().noInput; }, 10s));
    // After a second of sound the outage is over, and the next one is told.
    ASSERT_TRUE(test::WaitUntil(
        [&] { return system.FramesPassed(kIn) > kBlocksThatEndAnOutage * kBlockFrames; }, 10s));
    ASSERT_TRUE(system.KillStream(kIn, kDeviceOk));
    ASSERT_TRUE(test::WaitUntil([&] { return notifier.Texts().size() == 2; }, 10s));
    EXPECT_EQ(notifier.Texts()[1], "Error = 0x00000029, : The sound device stopped moving sound.");
    ASSERT_TRUE(test::WaitUntil([&] { return !engine.InputState().noInput; }, 10s)) << "reopened";
    EXPECT_EQ(system.OpenCount(kIn), 3);
    system.StopClock();
}

// A play or a tone whose stream dies ends as if Stop had been pressed, with the reason.
TEST_F(DeviceFailure, APlayAndAToneWhoseStreamDiesEndWithTheReason) {
    ASSERT_TRUE(Start(false));
    test::TempDir dir;
    const std::string wav =
        dir.Write("a.wav",
                  test::RiffWave(test::Chunk("fmt ", test::FmtBody(1, 1, 44100, 2, 16)) +
                                 test::Chunk("data", test::Bytes(test::Sine(440, 8000, 44100)))));
    engine.OpenFile(wav, nullptr);
    engine.PlayFile(0);
    ASSERT_TRUE(system.WaitForQueued(kOut, 1, 5s));
    ASSERT_TRUE(test::WaitUntil([&] { return engine.workers().player->IsPlaying(); }));
    ASSERT_TRUE(system.KillStream(kOut, kDeviceStreamEnded));
    ASSERT_TRUE(test::WaitUntil([&] { return !engine.workers().player->IsPlaying(); }));
    ASSERT_TRUE(system.WaitForClosed(kOut, 5s));
    // The sound is stopped first and the reason told after it.
    ASSERT_TRUE(test::WaitUntil([&] { return notifier.Texts().size() == 1; }));

    engine.StartTone(kKeyA4);
    ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
    ASSERT_TRUE(engine.workers().output->IsTonePlaying());
    ASSERT_TRUE(system.KillStream(kOut, kDeviceStreamEnded));
    ASSERT_TRUE(test::WaitUntil([&] { return !engine.workers().output->IsTonePlaying(); }));
    ASSERT_TRUE(system.WaitForClosed(kOut, 5s));
    ASSERT_TRUE(test::WaitUntil([&] { return notifier.Texts().size() == 2; }));
    EXPECT_EQ(notifier.Texts()[1],
              "Error = 0x00000028, : The sound system ended the sound stream.");

    system.SetStartResult(kOut, kDeviceNoDriver);
    engine.StartTone(kKeyA4);
    ASSERT_TRUE(test::WaitUntil([&] { return notifier.Texts().size() == 3; }));
    EXPECT_FALSE(engine.workers().output->IsTonePlaying()) << "a tone that would not start";
}

}  // namespace
}  // namespace tonavise
