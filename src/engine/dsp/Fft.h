// The analysis transform: a window that keeps the newest 8820 samples (200 ms) of the history,
// a forward complex FFT in place on (re, im), the scaled magnitudes of the lower half, and the
// fundamental estimate on them.
//
// Init() allocates everything the transform needs; Load*, Transform, Magnitudes and
// Fundamental never allocate. One thread uses an instance at a time (the analysis thread).
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <span>

#include "engine/dsp/FftKernels.h"

namespace tonavise {

class KeyTable;

inline constexpr int kWindowLength = 8820;

// Machine code for the transform: the best the processor runs (AVX2 + FMA where present), or
// the baseline x86-64 code.
enum class FftCode { Best, Baseline };

class Fft {
  public:
    explicit Fft(int size = 1024);
    virtual ~Fft();
    Fft(const Fft&) = delete;
    Fft& operator=(const Fft&) = delete;

    // size must be a power of two, at least 2. Returns false when it is not, or when memory
    // runs out; the transform must then not be used.
    virtual bool Init(int size);
    virtual void Free();

    int size() const { return size_; }
    bool ready() const { return re_ != nullptr; }

    // re := samples x window, im := 0. Each input holds size() samples.
    void LoadMono(const int16_t* samples);
    void LoadStereo(const int16_t* left, const int16_t* right);
    // re := samples without a window, zero after them (at most size() are taken); the next
    // Transform takes the input as real, as after LoadMono.
    void LoadReal(std::span<const double> samples);

    // Forward transform of (re, im) in place, angle step -2 pi / N, results in natural order.
    // After LoadMono/LoadStereo (im known to be zero) it runs a half-size complex transform of
    // the even and odd samples and splits it into the full spectrum; for any other input (re()
    // or im() handed out since the last load) the full complex transform.
    void Transform();

    // Picks the machine code; Init starts with FftCode::Best.
    void SelectCode(FftCode code);

    // size() / 2 magnitudes, scaled so that a sine of amplitude A gives a peak of about A; with
    // `logarithmic`, 20 log10(value + 1) dB mapped so that 100 dB is 32767.
    void Magnitudes(std::span<double> out, bool logarithmic) const;

    // The fundamental frequency in Hz of a spectrum from Magnitudes(), searched over the keys
    // of `keyTable`.
    double Fundamental(std::span<const double> spectrum, const KeyTable& keyTable) const;

    // The arrays for input and results. Handing them out ends the knowledge that im is zero:
    // the next Transform then takes the input as complex. Spans taken before a Load* must not
    // be written after it.
    std::span<double> re() {
        realInput_ = false;
        return {re_.get(), static_cast<std::size_t>(size_)};
    }
    std::span<double> im() {
        realInput_ = false;
        return {im_.get(), static_cast<std::size_t>(size_)};
    }
    std::span<const double> window() const {
        return {window_.get(), static_cast<std::size_t>(size_)};
    }

  private:
    struct AlignedDelete {
        void operator()(void* p) const { ::operator delete[](p, std::align_val_t{kAlignment}); }
    };
    template <typename T>
    using AlignedArray = std::unique_ptr<T[], AlignedDelete>;
    static constexpr std::size_t kAlignment = 64;  // a cache line
    template <typename T>
    static AlignedArray<T> Allocate(std::size_t n);

    bool BuildTables();

    int size_ = 0;
    int log2Size_ = 0;
    bool realInput_ = false;  // im is all zero: set by Load*, cleared by re(), im(), Transform
    const fftcore::Kernels* kernels_ = nullptr;
    fftcore::Tables tables_;
    fftcore::Work workArea_;
    AlignedArray<double> window_;
    AlignedArray<double> re_;
    AlignedArray<double> im_;
    // Twiddles and index tables behind tables_ (see FftKernels.h).
    AlignedArray<double> radix4_;
    AlignedArray<double> quarter_;
    AlignedArray<double> quarterHalf_;
    AlignedArray<uint32_t> revMid_;
    AlignedArray<uint32_t> revMidHalf_;
    AlignedArray<double> work_;  // both arrays of workArea_
};

// The transform exactly as first written: decimation in frequency with the twiddles computed at
// each use, then bit reversal. Slow; the reference against which Fft::Transform is checked.
void ReferenceTransform(double* re, double* im, int n);

}  // namespace tonavise
