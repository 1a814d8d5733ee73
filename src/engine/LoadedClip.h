// A sound file in memory, as the file player holds it: the PCM format, the interleaved samples
// and their length in bytes.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/AudioFormat.h"

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
// block alignment not zero, and a block large enough for one sample of every channel.
bool IsUsablePcmFormat(const WaveFormat& format);

}  // namespace tonavise
