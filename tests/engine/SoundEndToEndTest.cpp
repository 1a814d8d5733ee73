// End to end through each real back end (the sound server's own and PortAudio) and a sound
// server whose default source hears its default sink (scripts/with-sound-server.sh starts a
// private one): what the output threads play comes back through the capture thread and the
// analysis.
//
// Without such a server the tests are skipped; when the script says it started one
// (TONAVISE_SOUND_SERVER=1) and it cannot be reached, they fail.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

#include "DeviceTestSupport.h"
#include "LiveRig.h"
#include "SoundServerSupport.h"
#include "TestSupport.h"
#include "engine/device/PortAudioSound.h"
#include "engine/device/SignalBuffer.h"
#include "engine/dsp/Metronome.h"
#include "engine/live/PlayerThread.h"
#include "engine/live/PracticeControls.h"
#include "engine/live/RecordingStore.h"
#include "engine/live/SignalThread.h"
#include "engine/live/ToneThread.h"
#include "engine/live/WorkerCommands.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;
using test::LiveRig;

// The first use of a freshly started server can take two seconds before sound flows.
constexpr auto kTimeout = 15s;
constexpr int kSilence = 16;  // the null sink's monitor gives exact zeros for silence

class SoundEndToEnd : public ::testing::TestWithParam<SoundBackend> {
  protected:
    void SetUp() override {
        if (!test::HasPrivateServer()) {
            GTEST_SKIP() << "no private sound server: run through scripts/with-sound-server.sh";
        }
        test::OpenServerBackend(GetParam(), devices);
    }

    // Waits until `count` analyses in a row name `key` within `tolerance` hertz of `hz`.
    void ExpectPitch(LiveRig& rig, double hz, double tolerance, int key, int count = 5) {
        const auto end = std::chrono::steady_clock::now() + kTimeout;
        double last = 0;
        int lastKey = -1;
        int inRow = 0;
        while (inRow < count) {
            ASSERT_LT(std::chrono::steady_clock::now(), end)
                << "last analysis: " << last << " Hz, key " << lastKey;
            if (!rig.NextPitch(last, lastKey, 100ms)) {
                continue;
            }
            inRow = (std::abs(last - hz) <= tolerance && lastKey == key) ? inRow + 1 : 0;
        }
        RecordProperty("f0_hz", std::to_string(last));
    }

    // Waits until the tape holds at least `count` clicks from frame `from` on and `tail` frames
    // after the onset of the count-th; `onsets` are all of them so far, from `from`. An onset is a
    // frame louder than `threshold` after `quietGap` quieter ones (the first loud frame is one).
    void WaitForClicks(LiveRig& rig,
                       int64_t from,
                       std::size_t count,
                       int threshold,
                       int quietGap,
                       int64_t tail,
                       std::vector<int64_t>& onsets) {
        const auto end = std::chrono::steady_clock::now() + kTimeout;
        onsets.clear();
        while (onsets.size() < count || rig.tape.Frames() < from + onsets[count - 1] + tail) {
            ASSERT_LT(std::chrono::steady_clock::now(), end) << onsets.size() << " clicks heard";
            ASSERT_TRUE(rig.tape.WaitForFrames(rig.tape.Frames() + 1, kTimeout));
            onsets = test::Onsets(rig.tape.Channel(0, from), threshold, quietGap);
        }
    }

