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

#include "FftKernels.h"

#if defined(__AVX__) || defined(__FMA__)
#include <immintrin.h>
#endif

#define FFT_INLINE inline __attribute__((always_inline))

namespace tonavise::fftcore::FFT_KERNEL_NAMESPACE {

namespace {

using V = double __attribute__((vector_size(32)));
using V16 = int16_t __attribute__((vector_size(8)));

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

FFT_INLINE V Reverse(V v) {
    return __builtin_shufflevector(v, v, 3, 2, 1, 0);
}

FFT_INLINE V Sqrt(V v) {
#if defined(__AVX__)
    return _mm256_sqrt_pd(v);
#else
    return V{
        __builtin_sqrt(v[0]), __builtin_sqrt(v[1]), __builtin_sqrt(v[2]), __builtin_sqrt(v[3])};
#endif
}

FFT_INLINE V Widen(const int16_t* p) {
    V16 v;
    __builtin_memcpy(&v, p, sizeof v);
    return __builtin_convertvector(v, V);
}

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
};

// Four points z[k] = x[2k] + i x[2k + 1] of a real array: the even and odd samples as one
// complex sequence of half the length.
struct EvenOddSource {
    const double* x;
    FFT_INLINE Cv operator()(int k) const {
        const V a = Load(x + 2 * k);
        const V b = Load(x + 2 * k + 4);
        return {__builtin_shufflevector(a, b, 0, 2, 4, 6),
                __builtin_shufflevector(a, b, 1, 3, 5, 7)};
    }
};

template <class Source>
FFT_INLINE void Butterfly2(const Source& src, double* re, double* im, int k, int h, V wr, V wi) {
    const Cv a = src(k);
    const Cv b = src(k + h);
    Store(re + k, a.r + b.r);
    Store(im + k, a.i + b.i);
    const Cv d = Mul({a.r - b.r, a.i - b.i}, wr, wi);
    Store(re + k + h, d.r);
    Store(im + k + h, d.i);
}

// One radix-2 stage over all n points (n >= 32), read through src and written to re/im.
// quarter holds w^k, w = e^(-2 pi i / n), for k < n/4; the second quarter uses
// w^(k + n/4) = -i w^k.
template <class Source>
void Radix2Pass(const Source& src, double* re, double* im, int n, const double* quarter) {
    const int h = n / 2;
    const int q = n / 4;
    const double* wr = quarter;
    const double* wi = quarter + q;
    for (int k = 0; k < q; k += 4) {
        Butterfly2(src, re, im, k, h, Load(wr + k), Load(wi + k));
    }
    for (int k = 0; k < q; k += 4) {
        Butterfly2(src, re, im, k + q, h, Load(wi + k), -Load(wr + k));
    }
}

// Radix-4 stage with block size m (m >= 16) on the blocks in [begin, end), read through src and
// written to re/im. Per block of quarters a0..a3 it does what two radix-2 stages do: the outputs
// for frequencies 4k, 4k + 2, 4k + 1, 4k + 3 go to quarters 0, 1, 2, 3 in that order.
template <class Source>
void Radix4Pass(
    const Source& src, double* re, double* im, int begin, int end, int m, const double* twiddles) {
    const int q = m / 4;
    for (int j = begin; j < end; j += m) {
        const double* w = twiddles;
        for (int k = j; k < j + q; k += 4, w += 24) {
            const Cv a0 = src(k);
            const Cv a1 = src(k + q);
            const Cv a2 = src(k + 2 * q);
            const Cv a3 = src(k + 3 * q);
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
            Store(re + k + q, y2.r);
            Store(im + k + q, y2.i);
            Store(re + k + 2 * q, y1.r);
            Store(im + k + 2 * q, y1.i);
            Store(re + k + 3 * q, y3.r);
            Store(im + k + 3 * q, y3.i);
        }
    }
}

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

// Results of the last stage for one 4 x 4 tile, row r to be stored at r x n/4 + column.
struct Tile {
    V r[4];
    V i[4];
};

// The last radix-4 stage (blocks of four, no twiddles) on the tile whose rows start at
// h x row + column, h = 0..3 (row = n/4). Loading the rows in the order 0, 2, 1, 3 and
// transposing puts point l of every block in vector l, the blocks already in bit-reversed
// order; the four results of a block then belong to rows 0, 1, 2, 3 of the reversed index.
FFT_INLINE Tile LastStage(const double* re, const double* im, int row, int column) {
    const double* r = re + column;
    const double* i = im + column;
    V ar0 = Load(r);
    V ar1 = Load(r + 2 * row);
    V ar2 = Load(r + row);
    V ar3 = Load(r + 3 * row);
    V ai0 = Load(i);
    V ai1 = Load(i + 2 * row);
    V ai2 = Load(i + row);
    V ai3 = Load(i + 3 * row);
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

// The last stage fused with the bit reversal of all n = 2^p indices. An index splits into
// 2 high bits (the row), p - 4 middle bits and 2 low bits; reversing it reverses the middle
// bits and swaps the roles of the high and low bits, which the tile transposition does. Tiles
// whose middle bits reverse to each other are done together, so the pass works in place.
void LastStageAndReorder(double* re, double* im, int p, const uint32_t* revMid) {
    const int row = 1 << (p - 2);
    const int mids = 1 << (p - 4);
    for (int mid = 0; mid < mids; ++mid) {
        const int other = static_cast<int>(revMid[mid]);
        if (other < mid) {
            continue;
        }
        const Tile a = LastStage(re, im, row, 4 * mid);
        if (other == mid) {
            StoreTile(re, im, row, 4 * mid, a);
            continue;
        }
        const Tile b = LastStage(re, im, row, 4 * other);
        StoreTile(re, im, row, 4 * other, a);
        StoreTile(re, im, row, 4 * mid, b);
    }
}

// The whole transform of 2^p points (p >= 4) in place on re/im; the first stage reads through
// `first` (the split arrays themselves, or the even and odd samples of a real array).
template <class Source>
void ComplexStages(const Source& first,
                   double* re,
                   double* im,
                   int p,
                   const Tables& t,
                   const double* quarter,
                   const uint32_t* revMid) {
    const int n = 1 << p;
    const SplitSource split{re, im};
    bool firstDone = false;
    int m = n;
    if (p & 1) {
        Radix2Pass(first, re, im, n, quarter);
        m = n / 2;
        firstDone = true;
    }
    // Blocks too large for the first-level cache: one stage at a time over everything.
    for (; m > kL1Block; m /= 4) {
        const double* tw = t.radix4 + Radix4Offset(m);
        if (firstDone) {
            Radix4Pass(split, re, im, 0, n, m, tw);
        } else {
            Radix4Pass(first, re, im, 0, n, m, tw);
            firstDone = true;
        }
    }
    // Then every remaining stage on one block before the next block. The first stage can fall
    // here only when the whole transform is a single block.
    for (int b = 0; b < n; b += m) {
        for (int s = m; s >= 16; s /= 4) {
            const double* tw = t.radix4 + Radix4Offset(s);
            if (firstDone) {
                Radix4Pass(split, re, im, b, b + m, s, tw);
            } else {
                Radix4Pass(first, re, im, b, b + m, s, tw);
                firstDone = true;
            }
        }
    }
    LastStageAndReorder(re, im, p, revMid);
}

void ComplexTransform(double* re, double* im, const Tables& t) {
    ComplexStages(SplitSource{re, im}, re, im, t.log2n, t, t.quarter, t.revMid);
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

// The half-size sequence lives in im (its real parts in the first half, its imaginary parts in
// the second): the split of pair k reads exactly the four places of im that it writes.
void RealTransform(double* re, double* im, const Tables& t) {
    const int half = 1 << (t.log2n - 1);
    ComplexStages(EvenOddSource{re}, im, im + half, t.log2n - 1, t, t.quarterHalf, t.revMidHalf);
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
