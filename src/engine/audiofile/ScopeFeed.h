// Builds the 100 ms block that a playing file hands to the capture store in place of the
// microphone: 4410 frames taken from the play position at the file's own rate (the frame
// floor(i x rate / 44100) after the position), as signed 16-bit values.
#pragma once

#include <array>
#include <cstdint>

#include "engine/audiofile/LoadedClip.h"
#include "engine/core/AudioFormat.h"

namespace tonavise {

// One block of up to two interleaved channels. It keeps its contents between feeds: places a
// short fill (at the end of the data) does not reach repeat the previous feed.
using FeedBlock = std::array<int16_t, 2 * kBlockFrames>;

// Fills `block` from `clip` at byte position `playPosition` (rounded down to a whole frame) with
// the frame floor(i x rate / 44100) after it for i = 0..4409; returns the frames written.
// 16-bit samples are taken unchanged, 8-bit samples b become (b - 128) x 256, 24-bit and 32-bit
// samples give their top 16 bits (Sample16); a format IsUsablePcmFormat refuses writes nothing.
// Two-channel clips give interleaved left, right; with more channels only the first is taken.
int BuildFeedBlock(const LoadedClip& clip, int64_t playPosition, FeedBlock& block);

// The channels of the blocks the feed builds, as they are handed to the capture store: 2 for a
// two-channel clip, 1 for any other (of a clip with more channels the first is taken).
inline int FeedChannels(const WaveFormat& format) {
    return format.channels == 2 ? 2 : 1;
}

// The block that begins exactly `tenths` x 100 ms into the clip, taken from the continuous
// stream: sample n of the stream is frame floor(n x rate / 44100). Where 100 ms is a whole
// number of frames this is BuildFeedBlock at ClipPositionAtTenths.
int BuildFeedBlockAtTenths(const LoadedClip& clip, int64_t tenths, FeedBlock& block);

// The block that begins at sample `streamSample` of that continuous stream (44100 per second):
// BuildFeedBlockAtTenths(k) is BuildFeedBlockAtStreamSample(k x 4410).
int BuildFeedBlockAtStreamSample(const LoadedClip& clip, int64_t streamSample, FeedBlock& block);

// The first sample of the continuous stream that shows the frame at byte `position`.
int64_t StreamSampleAtPosition(const LoadedClip& clip, int64_t position);

// The byte position of the block that begins `tenths` x 100 ms into the clip.
int64_t ClipPositionAtTenths(const LoadedClip& clip, int64_t tenths);

}  // namespace tonavise