    // How long a bare stream of this back end takes from its open to being heard: a 10 ms
    // burst in one buffer, opened, queued and closed by hand, timed as the metronome's first
    // click is. What the sound server adds to any start on this machine (its sink's block, the
    // monitor's fragment) is in it; what the metronome adds of its own is not.
    double BareStartHeard(LiveRig& rig) {
        test::CompletionRecorder owner;
        owner.start();
        std::vector<int16_t> samples(kSampleRate / 10, 0);
        for (int i = 0; i < kSampleRate / 100; ++i) {
            samples[static_cast<std::size_t>(i)] = i % 20 < 10 ? 29000 : -29000;
        }
        WaveHeader header;
        header.Describe(samples.data(), static_cast<uint32_t>(samples.size() * sizeof(int16_t)));
        const int64_t from = rig.tape.Frames();
        const double posted = SteadySeconds();
        std::unique_ptr<WaveDevice> device =
            devices->Create(DeviceDirection::Output, StreamRole::ReferenceTone);
        EXPECT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk);
        device->Prepare(header);
        device->Queue(header);
        std::vector<int64_t> onsets;
        WaitForClicks(rig, from, 1, kSilence, 1, kSampleRate / 100, onsets);
        const double heard =
            onsets.empty() ? 1.0 : rig.tape.CaptureTimeOf(from + onsets[0]) - posted;
        EXPECT_TRUE(owner.WaitForCount(1, kTimeout));
        device->Reset();
        device->Unprepare(header);
        device->Close();
        const int64_t stopped = rig.tape.Frames();
        EXPECT_TRUE(rig.tape.WaitForFrames(stopped + kSampleRate / 2, kTimeout));
        rig.tape.Clear();
        return heard;
    }

    // Expects every interval from onset `skipped` on to be `seconds` within `tolerance`;
    // returns the largest deviation.
    static double ExpectIntervals(const std::vector<int64_t>& onsets,
                                  std::size_t skipped,
                                  double seconds,
                                  double tolerance) {
        double worst = 0;
        for (std::size_t i = skipped + 1; i < onsets.size(); ++i) {
            const double interval = static_cast<double>(onsets[i] - onsets[i - 1]) / kSampleRate;
            EXPECT_NEAR(interval, seconds, tolerance) << "clicks " << i - 1 << " and " << i;
            worst = std::max(worst, std::abs(interval - seconds));
        }
        return worst;
    }

    std::unique_ptr<DeviceFactory> devices;
};

TEST_P(SoundEndToEnd, TheReferenceToneComesBackAsA4) {
    LiveRig rig(*devices, 1, 20.0);
    ASSERT_TRUE(rig.Start());
    PracticeControls outputControls;
    ToneThread tone(outputControls, rig.keyTable, *devices, rig.notifier);
    tone.start();
    // Capture first, so that the tone's first sound is seen when it arrives.
    ASSERT_TRUE(rig.tape.WaitForFrames(kBlockFrames, kTimeout));
    const double posted = SteadySeconds();
    const int64_t from = rig.tape.Frames();
    tone.send(tone::StartTone{kKeyA4});
    ExpectPitch(rig, 440.0, 1.4, kKeyA4);
    EXPECT_TRUE(tone.IsTonePlaying());

    const auto sound = rig.tape.Channel(0, from);
    const int64_t first = test::FirstLoud(sound, kSilence);
    ASSERT_GE(first, 0);
    const double heard = rig.tape.CaptureTimeOf(from + first) - posted;
    const double block = rig.tape.ArrivalOf(from + first) - posted;
    std::printf(
        "StartTone to the first captured sound: %.0f ms; to the block that holds it: "
        "%.0f ms\n",
        heard * 1000,
        block * 1000);
    RecordProperty("tone_start_to_block_ms", std::to_string(block * 1000));

    tone.join();
    rig.Stop();
    EXPECT_TRUE(rig.notifier.Texts().empty());
}

// A chosen input the server does not have: the capture opens the default, no error box, and
// the device is named as missing.
TEST_P(SoundEndToEnd, AChosenInputThatIsGoneFallsBackToTheDefault) {
    devices->ChooseDevice(DeviceDirection::Input, "unplugged_microphone");
    LiveRig rig(*devices, 1, 5.0);
    ASSERT_TRUE(rig.Start());
    ASSERT_TRUE(rig.tape.WaitForFrames(kBlockFrames, kTimeout));
    EXPECT_EQ(devices->MissingDevice(DeviceDirection::Input), "unplugged_microphone");
    rig.Stop();
    EXPECT_TRUE(rig.notifier.Texts().empty());
}

