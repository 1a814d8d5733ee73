#include "engine/device/VirtualSound.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tonavise {

// Every member below is guarded by the system's mutex; the Process calls of the base class run
// with that mutex held, which is what makes BackendStop() stop them.
class VirtualWaveDevice final : public WaveDevice {
  public:
    VirtualWaveDevice(VirtualSoundSystem& system, DeviceDirection direction)
        : WaveDevice(direction), system_(system) {
        std::lock_guard lock(system_.mutex_);
        system_.devices_.push_back(this);
    }

    ~VirtualWaveDevice() override {
        Close();
        std::lock_guard lock(system_.mutex_);
        auto& list = system_.devices_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }

    // With the system's mutex held: the next `bytes` bytes of sound pass.
    void AdvanceBytes(int64_t bytes) {
        const WaveFormat& f = format();
        std::array<uint8_t, 4096> chunk{};
        const int64_t chunkBytes = static_cast<int64_t>(chunk.size() / f.blockAlign) * f.blockAlign;
        while (bytes > 0) {
            const int64_t n = std::min(bytes, chunkBytes);
            const double now = SteadySeconds();
            if (direction() == DeviceDirection::Input) {
                Synthesize(chunk.data(), n);
                ProcessInput(chunk.data(), static_cast<std::size_t>(n), now);
            } else {
                // The chunk counts as played as it is processed: the clock after it is "now".
                const double streamTime = static_cast<double>(advanced_) / f.avgBytesPerSec;
                const double after = static_cast<double>(advanced_ + n) / f.avgBytesPerSec;
                ProcessOutput(chunk.data(), static_cast<std::size_t>(n), streamTime, now, after);
                if (system_.recordOutput_ && session_ < system_.played_.size()) {
                    auto& out = system_.played_[session_].bytes;
                    out.insert(out.end(), chunk.begin(), chunk.begin() + n);
                }
            }
            advanced_ += n;
            bytes -= n;
        }
    }

    // With the mutex held: bytes that finish the front buffer (0 when there is none).
    int64_t FrontRemaining() const { return static_cast<int64_t>(FrontBytesRemaining()); }
    int64_t QueuedRemaining() const { return static_cast<int64_t>(QueuedBytesRemaining()); }
    bool Paused() const { return IsPaused(); }
    int64_t FramesAdvanced() const { return advanced_ / format().blockAlign; }
    void Fail(DeviceResult code) { ReportFailure(code); }

    bool running = false;
    double clockStart = 0.0;
    int64_t clockAdvanced = 0;

  protected:
    DeviceResult BackendOpen(const WaveFormat& f) override {
        std::lock_guard lock(system_.mutex_);
        const int d = VirtualSoundSystem::Index(direction());
        ++system_.openAttempts_[d];
        if (system_.openResult_[d] != kDeviceOk) {
            return system_.openResult_[d];
        }
        advanced_ = 0;
        inputFrame_ = 0;
        running = false;
        system_.current_[d] = this;
        ++system_.openCount_[d];
        system_.lastFormat_[d] = f;
        const std::string chosen = system_.ChosenDevice(direction());
        const bool known = std::any_of(system_.named_[d].begin(),
                                       system_.named_[d].end(),
                                       [&](const SoundDeviceInfo& i) { return i.name == chosen; });
        system_.NoteMissing(direction(), known || chosen.empty() ? std::string() : chosen);
        system_.opened_[d] = known ? chosen : std::string();
        std::string used;
        for (const SoundDeviceInfo& i : system_.named_[d]) {
            if (known ? i.name == chosen : i.isDefault) {
                used = i.description;
            }
        }
        system_.NoteOpened(direction(), used);
        if (direction() == DeviceDirection::Output) {
            system_.played_.push_back({f, {}});
            session_ = system_.played_.size() - 1;
        }
        return kDeviceOk;
    }

    DeviceResult BackendStart() override {
        std::lock_guard lock(system_.mutex_);
        const DeviceResult refused = system_.startResult_[VirtualSoundSystem::Index(direction())];
        if (refused != kDeviceOk) {
            return refused;
        }
        running = true;
        clockStart = SteadySeconds();
        clockAdvanced = 0;
        return kDeviceOk;
    }

    void BackendStop() override {
        std::lock_guard lock(system_.mutex_);
        running = false;
    }

    void BackendClose() override {
        std::lock_guard lock(system_.mutex_);
        const int d = VirtualSoundSystem::Index(direction());
        if (system_.current_[d] == this) {
            system_.current_[d] = nullptr;
        }
        session_ = static_cast<std::size_t>(-1);
    }

    double BackendStallSeconds() const override {
        std::lock_guard lock(system_.mutex_);
        return system_.stallSeconds_;
    }
    double BackendFirstSoundSeconds() const override { return BackendStallSeconds(); }

    double BackendStreamTime() const override {
        std::lock_guard lock(system_.mutex_);
        return static_cast<double>(advanced_) / format().avgBytesPerSec;
    }

