// The device layer's contract, on the virtual back end.
#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

#include "DeviceTestSupport.h"
#include "engine/device/PortAudioSound.h"
#include "engine/device/SoundDevice.h"
#include "engine/device/VirtualSound.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;
using test::CompletionRecorder;

constexpr auto kIn = DeviceDirection::Input;
constexpr auto kOut = DeviceDirection::Output;

struct Buffer {
    std::vector<int16_t> samples;
    WaveHeader header;
    explicit Buffer(std::size_t n, int16_t fill = 0) : samples(n, fill) {
        header.Describe(samples.data(), static_cast<uint32_t>(n * sizeof(int16_t)));
    }
};

class DeviceTest : public ::testing::Test {
  protected:
    void SetUp() override { owner.start(); }

    CompletionRecorder owner;
    VirtualSoundSystem system;
};

TEST_F(DeviceTest, InputFillsBuffersInQueueOrderWithOneCompletionEach) {
    system.SetInputSignal([](int64_t frame, int channel) { return frame * 2 + channel; });
    auto device = system.Create(kIn, StreamRole::Microphone);
    ASSERT_EQ(device->Open(PcmFormat(2), owner), kDeviceOk);
    std::vector<std::unique_ptr<Buffer>> buffers;
    for (int i = 0; i < 3; ++i) {
        buffers.push_back(std::make_unique<Buffer>(200));  // 100 stereo frames
        ASSERT_EQ(device->Prepare(buffers[i]->header), kDeviceOk);
        ASSERT_EQ(device->Queue(buffers[i]->header), kDeviceOk);
    }
    EXPECT_EQ(system.Complete(kIn), 0) << "nothing is captured before Start";
    ASSERT_EQ(device->Start(), kDeviceOk);

    // 150 frames: the first buffer is full, the second half full.
    system.Advance(kIn, 150);
    ASSERT_TRUE(owner.WaitForCount(1, 5s));
    EXPECT_TRUE(buffers[0]->header.IsDone());
    EXPECT_FALSE(buffers[1]->header.IsDone());
    EXPECT_EQ(system.Complete(kIn, 5), 2);
    ASSERT_TRUE(owner.WaitForCount(3, 5s));

    const auto entries = owner.Entries();
    ASSERT_EQ(entries.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(entries[i].event.kind, DeviceEvent::Kind::Filled);
        EXPECT_EQ(entries[i].event.device, device.get());
        EXPECT_EQ(entries[i].event.header, &buffers[i]->header);
        const WaveHeader& h = buffers[i]->header;
        EXPECT_EQ(h.flags.load() & (kHeaderDone | kHeaderInQueue | kHeaderPrepared),
                  kHeaderDone | kHeaderPrepared);
        EXPECT_EQ(h.bytesRecorded.load(), 400u);
        for (int f = 0; f < 100; ++f) {
            ASSERT_EQ(buffers[i]->samples[2 * f], (i * 100 + f) * 2) << i << " " << f;
            ASSERT_EQ(buffers[i]->samples[2 * f + 1], (i * 100 + f) * 2 + 1);
        }
    }
    EXPECT_EQ(device->Position(), 3 * 400);

    // With no buffer queued the sound is lost, and counted.
    system.Advance(kIn, 40);
    EXPECT_EQ(device->DroppedFrames(), 40u);
    EXPECT_EQ(device->Close(), kDeviceOk);
}

TEST_F(DeviceTest, AnInputLoopRepeatsOnEveryChannel) {
    system.SetInputLoop({5, -6, 7});
    auto device = system.Create(kIn, StreamRole::Microphone);
    ASSERT_EQ(device->Open(PcmFormat(2), owner), kDeviceOk);
    Buffer a(16);  // 8 stereo frames
    device->Prepare(a.header);
    device->Queue(a.header);
    device->Start();
    EXPECT_EQ(system.Complete(kIn), 1);
    EXPECT_EQ(a.samples,
              (std::vector<int16_t>{5, 5, -6, -6, 7, 7, 5, 5, -6, -6, 7, 7, 5, 5, -6, -6}));
    device->Close();
}

