// The transform against FFTW on the same data, and one whole analysis pass.
//
// Every case times only the transform itself (manual timing): ours works in place, so its input
// is loaded again before each run, outside the timed part; FFTW runs out of place and keeps its
// input. FFTW plans with FFTW_MEASURE once per process.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "engine/core/AudioFormat.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/AnalysisThread.h"
#include "engine/live/CaptureStore.h"

namespace tonavise::bench {
namespace {

using Clock = std::chrono::steady_clock;

// A history as the analysis sees it: the newest 32768 samples of the tune.
const std::vector<int16_t>& History() {
    static const std::vector<int16_t> history = [] {
        const auto tune = Tune(1.0, 1);
        return std::vector<int16_t>(tune.end() - kFftSize, tune.end());
    }();
    return history;
}

// The windowed history, exactly what LoadMono leaves in re.
const std::vector<double>& WindowedHistory() {
    static const std::vector<double> windowed = [] {
        Fft fft(kFftSize);
        fft.LoadMono(History().data());
        const auto re = fft.re();
        return std::vector<double>(re.begin(), re.end());
    }();
    return windowed;
}

// Times one run for the benchmark and keeps every single time: their median and minimum (the
// counters p50_us and min_us) shrug off the moments when another process had the core, which
// the mean of a shared machine does not.
class Timer {
  public:
    explicit Timer(benchmark::State& state) : state_(state) { times_.reserve(1 << 16); }
    ~Timer() {
        if (times_.empty()) {
            return;
        }
        std::sort(times_.begin(), times_.end());
        state_.counters["p50_us"] = times_[times_.size() / 2] * 1e6;
        state_.counters["min_us"] = times_.front() * 1e6;
    }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    template <typename F>
    void Time(F&& run) {
        const auto t0 = Clock::now();
        run();
        const auto t1 = Clock::now();
        const double seconds = std::chrono::duration<double>(t1 - t0).count();
        state_.SetIterationTime(seconds);
        if (times_.size() < times_.capacity()) {
            times_.push_back(seconds);
        }
    }

