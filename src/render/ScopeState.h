// What the scope pictures read from the view: the display mode, the zoom and shift of each mode,
// the key and notation of the pitch scale, the 3-D and logarithmic options, the pitch line
// colours and whether a second waveform trace is shown. The view owns these values and hands a
// copy to the drawing; nothing here is process-wide.
//
// Threads: user-interface thread only (or the command-line tool's one thread).
#pragma once

#include <array>
#include <cstdint>

#include "engine/dsp/KeyTable.h"
#include "engine/live/CaptureStore.h"

namespace tonavise {

// Every surface is created once at the largest picture size and never reallocated.
inline constexpr int kSurfaceWidth = 1821;
inline constexpr int kSurfaceHeight = 471;

// Full-scale value of the vertical axis in percent (or in the logarithmic unit), by levelIndex.
inline constexpr std::array<int32_t, 7> levelTable = {100, 50, 20, 10, 5, 2, 1};
// Milliseconds per waveform grid division, by waveZoomIndex.
inline constexpr std::array<double, 8> timeDivTable = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20};
// Hertz across the frequency scale, by spanIndex.
inline constexpr std::array<int32_t, 4> spanTable = {1000, 2000, 5000, 10000};

struct DrawingSize {
    int width = 0;
    int height = 0;
};

// The size of a mode's picture: 467 x 451 (waveform), 1067 x 451 (frequency scale),
// 1821 x 471 (pitch scale); 0 x 0 before the first mode.
constexpr DrawingSize DrawingSizeOf(int32_t scopeMode) {
    switch (scopeMode) {
        case kScopeWave:
            return {467, 451};
        case kScopeFrequency:
            return {1067, 451};
        case kScopePitch:
            return {kSurfaceWidth, kSurfaceHeight};
        default:
            return {0, 0};
    }
}

struct ScopeViewState {
    int32_t scopeMode = kScopePitch;
    int32_t levelIndex = 3;       // 0..6 into levelTable
    int32_t waveZoomIndex = 3;    // 0..7 into timeDivTable
    int32_t spanIndex = 2;        // 0..3 into spanTable
    int32_t startFrequency = 0;   // Hz at the left edge of the frequency scale
    int32_t keyIndex = 0;         // 0..12; pitch class of degree "1" counted from C (12 acts as 0)
    int32_t notationCounter = 0;  // the notation is this value mod 4
    bool threeD = false;
    // Counts 3-D drawings; its parity chooses the history surface. The spectrum composition
    // advances it.
    int32_t threeDCount = 0;
    int32_t logarithmOption = 0;
    std::array<int32_t, kKeyCount> pitchLineColors = UnmarkedColors();
    // The waveform's second (right channel) trace: a stereo microphone, or a playing stereo file.
    bool secondTrace = false;

    static constexpr std::array<int32_t, kKeyCount> UnmarkedColors() {
        std::array<int32_t, kKeyCount> colors{};
        colors.fill(kColorUnmarked);
        return colors;
    }
};

// The stereo rule of the waveform: while a file plays, a second trace when the file has two
// channels (a stereo microphone's second history is frozen then); otherwise when the
// microphone has two channels.
constexpr bool ShowsSecondTrace(int32_t channelCount, bool filePlaying, int fileChannels) {
    return filePlaying ? fileChannels == 2 : channelCount == 2;
}

// Checked access to the zoom tables: an index outside its table is taken at the nearer end.
int32_t FullScale(const ScopeViewState& state);
double MsPerDivision(const ScopeViewState& state);
int32_t Span(const ScopeViewState& state);

}  // namespace tonavise