TEST_F(DeviceTest, ResetStopsAtOnceAndGivesEveryQueuedBufferBackDone) {
    system.SetInputSignal([](int64_t, int) { return 1000.0; });
    auto device = system.Create(kIn, StreamRole::Microphone);
    ASSERT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk);
    Buffer a(100);
    Buffer b(100);
    for (Buffer* x : {&a, &b}) {
        device->Prepare(x->header);
        device->Queue(x->header);
    }
    device->Start();
    system.Advance(kIn, 30);
    ASSERT_EQ(device->Reset(), kDeviceOk);
    ASSERT_TRUE(owner.WaitForCount(2, 5s));
    EXPECT_TRUE(a.header.IsDone());
    EXPECT_TRUE(b.header.IsDone());
    EXPECT_EQ(a.header.bytesRecorded.load(), 60u) << "the partly filled buffer says how much";
    EXPECT_EQ(b.header.bytesRecorded.load(), 0u);
    EXPECT_EQ(a.samples[29], 1000);
    EXPECT_EQ(a.samples[30], 0);
    EXPECT_EQ(device->QueuedCount(), 0);

    // Stopped until the next Start: time passes without capture.
    device->Queue(a.header);
    EXPECT_EQ(system.Complete(kIn), 0);
    device->Start();
    EXPECT_EQ(system.Complete(kIn), 1);
    ASSERT_TRUE(owner.WaitForCount(3, 5s));
    EXPECT_EQ(owner.Entries().size(), 3u);

    // Close resets too: a queued buffer comes back done with its completion.
    device->Queue(b.header);
    EXPECT_EQ(device->Close(), kDeviceOk);
    ASSERT_TRUE(owner.WaitForCount(4, 5s));
    EXPECT_TRUE(b.header.IsDone());
    EXPECT_FALSE(device->IsOpen());
}

TEST_F(DeviceTest, OutputPlaysInOrderThenSilenceAndReportsPlayedBytesFromItsClock) {
    auto device = system.Create(kOut, StreamRole::Player);
    ASSERT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk);
    Buffer a(1000, 7);
    Buffer b(1000, -9);
    for (Buffer* x : {&a, &b}) {
        device->Prepare(x->header);
        device->Queue(x->header);  // the first queue starts playback
    }
    EXPECT_EQ(device->Position(), 0);
    system.Advance(kOut, 500);
    EXPECT_EQ(device->Position(), 1000);
    system.Advance(kOut, 2000);  // past the end: 500 more frames of silence
    ASSERT_TRUE(owner.WaitForCount(2, 5s));
    EXPECT_EQ(device->Position(), 4000) << "silence after the last buffer does not count";

    const auto played = system.LastPlayedSamples();
    ASSERT_EQ(played.size(), 2500u);
    EXPECT_EQ(played[0], 7);
    EXPECT_EQ(played[999], 7);
    EXPECT_EQ(played[1000], -9);
    EXPECT_EQ(played[1999], -9);
    EXPECT_EQ(played[2000], 0);
    // Once the last byte has reached the output, the owner hears that it has played out.
    ASSERT_TRUE(owner.WaitForCount(3, 5s));
    const auto entries = owner.Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].event.kind, DeviceEvent::Kind::Played);
    EXPECT_EQ(entries[0].event.header, &a.header);
    EXPECT_EQ(entries[1].event.header, &b.header);
    EXPECT_EQ(entries[2].event.kind, DeviceEvent::Kind::PlayedOut);
    device->Close();
}

