// play and record: the file player and the recorder of the program, without a window.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <ostream>
#include <sstream>
#include <thread>

#include "cli/Commands.h"
#include "cli/StreamNotifier.h"
#include "engine/audiofile/PracticeStream.h"
#include "engine/core/Notifier.h"
#include "engine/live/CaptureThread.h"
#include "engine/live/LiveEngine.h"
#include "engine/live/PitchReading.h"
#include "engine/live/RecordingStore.h"

namespace tonavise::cli {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The player's reports: the position it reports with every block it feeds, and Handled(), which
// waits until the player has worked through its queue.
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
    // Asks for a report and waits for it: every earlier command has then been handled.
    bool Handled(LiveEngine& engine, std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        const int64_t before = reports_;
        lock.unlock();
        engine.ReportPlayerPosition(this);
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

// Why a recording could not be saved at `path`, or empty: its folder must exist and take new
// files, and the path must not be a folder itself.
std::string SaveTargetProblem(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path);
    if (fs::is_directory(target, ec)) {
        return "is a folder";
    }
    // A device or a pipe would take the recording and lose it: only a regular file, new or
    // one to replace, keeps it.
    if (fs::exists(fs::symlink_status(target, ec)) && !fs::is_regular_file(target, ec)) {
        return "is not a regular file";
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec)) {
        return "the folder " + folder.string() + " does not exist";
    }
    if (access(folder.c_str(), W_OK) != 0) {
        return "the folder " + folder.string() + " cannot be written";
    }
    return {};
}

class FixedPath final : public SavePathChooser {
  public:
    explicit FixedPath(std::string path) : path_(std::move(path)) {}
    std::optional<std::string> ChooseSavePath() override { return path_; }

  private:
    std::string path_;
};

// Seconds of the file played between two positions (bytes) a feed apart: a step back is a pass
// of the loop, from `last` to its end and from its start to `now`.
double PlayedBetween(int64_t last,
                     int64_t now,
                     const std::optional<LoopSeconds>& loop,
                     double rate) {
    const double from = static_cast<double>(last) / rate;
    const double to = static_cast<double>(now) / rate;
    if (to >= from || !loop) {
        return std::max(0.0, to - from);
    }
    return std::max(0.0, loop->b - from) + std::max(0.0, to - loop->a);
}

}  // namespace

std::optional<LoopSeconds> ParseLoopOption(const std::string& text, std::string& problem) {
    LoopSeconds loop;
    char rest = 0;
    if (std::sscanf(text.c_str(), "%lf,%lf%c", &loop.a, &loop.b, &rest) != 2 ||
        !std::isfinite(loop.a) || !std::isfinite(loop.b)) {
        problem = "needs A,B in seconds, such as 12.5,16";
        return std::nullopt;
    }
    if (loop.a < 0) {
        problem = "A must not be negative";
        return std::nullopt;
    }
    if (loop.b - loop.a < kMinLoopSeconds) {
        char line[160];
        std::snprintf(line,
                      sizeof line,
                      "B (%g s) must be at least %g s after A (%g s)",
                      loop.b,
                      kMinLoopSeconds,
                      loop.a);
        problem = line;
        return std::nullopt;
    }
    return loop;
}

