// The tone and metronome thread: the loop and the fills called directly on a thread object that
// does not run, and its message protocol on the virtual device.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "engine/device/VirtualSound.h"
#include "engine/dsp/KeyTable.h"
#include "engine/dsp/Metronome.h"
#include "engine/live/PracticeControls.h"
#include "engine/live/ToneThread.h"
#include "engine/live/WorkerCommands.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;
constexpr auto kOut = DeviceDirection::Output;
constexpr int kHalf = kOutputBufferSamples;

int16_t ToneSample(double phase) {
    return static_cast<int16_t>(
        25000.0 * (0.5 * std::sin(phase) + 0.5 * std::sin(2 * phase) + 0.1 * std::sin(3 * phase)));
}

// Handles a command on the calling thread (the thread object does not run).
void Send(ToneThread& thread, ToneCommand command) {
    thread.handle(command);
}

class ToneOutputTest : public ::testing::Test {
  protected:
    PracticeControls controls;
    KeyTable keyTable;
    VirtualSoundSystem system;
    test::SharedNotifier notifier;
};

// --- the loop and the fills, without the thread -------------------------------------------

class MetronomeLoopTest : public ToneOutputTest {
  protected:
    void SetUp() override {
        ToneOutputTest::SetUp();
        thread.InitInstance();
    }
    void TearDown() override { thread.ExitInstance(); }

    int32_t Build(int32_t tempo, const char* meter) {
        controls.tempo.store(tempo);
        controls.rhythm.store(RhythmOfMeter(meter));
        thread.BuildMetronomeLoop();
        return thread.loopLength();
    }

    ToneThread thread{controls, keyTable, system, notifier};
};

TEST_F(MetronomeLoopTest, HoldsOneBarOfAnyLength) {
    EXPECT_EQ(Build(120, "4"), 88200);    // beats of 22050
    EXPECT_EQ(Build(77, "3+2"), 171815);  // beats of 34363
    EXPECT_EQ(Build(400, "1"), 6615);     // shorter than a buffer
    // The longest bar, 16 beats at 20 a minute: 48 s.
    controls.meter.store(ParseMeter("16/4", "", "", nullptr)->Pack());
    EXPECT_EQ(Build(20, "4"), kMetronomeLoopSamples);
    // 6/8 counting the dotted quarter: three eighths a beat.
    controls.meter.store(ParseMeter("6/8", "", "", nullptr)->Pack());
    controls.dotted.store(1);
    EXPECT_EQ(Build(60, "4"), 6 * 14700);
    controls.meter.store(ParseMeter("7/8", "", "", nullptr)->Pack());
    EXPECT_EQ(Build(60, "4"), 7 * 44100) << "7/8 has no dotted beat: the tempo counts eighths";
}

// Any meter: 7/8 grouped 2+2+3 accents the bar's first beat most and each group's first beat
// more than the rest; a muted beat is silent; the written form is checked.
TEST_F(MetronomeLoopTest, AnyMeterSoundsItsAccentsAndBadOnesAreExplained) {
    std::string why;
    const std::optional<Meter> seven = ParseMeter("7/8", "2+2+3", "", &why);
    ASSERT_TRUE(seven) << why;
    controls.meter.store(seven->Pack());
    Build(240, "4");
    const auto loop = thread.metronomeLoop();
    const double gains[] = {
        kAccentGain, kBeatGain, kSecondaryGain, kBeatGain, kSecondaryGain, kBeatGain, kBeatGain};
    for (int beat = 0; beat < 7; ++beat) {
        ASSERT_EQ(loop[beat * 11025 + 200],
                  static_cast<int16_t>(ClickSound()[200] * gains[beat % 7]))
            << "beat " << beat;
    }
    controls.meter.store(ParseMeter("7/8", "", "3,0,1,1,2,1,1", &why)->Pack());
    Build(240, "4");
    EXPECT_TRUE(
        std::all_of(loop.begin() + 11025, loop.begin() + 22050, [](int16_t v) { return v == 0; }));
    EXPECT_EQ(Meter::Unpack(seven->Pack()), seven);
    EXPECT_EQ(ParseMeter("4/4", "", "", nullptr), MeterOfRhythm(RhythmOfMeter("4")))
        << "the presets sound as they did";
    EXPECT_EQ(ParseMeter("6/8", "", "", nullptr)->accents,
              MeterOfRhythm(RhythmOfMeter("6")).accents);

    EXPECT_FALSE(ParseMeter("7/9", "", "", &why));
    EXPECT_NE(why.find("N/D"), std::string::npos);
    EXPECT_FALSE(ParseMeter("17/8", "", "", &why));
    EXPECT_FALSE(ParseMeter("7/8", "2+2+2", "", &why));
    EXPECT_NE(why.find("add up to the meter's 7"), std::string::npos);
    EXPECT_FALSE(ParseMeter("7/8", "2+x", "", &why));
    EXPECT_FALSE(ParseMeter("3/4", "", "3,1", &why));
    EXPECT_NE(why.find("3 numbers from 0 to 3"), std::string::npos);
    EXPECT_FALSE(ParseMeter("3/4", "", "3,1,4", &why));
}

