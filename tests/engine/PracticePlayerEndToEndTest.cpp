// The practice player end to end through each real back end and the private sound server
// (scripts/with-sound-server.sh): what it plays comes back from the sink's monitor and is
// measured. A seek while playing goes on from the new place; an A–B loop repeats without a gap
// or a click; slower keeps the pitch and transposed keeps the length. Skipped without such a
// server.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <numbers>
#include <thread>
#include <vector>

#include "DeviceTestSupport.h"
#include "LiveRig.h"
#include "SoundServerSupport.h"
#include "TestSupport.h"
#include "engine/live/LiveEngine.h"
#include "engine/live/PlayerThread.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;

// The player's position reports as they come.
class Positions final : public PlayerListener {
  public:
    void OnPlayerPosition(int64_t position, int64_t) override {
        std::lock_guard g(mutex_);
        all_.push_back(position);
    }
    void OnPlayerLoaded(int64_t) override {}
    std::vector<int64_t> All() {
        std::lock_guard g(mutex_);
        return all_;
    }

  private:
    std::mutex mutex_;
    std::vector<int64_t> all_;
};

std::string MonoWav(test::TempDir& dir, const std::string& name, const std::vector<int16_t>& s) {
    return dir.Write(name,
                     test::RiffWave(test::Chunk("fmt ", test::FmtBody(1, 1, 44100, 2, 16)) +
                                    test::Chunk("data", test::Bytes(s))));
}

class PracticePlayerEndToEnd : public ::testing::TestWithParam<SoundBackend> {
  protected:
    void SetUp() override {
        if (!test::HasPrivateServer()) {
            GTEST_SKIP() << "no private sound server: run through scripts/with-sound-server.sh";
        }
        test::OpenServerBackend(GetParam(), devices);
        rig = std::make_unique<test::LiveRig>(*devices, 1, 60.0);
        ASSERT_TRUE(rig->Start());
        ASSERT_TRUE(rig->tape.WaitForFrames(kBlockFrames, 15s));
    }
    void TearDown() override {
        if (rig) {
            rig->engine.StopFile();
            rig->Stop();
            EXPECT_TRUE(rig->notifier.Texts().empty());
        }
    }
    PlayerThread& Player() { return *rig->engine.workers().player; }
    // Lets the file play for `time`: the player feeds the scope and reports its position to
    // `positions` by itself every 100 ms.
    static void PlayFor(std::chrono::milliseconds time) { std::this_thread::sleep_for(time); }
    // Windows of 5 ms without half the tone's swing between the first and the last loud sample:
    // gaps (the last window may hold the fading end).
    static int Gaps(const std::vector<int16_t>& heard, int64_t first, int64_t last) {
        int gaps = 0;
        for (int64_t w = first; w + 220 <= last; w += 220) {
            gaps += *std::max_element(heard.begin() + w, heard.begin() + w + 220) < 6000;
        }
        return gaps;
    }
    // Plays `wav` from its start and gives what came back from the monitor.
    std::vector<int16_t> PlayWhole(const std::string& wav) {
        rig->engine.OpenFile(wav, &positions);
        const int64_t from = rig->tape.Frames();
        rig->engine.PlayFile(0);
        EXPECT_TRUE(test::WaitUntil([&] { return Player().IsPlaying(); }, 15s));
        EXPECT_TRUE(test::WaitUntil([&] { return !Player().IsPlaying(); }, 30s));
        EXPECT_TRUE(rig->tape.WaitForFrames(rig->tape.Frames() + kSampleRate / 2, 15s));
        return rig->tape.Channel(0, from);
    }

    std::unique_ptr<DeviceFactory> devices;
    std::unique_ptr<test::LiveRig> rig;
    test::TempDir dir;
    Positions positions;
};

