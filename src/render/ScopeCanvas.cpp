#include "render/ScopeCanvas.h"

#include <QFontMetrics>
#include <QImage>

namespace tonavise {

QFont ScopeFont(int cellHeight, bool bold) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    // A font height names the whole character cell, internal leading included, while a pixel
    // size names the em: take the largest em whose cell still fits.
    int pixelSize = cellHeight;
    for (; pixelSize > 1; --pixelSize) {
        font.setPixelSize(pixelSize);
        const QFontMetrics metrics(font);
        if (metrics.ascent() + metrics.descent() <= cellHeight) {
            break;
        }
    }
    font.setPixelSize(pixelSize);
    return font;
}

ScopeCanvas::ScopeCanvas(QImage& surface, LabelRecorder* recorder)
    : surface_(surface), recorder_(recorder) {}

QPainter& ScopeCanvas::Painter() {
    if (!painter_) {
        painter_.emplace(&surface_);
        painter_->setRenderHint(QPainter::Antialiasing, false);
        painter_->setRenderHint(QPainter::TextAntialiasing, false);
        painter_->setBackgroundMode(Qt::OpaqueMode);
        painter_->setBackground(QBrush(Qt::white));
        painter_->setFont(ScopeFont(cellHeight_, bold_));
    }
    return *painter_;
}

void ScopeCanvas::Fill(DrawingSize size, QColor color) {
    painter_.reset();
    FillRect(surface_, size.width, size.height, color.rgb());
}

void ScopeCanvas::Line(int x0, int y0, int x1, int y1) {
    painter_.reset();
    RasterLine(surface_, x0, y0, x1, y1, pen_);
}

void ScopeCanvas::SetFont(int cellHeight, bool bold) {
    cellHeight_ = cellHeight;
    bold_ = bold;
    if (painter_) {
        painter_->setFont(ScopeFont(cellHeight, bold));
    }
}

void ScopeCanvas::Label(
    int left, int top, int right, int bottom, LabelAlign align, const QString& text) {
    const QRect rect(left, top, right - left, bottom - top);
    const int flags = Qt::AlignTop | Qt::TextSingleLine |
                      (align == LabelAlign::kRight ? Qt::AlignRight : Qt::AlignHCenter);
    QPainter& painter = Painter();
    painter.setPen(textColor_);
    painter.drawText(rect, flags, text);
    if (recorder_ != nullptr) {
        recorder_->labels.push_back({rect, align, text, textColor_, cellHeight_, bold_});
    }
}

}  // namespace tonavise