TEST_F(MetronomeLoopTest, EveryBeatIsTheClickScaledByItsAccentThenSilence) {
    Build(120, "4");
    const auto loop = thread.metronomeLoop();
    const auto& click = ClickSound();
    const double gains[] = {kAccentGain, kBeatGain, kSecondaryGain, kBeatGain};
    for (int beat = 0; beat < 4; ++beat) {
        const int start = beat * 22050;
        const double gain = gains[beat % 4];
        for (int i = 0; i < kClickLength; ++i) {
            ASSERT_EQ(loop[start + i], static_cast<int16_t>(click[i] * gain))
                << "beat " << beat << " sample " << i;
        }
        for (int i = kClickLength; i < 22050; ++i) {
            ASSERT_EQ(loop[start + i], 0) << "beat " << beat << " sample " << i;
        }
    }
}

TEST_F(MetronomeLoopTest, NothingClipsTheAccentPeaksAtMinusOneDbfsAndTheBeatsSixDbUnder) {
    Build(120, "4");
    controls.subdivision.store(4);
    thread.BuildMetronomeLoop();
    const auto loop = thread.metronomeLoop();
    const auto peak = [&](int from, int length) {
        int p = 0;
        for (int i = from; i < from + length; ++i) {
            p = std::max(p, std::abs(static_cast<int>(loop[i])));
        }
        return p;
    };
    const int accent = peak(0, kClickLength);
    EXPECT_EQ(accent, 29204);  // -32768 x 10^(-1/20), truncated
    EXPECT_LE(20 * std::log10(accent / 32768.0), -1.0);
    EXPECT_LE(peak(0, thread.loopLength()), accent) << "nothing in the loop is louder";
    const double beat = peak(22050, kClickLength);
    const double secondary = peak(44100, kClickLength);
    const double sub = peak(22050 / 4, kClickLength);
    EXPECT_NEAR(20 * std::log10(beat / accent), -kBeatDropDb, 0.01);
    EXPECT_NEAR(20 * std::log10(secondary / accent), -kBeatDropDb / 2, 0.01);
    EXPECT_NEAR(20 * std::log10(sub / accent), -kSubClickDropDb, 0.01);
}

TEST_F(MetronomeLoopTest, SubdivisionsPutQuieterClicksEvenlyBetweenTheBeats) {
    // Clicks `spacing` apart from the loop's start, every `perBeat`-th one the beat's own: each
    // slot holds the scaled click, then silence.
    const auto expectClicks = [&](int spacing, int perBeat, const std::vector<double>& beats) {
        const auto loop = thread.metronomeLoop();
        const auto& click = ClickSound();
        const int slots = thread.loopLength() / spacing;
        for (int k = 0; k < slots; ++k) {
            const int beat = k / perBeat % static_cast<int>(beats.size());
            const double gain = k % perBeat == 0 ? beats[beat] : kSubClickGain;
            for (int i = 0; i < spacing; ++i) {
                const int16_t want = i < kClickLength ? static_cast<int16_t>(click[i] * gain) : 0;
                ASSERT_EQ(loop[k * spacing + i], want) << "slot " << k << " sample " << i;
            }
        }
    };
    controls.subdivision.store(2);
    Build(120, "4");  // clicks every 11025 samples: 250 ms
    expectClicks(11025, 2, {kAccentGain, kBeatGain, kSecondaryGain, kBeatGain});
    controls.subdivision.store(3);
    Build(100, "3");  // beats of 26460: 8820 apart
    expectClicks(8820, 3, {kAccentGain, kBeatGain, kBeatGain});
    controls.subdivision.store(4);
    Build(300, "1");  // beats of 8820: 2205 apart, each click still whole
    expectClicks(2205, 4, {kAccentGain});
    // Out of range: the nearest of 1..4.
    controls.subdivision.store(9);
    Build(150, "2");
    expectClicks(4410, 4, {kAccentGain, kBeatGain});
    controls.subdivision.store(0);
    Build(120, "2");
    expectClicks(22050, 1, {kAccentGain, kBeatGain});
}

