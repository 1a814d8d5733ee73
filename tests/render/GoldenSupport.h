// Pixel checks for the scope pictures. A failed check writes NAME.actual.png (the picture as
// drawn) and NAME.expected.png (the same picture with every checked pixel set to the colour it
// should have) into the golden-failures folder of the build, so that the two can be compared.
#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QRgb>
#include <string>
#include <vector>

namespace tonavise::test {

inline constexpr QRgb kWhite = 0xFFFFFFFF;
inline constexpr QRgb kBlack = 0xFF000000;
inline constexpr QRgb kBlue = 0xFF0000FF;

inline QRgb Rgb(int r, int g, int b) {
    return qRgb(r, g, b);
}

struct PixelCheck {
    int x = 0;
    int y = 0;
    QRgb expected = kWhite;
};

class Golden {
  public:
    explicit Golden(std::string name) : name_(std::move(name)) {}
    Golden& At(int x, int y, QRgb expected) {
        checks_.push_back({x, y, expected});
        return *this;
    }
    // Every pixel of the column x from y0 up to y1 (excluded).
    Golden& Column(int x, int y0, int y1, QRgb expected);
    Golden& Row(int y, int x0, int x1, QRgb expected);
    // Dots of three pixels and gaps of three (white) from y0, up to y1 (excluded).
    Golden& DottedColumn(int x, int y0, int y1, QRgb expected);
    Golden& DottedRow(int y, int x0, int x1, QRgb expected);

    // Every pixel of the rectangle as it is in `reference`.
    Golden& Region(const QImage& reference, int x0, int y0, int x1, int y1);

    ::testing::AssertionResult Matches(const QImage& image) const;

  private:
    std::string name_;
    std::vector<PixelCheck> checks_;
};

// A simple picture of grid lines to compare with: vertical lines at xs from y0 to y1 (excluded)
// and horizontal lines at ys from x0 to x1 (excluded), each solid or dotted (three on, three
// off from its first pixel), drawn pixel by pixel onto `image`.
struct GridLine {
    int at = 0;
    bool solid = true;
    QRgb color = kBlue;
};
void DrawReferenceGrid(QImage& image,
                       const std::vector<GridLine>& verticals,
                       int y0,
                       int y1,
                       const std::vector<GridLine>& horizontals,
                       int x0,
                       int x1);

// The number of pixels of `color` in the rectangle.
int CountIn(const QImage& image, int x0, int y0, int x1, int y1, QRgb color);

// The pixel, or 0 (transparent black, never a surface colour) outside the image.
QRgb PixelAt(const QImage& image, int x, int y);

// The topmost row in column x between y0 and y1 (excluded) whose pixel is `color`, or -1.
int TopmostOf(const QImage& image, int x, QRgb color, int y0 = 0, int y1 = 471);

}  // namespace tonavise::test
