// The real sound system: PortAudio on the system's default devices (a device chosen by name is
// not opened: it is reported missing and the default is used). On Linux desktops these are
// ALSA's "default" device, which PulseAudio or PipeWire share between programs; no hardware
// device is ever opened exclusively.
//
// PortAudio's start-up chatter (ALSA's and JACK's messages on stderr) is silenced before it is
// initialised. Streams are stopped by aborting them, so reset and close return at once even
// when the sound server has gone away.
//
// Threads: the system object is made and destroyed on one thread, with no device of it alive
// at its end; its devices follow the device layer's rules.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>

#include "engine/SoundDevice.h"

namespace tonavise {

class PortAudioSystem final : public DeviceFactory {
  public:
    PortAudioSystem();
    ~PortAudioSystem() override;
    PortAudioSystem(const PortAudioSystem&) = delete;
    PortAudioSystem& operator=(const PortAudioSystem&) = delete;

    // kDeviceOk, or PortAudio's error from its initialisation (every open then fails with it).
    DeviceResult InitResult() const { return initResult_.load(); }

    // Devices, around their stream's open and close: PortAudio reads the system's devices once,
    // when it starts, so a sound server that comes up later is not among them. When an open has
    // failed and no stream is open, the next open starts PortAudio afresh first. The lock keeps
    // opens, closes and that restart apart. Returns the initialisation's result.
    std::unique_lock<std::mutex> LockStreams() { return std::unique_lock(streamsMutex_); }
    DeviceResult RefreshIfStale();  // with the lock
    void NoteOpen(bool opened);     // with the lock
    void NoteClosed();              // with the lock

    std::unique_ptr<WaveDevice> Create(DeviceDirection direction, StreamRole role) override;
    std::string_view BackendName() const override { return "PortAudio"; }

    // Whether a default input and a default output device exist (a sound server is reachable).
    bool HasDefaultDevices() const;

    // Devices, at their open: only the system's default opens, so a chosen device counts as
    // missing.
    void NoteDefaultOnly(DeviceDirection direction);

    // PortAudio's text for one of its codes, or the device layer's text for one of its own.
    static std::string ErrorTextFor(DeviceResult code);

  private:
    std::atomic<DeviceResult> initResult_{0};  // written with the streams' lock
    std::mutex streamsMutex_;
    int openStreams_ = 0;  // under streamsMutex_
    bool stale_ = false;   // under streamsMutex_: an open failed since the last start
};

}  // namespace tonavise
