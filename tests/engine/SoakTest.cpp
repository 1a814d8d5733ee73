// Thirty minutes of the program's sound life in a few seconds: live capture with repeated
// recording into the store, the file player opening, playing, feeding and stopping in a loop,
// and the recorder playing back and saving, all at once on virtual devices with a fast clock.
// Three times the sound system goes away and comes back (the streams die, the input will not
// open for a while), as a sound server that is restarted. Memory in use must not grow, no
// captured block is lost outside the outages, and each outage is said once; the sanitizer
// builds run the same test.
#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "engine/device/VirtualSound.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/AnalysisThread.h"
#include "engine/live/CaptureStore.h"
#include "engine/live/CaptureThread.h"
#include "engine/live/LiveEngine.h"
#include "engine/live/PlayerThread.h"
#include "engine/live/RecorderThread.h"
#include "engine/live/RecordingStore.h"
#include "engine/live/WorkerCommands.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;

class SilentNotifier final : public Notifier {
  public:
    void ShowMessage(std::string_view, std::string_view, MessageIcon) override { ++count; }
    std::atomic<int> count{0};
};

class NullListener final : public PlayerListener {
  public:
    void OnPlayerPosition(int64_t, int64_t) override {}
    void OnPlayerLoaded(int64_t) override {}
};

class BlockCounter final : public CaptureObserver {
  public:
    void OnCaptured(std::span<const int16_t>, int, double) override { ++blocks; }
    std::atomic<int64_t> blocks{0};
};

class PathChooser final : public SavePathChooser {
  public:
    explicit PathChooser(std::string p) : path(std::move(p)) {}
    std::optional<std::string> ChooseSavePath() override { return path; }
    std::string path;
};

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

TEST(Soak, ThirtyMinutesOfCapturePlayerAndRecorder) {
    constexpr int64_t kBlocks = 30 * 60 * 10;  // 30 minutes of 100 ms blocks
    constexpr double kSpeed = 300.0;

    test::TempDir dir;
    const std::string wav = dir.Write(
        "tone.wav",
        test::RiffWave(test::Chunk("fmt ", test::FmtBody(1, 2, 48000, 4, 16)) +
                       test::Chunk("data", test::Bytes(test::Sine(660, 8000, 48000, 48000, 2)))));

    VirtualSoundSystem sound;
    sound.SetRecordOutput(false);
    // One second of A4 (440 whole periods) repeated: no per-sample work on the fast clock.
    std::vector<int16_t> second(44100);
    for (std::size_t i = 0; i < second.size(); ++i) {
        second[i] = static_cast<int16_t>(8000 * std::sin(i * 2 * M_PI * 440 / 44100));
    }
    sound.SetInputLoop(std::move(second));
    SilentNotifier notifier;
    BlockCounter counter;  // before the engine: it must outlive the capture thread
    LiveEngine engine(notifier);
    CaptureStore& capture = engine.captureStore;
    RecordingStore& recordings = engine.recordingStore;
    capture.Create();
    capture.scopeMode = kScopePitch;
    engine.controls.recTimeIndex = 0;
    engine.controls.recRepeating = 1;
    NullListener listener;

    LiveEngine::Parts parts;
    parts.output = false;
    ASSERT_TRUE(engine.Start(&sound, UiLanguage::English, parts, &counter));
    sound.StartClock(kSpeed);
    engine.RecordOn();

    std::size_t heapAfterWarmUp = 0;
    int cycles = 0;
    int saves = 0;
    int outages = 0;
    std::chrono::steady_clock::time_point outageEnds{};
    const auto started = std::chrono::steady_clock::now();
    while (counter.blocks.load() < kBlocks) {
        ASSERT_LT(std::chrono::steady_clock::now() - started, 480s) << "the capture stalled";
        switch (cycles % 8) {
            case 0:
                engine.OpenFile(wav, &listener);
                break;
            case 1:
                engine.PlayFile(0);
                break;
            case 2:
            case 3:
                engine.ReportPlayerPosition(&listener);
                break;
            case 4:
                engine.StopFile();
                break;
            case 5:
                engine.RecordOff();
                engine.StopRecordingPlayback();
                engine.PlayRecording();
                break;
            case 6:
                if (cycles % 64 == 6) {
                    engine.RecordOff();
                    engine.StopRecordingPlayback();
                    PathChooser chooser(dir.File("take.wav"));
                    saves += recordings.SaveAs(chooser, notifier, UiLanguage::English) ? 1 : 0;
                }
                break;
            case 7:
                engine.StopRecordingPlayback();
                engine.RecordOn();
                break;
        }
        ++cycles;
        // An outage at a quarter, a half and three quarters of the run: the streams die and
        // the input cannot open for 300 ms (a minute and a half of the fast clock).
        if (outages < 3 && counter.blocks.load() > kBlocks * (outages + 1) / 4) {
            sound.SetOpenResult(DeviceDirection::Input, kDeviceNoDriver);
            sound.KillStream(DeviceDirection::Input, kDeviceStreamEnded);
            sound.KillStream(DeviceDirection::Output, kDeviceStreamEnded);
            outageEnds = std::chrono::steady_clock::now() + 300ms;
            ++outages;
        }
        if (outageEnds != std::chrono::steady_clock::time_point{} &&
            std::chrono::steady_clock::now() >= outageEnds) {
            sound.SetOpenResult(DeviceDirection::Input, kDeviceOk);
            outageEnds = {};
        }
        // The clock's ticks alone fill at most the two capture buffers per tick; finishing the
        // queued ones at once as well lets the capture run as fast as it can work, without
        // dropping sound, so a slow (sanitizer) build still gets through its thirty minutes.
        sound.Complete(DeviceDirection::Input, 2);
        std::this_thread::sleep_for(1ms);
        if (heapAfterWarmUp == 0 && counter.blocks.load() > kBlocks / 10) {
            heapAfterWarmUp = HeapInUse();
        }
    }
    const std::size_t heapAtEnd = HeapInUse();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    const LiveInputState input = engine.InputState();
    sound.StopClock();
    engine.Stop();

    RecordProperty("simulated_minutes", std::to_string(counter.blocks.load() / 600.0));
    RecordProperty("real_seconds", std::to_string(seconds));
    RecordProperty("heap_growth_bytes",
                   std::to_string(static_cast<long long>(heapAtEnd) -
                                  static_cast<long long>(heapAfterWarmUp)));
    std::printf(
        "soak: %.1f simulated minutes in %.1f s, %d command cycles, %d saves, heap %zu -> %zu "
        "bytes\n",
        counter.blocks.load() / 600.0,
        seconds,
        cycles,
        saves,
        heapAfterWarmUp,
        heapAtEnd);
    EXPECT_EQ(outages, 3);
    // Each outage is said once by the capture, and once more by a play or a playback whose
    // stream it ended; the failed reopens say nothing.
    EXPECT_GE(notifier.count.load(), 3);
    EXPECT_LE(notifier.count.load(), 6);
    EXPECT_EQ(input.droppedBlocks, 0u) << "blocks lost outside the outages";
    EXPECT_FALSE(input.noInput) << "the input came back after the last outage";
    EXPECT_GT(saves, 0);
    // Opening a file replaces the previous one; recording reuses its blocks: nothing accumulates.
    EXPECT_LT(heapAtEnd, heapAfterWarmUp + 1024 * 1024);
}

}  // namespace
}  // namespace tonavise
