#include "render/WaveScope.h"

#include <QImage>
#include <algorithm>
#include <array>
#include <cstdio>

namespace tonavise {

namespace {

const QColor kGridBlue(0, 0, 255);
const QColor kFirstTrace(255, 0, 127);
const QColor kSecondTrace(0, 127, 0);

constexpr int kGridLeft = 50;
constexpr int kGridTop = 10;
constexpr int kDivision = 40;
constexpr int kTracePoints = 400;

QString Format(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return QString::fromLatin1(text);
}

// One trace as a polyline through the first point and every point whose y differs from its
// predecessor's; the last point of the polyline is not set.
void DrawTrace(QImage& surface,
               LinePen pen,
               std::span<const int16_t, kHistoryLength> history,
               int32_t waveEnd,
               double samplesPerPixel,
               double pixelsPerUnit) {
    std::array<QPoint, kTracePoints> points;
    int count = 0;
    int previousY = 0;
    for (int i = 0; i < kTracePoints; ++i) {
        const int back = static_cast<int>(i * samplesPerPixel);
        const int index = waveEnd - back;
        int v = 0;
        if (index >= 0 && index < kHistoryLength) {
            v = static_cast<int>(history[static_cast<std::size_t>(index)] * pixelsPerUnit);
        }
        v = std::clamp(v, -200, 200);
        const int y = 210 - v;
        if (i == 0 || y != previousY) {
            points[static_cast<std::size_t>(count++)] = QPoint(450 - i, y);
        }
        previousY = y;
    }
    RasterPolyline(surface, points.data(), count, pen);
}

}  // namespace

void DrawWaveScale(QImage& surface, const ScopeViewState& state, LabelRecorder* recorder) {
    ScopeCanvas canvas(surface, recorder);
    canvas.Fill(DrawingSizeOf(kScopeWave), Qt::white);
    const LinePen solid = SolidPen(kGridBlue);
    const LinePen dotted = DottedPen(kGridBlue);
    for (int n = 0; n <= 10; ++n) {
        canvas.SetPen(n % 5 == 0 ? solid : dotted);
        const int x = kGridLeft + kDivision * n;
        const int y = kGridTop + kDivision * n;
        canvas.Line(x, 10, x, 410);
        canvas.Line(50, y, 450, y);
    }

    const double fullScale = FullScale(state);
    for (int n = 0; n <= 10; ++n) {
        canvas.Label(0,
                     40 * n + 6,
                     42,
                     40 * n + 22,
                     LabelAlign::kRight,
                     Format("%5.1f%%", fullScale / 5 * (5 - n)));
    }
    const double msPerDivision = MsPerDivision(state);
    for (int n = 0; n <= 10; ++n) {
        const QString text = n == 0 ? QStringLiteral("ms") : Format("%5.1f", n * msPerDivision);
        canvas.Label(50 + 40 * (n - 1), 418, 50 + 40 * (n + 1), 430, LabelAlign::kCentre, text);
    }
}

void DrawWaveTrace(QImage& surface, const ScopeViewState& state, const WaveTraceInput& input) {
    const double samplesPerPixel = MsPerDivision(state) / 40 / 1000 * kSampleRate;
    const double pixelsPerUnit = 0.6103515625 / FullScale(state);
    DrawTrace(surface,
              SolidPen(kFirstTrace),
              input.channel1History,
              input.waveEnd,
              samplesPerPixel,
              pixelsPerUnit);
    if (state.secondTrace) {
        DrawTrace(surface,
                  SolidPen(kSecondTrace),
                  input.channel2History,
                  input.waveEnd,
                  samplesPerPixel,
                  pixelsPerUnit);
    }
}

}  // namespace tonavise