TEST(TapTempo, TheMeanOfTheLastTapsRoundedAndClampedAndAPauseStartsAgain) {
    TapTempo taps;
    EXPECT_EQ(taps.Tap(10.0), 0) << "one tap gives no tempo yet";
    EXPECT_EQ(taps.Tap(10.6), 100);
    EXPECT_EQ(taps.Tap(11.21), 99);  // mean of 0.6 and 0.61
    EXPECT_EQ(taps.Tap(11.8), 100);
    // Only the last six taps count: five more at 0.5 s push the 0.6 s ones out.
    for (double t = 12.3; t < 14.4; t += 0.5) {
        taps.Tap(t);
    }
    EXPECT_EQ(taps.taps(), TapTempo::kTapsKept);
    EXPECT_EQ(taps.Tap(14.8), 120);
    // A pause longer than 3.5 s (a beat at 20 a minute is 3 s), or a clock that goes back,
    // starts a new series.
    EXPECT_EQ(taps.Tap(18.4), 0);
    EXPECT_EQ(taps.Tap(17.0), 0);
    EXPECT_EQ(taps.taps(), 1);
    // Slower than 20 and faster than 400 are clamped.
    EXPECT_EQ(taps.Tap(20.4), 20);  // 3.4 s: 18 bpm
    taps.Reset();
    taps.Tap(1.0);
    EXPECT_EQ(taps.Tap(1.05), 400);  // 1200 bpm
}

TEST_F(MetronomeLoopTest, EveryStartBeginsWithTheAccentedFirstBeat) {
    Build(120, "3");
    Send(thread, tone::ToggleMetronome{});    // start
    thread.SetLoopPosition(3 * 22050 + 100);  // stopped on the second beat of a bar
    Send(thread, tone::ToggleMetronome{});    // stop
    Send(thread, tone::ToggleMetronome{});    // start again
    const std::span<const int16_t> loop = thread.metronomeLoop();
    const std::span<const int16_t> first = thread.buffer(0);
    constexpr int kLead = kStartLeadSamples;
    EXPECT_TRUE(std::all_of(first.begin(), first.begin() + kLead, [](int16_t v) { return v == 0; }))
        << "a lead of silence";
    EXPECT_TRUE(std::equal(first.begin() + kLead, first.end(), loop.begin()))
        << "then from the bar's start";
    Send(thread, tone::StopMetronome{});
}

TEST_F(MetronomeLoopTest, TempoOutsideTheRangeIsClampedAndWrittenBack) {
    EXPECT_EQ(Build(10, "6"), 6 * 132300);
    EXPECT_EQ(controls.tempo.load(), 20);
    EXPECT_EQ(Build(500, "1"), 6615);
    EXPECT_EQ(controls.tempo.load(), 400);
    // A rhythm index outside the table is taken as the nearest meter instead of reading past it.
    controls.rhythm.store(9);
    thread.BuildMetronomeLoop();
    EXPECT_EQ(thread.loopLength(), 6 * 6615);  // "6" at 400
}

TEST_F(MetronomeLoopTest, ARebuildKeepsThePositionUnlessTheNewLoopIsTooShort) {
    Build(120, "4");  // 88200
    thread.SetLoopPosition(79380 - 1);
    EXPECT_EQ(Build(100, "3"), 79380);
    EXPECT_EQ(thread.loopPosition(), 79380 - 1) << "kept: playback goes on at the offset";
    Build(120, "4");
    thread.SetLoopPosition(79380);
    Build(100, "3");
    EXPECT_EQ(thread.loopPosition(), 0) << "past the new bar's end the bar starts again";
}

