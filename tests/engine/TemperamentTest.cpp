#include <gtest/gtest.h>

#include <cmath>

#include "engine/dsp/KeyTable.h"
#include "engine/dsp/Temperament.h"

namespace tonavise {
namespace {

constexpr int kC4 = 39;
constexpr int kE4 = 43;
constexpr int kG4 = 46;

Temperament Named(const char* name) {
    const std::optional<Temperament> t = BuiltInTemperament(name);
    EXPECT_TRUE(t.has_value()) << name;
    return t.value_or(Temperament{});
}

// The degrees against the published tables (cents above C), so that a wrong fifth in a chain
// shows; every built-in has twelve rising degrees from 0.
TEST(Temperament, BuiltInsMatchTheirPublishedTables) {
    struct Row {
        const char* name;
        int degree;
        double cents;
    };
    for (const Row& r : {Row{"just", 4, 386.314},
                         Row{"just", 6, 590.224},
                         Row{"pythagorean", 3, 294.135},
                         Row{"pythagorean", 8, 815.640},
                         Row{"meantone", 4, 386.314},
                         Row{"meantone", 8, 772.627},
                         Row{"werckmeister3", 4, 390.225},
                         Row{"werckmeister3", 6, 588.270},
                         Row{"werckmeister3", 8, 792.180},
                         Row{"kirnberger3", 9, 889.735},
                         Row{"kirnberger3", 1, 90.225},
                         Row{"vallotti", 5, 501.955},
                         Row{"vallotti", 1, 94.135},
                         Row{"young2", 6, 588.270},
                         Row{"young2", 9, 894.135},
                         Row{"equal", 7, 700.0}}) {
        EXPECT_NEAR(Named(r.name).degrees[r.degree], r.cents, 0.001) << r.name << " " << r.degree;
    }
    for (std::string_view name : BuiltInTemperamentNames()) {
        const Temperament t = Named(std::string(name).c_str());
        ASSERT_EQ(t.size(), 12) << name;
        EXPECT_EQ(t.degrees[0], 0.0);
        for (int d = 1; d < 12; ++d) {
            EXPECT_GT(t.degrees[d], t.degrees[d - 1]) << name << " " << d;
        }
    }
    EXPECT_TRUE(BuiltInTemperament("Vallotti").has_value());
    EXPECT_FALSE(BuiltInTemperament("werckmeister").has_value());
}

TEST(Tuning, JustOnCKeepsTheTonicAndMeasuresFromTheTemperedTarget) {
    const Tuning just(Named("just"), 0, 440.0);
    EXPECT_NEAR(just.TargetHz(kC4), 261.626, 0.001);
    EXPECT_NEAR(just.TargetHz(kE4), 327.032, 0.001);
    EXPECT_NEAR(just.TargetHz(kKeyA4), 436.043, 0.001);
    EXPECT_NEAR(just.TargetHz(kE4 + 12), 2 * 327.032, 0.002);
    EXPECT_NEAR(just.TargetHz(kE4 - 24), 327.032 / 4, 0.001);
    const TunedReading e = just.Measure(327.03);
    EXPECT_EQ(e.key, kE4);
    EXPECT_NEAR(e.cents, 0.0, 0.3);
    EXPECT_NEAR(Tuning().Measure(327.03).cents, -13.7, 0.05);
    // The same just third with A kept at 440 Hz: everything moves by A's 15.6 cents.
    const Tuning onA(Named("just"), 0, 440.0, TuningAnchor::A4);
    EXPECT_NEAR(onA.TargetHz(kKeyA4), 440.0, 1e-9);
    EXPECT_NEAR(onA.TargetHz(kE4), 330.0, 0.001);
    // On another tonic the degrees start there: just on A puts A4 at 440 and C#5 a pure third up.
    const Tuning onTonicA(Named("just"), 9, 440.0);
    EXPECT_NEAR(onTonicA.TargetHz(kKeyA4), 440.0, 1e-9);
    EXPECT_NEAR(onTonicA.TargetHz(kKeyA4 + 4), 550.0, 0.001);
    EXPECT_NEAR(Tuning(Named("equal"), 3, 415.0).TargetHz(kKeyA4), 415.0, 1e-9);
}

TEST(Scala, AMeantoneFileReadsItsOwnNotesInTune) {
    const char* file =
        "! meantone.scl\n"
        "!\n"
        "Quarter-comma meantone\n"
        " 12\n"
        "!\n"
        " 76.04900\n 193.15686\n 310.26471\n 5/4\n 503.42157\n 579.47057\n 696.57843\n"
        " 25/16\n 889.73529\n 1006.84314\n 1082.89214\n 2/1\n";
    const ScalaParse parsed = ParseScala(file);
    ASSERT_TRUE(parsed.scale.has_value()) << parsed.error;
    EXPECT_EQ(parsed.scale->name, "Quarter-comma meantone");
    EXPECT_EQ(parsed.scale->size(), 12);
    EXPECT_NEAR(parsed.scale->periodCents, 1200.0, 1e-9);
    const Tuning meantone(*parsed.scale, 0, 440.0);
    const TunedReading g = meantone.Measure(meantone.TargetHz(kG4));
    EXPECT_EQ(g.key, kG4);
    EXPECT_NEAR(g.cents, 0.0, 0.3);
    EXPECT_NEAR(meantone.TargetHz(kG4), 261.626 * std::exp2(696.57843 / 1200), 0.001);
}

TEST(Scala, ABadFileIsRefusedNamingItsLine) {
    EXPECT_EQ(ParseScala("! c\nthree\n 3\n 100.0\n abc\n 2/1\n").error,
              "line 5: \"abc\" is not a ratio or cents");
    EXPECT_EQ(ParseScala("x\n 3\n 100.0\n").error, "line 4: the file ends after 1 of 3 pitches");
    EXPECT_EQ(ParseScala("x\n twelve\n").error,
              "line 2: the number of notes (1 to 1000) was expected, not \"twelve\"");
    EXPECT_EQ(ParseScala("x\n 2\n 3/0\n 2/1\n").error, "line 3: \"3/0\" is not a ratio or cents");
    EXPECT_EQ(ParseScala("x\n 2\n 700.0\n 600.0\n").error,
              "line 4: the pitches must rise, and 600.0 does not");
    EXPECT_FALSE(ParseScala("").scale.has_value());
}

TEST(Scala, AScaleOfAnotherSizeReadsTheNearestDegree) {
    // Five equal steps of 240 cents to the octave, on C.
    const ScalaParse parsed = ParseScala("five\n5\n240.0\n480.0\n720.0\n960.0\n2/1\n");
    ASSERT_TRUE(parsed.scale.has_value()) << parsed.error;
    const Tuning five(*parsed.scale, 0, 440.0);
    const double c4 = 440.0 * std::exp2(-9.0 / 12);
    const TunedReading up = five.Measure(c4 * std::exp2(250.0 / 1200));
    EXPECT_EQ(up.degree, 1);
    EXPECT_NEAR(up.cents, 10.0, 1e-6);
    const TunedReading wrap = five.Measure(c4 * std::exp2(1190.0 / 1200));
    EXPECT_EQ(wrap.degree, 0);
    EXPECT_NEAR(wrap.cents, -10.0, 1e-6);
}

TEST(PitchClass, NamesWithSharpsAndFlats) {
    EXPECT_EQ(PitchClassOfName("C"), 0);
    EXPECT_EQ(PitchClassOfName("Bb"), 10);
    EXPECT_EQ(PitchClassOfName("f#"), 6);
    EXPECT_EQ(PitchClassOfName("E\u266D"), 3);
    EXPECT_EQ(PitchClassOfName("Cb"), 11);
    EXPECT_FALSE(PitchClassOfName("H").has_value());
    EXPECT_FALSE(PitchClassOfName("C##").has_value());
}

TEST(KeyOfNote, NumbersAndNoteNamesWithOctaves) {
    EXPECT_EQ(KeyOfNote("48"), 48);
    EXPECT_EQ(KeyOfNote("A4"), 48);
    EXPECT_EQ(KeyOfNote("A0"), 0);
    EXPECT_EQ(KeyOfNote("C8"), 87);
    EXPECT_EQ(KeyOfNote("D3"), 29);
    EXPECT_EQ(KeyOfNote("F#4"), 45);
    EXPECT_EQ(KeyOfNote("#C5"), 52);
    EXPECT_EQ(KeyOfNote("Bb3"), 37);
    EXPECT_EQ(KeyOfNote("E\u266D4"), 42);
    EXPECT_EQ(KeyOfNote("Cb4"), 38);  // B3: the flat crosses the octave's start
    EXPECT_EQ(KeyOfNote("B#3"), 39);  // C4
    for (const char* bad : {"", "88", "-1", "G#0", "D8", "H4", "C", "x4", "A4x", "#"}) {
        EXPECT_FALSE(KeyOfNote(bad).has_value()) << bad;
    }
}

}  // namespace
}  // namespace tonavise
