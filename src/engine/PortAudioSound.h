// The real sound system: PortAudio on the system's default devices. On Linux desktops these are
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

#include <memory>

#include "engine/SoundDevice.h"

namespace tonavise {

class PortAudioSystem final : public DeviceFactory {
  public:
    PortAudioSystem();
    ~PortAudioSystem() override;
    PortAudioSystem(const PortAudioSystem&) = delete;
    PortAudioSystem& operator=(const PortAudioSystem&) = delete;

    // kDeviceOk, or PortAudio's error from its initialisation (every open then fails with it).
    DeviceResult InitResult() const { return initResult_; }

    std::unique_ptr<WaveDevice> Create(DeviceDirection direction) override;

    // Whether a default input and a default output device exist (a sound server is reachable).
    bool HasDefaultDevices() const;

    // PortAudio's text for one of its codes, or the device layer's text for one of its own.
    static std::string ErrorTextFor(DeviceResult code);

  private:
    DeviceResult initResult_;
};

}  // namespace tonavise
