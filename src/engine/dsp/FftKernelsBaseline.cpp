// The FFT kernels for any x86-64 processor (SSE2).
#define FFT_KERNEL_NAMESPACE baseline
#include "engine/dsp/FftKernels.inl"

namespace tonavise::fftcore {

namespace {

const Kernels& Choose() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    if (avx2::kBuilt && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma")) {
        return avx2::kKernels;
    }
#endif
    return baseline::kKernels;
}

}  // namespace

const Kernels& BestKernels() {
    static const Kernels& best = Choose();  // asked once, by whichever thread comes first
    return best;
}

}  // namespace tonavise::fftcore