TEST_P(SoundEndToEnd, TheCapturedSoundFallsSilentSoonAfterOutputStop) {
    LiveRig rig(*devices, 1, 30.0);
    ASSERT_TRUE(rig.Start());
    PracticeControls outputControls;
    ToneThread tone(outputControls, rig.keyTable, *devices, rig.notifier);
    tone.start();
    tone.send(tone::StartTone{kKeyA4});
    ExpectPitch(rig, 440.0, 1.4, kKeyA4, 3);

    const int64_t from = rig.tape.Frames();
    const double posted = SteadySeconds();
    tone.send(tone::StopOutput{});
    // Half a second of silence after the stop shows that the sound has ended.
    int64_t last = -1;
    const auto end = std::chrono::steady_clock::now() + kTimeout;
    for (;;) {
        ASSERT_LT(std::chrono::steady_clock::now(), end) << "the sound did not stop";
        ASSERT_TRUE(rig.tape.WaitForFrames(rig.tape.Frames() + kBlockFrames, kTimeout));
        const auto sound = rig.tape.Channel(0, from);
        last = test::LastLoud(sound, kSilence);
        if (static_cast<int64_t>(sound.size()) - last > kSampleRate / 2) {
            break;
        }
    }
    // The capture time is a late bound (when the sound reached the capture callback). A capture
    // with little latency may have taken all of the tone before the stop was posted: then the
    // silence came at once.
    const double silent = last < 0 ? 0.0 : rig.tape.CaptureTimeOf(from + last + 1) - posted;
    std::printf("StopOutput to silence: %.1f ms\n", silent * 1000);
    RecordProperty("stop_to_silence_ms", std::to_string(silent * 1000));
    EXPECT_LT(silent, 0.3);
    EXPECT_FALSE(tone.IsTonePlaying());
}

TEST_P(SoundEndToEnd, TheSignalGeneratorsLeftChannelComesBackAt1000Hz) {
    LiveRig rig(*devices, 2, 20.0);
    ASSERT_TRUE(rig.Start());
    SignalBuffer signal;
    SignalThread generator(signal, *devices, rig.notifier);
    generator.start();
    signal.GenerateChannel(1000, 50, kWaveSine, 0);
    signal.GenerateChannel(1000, 0, kWaveSine, 1);
    generator.send(generator::Start{});
    // The analysis of a stereo capture mixes both channels; the right one is silent.
    ExpectPitch(rig, 1000.0, 1.4, rig.keyTable.NearestKey(1000.0).key);
    const int64_t to = rig.tape.Frames();
    const auto left = rig.tape.Channel(0, to - kBlockFrames, to);
    const auto right = rig.tape.Channel(1, to - kBlockFrames, to);
    EXPECT_GT(*std::max_element(left.begin(), left.end()), 16000);
    EXPECT_EQ(test::LastLoud(right, kSilence), -1) << "the signal stays on the left";
    generator.join();
}

TEST_P(SoundEndToEnd, MetronomeClicksAtTempo120AreHalfASecondApart) {
    LiveRig rig(*devices, 1, 30.0);
    ASSERT_TRUE(rig.Start());
    PracticeControls outputControls;
    outputControls.tempo.store(120);
    outputControls.rhythm.store(3);  // "4": accents 1.0, 0.1, 0.3, 0.1
    ToneThread metronome(outputControls, rig.keyTable, *devices, rig.notifier);
    metronome.start();
    ASSERT_TRUE(rig.tape.WaitForFrames(kBlockFrames, kTimeout));
    const int64_t from = rig.tape.Frames();
    metronome.send(tone::ToggleMetronome{});

    // The start of a stream is not steady: the sound server may cut its first milliseconds
    // (when it mixes a new stream into sound its sink has already rendered, the monitor has
    // heard the old version), and a slow machine (or a sanitizer) can starve the first buffers.
    // The intervals are measured from the fourth click on, over eight beats.
    constexpr std::size_t kSkipped = 3;
    std::vector<int64_t> onsets;
    ASSERT_NO_FATAL_FAILURE(WaitForClicks(rig, from, kSkipped + 9, 1000, 4000, 0, onsets));
    const double worst = ExpectIntervals(onsets, kSkipped, 0.5, 0.005);
    std::printf("metronome at 120: largest deviation from 0.5 s: %.2f ms\n", worst * 1000);
    metronome.join();
}