TEST_P(PracticePlayerEndToEnd, ASeekWhilePlayingGoesOnFromTheNewPlace) {
    // A glide whose frequency tells the time: 300 Hz + 100 Hz a second.
    std::vector<int16_t> glide(44100 * 6);
    for (std::size_t i = 0; i < glide.size(); ++i) {
        const double t = static_cast<double>(i) / 44100;
        glide[i] = static_cast<int16_t>(
            std::lround(12000 * std::sin(2 * std::numbers::pi * (300 * t + 50 * t * t))));
    }
    rig->engine.OpenFile(MonoWav(dir, "glide.wav", glide), &positions);
    rig->engine.PlayFile(0);
    ASSERT_TRUE(test::WaitUntil([&] { return Player().IsPlaying(); }, 15s));
    PlayFor(1200ms);
    // As the slider's release does: Stop, then Play from 4.0 s (700 Hz), far from anything the
    // first play can have reached (under 2.5 s, 550 Hz, even on a slow machine).
    const int64_t seekFrame = rig->tape.Frames();
    const std::size_t reportsBefore = positions.All().size();
    rig->engine.StopFile();
    rig->engine.PlayFile(4 * 44100 * 2);
    PlayFor(1500ms);
    ASSERT_TRUE(Player().IsPlaying());

    // The reported position runs on from 4.0 s: the first report of the new play is at most a
    // feed's time past it.
    const std::vector<int64_t> all = positions.All();
    const auto resumed = std::find_if(all.begin() + static_cast<std::ptrdiff_t>(reportsBefore),
                                      all.end(),
                                      [](int64_t p) { return p >= 4 * 44100 * 2; });
    ASSERT_NE(resumed, all.end());
    EXPECT_LE(*resumed, (4 * 44100 + 44100 * 6 / 100) * 2) << "the new play starts at 4.0 s";

    // What is heard of the new play starts at 4.0 s of the glide. Its start is the first loud
    // 10 ms above 625 Hz: a back end that stops and starts at once leaves no silence between
    // the two plays, and the zero crossings of 10 ms read a tone only to within 50 Hz, so the
    // line lies well clear of both (the old play's at most 550 Hz, the new one's 700 Hz).
    ASSERT_TRUE(rig->tape.WaitForFrames(seekFrame + 44100, 15s));
    const std::vector<int16_t> heard = rig->tape.Channel(0, seekFrame);
    int64_t onset = -1;
    for (int64_t w = 0; onset < 0 && w + 441 + 220 + 1764 <= static_cast<int64_t>(heard.size());
         w += 441) {
        const std::span<const int16_t> part(heard.data() + w, 441);
        const bool loud = *std::max_element(part.begin(), part.end()) > 6000;
        if (loud && test::ZeroCrossingHz(part, 44100) > 625) {
            onset = w;
        }
    }
    ASSERT_GE(onset, 0) << "the new play is heard";
    const std::span<const int16_t> window(heard.data() + onset + 220, 1764);  // 40 ms
    const double hz = test::ZeroCrossingHz(window, 44100);
    const double at = (hz - 300) / 100 - (220 + 882) / 44100.0;
    std::printf("after the seek to 4.0 s the sound starts at %.3f s of the file\n", at);
    RecordProperty("seek_heard_start_s", std::to_string(at));
    EXPECT_NEAR(at, 4.0, 0.05);
}

