// A sound file in memory, as the file player holds it: the PCM format, the interleaved samples
// and their length in bytes.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/core/AudioFormat.h"

namespace tonavise {

enum class LoadedKind : int32_t { None = 0, Mp3 = 1, Wav = 2 };

struct LoadedClip {
    LoadedKind kind = LoadedKind::None;
    WaveFormat format{};
    std::unique_ptr<uint8_t[]> data;
    int32_t length = 0;  // bytes; always a whole number of frames

    void Release() {
        kind = LoadedKind::None;
        data.reset();
        length = 0;
    }
};

// Checks a PCM format record for what playback and the scope feed rely on: channels, rate and
// block alignment not zero, samples of 8, 16, 24 or 32 bits, and a block large enough for one
// sample of every channel.
bool IsUsablePcmFormat(const WaveFormat& format);

// The sample of `bytes` bytes (1 to 4) at p as a signed 16-bit value: 8-bit samples are
// unsigned around 128 and become (b - 128) x 256; wider ones are signed little-endian and keep
// their top 16 bits (the lower bits of a 24-bit or 32-bit sample are dropped).
inline int16_t Sample16(const uint8_t* p, int bytes) {
    if (bytes == 1) {
        return static_cast<int16_t>((p[0] - 128) * 256);
    }
    return static_cast<int16_t>(static_cast<uint16_t>(p[bytes - 2] | p[bytes - 1] << 8));
}

}  // namespace tonavise
