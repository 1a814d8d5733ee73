// The recorder's input level: a bar of the peak on a decibel scale from -60 dB to full scale,
// green up to -12 dB, amber to -3 dB, red above, and at its right end a mark that turns red
// once the take has clipped (and stays so until the next take).
//
// Plain data in, a QImage out.
//
// Threads: whichever thread owns the surface.
#pragma once

#include <QImage>

namespace tonavise {

// The peak (0..32768, full scale) in decibels below full scale; -inf for silence.
double PeakDecibels(int peak);

// Draws over the whole surface.
void DrawLevelMeter(QImage& surface, int peak, bool clipped);

}  // namespace tonavise
