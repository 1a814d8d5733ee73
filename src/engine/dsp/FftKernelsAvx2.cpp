// The FFT kernels for processors with AVX2 and FMA; the build compiles this file with those
// instructions enabled, and BestKernels() uses it only where the processor has them.
#if defined(__AVX2__) && defined(__FMA__)

#define FFT_KERNEL_NAMESPACE avx2
#include "engine/dsp/FftKernels.inl"

namespace tonavise::fftcore::avx2 {
extern const bool kBuilt = true;
}

#else

// Built without AVX2 (another architecture): the baseline kernels stand in.
#include "engine/dsp/FftKernels.h"

namespace tonavise::fftcore::avx2 {
extern const bool kBuilt = false;
const Kernels kKernels = baseline::kKernels;
}  // namespace tonavise::fftcore::avx2

#endif
