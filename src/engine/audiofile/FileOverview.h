// The whole file at a glance: the lowest and highest sample of each of a fixed number of equal
// stretches of the file over all its channels, for the player's waveform overview. Made once
// per loaded file on the player's thread (one pass over the samples: 40 ms for five minutes
// of stereo sound, a small part of what loading it took), then handed to the window that draws
// it at any width.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/audiofile/LoadedClip.h"

namespace tonavise {

struct FileOverview {
    // Stretches of the file; fewer when the file has fewer frames.
    static constexpr int kColumns = 4096;

    struct Column {
        int16_t low = 0;
        int16_t high = 0;
        bool operator==(const Column&) const = default;
    };

    std::vector<Column> columns;  // in file order; each covers `framesPerColumn` frames
    double framesPerColumn = 0.0;
    int64_t frames = 0;
    int64_t bytesPerFrame = 0;
    int64_t framesPerSecond = 0;

    bool empty() const { return columns.empty(); }
    double Seconds() const {
        return framesPerSecond > 0 ? static_cast<double>(frames) / framesPerSecond : 0.0;
    }
};

// The overview of a loaded clip; empty when nothing is loaded or `columns` < 1. A column's low and
// high are the extremes of every sample of every channel in its stretch, so a short loud click
// in one channel still shows.
FileOverview MakeFileOverview(const LoadedClip& clip, int columns = FileOverview::kColumns);

}  // namespace tonavise