// A held start lets the owner queue all its first buffers before the stream asks for sound, so
// that its first request never finds only the first one.
TEST_F(DeviceTest, AHeldStartBeginsAtStartWithEverythingQueued) {
    auto device = system.Create(kOut, StreamRole::Player);
    ASSERT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk);
    Buffer a(1000, 3);
    Buffer b(1000, 4);
    ASSERT_EQ(device->HoldStart(), kDeviceOk);
    device->Prepare(a.header);
    device->Queue(a.header);
    system.Advance(kOut, 500);
    EXPECT_EQ(device->Position(), 0) << "the stream waits for Start";
    device->Prepare(b.header);
    device->Queue(b.header);
    ASSERT_EQ(device->Start(), kDeviceOk);
    system.Advance(kOut, 1500);
    const auto played = system.LastPlayedSamples();
    ASSERT_EQ(played.size(), 1500u);
    EXPECT_EQ(played[999], 3);
    EXPECT_EQ(played[1000], 4);
    device->Close();
}

TEST_F(DeviceTest, PauseHoldsTheBuffersAndThePositionUntilRestart) {
    auto device = system.Create(kOut, StreamRole::Player);
    ASSERT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk);
    Buffer a(1000, 5);
    device->Prepare(a.header);
    device->Queue(a.header);
    system.Advance(kOut, 300);
    ASSERT_EQ(device->Pause(), kDeviceOk);
    system.Advance(kOut, 400);
    EXPECT_EQ(device->Position(), 600);
    EXPECT_EQ(system.Complete(kOut), 0);
    EXPECT_FALSE(a.header.IsDone());
    ASSERT_EQ(device->Restart(), kDeviceOk);
    EXPECT_EQ(system.Complete(kOut), 1);
    EXPECT_EQ(device->Position(), 2000);
    const auto played = system.LastPlayedSamples();
    ASSERT_EQ(played.size(), 1400u);
    EXPECT_EQ(played[299], 5);
    EXPECT_EQ(played[300], 0);  // the pause
    EXPECT_EQ(played[699], 0);
    EXPECT_EQ(played[700], 5);

    ASSERT_EQ(device->Reset(), kDeviceOk);
    EXPECT_EQ(device->Position(), 0) << "a reset starts the count again";
    device->Close();
}

// A pause, a restart and a stop that fade: the sound falls to silence (and rises again) over
// the frames asked for without a step larger than the ramp's own, the pause keeps the rest, and
// the stop gives the rest of the queue back unplayed and then reports the end heard.
TEST_F(DeviceTest, FadesToAPauseBackAndToTheEndWithoutAStep) {
    auto device = system.Create(kOut, StreamRole::Player);
    ASSERT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk);
    std::array<Buffer, 3> buffers{Buffer(1000, 20000), Buffer(1000, 20000), Buffer(1000, 20000)};
    for (Buffer& x : buffers) {
        device->Prepare(x.header);
        device->Queue(x.header);
    }
    system.Advance(kOut, 300);
    ASSERT_EQ(device->Pause(100), kDeviceOk);
    system.Advance(kOut, 200);
    ASSERT_EQ(device->Restart(100), kDeviceOk);
    system.Advance(kOut, 300);
    ASSERT_EQ(device->FadeOutAndEnd(100), kDeviceOk);
    system.Advance(kOut, 400);
    ASSERT_TRUE(owner.WaitForCount(4, 5s));

    const auto played = system.LastPlayedSamples();
    ASSERT_EQ(played.size(), 1200u);
    int steepest = 0;
    for (std::size_t i = 1; i < played.size(); ++i) {
        steepest = std::max(steepest, std::abs(played[i] - played[i - 1]));
    }
    // A raised cosine over 100 frames changes by at most 20000 x pi / 2 / 101 a frame.
    EXPECT_LE(steepest, 315);
    EXPECT_GT(played[300], 19900);
    EXPECT_LT(played[399], 100);
    EXPECT_EQ(played[400], 0) << "paused after the fade";
    EXPECT_EQ(played[499], 0);
    EXPECT_LT(played[500], 100) << "the restart fades in";
    EXPECT_EQ(played[600], 20000);
    EXPECT_EQ(played[799], 20000);
    EXPECT_LT(played[899], 100);
    EXPECT_EQ(played[900], 0) << "the end";
    EXPECT_EQ(device->Position(), 800 * 2) << "the position counts the sound handed over, no more";
    const auto entries = owner.Entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[2].event.header, &buffers[2].header) << "given back unplayed";
    EXPECT_EQ(entries[3].event.kind, DeviceEvent::Kind::PlayedOut);
    device->Close();
}

