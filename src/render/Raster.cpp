#include "render/Raster.h"

#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tonavise {

namespace {

constexpr int kDotLength = 3;

class Plotter {
  public:
    Plotter(QImage& surface, LinePen pen)
        : bits_(reinterpret_cast<QRgb*>(surface.bits())),
          stride_(static_cast<int>(surface.bytesPerLine() / 4)),
          width_(surface.width()),
          height_(surface.height()),
          pen_(pen) {}

    // The n-th pixel of a line (n from 0).
    void Plot(int x, int y, int n) {
        if (pen_.style == LineStyle::kDotted && (n / kDotLength) % 2 != 0) {
            return;
        }
        if (x >= 0 && y >= 0 && x < width_ && y < height_) {
            bits_[static_cast<std::ptrdiff_t>(y) * stride_ + x] = pen_.color;
        }
    }

  private:
    QRgb* bits_;
    int stride_;
    int width_;
    int height_;
    LinePen pen_;
};

// Bresenham from (x0, y0) towards (x1, y1), the end point excluded. A tie between two pixels
// goes to the larger coordinate whichever way the line runs, so that a line covers the same
// pixels in both directions apart from the end it leaves out.
void Walk(Plotter& plot, int x0, int y0, int x1, int y1) {
    const int dx = std::abs(x1 - x0);
    const int dy = std::abs(y1 - y0);
    const int sx = x1 >= x0 ? 1 : -1;
    const int sy = y1 >= y0 ? 1 : -1;
    if (dx >= dy) {
        // offset = dy x i / dx rounded, halves away from y0 ...
        for (int i = 0; i < dx; ++i) {
            const int num = 2 * dy * i + dx;
            int offset = num / (2 * dx);
            if (sy < 0 && num % (2 * dx) == 0) {  // ... except towards the smaller y
                --offset;
            }
            plot.Plot(x0 + sx * i, y0 + sy * offset, i);
        }
    } else {
        for (int i = 0; i < dy; ++i) {
            const int num = 2 * dx * i + dy;
            int offset = num / (2 * dy);
            if (sx < 0 && num % (2 * dy) == 0) {  // the same with the axes swapped
                --offset;
            }
            plot.Plot(x0 + sx * offset, y0 + sy * i, i);
        }
    }
}

}  // namespace

void FillRect(QImage& surface, int width, int height, QRgb color) {
    width = std::min(width, surface.width());
    height = std::min(height, surface.height());
    if (width <= 0 || height <= 0) {
        return;
    }
    auto* bits = reinterpret_cast<QRgb*>(surface.bits());
    const auto stride = static_cast<std::ptrdiff_t>(surface.bytesPerLine() / 4);
    const auto bytes = static_cast<std::size_t>(width) * sizeof(QRgb);
    const auto byte = static_cast<unsigned char>(color & 0xFF);
    const bool uniform = color == 0x01010101u * byte;  // white, for one
    for (int y = 0; y < height; ++y) {
        QRgb* row = bits + y * stride;
        if (uniform) {
            std::memset(row, byte, bytes);
        } else {
            std::fill(row, row + width, color);
        }
    }
}

void RasterLine(QImage& surface, int x0, int y0, int x1, int y1, LinePen pen) {
    Plotter plot(surface, pen);
    Walk(plot, x0, y0, x1, y1);
}

void RasterPolyline(QImage& surface, const QPoint* points, int count, LinePen pen) {
    Plotter plot(surface, pen);
    for (int i = 1; i < count; ++i) {
        Walk(plot, points[i - 1].x(), points[i - 1].y(), points[i].x(), points[i].y());
    }
}

void RasterTracePolygon(
    QImage& surface, const QPoint* points, int count, QRgb outline, const QRgb* fill) {
    if (count < 2) {
        return;
    }
    if (fill != nullptr) {
        auto* bits = reinterpret_cast<QRgb*>(surface.bits());
        const auto stride = static_cast<std::ptrdiff_t>(surface.bytesPerLine() / 4);
        const int baseline = points[0].y();
        // Column x between two points of the upper chain: the chain's height there, rounded up,
        // is the first row whose centre is not above it; the baseline row belongs to the outline.
        for (int i = 1; i + 1 < count; ++i) {
            const QPoint a = points[i];
            const QPoint b = points[i + 1];
            const int width = b.x() - a.x();
            if (width <= 0) {
                continue;
            }
            for (int x = std::max(a.x(), 0); x < b.x() && x < surface.width(); ++x) {
                const int num = (b.y() - a.y()) * (x - a.x());
                // ceil(a.y + num / width) for either sign of num
                const int top = a.y() + (num >= 0 ? (num + width - 1) / width : -((-num) / width));
                const int from = std::max(top, 0);
                const int to = std::min(baseline, surface.height());
                for (int y = from; y < to; ++y) {
                    bits[y * stride + x] = *fill;
                }
            }
        }
    }
    Plotter plot(surface, LinePen{outline, LineStyle::kSolid});
    for (int i = 0; i < count; ++i) {
        const QPoint a = points[i];
        const QPoint b = points[(i + 1) % count];
        Walk(plot, a.x(), a.y(), b.x(), b.y());
    }
}

}  // namespace tonavise
