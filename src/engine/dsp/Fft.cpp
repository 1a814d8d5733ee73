#include "engine/dsp/Fft.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/core/AudioFormat.h"
#include "engine/dsp/Fundamental.h"
#include "engine/dsp/KeyTable.h"

namespace tonavise {

namespace {

const double kPi = 4.0 * std::atan(1.0);

uint32_t ReverseBits(uint32_t v, int bits) {
    uint32_t r = 0;
    for (int b = 0; b < bits; ++b) {
        r = (r << 1) | ((v >> b) & 1u);
    }
    return r;
}

}  // namespace

template <typename T>
Fft::AlignedArray<T> Fft::Allocate(std::size_t n) {
    void* p = ::operator new[](n * sizeof(T), std::align_val_t{kAlignment}, std::nothrow);
    return AlignedArray<T>(static_cast<T*>(p));
}

Fft::Fft(int size) {
    Init(size);
}

Fft::~Fft() {
    Fft::Free();
}

bool Fft::Init(int size) {
    Free();
    if (size < 2 || (size & (size - 1)) != 0) {
        return false;
    }
    const auto n = static_cast<std::size_t>(size);
    window_ = Allocate<double>(n);
    re_ = Allocate<double>(n);
    im_ = Allocate<double>(n);
    if (!window_ || !re_ || !im_) {
        Free();
        return false;
    }
    size_ = size;
    log2Size_ = 0;
    while ((1 << log2Size_) < size) {
        ++log2Size_;
    }
    kernels_ = &fftcore::BestKernels();
    if (!BuildTables()) {
        Free();
        return false;
    }

    // Only the newest 8820 samples take part, weighted from 0.5 at both ends to 1 in the middle.
    for (int i = 0; i < size; ++i) {
        const int k = i - (size - kWindowLength);
        window_[i] = i < size - kWindowLength ? 0.0 : 0.5 * std::sin(kPi * k / kWindowLength) + 0.5;
    }
    std::fill_n(re_.get(), n, 0.0);
    std::fill_n(im_.get(), n, 0.0);
    return true;
}

bool Fft::BuildTables() {
    tables_ = fftcore::Tables{};
    if (log2Size_ < fftcore::kMinRealLog2) {
        return true;  // tiny transforms run the reference loops
    }
    const int n = size_;
    // Radix-4 stages always have block sizes 4^k: up to n itself when log2 n is even, else up to
    // n / 2 (after the radix-2 stage of the complex transform; the half-size transform of real
    // input then starts at n / 2 as well).
    const int topRadix4 = log2Size_ % 2 == 0 ? n : n / 2;
    radix4_ = Allocate<double>(fftcore::Radix4Offset(4 * topRadix4));
    quarter_ = Allocate<double>(static_cast<std::size_t>(n / 2));
    quarterHalf_ = Allocate<double>(static_cast<std::size_t>(n / 4));
    revMid_ = Allocate<uint32_t>(static_cast<std::size_t>(n / 16));
    revMidHalf_ = Allocate<uint32_t>(static_cast<std::size_t>(n / 32));
    const std::size_t workLength = fftcore::WorkLength(log2Size_);
    work_ = Allocate<double>(2 * workLength);
    if (!radix4_ || !quarter_ || !quarterHalf_ || !revMid_ || !revMidHalf_ || !work_) {
        return false;
    }
    for (int m = 16; m <= topRadix4; m *= 4) {
        double* t = radix4_.get() + fftcore::Radix4Offset(m);
        for (int k = 0; k < m / 4; ++k) {
            double* group = t + (k / 4) * 24 + k % 4;
            for (int e = 1; e <= 3; ++e) {
                const double angle = -2.0 * kPi * (e * k) / m;
                group[(e - 1) * 8] = std::cos(angle);
                group[(e - 1) * 8 + 4] = std::sin(angle);
            }
        }
    }
    for (int k = 0; k < n / 4; ++k) {
        const double angle = -2.0 * kPi * k / n;
        quarter_[k] = std::cos(angle);
        quarter_[n / 4 + k] = std::sin(angle);
    }
    for (int k = 0; k < n / 8; ++k) {
        const double angle = -2.0 * kPi * k / (static_cast<double>(n) / 2);
        quarterHalf_[k] = std::cos(angle);
        quarterHalf_[n / 8 + k] = std::sin(angle);
    }
    for (uint32_t mid = 0; mid < uint32_t(n / 16); ++mid) {
        revMid_[mid] = ReverseBits(mid, log2Size_ - 4);
    }
    for (uint32_t mid = 0; mid < uint32_t(n / 32); ++mid) {
        revMidHalf_[mid] = ReverseBits(mid, log2Size_ - 5);
    }
    tables_.log2n = log2Size_;
    tables_.radix4 = radix4_.get();
    tables_.quarter = quarter_.get();
    tables_.quarterHalf = quarterHalf_.get();
    tables_.revMid = revMid_.get();
    tables_.revMidHalf = revMidHalf_.get();
    workArea_ = fftcore::Work{work_.get(), work_.get() + workLength};
    return true;
}

void Fft::Free() {
    window_.reset();
    re_.reset();
    im_.reset();
    radix4_.reset();
    quarter_.reset();
    quarterHalf_.reset();
    revMid_.reset();
    revMidHalf_.reset();
    work_.reset();
    tables_ = fftcore::Tables{};
    workArea_ = fftcore::Work{};
    realInput_ = false;
    size_ = 0;
    log2Size_ = 0;
}

void Fft::SelectCode(FftCode code) {
    kernels_ = code == FftCode::Baseline ? &fftcore::baseline::kKernels : &fftcore::BestKernels();
}

void Fft::LoadMono(const int16_t* samples) {
    if (!re_) {
        return;
    }
    // The window is zero before its last 8820 values.
    const int start = std::max(0, size_ - kWindowLength);
    std::fill_n(re_.get(), start, 0.0);
    kernels_->windowMono(samples + start, window_.get() + start, re_.get() + start, size_ - start);
    std::fill_n(im_.get(), size_, 0.0);
    realInput_ = true;
}

void Fft::LoadStereo(const int16_t* left, const int16_t* right) {
    if (!re_) {
        return;
    }
    const int start = std::max(0, size_ - kWindowLength);
    std::fill_n(re_.get(), start, 0.0);
    kernels_->windowStereo(
        left + start, right + start, window_.get() + start, re_.get() + start, size_ - start);
    std::fill_n(im_.get(), size_, 0.0);
    realInput_ = true;
}

void Fft::LoadReal(std::span<const double> samples) {
    if (!re_) {
        return;
    }
    const int n = static_cast<int>(std::min<std::size_t>(samples.size(), size_));
    std::copy_n(samples.data(), n, re_.get());
    std::fill_n(re_.get() + n, size_ - n, 0.0);
    if (log2Size_ < fftcore::kMinRealLog2) {
        std::fill_n(im_.get(), size_, 0.0);  // the reference transform reads it; the real one not
    }
    realInput_ = true;
}

void Fft::Transform() {
    if (!re_) {
        return;
    }
    if (log2Size_ < fftcore::kMinRealLog2) {
        ReferenceTransform(re_.get(), im_.get(), size_);
    } else if (realInput_) {
        kernels_->realTransform(re_.get(), im_.get(), tables_, workArea_);
    } else {
        kernels_->complexTransform(re_.get(), im_.get(), tables_, workArea_);
    }
    realInput_ = false;
}

void Fft::Magnitudes(std::span<double> out, bool logarithmic) const {
    const double scale = (1.0 / 4410) * (314.0 / 257);
    const int half = std::min<int>(size_ / 2, static_cast<int>(out.size()));
    if (half <= 0) {
        return;
    }
    kernels_->magnitudes(re_.get(), im_.get(), out.data(), half, scale);
    if (logarithmic) {
        const double full = std::log10(100000.0) * 20;
        for (int i = 0; i < half; ++i) {
            out[i] = std::log10(out[i] + 1) * 20 * 32767 / full;
        }
    }
}

double Fft::Fundamental(std::span<const double> spectrum, const KeyTable& keyTable) const {
    return EstimateFundamental(spectrum,
                               keyTable.KeyFrequency(0),
                               keyTable.KeyFrequency(kKeyCount - 1),
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
