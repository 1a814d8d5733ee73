// Runs each transform a fixed number of times inside its own function, for counting
// instructions with callgrind (scripts/bench.sh --callgrind): counts do not depend on what else
// the machine is doing. FFTW plans from the wisdom that tonavise_bench saved (same plans as
// measured there); without it, it plans with FFTW_ESTIMATE and says so.
#include <fftw3.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "engine/core/AudioFormat.h"
#include "engine/dsp/Fft.h"

namespace tonavise::bench {
namespace {

constexpr int kRuns = 50;

__attribute__((noinline)) void OursRealInput(Fft& fft, const std::vector<int16_t>& history) {
    for (int r = 0; r < kRuns; ++r) {
        fft.LoadMono(history.data());
        fft.Transform();
    }
}

__attribute__((noinline)) void OursLoadOnly(Fft& fft, const std::vector<int16_t>& history) {
    for (int r = 0; r < kRuns; ++r) {
        fft.LoadMono(history.data());
    }
}

__attribute__((noinline)) void OursComplexInput(Fft& fft) {
    for (int r = 0; r < kRuns; ++r) {
        fft.re()[0] += 1.0;  // keeps the input complex (and different each time)
        fft.Transform();
    }
}

// The two FFTW functions differ in their last store so that the compiler cannot fold them
// into one (their counts must stay apart).
volatile int lastRun = 0;

__attribute__((noinline)) void FftwComplex(fftw_plan plan) {
    for (int r = 0; r < kRuns; ++r) {
        fftw_execute(plan);
    }
    lastRun = 1;
}

__attribute__((noinline)) void FftwRealToComplex(fftw_plan plan) {
    for (int r = 0; r < kRuns; ++r) {
        fftw_execute(plan);
    }
    lastRun = 2;
}

}  // namespace
}  // namespace tonavise::bench

int main() {
    using namespace tonavise;
    using namespace tonavise::bench;
    const std::string wisdom = WorkDir() + "/fftw-wisdom";
    unsigned flags = FFTW_ESTIMATE;
    if (fftw_import_wisdom_from_filename(wisdom.c_str()) != 0) {
        flags = FFTW_MEASURE | FFTW_WISDOM_ONLY;
    } else {
        std::printf("no FFTW wisdom at %s: FFTW plans by estimate\n", wisdom.c_str());
    }
    const auto tune = Tune(1.0, 1);
    const std::vector<int16_t> history(tune.end() - kFftSize, tune.end());

    Fft fft(kFftSize);
    OursRealInput(fft, history);
    OursLoadOnly(fft, history);
    OursComplexInput(fft);

    auto* in = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * kFftSize));
    auto* out = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * kFftSize));
    auto* rin = static_cast<double*>(fftw_malloc(sizeof(double) * kFftSize));
    fftw_plan complexPlan = fftw_plan_dft_1d(kFftSize, in, out, FFTW_FORWARD, flags);
    fftw_plan realPlan = fftw_plan_dft_r2c_1d(kFftSize, rin, out, flags);
    if (complexPlan == nullptr || realPlan == nullptr) {
        std::printf("the saved wisdom does not cover these plans: FFTW plans by estimate\n");
        fftw_destroy_plan(complexPlan);
        fftw_destroy_plan(realPlan);
        complexPlan = fftw_plan_dft_1d(kFftSize, in, out, FFTW_FORWARD, FFTW_ESTIMATE);
        realPlan = fftw_plan_dft_r2c_1d(kFftSize, rin, out, FFTW_ESTIMATE);
    }
    fft.LoadMono(history.data());
    for (int i = 0; i < kFftSize; ++i) {
        in[i][0] = rin[i] = fft.re()[i];
        in[i][1] = 0.0;
    }
    FftwComplex(complexPlan);
    FftwRealToComplex(realPlan);
    fftw_destroy_plan(complexPlan);
    fftw_destroy_plan(realPlan);
    fftw_free(in);
    fftw_free(out);
    fftw_free(rin);
    std::printf("runs per function: %d\n", kRuns);
    return 0;
}
