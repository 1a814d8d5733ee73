// The analysis transform: a window that keeps the newest 8820 samples (200 ms) of the history,
// a forward complex FFT in place on (re, im), the scaled magnitudes of the lower half, and the
// fundamental estimate on them.
//
// Init() allocates everything the transform needs; Load*, Transform, Magnitudes and
// Fundamental never allocate. One thread uses an instance at a time (the analysis thread).
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace tonavise {

class CDoreme;

inline constexpr int kWindowLength = 8820;

class CFft {
public:
    explicit CFft(int size = 1024);
    virtual ~CFft();
    CFft(const CFft&) = delete;
    CFft& operator=(const CFft&) = delete;

    // size must be a power of two, at least 2. Returns false when it is not, or when memory
    // runs out; the transform must then not be used.
    virtual bool Init(int size);
    virtual void Free();

    int size() const { return size_; }
    bool ready() const { return re_ != nullptr; }

    // re := samples x window, im := 0. Each input holds size() samples.
    void LoadMono(const int16_t* samples);
    void LoadStereo(const int16_t* left, const int16_t* right);

    // Forward transform of (re, im) in place, angle step -2 pi / N, results in natural order.
    void Transform();

    // size() / 2 magnitudes, scaled so that a sine of amplitude A gives a peak of about A; with
    // `logarithmic`, 20 log10(value + 1) dB mapped so that 100 dB is 32767.
    void Magnitudes(std::span<double> out, bool logarithmic) const;

    // The fundamental frequency in Hz of a spectrum from Magnitudes(), searched over the keys
    // of `doreme`.
    double Fundamental(std::span<const double> spectrum, const CDoreme& doreme) const;

    std::span<double> re() { return {re_.get(), static_cast<std::size_t>(size_)}; }
    std::span<double> im() { return {im_.get(), static_cast<std::size_t>(size_)}; }
    std::span<const double> window() const {
        return {window_.get(), static_cast<std::size_t>(size_)};
    }

private:
    int size_ = 0;
    int log2Size_ = 0;
    std::unique_ptr<double[]> window_;
    std::unique_ptr<double[]> re_;
    std::unique_ptr<double[]> im_;
    // Twiddles of every stage, contiguous per stage: stage with half-size h at offset h - 1.
    std::unique_ptr<double[]> twiddleRe_;
    std::unique_ptr<double[]> twiddleIm_;
    // Pairs (i, j), i < j, swapped by the bit reversal.
    std::unique_ptr<uint32_t[]> swaps_;
    int swapCount_ = 0;
};

// The transform exactly as first written: decimation in frequency with the twiddles computed at
// each use, then bit reversal. Slow; the reference against which CFft::Transform is checked.
void ReferenceTransform(double* re, double* im, int n);

}  // namespace tonavise
