// The drawing primitives of the scope's scales on a QImage surface: filled rectangles, one-pixel
// solid and dotted lines whose end point is not set (Raster.h), and labels drawn into a
// rectangle with a given alignment in the 12- and 14-pixel fonts, without antialiasing.
//
// A LabelRecorder, when given, receives every label as it is drawn: tests read the text each
// rectangle receives from it.
//
// Threads: whichever thread owns the surface (the user-interface thread). Labels need a
// QGuiApplication.
#pragma once

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRect>
#include <QString>
#include <optional>
#include <vector>

#include "render/Raster.h"
#include "render/ScopeState.h"

class QImage;

namespace tonavise {

// How a label sits in its rectangle. Text is always placed at the rectangle's top and clipped to
// the rectangle; the background of its characters is painted white.
enum class LabelAlign {
    kRight,   // right-aligned, one line
    kCentre,  // centred
};

struct DrawnLabel {
    QRect rect;  // left, top, width, height: the right and bottom edges are outside
    LabelAlign align = LabelAlign::kRight;
    QString text;
    QColor color;
    int cellHeight = 0;  // 12 or 14
    bool bold = false;
};

struct LabelRecorder {
    std::vector<DrawnLabel> labels;
};

// A font of the given cell height (ascent plus descent: what a font height of 12 or 14 means
// for the scales) in an installed sans face, without antialiasing.
QFont ScopeFont(int cellHeight, bool bold);

inline LinePen SolidPen(QColor color) {
    return {color.rgb(), LineStyle::kSolid};
}
inline LinePen DottedPen(QColor color) {
    return {color.rgb(), LineStyle::kDotted};
}

class ScopeCanvas {
  public:
    // The surface must stay alive while the canvas is used. Labels are drawn in the 12-pixel font
    // in black until SetFont and SetTextColor say otherwise.
    explicit ScopeCanvas(QImage& surface, LabelRecorder* recorder = nullptr);
    ScopeCanvas(const ScopeCanvas&) = delete;
    ScopeCanvas& operator=(const ScopeCanvas&) = delete;

    // Fills the rectangle from (0, 0) of the given size.
    void Fill(DrawingSize size, QColor color);

    void SetPen(LinePen pen) { pen_ = pen; }
    // The line from (x0, y0) towards (x1, y1); the pixel at (x1, y1) itself is not set.
    void Line(int x0, int y0, int x1, int y1);

    void SetFont(int cellHeight, bool bold);
    void SetTextColor(QColor color) { textColor_ = color; }
    QColor TextColor() const { return textColor_; }
    // Draws text into the rectangle left, top, right, bottom (right and bottom outside).
    void Label(int left, int top, int right, int bottom, LabelAlign align, const QString& text);

  private:
    QPainter& Painter();

    QImage& surface_;
    LabelRecorder* recorder_;
    // Opened for the first label, closed before the next direct pixel work.
    std::optional<QPainter> painter_;
    LinePen pen_;
    QColor textColor_{Qt::black};
    int cellHeight_ = 12;
    bool bold_ = false;
};

}  // namespace tonavise