// A fade asked to begin further on leaves the sound as it is up to there, even across
// callbacks and buffers, then ends it as at once.
TEST_F(DeviceTest, AFadeOutCanBeginAtAPlaceStillToCome) {
    auto device = system.Create(kOut, StreamRole::Player);
    ASSERT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk);
    std::array<Buffer, 2> buffers{Buffer(1000, 20000), Buffer(1000, 20000)};
    for (Buffer& x : buffers) {
        device->Prepare(x.header);
        device->Queue(x.header);
    }
    system.Advance(kOut, 100);
    ASSERT_EQ(device->FadeOutAndEnd(100, 1250 * 2), kDeviceOk);
    for (int i = 0; i < 10; ++i) {
        system.Advance(kOut, 170);  // callbacks that straddle the fade's start and end
    }
    ASSERT_TRUE(owner.WaitForCount(3, 5s));
    const auto played = system.LastPlayedSamples();
    EXPECT_EQ(played[1249], 20000);
    EXPECT_GT(played[1250], 19900);
    EXPECT_LT(played[1349], 100);
    EXPECT_EQ(played[1350], 0);
    EXPECT_EQ(device->Position(), 1350 * 2);
    device->Close();
}

TEST_F(DeviceTest, EightBitOutputPadsWithItsOwnSilence) {
    auto device = system.Create(kOut, StreamRole::Player);
    ASSERT_EQ(device->Open(PcmFormat(1, 11025, 8), owner), kDeviceOk);
    std::array<uint8_t, 10> bytes{};
    bytes.fill(200);
    WaveHeader h;
    h.Describe(bytes.data(), 10);
    device->Prepare(h);
    device->Queue(h);
    system.Advance(kOut, 20);
    const auto sound = system.Played(system.PlayedCount() - 1);
    ASSERT_EQ(sound.bytes.size(), 20u);
    EXPECT_EQ(sound.bytes[9], 200);
    EXPECT_EQ(sound.bytes[10], 0x80);
    EXPECT_EQ(sound.format.samplesPerSec, 11025u);
    device->Close();
}

TEST_F(DeviceTest, MisuseIsRefusedWithACode) {
    auto device = system.Create(kOut, StreamRole::Player);
    Buffer a(10);
    EXPECT_EQ(device->Prepare(a.header), kDeviceNotOpen);
    EXPECT_EQ(device->Queue(a.header), kDeviceNotOpen);
    EXPECT_EQ(device->Reset(), kDeviceNotOpen);
    EXPECT_EQ(device->Close(), kDeviceNotOpen);
    EXPECT_EQ(device->Position(), 0);

    WaveFormat odd = PcmFormat(2);
    odd.bitsPerSample = 24;
    EXPECT_EQ(device->Open(odd, owner), kDeviceBadFormat);
    EXPECT_EQ(device->Open(PcmFormat(3), owner), kDeviceBadFormat);
    WaveFormat mp3 = PcmFormat(1);
    mp3.formatTag = kFormatMpegLayer3;
    EXPECT_EQ(device->Open(mp3, owner), kDeviceBadFormat);

    ASSERT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk);
    EXPECT_EQ(device->Open(PcmFormat(1), owner), kDeviceAlreadyOpen);
    EXPECT_EQ(device->Queue(a.header), kDeviceUnprepared);
    WaveHeader empty;
    EXPECT_EQ(device->Prepare(empty), kDeviceInvalidParam);
    device->Prepare(a.header);
    EXPECT_EQ(device->Queue(a.header), kDeviceOk);
    EXPECT_EQ(device->Queue(a.header), kDeviceStillPlaying);
    EXPECT_EQ(device->Unprepare(a.header), kDeviceStillPlaying);
    auto input = system.Create(kIn, StreamRole::Microphone);
    ASSERT_EQ(input->Open(PcmFormat(1), owner), kDeviceOk);
    EXPECT_EQ(input->HoldStart(), kDeviceInvalidParam) << "only an output's start waits";
    input->Close();
    device->Reset();
    EXPECT_EQ(device->Unprepare(a.header), kDeviceOk);
    EXPECT_EQ(a.header.flags.load() & kHeaderPrepared, 0u);
    device->Close();
}