TEST_F(MetronomeLoopTest, FillsWrapAtTheEndOfTheBarAsOftenAsItComes) {
    Build(100, "3");  // 79380
    // Open the output as the toggle does; both buffers are filled from the start of the bar.
    Send(thread, tone::ToggleMetronome{});
    ASSERT_TRUE(thread.IsMetronomePlaying());
    EXPECT_EQ(thread.loopPosition(), 2 * kHalf - kStartLeadSamples);
    const auto loop = thread.metronomeLoop();
    EXPECT_TRUE(std::equal(loop.begin(),
                           loop.begin() + kHalf - kStartLeadSamples,
                           thread.buffer(0).begin() + kStartLeadSamples))
        << "the first half second already holds the first click";
    // 1000 samples before the end: those, then the start of the bar.
    thread.SetLoopPosition(79380 - 1000);
    thread.FillBuffer(1);
    EXPECT_EQ(thread.loopPosition(), kHalf - 1000);
    const auto b = thread.buffer(1);
    EXPECT_TRUE(std::equal(loop.begin() + 79380 - 1000, loop.begin() + 79380, b.begin()));
    EXPECT_TRUE(std::equal(loop.begin(), loop.begin() + kHalf - 1000, b.begin() + 1000));
    // A bar shorter than a buffer comes round three times and a third in it.
    Build(400, "1");
    thread.SetLoopPosition(0);
    thread.FillBuffer(0);
    for (int i = 0; i < kHalf; i += 7) {
        ASSERT_EQ(thread.buffer(0)[i], loop[i % 6615]) << i;
    }
    EXPECT_EQ(thread.loopPosition(), kHalf % 6615);

    thread.StopOutput();
    EXPECT_FALSE(thread.IsMetronomePlaying());
    EXPECT_TRUE(std::all_of(b.begin(), b.end(), [](int16_t v) { return v == 0; }))
        << "a stop silences both buffers";
}

// The trainer raises the tempo by its step at the end of every so many bars and stops at its
// target; muted bars are silent in their turn, and the bars between are heard whole.
TEST_F(MetronomeLoopTest, TheTrainerSpeedsUpAtBarEndsAndMutedBarsTakeTurns) {
    controls.trainerStep.store(60);
    controls.trainerBars.store(2);
    controls.trainerTarget.store(240);
    controls.mutePlay.store(2);
    controls.muteBars.store(1);
    Build(120, "2");  // bars of 44100 = two buffers
    Send(thread, tone::ToggleMetronome{});
    std::vector<int16_t> played(thread.buffer(0).begin(), thread.buffer(0).end());
    played.insert(played.end(), thread.buffer(1).begin(), thread.buffer(1).end());
    for (int k = 0; k < 10; ++k) {
        thread.FillBuffer(k % 2);
        played.insert(played.end(), thread.buffer(k % 2).begin(), thread.buffer(k % 2).end());
    }
    EXPECT_EQ(controls.tempo.load(), 240) << "120, 180 after two bars, 240 after four";
    // Clicks (a sample above the click's quiet lead-in) and where they start.
    std::vector<int> onsets;
    for (int i = 0; i < static_cast<int>(played.size()); ++i) {
        if (std::abs(played[i]) > 1000 && (onsets.empty() || i - onsets.back() > kClickLength)) {
            onsets.push_back(i);
        }
    }
    // Bars 0 and 1 at 120 (beats of 22050); from bar 2 at 180 (14700), bar 2 muted; from bar 4
    // at 240 (11025), bar 5 muted.
    const std::vector<int> expected = {
        0, 22050, 44100, 66150, 117600, 132300, 147000, 158025, 191100, 202125};
    ASSERT_GE(onsets.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(onsets[i], kStartLeadSamples + expected[i], 100) << "click " << i;
    }
    thread.StopOutput();

    std::string why;
    EXPECT_FALSE(ParseBarPlan("5,4,100", "", 120, &why));
    EXPECT_NE(why.find("must be faster than the tempo it starts from (120)"), std::string::npos);
    EXPECT_FALSE(ParseBarPlan("", "3", 120, &why));
    EXPECT_NE(why.find("PLAY,MUTE"), std::string::npos);
    EXPECT_TRUE(ParseBarPlan("5,4,160", "3,1", 120, &why).has_value());
}

