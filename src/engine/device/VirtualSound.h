// A sound system without sound hardware, for tests and measurements. Its input devices capture
// a signal the caller gives; its output devices record everything they are asked to play. Time
// passes only when the caller says so (Complete, Advance) or, after StartClock, in real time
// (optionally faster), so tests are deterministic and long runs take little time.
//
// The devices keep the full contract of the device layer (SoundDevice.h): queue order, done
// flags, one completion per finished buffer, reset, pause, position.
//
// Threads: devices are used by their owner threads as any device; every other method may be
// called from any thread. The system must outlive the devices it made.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "engine/device/SoundDevice.h"

namespace tonavise {

class VirtualWaveDevice;

class VirtualSoundSystem final : public DeviceFactory {
  public:
    // The virtual microphone: the value of `channel` at `frame` (counted from the device's
    // open), in 16-bit units; it is truncated toward zero and clamped to the sample range.
    using Signal = std::function<double(int64_t frame, int channel)>;

    struct PlayedSound {
        WaveFormat format{};
        std::vector<uint8_t> bytes;
    };

    VirtualSoundSystem();
    ~VirtualSoundSystem() override;
    VirtualSoundSystem(const VirtualSoundSystem&) = delete;
    VirtualSoundSystem& operator=(const VirtualSoundSystem&) = delete;

    std::unique_ptr<WaveDevice> Create(DeviceDirection direction, StreamRole role) override;
    std::string_view BackendName() const override { return "virtual"; }

    // The named devices the system offers in `direction` (none by default: only the default
    // device). An open while a device that is not among them is chosen uses the default and
    // notes the chosen one as missing.
    void SetDevices(DeviceDirection direction, std::vector<SoundDeviceInfo> devices);
    std::vector<SoundDeviceInfo> Devices(DeviceDirection direction) override;
    // Devices() answers only after this long, as a sound server that is slow or hangs.
    void SetListDelay(std::chrono::milliseconds delay);
    // The device name the latest open in `direction` used (empty: the default).
    std::string OpenedDevice(DeviceDirection direction) const;

    // Silence until set. Called on the driving thread while it holds the system's lock.
    void SetInputSignal(Signal signal);
    // The virtual microphone repeats `samples` (on every channel) from the device's open on;
    // cheaper than a signal function for long runs on a fast clock. Replaces the signal.
    void SetInputLoop(std::vector<int16_t> samples);
    // Every later open in `direction` fails with `code` (kDeviceOk: opens succeed again).
    void SetOpenResult(DeviceDirection direction, DeviceResult code);
    // Every later start of a stream in `direction` fails with `code` (kDeviceOk: they succeed).
    void SetStartResult(DeviceDirection direction, DeviceResult code);
    // The running stream of the device of `direction` dies: its sound stops moving. With a
    // code, the back end reports the end as a sound system does when it ends a stream; with
    // kDeviceOk it dies silently, as a stream whose server went away, and only the stall
    // watch can notice. False when no such stream runs.
    bool KillStream(DeviceDirection direction, DeviceResult code);
    // How long a running stream may go without sound before it counts as dead (0, the
    // default: never, so that tests driving time by hand may take as long as they like).
    void SetStallSeconds(double seconds);
    // Whether output devices keep what they play (on by default; off for long runs).
    void SetRecordOutput(bool record);

    // Manual time, on the most recently opened device of `direction` while it runs (an input
    // device after Start, an output device while it has buffers and is not paused).
    // Finishes up to `count` buffers, one after the other; returns how many were finished.
    int Complete(DeviceDirection direction, int count = 1);
    // Lets `frames` frames of sound pass (buffers may stay partly filled or played).
    void Advance(DeviceDirection direction, int64_t frames);

    // Real time: every running device captures or plays `speed` seconds of sound per second.
    // An input device whose owner has no buffer queued waits for it instead of losing sound,
    // so a fast clock runs only as fast as the owners take the sound.
    void StartClock(double speed = 1.0);
    void StopClock();

    // Waits until the device of `direction` is open, running (input: started) and has at least
    // `count` buffers queued.
    bool WaitForQueued(DeviceDirection direction, int count, std::chrono::milliseconds timeout);
    // Waits until no device of `direction` is open.
    bool WaitForClosed(DeviceDirection direction, std::chrono::milliseconds timeout);

    bool IsOpen(DeviceDirection direction) const;
    int QueuedCount(DeviceDirection direction) const;
    // Successful opens in `direction` so far, and all tries, failed ones included.
    int OpenCount(DeviceDirection direction) const;
    int OpenAttempts(DeviceDirection direction) const;
    // Frames of sound that have passed on the current device of `direction` since its open.
    int64_t FramesPassed(DeviceDirection direction) const;
    WaveFormat LastOpenFormat(DeviceDirection direction) const;

    // What the output devices played, one entry per successful open, oldest first.
    std::size_t PlayedCount() const;
    PlayedSound Played(std::size_t index) const;
    // The 16-bit samples (interleaved) of the latest open; empty for 8-bit sound.
    std::vector<int16_t> LastPlayedSamples() const;

  private:
    friend class VirtualWaveDevice;

    static int Index(DeviceDirection d) { return d == DeviceDirection::Input ? 0 : 1; }
    void ClockLoop(double speed);
    VirtualWaveDevice* Current(DeviceDirection d) const;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<VirtualWaveDevice*> devices_;
    VirtualWaveDevice* current_[2] = {nullptr, nullptr};
    DeviceResult openResult_[2] = {kDeviceOk, kDeviceOk};
    DeviceResult startResult_[2] = {kDeviceOk, kDeviceOk};
    double stallSeconds_ = 0.0;
    int openCount_[2] = {0, 0};
    int openAttempts_[2] = {0, 0};
    WaveFormat lastFormat_[2] = {};
    std::vector<SoundDeviceInfo> named_[2];
    std::chrono::milliseconds listDelay_{0};
    std::string opened_[2];
    Signal signal_;
    std::vector<int16_t> loop_;
    bool recordOutput_ = true;
    std::vector<PlayedSound> played_;

    std::thread clock_;
    bool clockRunning_ = false;
    double clockSpeed_ = 1.0;
    std::condition_variable clockWake_;
};

}  // namespace tonavise
