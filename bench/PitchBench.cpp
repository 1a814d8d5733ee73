// The precise pitch estimate's cost per analysis pass, beside the whole pass with and without
// it. The budget is half a millisecond per pass on top of the standard analysis.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "engine/core/AudioFormat.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/dsp/NsdfPitch.h"
#include "engine/live/AnalysisThread.h"
#include "engine/live/CaptureStore.h"

namespace tonavise::bench {
namespace {

// A history of a sawtooth of 20 partials at hz (0: white noise).
std::vector<int16_t> History(double hz) {
    std::vector<int16_t> s(kHistoryLength);
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0.0, 5000.0);
    for (int i = 0; i < kHistoryLength; ++i) {
        double v = 0.0;
        for (int n = 1; n <= 20 && hz > 0 && n * hz < 20000; ++n) {
            v += 8000.0 / n * std::sin(2 * std::numbers::pi * n * hz * i / kSampleRate);
        }
        s[i] = static_cast<int16_t>(hz > 0 ? v : noise(random));
    }
    return s;
}

// Arg: the tone in tenths of a hertz (0: white noise, which ends at the clarity test).
void BM_PreciseEstimate(benchmark::State& state) {
    const std::vector<int16_t> history = History(state.range(0) / 10.0);
    NsdfPitchEstimator estimator;
    if (!estimator.Init()) {
        state.SkipWithError("no memory");
        return;
    }
    KeyTable keyTable;
    PitchEstimate p;
    for (auto _ : state) {
        estimator.LoadMono(history);
        p = estimator.Estimate(keyTable.KeyFrequency(0), keyTable.KeyFrequency(87));
        benchmark::DoNotOptimize(p);
    }
    state.counters["hz"] = p.hz;
}
BENCHMARK(BM_PreciseEstimate)
    ->Arg(275)    // A0: long frame
    ->Arg(824)    // E2, the guitar's lowest string: long frame
    ->Arg(4400)   // A4
    ->Arg(41860)  // C8
    ->Arg(0)      // noise
    ->Unit(benchmark::kMicrosecond);

// One whole analysis pass (load, transform, magnitudes, standard estimate, publication) with
// the pitch method as the argument: 0 standard only, 1 with the precise estimate (A2 tone: the
// long frame).
void BM_AnalysisPassByPitchMethod(benchmark::State& state) {
    CaptureStore store;
    store.Create();
    const std::vector<int16_t> history = History(110.0);
    for (int k = 0; k + kBlockFrames <= kHistoryLength; k += kBlockFrames) {
        store.AppendBlock(std::span(history).subspan(k, kBlockFrames), 1);
    }
    KeyTable keyTable;
    keyTable.pitchMethod.store(static_cast<int32_t>(state.range(0)));
    Fft fft(kFftSize);
    NsdfPitchEstimator precise;
    if (!precise.Init()) {
        state.SkipWithError("no memory");
        return;
    }
    for (auto _ : state) {
        RunAnalysisPass(store, fft, keyTable, false, &precise);
        benchmark::DoNotOptimize(store.spectrum.acquire().precise);
    }
}
BENCHMARK(BM_AnalysisPassByPitchMethod)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tonavise::bench