TEST_F(DeviceTest, OpenFailureGivesACodeAndTheTextForTheErrorBox) {
    system.SetOpenResult(kIn, kDeviceNoDriver);
    auto device = system.Create(kIn, StreamRole::Microphone);
    const DeviceResult r = device->Open(PcmFormat(1), owner);
    EXPECT_EQ(r, kDeviceNoDriver);
    EXPECT_FALSE(device->IsOpen());
    EXPECT_EQ(DeviceErrorText(r, device->ErrorText(r)),
              "Error = 0x00000006, : No sound device is available.");

    test::SharedNotifier notifier;
    ShowDeviceError(notifier, *device, r);
    EXPECT_EQ(notifier.Captions(), std::vector<std::string>{"Alert"});
    EXPECT_EQ(notifier.Icons(), std::vector<MessageIcon>{MessageIcon::None});

    // PortAudio's codes are negative: the box shows their two's complement.
    EXPECT_EQ(DeviceErrorText(-9996, PortAudioSystem::ErrorTextFor(-9996)),
              "Error = 0xffffd8f4, : Invalid device");
    // The device's text is cut to 255 characters.
    EXPECT_EQ(DeviceErrorText(1, std::string(400, 'x')).size(), 22u + 255u);

    system.SetOpenResult(kIn, kDeviceOk);
    EXPECT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk);
    device->Close();
}

TEST_F(DeviceTest, CompletionsRefusedByAFullQueueAreDeliveredLater) {
    CompletionRecorder small(3);  // not started yet: its queue fills up
    auto device = system.Create(kIn, StreamRole::Microphone);
    ASSERT_EQ(device->Open(PcmFormat(1), small), kDeviceOk);
    std::vector<std::unique_ptr<Buffer>> buffers;
    for (int i = 0; i < 5; ++i) {
        buffers.push_back(std::make_unique<Buffer>(10));
        device->Prepare(buffers[i]->header);
        device->Queue(buffers[i]->header);
    }
    device->Start();
    EXPECT_EQ(system.Complete(kIn, 4), 4);  // three posted, one refused
    small.start();
    ASSERT_TRUE(small.WaitForCount(3, 5s));
    EXPECT_EQ(system.Complete(kIn, 1), 1);  // delivers the refused one and its own
    ASSERT_TRUE(small.WaitForCount(5, 5s));
    device->Close();
}

TEST_F(DeviceTest, OnTheClockBuffersFinishByThemselves) {
    system.StartClock(20.0);
    auto device = system.Create(kIn, StreamRole::Microphone);
    ASSERT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk);
    Buffer a(4410);
    device->Prepare(a.header);
    device->Queue(a.header);
    device->Start();
    ASSERT_TRUE(owner.WaitForCount(1, 5s));  // 100 ms of sound at 20 times real time
    EXPECT_EQ(a.header.bytesRecorded.load(), 8820u);
    device->Close();
    system.StopClock();
}

