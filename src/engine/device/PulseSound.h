// The desktop's sound server through its own client library: PulseAudio, and PipeWire through
// its PulseAudio service. Every stream carries a name that says what it is for (StreamName)
// and the program's icon, so the desktop's volume control lists it properly; any source,
// the monitors of the outputs included, and any sink can be chosen by its server name.
//
// One mainloop thread of the library serves all streams: it sleeps in poll() until the server
// sends or asks for sound, and then runs the streams' callbacks, which only hand the sound to
// the device layer (no allocation, no lock of ours, no wait). The owner threads take the
// mainloop's lock for their short calls (connect a stream, disconnect it); they wait for the
// server's answers with a timeout, so a server that does not answer can never hang them.
//
// Streams are connected when a device starts and disconnected when it stops: a disconnect
// never waits for the server, so reset and close return at once even when it has gone away.
//
// Threads: the system object is made and destroyed on one thread, with no device of it alive
// at its end; its devices follow the device layer's rules.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "engine/device/SoundDevice.h"

namespace tonavise {

class PulseConnection;

// How long the program waits for the sound server to accept the connection or answer a request.
inline constexpr double kPulseAnswerSeconds = 1.5;

class PulseSoundSystem final : public DeviceFactory {
  public:
    // Connects to the server of the environment (PULSE_SERVER, else the user's own).
    PulseSoundSystem();
    ~PulseSoundSystem() override;
    PulseSoundSystem(const PulseSoundSystem&) = delete;
    PulseSoundSystem& operator=(const PulseSoundSystem&) = delete;

    // kDeviceOk when the server answered; otherwise the reason, and every open tries again.
    DeviceResult InitResult() const { return initResult_; }
    // A server took the connection but did not answer in time: one is there, but hung.
    bool ServerHung() const;

    std::unique_ptr<WaveDevice> Create(DeviceDirection direction, StreamRole role) override;
    // Sources (monitors included) or sinks, with the server's default marked.
    std::vector<SoundDeviceInfo> Devices(DeviceDirection direction) override;
    // Asks the server for the one device (not the whole list).
    bool IsPresent(DeviceDirection direction, const std::string& name) override;
    std::string_view BackendName() const override { return "PulseAudio"; }

    // The library's text for one of its codes, or the device layer's text for one of its own.
    static std::string ErrorTextFor(DeviceResult code);

    // Devices, at their open: the server name to open in `direction` (empty: the default). A
    // chosen device the server does not have is noted as missing and the default is used.
    std::string ResolveDevice(DeviceDirection direction);

    // Tests: the outputs' requests for the stream's timing go unanswered from now on, as when
    // the server's answer is lost; a stream must start all the same.
    void LoseTimingAnswers(bool lose) { loseTimingAnswers_.store(lose); }
    bool TimingAnswersLost() const { return loseTimingAnswers_.load(std::memory_order_relaxed); }

  private:
    std::unique_ptr<PulseConnection> connection_;
    std::atomic<bool> loseTimingAnswers_{false};
    DeviceResult initResult_ = kDeviceOk;
};

}  // namespace tonavise