TEST_F(MetronomeLoopTest, TheTonePhaseContinuesAcrossARestartAndItsPeakNeverClips) {
    Send(thread, tone::StartTone{kKeyA4});
    ASSERT_TRUE(thread.IsTonePlaying());
    const double step = 440.0 * 8.0 * std::atan(1.0) / 44100.0;
    const auto b0 = thread.buffer(0);
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(b0[i], ToneSample(i * step)) << i;
    }
    int peak = 0;
    for (int k = 0; k < 40; ++k) {
        thread.FillBuffer(k % 2);
        for (int16_t v : thread.buffer(k % 2)) {
            peak = std::max(peak, std::abs(static_cast<int>(v)));
        }
    }
    EXPECT_LE(peak, 23191);
    EXPECT_GE(peak, 23180);

    const double phase = thread.phase();
    Send(thread, tone::StartTone{kKeyA4});  // the device is closed and reopened
    EXPECT_EQ(system.OpenCount(kOut), 2);
    EXPECT_EQ(thread.buffer(0)[0], ToneSample(phase));
    EXPECT_EQ(thread.buffer(0)[1], ToneSample(phase + step));
    thread.StopOutput();
}

TEST_F(MetronomeLoopTest, AToneAtAPitchOfItsOwnSoundsThatPitch) {
    // C4 of just intonation on A: 264 Hz instead of the equal-tempered 261.63.
    Send(thread, tone::StartTone{39, 264.0});
    ASSERT_TRUE(thread.IsTonePlaying());
    const double step = 264.0 * 8.0 * std::atan(1.0) / 44100.0;
    const auto b0 = thread.buffer(0);
    for (int i = 0; i < 50; ++i) {
        ASSERT_EQ(b0[i], ToneSample(i * step)) << i;
    }
    thread.StopOutput();
}

// A drone sounds its root and the pure fifth above under the metronome's clicks, goes on alone
// when the clicks stop, and gives way to the tone; nothing clips.
TEST_F(MetronomeLoopTest, ADroneSoundsWithTheMetronomeAndGoesOnWithoutIt) {
    const auto voice = [](double p) {
        return 0.5 * std::sin(p) + 0.5 * std::sin(2 * p) + 0.1 * std::sin(3 * p);
    };
    const double step = 220.0 * 8.0 * std::atan(1.0) / 44100.0;
    Build(120, "4");
    Send(thread, tone::ToggleMetronome{});
    Send(thread, tone::StartDrone{kKeyA4 - 12, 220.0});
    ASSERT_TRUE(thread.IsMetronomePlaying());
    ASSERT_TRUE(thread.IsDronePlaying());
    // The clicks go on from what was heard (nothing yet: the first beat) with the drone under.
    const auto loop = thread.metronomeLoop();
    const auto b0 = thread.buffer(0);
    for (int i = 0; i < 2000; i += 7) {
        // The start's lead of silence is still to come.
        const int16_t click = i < kStartLeadSamples ? 0 : loop[i - kStartLeadSamples];
        const double mixed =
            kDroneClickShare * click + kDroneGain * (voice(i * step) + voice(1.5 * i * step));
        ASSERT_NEAR(b0[i], mixed, 1.0) << i;
    }
    int peak = 0;
    for (int k = 0; k < 30; ++k) {
        thread.FillBuffer(k % 2);
        for (int16_t v : thread.buffer(k % 2)) {
            peak = std::max(peak, std::abs(static_cast<int>(v)));
        }
    }
    EXPECT_LT(peak, 32767) << "clipped";

    Send(thread, tone::ToggleMetronome{});  // the clicks stop, the drone goes on at once
    EXPECT_FALSE(thread.IsMetronomePlaying());
    ASSERT_TRUE(thread.IsDronePlaying());
    EXPECT_EQ(system.OpenCount(kOut), 3);
    const double phase = kHalf * 32 * step;  // where the drone had got to
    EXPECT_NEAR(thread.buffer(0)[0],
                kDroneGain * (voice(std::fmod(phase, 8.0 * std::atan(1.0))) +
                              voice(std::fmod(1.5 * phase, 8.0 * std::atan(1.0)))),
                2.0);
    Send(thread, tone::ToggleMetronome{});  // and the clicks come back over it
    EXPECT_TRUE(thread.IsMetronomePlaying() && thread.IsDronePlaying());

    Send(thread, tone::StartTone{kKeyA4});  // one sound at a time: the tone alone
    EXPECT_TRUE(thread.IsTonePlaying());
    EXPECT_FALSE(thread.IsDronePlaying() || thread.IsMetronomePlaying());
    Send(thread, tone::StartDrone{kKeyA4});
    Send(thread, tone::StopDrone{});
    EXPECT_FALSE(thread.IsDronePlaying() || thread.IsTonePlaying());
}

