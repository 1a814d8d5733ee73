#include "LiveRig.h"

#include <algorithm>
#include <cstdlib>

#include "engine/device/SoundDevice.h"

namespace tonavise::test {

CaptureTape::CaptureTape(double seconds, int channels)
    : channels_(channels), capacity_(static_cast<int64_t>(seconds * kSampleRate)) {
    samples_.reserve(static_cast<std::size_t>(capacity_ * channels_));
    blocks_.reserve(static_cast<std::size_t>(seconds * 10 + 16));
}

void CaptureTape::OnCaptured(std::span<const int16_t> frames, int channels, double captureTime) {
    const double arrival = SteadySeconds();
    {
        std::lock_guard lock(mutex_);
        if (channels != channels_ || frames_ + kBlockFrames > capacity_) {
            return;
        }
        if (blocks_.size() < blocks_.capacity()) {
            blocks_.push_back({frames_, captureTime, arrival});
        }
        samples_.insert(samples_.end(), frames.begin(), frames.end());
        frames_ += static_cast<int64_t>(frames.size()) / channels_;
    }
    grew_.notify_all();
}

void CaptureTape::Clear() {
    std::lock_guard lock(mutex_);
    samples_.clear();
    blocks_.clear();
    frames_ = 0;
}

int64_t CaptureTape::Frames() const {
    std::lock_guard lock(mutex_);
    return frames_;
}

bool CaptureTape::WaitForFrames(int64_t frames, std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return grew_.wait_for(lock, timeout, [&] { return frames_ >= frames; });
}

std::vector<int16_t> CaptureTape::Channel(int channel, int64_t from, int64_t to) const {
    std::lock_guard lock(mutex_);
    to = std::min(to, frames_);
    std::vector<int16_t> out;
    for (int64_t f = std::max<int64_t>(from, 0); f < to; ++f) {
        out.push_back(samples_[f * channels_ + channel]);
    }
    return out;
}

std::vector<CaptureTape::Block> CaptureTape::Blocks() const {
    std::lock_guard lock(mutex_);
    return blocks_;
}

double CaptureTape::CaptureTimeOf(int64_t frame) const {
    std::lock_guard lock(mutex_);
    for (const Block& b : blocks_) {
        if (frame >= b.firstFrame && frame < b.firstFrame + kBlockFrames) {
            return b.captureTime + static_cast<double>(frame - b.firstFrame) / kSampleRate;
        }
    }
    return -1;
}

double CaptureTape::ArrivalOf(int64_t frame) const {
    std::lock_guard lock(mutex_);
    for (const Block& b : blocks_) {
        if (frame >= b.firstFrame && frame < b.firstFrame + kBlockFrames) {
            return b.arrival;
        }
    }
    return -1;
}

std::vector<int64_t> Onsets(std::span<const int16_t> samples, int threshold, int quietGap) {
    std::vector<int64_t> onsets;
    int quiet = quietGap;  // the start counts as quiet
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) > threshold) {
            if (quiet >= quietGap) {
                onsets.push_back(static_cast<int64_t>(i));
            }
            quiet = 0;
        } else {
            ++quiet;
        }
    }
    return onsets;
}

int64_t LastLoud(std::span<const int16_t> samples, int threshold) {
    for (std::size_t i = samples.size(); i > 0; --i) {
        if (std::abs(samples[i - 1]) > threshold) {
            return static_cast<int64_t>(i - 1);
        }
    }
    return -1;
}

int64_t FirstLoud(std::span<const int16_t> samples, int threshold) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (std::abs(samples[i]) > threshold) {
            return static_cast<int64_t>(i);
        }
    }
    return -1;
}

LiveRig::LiveRig(DeviceFactory& devices, int channels, double tapeSeconds)
    : tape(tapeSeconds, channels), devices_(devices) {
    store.Create();
    store.channelCount.store(channels);
    store.scopeMode.store(kScopePitch);
}

LiveRig::~LiveRig() {
    Stop();
}

bool LiveRig::Start() {
    LiveEngine::Parts parts;
    parts.output = false;
    parts.recorder = false;
    return engine.Start(&devices_, UiLanguage::English, parts, &tape);
}

void LiveRig::Stop() {
    engine.Stop();
}

bool LiveRig::NextPitch(double& hz, int& key, std::chrono::milliseconds timeout) {
    if (!store.finishedFftEvent.wait(timeout)) {
        return false;
    }
    const SpectrumFrame& frame = store.spectrum.acquire();
    hz = frame.fundamentalHz;
    key = keyTable.NearestKey(hz).key;
    return true;
}

}  // namespace tonavise::test
