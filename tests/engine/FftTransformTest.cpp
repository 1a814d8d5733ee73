#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <string>
#include <vector>

#include "engine/core/AudioFormat.h"
#include "engine/dsp/Fft.h"

namespace tonavise {
namespace {

const double kPi = 4.0 * std::atan(1.0);

struct Spectrum {
    std::vector<double> re;
    std::vector<double> im;
};

// The largest |X| of `expected` and how far `actual` strays from it, as a fraction of that.
double RelativeError(const Spectrum& expected, const Spectrum& actual) {
    double largest = 0.0;
    double worst = 0.0;
    for (std::size_t k = 0; k < expected.re.size(); ++k) {
        largest = std::max(largest, std::hypot(expected.re[k], expected.im[k]));
        worst = std::max(worst, std::abs(expected.re[k] - actual.re[k]));
        worst = std::max(worst, std::abs(expected.im[k] - actual.im[k]));
    }
    return largest > 0.0 ? worst / largest : worst;
}

Spectrum Reference(std::span<const double> re, std::span<const double> im) {
    Spectrum s{{re.begin(), re.end()}, {im.begin(), im.end()}};
    ReferenceTransform(s.re.data(), s.im.data(), static_cast<int>(s.re.size()));
    return s;
}

// Transforms what fft holds and returns a copy of the result.
Spectrum TransformCopy(Fft& fft) {
    fft.Transform();
    auto re = fft.re();
    auto im = fft.im();
    return {{re.begin(), re.end()}, {im.begin(), im.end()}};
}

std::vector<int16_t> RandomSamples(int n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> d(-32768, 32767);
    std::vector<int16_t> s(static_cast<std::size_t>(n));
    for (auto& v : s) {
        v = static_cast<int16_t>(d(rng));
    }
    return s;
}

std::vector<int16_t> SineSamples(int n, double cyclesPerSample, double amplitude) {
    std::vector<int16_t> s(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        s[i] =
            static_cast<int16_t>(std::lround(amplitude * std::sin(2 * kPi * cyclesPerSample * i)));
    }
    return s;
}

constexpr int kSizes[] = {2, 4, 8, 16, 32, 64, 128, 256, 512, 1024, 2048, 4096, 8192, 16384, 32768};
constexpr FftCode kCodes[] = {FftCode::Best, FftCode::Baseline};

std::string Label(int n, FftCode code) {
    return "n=" + std::to_string(n) + (code == FftCode::Best ? " best code" : " baseline code");
}

// Real input (the path after LoadMono/LoadStereo): random, sine and impulses, at every size and
// with both kinds of machine code.
TEST(FftTransform, RealInputMatchesTheReference) {
    for (FftCode code : kCodes) {
        for (int n : kSizes) {
            Fft fft(n);
            fft.SelectCode(code);
            std::vector<std::vector<int16_t>> inputs = {
                RandomSamples(n, 1234u + static_cast<unsigned>(n)),
                SineSamples(n, 0.0371, 30000.0),
                std::vector<int16_t>(static_cast<std::size_t>(n)),
                std::vector<int16_t>(static_cast<std::size_t>(n)),
            };
            inputs[2].back() = 32767;                            // the newest sample
            inputs[3][std::max(0, n - kWindowLength)] = -32768;  // the oldest one that counts
            for (std::size_t c = 0; c < inputs.size(); ++c) {
                fft.LoadMono(inputs[c].data());
                std::vector<double> re(fft.window().size());
                for (int i = 0; i < n; ++i) {
                    re[i] = inputs[c][i] * fft.window()[i];
                }
                const Spectrum expected = Reference(re, std::vector<double>(re.size(), 0.0));
                const Spectrum actual = TransformCopy(fft);
                EXPECT_LE(RelativeError(expected, actual), 1e-9)
                    << Label(n, code) << " input " << c;
            }
        }
    }
}

// LoadReal: unwindowed values, zero-padded, through the real-input path; whatever the arrays
// held before (a previous spectrum) has no influence.
TEST(FftTransform, UnwindowedRealInputMatchesTheReference) {
    for (FftCode code : kCodes) {
        for (int n : {2, 16, 32, 1024, 16384}) {
            Fft fft(n);
            fft.SelectCode(code);
            const std::vector<int16_t> samples = RandomSamples(n, 99u);
            fft.LoadMono(samples.data());
            fft.Transform();
            std::vector<double> values(samples.begin(), samples.begin() + (n + 1) / 2);
            fft.LoadReal(values);
            values.resize(static_cast<std::size_t>(n), 0.0);
            const Spectrum expected = Reference(values, std::vector<double>(values.size(), 0.0));
            EXPECT_LE(RelativeError(expected, TransformCopy(fft)), 1e-9) << Label(n, code);
        }
    }
}

TEST(FftTransform, ComplexInputMatchesTheReference) {
    for (FftCode code : kCodes) {
        for (int n : kSizes) {
            Fft fft(n);
            fft.SelectCode(code);
            std::mt19937 rng(99u + static_cast<unsigned>(n));
            std::uniform_real_distribution<double> d(-1.0, 1.0);
            auto re = fft.re();
            auto im = fft.im();
            for (int i = 0; i < n; ++i) {
                re[i] = d(rng);
                im[i] = d(rng);
            }
            Spectrum expected = Reference(re, im);
            EXPECT_LE(RelativeError(expected, TransformCopy(fft)), 1e-9) << Label(n, code);

            // A complex impulse in the middle and a complex sine.
            std::fill(re.begin(), re.end(), 0.0);
            std::fill(im.begin(), im.end(), 0.0);
            re[n / 2] = 0.75;
            im[n / 2] = -2.0;
            expected = Reference(re, im);
            EXPECT_LE(RelativeError(expected, TransformCopy(fft)), 1e-9) << Label(n, code);
            for (int i = 0; i < n; ++i) {
                re[i] = std::cos(2 * kPi * 0.3 * i);
                im[i] = std::sin(2 * kPi * 0.1 * i);
            }
            expected = Reference(re, im);
            EXPECT_LE(RelativeError(expected, TransformCopy(fft)), 1e-9) << Label(n, code);
        }
    }
}

// A complex exponential of bin k puts everything into bin k: checks every output position,
// including 0 and N - 1, which the bit reversal must leave in place.
TEST(FftTransform, EveryBinLandsInItsPlace) {
    for (FftCode code : kCodes) {
        for (int n : {16, 32, 64, 128}) {
            Fft fft(n);
            fft.SelectCode(code);
            for (int k = 0; k < n; ++k) {
                auto re = fft.re();
                auto im = fft.im();
                for (int i = 0; i < n; ++i) {
                    re[i] = std::cos(2 * kPi * k * i / n);
                    im[i] = std::sin(2 * kPi * k * i / n);
                }
                fft.Transform();
                for (int b = 0; b < n; ++b) {
                    const double magnitude = std::hypot(fft.re()[b], fft.im()[b]);
                    ASSERT_NEAR(magnitude, b == k ? n : 0.0, 1e-9 * n)
                        << Label(n, code) << " k=" << k << " bin " << b;
                }
            }
        }
    }
}

// The real-input shortcut is taken only while im is known to be zero.
TEST(FftTransform, InputTouchedAfterLoadingIsTakenAsComplex) {
    const int n = 4096;
    Fft fft(n);
    const auto samples = RandomSamples(n, 7u);

    fft.LoadMono(samples.data());
    fft.im()[5] = 1000.0;  // written after loading: im is no longer zero
    Spectrum expected = Reference(fft.re(), fft.im());
    EXPECT_LE(RelativeError(expected, TransformCopy(fft)), 1e-9);

    // A second transform without loading works on the (complex) results of the first.
    fft.LoadMono(samples.data());
    fft.Transform();
    expected = Reference(fft.re(), fft.im());
    EXPECT_LE(RelativeError(expected, TransformCopy(fft)), 1e-9);
}

TEST(FftInit, RefusesSizesThatAreNotPowersOfTwo) {
    Fft fft(1024);
    for (int size : {0, 1, 3, 6, 1000, 32767, -4}) {
        EXPECT_FALSE(fft.Init(size)) << size;
        EXPECT_FALSE(fft.ready());
    }
    EXPECT_TRUE(fft.Init(2));
    EXPECT_TRUE(fft.Init(kFftSize));
    EXPECT_EQ(fft.size(), kFftSize);
}

TEST(FftWindow, OnlyTheNewest8820SamplesCount) {
    Fft fft(kFftSize);
    const auto w = fft.window();
    const int first = kFftSize - kWindowLength;
    EXPECT_EQ(first, 23948);
    for (int i = 0; i < first; ++i) {
        ASSERT_EQ(w[i], 0.0) << i;
    }
    EXPECT_DOUBLE_EQ(w[first], 0.5);
    EXPECT_NEAR(w[kFftSize - 1], 0.5, 2e-4);  // sin(pi x 8819 / 8820) / 2 + 0.5
    EXPECT_DOUBLE_EQ(w[first + kWindowLength / 2], 1.0);
    for (int i = first; i < kFftSize; ++i) {
        ASSERT_GE(w[i], 0.5);
        ASSERT_LE(w[i], 1.0);
    }
}

TEST(FftLoad, WindowedSamplesAreExactlyTheProducts) {
    for (FftCode code : kCodes) {
        Fft fft(kFftSize);
        fft.SelectCode(code);
        const auto left = RandomSamples(kFftSize, 3u);
        const auto right = RandomSamples(kFftSize, 4u);
        fft.LoadMono(left.data());
        for (int i = 0; i < kFftSize; ++i) {
            ASSERT_EQ(fft.re()[i], left[i] * fft.window()[i]) << i;
            ASSERT_EQ(fft.im()[i], 0.0) << i;
        }
        fft.LoadStereo(left.data(), right.data());
        for (int i = 0; i < kFftSize; ++i) {
            ASSERT_EQ(fft.re()[i], ((left[i] + right[i]) / 2.0) * fft.window()[i]) << i;
            ASSERT_EQ(fft.im()[i], 0.0) << i;
        }
    }
}

TEST(FftLoad, SamplesOlderThanTheWindowHaveNoInfluence) {
    Fft fft(kFftSize);
    std::vector<double> first(kSpectrumLength);
    std::vector<double> second(kSpectrumLength);
    auto samples = SineSamples(kFftSize, 440.0 / kSampleRate, 12000.0);
    fft.LoadMono(samples.data());
    fft.Transform();
    fft.Magnitudes(first, false);
    const auto noise = RandomSamples(kFftSize, 5u);
    std::copy_n(noise.begin(), kFftSize - kWindowLength, samples.begin());
    fft.LoadStereo(samples.data(), samples.data());
    fft.Transform();
    fft.Magnitudes(second, false);
    EXPECT_EQ(first, second);
}

TEST(FftMagnitudes, SilenceGivesZeroInBothScalings) {
    Fft fft(kFftSize);
    const std::vector<int16_t> silence(kFftSize, 0);
    for (bool logarithmic : {false, true}) {
        std::vector<double> out(kSpectrumLength, -1.0);
        fft.LoadMono(silence.data());
        fft.Transform();
        fft.Magnitudes(out, logarithmic);
        for (double v : out) {
            ASSERT_EQ(v, 0.0) << logarithmic;
        }
    }
}

TEST(FftMagnitudes, LinearScaleAndLogarithmicMapping) {
    for (FftCode code : kCodes) {
        Fft fft(1024);
        fft.SelectCode(code);
        const double scale = (1.0 / 4410) * (314.0 / 257);
        auto re = fft.re();
        auto im = fft.im();
        std::fill(re.begin(), re.end(), 0.0);
        std::fill(im.begin(), im.end(), 0.0);
        re[0] = 99999 / scale;
        re[1] = 9 / scale;
        re[2] = 3.0;
        im[2] = -4.0;
        std::vector<double> linear(512);
        std::vector<double> logarithmic(512);
        fft.Magnitudes(linear, false);
        fft.Magnitudes(logarithmic, true);
        EXPECT_NEAR(linear[0], 99999, 1e-9);
        EXPECT_EQ(linear[2], std::sqrt(3.0 * 3.0 + 4.0 * 4.0) * scale);
        EXPECT_NEAR(logarithmic[0], 32767, 1e-6);
        EXPECT_NEAR(logarithmic[1], 6553.4, 1e-6);
        EXPECT_EQ(logarithmic[3], 0.0);
    }
}

TEST(FftMagnitudes, FullScaleSineAtABinCentrePeaksNear32767) {
    Fft fft(kFftSize);
    const int bin = 327;  // 440.1 Hz
    const auto samples = SineSamples(kFftSize, static_cast<double>(bin) / kFftSize, 32767.0);
    fft.LoadMono(samples.data());
    fft.Transform();
    std::vector<double> out(kSpectrumLength);
    fft.Magnitudes(out, false);
    const auto peak = std::max_element(out.begin(), out.end());
    EXPECT_EQ(peak - out.begin(), bin);
    // 314 / 257 stands for 1 / (0.5 + 1 / pi), the window's mean; they differ by 0.02 %.
    EXPECT_NEAR(*peak, 32767, 32767 * 1e-3);
}

}  // namespace
}  // namespace tonavise
