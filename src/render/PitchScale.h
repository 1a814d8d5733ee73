// The pitch scale (scope mode 2): one line per piano key, 20 pixels apart from key 0 (A0) at
// x = 50 to key 87 (C8) at x = 1790, a closing line at x = 1810, marked keys in their mark
// colour, the vertical labels, and under the plot the relative names (moved by the key, in the
// chosen notation) and the absolute names of every key.
#pragma once

#include "render/ScopeCanvas.h"
#include "render/ScopeState.h"

class QImage;

namespace tonavise {

class KeyTable;

// The colour of a marked pitch line, from the low three bits of its code (bit 0 red, 1 green,
// 2 blue): 196 or 0 per channel, in 3-D 254 or 127. Code 7 (all bits) means unmarked.
QColor MarkColor(int32_t code, bool threeD);
bool IsMarked(int32_t code);

void DrawPitchScale(QImage& surface,
                    const KeyTable& keyTable,
                    const ScopeViewState& state,
                    LabelRecorder* recorder = nullptr);

}  // namespace tonavise
