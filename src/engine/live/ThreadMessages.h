// The application's own messages to its worker threads, with fixed values (tests and the post
// log compare them). Each is described beside its receiver.
#pragma once

#include <cstdint>

#include "engine/live/MessageThread.h"

namespace tonavise {

// ToneThread
inline constexpr uint32_t UM_METRONOME_REBUILD = WM_APP + 0x14;
inline constexpr uint32_t UM_METRONOME_TOGGLE = WM_APP + 0x15;
inline constexpr uint32_t UM_METRONOME_STOP = WM_APP + 0x16;
inline constexpr uint32_t UM_OUTPUT_STOP = WM_APP + 0x17;
inline constexpr uint32_t UM_TONE_START = WM_APP + 0x18;
// One bar of the metronome, then recording starts; the cancel (Stop) ends it without recording.
inline constexpr uint32_t UM_METRONOME_COUNT_IN = WM_APP + 0x19;
inline constexpr uint32_t UM_METRONOME_COUNT_IN_CANCEL = WM_APP + 0x1A;

// PlayerThread
inline constexpr uint32_t UM_PLAYER_STOP = WM_APP + 0x1E;
inline constexpr uint32_t UM_PLAYER_PAUSE = WM_APP + 0x1F;
inline constexpr uint32_t UM_PLAYER_PLAY = WM_APP + 0x20;
inline constexpr uint32_t UM_PLAYER_RESUME = WM_APP + 0x21;
inline constexpr uint32_t UM_PLAYER_OPEN = WM_APP + 0x22;
inline constexpr uint32_t UM_PLAYER_FEED_SCOPE = WM_APP + 0x23;
inline constexpr uint32_t UM_PLAYER_SET_SPEED = WM_APP + 0x24;
inline constexpr uint32_t UM_PLAYER_SET_TRANSPOSE = WM_APP + 0x25;
inline constexpr uint32_t UM_PLAYER_SET_LOOP = WM_APP + 0x26;

// RecorderThread
inline constexpr uint32_t UM_RECORDER_STOP_PLAYBACK = WM_APP + 0x28;
inline constexpr uint32_t UM_RECORDER_PLAY = WM_APP + 0x29;
inline constexpr uint32_t UM_RECORDER_RECORD_ON = WM_APP + 0x2A;
inline constexpr uint32_t UM_RECORDER_RECORD_OFF = WM_APP + 0x2B;

// SignalThread
inline constexpr uint32_t UM_SIGNAL_START = WM_APP + 0x32;
inline constexpr uint32_t UM_SIGNAL_STOP = WM_APP + 0x33;

}  // namespace tonavise
