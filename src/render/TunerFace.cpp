#include "render/TunerFace.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace tonavise {

namespace {

const QColor kBackground(24, 26, 30);
const QColor kText(236, 236, 236);
const QColor kDim(120, 124, 132);
const QColor kInTune(46, 176, 90);
const QColor kOff(232, 150, 40);
const QColor kScale(180, 184, 190);

constexpr double kRange = 50.0;  // the needle's half range in cents

QFont FontOfPixels(int pixels, bool bold = false) {
    QFont font;
    font.setPixelSize(std::max(1, pixels));
    font.setBold(bold);
    return font;
}

// The picture of `key` from the cache, drawn by `draw` (on the face's background) the first
// time; without a cache, drawn each time.
template <typename Draw>
const QImage& Layer(TunerFaceCache* cache, const QString& key, QSize size, Draw draw) {
    static thread_local QImage scratch;
    QImage* image = &scratch;
    if (cache != nullptr) {
        if (cache->layers.size() > 16) {
            cache->layers.clear();
        }
        auto [it, added] = cache->layers.try_emplace(key);
        image = &it->second;
        if (!added && image->size() == size) {
            return *image;
        }
    }
    *image = QImage(size, QImage::Format_RGB32);
    image->fill(kBackground);
    QPainter p(image);
    draw(p);
    return *image;
}

QString SignedCents(double cents) {
    // A tenth of a cent; -0.0 shows as 0.0.
    const double shown = std::round(cents * 10.0) / 10.0;
    if (shown == 0.0) {
        return QStringLiteral("0.0");
    }
    return (shown > 0 ? QStringLiteral("+") : QStringLiteral("\u2212")) +
           QString::number(std::abs(shown), 'f', 1);
}

struct NeedleScale {
    int left;
    int right;
    int scaleY;
    int tick;
    double XOf(double cents) const {
        return left + (std::clamp(cents, -kRange, kRange) + kRange) / (2 * kRange) * (right - left);
    }
};

NeedleScale ScaleOf(const QRect& area) {
    const int label = std::clamp(area.height() / 9, 9, 24);
    const int tick = area.height() / 10;
    return {area.left() + area.width() / 12,
            area.right() - area.width() / 12,
            area.top() + label * 3 / 2 + tick * 2,
            tick};
}

// The scale: numbers on top, the in-tune zone and the ticks every 10 cents under them.
void DrawScale(QPainter& p, const QRect& area, double inTuneCents) {
    const NeedleScale k = ScaleOf(area);
    const int label = std::clamp(area.height() / 9, 9, 24);
    const double zone = std::min(inTuneCents, kRange);
    p.fillRect(QRectF(QPointF(k.XOf(-zone), k.scaleY - 2 * k.tick),
                      QPointF(k.XOf(zone), k.scaleY + k.tick)),
               QColor(kInTune.red(), kInTune.green(), kInTune.blue(), 90));
    p.setPen(QPen(kScale, 1));
    p.drawLine(QPointF(k.left, k.scaleY), QPointF(k.right, k.scaleY));
    p.setFont(FontOfPixels(label));
    for (int c = -50; c <= 50; c += 10) {
        const double x = k.XOf(c);
        p.drawLine(QPointF(x, k.scaleY - (c == 0 ? 2 * k.tick : k.tick)), QPointF(x, k.scaleY));
    }
    for (int c : {-50, -25, 0, 25, 50}) {
        const QString text = c == 0 ? QStringLiteral("0")
                                    : (c > 0 ? QStringLiteral("+") : QStringLiteral("\u2212")) +
                                          QString::number(std::abs(c));
        const double x = k.XOf(c);
        p.drawText(
            QRectF(x - label * 2, area.top(), label * 4, label * 3 / 2.0), Qt::AlignCenter, text);
    }
}

// The needle from its pivot under the scale; pinned at an end beyond ±50 cents.
void DrawNeedle(QPainter& p, const QRect& area, const TunerFaceState& s, const QColor& accent) {
    if (!s.hasPitch) {
        return;
    }
    const NeedleScale k = ScaleOf(area);
    const double radius = std::clamp(area.height() / 16.0, 3.0, 9.0);
    const QPointF pivot(area.center().x(), area.bottom() - radius - 1);
    const QPointF tip(k.XOf(s.cents), k.scaleY - 1.5 * k.tick);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(QPen(accent, std::max(2.0, area.width() / 120.0), Qt::SolidLine, Qt::RoundCap));
    p.drawLine(pivot, tip);
    p.setBrush(accent);
    p.drawEllipse(pivot, radius, radius);
    p.setRenderHint(QPainter::Antialiasing, false);
}

void DrawStrobe(QPainter& p, const QRect& area, const TunerFaceState& s) {
    // Bands one eighth of the width wide; they move by their own width for every band the
    // sound turns against the target, to the right when sharp.
    const QRect strip =
        area.adjusted(area.width() / 24, area.height() / 6, -area.width() / 24, -area.height() / 6);
    p.fillRect(strip, QColor(40, 43, 48));
    if (s.hasPitch) {
        const double band = strip.width() / 8.0;
        const double offset = std::fmod(s.strobeBands, 2.0);
        const double shift = (offset < 0 ? offset + 2.0 : offset) * band;
        p.save();
        p.setClipRect(strip);
        const QColor stripe = VerdictOf(s.cents, s.inTuneCents) == TuneVerdict::InTune
                                  ? kInTune
                                  : QColor(210, 214, 220);
        for (double x = strip.left() - 2 * band + shift; x < strip.right(); x += 2 * band) {
            p.fillRect(QRectF(x, strip.top(), band, strip.height()), s.held ? kDim : stripe);
        }
        p.restore();
    }
    // The middle mark the bands are read against.
    p.setPen(QPen(kScale, 1));
    p.drawLine(strip.center().x(), area.top(), strip.center().x(), strip.top());
    p.drawLine(strip.center().x(), strip.bottom(), strip.center().x(), area.bottom());
    p.drawRect(strip);
}

void DrawVerdict(QPainter& p, const QRect& area, const TunerFaceState& s) {
    const TuneVerdict verdict = VerdictOf(s.cents, s.inTuneCents);
    const int third = area.width() / 3;
    const int pixels = std::clamp(area.height() / 2, 10, 40);
    const struct {
        TuneVerdict which;
        QString text;
    } cells[3] = {{TuneVerdict::Flat, QStringLiteral("\u25B2 ") + s.texts.flat},
                  {TuneVerdict::InTune, QStringLiteral("\u25CF ") + s.texts.inTune},
                  {TuneVerdict::Sharp, s.texts.sharp + QStringLiteral(" \u25BC")}};
    for (int i = 0; i < 3; ++i) {
        const QRect cell(area.left() + i * third, area.top(), third, area.height());
        const bool lit = s.hasPitch && !s.held && cells[i].which == verdict;
        QString text = cells[i].text;
        if (cells[i].which == TuneVerdict::InTune && !lit) {
            text.replace(0, 1, QStringLiteral("\u25CB"));  // an empty ring
        }
        if (lit) {
            p.fillRect(cell.adjusted(2, 2, -2, -2),
                       cells[i].which == TuneVerdict::InTune ? kInTune : kOff);
        }
        p.setPen(lit ? QColor(12, 12, 12) : kDim);
        QFont font = FontOfPixels(pixels, lit);
        // Shrink the words until they fit their third.
        while (QFontMetrics(font).horizontalAdvance(text) > cell.width() - 6 &&
               font.pixelSize() > 8) {
            font.setPixelSize(font.pixelSize() - 1);
        }
        p.setFont(font);
        p.drawText(cell, Qt::AlignCenter, text);
    }
}

}  // namespace