    void BackendNotify() override {
        { std::lock_guard lock(system_.mutex_); }
        system_.changed_.notify_all();
    }

  private:
    void Synthesize(uint8_t* out, int64_t bytes) {
        const WaveFormat& f = format();
        const int64_t frames = bytes / f.blockAlign;
        const std::vector<int16_t>& loop = system_.loop_;
        for (int64_t i = 0; i < frames; ++i, ++inputFrame_) {
            int16_t looped = 0;
            if (!loop.empty()) {
                looped =
                    loop[static_cast<std::size_t>(inputFrame_ % static_cast<int64_t>(loop.size()))];
            }
            for (int c = 0; c < f.channels; ++c) {
                int16_t s = looped;
                if (loop.empty() && system_.signal_) {
                    const double v = std::trunc(system_.signal_(inputFrame_, c));
                    s = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
                }
                if (f.bitsPerSample == 16) {
                    *out++ = static_cast<uint8_t>(s & 0xFF);
                    *out++ = static_cast<uint8_t>((s >> 8) & 0xFF);
                } else {
                    *out++ = static_cast<uint8_t>(128 + s / 256);
                }
            }
        }
    }

    VirtualSoundSystem& system_;
    int64_t advanced_ = 0;  // bytes since the open: the device's clock
    int64_t inputFrame_ = 0;
    std::size_t session_ = static_cast<std::size_t>(-1);
};

VirtualSoundSystem::VirtualSoundSystem() = default;

VirtualSoundSystem::~VirtualSoundSystem() {
    StopClock();
}

std::unique_ptr<WaveDevice> VirtualSoundSystem::Create(DeviceDirection direction,
                                                       StreamRole /*role*/) {
    return std::make_unique<VirtualWaveDevice>(*this, direction);
}

void VirtualSoundSystem::SetDevices(DeviceDirection direction,
                                    std::vector<SoundDeviceInfo> devices) {
    for (const SoundDeviceInfo& d : devices) {
        NoteDescription(d.name, d.description);
    }
    std::lock_guard lock(mutex_);
    named_[Index(direction)] = std::move(devices);
}

std::vector<SoundDeviceInfo> VirtualSoundSystem::Devices(DeviceDirection direction) {
    std::chrono::milliseconds delay{0};
    {
        std::lock_guard lock(mutex_);
        delay = listDelay_;
    }
    std::this_thread::sleep_for(delay);
    std::lock_guard lock(mutex_);
    return named_[Index(direction)];
}

void VirtualSoundSystem::SetListDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    listDelay_ = delay;
}

std::string VirtualSoundSystem::OpenedDevice(DeviceDirection direction) const {
    std::lock_guard lock(mutex_);
    return opened_[Index(direction)];
}

void VirtualSoundSystem::SetInputSignal(Signal signal) {
    std::lock_guard lock(mutex_);
    signal_ = std::move(signal);
    loop_.clear();
}

void VirtualSoundSystem::SetInputLoop(std::vector<int16_t> samples) {
    std::lock_guard lock(mutex_);
    loop_ = std::move(samples);
    signal_ = nullptr;
}

void VirtualSoundSystem::SetOpenResult(DeviceDirection direction, DeviceResult code) {
    std::lock_guard lock(mutex_);
    openResult_[Index(direction)] = code;
}

void VirtualSoundSystem::SetStartResult(DeviceDirection direction, DeviceResult code) {
    std::lock_guard lock(mutex_);
    startResult_[Index(direction)] = code;
}

bool VirtualSoundSystem::KillStream(DeviceDirection direction, DeviceResult code) {
    VirtualWaveDevice* device = nullptr;
    {
        std::lock_guard lock(mutex_);
        device = Current(direction);
        if (device == nullptr || !device->running) {
            return false;
        }
        device->running = false;
        if (code != kDeviceOk) {
            device->Fail(code);
        }
    }
    changed_.notify_all();
    return true;
}

void VirtualSoundSystem::SetStallSeconds(double seconds) {
    std::lock_guard lock(mutex_);
    stallSeconds_ = seconds;
}

void VirtualSoundSystem::SetRecordOutput(bool record) {
    std::lock_guard lock(mutex_);
    recordOutput_ = record;
}

VirtualWaveDevice* VirtualSoundSystem::Current(DeviceDirection d) const {
    return current_[Index(d)];
}

int VirtualSoundSystem::Complete(DeviceDirection direction, int count) {
    int finished = 0;
    {
        std::lock_guard lock(mutex_);
        VirtualWaveDevice* device = Current(direction);
        if (device == nullptr || !device->running || device->Paused()) {
            return 0;
        }
        for (; finished < count; ++finished) {
            const int64_t remaining = device->FrontRemaining();
            if (remaining == 0) {
                break;
            }
            device->AdvanceBytes(remaining);
        }
    }
    changed_.notify_all();
    return finished;
}

