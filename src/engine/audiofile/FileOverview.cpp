#include "engine/audiofile/FileOverview.h"

#include <algorithm>
#include <limits>

namespace tonavise {

FileOverview MakeFileOverview(const LoadedClip& clip, int columns) {
    FileOverview overview;
    const WaveFormat& f = clip.format;
    if (clip.kind == LoadedKind::None || clip.data == nullptr || clip.length <= 0 ||
        !IsUsablePcmFormat(f) || columns < 1) {
        return overview;
    }
    const int bytes = f.bitsPerSample / 8;
    overview.bytesPerFrame = f.blockAlign;
    overview.framesPerSecond = f.samplesPerSec;
    overview.frames = clip.length / f.blockAlign;
    const int64_t count = std::min<int64_t>(columns, overview.frames);
    if (count < 1) {
        return overview;
    }
    overview.framesPerColumn = static_cast<double>(overview.frames) / static_cast<double>(count);
    overview.columns.resize(static_cast<std::size_t>(count));
    const uint8_t* data = clip.data.get();
    for (int64_t c = 0; c < count; ++c) {
        // Integer bounds, so every frame belongs to exactly one column.
        const int64_t first = c * overview.frames / count;
        const int64_t end = (c + 1) * overview.frames / count;
        int low = std::numeric_limits<int16_t>::max();
        int high = std::numeric_limits<int16_t>::min();
        if (bytes == 2 && f.blockAlign == 2 * f.channels) {
            // 16-bit samples side by side: one straight run the compiler vectorises.
            const auto* s = reinterpret_cast<const int16_t*>(data) + first * f.channels;
            const auto* e = reinterpret_cast<const int16_t*>(data) + end * f.channels;
            int16_t lo = std::numeric_limits<int16_t>::max();
            int16_t hi = std::numeric_limits<int16_t>::min();
            for (; s < e; ++s) {
                lo = std::min(lo, *s);
                hi = std::max(hi, *s);
            }
            overview.columns[static_cast<std::size_t>(c)] = {lo, hi};
            continue;
        }
        for (int64_t frame = first; frame < end; ++frame) {
            const uint8_t* p = data + frame * f.blockAlign;
            for (int ch = 0; ch < f.channels; ++ch) {
                const int v = Sample16(p + ch * bytes, bytes);
                low = std::min(low, v);
                high = std::max(high, v);
            }
        }
        overview.columns[static_cast<std::size_t>(c)] = {static_cast<int16_t>(low),
                                                         static_cast<int16_t>(high)};
    }
    return overview;
}

}  // namespace tonavise
