// The choice of the sound back end: the desktop's sound server (PulseAudio, or PipeWire through
// its PulseAudio service) when one answers, else PortAudio (plain ALSA, JACK). The environment
// variable TONAVISE_SOUND forces one: "pulse" or "portaudio" ("auto" or unset: the automatic
// choice).
//
// Threads: any; the system made is used as its class says.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "engine/device/SoundDevice.h"

namespace tonavise {

enum class SoundBackend { Automatic, Pulse, PortAudio };

inline constexpr const char* kSoundBackendVariable = "TONAVISE_SOUND";

// "auto", "pulse" or "portaudio"; nullopt for anything else.
std::optional<SoundBackend> ParseSoundBackend(std::string_view text);

// The back end TONAVISE_SOUND asks for; Automatic when it is unset, empty or unknown.
SoundBackend SoundBackendFromEnvironment();

// The sound system of `backend`. Automatic tries the sound server first (it waits at most
// kPulseAnswerSeconds for an answer) and takes PortAudio when there is none, unless PortAudio
// finds no devices either: then the server's back end, whose opens connect again until the
// server is there. A forced sound
// server that cannot be reached, and a server that took the connection but does not answer,
// are kept: their devices' opens fail with the server's reason.
std::unique_ptr<DeviceFactory> OpenSoundSystem(SoundBackend backend);

}  // namespace tonavise