void VirtualSoundSystem::Advance(DeviceDirection direction, int64_t frames) {
    {
        std::lock_guard lock(mutex_);
        VirtualWaveDevice* device = Current(direction);
        if (device == nullptr || !device->running || frames <= 0) {
            return;
        }
        device->AdvanceBytes(frames * device->format().blockAlign);
    }
    changed_.notify_all();
}

void VirtualSoundSystem::StartClock(double speed) {
    StopClock();
    std::lock_guard lock(mutex_);
    clockRunning_ = true;
    clockSpeed_ = speed > 0 ? speed : 1.0;
    const double now = SteadySeconds();
    for (VirtualWaveDevice* d : devices_) {
        d->clockStart = now;
        d->clockAdvanced = 0;
    }
    clock_ = std::thread([this, s = clockSpeed_] { ClockLoop(s); });
}

void VirtualSoundSystem::StopClock() {
    {
        std::lock_guard lock(mutex_);
        if (!clockRunning_) {
            return;
        }
        clockRunning_ = false;
    }
    clockWake_.notify_all();
    if (clock_.joinable()) {
        clock_.join();
    }
}

void VirtualSoundSystem::ClockLoop(double speed) {
    // A tick for every 5 ms of sound, but not more often than every half millisecond: on a
    // fast clock the owners get to queue their buffers again between ticks, as with a device
    // whose callbacks come in small periods.
    const std::chrono::duration<double, std::milli> tick(std::clamp(5.0 / speed, 0.5, 5.0));
    std::unique_lock lock(mutex_);
    while (clockRunning_) {
        const double now = SteadySeconds();
        bool any = false;
        for (VirtualWaveDevice* d : devices_) {
            if (!d->IsOpen() || !d->running) {
                continue;
            }
            const int align = d->format().blockAlign;
            const auto due =
                static_cast<int64_t>((now - d->clockStart) * speed * d->format().avgBytesPerSec) /
                align * align;
            int64_t n = due - d->clockAdvanced;
            if (d->direction() == DeviceDirection::Input && n > d->QueuedRemaining()) {
                // The owner has not queued its next buffer yet: on a fast clock the virtual
                // time waits for it rather than losing the sound it could not take.
                const int64_t waiting = n - d->QueuedRemaining();
                n -= waiting;
                d->clockStart +=
                    static_cast<double>(waiting) / (speed * d->format().avgBytesPerSec);
            }
            if (n > 0) {
                d->AdvanceBytes(n);
                d->clockAdvanced += n;
                any = true;
            }
        }
        if (any) {
            changed_.notify_all();
        }
        clockWake_.wait_for(lock, tick);
    }
}

bool VirtualSoundSystem::WaitForQueued(DeviceDirection direction,
                                       int count,
                                       std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        const VirtualWaveDevice* d = Current(direction);
        return d != nullptr && d->IsOpen() && d->running && d->QueuedCount() >= count;
    });
}

bool VirtualSoundSystem::WaitForClosed(DeviceDirection direction,
                                       std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return Current(direction) == nullptr; });
}

bool VirtualSoundSystem::IsOpen(DeviceDirection direction) const {
    std::lock_guard lock(mutex_);
    return Current(direction) != nullptr;
}

int VirtualSoundSystem::QueuedCount(DeviceDirection direction) const {
    std::lock_guard lock(mutex_);
    const VirtualWaveDevice* d = Current(direction);
    return d == nullptr ? 0 : d->QueuedCount();
}

int VirtualSoundSystem::OpenCount(DeviceDirection direction) const {
    std::lock_guard lock(mutex_);
    return openCount_[Index(direction)];
}

int64_t VirtualSoundSystem::FramesPassed(DeviceDirection direction) const {
    std::lock_guard lock(mutex_);
    const VirtualWaveDevice* d = Current(direction);
    return d == nullptr ? 0 : d->FramesAdvanced();
}

int VirtualSoundSystem::OpenAttempts(DeviceDirection direction) const {
    std::lock_guard lock(mutex_);
    return openAttempts_[Index(direction)];
}

WaveFormat VirtualSoundSystem::LastOpenFormat(DeviceDirection direction) const {
    std::lock_guard lock(mutex_);
    return lastFormat_[Index(direction)];
}

std::size_t VirtualSoundSystem::PlayedCount() const {
    std::lock_guard lock(mutex_);
    return played_.size();
}

VirtualSoundSystem::PlayedSound VirtualSoundSystem::Played(std::size_t index) const {
    std::lock_guard lock(mutex_);
    return index < played_.size() ? played_[index] : PlayedSound{};
}

std::vector<int16_t> VirtualSoundSystem::LastPlayedSamples() const {
    std::lock_guard lock(mutex_);
    std::vector<int16_t> samples;
    if (played_.empty() || played_.back().format.bitsPerSample != 16) {
        return samples;
    }
    const auto& bytes = played_.back().bytes;
    samples.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    }
    return samples;
}

}  // namespace tonavise
