#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <vector>

#include "GoldenSupport.h"
#include "engine/dsp/KeyTable.h"
#include "render/PitchTrack.h"

namespace tonavise {
namespace {

using test::PixelAt;

double Hz(double key, double cents = 0.0) {
    return 440.0 * std::pow(2.0, (key - 48.0 + cents / 100.0) / 12.0);
}

TEST(PitchTrackRing, KeepsTheNewestInOrderWithoutGrowing) {
    PitchTrackRing ring(3);
    for (int i = 0; i < 5; ++i) {
        ring.Push({i * 0.1, 100.0 + i});
    }
    ASSERT_EQ(ring.Size(), 3u);
    EXPECT_EQ(ring.Capacity(), 3u);
    EXPECT_DOUBLE_EQ(ring.At(0).hz, 102.0);
    EXPECT_DOUBLE_EQ(ring.Newest()->hz, 104.0);
    std::vector<TrackPoint> copy;
    ring.CopyTo(copy);
    ASSERT_EQ(copy.size(), 3u);
    EXPECT_DOUBLE_EQ(copy[1].hz, 103.0);
    ring.Clear();
    EXPECT_EQ(ring.Newest(), nullptr);
}

TEST(KeyRangeFollower, JumpsFirstThenGlidesAndKeepsItsRangeOverSilence) {
    KeyRangeFollower follow;
    const std::vector<TrackPoint> a4{{0.1, 440.0}};
    const KeyRange first = follow.Update(a4, 440.0);
    // At least kMinSpan wide, A4 inside with a margin.
    EXPECT_GE(first.high - first.low, KeyRangeFollower::kMinSpan - 1e-9);
    EXPECT_LE(first.low, 48.0 - KeyRangeFollower::kMargin);
    EXPECT_GE(first.high, 48.0 + KeyRangeFollower::kMargin);
    // A jump of an octave is followed part of the way per frame, and then reached.
    const std::vector<TrackPoint> a5{{0.2, 880.0}};
    const KeyRange step = follow.Update(a5, 440.0);
    EXPECT_GT(step.high, first.high);
    EXPECT_LT(step.high, 60.0 + KeyRangeFollower::kMargin);
    KeyRange settled = step;
    for (int i = 0; i < 60; ++i) {
        settled = follow.Update(a5, 440.0);
    }
    // A5 (key 60) in the middle of the narrowest range.
    EXPECT_NEAR(settled.high - settled.low, KeyRangeFollower::kMinSpan, 1e-9);
    EXPECT_NEAR((settled.high + settled.low) / 2, 60.0, 1e-9);
    // Nothing pitched: the range stays.
    const std::vector<TrackPoint> silence{{0.3, 0.0}};
    EXPECT_DOUBLE_EQ(follow.Update(silence, 440.0).high, settled.high);
}

class PitchTrackPicture : public ::testing::Test {
  protected:
    QImage Draw(const std::vector<TrackPoint>& points, const QString& empty = {}) {
        QImage image(600, 300, QImage::Format_RGB32);
        view.fromSeconds = 0.0;
        view.toSeconds = 4.0;
        view.keys = {45.0, 52.0};
        view.emptyNote = empty;
        DrawPitchTrack(image, keyTable, points, view);
        return image;
    }
    int Column(double seconds) const { return layout.X(seconds, view); }
    int Row(double key) const { return layout.Y(key, view.keys); }

    KeyTable keyTable;
    PitchTrackView view;
    PitchTrackLayout layout{600, 300};
};

TEST_F(PitchTrackPicture, KeyLinesBandsAndNames) {
    const QImage image = Draw({});
    const int x = Column(2.0);
    // A line on every key in view, the band around it and plain background between keys.
    for (int k = 45; k <= 52; ++k) {
        const QRgb line = (k + 9) % 12 == 0 ? kTrackCLine : kTrackKeyLine;
        EXPECT_EQ(PixelAt(image, x, Row(k)), line) << k;
        if (k > 45 && k < 52) {
            EXPECT_EQ(PixelAt(image, x, Row(k) + 1), kTrackBand) << k;
            EXPECT_EQ(PixelAt(image, x, Row(k) - 1), kTrackBand) << k;
        }
    }
    EXPECT_EQ(PixelAt(image, x, Row(48.5)), kTrackBackground);
    // A name left of each line (text pixels are dark), none in the plot.
    bool named = false;
    for (int px = 0; px < PitchTrackLayout::kLeft; ++px) {
        named = named || qGray(PixelAt(image, px, Row(48))) < 128;
    }
    EXPECT_TRUE(named);
}

TEST_F(PitchTrackPicture, TheTraceSitsOnItsKeyAndAFlatNoteBelowIt) {
    std::vector<TrackPoint> points;
    for (int i = 1; i <= 10; ++i) {
        points.push_back({i * 0.1, Hz(48)});  // A4 in tune
    }
    points.push_back({1.1, 0.0});  // a gap
    for (int i = 12; i <= 20; ++i) {
        points.push_back({i * 0.1, Hz(50, -30)});  // B4, 30 cents flat
    }
    const QImage image = Draw(points);
    EXPECT_EQ(PixelAt(image, Column(0.5), Row(48)), kTrackTrace);
    EXPECT_NEAR(test::TopmostOf(image, Column(0.5), kTrackTrace, 0, 300), Row(48), 1);
    const int flat = test::TopmostOf(image, Column(1.6), kTrackTrace, 0, 300);
    EXPECT_GT(flat, Row(50) + 2);  // visibly below the B4 line
    EXPECT_NEAR(flat, Row(50 - 0.3), 1);
    EXPECT_EQ(PixelAt(image, Column(1.6), Row(50)), kTrackKeyLine);
    // The gap stays open: nothing drawn halfway between the two notes.
    EXPECT_EQ(test::TopmostOf(image, Column(1.15), kTrackTrace, 0, 300), -1);
    EXPECT_EQ(TrackReading(points.back().hz, keyTable), QStringLiteral("B4 -30"));
}

TEST_F(PitchTrackPicture, NoPitchDrawsTheAxisAndTheNote) {
    const QImage image = Draw({{0.1, 0.0}, {0.2, -5.0}, {0.3, std::nan("")}}, "no pitch");
    int trace = 0;
    int dark = 0;
    for (int y = PitchTrackLayout::kTop; y < layout.PlotBottom(); ++y) {
        for (int x = layout.PlotLeft(); x < layout.PlotRight(); ++x) {
            trace += PixelAt(image, x, y) == kTrackTrace;
            dark += qGray(PixelAt(image, x, y)) < 60;
        }
    }
    EXPECT_EQ(trace, 0);
    EXPECT_GT(dark, 0);  // the note's letters
    EXPECT_EQ(TrackReading(0.0, keyTable), QString());
}

}  // namespace
}  // namespace tonavise
