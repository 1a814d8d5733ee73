// play and record: the file player and the recorder of the program, without a window.
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <ostream>
#include <thread>

#include "cli/Commands.h"
#include "cli/StreamNotifier.h"
#include "engine/FilePlayThread.h"
#include "engine/LiveEngine.h"
#include "engine/Notifier.h"
#include "engine/RecordingStore.h"
#include "engine/WaveInThread.h"

namespace tonavise::cli {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The player's reports; Handled() waits until the player has worked through its queue.
class Reports final : public PlayerListener {
  public:
    void OnPlayerPosition(int64_t position, int64_t) override {
        std::lock_guard lock(mutex_);
        position_ = position;
        ++reports_;
        cv_.notify_all();
    }
    void OnPlayerLoaded(int64_t) override {}
    int64_t Position() {
        std::lock_guard lock(mutex_);
        return position_;
    }
    // Posts a feed and waits for its report: every earlier message has then been handled.
    bool Handled(CFilePlayThread& player, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        const int64_t before = reports_;
        lock.unlock();
        player.PostFeed(this);
        lock.lock();
        return cv_.wait_for(lock, timeout, [&] { return reports_ > before; });
    }

  private:
    std::mutex mutex_;
    std::condition_variable cv_;
    int64_t position_ = 0;
    int64_t reports_ = 0;
};

// Counts the blocks captured while recording is switched on.
class BlockCount final : public CaptureObserver {
  public:
    explicit BlockCount(const RecordingStore& r) : recordings_(r) {}
    void OnCaptured(std::span<const int16_t>, int, double) override {
        if (recordings_.recording.load() == 1) {
            ++blocks;
        }
    }
    std::atomic<int64_t> blocks{0};

  private:
    const RecordingStore& recordings_;
};

class FixedPath final : public SavePathChooser {
  public:
    explicit FixedPath(std::string path) : path_(std::move(path)) {}
    std::optional<std::string> ChooseSavePath() override { return path_; }

  private:
    std::string path_;
};

}  // namespace

int RunPlay(const PlayOptions& options,
            DeviceFactory& devices,
            const std::atomic<bool>& stop,
            std::ostream& out,
            std::ostream& err) {
    StreamNotifier notifier(err);
    Reports reports;  // before the engine: the player reports to it until the engine stops
    LiveEngine engine(notifier);
    CaptureStore& store = engine.captureStore;
    CDoreme& doreme = engine.doreme;
    store.Create();
    store.scopeMode.store(kScopePitch);
    doreme.SetA4(options.a4);
    LiveEngine::Parts parts;
    parts.capture = false;
    parts.output = false;
    parts.recorder = false;
    if (!engine.Start(&devices, UiLanguage::English, parts)) {
        err << "tonavise-cli: " << kMemoryNotEnough << '\n';
        return 1;
    }
    CFilePlayThread& player = *engine.player();
    // Loading a long MP3 takes a moment: wait for the open to be handled, however long.
    engine.OpenFile(options.file, &reports);
    while (!reports.Handled(player, 1s)) {
        if (stop.load()) {
            return 1;
        }
    }
    if (!player.IsLoaded()) {
        if (!notifier.Shown()) {
            err << options.file << ": not a .wav or .mp3 file\n";
        }
        return 1;
    }
    const double bytesPerSecond = static_cast<double>(player.BytesPerSecond());
    engine.PlayFile(std::llround(options.fromSeconds * bytesPerSecond));
    if (!reports.Handled(player, 5s) || !player.IsPlaying()) {
        err << "tonavise-cli: the sound output cannot be opened\n";
        return 1;
    }

    out << "time_s,position_s,f0_hz,key,name,cents\n";
    const auto start = Clock::now();
    auto next = start;
    while (!stop.load() && player.IsPlaying()) {
        const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
        if (options.seconds > 0 && elapsed >= options.seconds) {
            break;
        }
        next += 100ms;
        std::this_thread::sleep_until(next);
        store.finishedFftEvent.reset();
        if (!reports.Handled(player, 1s) || !player.IsPlaying()) {
            continue;
        }
        if (!store.finishedFftEvent.wait(1s)) {
            continue;
        }
        const SpectrumFrame& frame = store.spectrum.acquire();
        const NearestKeyResult nk = doreme.NearestKey(frame.fundamentalHz);
        const bool named = nk.key >= 0 && nk.key < kKeyCount;
        char line[160];
        std::snprintf(line,
                      sizeof line,
                      "%.1f,%.3f,%.3f,%d,%s,%d\n",
                      std::chrono::duration<double>(Clock::now() - start).count(),
                      static_cast<double>(reports.Position()) / bytesPerSecond,
                      frame.fundamentalHz,
                      nk.key,
                      named ? std::string(doreme.LongName(nk.key)).c_str() : "",
                      nk.cents);
        out << line;
        out.flush();
    }
    engine.StopFile();
    engine.Stop();
    return 0;
}

int RunRecord(const RecordOptions& options,
              DeviceFactory& devices,
              const std::atomic<bool>& stop,
              std::ostream& out,
              std::ostream& err) {
    StreamNotifier notifier(err);
    LiveEngine engine(notifier);
    CaptureStore& store = engine.captureStore;
    RecordingStore& recordings = engine.recordingStore;
    store.Create();
    store.recTimeIndex.store(options.timeIndex);
    store.recRepeating.store(options.repeat ? 1 : 0);
    BlockCount count(recordings);
    LiveEngine::Parts parts;
    parts.output = false;
    parts.analysis = false;
    // The recorder takes its memory for the recording time as it starts, then switches
    // recording on: both in its queue's order.
    engine.Start(&devices, UiLanguage::English, parts, &count);
    engine.RecordOn();

    // Seconds of sound, not of waiting: a sound server may take a moment before sound flows.
    const auto wanted = static_cast<int64_t>(std::llround(options.seconds * 10));
    const auto limit = Clock::now() + std::chrono::duration<double>(options.seconds + 10);
    bool switchedOn = false;
    while (!stop.load() && !notifier.Shown()) {
        if (count.blocks.load() >= wanted) {
            break;
        }
        if (Clock::now() > limit) {
            err << "tonavise-cli: the sound input delivers too little sound\n";
            break;
        }
        if (recordings.recording.load() == 1) {
            switchedOn = true;
        } else if (switchedOn) {
            break;  // the store is full and repeated recording is off
        }
        std::this_thread::sleep_for(10ms);
    }
    // Off at once, not through the recorder's queue: no block after the last one counted.
    recordings.recording.store(0);
    engine.Stop();
    if (notifier.Shown() && recordings.Count() == 0) {
        return 1;  // the microphone could not be opened
    }
    FixedPath path(options.output);
    if (!recordings.SaveAs(path, notifier, UiLanguage::English)) {
        return 1;
    }
    const int blocks = recordings.Count();
    out << "recorded " << blocks << " blocks (" << blocks / 10.0 << " s) to " << options.output
        << '\n';
    return 0;
}

}  // namespace tonavise::cli
