#include <algorithm>
#include <cmath>
#include <ostream>
#include <vector>

#include "cli/Commands.h"
#include "engine/audiofile/WavWriter.h"
#include "engine/core/AudioFormat.h"

namespace tonavise::cli {

int RunSine(const SineOptions& o, std::ostream& err) {
    if (o.sampleRate <= 0 || (o.channels != 1 && o.channels != 2) ||
        (o.bits != 8 && o.bits != 16) || o.seconds < 0 || o.seconds > 3600) {
        err << "tonavise-cli sine: unsupported format\n";
        return 2;
    }
    const WaveFormat format = PcmFormat(o.channels, o.sampleRate, o.bits);
    const auto frames = static_cast<std::size_t>(o.seconds * o.sampleRate);
    std::vector<uint8_t> pcm(frames * format.blockAlign);
    const double pi = 4.0 * std::atan(1.0);
    uint8_t* p = pcm.data();
    for (std::size_t i = 0; i < frames; ++i) {
        const double v = o.amplitude * std::sin(2.0 * pi * o.frequency * double(i) / o.sampleRate);
        for (int c = 0; c < o.channels; ++c) {
            if (o.bits == 16) {
                const auto s = static_cast<int16_t>(v);
                *p++ = static_cast<uint8_t>(s & 0xFF);
                *p++ = static_cast<uint8_t>((s >> 8) & 0xFF);
            } else {
                *p++ = static_cast<uint8_t>(
                    std::clamp(128 + static_cast<int>(std::lround(v / 256.0)), 0, 255));
            }
        }
    }
    if (!WriteWavFile(o.output, format, pcm)) {
        err << "tonavise-cli sine: cannot write " << o.output << '\n';
        return 1;
    }
    return 0;
}

}  // namespace tonavise::cli
