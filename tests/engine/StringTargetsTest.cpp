// Open-string targets: the tunings' notes, pure fifths from the A string, notes written by hand,
// and the nearest or locked string.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/dsp/StringTargets.h"

namespace tonavise {
namespace {

double Cents(double a, double b) {
    return 1200.0 * std::log2(a / b);
}

TEST(StringTargets, SetsPureFifthsAndWrittenNotes) {
    const StringSet* guitar = StringSetNamed("guitar");
    ASSERT_NE(guitar, nullptr);
    const std::vector<double> equal = StringTargetsHz(guitar->keys, 440.0, false);
    EXPECT_NEAR(equal.front(), 82.407, 0.001);  // E2
    EXPECT_NEAR(equal.back(), 329.628, 0.001);  // E4

    // A cello in pure fifths: A3 stays, D3 is 2/3 of it, G2 and C2 a fifth lower each (C2 is
    // 5.9 cents under its equal-tempered pitch); the guitar has no such choice.
    const StringSet* cello = StringSetNamed("cello");
    ASSERT_TRUE(cello != nullptr && cello->fifths);
    const std::vector<double> pure = StringTargetsHz(cello->keys, 440.0, true);
    EXPECT_DOUBLE_EQ(pure[3], 220.0);
    EXPECT_DOUBLE_EQ(pure[2], 220.0 * 2 / 3);
    EXPECT_DOUBLE_EQ(pure[0], 220.0 * 8 / 27);
    EXPECT_NEAR(Cents(pure[0], 440.0 * std::exp2((15 - 48) / 12.0)), -5.87, 0.01);
    EXPECT_FALSE(StringSetNamed("guitar")->fifths);

    const StringNotesParse dadgad = ParseStringNotes("D2 A2, D3 G3 A3 D4");
    ASSERT_TRUE(dadgad.keys.has_value()) << dadgad.error;
    EXPECT_EQ(*dadgad.keys, StringSetNamed("guitar-dadgad")->keys);
    const StringNotesParse bad = ParseStringNotes("D2 H2");
    EXPECT_FALSE(bad.keys.has_value());
    EXPECT_NE(bad.error.find("\"H2\""), std::string::npos) << bad.error;
    EXPECT_FALSE(ParseStringNotes("  ").keys.has_value());
}

TEST(StringTargets, TheNearestStringOrTheLockedOne) {
    const std::vector<double> targets =
        StringTargetsHz(StringSetNamed("guitar")->keys, 440.0, false);
    // A low E string tuned 30 cents flat still reads as the low E string.
    const double flatE = targets[0] * std::exp2(-30.0 / 1200.0);
    StringReading r = NearestString(flatE, targets);
    EXPECT_EQ(r.string, 0);
    EXPECT_NEAR(r.cents, -30.0, 1e-9);
    // Locked to the A string: the same sound is measured against A2, five keys up.
    r = NearestString(flatE, targets, 1);
    EXPECT_EQ(r.string, 1);
    EXPECT_NEAR(r.cents, -530.0, 1e-9);
    EXPECT_EQ(NearestString(0.0, targets).string, -1);
    EXPECT_EQ(NearestString(flatE, targets, 9).string, 0) << "a lock beyond the strings is ignored";
}

}  // namespace
}  // namespace tonavise
