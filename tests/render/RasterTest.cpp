#include <gtest/gtest.h>

#include <QImage>

#include "GoldenSupport.h"
#include "render/Raster.h"

namespace tonavise {
namespace {

using test::Golden;
using test::kBlue;
using test::kWhite;
using test::PixelAt;

QImage White(int w = 40, int h = 40) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

int Count(const QImage& image, QRgb color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            n += PixelAt(image, x, y) == color;
        }
    }
    return n;
}

TEST(Raster, LinesSetTheirStartAndLeaveOutTheirEndInEveryDirection) {
    const LinePen pen{kBlue, LineStyle::kSolid};
    struct Case {
        int x0, y0, x1, y1;
    };
    // Right, left, down, up, and the four diagonal directions, shallow and steep.
    for (const Case c : {Case{5, 20, 30, 20},
                         Case{30, 20, 5, 20},
                         Case{20, 5, 20, 30},
                         Case{20, 30, 20, 5},
                         Case{5, 5, 30, 15},
                         Case{30, 15, 5, 5},
                         Case{5, 30, 12, 2},
                         Case{12, 2, 5, 30}}) {
        QImage image = White();
        RasterLine(image, c.x0, c.y0, c.x1, c.y1, pen);
        SCOPED_TRACE(testing::Message() << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1);
        EXPECT_EQ(PixelAt(image, c.x0, c.y0), kBlue);
        EXPECT_EQ(PixelAt(image, c.x1, c.y1), kWhite);
        // One pixel per step along the longer axis, the end excluded.
        EXPECT_EQ(Count(image, kBlue), std::max(std::abs(c.x1 - c.x0), std::abs(c.y1 - c.y0)));
    }
}

TEST(Raster, ALineCoversTheSamePixelsBothWaysApartFromItsEnds) {
    const LinePen pen{kBlue, LineStyle::kSolid};
    QImage forward = White();
    QImage backward = White();
    RasterLine(forward, 3, 4, 33, 16, pen);  // ties every 5 pixels
    RasterLine(backward, 33, 16, 3, 4, pen);
    forward.setPixel(33, 16, kBlue);
    backward.setPixel(3, 4, kBlue);
    EXPECT_EQ(forward, backward);
}

TEST(Raster, DottedLinesAreThreeOnThreeOffFromTheirFirstPixel) {
    QImage image = White();
    RasterLine(image, 2, 10, 2, 30, {kBlue, LineStyle::kDotted});
    RasterLine(image, 37, 5, 10, 5, {kBlue, LineStyle::kDotted});  // leftwards: from x = 37 down
    Golden g("raster-dotted");
    g.DottedColumn(2, 10, 30, kBlue).At(2, 30, kWhite);
    for (int i = 0; i < 27; ++i) {
        g.At(37 - i, 5, (i / 3) % 2 == 0 ? kBlue : kWhite);
    }
    g.At(10, 5, kWhite);
    EXPECT_TRUE(g.Matches(image));
}

TEST(Raster, PolylineLeavesOutOnlyItsLastPoint) {
    QImage image = White();
    const QPoint points[] = {{30, 10}, {29, 20}, {20, 20}, {19, 5}};
    RasterPolyline(image, points, 4, {kBlue, LineStyle::kSolid});
    EXPECT_TRUE(Golden("raster-polyline")
                    .At(30, 10, kBlue)
                    .At(29, 20, kBlue)
                    .At(20, 20, kBlue)
                    .At(19, 5, kWhite)
                    .Matches(image));
    QImage single = White();
    RasterPolyline(single, points, 1, {kBlue, LineStyle::kSolid});
    EXPECT_EQ(Count(single, kBlue), 0);
}

TEST(Raster, TracePolygonFillsBelowTheChainAndOutlinesEveryVertex) {
    QImage image = White();
    const QRgb fill = qRgb(200, 220, 192);
    // Baseline 30, a peak at (10, 6), a step down to 20 and back to the baseline at x = 20.
    const QPoint points[] = {{2, 30}, {2, 26}, {10, 6}, {14, 20}, {20, 30}};
    RasterTracePolygon(image, points, 5, kBlue, &fill);
    Golden g("raster-polygon");
    for (const QPoint& p : points) {
        g.At(p.x(), p.y(), kBlue);
    }
    g.Row(30, 2, 21, kBlue);                       // the closing edge along the baseline
    g.Column(10, 10, 30, fill).At(10, 5, kWhite);  // under the peak, nothing above it
    g.At(12, 29, fill).At(1, 29, kWhite).At(21, 29, kWhite).At(18, 31, kWhite);
    EXPECT_TRUE(g.Matches(image));
    // Inside the outline only fill; no fill pixel lies above the outline in any column.
    for (int x = 3; x < 20; ++x) {
        const int outline = test::TopmostOf(image, x, kBlue, 0, 40);
        const int filled = test::TopmostOf(image, x, fill, 0, 40);
        ASSERT_GE(outline, 0) << x;
        EXPECT_TRUE(filled == -1 || filled > outline) << x;
    }
}

TEST(Raster, DrawingOutsideTheSurfaceIsSkipped) {
    QImage image = White(10, 10);
    RasterLine(image, -50, -3, 60, 12, {kBlue, LineStyle::kSolid});
    const QPoint points[] = {{-5, 9}, {-5, -20}, {30, -4}, {30, 9}};
    const QRgb fill = qRgb(1, 2, 3);
    RasterTracePolygon(image, points, 4, kBlue, &fill);
    // What lies inside is drawn: the polygon's closing edge runs along the last row, and its
    // fill is under the part of the outline above the surface.
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(image.pixel(x, 9), kBlue) << x;
    }
    EXPECT_EQ(image.pixel(2, 0), fill);
    EXPECT_EQ(image.size(), QSize(10, 10));

    // A line from far left to far right crosses every column of the surface.
    QImage lined = White(10, 10);
    RasterLine(lined, -50, -3, 60, 12, {kBlue, LineStyle::kSolid});
    for (int x = 0; x < 10; ++x) {
        EXPECT_GE(test::TopmostOf(lined, x, kBlue, 0, 10), 0) << x;
    }
}

}  // namespace
}  // namespace tonavise
