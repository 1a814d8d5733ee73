// Writes PCM as a RIFF WAVE file: "RIFF" header, an 18-byte "fmt " record and a "data" chunk,
// 46 bytes before the samples. A file that cannot be written completely is removed.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "engine/core/AudioFormat.h"

namespace tonavise {

// Returns false (and leaves no file behind) when the file cannot be created or written whole.
bool WriteWavFile(const std::string& path, const WaveFormat& format, std::span<const uint8_t> pcm);

// The whole file as bytes, for writing elsewhere or for tests.
std::string WavFileBytes(const WaveFormat& format, std::span<const uint8_t> pcm);

}  // namespace tonavise
