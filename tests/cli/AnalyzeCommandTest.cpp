#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "TestSupport.h"
#include "cli/Commands.h"

namespace tonavise::cli {
namespace {

std::string Media(const std::string& name) {
    return std::string(TONAVISE_TEST_MEDIA) + "/" + name;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(AnalyzeCommand, PrintsOneRowPerBlockWithKeyNameAndCents) {
    AnalyzeOptions o;
    o.files = {Media("a4-44k-mono.wav")};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunAnalyze(o, out, err), 0);
    EXPECT_EQ(err.str(), "");
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 21u);  // header and 2 s of 100 ms blocks
    EXPECT_EQ(lines[0], "file,time_s,f0_hz,key,name,cents");
    EXPECT_EQ(lines[1].rfind(Media("a4-44k-mono.wav") + ",0.1,", 0), 0u);
    EXPECT_EQ(lines[20].substr(lines[20].find(",2.0,")), ",2.0,440.085,48,A4,0");
}

TEST(AnalyzeCommand, RefusedFilesAreReportedAndTheRestGoesOn) {
    test::TempDir dir;
    AnalyzeOptions o;
    o.files = {dir.Write("bad.wav", "RIFF junk"),
               dir.File("missing.mp3"),
               dir.Write("notes.txt", "x"),
               Media("a4-44k-mono.mp3")};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunAnalyze(o, out, err), 1);
    const auto errors = Lines(err.str());
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], o.files[0] + ": This file is not the WAV file");
    EXPECT_EQ(errors[1], o.files[1] + ": Can not open this MP3 file.");
    EXPECT_EQ(errors[2], o.files[2] + ": not a .wav or .mp3 file");
    EXPECT_GT(Lines(out.str()).size(), 15u) << "the good file after the bad ones is analysed";
}

TEST(AnalyzeCommand, A4AndLogarithmicScalingChangeTheNaming) {
    AnalyzeOptions o;
    o.files = {Media("a4-44k-mono.wav")};
    o.a4 = 445.0;
    o.logarithmic = true;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunAnalyze(o, out, err), 0);
    const auto lines = Lines(out.str());
    // 440 Hz against A4 = 445 Hz is 19.6 cents flat: still A4, with -19.
    EXPECT_NE(lines[10].find(",48,A4,-19"), std::string::npos) << lines[10];
}

TEST(AnalyzeCommand, PreciseMethodPrintsTenthsOfACentAndNothingWithoutPitch) {
    test::TempDir dir;
    // Half a second of silence, then half a second of 441 Hz (3.9 cents above A4).
    std::vector<int16_t> samples(22050, 0);
    const std::vector<int16_t> tone = test::Sine(441.0, 10000, 22050);
    samples.insert(samples.end(), tone.begin(), tone.end());
    const std::string path =
        dir.Write("step.wav",
                  test::RiffWave(test::Chunk("fmt ", test::FmtBody(1, 1, 44100, 2, 16)) +
                                 test::Chunk("data", test::Bytes(samples))));
    AnalyzeOptions o;
    o.files = {path};
    o.method = "precise";
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunAnalyze(o, out, err), 0);
    const auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 11u);
    EXPECT_EQ(lines[0], "file,time_s,f0_hz,key,name,cents");
    EXPECT_EQ(lines[3], path + ",0.3,,,,");
    EXPECT_EQ(lines[10], path + ",1.0,441.000,48,A4,3.9");
}

TEST(AnalyzeCommand, PathsWithCommasAreQuoted) {
    test::TempDir dir;
    const std::string path = dir.File("a, \"b\".wav");
    std::filesystem::copy_file(Media("a4-44k-mono.wav"), path);
    AnalyzeOptions o;
    o.files = {path};
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunAnalyze(o, out, err), 0);
    const auto lines = Lines(out.str());
    EXPECT_EQ(lines[1].rfind("\"" + dir.File("a, \"\"b\"\".wav") + "\",0.1,", 0), 0u) << lines[1];
}

}  // namespace
}  // namespace tonavise::cli

