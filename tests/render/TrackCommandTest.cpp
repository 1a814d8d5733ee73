#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "GoldenSupport.h"
#include "TestSupport.h"
#include "cli/Commands.h"
#include "engine/dsp/KeyTable.h"
#include "render/PitchTrack.h"

namespace tonavise {
namespace {

using namespace test;

// C4 D4 E4 F4 G4 A4 B4 C5, half a second each; E4 30 cents flat.
constexpr int kScaleKeys[] = {39, 41, 43, 44, 46, 48, 50, 51};
constexpr int kFlatNote = 2;

std::string Scale() {
    std::vector<int16_t> samples;
    for (int n = 0; n < 8; ++n) {
        const double cents = n == kFlatNote ? -30.0 : 0.0;
        const double hz = 440.0 * std::pow(2.0, (kScaleKeys[n] - 48 + cents / 100.0) / 12.0);
        const std::vector<int16_t> note = Sine(hz, 12000, 22050);
        samples.insert(samples.end(), note.begin(), note.end());
    }
    return RiffWave(Chunk("fmt ", FmtBody(1, 1, 44100, 2, 16)) + Chunk("data", Bytes(samples)));
}

std::vector<std::string> Lines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

TEST(TrackCommand, AScaleDrawsEightStepsOnTheirKeysAndTheFlatOneBelowItsLine) {
    TempDir dir;
    cli::TrackOptions o;
    o.file = dir.Write("scale.wav", Scale());
    o.output = dir.File("track.png");
    o.csv = dir.File("track.csv");
    o.method = "precise";
    std::ostringstream err;
    ASSERT_EQ(cli::RunTrack(o, err), 0) << err.str();

    // The CSV: 40 blocks; the middle block of every note names its key, in tune but the flat one.
    const std::vector<std::string> rows = Lines(o.csv);
    ASSERT_EQ(rows.size(), 41u);
    EXPECT_EQ(rows[0], "time_s,f0_hz,key,name,cents");
    for (int n = 0; n < 8; ++n) {
        std::istringstream row(rows[static_cast<std::size_t>(n * 5 + 3)]);
        std::string time, hz, key, name, cents;
        std::getline(row, time, ',');
        std::getline(row, hz, ',');
        std::getline(row, key, ',');
        std::getline(row, name, ',');
        std::getline(row, cents, ',');
        EXPECT_EQ(std::stoi(key), kScaleKeys[n]) << rows[static_cast<std::size_t>(n * 5 + 3)];
        EXPECT_NEAR(std::stod(cents), n == kFlatNote ? -30.0 : 0.0, 0.5) << n;
    }

    // The picture: in the middle of each note the trace lies on its key's line, the flat note
    // nearer the line below.
    const QImage picture(QString::fromStdString(o.output));
    ASSERT_EQ(picture.size(), QSize(o.width, o.height));
    KeyTable keyTable;
    KeyRangeFollower follow;
    std::vector<TrackPoint> points;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        std::istringstream row(rows[i]);
        std::string time, hz;
        std::getline(row, time, ',');
        std::getline(row, hz, ',');
        points.push_back({std::stod(time), hz.empty() ? 0.0 : std::stod(hz)});
    }
    PitchTrackView view;
    view.toSeconds = 4.0;
    view.keys = follow.Update(points, 440.0);
    const PitchTrackLayout layout{o.width, o.height};
    for (int n = 0; n < 8; ++n) {
        const int x = layout.X(n * 0.5 + 0.35, view);
        const int lineY = layout.Y(kScaleKeys[n], view.keys);
        const int top = TopmostOf(picture, x, kTrackTrace, 0, o.height);
        if (n == kFlatNote) {
            EXPECT_NEAR(top, layout.Y(kScaleKeys[n] - 0.3, view.keys), 1);
            EXPECT_GT(top, lineY + 3) << "visibly below the line";
        } else {
            EXPECT_NEAR(top, lineY, 1) << n;
        }
    }
}

TEST(TrackCommand, SilenceDrawsAnEmptyAxisAndBadOptionsAndTargetsSaySo) {
    TempDir dir;
    cli::TrackOptions o;
    o.file = dir.Write("silence.wav",
                       RiffWave(Chunk("fmt ", FmtBody(1, 1, 44100, 2, 16)) +
                                Chunk("data", std::string(88200, '\0'))));
    o.output = dir.File("empty.png");
    o.method = "precise";  // the estimate that says "no pitch" on silence
    std::ostringstream err;
    ASSERT_EQ(cli::RunTrack(o, err), 0) << err.str();
    const QImage empty(QString::fromStdString(o.output));
    int trace = 0;
    for (int y = 0; y < empty.height(); ++y) {
        for (int x = 0; x < empty.width(); ++x) {
            trace += empty.pixel(x, y) == kTrackTrace;
        }
    }
    EXPECT_EQ(trace, 0);

    cli::TrackOptions bad = o;
    bad.from = 2.0;
    bad.to = 1.0;
    EXPECT_EQ(cli::RunTrack(bad, err), 2);
    bad = o;
    bad.key = "H";
    EXPECT_EQ(cli::RunTrack(bad, err), 2);
    err.str("");
    bad = o;
    bad.csv = dir.File("no/such/folder/track.csv");
    EXPECT_EQ(cli::RunTrack(bad, err), 1);
    EXPECT_NE(err.str().find(bad.csv), std::string::npos) << err.str();
}

}  // namespace
}  // namespace tonavise
