#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "engine/dsp/Strobe.h"

namespace tonavise {
namespace {

// A sawtooth (all harmonics) `cents` off the target, fed in 10 ms pieces as the capture hands
// them on; returns the bands moved a second, from a line through the positions.
double BandsASecond(double target, double cents, double seconds) {
    constexpr double kRate = 44100.0;
    const double hz = target * std::exp2(cents / 1200.0);
    StrobePhase strobe;
    strobe.SetTarget(target, kRate);
    std::vector<int16_t> piece(441);
    double phase = 0.3;
    std::vector<double> t;
    std::vector<double> bands;
    for (int n = 0; n < static_cast<int>(seconds * 100); ++n) {
        for (int16_t& s : piece) {
            s = static_cast<int16_t>(8000.0 * (2.0 * phase - 1.0));
            phase += hz / kRate;
            phase -= std::floor(phase);
        }
        strobe.Process(piece);
        t.push_back((n + 1) * 0.01);
        bands.push_back(strobe.Bands());
    }
    // Least squares slope.
    const double n = static_cast<double>(t.size());
    double st = 0, sb = 0, stt = 0, stb = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        st += t[i];
        sb += bands[i];
        stt += t[i] * t[i];
        stb += t[i] * bands[i];
    }
    return (n * stb - st * sb) / (n * stt - st * st);
}

TEST(Strobe, OneCentMovesOneBandASecondInEitherDirection) {
    for (double target : {82.41, 440.0, 1318.5}) {
        for (double cents : {0.1, 1.0, 10.0, -1.0, -10.0}) {
            const double speed = BandsASecond(target, cents, 10.0);
            EXPECT_NEAR(speed, cents, std::abs(cents) * 0.1) << target << " Hz, " << cents << " c";
        }
        EXPECT_NEAR(BandsASecond(target, 0.0, 5.0), 0.0, 0.01) << target << " Hz in tune";
    }
}

TEST(Strobe, ANewTargetStartsStillAndSilenceDoesNotMove) {
    StrobePhase strobe;
    EXPECT_EQ(strobe.Bands(), 0.0);
    strobe.Process(std::vector<int16_t>(4410, 100));  // no target yet: nothing
    EXPECT_EQ(strobe.Bands(), 0.0);
    strobe.SetTarget(440.0, 44100.0);
    strobe.Process(std::vector<int16_t>(44100, 0));
    EXPECT_EQ(strobe.Bands(), 0.0);
    strobe.SetTarget(0.0, 44100.0);
    EXPECT_EQ(strobe.targetHz(), 0.0);
}

}  // namespace
}  // namespace tonavise
