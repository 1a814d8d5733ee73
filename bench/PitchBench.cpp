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
#include "engine/dsp/PitchSeries.h"
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

// The tuner's two series over one second of sound streamed in 20 ms pieces, as the capture hands
// them: what the tuner costs per second of a held note. Arg: 0 a steady A4 sawtooth, 1 the same
// with a vibrato of 5.5 Hz and ±30 cents, 2 white noise.
void BM_PitchSeriesPerSecond(benchmark::State& state) {
    std::vector<int16_t> sound(kSampleRate);
    std::mt19937 random(5);
    std::normal_distribution<double> noise(0.0, 5000.0);
    double phase = 0.0;
    for (int i = 0; i < kSampleRate; ++i) {
        const double t = static_cast<double>(i) / kSampleRate;
        const double cents =
            state.range(0) == 1 ? 30.0 * std::sin(2 * std::numbers::pi * 5.5 * t) : 0.0;
        phase += 2 * std::numbers::pi * 440.0 * std::exp2(cents / 1200.0) / kSampleRate;
        double v = 0.0;
        for (int n = 1; n <= 20; ++n) {
            v += 8000.0 / n * std::sin(n * phase);
        }
        sound[static_cast<std::size_t>(i)] =
            static_cast<int16_t>(state.range(0) == 2 ? noise(random) : v);
    }
    struct Count final : PitchSeries::Sink {
        int pitched = 0;
        void OnSteady(const SeriesReading& r) override { pitched += r.estimate.hasPitch ? 1 : 0; }
    } sink;
    PitchSeries series;
    if (!series.Init()) {
        state.SkipWithError("no memory");
        return;
    }
    KeyTable keyTable;
    series.SetRange(keyTable.KeyFrequency(0), keyTable.KeyFrequency(87));
    // A second of the note first, so that the steady frame is whole.
    for (std::size_t k = 0; k + PitchSeries::kSteadyHop <= sound.size();
         k += PitchSeries::kSteadyHop) {
        series.Push(std::span(sound).subspan(k, PitchSeries::kSteadyHop), sink);
    }
    sink.pitched = 0;
    for (auto _ : state) {
        for (std::size_t k = 0; k + PitchSeries::kSteadyHop <= sound.size();
             k += PitchSeries::kSteadyHop) {
            series.Push(std::span(sound).subspan(k, PitchSeries::kSteadyHop), sink);
        }
    }
    state.counters["steady_pitched_per_s"] =
        benchmark::Counter(sink.pitched, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PitchSeriesPerSecond)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tonavise::bench