TEST_F(MetronomeLoopTest, ClickSoundHasThePercussiveEnvelope) {
    const auto& click = ClickSound();
    for (int i = 0; i < 48; ++i) {
        EXPECT_LE(std::abs(click[i]), 123) << i;
    }
    for (int start = 96; start < 624; start += 48) {
        const auto begin = click.begin() + start;
        const bool fullScale =
            std::any_of(begin, begin + 48, [](int16_t v) { return v == 32767 || v == -32768; });
        EXPECT_TRUE(fullScale) << "stretch from " << start;
    }
    for (int start = 624; start + 48 <= kClickLength; start += 48) {
        int peak = 0;
        for (int i = start; i < start + 48; ++i) {
            peak = std::max(peak, std::abs(static_cast<int>(click[i])));
        }
        EXPECT_GE(peak, 15000) << start;
        EXPECT_LE(peak, 24000) << start;
    }
    EXPECT_GT(std::abs(click[kClickLength - 1]) + std::abs(click[kClickLength - 2]), 2000)
        << "it ends without a fade";
    // The strongest component lies between 2.0 and 2.1 kHz.
    double best = 0;
    int bestHz = 0;
    for (int hz = 500; hz <= 10000; hz += 10) {
        double re = 0;
        double im = 0;
        for (int n = 0; n < kClickLength; ++n) {
            const double a = 8.0 * std::atan(1.0) * hz * n / 44100.0;
            re += click[n] * std::cos(a);
            im -= click[n] * std::sin(a);
        }
        if (re * re + im * im > best) {
            best = re * re + im * im;
            bestHz = hz;
        }
    }
    EXPECT_GE(bestHz, 2000);
    EXPECT_LE(bestHz, 2100);
}

// The recorder's side of a count-in: the commands sent to it (the thread never runs).
class PostedIds final : public PostObserver<RecorderCommand> {
  public:
    void OnPosted(const CommandThread<RecorderCommand>&, const RecorderCommand& command) override {
        ids.push_back(command);
    }
    std::vector<RecorderCommand> ids;
};

class IdleThread final : public CommandThread<RecorderCommand> {
  public:
    ~IdleThread() override { join(); }
    void handle(RecorderCommand&) override {}
};

TEST_F(MetronomeLoopTest, ACountInPlaysOneBarThenStartsTheRecordingOrIsCancelled) {
    IdleThread recorder;
    auto posted = std::make_shared<PostedIds>();
    recorder.setPostObserver(posted);
    thread.SetCountInTarget(&recorder);
    Build(120, "2");  // a bar of 44100 samples
    Send(thread, tone::StartCountIn{});
    ASSERT_TRUE(thread.IsMetronomePlaying());
    const auto loop = thread.metronomeLoop();
    constexpr int kLead = kStartLeadSamples;
    EXPECT_TRUE(
        std::equal(loop.begin(), loop.begin() + kHalf - kLead, thread.buffer(0).begin() + kLead));
    EXPECT_TRUE(std::equal(
        loop.begin() + kHalf - kLead, loop.begin() + 2 * kHalf - kLead, thread.buffer(1).begin()));
    thread.FillBuffer(0);  // after the bar: silence
    const auto after = thread.buffer(0);
    EXPECT_TRUE(std::all_of(after.begin(), after.end(), [](int16_t v) { return v == 0; }));
    thread.onTick();
    EXPECT_TRUE(posted->ids.empty()) << "nothing heard yet";
    // The two buffers played, the first queued again (the thread's completion).
    system.Advance(kOut, 2 * kHalf);
    Send(thread, DeviceEvent{DeviceEvent::Kind::Played, nullptr, nullptr});
    system.Advance(kOut, kLead - 1);
    thread.onTick();
    EXPECT_TRUE(posted->ids.empty()) << "the bar's last sample is still to come";
    system.Advance(kOut, 1);
    thread.onTick();
    EXPECT_EQ(posted->ids, std::vector<RecorderCommand>{recorder::RecordOn{}});
    EXPECT_FALSE(thread.IsMetronomePlaying()) << "the count-in ends with its bar";
    EXPECT_FALSE(thread.countingIn());

    // Stop during a count-in: the recorder is told to stay off, and nothing starts later.
    posted->ids.clear();
    thread.MarkCountInPosted();
    Send(thread, tone::StartCountIn{});
    Send(thread, tone::CancelCountIn{});
    EXPECT_FALSE(thread.IsMetronomePlaying());
    EXPECT_FALSE(thread.countingIn());
    thread.onTick();
    EXPECT_EQ(posted->ids, std::vector<RecorderCommand>{recorder::RecordOff{}});
    // Without a sound device the recording starts at once.
    posted->ids.clear();
    system.SetOpenResult(kOut, kDeviceNoDriver);
    Send(thread, tone::StartCountIn{});
    EXPECT_EQ(posted->ids, std::vector<RecorderCommand>{recorder::RecordOn{}});
    EXPECT_EQ(notifier.Texts().size(), 1u);
    recorder.setPostObserver(nullptr);
}