int RunPlay(const PlayOptions& options,
            DeviceFactory& devices,
            const std::atomic<bool>& stop,
            std::ostream& out,
            std::ostream& err) {
    // Practice settings out of range are refused before anything plays.
    const std::optional<PitchNaming> naming =
        PitchNamingOf(options.tuning, options.a4, "play", err);
    if (!naming) {
        return 2;
    }
    if (!(options.speed >= kMinSpeedPercent / 100.0 && options.speed <= kMaxSpeedPercent / 100.0)) {
        err << "tonavise-cli play: --speed must be between 0.5 and 1.5, not " << options.speed
            << '\n';
        return 1;
    }
    if (std::abs(options.transpose) > kMaxTransposeSemitones) {
        err << "tonavise-cli play: --transpose must be between -12 and 12 semitones, not "
            << options.transpose << '\n';
        return 1;
    }
    std::optional<LoopSeconds> loop;
    if (!options.loop.empty()) {
        std::string problem;
        loop = ParseLoopOption(options.loop, problem);
        if (!loop) {
            err << "tonavise-cli play: --loop " << options.loop << ": " << problem << '\n';
            return 1;
        }
    }
    if (options.loopGap != 0.0 &&
        !(options.loopGap >= kMinLoopGapSeconds && options.loopGap <= kMaxLoopGapSeconds)) {
        err << "tonavise-cli play: --loop-gap must be between 0.5 and 4 seconds, not "
            << options.loopGap << '\n';
        return 1;
    }
    int trainerStart = 0;
    int trainerStep = 0;
    int trainerTarget = 0;
    if (!options.trainer.empty()) {
        double start = 0;
        double step = 0;
        double target = 0;
        char c1 = 0;
        char c2 = 0;
        std::istringstream in(options.trainer);
        const auto percent = [](double v) { return static_cast<int>(std::lround(v * 100)); };
        if (!(in >> start >> c1 >> step >> c2 >> target) || c1 != ',' || c2 != ',' ||
            !(in >> std::ws).eof() || percent(start) < kMinSpeedPercent ||
            percent(target) > kMaxSpeedPercent || percent(step) < 1) {
            err << "tonavise-cli play: --trainer " << options.trainer
                << ": give START,STEP,TARGET in the unit of --speed, from 0.5 to 1.5 with a "
                   "step of at least 0.01 (0.7,0.1,1.0)\n";
            return 1;
        }
        if (percent(target) <= percent(start)) {
            err << "tonavise-cli play: --trainer " << options.trainer
                << ": the target must be faster than the start\n";
            return 1;
        }
        if (options.loop.empty()) {
            err << "tonavise-cli play: --trainer speeds up each pass of a loop: give --loop A,B\n";
            return 1;
        }
        trainerStart = percent(start);
        trainerStep = percent(step);
        trainerTarget = percent(target);
    }
    StreamNotifier notifier(err);
    Reports reports;  // before the engine: the player reports to it until the engine stops
    LiveEngine engine(notifier);
    CaptureStore& store = engine.captureStore;
    KeyTable& keyTable = engine.keyTable;
    store.scopeMode.store(kScopePitch);
    keyTable.SetA4(options.a4);
    keyTable.pitchMethod.store(options.method == "precise" ? kPitchMethodPrecise
                                                           : kPitchMethodStandard);
    LiveEngine::Parts parts;
    parts.capture = false;
    parts.output = false;
    parts.recorder = false;
    if (!engine.Start(&devices, UiLanguage::English, parts)) {
        err << "tonavise-cli: " << kMemoryNotEnough << '\n';
        return 1;
    }
    // Loading a long MP3 takes a moment: wait for the open to be handled, however long.
    engine.OpenFile(options.file, &reports);
    while (!reports.Handled(engine, 1s)) {
        if (stop.load()) {
            return 1;
        }
    }
    if (!engine.Player().loaded) {
        if (!notifier.Shown()) {
            err << options.file << ": not a .wav or .mp3 file\n";
        }
        return 1;
    }
    const PlayerState loaded = engine.Player();
    const double bytesPerSecond = static_cast<double>(loaded.bytesPerSecond);
    const double fileSeconds = loaded.length / bytesPerSecond;
    if (loop && loop->b > fileSeconds) {
        err << "tonavise-cli play: --loop " << options.loop << ": B lies past the end of the file ("
            << fileSeconds << " s)\n";
        return 1;
    }
    engine.SetPlayerSpeed(trainerStart > 0 ? trainerStart
                                           : static_cast<int>(std::lround(options.speed * 100)));
    engine.SetPlayerTranspose(options.transpose);
    engine.SetPlayerLoopGap(options.loopGap);
    engine.SetPlayerTrainer(trainerStep, trainerTarget > 0 ? trainerTarget : 100);
    double from = options.fromSeconds;
    if (loop) {
        engine.SetPlayerLoop(std::llround(loop->a * bytesPerSecond),
                             std::llround(loop->b * bytesPerSecond));
        if (!options.fromGiven) {
            from = loop->a;  // a loop is practised from its start
        }
    }
    engine.PlayFile(std::llround(from * bytesPerSecond));
    if (!reports.Handled(engine, 5s) || !engine.Player().playing) {
        err << "tonavise-cli: the sound output cannot be opened\n";
        return 1;
    }

    out << "time_s,position_s,f0_hz,key,name,cents\n";
    // A sound server may take a second or more before a new stream sounds: the rows start
    // when the position first moves, so that none shows a position that is not being heard,
    // and --seconds counts seconds of sound played, from the play position.
    const int64_t startPosition = reports.Position();  // reported once the play was handled
    std::optional<Clock::time_point> start;
    int64_t lastPosition = startPosition;
    double played = 0.0;  // seconds of the file, loop passes included
    StandInNotice standIn(&devices, DeviceDirection::Output, notifier);
    // The player feeds the analysis every 100 ms and reports the position of each block just
    // before it hands it over; a row follows each spectrum.
    store.finishedFftEvent.reset();
    while (!stop.load() && engine.Player().playing) {
        if (options.seconds > 0 && start && played >= options.seconds) {
            break;
        }
        const bool analysed = store.finishedFftEvent.wait(1s);
        standIn.Update();
        if (!analysed || !engine.Player().playing) {
            continue;
        }
        // The position of the block just analysed.
        const int64_t position = reports.Position();
        if (start) {
            played += PlayedBetween(lastPosition, position, loop, bytesPerSecond);
        }
        lastPosition = position;
        if (!start) {
            // Not sounding yet until at least a millisecond has been heard (the rows print the
            // position in milliseconds); a server's first reports may also step back to 0
            // before the stream runs.
            if (static_cast<double>(position - startPosition) < bytesPerSecond / 1000.0) {
                continue;
            }
            start = Clock::now();
        }
        const SpectrumFrame& frame = store.spectrum.acquire();
        PitchReading reading = ReadPitch(frame, keyTable);
        naming->Apply(reading);
        char line[64];
        std::snprintf(line,
                      sizeof line,
                      "%.1f,%.3f,",
                      std::chrono::duration<double>(Clock::now() - *start).count(),
                      static_cast<double>(position) / bytesPerSecond);
        // The standard estimate's columns with whole cents, the precise one's with tenths.
        out << line << PitchColumns(reading, keyTable) << '\n';
        out.flush();
    }
    // A file shorter than a row's 100 ms can be played out before the first row: the player
    // ends it only once its sound has been heard (or says why it could not).
    const bool playedOut = !stop.load() && !engine.Player().playing;
    engine.StopFile();
    engine.Stop();
    // A play whose stream died (its error is on stderr) played less than asked: it says how
    // much it played.
    if (notifier.Shown() && start) {
        const double asked =
            options.seconds > 0 ? options.seconds : fileSeconds - options.fromSeconds;
        char line[128];
        std::snprintf(line,
                      sizeof line,
                      "tonavise-cli: played %.1f of %.1f s: the sound output was lost",
                      played,
                      asked);
        notifier.Print(line);
    }
    return notifier.Shown() || !(start || playedOut) ? 1 : 0;
}

