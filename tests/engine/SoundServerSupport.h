// The end-to-end tests run on both real back ends, against the private sound server that
// scripts/with-sound-server.sh starts. Without such a server they are skipped; when the script
// says it started one (TONAVISE_SOUND_SERVER=1) and a back end cannot reach it, they fail.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "engine/device/PortAudioSound.h"
#include "engine/device/PulseSound.h"
#include "engine/device/SoundSystem.h"

namespace tonavise::test {

inline const auto kServerBackends = ::testing::Values(SoundBackend::Pulse, SoundBackend::PortAudio);

inline std::string BackendLabel(const ::testing::TestParamInfo<SoundBackend>& info) {
    return info.param == SoundBackend::Pulse ? "Pulse" : "PortAudio";
}

// What the private server's control script says of the server: whether it runs and the end of
// its log, so that a test that cannot reach it tells why (empty without the script).
inline std::string ServerStatus() {
    const char* control = std::getenv("TONAVISE_SOUND_SERVER_CTL");
    if (control == nullptr) {
        return {};
    }
    const std::string command = std::string(control) + " status 2>&1";
    std::string text;
    if (FILE* out = popen(command.c_str(), "r")) {
        char chunk[512];
        while (std::fgets(chunk, sizeof chunk, out) != nullptr) {
            text += chunk;
        }
        pclose(out);
    }
    return text;
}

inline bool HasPrivateServer() {
    const char* server = std::getenv("TONAVISE_SOUND_SERVER");
    return server != nullptr && std::string(server) == "1";
}

// Opens `backend` on the private server (call from SetUp, after HasPrivateServer).
inline void OpenServerBackend(SoundBackend backend, std::unique_ptr<DeviceFactory>& devices) {
    if (backend == SoundBackend::Pulse) {
        auto pulse = std::make_unique<PulseSoundSystem>();
        ASSERT_EQ(pulse->InitResult(), kDeviceOk)
            << PulseSoundSystem::ErrorTextFor(pulse->InitResult()) << "\n"
            << ServerStatus();
        devices = std::move(pulse);
    } else {
        auto portAudio = std::make_unique<PortAudioSystem>();
        ASSERT_TRUE(portAudio->HasDefaultDevices())
            << "the sound server was started but PortAudio finds no default devices\n"
            << ServerStatus();
        devices = std::move(portAudio);
    }
}

}  // namespace tonavise::test
