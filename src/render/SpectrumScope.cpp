#include "render/SpectrumScope.h"

#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/dsp/KeyTable.h"

namespace tonavise {

namespace {

constexpr int kBaseline = 410;
constexpr int kPlotLeft = 50;
constexpr int kFrequencyLimit = 1050;
constexpr int kPitchLimit = 1810;

const QColor kGrid2D(0, 0, 255);
const QColor kGrid3D(192, 192, 255);
const QColor kOutline2D(0, 0, 255);
const QColor kOutline3D(127, 127, 255);

// Collects the vertices of a trace: a new column appends a vertex, a bin on the column of the
// previous vertex raises it to the higher of the two.
class VertexBuilder {
  public:
    VertexBuilder(TraceVertices& out, int capacity, double pixelsPerUnit)
        : out_(out), capacity_(capacity), pixelsPerUnit_(pixelsPerUnit) {
        out_[0] = QPoint(kPlotLeft, kBaseline);
    }

    // Returns false once the capacity is reached.
    bool Add(int x, double value) {
        // NaN or huge values must not reach the integer conversion: clamp in double first.
        double d = value * pixelsPerUnit_;
        d = d > 400.0 ? 400.0 : (d > 0.0 ? d : 0.0);
        const int y = kBaseline - static_cast<int>(d);
        if (x != lastX_) {
            out_[static_cast<std::size_t>(count_++)] = QPoint(x, y);
            lastX_ = x;
            return count_ < capacity_;
        }
        QPoint& last = out_[static_cast<std::size_t>(count_ - 1)];
        last.setY(std::min(last.y(), y));
        return true;
    }

    int Finish() {
        out_[static_cast<std::size_t>(count_ - 1)].setY(kBaseline);
        return count_;
    }