  private:
    benchmark::State& state_;
    std::vector<double> times_;
};

void BM_Transform_Ours_RealInput(benchmark::State& state) {
    Fft fft(kFftSize);
    if (state.range(0) == 1) {
        fft.SelectCode(FftCode::Baseline);
    }
    Timer timer(state);
    for (auto _ : state) {
        fft.LoadMono(History().data());
        timer.Time([&] { fft.Transform(); });
        benchmark::DoNotOptimize(fft.re().data());
    }
    state.SetLabel(state.range(0) == 1 ? "baseline x86-64 code" : "best code");
}

void BM_Transform_Ours_ComplexInput(benchmark::State& state) {
    Fft fft(kFftSize);
    if (state.range(0) == 1) {
        fft.SelectCode(FftCode::Baseline);
    }
    std::mt19937 rng(1u);
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    std::vector<double> re(kFftSize);
    std::vector<double> im(kFftSize);
    for (int i = 0; i < kFftSize; ++i) {
        re[i] = d(rng);
        im[i] = d(rng);
    }
    Timer timer(state);
    for (auto _ : state) {
        std::memcpy(fft.re().data(), re.data(), sizeof(double) * kFftSize);
        std::memcpy(fft.im().data(), im.data(), sizeof(double) * kFftSize);
        timer.Time([&] { fft.Transform(); });
        benchmark::DoNotOptimize(fft.re().data());
    }
    state.SetLabel(state.range(0) == 1 ? "baseline x86-64 code" : "best code");
}

// The transform exactly as first written (twiddles from cos/sin at each use).
void BM_Transform_Reference(benchmark::State& state) {
    std::vector<double> re(kFftSize);
    std::vector<double> im(kFftSize);
    Timer timer(state);
    for (auto _ : state) {
        re = WindowedHistory();
        std::fill(im.begin(), im.end(), 0.0);
        timer.Time([&] { ReferenceTransform(re.data(), im.data(), kFftSize); });
        benchmark::DoNotOptimize(re.data());
    }
}

struct FftwBuffer {
    explicit FftwBuffer(std::size_t bytes) : p(fftw_malloc(bytes)) {}
    ~FftwBuffer() { fftw_free(p); }
    FftwBuffer(const FftwBuffer&) = delete;
    FftwBuffer& operator=(const FftwBuffer&) = delete;
    void* p;
};

// The plans found, for the instruction counts (bench/InstructionCount.cpp) to use the same.
void SaveWisdom() {
    const std::string path = WorkDir() + "/fftw-wisdom";
    fftw_export_wisdom_to_filename(path.c_str());
}

struct PlanDeleter {
    void operator()(fftw_plan p) const { fftw_destroy_plan(p); }
};
using Plan = std::unique_ptr<std::remove_pointer_t<fftw_plan>, PlanDeleter>;

void BM_Transform_Fftw_Complex(benchmark::State& state) {
    FftwBuffer in(sizeof(fftw_complex) * kFftSize);
    FftwBuffer out(sizeof(fftw_complex) * kFftSize);
    auto* x = static_cast<fftw_complex*>(in.p);
    auto* y = static_cast<fftw_complex*>(out.p);
    const Plan plan(fftw_plan_dft_1d(kFftSize, x, y, FFTW_FORWARD, FFTW_MEASURE));
    SaveWisdom();
    for (int i = 0; i < kFftSize; ++i) {
        x[i][0] = WindowedHistory()[i];
        x[i][1] = 0.0;
    }
    Timer timer(state);
    for (auto _ : state) {
        timer.Time([&] { fftw_execute(plan.get()); });
        benchmark::DoNotOptimize(y);
    }
}

// FFTW on split arrays, the layout Fft uses.
void BM_Transform_Fftw_ComplexSplit(benchmark::State& state) {
    FftwBuffer inRe(sizeof(double) * kFftSize);
    FftwBuffer inIm(sizeof(double) * kFftSize);
    FftwBuffer outRe(sizeof(double) * kFftSize);
    FftwBuffer outIm(sizeof(double) * kFftSize);
    auto* xr = static_cast<double*>(inRe.p);
    auto* xi = static_cast<double*>(inIm.p);
    auto* yr = static_cast<double*>(outRe.p);
    auto* yi = static_cast<double*>(outIm.p);
    fftw_iodim dim{kFftSize, 1, 1};
    const Plan plan(fftw_plan_guru_split_dft(1, &dim, 0, nullptr, xr, xi, yr, yi, FFTW_MEASURE));
    std::copy(WindowedHistory().begin(), WindowedHistory().end(), xr);
    std::fill_n(xi, kFftSize, 0.0);
    Timer timer(state);
    for (auto _ : state) {
        timer.Time([&] { fftw_execute(plan.get()); });
        benchmark::DoNotOptimize(yr);
    }
}

void BM_Transform_Fftw_RealToComplex(benchmark::State& state) {
    FftwBuffer in(sizeof(double) * kFftSize);
    FftwBuffer out(sizeof(fftw_complex) * (kFftSize / 2 + 1));
    auto* x = static_cast<double*>(in.p);
    auto* y = static_cast<fftw_complex*>(out.p);
    const Plan plan(fftw_plan_dft_r2c_1d(kFftSize, x, y, FFTW_MEASURE));
    SaveWisdom();
    std::copy(WindowedHistory().begin(), WindowedHistory().end(), x);
    Timer timer(state);
    for (auto _ : state) {
        timer.Time([&] { fftw_execute(plan.get()); });
        benchmark::DoNotOptimize(y);
    }
}

BENCHMARK(BM_Transform_Ours_RealInput)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Transform_Ours_ComplexInput)
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Transform_Reference)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Transform_Fftw_Complex)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Transform_Fftw_ComplexSplit)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Transform_Fftw_RealToComplex)->UseManualTime()->Unit(benchmark::kMicrosecond);

// One whole analysis pass on a full history: load under the lock, transform, magnitudes into
// the store's spectrum, fundamental, publication. Arg: 0 mono, 1 stereo, 2 mono logarithmic.
void BM_AnalysisPass(benchmark::State& state) {
    CaptureStore store;
    store.Create();
    store.scopeMode.store(kScopeFrequency);
    const int channels = state.range(0) == 1 ? 2 : 1;
    const auto tune = Tune(1.0, channels);
    for (std::size_t at = 0; at + kBlockFrames * channels <= tune.size();
         at += kBlockFrames * channels) {
        store.AppendBlock(std::span<const int16_t>(tune.data() + at, kBlockFrames * channels),
                          channels);
    }
    KeyTable keyTable;
    keyTable.logarithmOption.store(state.range(0) == 2 ? 1 : 0);
    Fft fft(kFftSize);
    Timer timer(state);
    for (auto _ : state) {
        timer.Time([&] { RunAnalysisPass(store, fft, keyTable, channels == 2); });
    }
    state.SetLabel(state.range(0) == 0   ? "mono"
                   : state.range(0) == 1 ? "stereo"
                                         : "mono, logarithmic");
}

BENCHMARK(BM_AnalysisPass)->Arg(0)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tonavise::bench