int RunRecord(const RecordOptions& options,
              DeviceFactory& devices,
              const std::atomic<bool>& stop,
              std::ostream& out,
              std::ostream& err) {
    // The target is checked first: a recording cannot be made again, so a folder that does not
    // exist must not be found only when the recording is over.
    if (const std::string problem = SaveTargetProblem(options.output); !problem.empty()) {
        err << "tonavise-cli record: " << options.output << ": " << problem << '\n';
        return 1;
    }
    StreamNotifier notifier(err);
    LiveEngine engine(notifier);
    RecordingStore& recordings = engine.recordingStore;
    engine.controls.recTimeIndex.store(options.timeIndex);
    engine.controls.recRepeating.store(options.repeat ? 1 : 0);
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
    bool full = false;  // the store filled with repeated recording off: as long as it can be
    bool tooLittle = false;
    InputWatch watch(engine, &devices, notifier);
    while (!stop.load()) {
        // A microphone that fails, also before anything was recorded (no sound server yet), is
        // waited for within the limit: the capture thread reopens it every two seconds.
        watch.Update(count.blocks.load() > 0);
        if (count.blocks.load() >= wanted) {
            break;
        }
        if (Clock::now() > limit) {
            tooLittle = true;
            break;
        }
        if (recordings.recording.load() == 1) {
            switchedOn = true;
        } else if (switchedOn) {
            full = true;  // the store is full and repeated recording is off
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    // Off at once, not through the recorder's queue: no block after the last one counted.
    recordings.recording.store(0);
    engine.Stop();
    if (recordings.Count() == 0) {
        // The microphone could not be opened, or gave no sound.
        notifier.Print(watch.Lost() ? "tonavise-cli: nothing was recorded: no sound input came"
                                    : "tonavise-cli: nothing was recorded");
        return 1;
    }
    FixedPath path(options.output);
    if (!recordings.SaveAs(path, notifier, UiLanguage::English)) {
        return 1;
    }
    const int blocks = recordings.Count();
    // Less than asked, and neither Ctrl-C nor a full store ended it: the partial recording is
    // kept, and the command says what it got and fails.
    if (blocks < wanted && !stop.load() && !full) {
        char line[200];
        std::snprintf(line,
                      sizeof line,
                      "tonavise-cli: recorded %.1f of %g s to %s: %s",
                      blocks / 10.0,
                      options.seconds,
                      options.output.c_str(),
                      watch.Lost() || !tooLittle ? "the sound input was lost"
                                                 : "the sound input delivers too little sound");
        notifier.Print(line);
        return 1;
    }
    out << "recorded " << blocks << " blocks (" << blocks / 10.0 << " s) to " << options.output
        << '\n';
    return 0;
}

}  // namespace tonavise::cli
