#include "ui/ToolIcons.h"

#include <QFont>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <cmath>
#include <numbers>

namespace tonavise::ui {

namespace {

// The colours of one look; the disabled look maps each of them to a grey.
struct Palette {
    QColor ink;    // outlines
    QColor paper;  // fills behind drawings
    QColor blue;   // traces
    QColor green;  // play
    QColor red;    // record, marks
    QColor amber;  // folders, warm accents
    QColor soft;   // light fills
    QColor faint;  // secondary lines
};

Palette MakePalette(QIcon::Mode mode) {
    Palette p{QColor(0x2b, 0x3a, 0x4a),
              QColor(0xff, 0xff, 0xff),
              QColor(0x1f, 0x6f, 0xd6),
              QColor(0x23, 0x9a, 0x55),
              QColor(0xd6, 0x3a, 0x35),
              QColor(0xe9, 0xa2, 0x2b),
              QColor(0xdc, 0xe9, 0xfa),
              QColor(0x8a, 0x99, 0xa8)};
    if (mode == QIcon::Disabled) {
        auto grey = [](QColor c) {
            const int g = qGray(c.rgb());
            // Pull everything towards a mid grey so that the picture reads as inactive.
            const int v = 150 + (g - 150) * 2 / 5;
            return QColor(v, v, v);
        };
        p = {grey(p.ink),
             QColor(0xf4, 0xf4, 0xf4),
             grey(p.blue),
             grey(p.green),
             grey(p.red),
             grey(p.amber),
             QColor(0xe6, 0xe6, 0xe6),
             grey(p.faint)};
    }
    return p;
}

QPen Stroke(QColor c, double width = 1.5) {
    QPen pen(c, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QPainterPath SinePath(double x0, double x1, double yMid, double amplitude, double cycles) {
    QPainterPath path;
    const int steps = 48;
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const double x = x0 + (x1 - x0) * t;
        const double y = yMid - amplitude * std::sin(2.0 * std::numbers::pi * cycles * t);
        if (i == 0) {
            path.moveTo(x, y);
        } else {
            path.lineTo(x, y);
        }
    }
    return path;
}

// A spectrum outline with a few peaks over a baseline, from x0 to x1.
QPainterPath SpectrumPath(double x0, double x1, double base, double height) {
    static constexpr double kShape[] = {
        0.05, 0.15, 0.9, 0.2, 0.1, 0.55, 0.12, 0.08, 0.35, 0.06, 0.04, 0.2, 0.03};
    constexpr int n = static_cast<int>(std::size(kShape));
    QPainterPath path;
    path.moveTo(x0, base);
    for (int i = 0; i < n; ++i) {
        const double x = x0 + (x1 - x0) * i / (n - 1);
        path.lineTo(x, base - height * kShape[i]);
    }
    path.lineTo(x1, base);
    return path;
}

void Magnifier(QPainter& g, const Palette& p, double cx, double cy, bool plus) {
    g.setPen(Stroke(p.ink, 1.6));
    g.setBrush(p.paper);
    g.drawEllipse(QPointF(cx, cy), 5.0, 5.0);
    g.setPen(Stroke(p.ink, 2.4));
    g.drawLine(QPointF(cx + 3.6, cy + 3.6), QPointF(cx + 7.0, cy + 7.0));
    g.setPen(Stroke(p.blue, 1.6));
    g.drawLine(QPointF(cx - 2.6, cy), QPointF(cx + 2.6, cy));
    if (plus) {
        g.drawLine(QPointF(cx, cy - 2.6), QPointF(cx, cy + 2.6));
    }
}

void DoubleArrow(QPainter& g, QColor c, QPointF a, QPointF b) {
    g.setPen(Stroke(c, 1.5));
    g.setBrush(Qt::NoBrush);
    g.drawLine(a, b);
    const QPointF d = b - a;
    const double len = std::hypot(d.x(), d.y());
    const QPointF u(d.x() / len, d.y() / len);
    const QPointF n(-u.y(), u.x());
    const double h = 2.6;
    g.drawPolyline(QPolygonF{a + (u + n) * h, a, a + (u - n) * h});
    g.drawPolyline(QPolygonF{b - (u + n) * h, b, b - (u - n) * h});
}

void Triangle(
    QPainter& g, QColor fill, QColor outline, double x0, double y0, double x1, double y1) {
    g.setPen(Stroke(outline, 1.2));
    g.setBrush(fill);
    g.drawPolygon(QPolygonF{QPointF(x0, y0), QPointF(x1, (y0 + y1) / 2), QPointF(x0, y1)});
}

void WatchArrow(QPainter& g, const Palette& p, bool right) {
    // A strip of the frequency scale with an arrow that moves the window along it.
    g.setPen(Stroke(p.faint, 1.2));
    g.drawLine(QPointF(3, 18.5), QPointF(21, 18.5));
    for (int i = 0; i <= 6; ++i) {
        const double x = 3 + 3.0 * i;
        g.drawLine(QPointF(x, 18.5), QPointF(x, i % 2 == 0 ? 21.5 : 20.5));
    }
    g.setPen(Stroke(p.blue, 2.2));
    g.setBrush(Qt::NoBrush);
    const double tip = right ? 20.0 : 4.0;
    const double tail = right ? 4.0 : 20.0;
    const double back = right ? tip - 5.5 : tip + 5.5;
    g.drawLine(QPointF(tail, 10), QPointF(tip, 10));
    g.drawPolyline(QPolygonF{QPointF(back, 4.5), QPointF(tip, 10), QPointF(back, 15.5)});
}

void DrawIcon(QPainter& g, ToolIcon icon, const Palette& p) {
    g.setBrush(Qt::NoBrush);
    switch (icon) {
        case ToolIcon::kNone:
            break;
        case ToolIcon::kCaptureScreen: {
            g.setPen(Stroke(p.ink, 1.5));
            g.setBrush(p.soft);
            g.drawRoundedRect(QRectF(2.5, 3.5, 19, 13.5), 1.5, 1.5);
            g.setPen(Stroke(p.blue, 1.4));
            g.setBrush(Qt::NoBrush);
            g.drawPath(SinePath(5, 19, 10.25, 3.5, 1.5));
            g.setPen(Stroke(p.ink, 1.5));
            g.drawLine(QPointF(12, 17), QPointF(12, 20));
            g.drawLine(QPointF(8, 20.5), QPointF(16, 20.5));
            // capture corners
            g.setPen(Stroke(p.red, 1.6));
            g.drawPolyline(QPolygonF{QPointF(1, 6), QPointF(1, 1), QPointF(6, 1)});
            g.drawPolyline(QPolygonF{QPointF(18, 1), QPointF(23, 1), QPointF(23, 6)});
            break;
        }
        case ToolIcon::kSetParameters: {
            const double rows[3] = {6, 12, 18};
            const double knobs[3] = {15, 8, 13};
            for (int i = 0; i < 3; ++i) {
                g.setPen(Stroke(p.faint, 1.6));
                g.drawLine(QPointF(3, rows[i]), QPointF(21, rows[i]));
                g.setPen(Stroke(p.ink, 1.3));
                g.setBrush(i == 1 ? p.blue : p.paper);
                g.drawRoundedRect(QRectF(knobs[i] - 2, rows[i] - 3, 4, 6), 1, 1);
            }
            break;
        }
        case ToolIcon::kHelp: {
            g.setPen(Stroke(p.blue.darker(120), 1.2));
            g.setBrush(p.blue);
            g.drawEllipse(QPointF(12, 12), 10, 10);
            QPainterPath q;
            q.moveTo(8.6, 9.4);
            q.cubicTo(8.6, 5.6, 15.4, 5.6, 15.4, 9.4);
            q.cubicTo(15.4, 11.8, 12, 11.6, 12, 14.4);
            g.setPen(Stroke(p.paper, 2.4));
            g.setBrush(Qt::NoBrush);
            g.drawPath(q);
            g.setPen(Qt::NoPen);
            g.setBrush(p.paper);
            g.drawEllipse(QPointF(12, 18), 1.5, 1.5);
            break;
        }
        case ToolIcon::kWaveShape: {
            g.setPen(Stroke(p.ink, 1.4));
            g.setBrush(p.paper);
            g.drawRect(QRectF(2.5, 3.5, 19, 17));
            g.setPen(QPen(p.faint, 0.8, Qt::DotLine));
            g.drawLine(QPointF(2.5, 12), QPointF(21.5, 12));
            g.drawLine(QPointF(12, 3.5), QPointF(12, 20.5));
            g.setPen(Stroke(p.blue, 1.8));
            g.setBrush(Qt::NoBrush);
            g.drawPath(SinePath(3.5, 20.5, 12, 6, 1.5));
            break;
        }
        case ToolIcon::kFrequencyScale: {
            g.setPen(Qt::NoPen);
            g.setBrush(p.soft);
            g.drawPath(SpectrumPath(3, 21, 18, 15));
            g.setPen(Stroke(p.blue, 1.4));
            g.setBrush(Qt::NoBrush);
            g.drawPath(SpectrumPath(3, 21, 18, 15));
            g.setPen(Stroke(p.ink, 1.4));
            g.drawLine(QPointF(2, 18.5), QPointF(22, 18.5));
            for (int i = 0; i <= 4; ++i) {
                const double x = 3 + 4.5 * i;
                g.drawLine(QPointF(x, 18.5), QPointF(x, 21.5));
            }
            break;
        }
        case ToolIcon::kPitchScale: {
            // three white keys with two black keys between them
            g.setPen(Stroke(p.ink, 1.3));
            g.setBrush(p.paper);
            for (int i = 0; i < 3; ++i) {
                g.drawRect(QRectF(3 + 6 * i, 3.5, 6, 17));
            }
            g.setBrush(p.ink);
            g.drawRect(QRectF(7, 3.5, 4, 10));
            g.drawRect(QRectF(13, 3.5, 4, 10));
            g.setPen(Stroke(p.blue, 1.6));
            g.drawLine(QPointF(6, 22.5), QPointF(6, 21));
            g.drawLine(QPointF(18, 22.5), QPointF(18, 21));
            break;
        }
        case ToolIcon::kVertZoomIn:
        case ToolIcon::kVertZoomOut:
            DoubleArrow(g, p.ink, QPointF(5, 3), QPointF(5, 21));
            Magnifier(g, p, 13.5, 10, icon == ToolIcon::kVertZoomIn);
            break;
        case ToolIcon::kHorZoomIn:
        case ToolIcon::kHorZoomOut:
            DoubleArrow(g, p.ink, QPointF(3, 20.5), QPointF(21, 20.5));
            Magnifier(g, p, 10, 8.5, icon == ToolIcon::kHorZoomIn);
            break;
        case ToolIcon::kWatchRight:
            WatchArrow(g, p, true);
            break;
        case ToolIcon::kWatchLeft:
            WatchArrow(g, p, false);
            break;
        case ToolIcon::kThreeD: {
            // three spectra, each drawn further back, up and to the right
            const QColor shades[3] = {p.faint, p.blue.lighter(140), p.blue};
            for (int i = 0; i < 3; ++i) {
                const double dx = 4.0 - 2.0 * i;
                const double dy = -6.0 + 3.0 * i;
                QPainterPath s = SpectrumPath(2 + dx, 16 + dx, 21 + dy, 12);
                g.setPen(Qt::NoPen);
                g.setBrush(p.paper);
                g.drawPath(s);
                g.setPen(Stroke(shades[i], 1.4));
                g.setBrush(Qt::NoBrush);
                g.drawPath(s);
            }
            break;
        }
        case ToolIcon::kNotation: {
            // an eighth note beside the numeral one of the numbered notation
            g.setPen(Stroke(p.ink, 1.2));
            g.setBrush(p.ink);
            g.save();
            g.translate(7.5, 18);
            g.rotate(-25);
            g.drawEllipse(QPointF(0, 0), 3.4, 2.4);
            g.restore();
            g.setPen(Stroke(p.ink, 1.6));
            g.drawLine(QPointF(10.4, 17), QPointF(10.4, 3.5));
            g.setBrush(Qt::NoBrush);
            QPainterPath flag;
            flag.moveTo(10.4, 3.5);
            flag.cubicTo(12, 7, 15, 7.5, 13.5, 12);
            g.drawPath(flag);
            g.setPen(Stroke(p.blue, 1.8));
            g.drawLine(QPointF(18, 8), QPointF(20, 6));
            g.drawLine(QPointF(20, 6), QPointF(20, 19));
            g.drawLine(QPointF(17.5, 19), QPointF(22.5, 19));
            break;
        }
        case ToolIcon::kPitchMarking: {
            g.setPen(Stroke(p.faint, 1.2));
            for (double x : {3.5, 8.5, 13.5, 18.5}) {
                g.drawLine(QPointF(x, 3), QPointF(x, 21));
            }
            g.setPen(Stroke(p.red, 2.4));
            g.drawLine(QPointF(8.5, 3), QPointF(8.5, 21));
            g.setPen(Stroke(p.green, 2.4));
            g.drawLine(QPointF(18.5, 3), QPointF(18.5, 21));
            // the brush that marks them
            g.setPen(Stroke(p.ink, 1.2));
            g.setBrush(p.amber);
            g.save();
            g.translate(14, 14);
            g.rotate(35);
            g.drawRoundedRect(QRectF(-1.6, -9, 3.2, 9), 1, 1);
            g.setBrush(p.blue);
            g.drawRoundedRect(QRectF(-2.2, 0, 4.4, 4.5), 1, 1);
            g.restore();
            break;
        }
        case ToolIcon::kOpenFile: {
            g.setPen(Stroke(p.amber.darker(150), 1.3));
            g.setBrush(p.amber.lighter(130));
            QPainterPath back;
            back.moveTo(2.5, 19.5);
            back.lineTo(2.5, 5.5);
            back.lineTo(8.5, 5.5);
            back.lineTo(10.5, 7.5);
            back.lineTo(18.5, 7.5);
            back.lineTo(18.5, 10.5);
            g.drawPath(back);
            g.setBrush(p.amber);
            g.drawPolygon(QPolygonF{
                QPointF(2.5, 19.5), QPointF(6, 10.5), QPointF(22, 10.5), QPointF(18.5, 19.5)});
            break;
        }
        case ToolIcon::kPlay:
        case ToolIcon::kRecordPlay:
            Triangle(g, p.green, p.green.darker(140), 6, 4, 20, 20);
            if (icon == ToolIcon::kRecordPlay) {
                g.setPen(Qt::NoPen);
                g.setBrush(p.red);
                g.drawEllipse(QPointF(5, 19), 3, 3);
            }
            break;
        case ToolIcon::kPause:
            g.setPen(Stroke(p.blue.darker(130), 1.2));
            g.setBrush(p.blue);
            g.drawRoundedRect(QRectF(5.5, 4.5, 4.5, 15), 1, 1);
            g.drawRoundedRect(QRectF(14, 4.5, 4.5, 15), 1, 1);
            break;
        case ToolIcon::kStop:
        case ToolIcon::kRecordStop:
            g.setPen(Stroke(p.ink, 1.2));
            g.setBrush(icon == ToolIcon::kStop ? p.ink : p.ink.lighter(130));
            g.drawRoundedRect(QRectF(5.5, 5.5, 13, 13), 1.5, 1.5);
            break;
        case ToolIcon::kLoopA:
        case ToolIcon::kLoopB:
        case ToolIcon::kLoopClear: {
            // The loop's ends as brackets on a line, with the end's letter.
            g.setPen(Stroke(p.faint, 1.4));
            g.drawLine(QPointF(2, 19), QPointF(22, 19));
            g.setPen(Stroke(p.blue, 1.8));
            if (icon != ToolIcon::kLoopB) {
                g.drawPolyline(
                    QPolygonF{QPointF(7, 4), QPointF(4, 4), QPointF(4, 21), QPointF(7, 21)});
            }
            if (icon != ToolIcon::kLoopA) {
                g.drawPolyline(
                    QPolygonF{QPointF(17, 4), QPointF(20, 4), QPointF(20, 21), QPointF(17, 21)});
            }
            if (icon == ToolIcon::kLoopClear) {
                g.setPen(Stroke(p.red, 1.8));
                g.drawLine(QPointF(7, 16), QPointF(17, 6));
                break;
            }
            QFont font = g.font();
            font.setPixelSize(13);
            font.setBold(true);
            g.setFont(font);
            g.setPen(p.ink);
            g.drawText(QRectF(icon == ToolIcon::kLoopA ? 7 : 3, 3, 14, 15),
                       Qt::AlignCenter,
                       QLatin1String(icon == ToolIcon::kLoopA ? "A" : "B"));
            break;
        }
        case ToolIcon::kRecord:
            g.setPen(Stroke(p.red.darker(140), 1.2));
            g.setBrush(p.red);
            g.drawEllipse(QPointF(12, 12), 7.5, 7.5);
            break;
        case ToolIcon::kToneLa: {
            // a tuning fork with its sound
            g.setPen(Stroke(p.ink, 2.0));
            QPainterPath fork;
            fork.moveTo(7, 3);
            fork.lineTo(7, 11);
            fork.cubicTo(7, 15, 13, 15, 13, 11);
            fork.lineTo(13, 3);
            g.drawPath(fork);
            g.drawLine(QPointF(10, 14), QPointF(10, 21.5));
            g.setPen(Stroke(p.blue, 1.4));
            QRectF arc1(14, 4, 6, 8);
            QRectF arc2(14, 1.5, 9, 13);
            g.drawArc(arc1, -60 * 16, 120 * 16);
            g.drawArc(arc2, -50 * 16, 100 * 16);
            break;
        }
        case ToolIcon::kMetronome: {
            g.setPen(Stroke(p.ink, 1.4));
            g.setBrush(p.amber.lighter(120));
            g.drawPolygon(
                QPolygonF{QPointF(9, 2.5), QPointF(15, 2.5), QPointF(20, 21.5), QPointF(4, 21.5)});
            g.setBrush(p.paper);
            g.drawRect(QRectF(6.5, 16, 11, 3.5));
            g.setPen(Stroke(p.blue, 1.8));
            g.drawLine(QPointF(12, 17.5), QPointF(17.5, 5));
            g.setPen(Qt::NoPen);
            g.setBrush(p.blue);
            g.drawRect(QRectF(14.5, 8.5, 3.2, 2.6));
            break;
        }
        case ToolIcon::kSave: {
            g.setPen(Stroke(p.ink, 1.3));
            g.setBrush(p.blue);
            QPainterPath disk;
            disk.moveTo(3.5, 3.5);
            disk.lineTo(17.5, 3.5);
            disk.lineTo(20.5, 6.5);
            disk.lineTo(20.5, 20.5);
            disk.lineTo(3.5, 20.5);
            disk.closeSubpath();
            g.drawPath(disk);
            g.setBrush(p.paper);
            g.drawRect(QRectF(7, 3.5, 9, 6));
            g.drawRect(QRectF(6, 13, 12, 7.5));
            g.setBrush(p.ink);
            g.drawRect(QRectF(12.5, 4.5, 2, 4));
            break;
        }
        case ToolIcon::kSignalGenerator: {
            g.setPen(Stroke(p.ink, 1.4));
            g.setBrush(p.soft);
            g.drawRoundedRect(QRectF(2.5, 3.5, 19, 17), 2, 2);
            g.setPen(Stroke(p.blue, 1.5));
            g.setBrush(Qt::NoBrush);
            g.drawPath(SinePath(5, 19, 8.5, 2.5, 1.5));
            g.setPen(Stroke(p.red, 1.5));
            g.drawPolyline(QPolygonF{QPointF(5, 17.5),
                                     QPointF(5, 13.5),
                                     QPointF(9.5, 13.5),
                                     QPointF(9.5, 17.5),
                                     QPointF(14, 17.5),
                                     QPointF(14, 13.5),
                                     QPointF(18.5, 13.5),
                                     QPointF(18.5, 17.5)});
            break;
        }
        case ToolIcon::kPrecisePitch: {
            // A tuner's scale with its needle upright, in tune.
            g.setPen(Stroke(p.ink, 1.4));
            g.setBrush(p.soft);
            g.drawPie(QRectF(2.5, 5.5, 19, 19), 20 * 16, 140 * 16);
            g.setPen(Stroke(p.ink, 1.0));
            for (double a : {40.0, 65.0, 90.0, 115.0, 140.0}) {
                const double r = a * 3.14159265 / 180.0;
                g.drawLine(QPointF(12 + 7 * std::cos(r), 15 - 7 * std::sin(r)),
                           QPointF(12 + 9 * std::cos(r), 15 - 9 * std::sin(r)));
            }
            g.setPen(Stroke(p.red, 1.8));
            g.drawLine(QPointF(12, 15), QPointF(12, 6.5));
            break;
        }
        case ToolIcon::kTuner: {
            // A note's letter over a scale with its middle mark: the tuner's face.
            QFont font = g.font();
            font.setPixelSize(13);
            font.setBold(true);
            g.setFont(font);
            g.setPen(p.ink);
            g.drawText(QRectF(0, 1, 24, 14), Qt::AlignCenter, QStringLiteral("A"));
            g.setPen(Stroke(p.ink, 1.0));
            g.drawLine(QPointF(3, 19.5), QPointF(21, 19.5));
            g.setPen(Stroke(p.red, 1.8));
            g.drawLine(QPointF(12, 16), QPointF(12, 23));
            break;
        }
        case ToolIcon::kPitchTrack: {
            // Key lines with a pitch curve stepping across them.
            g.setPen(Stroke(p.ink, 0.8));
            for (double y : {6.5, 11.5, 16.5}) {
                g.drawLine(QPointF(3, y), QPointF(21, y));
            }
            g.setPen(Stroke(p.blue, 1.8));
            g.setBrush(Qt::NoBrush);
            g.drawPolyline(QPolygonF{QPointF(3, 17),
                                     QPointF(8, 17),
                                     QPointF(10, 12),
                                     QPointF(14, 11),
                                     QPointF(16, 7),
                                     QPointF(21, 6.5)});
            break;
        }
    }
}

class DrawnIconEngine final : public QIconEngine {
  public:
    // appIcon: the application icon instead of a toolbar image.
    explicit DrawnIconEngine(ToolIcon icon, bool appIcon = false) : icon_(icon), app_(appIcon) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, true);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / double(kToolIconSize), rect.height() / double(kToolIconSize));
        const Palette palette = MakePalette(mode);
        if (app_) {
            DrawAppIcon(*painter, palette);
        } else {
            DrawIcon(*painter, icon_, palette);
        }
        painter->restore();
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // `size` is in device pixels: the picture is drawn at the screen's own resolution, so HiDPI
    // screens get sharp lines rather than an enlarged 24-pixel image.
    QPixmap scaledPixmap(const QSize& size,
                         QIcon::Mode mode,
                         QIcon::State state,
                         qreal scale) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        {
            QPainter painter(&pm);
            paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        }
        pm.setDevicePixelRatio(scale);
        return pm;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }

    QIconEngine* clone() const override { return new DrawnIconEngine(icon_, app_); }
    QString key() const override { return QStringLiteral("tonavise-drawn"); }

  private:
    static void DrawAppIcon(QPainter& g, const Palette& p) {
        g.setPen(Qt::NoPen);
        g.setBrush(p.blue);
        g.drawRoundedRect(QRectF(1, 1, 22, 22), 4, 4);
        QPainterPath s = SpectrumPath(3, 21, 19, 14);
        g.setBrush(p.soft);
        g.drawPath(s);
        g.setPen(Stroke(p.paper, 1.2));
        g.setBrush(Qt::NoBrush);
        g.drawPath(s);
        g.setPen(Stroke(p.amber, 1.4));
        g.drawLine(QPointF(7.9, 3), QPointF(7.9, 21));
    }

    ToolIcon icon_;
    bool app_;
};

}  // namespace

QIcon MakeToolIcon(ToolIcon icon) {
    if (icon == ToolIcon::kNone) {
        return {};
    }
    return QIcon(new DrawnIconEngine(icon));
}

QIcon MakeAppIcon() {
    return QIcon(new DrawnIconEngine(ToolIcon::kNone, true));
}

}  // namespace tonavise::ui