// --- the message protocol on a running thread ----------------------------------------------

TEST_F(ToneOutputTest, TheHeardBeatFollowsThePlayPositionNotTheFills) {
    controls.tempo.store(120);
    controls.rhythm.store(RhythmOfMeter("3"));
    ToneThread thread{controls, keyTable, system, notifier};
    EXPECT_EQ(thread.CurrentHeardBeat().beat, -1) << "silent";
    thread.start();
    thread.send(tone::ToggleMetronome{});
    ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
    // Both buffers (a second) are filled, but nothing has been heard yet: beat 1.
    EXPECT_EQ(thread.CurrentHeardBeat().beat, 0);
    EXPECT_EQ(thread.CurrentHeardBeat().beats, 3);
    system.Advance(kOut, kStartLeadSamples + 22049);
    EXPECT_EQ(thread.CurrentHeardBeat().beat, 0);
    system.Advance(kOut, 1);
    EXPECT_EQ(thread.CurrentHeardBeat().beat, 1);
    // Past the refills, across the bar line: beat 3, then 1 again.
    system.Advance(kOut, 22050 - kStartLeadSamples);  // both buffers played
    ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));   // and filled again
    system.Advance(kOut, kStartLeadSamples);
    EXPECT_EQ(thread.CurrentHeardBeat().beat, 2);
    system.Advance(kOut, 22050);
    EXPECT_EQ(thread.CurrentHeardBeat().beat, 0);
    thread.send(tone::StopMetronome{});
    ASSERT_TRUE(system.WaitForClosed(kOut, 5s));
    EXPECT_EQ(thread.CurrentHeardBeat().beat, -1);
    thread.join();
}

class ToneThreadTest : public ToneOutputTest {
  protected:
    void TearDown() override { thread.join(); }

    // Waits until the device has both buffers queued again after the thread handled a
    // completion.
    void PlayOneBuffer() {
        ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
        ASSERT_EQ(system.Complete(kOut), 1);
        ASSERT_TRUE(system.WaitForQueued(kOut, 2, 5s));
    }

    ToneThread thread{controls, keyTable, system, notifier};
};

TEST_F(ToneThreadTest, TheToneStreamsWithoutABreakFromTheFirstHalfSecond) {
    thread.start();
    thread.send(tone::StartTone{kKeyA4});
    PlayOneBuffer();
    PlayOneBuffer();
    PlayOneBuffer();
    EXPECT_TRUE(thread.IsTonePlaying());
    EXPECT_FALSE(thread.IsMetronomePlaying());
    const WaveFormat f = system.LastOpenFormat(kOut);
    EXPECT_EQ(f.channels, 1);
    EXPECT_EQ(f.samplesPerSec, 44100u);
    EXPECT_EQ(f.bitsPerSample, 16);
    const auto played = system.LastPlayedSamples();
    ASSERT_EQ(played.size(), 3u * kHalf);
    const double step = 440.0 * 8.0 * std::atan(1.0) / 44100.0;
    EXPECT_EQ(played[1], ToneSample(step));
    // Across the buffer boundaries the phase goes on: compare with one continuous oscillator.
    double phase = 0;
    const double twoPi = 8.0 * std::atan(1.0);
    for (std::size_t i = 0; i < played.size(); ++i) {
        ASSERT_EQ(played[i], ToneSample(phase)) << i;
        phase += step;
        if (phase > twoPi) {
            phase -= twoPi;
        }
    }
}

