// The spectrum pictures (scope modes 1 and 2): the latest magnitude spectrum as a filled outline
// over the frequency scale (1000 pixels, x 50..1050) or the pitch scale (1760 pixels, 20 per
// semitone, x 50..1810), with the baseline at y = 410 and the top at y = 10; the frequency
// scale's grid and labels, and the vertical labels both scales share.
#pragma once

#include <QPoint>
#include <array>
#include <cstdint>
#include <span>

#include "engine/core/AudioFormat.h"
#include "render/ScopeCanvas.h"
#include "render/ScopeState.h"

class QImage;

namespace tonavise {

class KeyTable;

inline constexpr int kFrequencyTraceCapacity = 1762;
inline constexpr int kPitchTraceCapacity = 1812;

using SpectrumSpan = std::span<const double, kSpectrumLength>;
using TraceVertices = std::array<QPoint, kPitchTraceCapacity>;

// What one kind of trace keeps between drawings: the phase of the wandering 3-D fill colour
// (advanced by 0.05 before every 3-D drawing) and the vertex store, reused so that a drawing
// never allocates; for the pitch scale, the column of every bin, worked out again only when the
// keys' range moves (a new A4): a logarithm per bin per picture was a tenth of the live scope's
// cost.
struct SpectrumTrace {
    double phase = 0.0;
    TraceVertices vertices{};
    std::array<int16_t, kSpectrumLength> columns{};
    int columnCount = 0;  // bins left of the plot's right end
    double columnsLowHz = 0.0;
    double columnsHighHz = 0.0;
};

// The 3-D fill colour at a phase: (trunc(sin(1.1 phase) x 31 + 224),
// trunc(sin(phase) x 31 + 224), 192).
QColor WanderingFillColor(double phase);

// Vertex computation of the two traces: the first vertex is (50, 410), then one per column, each
// column at the height of its highest bin, the last one back on the baseline. Returns the count.
int FrequencyTraceVertices(const ScopeViewState& state, SpectrumSpan spectrum, TraceVertices& out);
int PitchTraceVertices(const KeyTable& keyTable,
                       const ScopeViewState& state,
                       SpectrumSpan spectrum,
                       SpectrumTrace& trace);

// Draw the trace polygon into the surface: outline (0, 0, 255), white fill in 2-D; in 3-D
// outline (127, 127, 255) and the wandering fill colour. Both return the number of vertices,
// which stand in trace.vertices (fewer than 2: nothing was drawn).
int DrawFrequencyTrace(QImage& surface,
                       const ScopeViewState& state,
                       SpectrumSpan spectrum,
                       SpectrumTrace& trace);
int DrawPitchTrace(QImage& surface,
                   const KeyTable& keyTable,
                   const ScopeViewState& state,
                   SpectrumSpan spectrum,
                   SpectrumTrace& trace);

// The vertical labels of both spectrum scales, k = 0..10 from the top: F / 10 x (10 - k) as
// "%5.1f%%", or with the logarithmic option "%3.0f dB" (F >= 10) or "%3.1f dB" (F < 10).
void DrawVerticalLabels(ScopeCanvas& canvas, const ScopeViewState& state);

// Grid (blue; light blue in 3-D), vertical labels and frequency labels ("%4d", the first
// followed by "(Hz)") into the frequency scale's drawingSize of the surface.
void DrawFrequencyScale(QImage& surface,
                        const ScopeViewState& state,
                        LabelRecorder* recorder = nullptr);

}  // namespace tonavise
