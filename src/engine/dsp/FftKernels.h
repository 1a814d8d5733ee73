// The inner loops of Fft, built twice: once for baseline x86-64 and once for processors with
// AVX2 and FMA. Fft picks one set at Init and owns every table the loops read.
//
// The complex transform of L = 2^p points runs decimation in frequency: a radix-2 pass first
// when p is odd, then radix-4 passes (each equal to two radix-2 stages, so the outputs land
// where the radix-2 stages would put them). The first pass reads the input and writes a work
// area; passes on blocks larger than kL1Block points sweep the whole area, the smaller ones run
// block by block while a block stays in the first-level cache. The last radix-4 pass (blocks
// of four) is fused with the bit reversal: it works on 4 x 4 tiles whose rows lie L/4 apart,
// transposes them, and stores each result vector straight to its bit-reversed place in the
// output.
//
// Threads: the functions are pure; the caller owns the arrays and the tables.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tonavise::fftcore {

// Largest block (points) that the later passes work on while it stays in cache: re and im of
// 1024 points take 16 KiB.
inline constexpr int kL1Block = 1024;

// The stages between the first and the last work in a separate area where every chunk of
// kL1Block points is followed by kChunkGap unused values. Without the gaps, the quarters of
// the large stages and the four rows of the last one lie a multiple of 4 KiB apart and compete
// for the same few sets of the first-level cache.
inline constexpr int kChunkGap = 8;  // one cache line
constexpr int WorkIndex(int i) {
    return i + (i / kL1Block) * kChunkGap;
}
// Length of one work array for 2^log2n points, with a little extra so that the imaginary
// array does not start a multiple of 4 KiB after the real one.
constexpr std::size_t WorkLength(int log2n) {
    return static_cast<std::size_t>(WorkIndex(1 << log2n)) + 4 * kChunkGap;
}

// Smallest transforms the kernels take: complex 16 points, real input 32 points.
inline constexpr int kMinComplexLog2 = 4;
inline constexpr int kMinRealLog2 = 5;

// Start in Tables::radix4 of the twiddles of the pass with block size m (m = 16, 64, 256, ...).
// Each pass takes 1.5 m values, so the passes up to m take 2 m - 8 in all.
constexpr std::size_t Radix4Offset(int m) {
    return static_cast<std::size_t>(m) / 2 - 8;
}

// Tables for a transform of n = 2^log2n points, computed once by Fft::Init. A twiddle of the
// pass with block size m is w^k with w = e^(-2 pi i / m).
struct Tables {
    int log2n = 0;
    // Radix-4 passes, m = 16, 64, ... up to the largest one used: for each group of four k
    // (k = 0 .. m/4 - 1), 24 values: re and im of w^k, then of w^2k, then of w^3k, four each.
    const double* radix4 = nullptr;
    // e^(-2 pi i k / n), k = 0 .. n/4 - 1: re in the first n/4 values, im in the next n/4.
    const double* quarter = nullptr;
    // e^(-2 pi i k / (n/2)), k = 0 .. n/8 - 1, laid out alike (the radix-2 pass of the half-size
    // transform when log2n is even).
    const double* quarterHalf = nullptr;
    // For the fused last pass: the bit reversal of the p - 4 middle bits of an index, for
    // p = log2n (revMid) and p = log2n - 1 (revMidHalf).
    const uint32_t* revMid = nullptr;
    const uint32_t* revMidHalf = nullptr;
};

// The work area: two arrays of WorkLength(log2n) values.
struct Work {
    double* re = nullptr;
    double* im = nullptr;
};

struct Kernels {
    // Forward transform of n = 2^log2n complex points in place, natural order; log2n >= 4.
    void (*complexTransform)(double* re, double* im, const Tables& tables, const Work& work);
    // The same transform for real input in re; im is not read, only written. The even and odd
    // samples form n/2 complex points (kept in im), transformed, then split into both halves of
    // the spectrum; log2n >= 5.
    void (*realTransform)(double* re, double* im, const Tables& tables, const Work& work);
    // out[i] = sqrt(re[i]^2 + im[i]^2) x scale, i < count.
    void (*magnitudes)(const double* re, const double* im, double* out, int count, double scale);
    // re[i] = samples[i] x window[i], i < count.
    void (*windowMono)(const int16_t* samples, const double* window, double* re, int count);
    // re[i] = ((left[i] + right[i]) / 2) x window[i], i < count.
    void (*windowStereo)(
        const int16_t* left, const int16_t* right, const double* window, double* re, int count);
};

namespace baseline {
extern const Kernels kKernels;
}
namespace avx2 {
extern const Kernels kKernels;
extern const bool kBuilt;  // false where the compiler could not target AVX2
}  // namespace avx2

// The AVX2 + FMA set when the processor has both, else the baseline set.
const Kernels& BestKernels();

}  // namespace tonavise::fftcore