// 7/8 grouped 2+2+3 at 240 eighths a minute: clicks 250 ms apart, the groups' first beats (1,
// 3, 5) louder than the rest and beat 1 loudest; the trainer (60 faster every two bars, up to
// 300) makes the third bar's eighths 200 ms long.
TEST_P(SoundEndToEnd, ASevenEightBarAccentsItsGroupsAndTheTrainerSpeedsItUp) {
    LiveRig rig(*devices, 1, 30.0);
    ASSERT_TRUE(rig.Start());
    PracticeControls outputControls;
    outputControls.tempo.store(240);
    outputControls.meter.store(ParseMeter("7/8", "2+2+3", "", nullptr)->Pack());
    outputControls.trainerStep.store(60);
    outputControls.trainerBars.store(2);
    outputControls.trainerTarget.store(300);
    ToneThread metronome(outputControls, rig.keyTable, *devices, rig.notifier);
    metronome.start();
    ASSERT_TRUE(rig.tape.WaitForFrames(kBlockFrames, kTimeout));
    const int64_t from = rig.tape.Frames();
    metronome.send(tone::ToggleMetronome{});
    std::vector<int64_t> onsets;
    ASSERT_NO_FATAL_FAILURE(WaitForClicks(rig, from, 21, 1000, 4000, kClickLength, onsets));
    metronome.join();

    const auto sound = rig.tape.Channel(0, from);
    const auto peakOf = [&](int64_t onset) {
        int peak = 0;
        for (int64_t i = onset; i < onset + kClickLength; ++i) {
            peak = std::max(peak, std::abs(static_cast<int>(sound[static_cast<std::size_t>(i)])));
        }
        return peak;
    };
    const double levels[] = {
        kAccentGain, kBeatGain, kSecondaryGain, kBeatGain, kSecondaryGain, kBeatGain, kBeatGain};
    // The start of a stream may lose its first milliseconds (see above): levels and intervals
    // from the second click on.
    for (std::size_t i = 1; i < 21; ++i) {
        EXPECT_NEAR(peakOf(onsets[i]), 32767 * levels[i % 7], 32767 * 0.02) << "beat " << i % 7 + 1;
        const double interval = static_cast<double>(onsets[i] - onsets[i - 1]) / kSampleRate;
        EXPECT_NEAR(interval, i < 15 ? 0.25 : 0.2, 0.002) << "clicks " << i - 1 << " and " << i;
    }
    EXPECT_EQ(outputControls.tempo.load(), 300);
    rig.Stop();
}

// Every start is heard at once and begins with the accent: the click's peak is the accent's
// (-1 dBFS: 29204), never a weaker beat's (at most 20675). "At once" is against a bare stream
// of the same back end started just before (the sound server's own start time differs from
// one machine to the next: 1-25 ms on the private server): the metronome may add its 10 ms of
// lead silence and a few milliseconds of its own, no more.
TEST_P(SoundEndToEnd, EveryMetronomeStartIsHeardAtOnceWithTheAccent) {
    LiveRig rig(*devices, 1, 30.0);
    ASSERT_TRUE(rig.Start());
    PracticeControls outputControls;
    outputControls.tempo.store(100);
    outputControls.rhythm.store(3);  // "4"
    ToneThread metronome(outputControls, rig.keyTable, *devices, rig.notifier);
    metronome.start();
    ASSERT_TRUE(rig.tape.WaitForFrames(kBlockFrames, kTimeout));
    double worst = 0;
    double bareWorst = 0;
    for (int start = 0; start < 3; ++start) {
        const double bare = BareStartHeard(rig);
        bareWorst = std::max(bareWorst, bare);
        const int64_t from = rig.tape.Frames();
        const double posted = SteadySeconds();
        metronome.send(tone::ToggleMetronome{});
        std::vector<int64_t> onsets;
        ASSERT_NO_FATAL_FAILURE(WaitForClicks(rig, from, 1, kSilence, 1, kClickLength, onsets))
            << "start " << start;
        const int64_t first = onsets[0];
        const auto click = rig.tape.Channel(0, from + first, from + first + kClickLength);
        int peak = 0;
        for (int16_t v : click) {
            peak = std::max(peak, std::abs(static_cast<int>(v)));
        }
        EXPECT_GE(peak, 29000) << "start " << start << " began with a weaker beat";
        EXPECT_LE(peak, 29205) << "start " << start;
        const double heard = rig.tape.CaptureTimeOf(from + first) - posted;
        worst = std::max(worst, heard);
        std::printf("metronome start %d: first click heard after %.1f ms (a bare stream %.1f ms)\n",
                    start,
                    heard * 1000,
                    bare * 1000);
        // Stop, and wait for the silence before the next start.
        metronome.send(tone::ToggleMetronome{});
        ASSERT_TRUE(test::WaitUntil([&] { return !metronome.IsMetronomePlaying(); }));
        const int64_t stopped = rig.tape.Frames();
        ASSERT_TRUE(rig.tape.WaitForFrames(stopped + kSampleRate / 2, kTimeout));
        rig.tape.Clear();
    }
    RecordProperty("metronome_start_to_click_ms", std::to_string(worst * 1000));
    RecordProperty("bare_start_to_sound_ms", std::to_string(bareWorst * 1000));
    EXPECT_LT(worst, bareWorst + 0.016);
    metronome.join();
}

