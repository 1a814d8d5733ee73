#include "engine/SignalBuffer.h"

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
    : signalBuffer_(2 * static_cast<std::size_t>(kSignalFrames), 0),
      channelScratch_(kSignalFrames, 0) {}

void SignalBuffer::Clear() {
    std::lock_guard lock(dataLock_);
    std::fill(signalBuffer_.begin(), signalBuffer_.end(), int16_t{0});
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
    std::lock_guard copying(dataLock_);
    for (int i = 0; i < kSignalFrames; ++i) {
        signalBuffer_[2 * i + channel] = channelScratch_[i];
    }
}

std::vector<int16_t> SignalBuffer::Samples() const {
    std::lock_guard lock(dataLock_);
    return signalBuffer_;
}

}  // namespace tonavise
