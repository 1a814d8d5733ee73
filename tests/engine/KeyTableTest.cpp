#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/dsp/KeyTable.h"

namespace tonavise {
namespace {

TEST(KeyTable, KeyTableFollowsA4) {
    KeyTable d;
    EXPECT_DOUBLE_EQ(d.KeyFrequency(48), 440.0);
    EXPECT_DOUBLE_EQ(d.KeyFrequency(0), 27.5);
    EXPECT_NEAR(d.KeyFrequency(87), 4186.009, 1e-3);
    d.SetA4(441.5);
    EXPECT_DOUBLE_EQ(d.GetA4(), 441.5);
    EXPECT_DOUBLE_EQ(d.KeyFrequency(48), 441.5);
    EXPECT_DOUBLE_EQ(d.KeyFrequency(0), 27.59375);
    EXPECT_NEAR(d.KeyFrequency(87), 4200.28, 5e-3);
}

TEST(KeyTable, NamesChangeOctaveAtC) {
    KeyTable d;
    struct Case {
        int key;
        const char* shortName;
        const char* longName;
    };
    for (const Case c : {Case{0, "A0", "A0"},
                         Case{1, "#A0", "#A/bB0"},
                         Case{2, "B0", "B0"},
                         Case{3, "C1", "C1"},
                         Case{4, "#C1", "#C/bD1"},
                         Case{48, "A4", "A4"},
                         Case{49, "#A4", "#A/bB4"},
                         Case{86, "B7", "B7"},
                         Case{87, "C8", "C8"},
                         Case{-1, "#G0", "#G0"},
                         Case{-100, "#G0", "#G0"},
                         Case{88, "#C8", "#C8"}}) {
        EXPECT_EQ(d.ShortName(c.key), c.shortName) << c.key;
        EXPECT_EQ(d.LongName(c.key), c.longName) << c.key;
    }
    // Every name fits the 8-character buffers of the program.
    for (int k = 0; k < kKeyCount; ++k) {
        EXPECT_LE(d.LongName(k).size(), 7u);
    }
}

TEST(KeyTable, NearestKeyRoundsWithTruncatedCents) {
    KeyTable d;
    struct Case {
        double hz;
        int key;
        int cents;
    };
    for (const Case c : {Case{440.0, 48, 0},
                         Case{450.0, 48, 38},
                         Case{453.08, 49, -50},
                         Case{27.5, 0, 0},
                         Case{4186.01, 87, 0}}) {
        const NearestKeyResult r = d.NearestKey(c.hz);
        EXPECT_EQ(r.key, c.key) << c.hz;
        EXPECT_EQ(r.cents, c.cents) << c.hz;
    }
    // Exactly +50 cents (after truncation) goes to the upper key with -50.
    const NearestKeyResult up = d.NearestKey(440.0 * std::pow(2.0, 50.5 / 1200));
    EXPECT_EQ(up.key, 49);
    EXPECT_EQ(up.cents, -50);
    // Below A0: -60 cents gives key 0 and -60; -160 cents gives key -1 and -60.
    const NearestKeyResult below = d.NearestKey(27.5 * std::pow(2.0, -60.5 / 1200));
    EXPECT_EQ(below.key, 0);
    EXPECT_EQ(below.cents, -60);
    const NearestKeyResult further = d.NearestKey(27.5 * std::pow(2.0, -160.5 / 1200));
    EXPECT_EQ(further.key, -1);
    EXPECT_EQ(further.cents, -60);
}

TEST(KeyTable, NearestKeyOfEveryKeyIsThatKeyWithinOneCent) {
    for (double a4 : {435.0, 440.0, 441.5, 445.0}) {
        KeyTable d;
        d.SetA4(a4);
        for (int k = 0; k < kKeyCount; ++k) {
            const NearestKeyResult r = d.NearestKey(d.KeyFrequency(k));
            EXPECT_EQ(r.key, k) << a4;
            EXPECT_LE(std::abs(r.cents), 1) << a4 << " key " << k;
        }
    }
}

TEST(KeyTable, NearestKeyOfNoPitchIsOutsideTheTable) {
    KeyTable d;
    for (double hz : {0.0,
                      -5.0,
                      std::numeric_limits<double>::quiet_NaN(),
                      std::numeric_limits<double>::infinity(),
                      1e-300}) {
        const NearestKeyResult r = d.NearestKey(hz);
        EXPECT_TRUE(r.key < 0 || r.key >= kKeyCount) << hz;
    }
}

TEST(KeyTable, CentsIsTheIntervalFromBUpToA) {
    EXPECT_DOUBLE_EQ(Cents(880, 440), 1200);
    EXPECT_DOUBLE_EQ(Cents(440, 880), -1200);
    EXPECT_NEAR(Cents(450, 440), 38.906, 1e-3);
}

TEST(KeyTable, RelativeNamesMoveWithTheKey) {
    // keyIndex 0: C keys (3, 15, ...) show degree 1 / do / c / C, A keys 6 / la / a / A.
    const char* cNames[] = {"1", "do", "c", "C"};
    const char* aNames[] = {"6", "la", "a", "A"};
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(RelativeNoteName(3, n, 0), cNames[n]);
        EXPECT_EQ(RelativeNoteName(48, n, 0), aNames[n]);
        // After four more "Select Notation" commands the same row comes back.
        EXPECT_EQ(RelativeNoteName(48, n + 4, 0), aNames[n]);
    }
    // keyIndex 2 ("1 = D"): D keys (5, 17, ...) show 1 / do / c / C.
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(RelativeNoteName(5, n, 2), cNames[n]);
    }
    // keyIndex 11 ("1 = B"): B keys show "1", C keys ":".
    EXPECT_EQ(RelativeNoteName(2, 0, 11), "1");
    EXPECT_EQ(RelativeNoteName(3, 0, 11), ":");
    // Five black keys per octave.
    int black = 0;
    for (int k = 0; k < 12; ++k) {
        black += RelativeNoteName(k, 0, 0) == ":";
    }
    EXPECT_EQ(black, 5);
}

TEST(KeyTable, ColoursStartUnmarkedAndRestoreFromTheBackup) {
    KeyTable d;
    for (const auto& c : d.pitchLineColors) {
        EXPECT_EQ(c.load(), kColorUnmarked);
    }
    d.pitchLineColors[48] = 0;
    d.SaveColors();
    d.pitchLineColors[48] = 3;
    d.pitchLineColors[0] = 5;
    d.RestoreColors();
    EXPECT_EQ(d.pitchLineColors[48].load(), 0);
    EXPECT_EQ(d.pitchLineColors[0].load(), kColorUnmarked);
}

}  // namespace
}  // namespace tonavise
