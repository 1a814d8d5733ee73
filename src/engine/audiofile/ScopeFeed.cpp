#include "engine/audiofile/ScopeFeed.h"

#include <cstring>

namespace tonavise {

namespace {

// Fills the block with the frames frameOf(0), frameOf(1), ... until one lies past the data.
template <typename FrameOf>
int Fill(const LoadedClip& clip, FrameOf frameOf, FeedBlock& block) {
    const WaveFormat& f = clip.format;
    if (!clip.data || clip.length <= 0 || !IsUsablePcmFormat(f)) {
        return 0;
    }
    const int bytes = f.bitsPerSample / 8;
    const int64_t align = f.blockAlign;
    const int64_t frameCount = clip.length / align;
    const bool stereo = FeedChannels(f) == 2;
    const int64_t secondOffset = align / 2;
    const uint8_t* data = clip.data.get();

    std::size_t place = 0;
    int frames = 0;
    for (int i = 0; i < kBlockFrames; ++i) {
        const int64_t frame = frameOf(i);
        if (frame < 0 || frame >= frameCount) {
            break;
        }
        const uint8_t* p = data + frame * align;
        block[place++] = Sample16(p, bytes);
        if (stereo) {
            block[place++] = Sample16(p + secondOffset, bytes);
        }
        ++frames;
    }
    return frames;
}

}  // namespace

int BuildFeedBlock(const LoadedClip& clip, int64_t playPosition, FeedBlock& block) {
    const int64_t align = clip.format.blockAlign;
    if (align == 0) {
        return 0;
    }
    // Frame floor(i x rate / 44100) after the position, in exact integer arithmetic.
    const int64_t first = playPosition / align;
    const int64_t rate = clip.format.samplesPerSec;
    return Fill(
        clip, [&](int i) { return first + i * rate / kSampleRate; }, block);
}

int BuildFeedBlockAtStreamSample(const LoadedClip& clip, int64_t streamSample, FeedBlock& block) {
    // Output sample n of the whole stream is the frame floor(n x rate / 44100): blocks join
    // without a seam even where 100 ms is not a whole number of frames (11025 Hz).
    const int64_t rate = clip.format.samplesPerSec;
    return Fill(
        clip, [&](int i) { return (streamSample + i) * rate / kSampleRate; }, block);
}

int BuildFeedBlockAtTenths(const LoadedClip& clip, int64_t tenths, FeedBlock& block) {
    return BuildFeedBlockAtStreamSample(clip, tenths * kBlockFrames, block);
}

int64_t StreamSampleAtPosition(const LoadedClip& clip, int64_t position) {
    const int64_t align = clip.format.blockAlign;
    const int64_t rate = clip.format.samplesPerSec;
    if (align == 0 || rate == 0) {
        return 0;
    }
    const int64_t frame = position / align;
    return (frame * kSampleRate + rate - 1) /
           rate;  // the first n with floor(n x rate / 44100) = frame
}

int64_t ClipPositionAtTenths(const LoadedClip& clip, int64_t tenths) {
    const int64_t frames = tenths * static_cast<int64_t>(clip.format.samplesPerSec) / 10;
    return frames * clip.format.blockAlign;
}

}  // namespace tonavise