TuneVerdict VerdictOf(double cents, double inTuneCents) {
    if (std::abs(cents) <= inTuneCents) {
        return TuneVerdict::InTune;
    }
    return cents < 0 ? TuneVerdict::Flat : TuneVerdict::Sharp;
}

int TunerNoteSize(const QSize& surface) {
    return std::clamp(std::min(surface.height() * 26 / 100, surface.width() * 42 / 100), 24, 400);
}

void DrawTunerFace(const TunerFaceState& s,
                   QImage& surface,
                   TunerFaceCache* cache,
                   const QRect& clip) {
    QPainter p(&surface);
    const int w = surface.width();
    const int h = surface.height();
    const QRect drawn = clip.isEmpty() ? surface.rect() : clip.intersected(surface.rect());
    p.setClipRect(drawn);
    p.fillRect(drawn, kBackground);
    const QColor accent =
        !s.hasPitch || s.held
            ? kDim
            : (VerdictOf(s.cents, s.inTuneCents) == TuneVerdict::InTune ? kInTune : kOff);

    // The note: letter and accidental large, the octave beside it, the mark under it.
    const int noteSize = TunerNoteSize(surface.size());
    const int top = std::max(4, h / 40);
    const QRect noteArea(0, top, w, noteSize * 5 / 4);
    const QColor ink = s.hasPitch && !s.held ? kText : kDim;
    // The note's glyphs are large enough that the font system draws them as outlines each time:
    // they are drawn once per note and size into the cache, then copied.
    const QString key = (s.hasPitch ? s.note + QLatin1Char('|') + s.octave : s.texts.noPitch) +
                        QLatin1Char('|') + QString::number(ink.rgb()) + QLatin1Char('|') +
                        QString::number(w) + QLatin1Char('x') + QString::number(noteSize);
    TunerFaceCache own;
    TunerFaceCache& c = cache != nullptr ? *cache : own;
    // A clip below the note leaves it as it was.
    const bool noteDrawn = drawn.intersects(noteArea);
    if (noteDrawn && (c.noteKey != key || c.note.isNull())) {
        c.noteKey = key;
        c.note = QImage(w, noteArea.height(), QImage::Format_RGB32);
        c.note.fill(kBackground);
        QPainter n(&c.note);
        n.setPen(ink);
        const QRect area(0, 0, w, noteArea.height());
        if (s.hasPitch) {
            const QFont big = FontOfPixels(noteSize, true);
            const QFont small = FontOfPixels(noteSize * 2 / 5, true);
            const int noteWidth = QFontMetrics(big).horizontalAdvance(s.note);
            const int octaveWidth = QFontMetrics(small).horizontalAdvance(s.octave);
            const int x = (w - noteWidth - octaveWidth) / 2;
            n.setFont(big);
            n.drawText(
                QRect(x, 0, noteWidth, area.height()), Qt::AlignLeft | Qt::AlignVCenter, s.note);
            n.setFont(small);
            n.drawText(QRect(x + noteWidth, 0, octaveWidth + 4, area.height() * 9 / 10),
                       Qt::AlignLeft | Qt::AlignBottom,
                       s.octave);
        } else {
            n.setFont(FontOfPixels(noteSize, true));
            n.drawText(area, Qt::AlignCenter, s.texts.noPitch);
        }
    }
    if (noteDrawn) {
        p.drawImage(noteArea.topLeft(), c.note);
    }
    int y = noteArea.bottom();
    const int line = std::max(11, noteSize / 5);
    if (!s.mark.isEmpty()) {
        p.setFont(FontOfPixels(line * 4 / 5));
        p.setPen(kDim);
        p.drawText(QRect(0, y, w, line), Qt::AlignCenter, s.mark);
    }
    y += line;

    // The cents as a number, the same value as the needle, and the frequency.
    const int numberSize = std::max(14, noteSize / 3);
    p.setFont(FontOfPixels(numberSize, true));
    p.setPen(s.hasPitch ? accent : kDim);
    p.drawText(
        QRect(0, y, w, numberSize * 5 / 4),
        Qt::AlignCenter,
        s.hasPitch ? SignedCents(s.cents) + QLatin1Char(' ') + s.texts.cents : QStringLiteral(" "));
    y += numberSize * 5 / 4;
    p.setFont(FontOfPixels(line));
    p.setPen(kDim);
    p.drawText(QRect(0, y, w, line * 3 / 2),
               Qt::AlignCenter,
               s.hasPitch ? QString::number(s.hz, 'f', 2) + QStringLiteral(" Hz") : QString());
    y += line * 3 / 2;

    // The needle or the strobe, then the three words.
    const int verdictHeight = std::clamp(h / 10, 18, 60);
    const QRect meter(0, y, w, std::max(20, h - y - verdictHeight - top));
    if (s.strobe) {
        DrawStrobe(p, meter, s);
    } else {
        const QRect local(QPoint(0, 0), meter.size());
        p.drawImage(meter.topLeft(),
                    Layer(cache,
                          QStringLiteral("scale|%1x%2|%3")
                              .arg(meter.width())
                              .arg(meter.height())
                              .arg(s.inTuneCents),
                          meter.size(),
                          [&](QPainter& q) { DrawScale(q, local, s.inTuneCents); }));
        DrawNeedle(p, meter, s, accent);
    }
    const QRect verdictRow(0, h - verdictHeight - top, w, verdictHeight);
    const int lit = !s.hasPitch || s.held ? 3 : static_cast<int>(VerdictOf(s.cents, s.inTuneCents));
    p.drawImage(
        verdictRow.topLeft(),
        Layer(cache,
              QStringLiteral("words|%1x%2|%3|%4|%5|%6")
                  .arg(w)
                  .arg(verdictHeight)
                  .arg(lit)
                  .arg(s.texts.flat, s.texts.inTune, s.texts.sharp),
              verdictRow.size(),
              [&](QPainter& q) { DrawVerdict(q, QRect(QPoint(0, 0), verdictRow.size()), s); }));
}

}  // namespace tonavise
