// Whole-file work: analysing a 60 s clip block by block (as `tonavise-cli analyze` does), and
// loading a 3-minute MP3 against the mpg123 command-line decoder writing a WAV.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <string>

#include "BenchSupport.h"
#include "engine/audiofile/FileLoading.h"
#include "engine/core/AudioFormat.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/CaptureStore.h"
#include "engine/live/ClipAnalysis.h"

namespace tonavise::bench {
namespace {

constexpr double kClipSeconds = 60.0;
constexpr double kMp3Seconds = 180.0;

// Counter: seconds of sound handled per second of time, i.e. the multiple of real time.
benchmark::Counter RealTimeMultiple(double seconds) {
    return benchmark::Counter(seconds, benchmark::Counter::kIsIterationInvariantRate);
}

double ThreadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// The multiple of real time per second of this thread's processor time (x_realtime_cpu): on a
// shared machine the wall clock also counts the time other processes had the core.
class CpuTime {
  public:
    explicit CpuTime(benchmark::State& state, double seconds)
        : state_(state), seconds_(seconds), start_(ThreadCpuSeconds()) {}
    ~CpuTime() {
        const double used = ThreadCpuSeconds() - start_;
        if (used > 0 && state_.iterations() > 0) {
            state_.counters["x_realtime_cpu"] =
                seconds_ * static_cast<double>(state_.iterations()) / used;
        }
    }
    CpuTime(const CpuTime&) = delete;
    CpuTime& operator=(const CpuTime&) = delete;

  private:
    benchmark::State& state_;
    double seconds_;
    double start_;
};

// AnalyzeClip on a loaded 60 s mono 44.1 kHz clip: 600 blocks, each fed, appended and analysed.
void BM_AnalyzeClip(benchmark::State& state) {
    KeepingNotifier notifier;
    LoadedClip clip;
    if (!LoadWav(MakeWav("tune-60s-mono.wav", kClipSeconds, 1), clip, notifier)) {
        state.SkipWithError(notifier.last.c_str());
        return;
    }
    CaptureStore store;
    store.Create();
    store.scopeMode.store(kScopeFrequency);
    KeyTable keyTable;
    Fft fft(kFftSize);
    int64_t blocks = 0;
    {
        const CpuTime cpu(state, kClipSeconds);
        for (auto _ : state) {
            blocks = AnalyzeClip(clip, store, fft, keyTable, nullptr);
        }
    }
    state.counters["blocks"] = static_cast<double>(blocks);
    state.counters["x_realtime"] = RealTimeMultiple(kClipSeconds);
}

// The same with loading the WAV file each time: what `analyze` does for a file, less printing.
void BM_AnalyzeWavFile(benchmark::State& state) {
    const std::string path = MakeWav("tune-60s-mono.wav", kClipSeconds, 1);
    KeepingNotifier notifier;
    CaptureStore store;
    store.Create();
    store.scopeMode.store(kScopeFrequency);
    KeyTable keyTable;
    Fft fft(kFftSize);
    for (auto _ : state) {
        LoadedClip clip;
        if (!LoadWav(path, clip, notifier)) {
            state.SkipWithError(notifier.last.c_str());
            return;
        }
        AnalyzeClip(clip, store, fft, keyTable, nullptr);
    }
    state.counters["x_realtime"] = RealTimeMultiple(kClipSeconds);
}

BENCHMARK(BM_AnalyzeClip)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnalyzeWavFile)->UseRealTime()->Unit(benchmark::kMillisecond);

// LoadMp3 of a 3-minute stereo 128 kbit/s MP3 made with lame: read, scan and decode to memory.
void BM_LoadMp3(benchmark::State& state) {
    const std::string mp3 = MakeMp3("tune-180s.mp3", kMp3Seconds);
    if (mp3.empty()) {
        state.SkipWithError("lame could not make the MP3");
        return;
    }
    KeepingNotifier notifier;
    const CpuTime cpu(state, kMp3Seconds);
    for (auto _ : state) {
        LoadedClip clip;
        if (!LoadMp3(mp3, clip, notifier)) {
            state.SkipWithError(notifier.last.c_str());
            return;
        }
        benchmark::DoNotOptimize(clip.data.get());
    }
    state.counters["x_realtime"] = RealTimeMultiple(kMp3Seconds);
}

// The mpg123 command-line decoder on the same file, writing a WAV (process start included).
void BM_Mpg123Command(benchmark::State& state) {
    const std::string mp3 = MakeMp3("tune-180s.mp3", kMp3Seconds);
    if (mp3.empty()) {
        state.SkipWithError("lame could not make the MP3");
        return;
    }
    const std::string wav = WorkDir() + "/mpg123-out.wav";
    double cpu = 0.0;
    for (auto _ : state) {
        double used = 0.0;
        const auto t0 = std::chrono::steady_clock::now();
        const int status = Run({"mpg123", "-q", "-w", wav, mp3}, &used);
        const auto t1 = std::chrono::steady_clock::now();
        if (status != 0) {
            state.SkipWithError("mpg123 failed or is missing");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        cpu += used;
    }
    state.counters["x_realtime"] = RealTimeMultiple(kMp3Seconds);
    state.counters["x_realtime_cpu"] = kMp3Seconds * static_cast<double>(state.iterations()) / cpu;
}

BENCHMARK(BM_LoadMp3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mpg123Command)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonavise::bench
