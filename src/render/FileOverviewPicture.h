// The player's overview of the whole file: the waveform (each pixel column the extremes of the
// file's stretch under it), and over it the loop, the saved loops and the play position.
//
// Plain data in, a QImage (or the widget's painter) out. The waveform is drawn once per file and
// size and kept by its caller; the marks are drawn over it at every repaint, which is cheap.
//
// Threads: whichever thread owns the surface.
#pragma once

#include <QImage>
#include <QString>
#include <vector>

#include "engine/audiofile/FileOverview.h"

class QPainter;

namespace tonavise {

// Draws the waveform over the whole surface (its background included). An empty overview
// draws the background alone.
void DrawOverviewWave(QImage& surface, const FileOverview& overview);

struct OverviewMarks {
    struct Span {
        double from = 0.0;  // seconds
        double to = 0.0;
    };
    double seconds = 0.0;    // the file's length; nothing is drawn when it is 0
    double position = -1.0;  // the play position; < 0: none
    double loopA = -1.0;     // < 0: no mark
    double loopB = -1.0;     // < 0: A alone (a line) or no loop
    int selectedMark = 0;    // 0: none, 1: A, 2: B (drawn thicker, the keys nudge it)
    std::vector<Span> savedLoops;
};

// The pixel column of a time on a surface `width` wide, and back.
int OverviewColumn(double seconds, double fileSeconds, int width);
double OverviewSeconds(int column, double fileSeconds, int width);

// Draws the marks over whatever the painter's surface of `width` x `height` shows: the loop
// shaded between A and B with their times, the saved loops as bars along the bottom, the play
// position as a line.
void DrawOverviewMarks(QPainter& painter, int width, int height, const OverviewMarks& marks);

// "m:ss.ss" for a time in seconds (negative times count as 0).
QString FormatLoopTime(double seconds);

}  // namespace tonavise
