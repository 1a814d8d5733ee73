// Audio constants shared by capture, analysis, the scope and the file player, and the PCM
// format record used wherever a sound device is opened or a WAV file is read or written.
#pragma once

#include <cstdint>

namespace tonavise {

inline constexpr int kSampleRate = 44100;           // Hz, every capture and analysis
inline constexpr int kBlockFrames = 4410;           // 100 ms: the unit in which audio arrives
inline constexpr int kBlockBytesPerChannel = 8820;  // 16-bit samples
inline constexpr int kHistoryLength = 32768;        // samples per channel, about 0.743 s
inline constexpr int kFftSize = 32768;              // transform points, equal to the history
inline constexpr int kSpectrumLength = kFftSize / 2;
inline constexpr double kBinWidthHz = static_cast<double>(kSampleRate) / kFftSize;

// The PCM/compressed format record of a sound stream (18 bytes on disk in a "fmt " chunk:
// tag, channels, rate, bytes per second, block alignment, bits per sample, extra size).
struct WaveFormat {
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t samplesPerSec = 0;
    uint32_t avgBytesPerSec = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    uint16_t extraSize = 0;
};

inline constexpr uint16_t kFormatPcm = 1;
inline constexpr uint16_t kFormatMpegLayer3 = 0x0055;
inline constexpr uint16_t kFormatExtensible = 0xFFFE;  // the sub-format GUID names the coding

// 16-bit PCM at 44100 Hz with the given channel count, as the capture and output devices use.
inline WaveFormat PcmFormat(int channels, int samplesPerSec = kSampleRate, int bits = 16) {
    WaveFormat f;
    f.formatTag = kFormatPcm;
    f.channels = static_cast<uint16_t>(channels);
    f.samplesPerSec = static_cast<uint32_t>(samplesPerSec);
    f.blockAlign = static_cast<uint16_t>(channels * bits / 8);
    f.avgBytesPerSec = f.samplesPerSec * f.blockAlign;
    f.bitsPerSample = static_cast<uint16_t>(bits);
    return f;
}

}  // namespace tonavise
