#include "engine/device/SignalBuffer.h"

#include <algorithm>
#include <cmath>

namespace tonavise {

double WaveValue(int waveForm, double x) {
    const double pi = 4.0 * std::atan(1.0);
    const double twoPi = 8.0 * std::atan(1.0);
    const double halfPi = 2.0 * std::atan(1.0);
    switch (waveForm) {
        case kWaveSine:
            return std::sin(x);
        case kWaveSquare: {
            const double s = std::sin(x);
            return s > 0 ? 0.99999 : (s < 0 ? -0.99999 : 0.0);
        }
        case kWaveTriangle:
            return std::asin(std::sin(x)) / halfPi;
        case kWaveSaw:
            return (x - twoPi * std::floor(x / twoPi)) / pi - 1.0;
        default:
            return 0.0;
    }
}

SignalBuffer::SignalBuffer()
    : copies_{std::vector<int16_t>(2 * static_cast<std::size_t>(kSignalFrames), 0),
              std::vector<int16_t>(2 * static_cast<std::size_t>(kSignalFrames), 0)},
      channelScratch_(kSignalFrames, 0),
      playData_(reinterpret_cast<uint8_t*>(copies_[0].data()),
                reinterpret_cast<uint8_t*>(copies_[1].data())) {}

template <typename Change>
void SignalBuffer::Rewrite(Change change) {
    const auto* published = reinterpret_cast<const int16_t*>(playData_.Published());
    auto* back = reinterpret_cast<int16_t*>(playData_.WriteCopy());
    std::copy_n(published, 2 * kSignalFrames, back);
    change(back);
    playData_.Publish();
}

void SignalBuffer::Clear() {
    std::lock_guard lock(generateLock_);
    Rewrite([](int16_t* frames) { std::fill_n(frames, 2 * kSignalFrames, int16_t{0}); });
}

void SignalBuffer::GenerateChannel(int frequency, int amplitude, int waveForm, int channel) {
    if (channel != 0 && channel != 1) {
        return;
    }
    std::lock_guard generating(generateLock_);
    const double a = amplitude * 32767.0 / 100.0;
    const double quarterPi = std::atan(1.0);
    for (int i = 0; i < kSignalFrames; ++i) {
        const double x = static_cast<double>(8 * i) * quarterPi * frequency / 44100.0;
        // Callers keep the amplitude within 0..100 %; a larger one clips instead of overflowing.
        channelScratch_[i] =
            static_cast<int16_t>(std::clamp(a * WaveValue(waveForm, x), -32768.0, 32767.0));
    }
    Rewrite([&](int16_t* frames) {
        for (int i = 0; i < kSignalFrames; ++i) {
            frames[2 * i + channel] = channelScratch_[i];
        }
    });
}

std::vector<int16_t> SignalBuffer::Samples() const {
    std::lock_guard lock(generateLock_);
    const auto* published = reinterpret_cast<const int16_t*>(playData_.Published());
    return {published, published + 2 * kSignalFrames};
}

}  // namespace tonavise
