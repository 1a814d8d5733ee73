#include "engine/device/SoundSystem.h"

#include <cstdlib>

#include "engine/device/PortAudioSound.h"
#include "engine/device/PulseSound.h"

namespace tonavise {

std::optional<SoundBackend> ParseSoundBackend(std::string_view text) {
    if (text == "auto") {
        return SoundBackend::Automatic;
    }
    if (text == "pulse") {
        return SoundBackend::Pulse;
    }
    if (text == "portaudio") {
        return SoundBackend::PortAudio;
    }
    return std::nullopt;
}

SoundBackend SoundBackendFromEnvironment() {
    const char* value = std::getenv(kSoundBackendVariable);  // NOLINT(concurrency-mt-unsafe)
    if (value == nullptr) {
        return SoundBackend::Automatic;
    }
    return ParseSoundBackend(value).value_or(SoundBackend::Automatic);
}

std::unique_ptr<DeviceFactory> OpenSoundSystem(SoundBackend backend) {
    if (backend != SoundBackend::PortAudio) {
        auto pulse = std::make_unique<PulseSoundSystem>();
        // A server that took the connection and hangs is kept too: PortAudio would reach the
        // same server through ALSA's plugin and wait far longer for it.
        if (pulse->InitResult() == kDeviceOk || pulse->ServerHung() ||
            backend == SoundBackend::Pulse) {
            return pulse;
        }
    }
    auto portAudio = std::make_unique<PortAudioSystem>();
    // Neither answers: the sound server has not started yet (a program started with the
    // desktop, before its sound). The server's back end connects again at every open, so the
    // devices come when it does; PortAudio without devices would stay deaf.
    if (backend == SoundBackend::Automatic && !portAudio->HasDefaultDevices()) {
        portAudio.reset();
        return std::make_unique<PulseSoundSystem>();
    }
    return portAudio;
}

}  // namespace tonavise
