// The body of the FFT kernels; see FftKernels.h. Included by FftKernelsBaseline.cpp and
// FftKernelsAvx2.cpp with FFT_KERNEL_NAMESPACE set, once per instruction set. Everything but
// kKernels has internal linkage, so the two builds never share a function compiled for the
// other processor. No standard library templates are used here for the same reason.
//
// Vectors are four doubles of GCC/Clang vector extensions: one AVX register, or two SSE2
// registers in the baseline build. Arrays are split (re and im apart), so a vector always
// holds four consecutive real or imaginary parts and the butterflies need no shuffles.

#ifndef FFT_KERNEL_NAMESPACE
#error "define FFT_KERNEL_NAMESPACE before including FftKernels.inl"
#endif

#include "engine/dsp/FftKernels.h"

#if defined(__AVX__) || defined(__FMA__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

#define FFT_INLINE inline __attribute__((always_inline))

namespace tonavise::fftcore::FFT_KERNEL_NAMESPACE {

namespace {

#if defined(__AVX__)

// Four doubles in one AVX register.
using V = double __attribute__((vector_size(32)));

FFT_INLINE V Load(const double* p) {
    V v;
    __builtin_memcpy(&v, p, sizeof v);
    return v;
}

FFT_INLINE void Store(double* p, V v) {
    __builtin_memcpy(p, &v, sizeof v);
}

FFT_INLINE V Splat(double x) {
    return V{x, x, x, x};
}

// (a0, a2, b0, b2) and (a1, a3, b1, b3).
FFT_INLINE V Even(V a, V b) {
    return __builtin_shufflevector(a, b, 0, 2, 4, 6);
}
FFT_INLINE V Odd(V a, V b) {
    return __builtin_shufflevector(a, b, 1, 3, 5, 7);
}

FFT_INLINE V Reverse(V v) {
    return __builtin_shufflevector(v, v, 3, 2, 1, 0);
}

// Rows a..d become columns.
FFT_INLINE void Transpose(V& a, V& b, V& c, V& d) {
    const V t0 = __builtin_shufflevector(a, b, 0, 4, 2, 6);
    const V t1 = __builtin_shufflevector(a, b, 1, 5, 3, 7);
    const V t2 = __builtin_shufflevector(c, d, 0, 4, 2, 6);
    const V t3 = __builtin_shufflevector(c, d, 1, 5, 3, 7);
    a = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    b = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    c = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    d = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

FFT_INLINE V Sqrt(V v) {
    return _mm256_sqrt_pd(v);
}

FFT_INLINE V Widen(const int16_t* p) {
    using V16 = int16_t __attribute__((vector_size(8)));
    V16 v;
    __builtin_memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, V);
}

#else

// Four doubles as two SSE2 registers. The compilers split plain four-double vectors into
// halves well for arithmetic but not for shuffles, so the halves are explicit here.
using V2 = double __attribute__((vector_size(16)));

struct V {
    V2 lo;
    V2 hi;
};

FFT_INLINE V operator+(V a, V b) {
    return {a.lo + b.lo, a.hi + b.hi};
}
FFT_INLINE V operator-(V a, V b) {
    return {a.lo - b.lo, a.hi - b.hi};
}
FFT_INLINE V operator*(V a, V b) {
    return {a.lo * b.lo, a.hi * b.hi};
}
FFT_INLINE V operator-(V a) {
    return {-a.lo, -a.hi};
}

FFT_INLINE V Load(const double* p) {
    V v;
    __builtin_memcpy(&v.lo, p, sizeof v.lo);
    __builtin_memcpy(&v.hi, p + 2, sizeof v.hi);
    return v;
}

FFT_INLINE void Store(double* p, V v) {
    __builtin_memcpy(p, &v.lo, sizeof v.lo);
    __builtin_memcpy(p + 2, &v.hi, sizeof v.hi);
}

FFT_INLINE V Splat(double x) {
    return {V2{x, x}, V2{x, x}};
}

FFT_INLINE V Even(V a, V b) {
    return {__builtin_shufflevector(a.lo, a.hi, 0, 2), __builtin_shufflevector(b.lo, b.hi, 0, 2)};
}
FFT_INLINE V Odd(V a, V b) {
    return {__builtin_shufflevector(a.lo, a.hi, 1, 3), __builtin_shufflevector(b.lo, b.hi, 1, 3)};
}

FFT_INLINE V Reverse(V v) {
    return {__builtin_shufflevector(v.hi, v.hi, 1, 0), __builtin_shufflevector(v.lo, v.lo, 1, 0)};
}

FFT_INLINE void Transpose(V& a, V& b, V& c, V& d) {
    const V ta{__builtin_shufflevector(a.lo, b.lo, 0, 2),
               __builtin_shufflevector(c.lo, d.lo, 0, 2)};
    const V tb{__builtin_shufflevector(a.lo, b.lo, 1, 3),
               __builtin_shufflevector(c.lo, d.lo, 1, 3)};
    const V tc{__builtin_shufflevector(a.hi, b.hi, 0, 2),
               __builtin_shufflevector(c.hi, d.hi, 0, 2)};
    const V td{__builtin_shufflevector(a.hi, b.hi, 1, 3),
               __builtin_shufflevector(c.hi, d.hi, 1, 3)};
    a = ta;
    b = tb;
    c = tc;
    d = td;
}

FFT_INLINE V2 Sqrt2(V2 v) {
#if defined(__SSE2__)
    return _mm_sqrt_pd(v);
#else
    return V2{__builtin_sqrt(v[0]), __builtin_sqrt(v[1])};
#endif
}

FFT_INLINE V Sqrt(V v) {
    return {Sqrt2(v.lo), Sqrt2(v.hi)};
}

FFT_INLINE V Widen(const int16_t* p) {
    return {V2{static_cast<double>(p[0]), static_cast<double>(p[1])},
            V2{static_cast<double>(p[2]), static_cast<double>(p[3])}};
}

#endif

// Four complex values.
struct Cv {
    V r;
    V i;
};

// a x b - c x d and a x b + c x d, with one rounding less where the processor fuses.
FFT_INLINE V MulSub(V a, V b, V c, V d) {
#if defined(__FMA__)
    return _mm256_fmsub_pd(a, b, c * d);
#else
    return a * b - c * d;
#endif
}

FFT_INLINE V MulAdd(V a, V b, V c, V d) {
#if defined(__FMA__)
    return _mm256_fmadd_pd(a, b, c * d);
#else
    return a * b + c * d;
#endif
}

// a x w, as the transform has always formed it: (ar wr - ai wi, ar wi + ai wr).
FFT_INLINE Cv Mul(Cv a, V wr, V wi) {
    return {MulSub(a.r, wr, a.i, wi), MulAdd(a.r, wi, a.i, wr)};
}

// Four consecutive points of split arrays.
struct SplitSource {
    const double* re;
    const double* im;
    FFT_INLINE Cv operator()(int k) const { return {Load(re + k), Load(im + k)}; }
    FFT_INLINE SplitSource At(int offset) const { return {re + offset, im + offset}; }
};

// Four points z[k] = x[2k] + i x[2k + 1] of a real array: the even and odd samples as one
// complex sequence of half the length.
struct EvenOddSource {
    const double* x;
    FFT_INLINE Cv operator()(int k) const {
        const V a = Load(x + 2 * k);
        const V b = Load(x + 2 * k + 4);
        return {Even(a, b), Odd(a, b)};
    }
    FFT_INLINE EvenOddSource At(int offset) const { return {x + 2 * offset}; }
};

// Where point i lives in the work area (see WorkIndex in FftKernels.h).
FFT_INLINE int W(int i) {
    return WorkIndex(i);
}

// count points (a multiple of 4) of one radix-2 stage: a = src(k), b = src(k + srcHalf) to
// dst + k and dst + k + dstHalf, twiddles from wr/wi, turned by -i when kTurned.
template <bool kTurned, class Source>
void Radix2Run(const Source src,
               int srcHalf,
               double* re,
               double* im,
               int dstHalf,
               int count,
               const double* wr,
               const double* wi) {
    for (int k = 0; k < count; k += 4) {
        const Cv a = src(k);
        const Cv b = src(k + srcHalf);
        Store(re + k, a.r + b.r);
        Store(im + k, a.i + b.i);
        const Cv d = kTurned ? Mul({a.r - b.r, a.i - b.i}, Load(wi + k), -Load(wr + k))
                             : Mul({a.r - b.r, a.i - b.i}, Load(wr + k), Load(wi + k));
        Store(re + k + dstHalf, d.r);
        Store(im + k + dstHalf, d.i);
    }
}

// The first stage when log2 n is odd: radix-2 over all n points (n >= 32), read through src in
// natural order and written to the work area. quarter holds w^k, w = e^(-2 pi i / n), for
// k < n/4; the second quarter uses w^(k + n/4) = -i w^k.
template <class Source>
void Radix2Pass(const Source& src, double* re, double* im, int n, const double* quarter) {
    const int h = n / 2;
    const int q = n / 4;
    const int run = q < kL1Block ? q : kL1Block;
    const double* wr = quarter;
    const double* wi = quarter + q;
    for (int k = 0; k < q; k += run) {
        Radix2Run<false>(src.At(k), h, re + W(k), im + W(k), W(h), run, wr + k, wi + k);
    }
    for (int k = 0; k < q; k += run) {
        const int at = W(q + k);
        Radix2Run<true>(src.At(q + k), h, re + at, im + at, W(h), run, wr + k, wi + k);
    }
}

// count points (a multiple of 4) of each quarter of one radix-4 block: quarters at src + r x
// srcQuarter, written to dst + r x dstQuarter. Per point it does what two radix-2 stages do:
// the outputs for frequencies 4k, 4k + 2, 4k + 1, 4k + 3 go to quarters 0, 1, 2, 3.
template <class Source>
void Radix4Run(const Source src,
               int srcQuarter,
               double* re,
               double* im,
               int dstQuarter,
               int count,
               const double* w) {
    for (int k = 0; k < count; k += 4, w += 24) {
        const Cv a0 = src(k);
        const Cv a1 = src(k + srcQuarter);
        const Cv a2 = src(k + 2 * srcQuarter);
        const Cv a3 = src(k + 3 * srcQuarter);
        const V b0r = a0.r + a2.r;
        const V b0i = a0.i + a2.i;
        const V b1r = a0.r - a2.r;
        const V b1i = a0.i - a2.i;
        const V b2r = a1.r + a3.r;
        const V b2i = a1.i + a3.i;
        const V b3r = a1.r - a3.r;
        const V b3i = a1.i - a3.i;
        const Cv y1 = Mul({b1r + b3i, b1i - b3r}, Load(w), Load(w + 4));
        const Cv y2 = Mul({b0r - b2r, b0i - b2i}, Load(w + 8), Load(w + 12));
        const Cv y3 = Mul({b1r - b3i, b1i + b3r}, Load(w + 16), Load(w + 20));
        Store(re + k, b0r + b2r);
        Store(im + k, b0i + b2i);
        Store(re + k + dstQuarter, y2.r);
        Store(im + k + dstQuarter, y2.i);
        Store(re + k + 2 * dstQuarter, y1.r);
        Store(im + k + 2 * dstQuarter, y1.i);
        Store(re + k + 3 * dstQuarter, y3.r);
        Store(im + k + 3 * dstQuarter, y3.i);
    }
}

// Radix-4 stage with block size m (a power of 4, m >= 16) on the blocks of points
// [begin, end), written to the work area; src is read in natural order, or in the work area's
// order when srcInWork. A quarter larger than kL1Block is a whole number of chunks, so it is
// done chunk by chunk.
template <class Source>
void Radix4Pass(const Source& src,
                bool srcInWork,
                double* re,
                double* im,
                int begin,
                int end,
                int m,
                const double* twiddles) {
    const int q = m / 4;
    const int run = q < kL1Block ? q : kL1Block;
    const int srcQuarter = srcInWork ? W(q) : q;
    for (int j = begin; j < end; j += m) {
        for (int k = 0; k < q; k += run) {
            const int from = srcInWork ? W(j + k) : j + k;
            const int to = W(j + k);
            Radix4Run(src.At(from), srcQuarter, re + to, im + to, W(q), run, twiddles + 6 * k);
        }
    }
}

// Results of the last stage for one 4 x 4 tile: vector r belongs to row r of the output.
struct Tile {
    V r[4];
    V i[4];
};

// The four rows of the last stage in the work area (row h starts at point h x n/4).
struct Rows {
    const double* re[4];
    const double* im[4];
};

// The last radix-4 stage (blocks of four, no twiddles) on the tile at `column` of the four
// rows. Loading the rows in the order 0, 2, 1, 3 and transposing puts point l of every block
// in vector l, the blocks already in bit-reversed order; the four results of a block then
// belong to rows 0, 1, 2, 3 of the reversed index.
FFT_INLINE Tile LastStage(const Rows& rows, int column) {
    V ar0 = Load(rows.re[0] + column);
    V ar1 = Load(rows.re[2] + column);
    V ar2 = Load(rows.re[1] + column);
    V ar3 = Load(rows.re[3] + column);
    V ai0 = Load(rows.im[0] + column);
    V ai1 = Load(rows.im[2] + column);
    V ai2 = Load(rows.im[1] + column);
    V ai3 = Load(rows.im[3] + column);
    Transpose(ar0, ar1, ar2, ar3);
    Transpose(ai0, ai1, ai2, ai3);
    const V b0r = ar0 + ar2;
    const V b0i = ai0 + ai2;
    const V b1r = ar0 - ar2;
    const V b1i = ai0 - ai2;
    const V b2r = ar1 + ar3;
    const V b2i = ai1 + ai3;
    const V b3r = ar1 - ar3;
    const V b3i = ai1 - ai3;
    return Tile{{b0r + b2r, b1r + b3i, b0r - b2r, b1r - b3i},
                {b0i + b2i, b1i - b3r, b0i - b2i, b1i + b3r}};
}

FFT_INLINE void StoreTile(double* re, double* im, int row, int column, const Tile& t) {
    for (int r = 0; r < 4; ++r) {
        Store(re + r * row + column, t.r[r]);
        Store(im + r * row + column, t.i[r]);
    }
}

// Stores the results of two tiles whose output columns are neighbours: one whole cache line
// per row, each line written in one go.
FFT_INLINE void StorePair(
    double* re, double* im, int row, int column, const Tile& a, const Tile& b) {
    for (int r = 0; r < 4; ++r) {
        Store(re + r * row + column, a.r[r]);
        Store(re + r * row + column + 4, b.r[r]);
        Store(im + r * row + column, a.i[r]);
        Store(im + r * row + column + 4, b.i[r]);
    }
}

// The last stage fused with the bit reversal of all n = 2^p indices, from the work area to
// re/im in natural order. An index splits into 2 high bits (the row), p - 4 middle bits and 2
// low bits; reversing it reverses the middle bits and swaps the roles of the high and low
// bits, which the tile transposition does. The output is written in order, a cache line per
// row at a time (the tiles with middle bits x and x + mids/2 are neighbours there); the reads
// jump, which the gaps of the work area keep cheap.
void LastStageAndReorder(const double* workRe,
                         const double* workIm,
                         double* re,
                         double* im,
                         int p,
                         const uint32_t* revMid) {
    const int row = 1 << (p - 2);
    Rows rows;
    for (int h = 0; h < 4; ++h) {
        rows.re[h] = workRe + W(h * row);
        rows.im[h] = workIm + W(h * row);
    }
    const int mids = 1 << (p - 4);
    if (mids == 1) {
        StoreTile(re, im, row, 0, LastStage(rows, 0));
        return;
    }
    // Within a row, a column c lies at W(c) from the row's start: rows shorter than a chunk
    // never cross one, and longer rows are whole chunks. The output column 4 y belongs to the
    // tile x = rev(y); for even y, rev(y + 1) = rev(y) + mids/2.
    const int half = mids / 2;
    for (int y = 0; y < mids; y += 2) {
        const int x = static_cast<int>(revMid[y]);
        StorePair(
            re, im, row, 4 * y, LastStage(rows, W(4 * x)), LastStage(rows, W(4 * (x + half))));
    }
}

// The whole transform of 2^p points (p >= 4): the first stage reads through `first` (split
// arrays, or the even and odd samples of a real array) into the work area, the others work
// there, and the last one writes re/im in natural order.
template <class Source>
void ComplexStages(const Source& first,
                   double* re,
                   double* im,
                   int p,
                   const Tables& t,
                   const Work& work,
                   const double* quarter,
                   const uint32_t* revMid) {
    const int n = 1 << p;
    double* const wre = work.re;
    double* const wim = work.im;
    const SplitSource inWork{wre, wim};
    bool firstDone = false;
    const auto radix4 = [&](int begin, int end, int m) {
        const double* tw = t.radix4 + Radix4Offset(m);
        if (firstDone) {
            Radix4Pass(inWork, true, wre, wim, begin, end, m, tw);
        } else {
            Radix4Pass(first, false, wre, wim, begin, end, m, tw);
            firstDone = true;
        }
    };
    int m = n;
    if (p & 1) {
        Radix2Pass(first, wre, wim, n, quarter);
        m = n / 2;
        firstDone = true;
    }
    // Blocks too large for the first-level cache: one stage at a time over everything.
    for (; m > kL1Block; m /= 4) {
        radix4(0, n, m);
    }
    // Then every remaining stage on one block before the next block.
    for (int b = 0; b < n; b += m) {
        for (int s = m; s >= 16; s /= 4) {
            radix4(b, b + m, s);
        }
    }
    LastStageAndReorder(wre, wim, re, im, p, revMid);
}

void ComplexTransform(double* re, double* im, const Tables& t, const Work& work) {
    ComplexStages(SplitSource{re, im}, re, im, t.log2n, t, work, t.quarter, t.revMid);
}

// X[k], X[M + k], X[M - k] and X[n - k] of a real sequence of n = 2M points from Z, the
// transform of z[j] = x[2j] + i x[2j + 1]:
//   E = (Z[k] + conj Z[M - k]) / 2 and O = (Z[k] - conj Z[M - k]) / 2i are the transforms of the
//   even and odd samples; X[k] = E + w^k O and X[M + k] = E - w^k O, w = e^(-2 pi i / n); the
//   other two are their conjugates (real input has a conjugate-symmetric spectrum).
FFT_INLINE void SplitOne(const double* zr,
                         const double* zi,
                         double* re,
                         double* im,
                         int n,
                         int k,
                         double wr,
                         double wi) {
    const int half = n / 2;
    const double ar = zr[k];
    const double ai = zi[k];
    const double br = zr[half - k];
    const double bi = zi[half - k];
    const double er = 0.5 * (ar + br);
    const double ei = 0.5 * (ai - bi);
    const double or_ = 0.5 * (ai + bi);
    const double oi = 0.5 * (br - ar);
    const double tr = or_ * wr - oi * wi;
    const double ti = or_ * wi + oi * wr;
    re[k] = er + tr;
    im[k] = ei + ti;
    re[half + k] = er - tr;
    im[half + k] = ei - ti;
    re[half - k] = er - tr;
    im[half - k] = ti - ei;
    re[n - k] = er + tr;
    im[n - k] = -(ei + ti);
}

void SplitRealSpectrum(
    const double* zr, const double* zi, double* re, double* im, int log2n, const double* quarter) {
    const int n = 1 << log2n;
    const int half = n / 2;
    const int q = n / 4;
    const double* wr = quarter;
    const double* wi = quarter + q;
    // k = 0: E = Re Z[0], O = Im Z[0], both spectra real. k = n/4: w^k = -i. (Z may live in
    // im itself: every value is read before its place is written.)
    const double z0r = zr[0];
    const double z0i = zi[0];
    const double zqr = zr[q];
    const double zqi = zi[q];
    re[0] = z0r + z0i;
    im[0] = 0.0;
    re[half] = z0r - z0i;
    im[half] = 0.0;
    re[q] = zqr;
    im[q] = -zqi;
    re[3 * q] = zqr;
    im[3 * q] = zqi;
    for (int k = 1; k < 4; ++k) {
        SplitOne(zr, zi, re, im, n, k, wr[k], wi[k]);
    }
    const V h = Splat(0.5);
    for (int k = 4; k < q; k += 4) {
        const V ar = Load(zr + k);
        const V ai = Load(zi + k);
        const V br = Reverse(Load(zr + half - k - 3));
        const V bi = Reverse(Load(zi + half - k - 3));
        const V er = h * (ar + br);
        const V ei = h * (ai - bi);
        const V or_ = h * (ai + bi);
        const V oi = h * (br - ar);
        const V twr = Load(wr + k);
        const V twi = Load(wi + k);
        const V tr = MulSub(or_, twr, oi, twi);
        const V ti = MulAdd(or_, twi, oi, twr);
        Store(re + k, er + tr);
        Store(im + k, ei + ti);
        Store(re + half + k, er - tr);
        Store(im + half + k, ei - ti);
        Store(re + half - k - 3, Reverse(er - tr));
        Store(im + half - k - 3, Reverse(ti - ei));
        Store(re + n - k - 3, Reverse(er + tr));
        Store(im + n - k - 3, Reverse(-(ei + ti)));
    }
}

// The transform of the half-size sequence lands in im (real parts in the first half, imaginary
// parts in the second): the split of pair k reads exactly the four places of im that it writes.
void RealTransform(double* re, double* im, const Tables& t, const Work& work) {
    const int half = 1 << (t.log2n - 1);
    ComplexStages(
        EvenOddSource{re}, im, im + half, t.log2n - 1, t, work, t.quarterHalf, t.revMidHalf);
    SplitRealSpectrum(im, im + half, re, im, t.log2n, t.quarter);
}

void Magnitudes(const double* re, const double* im, double* out, int count, double scale) {
    const V s = Splat(scale);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const V r = Load(re + i);
        const V m = Load(im + i);
        Store(out + i, Sqrt(r * r + m * m) * s);
    }
    for (; i < count; ++i) {
        out[i] = __builtin_sqrt(re[i] * re[i] + im[i] * im[i]) * scale;
    }
}

void WindowMono(const int16_t* samples, const double* window, double* re, int count) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        Store(re + i, Widen(samples + i) * Load(window + i));
    }
    for (; i < count; ++i) {
        re[i] = samples[i] * window[i];
    }
}

void WindowStereo(
    const int16_t* left, const int16_t* right, const double* window, double* re, int count) {
    // The sum of two 16-bit values and its half are exact in double, so this equals
    // ((left + right) / 2.0) x window computed one sample at a time.
    const V h = Splat(0.5);
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        Store(re + i, (Widen(left + i) + Widen(right + i)) * h * Load(window + i));
    }
    for (; i < count; ++i) {
        re[i] = ((left[i] + right[i]) / 2.0) * window[i];
    }
}

}  // namespace

const Kernels kKernels = {
    ComplexTransform,
    RealTransform,
    Magnitudes,
    WindowMono,
    WindowStereo,
};

}  // namespace tonavise::fftcore::FFT_KERNEL_NAMESPACE

#undef FFT_INLINE