namespace tonavise::cli {
namespace {

// The middle row of a one-second tone analysed with the precise estimate and `set` applied.
std::string MiddleRow(test::TempDir& dir, double hz, void (*set)(AnalyzeOptions&)) {
    const std::string path =
        dir.Write("tone.wav",
                  test::RiffWave(test::Chunk("fmt ", test::FmtBody(1, 1, 44100, 2, 16)) +
                                 test::Chunk("data", test::Bytes(test::Sine(hz, 10000, 44100)))));
    AnalyzeOptions o;
    o.files = {path};
    o.method = "precise";
    set(o);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunAnalyze(o, out, err), 0) << err.str();
    const auto lines = Lines(out.str());
    return lines.size() > 5 ? lines[5].substr(lines[5].find(",0.5,") + 5) : "";
}

TEST(AnalyzeCommand, TemperamentTonicA4AndWrittenPitchNameAndMeasureTheNotes) {
    test::TempDir dir;
    // A just major third over C: in tune in just intonation, 13.7 cents flat in equal.
    EXPECT_EQ(MiddleRow(dir, 327.03, [](AnalyzeOptions& o) { o.tuning.temperament = "just"; }),
              "327.030,43,E4,0.0");
    EXPECT_EQ(MiddleRow(dir, 327.03, [](AnalyzeOptions&) {}), "327.030,43,E4,-13.7");
    // Just on A keeps A at 440: its pure fifth E5 is 660 Hz.
    EXPECT_EQ(MiddleRow(dir,
                        660.0,
                        [](AnalyzeOptions& o) {
                            o.tuning.temperament = "just";
                            o.tuning.tonic = "A";
                        }),
              "660.000,55,E5,0.0");
    EXPECT_EQ(MiddleRow(dir, 415.0, [](AnalyzeOptions& o) { o.a4 = 415.0; }), "415.000,48,A4,0.0");
    // A B-flat instrument's written D4 sounds concert C4.
    EXPECT_EQ(MiddleRow(dir, 261.6256, [](AnalyzeOptions& o) { o.tuning.written = "Bb"; }),
              "261.626,41,D4,0.0");
}

TEST(AnalyzeCommand, AnUnknownTuningOrInstrumentIsRefusedBeforeAnyRow) {
    test::TempDir dir;
    const std::string scl = dir.Write("bad.scl", "x\n 3\n 100.0\n abc\n");
    struct Case {
        void (*set)(AnalyzeOptions&);
        std::string message;
    };
    for (const Case& c :
         {Case{[](AnalyzeOptions& o) { o.tuning.temperament = "werckmeister"; },
               "--temperament werckmeister: not one of equal just"},
          Case{[](AnalyzeOptions& o) { o.tuning.tonic = "H"; }, "--tonic H: a note name"},
          Case{[](AnalyzeOptions& o) { o.tuning.written = "Db"; }, "--written Db: not one of C Bb"},
          Case{[](AnalyzeOptions& o) { o.tuning.temperament = "missing.scl"; },
               "missing.scl: the file cannot be read"}}) {
        AnalyzeOptions o;
        o.files = {Media("a4-44k-mono.wav")};
        c.set(o);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(RunAnalyze(o, out, err), 2) << c.message;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
    }
    AnalyzeOptions o;
    o.files = {Media("a4-44k-mono.wav")};
    o.tuning.temperament = scl;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunAnalyze(o, out, err), 2);
    EXPECT_EQ(err.str(),
              "tonavise-cli analyze: " + scl + ": line 4: \"abc\" is not a ratio or cents\n");
}

TEST(AnalyzeCommand, HopPrintsTheSteadySeriesAndNeedsThePreciseMethod) {
    AnalyzeOptions o;
    o.files = {Media("a4-44k-mono.wav")};
    o.hop = 0.05;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunAnalyze(o, out, err), 2) << "the standard estimate has no series";
    EXPECT_NE(err.str().find("--method precise"), std::string::npos) << err.str();

    o.method = "precise";
    out.str("");
    EXPECT_EQ(RunAnalyze(o, out, err), 0);
    auto lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 41u);  // 2 s, a row every 50 ms: the end of the newest sound used
    EXPECT_EQ(lines[1].substr(lines[1].find(",0.050,")), ",0.050,,,,") << "one reading of a note";
    EXPECT_EQ(lines[2].substr(lines[2].find(",0.100,")), ",0.100,440.000,48,A4,0.0");
    EXPECT_EQ(lines[40].substr(lines[40].find(",2.000,")), ",2.000,440.000,48,A4,0.0");

    o.hop = 0.0;
    o.series = "instant";
    out.str("");
    EXPECT_EQ(RunAnalyze(o, out, err), 0);
    lines = Lines(out.str());
    ASSERT_EQ(lines.size(), 201u);
    EXPECT_NE(lines[1].find(",0.010,,,,"), std::string::npos) << "46 ms are needed: " << lines[1];
    EXPECT_NE(lines[200].find(",2.000,440.0"), std::string::npos) << lines[200];
}

}  // namespace
}  // namespace tonavise::cli
