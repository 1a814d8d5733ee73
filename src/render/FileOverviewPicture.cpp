#include "render/FileOverviewPicture.h"

#include <QColor>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace tonavise {

namespace {

const QColor kGround(28, 31, 36);
const QColor kAxis(60, 64, 72);
const QColor kWave(110, 170, 230);
const QColor kLoopShade(250, 200, 60, 60);
const QColor kLoopLine(250, 200, 60);
const QColor kSaved(170, 120, 230);
const QColor kPosition(255, 255, 255);

}  // namespace

void DrawOverviewWave(QImage& surface, const FileOverview& overview) {
    surface.fill(kGround);
    const int w = surface.width();
    const int h = surface.height();
    if (w <= 0 || h <= 0) {
        return;
    }
    QPainter p(&surface);
    const double middle = (h - 1) / 2.0;
    p.setPen(kAxis);
    p.drawLine(0, static_cast<int>(middle), w - 1, static_cast<int>(middle));
    const auto count = static_cast<int64_t>(overview.columns.size());
    if (count == 0) {
        return;
    }
    const auto yOf = [&](int v) {
        return static_cast<int>(std::lround(middle - v / 32768.0 * middle));
    };
    p.setPen(kWave);
    for (int x = 0; x < w; ++x) {
        // The overview's columns under this pixel column; at least one, so a short file whose
        // columns are wider than a pixel still draws every pixel.
        const int64_t first = std::min(count - 1, x * count / w);
        const int64_t end = std::max(first + 1, (x + 1) * count / w);
        int low = 32767;
        int high = -32768;
        for (int64_t c = first; c < end; ++c) {
            low = std::min<int>(low, overview.columns[static_cast<std::size_t>(c)].low);
            high = std::max<int>(high, overview.columns[static_cast<std::size_t>(c)].high);
        }
        p.drawLine(x, yOf(high), x, yOf(low));
    }
}

int OverviewColumn(double seconds, double fileSeconds, int width) {
    if (fileSeconds <= 0.0 || width <= 1) {
        return 0;
    }
    return std::clamp(
        static_cast<int>(std::lround(seconds / fileSeconds * (width - 1))), 0, width - 1);
}

double OverviewSeconds(int column, double fileSeconds, int width) {
    if (width <= 1) {
        return 0.0;
    }
    return std::clamp(static_cast<double>(column) / (width - 1), 0.0, 1.0) * fileSeconds;
}

void DrawOverviewMarks(QPainter& p, int width, int height, const OverviewMarks& marks) {
    if (marks.seconds <= 0.0 || width <= 1 || height <= 0) {
        return;
    }
    const auto x = [&](double s) { return OverviewColumn(s, marks.seconds, width); };
    const int bar = std::max(3, height / 10);
    p.save();
    for (const OverviewMarks::Span& saved : marks.savedLoops) {
        const int from = x(saved.from);
        p.fillRect(from, height - bar, std::max(1, x(saved.to) - from), bar, kSaved);
    }
    const QFontMetrics metrics(p.font());
    const auto label = [&](double s, int at, bool rightOfLine, const QString& name) {
        const QString text = name + QLatin1Char(' ') + FormatLoopTime(s);
        const int tw = metrics.horizontalAdvance(text);
        int left = rightOfLine ? at + 3 : at - 3 - tw;
        left = std::clamp(left, 0, std::max(0, width - tw));
        p.setPen(kLoopLine);
        p.drawText(left, metrics.ascent() + 1, text);
    };
    if (marks.loopA >= 0.0) {
        const int a = x(marks.loopA);
        if (marks.loopB >= 0.0) {
            const int b = x(marks.loopB);
            p.fillRect(a, 0, std::max(1, b - a), height, kLoopShade);
            p.fillRect(b - (marks.selectedMark == 2 ? 1 : 0),
                       0,
                       marks.selectedMark == 2 ? 3 : 1,
                       height,
                       kLoopLine);
            label(marks.loopB, b, true, QStringLiteral("B"));
        }
        p.fillRect(a - (marks.selectedMark == 1 ? 1 : 0),
                   0,
                   marks.selectedMark == 1 ? 3 : 1,
                   height,
                   kLoopLine);
        label(marks.loopA, a, false, QStringLiteral("A"));
    }
    if (marks.position >= 0.0) {
        p.fillRect(x(marks.position), 0, 1, height, kPosition);
    }
    p.restore();
}

QString FormatLoopTime(double seconds) {
    const auto hundredths = static_cast<int64_t>(std::llround(std::max(0.0, seconds) * 100.0));
    return QStringLiteral("%1:%2.%3")
        .arg(hundredths / 6000)
        .arg(hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

}  // namespace tonavise
