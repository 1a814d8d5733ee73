#include "ScopeFeed.h"

#include <cstring>

namespace tonavise {

namespace {

int16_t SampleAt(const uint8_t* p, int bits) {
    if (bits == 16) {
        return static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
    }
    return static_cast<int16_t>((p[0] - 128) * 256);
}

}  // namespace

int BuildFeedBlock(const LoadedClip& clip, int64_t playPosition, FeedBlock& block) {
    const WaveFormat& f = clip.format;
    if (!clip.data || clip.length <= 0 || !IsUsablePcmFormat(f)) {
        return 0;
    }
    const int bits = f.bitsPerSample;
    if (bits != 8 && bits != 16) {
        return 0;
    }
    const int64_t align = f.blockAlign;
    const int64_t p0 = playPosition - playPosition % align;
    const double step = f.samplesPerSec / 44100.0;
    const bool stereo = f.channels == 2;
    const int64_t secondOffset = align / 2;
    const uint8_t* data = clip.data.get();

    std::size_t place = 0;
    int frames = 0;
    for (int i = 0; i < kBlockFrames; ++i) {
        auto offset = static_cast<int64_t>(i * step * align);
        offset = offset - offset % align + p0;
        if (offset < 0 || offset >= clip.length) {
            break;
        }
        block[place++] = SampleAt(data + offset, bits);
        if (stereo) {
            block[place++] = SampleAt(data + offset + secondOffset, bits);
        }
        ++frames;
    }
    return frames;
}

int64_t ClipPositionAtTenths(const LoadedClip& clip, int64_t tenths) {
    const int64_t frames = tenths * static_cast<int64_t>(clip.format.samplesPerSec) / 10;
    return frames * clip.format.blockAlign;
}

}  // namespace tonavise