TEST_P(PracticePlayerEndToEnd, ALoopOfOneSecondRepeatsWithoutAGapOrAClick) {
    const std::vector<int16_t> tone = test::Sine(440, 12000, 44100 * 4);
    rig->engine.OpenFile(MonoWav(dir, "a440.wav", tone), &positions);
    ASSERT_TRUE(Player().PostLoop(44100 * 2, 2 * 44100 * 2));
    rig->engine.PlayFile(44100 * 2);
    ASSERT_TRUE(test::WaitUntil([&] { return Player().IsPlaying(); }, 15s));
    const int64_t from = rig->tape.Frames();
    PlayFor(4000ms);
    ASSERT_TRUE(Player().IsPlaying()) << "a loop plays until stopped";
    const std::vector<int16_t> heard = rig->tape.Channel(0, from);
    const std::vector<int64_t> onsets = test::Onsets(heard, 3000, 441);
    ASSERT_FALSE(onsets.empty());
    // Three seconds of the loop, from 0.1 s after the sound began: at least two joints.
    const int64_t first = onsets.front() + 4410;
    ASSERT_GE(static_cast<int64_t>(heard.size()), first + 3 * 44100);
    const std::span<const int16_t> loop(heard.data() + first, 3 * 44100);
    // No gap: every 5 ms holds a full swing of the tone.
    int weakest = 32767;
    for (std::size_t w = 0; w + 220 <= loop.size(); w += 220) {
        const auto* peak = std::max_element(loop.data() + w, loop.data() + w + 220);
        weakest = std::min(weakest, static_cast<int>(*peak));
    }
    // No click: no bend much sharper than the tone's own (its second difference is at most
    // A (2 pi f / rate)^2, 47 here; the joint's crossfade bends a little more).
    int sharpest = 0;
    for (std::size_t i = 1; i + 1 < loop.size(); ++i) {
        sharpest = std::max(sharpest, std::abs(loop[i + 1] - 2 * loop[i] + loop[i - 1]));
    }
    std::printf("loop: weakest 5 ms peak %d, sharpest bend %d\n", weakest, sharpest);
    RecordProperty("loop_weakest_peak", std::to_string(weakest));
    RecordProperty("loop_sharpest_bend", std::to_string(sharpest));
    EXPECT_GE(weakest, 11000);
    EXPECT_LE(sharpest, 600);
    // The positions went back to A at least twice and stayed in the loop.
    const std::vector<int64_t> all = positions.All();
    int jumpsBack = 0;
    for (std::size_t i = 1; i < all.size(); ++i) {
        jumpsBack += all[i] < all[i - 1];
        EXPECT_LE(all[i], 2 * 44100 * 2 + 44100 / 10 * 2) << i;
    }
    EXPECT_GE(jumpsBack, 2);
}

// A start, a pause, a resume, a seek and a stop in the middle of a tone: none of them bends the
// sound more sharply than the tone itself does, because each fades (a cut mid-wave would jump
// by up to the tone's whole swing in one sample).
TEST_P(PracticePlayerEndToEnd, StartsPausesSeeksAndStopsFadeWithoutAClick) {
    const std::vector<int16_t> tone = test::Sine(440, 12000, 44100 * 6);
    rig->engine.OpenFile(MonoWav(dir, "a440.wav", tone), &positions);
    const int64_t from = rig->tape.Frames();
    rig->engine.PlayFile(44100 * 2 / 3 + 100);  // not at a zero crossing
    ASSERT_TRUE(test::WaitUntil([&] { return Player().IsPlaying(); }, 15s));
    PlayFor(500ms);
    rig->engine.PauseFile();
    PlayFor(300ms);
    rig->engine.ResumeFile();
    PlayFor(500ms);
    rig->engine.StopFile();  // a seek, as the slider's release makes it
    rig->engine.PlayFile(3 * 44100 * 2 + 2 * 37);
    PlayFor(500ms);
    rig->engine.StopFile();
    ASSERT_TRUE(test::WaitUntil([&] { return !Player().IsPlaying(); }, 5s));
    ASSERT_TRUE(rig->tape.WaitForFrames(rig->tape.Frames() + kSampleRate / 4, 15s));
    const std::vector<int16_t> heard = rig->tape.Channel(0, from);
    // The tone's own second difference is at most A (2 pi f / rate)^2, 47 here; a 5 ms fade
    // adds little to it, a cut mid-wave up to the tone's whole swing.
    int sharpest = 0;
    int64_t at = 0;
    for (std::size_t i = 1; i + 1 < heard.size(); ++i) {
        const int bend = std::abs(heard[i + 1] - 2 * heard[i] + heard[i - 1]);
        if (bend > sharpest) {
            sharpest = bend;
            at = static_cast<int64_t>(i);
        }
    }
    const std::vector<int64_t> onsets = test::Onsets(heard, 3000, 441);
    std::printf("start, pause, resume, seek, stop: %zu onsets, sharpest bend %d at %.3f s\n",
                onsets.size(),
                sharpest,
                static_cast<double>(at) / kSampleRate);
    RecordProperty("fade_sharpest_bend", std::to_string(sharpest));
    EXPECT_GE(onsets.size(), 3U) << "the start, the resume and the seek are heard";
    EXPECT_LE(sharpest, 100);
}