  private:
    TraceVertices& out_;
    int capacity_;
    double pixelsPerUnit_;
    int count_ = 1;
    int lastX_ = 0;
};

double PixelsPerUnit(const ScopeViewState& state) {
    return 1.220703125 / FullScale(state);
}

void DrawTracePolygon(QImage& surface,
                      const ScopeViewState& state,
                      SpectrumTrace& trace,
                      int count) {
    // In 2-D the fill is the surface's default white brush.
    QRgb fill = 0xFFFFFFFF;
    if (state.threeD) {
        trace.phase += 0.05;
        fill = WanderingFillColor(trace.phase).rgb();
    }
    if (count < 2) {
        return;
    }
    RasterTracePolygon(surface,
                       trace.vertices.data(),
                       count,
                       (state.threeD ? kOutline3D : kOutline2D).rgb(),
                       &fill);
}

QString Format(const char* format, double value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return QString::fromLatin1(text);
}

}  // namespace

QColor WanderingFillColor(double phase) {
    const int r = static_cast<int>(std::sin(1.1 * phase) * 31 + 224);
    const int g = static_cast<int>(std::sin(phase) * 31 + 224);
    return QColor(r, g, 192);
}

int FrequencyTraceVertices(const ScopeViewState& state, SpectrumSpan spectrum, TraceVertices& out) {
    const double kilohertzSpan = Span(state) / 1000.0;  // every span is whole kilohertz
    const int64_t b0 = int64_t{state.startFrequency} * kFftSize / kSampleRate;
    VertexBuilder builder(out, kFrequencyTraceCapacity, PixelsPerUnit(state));
    // A start below 0 Hz leaves the columns left of 0 Hz empty instead of reading before the
    // spectrum.
    for (int64_t j = std::max<int64_t>(b0, 0); j < kSpectrumLength; ++j) {
        const int x = kPlotLeft + static_cast<int>(double(j - b0) * kBinWidthHz / kilohertzSpan);
        if (x >= kFrequencyLimit) {
            break;
        }
        if (!builder.Add(x, spectrum[static_cast<std::size_t>(j)])) {
            break;
        }
    }
    return builder.Finish();
}

int PitchTraceVertices(const KeyTable& keyTable,
                       const ScopeViewState& state,
                       SpectrumSpan spectrum,
                       SpectrumTrace& trace) {
    const double f0 = keyTable.KeyFrequency(0);
    const double top = keyTable.KeyFrequency(kKeyCount - 1);
    if (f0 != trace.columnsLowHz || top != trace.columnsHighHz) {
        trace.columnsLowHz = f0;
        trace.columnsHighHz = top;
        const double centsPerPixel = Cents(top, f0) / 1740;
        trace.columnCount = 0;
        for (int j = 0; j < kSpectrumLength; ++j) {
            const double f = j * kBinWidthHz;
            int x = 0;
            // Every frequency up to f0 (0 Hz included, whose cents are minus infinity) is
            // column 0.
            if (f > f0) {
                x = std::max(0, static_cast<int>(Cents(f, f0) / centsPerPixel));
            }
            x += kPlotLeft;
            if (x >= kPitchLimit) {
                break;
            }
            trace.columns[static_cast<std::size_t>(j)] = static_cast<int16_t>(x);
            trace.columnCount = j + 1;
        }
    }
    VertexBuilder builder(trace.vertices, kPitchTraceCapacity, PixelsPerUnit(state));
    for (int j = 0; j < trace.columnCount; ++j) {
        if (!builder.Add(trace.columns[static_cast<std::size_t>(j)],
                         spectrum[static_cast<std::size_t>(j)])) {
            break;
        }
    }
    return builder.Finish();
}

int DrawFrequencyTrace(QImage& surface,
                       const ScopeViewState& state,
                       SpectrumSpan spectrum,
                       SpectrumTrace& trace) {
    const int count = FrequencyTraceVertices(state, spectrum, trace.vertices);
    DrawTracePolygon(surface, state, trace, count);
    return count;
}

int DrawPitchTrace(QImage& surface,
                   const KeyTable& keyTable,
                   const ScopeViewState& state,
                   SpectrumSpan spectrum,
                   SpectrumTrace& trace) {
    const int count = PitchTraceVertices(keyTable, state, spectrum, trace);
    DrawTracePolygon(surface, state, trace, count);
    return count;
}

void DrawVerticalLabels(ScopeCanvas& canvas, const ScopeViewState& state) {
    const double fullScale = FullScale(state);
    const char* format = "%5.1f%%";
    if (state.logarithmOption == 1) {
        format = state.levelIndex <= 3 ? "%3.0f dB" : "%3.1f dB";
    }
    for (int k = 0; k <= 10; ++k) {
        canvas.Label(0,
                     40 * k + 6,
                     42,
                     40 * k + 22,
                     LabelAlign::kRight,
                     Format(format, fullScale / 10 * (10 - k)));
    }
}

void DrawFrequencyScale(QImage& surface, const ScopeViewState& state, LabelRecorder* recorder) {
    ScopeCanvas canvas(surface, recorder);
    canvas.Fill(DrawingSizeOf(kScopeFrequency), Qt::white);
    const QColor grid = state.threeD ? kGrid3D : kGrid2D;
    const LinePen solid = SolidPen(grid);
    const LinePen dotted = DottedPen(grid);
    for (int n = 0; n <= 10; ++n) {
        canvas.SetPen(n == 0 || n == 10 ? solid : dotted);
        canvas.Line(50 + 100 * n, 10, 50 + 100 * n, 410);
        canvas.Line(50, 10 + 40 * n, 1050, 10 + 40 * n);
    }
    DrawVerticalLabels(canvas, state);
    const int32_t span = Span(state);
    for (int n = 0; n <= 10; ++n) {
        char text[32];
        std::snprintf(
            text, sizeof text, "%4d%s", span * n / 10 + state.startFrequency, n == 0 ? "(Hz)" : "");
        canvas.Label(50 + 100 * (n - 1),
                     418,
                     50 + 100 * (n + 1),
                     430,
                     LabelAlign::kCentre,
                     QString::fromLatin1(text));
    }
}

}  // namespace tonavise
