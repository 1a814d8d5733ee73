#include <gtest/gtest.h>

#include <vector>

#include "engine/core/AudioFormat.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/Fundamental.h"
#include "engine/dsp/KeyTable.h"

namespace tonavise {
namespace {

constexpr double kBin = 44100.0 / 32768.0;

std::vector<double> Spectrum(std::initializer_list<std::pair<int, double>> peaks) {
    std::vector<double> s(kSpectrumLength, 0.0);
    for (auto [bin, value] : peaks) {
        s[bin] = value;
    }
    return s;
}

double Estimate(const std::vector<double>& s, double a4 = 440.0) {
    KeyTable d;
    d.SetA4(a4);
    Fft fft(kFftSize);
    return fft.Fundamental(s, d);
}

TEST(Fundamental, SingleToneIsItsBin) {
    EXPECT_NEAR(Estimate(Spectrum({{400, 1000}})), 538.33, 0.01);
}

TEST(Fundamental, LowerPeaksMakeTheMainPeakAHarmonic) {
    // Ratio 2: the main peak is the second harmonic.
    EXPECT_NEAR(Estimate(Spectrum({{600, 1000}, {300, 500}})), 300 * kBin, 1e-9);
    EXPECT_NEAR(Estimate(Spectrum({{600, 1000}, {300, 500}})), 403.75, 0.01);
    // Ratio 1.5, matched by 3/2: h = 600 / 3.
    EXPECT_NEAR(Estimate(Spectrum({{600, 1000}, {400, 500}})), 269.17, 0.01);
    // Ratio 1.1 matches nothing: ignored.
    EXPECT_NEAR(Estimate(Spectrum({{660, 1000}, {600, 500}})), 660 * kBin, 1e-9);
}

TEST(Fundamental, UpperPeaksRefineTheEstimate) {
    // 601 / 300 = 2.0033 -> h = 300.5; 901 / 300.5 = 2.998 -> h = 300.33.
    EXPECT_NEAR(Estimate(Spectrum({{300, 1000}, {601, 500}})), 300.5 * kBin, 1e-9);
    EXPECT_NEAR(Estimate(Spectrum({{300, 1000}, {601, 500}, {901, 400}})), 901.0 / 3 * kBin, 1e-9);
    // A fourth harmonic pins the fundamental to a quarter bin.
    EXPECT_NEAR(Estimate(Spectrum({{300, 1000}, {601, 500}, {901, 400}, {1202, 300}})),
                1202.0 / 4 * kBin,
                1e-9);
}

TEST(Fundamental, PeakTestNeedsHeightAndSteepness) {
    std::vector<double> s(100, 0.0);
    s[50] = 51;
    EXPECT_TRUE(IsPeak(s, 50));
    s[50] = 50;
    EXPECT_FALSE(IsPeak(s, 50)) << "50 itself is not above 50";
    s[50] = 100;
    s[55] = 25;
    EXPECT_FALSE(IsPeak(s, 50)) << "neighbour 5 bins up at a quarter";
    s[55] = 24.9;
    s[45] = 25;
    EXPECT_FALSE(IsPeak(s, 50)) << "neighbour 5 bins down at a quarter";
    s[45] = 0;
    EXPECT_TRUE(IsPeak(s, 50));
    // Neighbours outside the spectrum: never a peak, never read.
    s[2] = 1000;
    s[97] = 1000;
    EXPECT_FALSE(IsPeak(s, 2));
    EXPECT_FALSE(IsPeak(s, 97));
    EXPECT_EQ(FindPeakUpward(s, 90, 99), -1);
    EXPECT_EQ(FindPeakDownward(s, 9, 0), -1);
}

TEST(Fundamental, BroadHumpIsNotAPeak) {
    std::vector<double> s(kSpectrumLength, 0.0);
    for (int i = 500; i <= 520; ++i) {
        s[i] = 1000 - 10 * std::abs(i - 510);  // neighbours at +-5 are 950, far above a quarter
    }
    s[204] = 300;
    // The hump's top is the main peak although it fails the peak test; the clear lower peak at
    // 204 (510 / 204 = 5/2) makes it the fifth harmonic.
    EXPECT_FALSE(IsPeak(s, 510));
    EXPECT_TRUE(IsPeak(s, 204));
    EXPECT_NEAR(Estimate(s), 510.0 / 5 * kBin, 1e-9);
    // The hump's flanks are no peaks either, so nothing above it refines anything.
    EXPECT_EQ(FindPeakUpward(s, 515, 3000), -1);
}

TEST(Fundamental, TiesTakeTheLowestBinAndSilenceGivesTheLowEdge) {
    EXPECT_EQ(FindMaximum(std::vector<double>{1, 5, 5, 2}, 0, 3), 1);
    EXPECT_NEAR(Estimate(Spectrum({{700, 800}, {701, 800}})), 700 * kBin, 1e-9);
    const std::vector<double> silence(kSpectrumLength, 0.0);
    for (double a4 : {435.0, 440.0, 445.0}) {
        EXPECT_NEAR(Estimate(silence, a4), 26.9165, 1e-4) << a4;
    }
}

TEST(Fundamental, HarmonicRatioOrder) {
    EXPECT_DOUBLE_EQ(HarmonicRatio(100, 200), 100);          // 2
    EXPECT_DOUBLE_EQ(HarmonicRatio(100, 150), 50);           // 3/2 -> b / 3
    EXPECT_DOUBLE_EQ(HarmonicRatio(100, 133.3), 133.3 / 4);  // 4/3
    EXPECT_DOUBLE_EQ(HarmonicRatio(100, 125), 25);           // 5/4
    EXPECT_DOUBLE_EQ(HarmonicRatio(100, 116.7), 116.7 / 6);  // 6/5 comes before 7/6
    EXPECT_DOUBLE_EQ(HarmonicRatio(100, 350), 50);           // 7/2
    EXPECT_EQ(HarmonicRatio(100, 110), -1);
    EXPECT_EQ(HarmonicRatio(100, 800), -1);
    EXPECT_EQ(HarmonicRatio(0, 100), -1);
}

TEST(Fundamental, SearchRangeFollowsTheKeys) {
    // A peak just above key 87's bin is outside the search: the estimate stays inside.
    KeyTable d;
    const int hi = static_cast<int>(d.KeyFrequency(87) * 32768 / 44100);
    EXPECT_EQ(hi, 3110);
    const auto s = Spectrum({{hi + 1, 5000}, {1000, 100}});
    EXPECT_NEAR(Estimate(s), 1000 * kBin, 1e-9);
    d.SetA4(435.0);
    EXPECT_EQ(static_cast<int>(d.KeyFrequency(87) * 32768 / 44100), 3075);
    d.SetA4(445.0);
    EXPECT_EQ(static_cast<int>(d.KeyFrequency(87) * 32768 / 44100), 3145);
}

}  // namespace
}  // namespace tonavise
