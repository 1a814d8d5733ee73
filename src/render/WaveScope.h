// The waveform picture (scope mode 0): a 400 x 400 grid from (50, 10) to (450, 410) of 10 x 10
// divisions, amplitude labels at the left, time labels below, and one or two traces with the
// newest sample at the right edge.
#pragma once

#include <cstdint>
#include <span>

#include "engine/core/AudioFormat.h"
#include "render/ScopeCanvas.h"
#include "render/ScopeState.h"

class QImage;

namespace tonavise {

struct WaveTraceInput {
    std::span<const int16_t, kHistoryLength> channel1History;
    std::span<const int16_t, kHistoryLength> channel2History;
    int32_t waveEnd = kHistoryLength - 1;  // from AlignWaveFrame
};

// Grid, amplitude labels "%5.1f%%" and time labels ("ms", then "%5.1f") into the waveform's
// drawingSize of the surface.
void DrawWaveScale(QImage& surface, const ScopeViewState& state, LabelRecorder* recorder = nullptr);

// The first trace (mono or left channel), and the second (right channel) when
// state.secondTrace, over whatever the surface holds.
void DrawWaveTrace(QImage& surface, const ScopeViewState& state, const WaveTraceInput& input);

}  // namespace tonavise
