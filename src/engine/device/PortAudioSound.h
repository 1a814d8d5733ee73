// The real sound system: PortAudio, on the system's default devices unless one it lists (by
// its name, such as "pulse" or "USB Audio: - (hw:1,0)") was chosen; a chosen device it does not
// list is reported missing and the default is used. On Linux desktops the default is ALSA's
// "default" device, which PulseAudio or PipeWire share between programs.
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
#include <vector>

#include "engine/device/SoundDevice.h"

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

    // The devices of ALSA (PortAudio's host interface for it), as PortAudio saw them when it
    // last started; empty when it cannot start.
    std::vector<SoundDeviceInfo> Devices(DeviceDirection direction) override;

    // Devices, at their open, with the lock: the index of the device to open (the chosen one if
    // PortAudio lists it, else the default; a chosen one that is not listed is noted missing).
    int DeviceToOpen(DeviceDirection direction);

    // PortAudio's text for one of its codes, or the device layer's text for one of its own.
    static std::string ErrorTextFor(DeviceResult code);

  private:
    std::atomic<DeviceResult> initResult_{0};  // written with the streams' lock
    std::mutex streamsMutex_;
    int openStreams_ = 0;  // under streamsMutex_
    bool stale_ = false;   // under streamsMutex_: an open failed since the last start
};

}  // namespace tonavise