// Holds the owner's queue lock: its observer runs under that lock and waits for the test.
class LockHolder final : public PostObserver<test::OwnerCommand> {
  public:
    void OnPosted(const CommandThread<test::OwnerCommand>&,
                  const test::OwnerCommand& command) override {
        if (command != test::OwnerCommand{test::OwnerMark{kHold}}) {
            return;
        }
        std::unique_lock lock(mutex_);
        held_ = true;
        cv_.notify_all();
        cv_.wait(lock, [&] { return released_; });
    }
    void WaitHeld() {
        std::unique_lock lock(mutex_);
        cv_.wait(lock, [&] { return held_; });
    }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        cv_.notify_all();
    }
    static constexpr int kHold = 7;

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    bool held_ = false;
    bool released_ = false;
};

// The audio callback hands its completions over with atomics: an interface thread that holds
// the owner's queue lock (here: as long as the test likes) never holds up the sound.
TEST_F(DeviceTest, TheCallbackNeverWaitsForTheOwnersQueueLock) {
    auto holder = std::make_shared<LockHolder>();
    owner.setPostObserver(holder);
    auto device = system.Create(kIn, StreamRole::Microphone);
    ASSERT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk);
    Buffer a(100);
    device->Prepare(a.header);
    device->Queue(a.header);
    device->Start();
    std::thread poster([&] { owner.send(test::OwnerMark{LockHolder::kHold}); });
    holder->WaitHeld();
    auto callback = std::async(std::launch::async, [&] { return system.Complete(kIn); });
    const bool finished = callback.wait_for(5s) == std::future_status::ready;
    holder->Release();
    poster.join();
    ASSERT_TRUE(finished) << "the callback waited for the queue lock";
    EXPECT_EQ(callback.get(), 1);
    ASSERT_TRUE(owner.WaitForCount(2, 5s));
    EXPECT_EQ(owner.Entries()[0].mark, LockHolder::kHold);
    EXPECT_EQ(owner.Entries()[1].event.kind, DeviceEvent::Kind::Filled)
        << "after the mark sent before it";
    device->Close();
    owner.setPostObserver(nullptr);
}

// Output that another thread rewrites while it plays comes from a double buffer: the callback
// plays the copy published last and never waits for a writer, even one in the middle of its
// copy (the old lock made this test wait forever), and every callback's piece is one copy.
TEST_F(DeviceTest, ARewrittenBufferPlaysThePublishedCopyWithoutWaitingForTheWriter) {
    std::vector<int16_t> first(4410, 1);
    std::vector<int16_t> second(4410, 1);
    SharedPlayData shared(reinterpret_cast<uint8_t*>(first.data()),
                          reinterpret_cast<uint8_t*>(second.data()));
    WaveHeader header;
    header.Describe(first.data(), 4410 * 2);
    header.shared = &shared;
    auto device = system.Create(kOut, StreamRole::Player);
    ASSERT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk);
    device->Prepare(header);
    device->Queue(header);

    // A writer half way through its copy: the device plays the published one meanwhile.
    auto* back = reinterpret_cast<int16_t*>(shared.WriteCopy());
    std::fill_n(back, 2000, int16_t{2});
    system.Advance(kOut, 100);
    std::fill_n(back + 2000, 2410, int16_t{2});
    shared.Publish();
    system.Advance(kOut, 100);
    auto played = system.LastPlayedSamples();
    ASSERT_EQ(played.size(), 200u);
    EXPECT_EQ(played[99], 1);
    EXPECT_EQ(played[100], 2);

    // A writer that publishes without pause: every callback's piece is whole.
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        int16_t v = 3;
        while (!stop.load()) {
            std::fill_n(reinterpret_cast<int16_t*>(shared.WriteCopy()), 4410, v++);
            shared.Publish();
        }
    });
    for (int i = 0; i < 20; ++i) {
        system.Advance(kOut, 200);
    }
    stop = true;
    writer.join();
    played = system.LastPlayedSamples();
    ASSERT_EQ(played.size(), 4200u);
    for (std::size_t piece = 200; piece < played.size(); piece += 200) {
        for (std::size_t i = piece; i < piece + 200; ++i) {
            ASSERT_EQ(played[i], played[piece]) << "torn piece at " << piece;
        }
    }
    device->Close();
}

}  // namespace
}  // namespace tonavise
