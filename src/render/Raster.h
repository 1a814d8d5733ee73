// One-pixel lines and the trace polygon, written straight into RGB32 surfaces with the rules of
// the scope's drawing: pixel centres on integer coordinates, a line sets its first point and
// every pixel up to but not including its end point (in every direction), dotted lines are dots
// of three pixels and gaps of three from each line's first pixel, and nothing is antialiased.
// QPainter's cosmetic lines leave out the lower or right end rather than the end point, which
// changes the pixels of traces drawn leftwards or upwards; hence these few routines.
//
// Pixels outside the surface are skipped. The surface must be QImage::Format_RGB32.
#pragma once

#include <QPoint>
#include <QRgb>

class QImage;

namespace tonavise {

enum class LineStyle { kSolid, kDotted };

struct LinePen {
    QRgb color = 0xFF000000;
    LineStyle style = LineStyle::kSolid;
};

// Fills the rectangle of the given size from (0, 0).
void FillRect(QImage& surface, int width, int height, QRgb color);

// The line from (x0, y0) towards (x1, y1), the end point not set (Bresenham; a point of the
// ideal line halfway between two pixels takes the one further down or right).
void RasterLine(QImage& surface, int x0, int y0, int x1, int y1, LinePen pen);

// Move to points[0], then a line to each following point. The last point is not set.
void RasterPolyline(QImage& surface, const QPoint* points, int count, LinePen pen);

// The closed polygon of a spectrum trace: points[0] and points[count - 1] lie on the baseline,
// the points between run from left to right (x never decreasing) above it. When `fill` is
// given, every pixel inside is painted with it first (a pixel is inside when its centre lies
// below the upper chain and above the baseline); then the outline is drawn with `outline`.
void RasterTracePolygon(
    QImage& surface, const QPoint* points, int count, QRgb outline, const QRgb* fill);

}  // namespace tonavise