// The beat lights' source follows the output's clock: at 120 bpm in 4 the heard beat goes
// 0, 1, 2, 3, 0 with half a second between the changes.
TEST_P(SoundEndToEnd, TheHeardBeatStepsWithTheOutputsClock) {
    LiveRig rig(*devices, 1, 10.0);
    ASSERT_TRUE(rig.Start());
    PracticeControls outputControls;
    outputControls.tempo.store(120);
    outputControls.rhythm.store(3);  // "4"
    ToneThread metronome(outputControls, rig.keyTable, *devices, rig.notifier);
    metronome.start();
    metronome.send(tone::ToggleMetronome{});
    // The start of a stream is not steady (see the click intervals above): the watch begins on
    // the second beat of the second bar.
    ASSERT_TRUE(test::WaitUntil([&] { return metronome.CurrentHeardBeat().beat == 0; }, kTimeout));
    ASSERT_TRUE(test::WaitUntil([&] { return metronome.CurrentHeardBeat().beat == 1; }, kTimeout));
    ASSERT_TRUE(test::WaitUntil([&] { return metronome.CurrentHeardBeat().beat == 0; }, kTimeout));
    ASSERT_TRUE(test::WaitUntil([&] { return metronome.CurrentHeardBeat().beat == 1; }, kTimeout));
    std::vector<int> beats;
    std::vector<double> changes;
    int last = 1;
    const double until = SteadySeconds() + 2.2;
    while (SteadySeconds() < until) {
        const int beat = metronome.CurrentHeardBeat().beat;
        if (beat != last) {
            beats.push_back(beat);
            changes.push_back(SteadySeconds());
            last = beat;
        }
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_EQ(beats, (std::vector<int>{2, 3, 0, 1}));
    for (std::size_t i = 1; i < changes.size(); ++i) {
        std::printf(
            "heard beat change %zu after %.1f ms\n", i, (changes[i] - changes[i - 1]) * 1000);
        EXPECT_NEAR(changes[i] - changes[i - 1], 0.5, 0.02) << "change " << i;
    }
    metronome.join();
}

TEST_P(SoundEndToEnd, MetronomeAt120WithTwoClicksABeatClicksEvery250ms) {
    LiveRig rig(*devices, 1, 30.0);
    ASSERT_TRUE(rig.Start());
    PracticeControls outputControls;
    outputControls.tempo.store(120);
    outputControls.rhythm.store(0);  // "1": every beat the accent, the sub-clicks between
    outputControls.subdivision.store(2);
    ToneThread metronome(outputControls, rig.keyTable, *devices, rig.notifier);
    metronome.start();
    ASSERT_TRUE(rig.tape.WaitForFrames(kBlockFrames, kTimeout));
    const int64_t from = rig.tape.Frames();
    metronome.send(tone::ToggleMetronome{});
    // Onsets at a level both kinds of click cross at the same offset of the click: its first
    // sample above the breath noise, found on a quiet gap.
    constexpr std::size_t kSkipped = 3;
    std::vector<int64_t> onsets;
    ASSERT_NO_FATAL_FAILURE(WaitForClicks(rig, from, kSkipped + 9, 0, 4000, 0, onsets));
    const double worst = ExpectIntervals(onsets, kSkipped, 0.25, 0.001);
    std::printf("metronome at 120, two a beat: largest deviation from 250 ms: %.3f ms\n",
                worst * 1000);
    metronome.join();
}

// Stops ("stop") or starts ("start") the private server through the script's control; true when
// it did.
bool ServerControl(const char* action) {
    const char* control = std::getenv("TONAVISE_SOUND_SERVER_CTL");
    if (control == nullptr) {
        return false;
    }
    const std::string command = std::string(control) + " " + action;
    return std::system(command.c_str()) == 0;
}

// The sound server is killed while the microphone captures and while a file plays, and started
// again: capture says once that input was lost and comes back by itself; the play ends as if
// Stop had been pressed and the next Play plays. Nothing hangs and the program is not
// restarted.
TEST_P(SoundEndToEnd, CaptureAndPlaybackSurviveAKilledServer) {
    if (std::getenv("TONAVISE_SOUND_SERVER_CTL") == nullptr) {
        GTEST_SKIP() << "the sound server cannot be restarted from here";
    }
    LiveRig rig(*devices, 1, 120.0);
    ASSERT_TRUE(rig.Start());
    ASSERT_TRUE(rig.tape.WaitForFrames(kBlockFrames, kTimeout));

    ASSERT_TRUE(ServerControl("stop"));
    const double killed = SteadySeconds();
    ASSERT_TRUE(test::WaitUntil([&] { return rig.engine.InputState().noInput; }, kTimeout));
    const double noticed = SteadySeconds() - killed;
    ASSERT_TRUE(ServerControl("start"));
    const double started = SteadySeconds();
    ASSERT_TRUE(test::WaitUntil([&] { return !rig.engine.InputState().noInput; }, 30s));
    const double recovered = SteadySeconds() - started;
    const int64_t after = rig.tape.Frames();
    ASSERT_TRUE(rig.tape.WaitForFrames(after + 5 * kBlockFrames, kTimeout)) << "sound flows";
    std::printf("capture: loss noticed after %.2f s; input back %.2f s after the server\n",
                noticed,
                recovered);
    RecordProperty("capture_recovery_s", std::to_string(recovered));
    EXPECT_EQ(rig.notifier.Texts().size(), 1u) << "the device error, once";

    test::TempDir dir;
    const std::string wav =
        dir.Write("long.wav",
                  test::RiffWave(test::Chunk("fmt ", test::FmtBody(1, 1, 44100, 2, 16)) +
                                 test::Chunk("data", test::Bytes(test::Sine(440, 8000, 441000)))));
    PlayerThread& player = *rig.engine.workers().player;
    rig.engine.OpenFile(wav, nullptr);
    rig.engine.PlayFile(0);
    ASSERT_TRUE(test::WaitUntil([&] { return player.IsPlaying(); }, kTimeout));
    ASSERT_TRUE(test::WaitUntil(
        [&] { return rig.tape.Channel(0, rig.tape.Frames() - 100).back() != 0; }, kTimeout))
        << "the file is heard";
    ASSERT_TRUE(ServerControl("stop"));
    ASSERT_TRUE(test::WaitUntil([&] { return !player.IsPlaying(); }, kTimeout))
        << "the play whose stream died ends";
    ASSERT_TRUE(ServerControl("start"));
    ASSERT_TRUE(test::WaitUntil([&] { return !rig.engine.InputState().noInput; }, 30s));
    rig.engine.PlayFile(0);
    ASSERT_TRUE(test::WaitUntil([&] { return player.IsPlaying(); }, kTimeout));
    rig.engine.StopFile();
    rig.Stop();
    std::printf("messages: %zu\n", rig.notifier.Texts().size());
    for (const std::string& text : rig.notifier.Texts()) {
        std::printf("  %s\n", text.c_str());
    }
}

// Counts the blocks captured while the recording switch is on.
class RecordedBlocks final : public CaptureObserver {
  public:
    explicit RecordedBlocks(const RecordingStore& r) : recordings_(r) {}
    void OnCaptured(std::span<const int16_t>, int, double) override {
        if (recordings_.recording.load() == 1) {
            ++blocks;
        }
    }
    std::atomic<int> blocks{0};

  private:
    const RecordingStore& recordings_;
};

// The sound server is restarted twice while the microphone records and a file plays: every
// block captured while recording is in the recording (none lost outside the outages), the input
// comes back each time, each outage is said once by the capture and once by the play it ended,
// and the file plays again after each.
TEST_P(SoundEndToEnd, TwoServerRestartsWhileRecordingAndPlayingLoseNothingElse) {
    if (std::getenv("TONAVISE_SOUND_SERVER_CTL") == nullptr) {
        GTEST_SKIP() << "the sound server cannot be restarted from here";
    }
    test::TempDir dir;
    const std::string wav =
        dir.Write("long.wav",
                  test::RiffWave(test::Chunk("fmt ", test::FmtBody(1, 1, 44100, 2, 16)) +
                                 test::Chunk("data", test::Bytes(test::Sine(440, 8000, 441000)))));
    test::SharedNotifier notifier;
    LiveEngine engine(notifier);
    RecordedBlocks recorded(engine.recordingStore);
    engine.captureStore.Create();
    engine.controls.recTimeIndex.store(1);  // a minute
    LiveEngine::Parts parts;
    parts.output = false;
    ASSERT_TRUE(engine.Start(devices.get(), UiLanguage::English, parts, &recorded));
    engine.RecordOn();
    ASSERT_TRUE(test::WaitUntil([&] { return recorded.blocks.load() > 5; }, kTimeout));
    PlayerThread& player = *engine.workers().player;
    engine.OpenFile(wav, nullptr);
    for (int restart = 0; restart < 2; ++restart) {
        engine.PlayFile(0);
        ASSERT_TRUE(test::WaitUntil([&] { return player.IsPlaying(); }, kTimeout)) << restart;
        std::this_thread::sleep_for(500ms);
        ASSERT_TRUE(ServerControl("stop"));
        ASSERT_TRUE(test::WaitUntil([&] { return engine.InputState().noInput; }, kTimeout));
        ASSERT_TRUE(test::WaitUntil([&] { return !player.IsPlaying(); }, kTimeout));
        ASSERT_TRUE(ServerControl("start"));
        ASSERT_TRUE(test::WaitUntil([&] { return !engine.InputState().noInput; }, 30s))
            << "the input came back after restart " << restart;
        const int before = recorded.blocks.load();
        ASSERT_TRUE(test::WaitUntil([&] { return recorded.blocks.load() > before + 5; }, kTimeout));
    }
    engine.PlayFile(0);
    ASSERT_TRUE(test::WaitUntil([&] { return player.IsPlaying(); }, kTimeout)) << "plays again";
    engine.RecordOff();
    ASSERT_TRUE(test::WaitUntil([&] { return engine.recordingStore.recording.load() == 0; }));
    const LiveInputState input = engine.InputState();
    engine.StopFile();
    engine.Stop();
    // The switch flips between the capture's look at it and the recording's, at most once at
    // each end: a block either way there, never more.
    EXPECT_LE(std::abs(engine.recordingStore.Count() - recorded.blocks.load()), 2);
    EXPECT_EQ(input.droppedBlocks, 0u);
    std::printf("two restarts: %d blocks recorded, %zu messages\n",
                recorded.blocks.load(),
                notifier.Texts().size());
    EXPECT_LE(notifier.Texts().size(), 4u);
}

// Started while the sound server is down, capture hears the server once it comes: through the
// automatic choice (which then takes the server's back end, since PortAudio finds no devices
// either) and through PortAudio (started afresh at a reopen to find the server's device).
class SoundServerStartsLater : public ::testing::TestWithParam<SoundBackend> {};

TEST_P(SoundServerStartsLater, CaptureHearsTheServerOnceItComes) {
    if (!test::HasPrivateServer() || std::getenv("TONAVISE_SOUND_SERVER_CTL") == nullptr) {
        GTEST_SKIP() << "needs the private sound server and its control";
    }
    ASSERT_TRUE(ServerControl("stop"));
    std::unique_ptr<DeviceFactory> devices = OpenSoundSystem(GetParam());
    {
        LiveRig rig(*devices, 1, 60.0);
        ASSERT_TRUE(rig.Start());
        ASSERT_TRUE(test::WaitUntil([&] { return rig.engine.InputState().noInput; }, kTimeout));
        std::this_thread::sleep_for(2500ms);  // a reopen or two while there is no server
        ASSERT_TRUE(ServerControl("start"));
        const double started = SteadySeconds();
        ASSERT_TRUE(test::WaitUntil([&] { return !rig.engine.InputState().noInput; }, 20s))
            << "the input never came";
        const double recovered = SteadySeconds() - started;
        ASSERT_TRUE(rig.tape.WaitForFrames(rig.tape.Frames() + 5 * kBlockFrames, kTimeout));
        std::printf("%s: input %.2f s after the server started\n",
                    std::string(devices->BackendName()).c_str(),
                    recovered);
        RecordProperty("input_after_server_s", std::to_string(recovered));
        EXPECT_EQ(rig.notifier.Texts().size(), 1u) << "the device error, once";
        rig.Stop();
    }
}

INSTANTIATE_TEST_SUITE_P(Backends,
                         SoundServerStartsLater,
                         ::testing::Values(SoundBackend::Automatic, SoundBackend::PortAudio),
                         [](const ::testing::TestParamInfo<SoundBackend>& choice) {
                             return choice.param == SoundBackend::Automatic ? "Automatic"
                                                                            : "PortAudio";
                         });

INSTANTIATE_TEST_SUITE_P(Backends, SoundEndToEnd, test::kServerBackends, test::BackendLabel);

// An output through the sound server waits for the stream's timing before it writes; when that
// answer is lost, the stream still starts (after a short wait) and plays out.
TEST(SoundServerOutput, StartsAndPlaysOutWhenItsTimingAnswerIsLost) {
    if (!test::HasPrivateServer()) {
        GTEST_SKIP() << "no private sound server: run through scripts/with-sound-server.sh";
    }
    PulseSoundSystem pulse;
    ASSERT_EQ(pulse.InitResult(), kDeviceOk);
    pulse.LoseTimingAnswers(true);
    test::CompletionRecorder owner;
    owner.start();
    auto device = pulse.Create(DeviceDirection::Output, StreamRole::Player);
    ASSERT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk);
    std::vector<int16_t> tone = test::Sine(440, 8000, kSampleRate / 5);
    WaveHeader header;
    header.Describe(tone.data(), static_cast<uint32_t>(tone.size() * sizeof(int16_t)));
    device->Prepare(header);
    ASSERT_EQ(device->Queue(header), kDeviceOk);
    ASSERT_TRUE(owner.WaitForCount(2, 5s)) << "the stream never started";
    const auto entries = owner.Entries();
    EXPECT_EQ(entries[0].event.kind, DeviceEvent::Kind::Played);
    EXPECT_EQ(entries[1].event.kind, DeviceEvent::Kind::PlayedOut);
    device->Close();
    owner.join();
}

