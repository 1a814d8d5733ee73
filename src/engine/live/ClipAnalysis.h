// Analyses a loaded clip block by block exactly as the live program does while the clip plays:
// block k is the feed at 100 ms x k, appended to a capture store, followed by one analysis
// pass (stereo for a two-channel clip).
#pragma once

#include <cstdint>
#include <functional>
#include <limits>

#include "engine/audiofile/LoadedClip.h"
#include "engine/dsp/PitchEstimate.h"
#include "engine/dsp/PitchSeries.h"

namespace tonavise {

class CaptureStore;
class KeyTable;
class Fft;

struct BlockPitch {
    int64_t block = 0;         // k
    double timeSeconds = 0.0;  // (k + 1) x 0.1: the end of the analysed stretch
    double fundamentalHz = 0.0;
    int key = 0;  // may lie outside 0..87
    int cents = 0;
    PitchEstimate precise{};  // with keyTable.pitchMethod kPitchMethodPrecise; else no pitch
};

// Runs every block of the clip, up to and including block `lastBlock`, through `store` and
// `fft` (initialised to the history length) and calls `onBlock` after each pass; the store's
// spectrum and histories hold that block's state at that time. With keyTable.pitchMethod
// kPitchMethodPrecise the precise estimate runs too (its memory is allocated once per call).
// Returns the number of blocks fed.
int64_t AnalyzeClip(const LoadedClip& clip,
                    CaptureStore& store,
                    Fft& fft,
                    const KeyTable& keyTable,
                    const std::function<void(const BlockPitch&)>& onBlock,
                    int64_t lastBlock = std::numeric_limits<int64_t>::max());

// Streams the clip, fed as it plays (100 ms blocks at the program's rate, stereo as two
// channels), through `series`, which hands its readings to `sink`. Returns false when the
// series could not allocate its memory.
bool StreamClipThroughSeries(const LoadedClip& clip, PitchSeries& series, PitchSeries::Sink& sink);

// The number of 100 ms blocks AnalyzeClip feeds for the whole clip.
int64_t ClipBlockCount(const LoadedClip& clip);

}  // namespace tonavise