// B set while the file plays, a little ahead of what is heard (inside the 0.3 s the player
// renders ahead): the first pass ends at B, as every later one does, instead of running on.
TEST_P(PracticePlayerEndToEnd, ALateBEndsTheFirstPassThere) {
    const std::vector<int16_t> tone = test::Sine(440, 12000, 44100 * 6);
    rig->engine.OpenFile(MonoWav(dir, "a440.wav", tone), &positions);
    rig->engine.PlayFile(0);
    ASSERT_TRUE(test::WaitUntil([&] { return Player().IsPlaying(); }, 15s));
    PlayFor(1000ms);
    const int64_t heard = positions.All().back();
    const int64_t b = heard + 44100 * 2 / 5;  // 0.2 s ahead
    const std::size_t before = positions.All().size();
    rig->engine.SetPlayerLoop(44100 * 2 / 2, b);
    PlayFor(1500ms);
    const std::vector<int64_t> all = positions.All();
    int64_t furthest = 0;
    bool backToA = false;
    for (std::size_t i = before; i < all.size(); ++i) {
        if (!backToA) {
            furthest = std::max(furthest, all[i]);
        }
        backToA = backToA || all[i] < heard;
    }
    std::printf("B %.3f s: the first pass reached %.3f s\n",
                static_cast<double>(b) / 88200,
                static_cast<double>(furthest) / 88200);
    EXPECT_TRUE(backToA);
    EXPECT_LE(furthest, b + 88200 / 50) << "no further than 20 ms past B";
}

TEST_P(PracticePlayerEndToEnd, SlowerKeepsThePitchAndTransposedKeepsTheLength) {
    const std::string wav = MonoWav(dir, "a440.wav", test::Sine(440, 12000, 44100 * 3 / 2));
    ASSERT_TRUE(Player().PostSpeed(75));
    std::vector<int16_t> heard = PlayWhole(wav);
    int64_t first = test::FirstLoud(heard, 6000);
    int64_t last = test::LastLoud(heard, 6000);
    ASSERT_GE(first, 0);
    double seconds = static_cast<double>(last - first + 1) / 44100;
    double hz = test::ZeroCrossingHz(std::span(heard.data() + first + 11025, 44100), 44100);
    std::printf("75 %%: %.3f s heard (file 1.5 s), %.2f Hz, %d gaps\n",
                seconds,
                hz,
                Gaps(heard, first, last));
    RecordProperty("slow_heard_s", std::to_string(seconds));
    RecordProperty("slow_hz", std::to_string(hz));
    EXPECT_NEAR(seconds, 2.0, 0.05);
    EXPECT_NEAR(hz, 440.0, 0.5);
    EXPECT_LE(Gaps(heard, first, last), 1);

    ASSERT_TRUE(Player().PostSpeed(100));
    ASSERT_TRUE(Player().PostTranspose(-2));
    heard = PlayWhole(wav);
    first = test::FirstLoud(heard, 6000);
    last = test::LastLoud(heard, 6000);
    ASSERT_GE(first, 0);
    seconds = static_cast<double>(last - first + 1) / 44100;
    hz = test::ZeroCrossingHz(std::span(heard.data() + first + 11025, 44100), 44100);
    std::printf(
        "-2 semitones: %.3f s heard, %.2f Hz, %d gaps\n", seconds, hz, Gaps(heard, first, last));
    RecordProperty("transposed_heard_s", std::to_string(seconds));
    RecordProperty("transposed_hz", std::to_string(hz));
    EXPECT_NEAR(seconds, 1.5, 0.05);
    EXPECT_NEAR(hz, 392.0, 0.5);
    EXPECT_LE(Gaps(heard, first, last), 1);
}

INSTANTIATE_TEST_SUITE_P(Backends,
                         PracticePlayerEndToEnd,
                         test::kServerBackends,
                         test::BackendLabel);

}  // namespace
}  // namespace tonavise