// An output closed at once after its open (a play stopped as it starts) is closed while the
// server's answer about its timing is on the way; that answer finds nothing left to write to.
TEST(SoundServerOutput, AnOutputClosedBeforeItsTimingAnswerCameIsLeftAlone) {
    if (!test::HasPrivateServer()) {
        GTEST_SKIP() << "no private sound server: run through scripts/with-sound-server.sh";
    }
    PulseSoundSystem pulse;
    ASSERT_EQ(pulse.InitResult(), kDeviceOk);
    test::CompletionRecorder owner;
    owner.start();
    auto device = pulse.Create(DeviceDirection::Output, StreamRole::Player);
    std::vector<int16_t> tone = test::Sine(440, 8000, kSampleRate / 5);
    WaveHeader header;
    header.Describe(tone.data(), static_cast<uint32_t>(tone.size() * sizeof(int16_t)));
    for (int k = 0; k < 50; ++k) {
        ASSERT_EQ(device->Open(PcmFormat(1), owner), kDeviceOk) << k;
        device->Prepare(header);
        ASSERT_EQ(device->Queue(header), kDeviceOk) << k;
        device->Reset();
        device->Unprepare(header);
        device->Close();
    }
    std::this_thread::sleep_for(200ms);  // the last answers arrive
    owner.join();
}

}  // namespace
}  // namespace tonavise
