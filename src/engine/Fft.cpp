#include "Fft.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "AudioFormat.h"
#include "Doreme.h"
#include "Fundamental.h"

namespace tonavise {

namespace {

const double kPi = 4.0 * std::atan(1.0);

template <typename T>
std::unique_ptr<T[]> Allocate(std::size_t n) {
    return std::unique_ptr<T[]>(new (std::nothrow) T[n]);
}

}  // namespace

CFft::CFft(int size) { Init(size); }

CFft::~CFft() { CFft::Free(); }

bool CFft::Init(int size) {
    Free();
    if (size < 2 || (size & (size - 1)) != 0) {
        return false;
    }
    const auto n = static_cast<std::size_t>(size);
    window_ = Allocate<double>(n);
    re_ = Allocate<double>(n);
    im_ = Allocate<double>(n);
    twiddleRe_ = Allocate<double>(n);
    twiddleIm_ = Allocate<double>(n);
    swaps_ = Allocate<uint32_t>(n);
    if (!window_ || !re_ || !im_ || !twiddleRe_ || !twiddleIm_ || !swaps_) {
        Free();
        return false;
    }
    size_ = size;
    log2Size_ = 0;
    while ((1 << log2Size_) < size) {
        ++log2Size_;
    }

    // Only the newest 8820 samples take part, weighted from 0.5 at both ends to 1 in the middle.
    for (int i = 0; i < size; ++i) {
        const int k = i - (size - kWindowLength);
        window_[i] = i < size - kWindowLength ? 0.0 : 0.5 * std::sin(kPi * k / kWindowLength) + 0.5;
    }
    std::fill_n(re_.get(), n, 0.0);
    std::fill_n(im_.get(), n, 0.0);

    // Stage with half-size h uses the angles -2 pi i / (2h), i = 0..h-1.
    for (int h = 1; h < size; h *= 2) {
        const double theta = -2.0 * kPi / (2 * h);
        for (int i = 0; i < h; ++i) {
            twiddleRe_[h - 1 + i] = std::cos(theta * i);
            twiddleIm_[h - 1 + i] = std::sin(theta * i);
        }
    }

    swapCount_ = 0;
    for (uint32_t i = 1; i + 1 < n; ++i) {
        uint32_t j = 0;
        for (int b = 0; b < log2Size_; ++b) {
            j |= ((i >> b) & 1u) << (log2Size_ - 1 - b);
        }
        if (i < j) {
            swaps_[2 * swapCount_] = i;
            swaps_[2 * swapCount_ + 1] = j;
            ++swapCount_;
        }
    }
    return true;
}

void CFft::Free() {
    window_.reset();
    re_.reset();
    im_.reset();
    twiddleRe_.reset();
    twiddleIm_.reset();
    swaps_.reset();
    swapCount_ = 0;
    size_ = 0;
}

void CFft::LoadMono(const int16_t* samples) {
    for (int i = 0; i < size_; ++i) {
        re_[i] = samples[i] * window_[i];
    }
    std::fill_n(im_.get(), size_, 0.0);
}

void CFft::LoadStereo(const int16_t* left, const int16_t* right) {
    for (int i = 0; i < size_; ++i) {
        re_[i] = ((left[i] + right[i]) / 2.0) * window_[i];
    }
    std::fill_n(im_.get(), size_, 0.0);
}

void CFft::Transform() {
    double* const re = re_.get();
    double* const im = im_.get();
    const int n = size_;
    // Decimation in frequency, stage by stage; within a stage the butterflies of one group run
    // over contiguous memory and contiguous twiddles.
    for (int m = n; m >= 2; m /= 2) {
        const int h = m / 2;
        const double* wr = twiddleRe_.get() + h - 1;
        const double* wi = twiddleIm_.get() + h - 1;
        for (int j0 = 0; j0 < n; j0 += m) {
            double* r0 = re + j0;
            double* i0 = im + j0;
            double* r1 = r0 + h;
            double* i1 = i0 + h;
            for (int i = 0; i < h; ++i) {
                const double dr = r0[i] - r1[i];
                const double di = i0[i] - i1[i];
                r0[i] += r1[i];
                i0[i] += i1[i];
                r1[i] = wr[i] * dr - wi[i] * di;
                i1[i] = wr[i] * di + wi[i] * dr;
            }
        }
    }
    for (int s = 0; s < swapCount_; ++s) {
        const uint32_t i = swaps_[2 * s];
        const uint32_t j = swaps_[2 * s + 1];
        std::swap(re[i], re[j]);
        std::swap(im[i], im[j]);
    }
}

void CFft::Magnitudes(std::span<double> out, bool logarithmic) const {
    const double scale = (1.0 / 4410) * (314.0 / 257);
    const int half = std::min<int>(size_ / 2, static_cast<int>(out.size()));
    for (int i = 0; i < half; ++i) {
        out[i] = std::sqrt(re_[i] * re_[i] + im_[i] * im_[i]) * scale;
    }
    if (logarithmic) {
        const double full = std::log10(100000.0) * 20;
        for (int i = 0; i < half; ++i) {
            out[i] = std::log10(out[i] + 1) * 20 * 32767 / full;
        }
    }
}

double CFft::Fundamental(std::span<const double> spectrum, const CDoreme& doreme) const {
    return EstimateFundamental(spectrum,
                               doreme.KeyFrequency(0),
                               doreme.KeyFrequency(kKeyCount - 1),
                               size_,
                               kSampleRate);
}

void ReferenceTransform(double* re, double* im, int n) {
    const double pi = 4.0 * std::atan(1.0);
    double theta = -2.0 * pi / n;
    for (int m = n; m / 2 >= 1; m /= 2) {
        const int h = m / 2;
        for (int i = 0; i < h; ++i) {
            const double wr = std::cos(theta * i);
            const double wi = std::sin(theta * i);
            for (int j = i; j < n; j += m) {
                const int k = j + h;
                const double dr = re[j] - re[k];
                const double di = im[j] - im[k];
                re[j] += re[k];
                im[j] += im[k];
                re[k] = wr * dr - wi * di;
                im[k] = wr * di + wi * dr;
            }
        }
        theta *= 2;
    }
    int j = 0;
    for (int i = 1; i < n - 1; ++i) {
        int k = n / 2;
        j ^= k;
        while (k > j) {
            k /= 2;
            j ^= k;
        }
        if (i < j) {
            std::swap(re[i], re[j]);
            std::swap(im[i], im[j]);
        }
    }
}

}  // namespace tonavise
