// Whole-file work: analysing a 60 s clip block by block (as `tonavise-cli analyze` does), and
// loading a 3-minute MP3 against the mpg123 command-line decoder writing a WAV.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "AudioFormat.h"
#include "BenchSupport.h"
#include "CaptureStore.h"
#include "ClipAnalysis.h"
#include "Doreme.h"
#include "Fft.h"
#include "FileLoading.h"

namespace tonavise::bench {
namespace {

constexpr double kClipSeconds = 60.0;
constexpr double kMp3Seconds = 180.0;

// Counter: seconds of sound handled per second of time, i.e. the multiple of real time.
benchmark::Counter RealTimeMultiple(double seconds) {
    return benchmark::Counter(seconds, benchmark::Counter::kIsIterationInvariantRate);
}

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
    CDoreme doreme;
    CFft fft(kFftSize);
    int64_t blocks = 0;
    for (auto _ : state) {
        blocks = AnalyzeClip(clip, store, fft, doreme, nullptr);
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
    CDoreme doreme;
    CFft fft(kFftSize);
    for (auto _ : state) {
        LoadedClip clip;
        if (!LoadWav(path, clip, notifier)) {
            state.SkipWithError(notifier.last.c_str());
            return;
        }
        AnalyzeClip(clip, store, fft, doreme, nullptr);
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
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const int status = Run({"mpg123", "-q", "-w", wav, mp3});
        const auto t1 = std::chrono::steady_clock::now();
        if (status != 0) {
            state.SkipWithError("mpg123 failed or is missing");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    }
    state.counters["x_realtime"] = RealTimeMultiple(kMp3Seconds);
}

BENCHMARK(BM_LoadMp3)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Mpg123Command)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tonavise::bench
