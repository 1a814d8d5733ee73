#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>

#include "GoldenSupport.h"
#include "render/ScopeCanvas.h"

namespace tonavise {
namespace {

using namespace test;

TEST(ScopeCanvas, FontsFitTheirCellHeight) {
    for (const auto& [height, bold] : {std::pair{12, false}, std::pair{14, true}}) {
        const QFont font = ScopeFont(height, bold);
        const QFontMetrics metrics(font);
        EXPECT_LE(metrics.ascent() + metrics.descent(), height);
        EXPECT_GE(metrics.ascent() + metrics.descent(), height - 3);
        EXPECT_EQ(font.bold(), bold);
        EXPECT_EQ(font.styleStrategy() & QFont::NoAntialias, QFont::NoAntialias);
    }
}

TEST(ScopeCanvas, LabelsAreOpaqueClippedAndTwoColoured) {
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(qRgb(0, 0, 255));
    {
        ScopeCanvas canvas(image);
        canvas.SetTextColor(QColor(255, 0, 0));
        canvas.Label(50, 20, 150, 32, LabelAlign::kCentre, QStringLiteral("100.0%"));
    }
    // The characters stand on white; nothing is drawn outside the rectangle; no colour but
    // the text colour, white and the old blue (no antialiasing).
    EXPECT_GT(CountIn(image, 50, 20, 150, 32, kWhite), 20);
    EXPECT_GT(CountIn(image, 50, 20, 150, 32, Rgb(255, 0, 0)), 20);
    EXPECT_EQ(CountIn(image, 0, 0, 200, 20, kBlue), 200 * 20);
    EXPECT_EQ(CountIn(image, 0, 32, 200, 60, kBlue), 200 * 28);
    EXPECT_EQ(CountIn(image, 0, 20, 50, 32, kBlue), 50 * 12);
    EXPECT_EQ(CountIn(image, 150, 20, 200, 32, kBlue), 50 * 12);
    EXPECT_EQ(CountIn(image, 50, 20, 150, 32, kWhite) + CountIn(image, 50, 20, 150, 32, kBlue) +
                  CountIn(image, 50, 20, 150, 32, Rgb(255, 0, 0)),
              100 * 12);
    // Centred: as much room left as right of the text.
    int left = 150;
    int right = 49;
    for (int x = 50; x < 150; ++x) {
        if (CountIn(image, x, 20, x + 1, 32, Rgb(255, 0, 0)) > 0) {
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    EXPECT_NEAR(left - 50, 149 - right, 4);
}

TEST(ScopeCanvas, RightAlignedLabelsEndAtTheRectangle) {
    QImage image(100, 30, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        ScopeCanvas canvas(image);
        canvas.Label(0, 6, 42, 22, LabelAlign::kRight, QStringLiteral("  0.0%"));
    }
    int right = -1;
    for (int x = 0; x < 100; ++x) {
        if (CountIn(image, x, 0, x + 1, 30, kBlack) > 0) {
            right = x;
        }
    }
    EXPECT_LT(right, 42);
    EXPECT_GE(right, 38);
}

}  // namespace
}  // namespace tonavise