TEST_F(ToneThreadTest, ToggleAndStopMoveBetweenToneMetronomeAndIdle) {
    thread.start();
    thread.send(tone::StopMetronome{});  // idle: nothing to stop
    thread.send(tone::StartTone{kKeyA4});
    ASSERT_TRUE(test::WaitUntil([&] { return thread.IsTonePlaying(); }));

    thread.send(tone::ToggleMetronome{});  // stops the tone, starts the metronome
    ASSERT_TRUE(test::WaitUntil([&] { return thread.IsMetronomePlaying(); }));
    EXPECT_EQ(system.OpenCount(kOut), 2);
    PlayOneBuffer();
    const auto played = system.LastPlayedSamples();
    const auto& click = ClickSound();
    ASSERT_GE(played.size(), static_cast<std::size_t>(kClickLength));
    for (int i = 0; i < kClickLength; ++i) {
        ASSERT_EQ(played[kStartLeadSamples + i], static_cast<int16_t>(click[i] * kAccentGain))
            << "the metronome starts with the accented click, sample " << i;
    }

    thread.send(tone::ToggleMetronome{});  // the metronome is switched off
    ASSERT_TRUE(system.WaitForClosed(kOut, 5s));
    ASSERT_TRUE(test::WaitUntil([&] { return !thread.IsMetronomePlaying(); }));
    EXPECT_EQ(system.OpenCount(kOut), 2);

    thread.send(tone::ToggleMetronome{});  // from idle: the metronome again
    ASSERT_TRUE(test::WaitUntil([&] { return thread.IsMetronomePlaying(); }));
    thread.send(tone::StartTone{kKeyA4});  // the tone replaces it
    ASSERT_TRUE(test::WaitUntil([&] { return thread.IsTonePlaying(); }));
    EXPECT_EQ(system.OpenCount(kOut), 4);
    thread.send(tone::StopOutput{});
    ASSERT_TRUE(system.WaitForClosed(kOut, 5s));
    ASSERT_TRUE(test::WaitUntil([&] { return !thread.IsTonePlaying(); }));
    // The completions the reset posted are ignored: nothing reopens.
    thread.join();
    EXPECT_EQ(system.OpenCount(kOut), 4);
    EXPECT_TRUE(notifier.Texts().empty());
}

TEST_F(ToneThreadTest, ARebuildWhilePlayingContinuesAtTheSameOffsetOfTheNewLoop) {
    controls.tempo.store(120);
    controls.rhythm.store(RhythmOfMeter("4"));
    thread.start();
    thread.send(tone::ToggleMetronome{});
    // The start's lead: the loop positions are 441 samples earlier than the stream's.
    PlayOneBuffer();  // buffer 0 refilled from 43659
    controls.tempo.store(60);
    thread.send(tone::RebuildMetronome{});
    PlayOneBuffer();  // buffer 1 refilled from the new loop at 65709
    PlayOneBuffer();  // buffer 0 (from the old loop) played
    PlayOneBuffer();  // buffer 1: the first half second from the new loop
    const auto played = system.LastPlayedSamples();
    ASSERT_EQ(played.size(), 4u * kHalf);
    // At 120 the third beat (accent 0.3) begins at 44100; at 60 the beats are 44100 samples
    // long, so 65709 lies in the silent part of the second beat.
    const auto& click = ClickSound();
    for (int i = 0; i < kClickLength; ++i) {
        ASSERT_EQ(played[2 * kHalf + kStartLeadSamples + i],
                  static_cast<int16_t>(click[i] * kSecondaryGain))
            << i;
    }
    EXPECT_TRUE(
        std::all_of(played.begin() + 3 * kHalf, played.end(), [](int16_t v) { return v == 0; }));
}

TEST_F(ToneThreadTest, AFailedOpenShowsTheErrorBoxAndLeavesTheThreadIdle) {
    system.SetOpenResult(kOut, kDeviceNoDriver);
    thread.start();
    thread.send(tone::StartTone{50});
    ASSERT_TRUE(test::WaitUntil([&] { return !notifier.Texts().empty(); }));
    EXPECT_EQ(notifier.Captions()[0], "Alert");
    EXPECT_EQ(notifier.Texts()[0], "Error = 0x00000006, : No sound device is available.");
    EXPECT_FALSE(thread.IsTonePlaying());

    system.SetOpenResult(kOut, kDeviceOk);
    thread.send(tone::StartTone{50});
    ASSERT_TRUE(test::WaitUntil([&] { return thread.IsTonePlaying(); }));
    EXPECT_EQ(notifier.Texts().size(), 1u);
}

}  // namespace
}  // namespace tonavise
