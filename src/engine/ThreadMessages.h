// The application's own messages to its worker threads, with their historic values. Each is
// described beside its receiver.
#pragma once

#include <cstdint>

#include "MessageThread.h"

namespace tonavise {

// CWaveInThread
inline constexpr uint32_t UM_MIC_REOPEN = WM_APP + 0x0A;

// CWaveOutThread
inline constexpr uint32_t UM_METRONOME_REBUILD = WM_APP + 0x14;
inline constexpr uint32_t UM_METRONOME_TOGGLE = WM_APP + 0x15;
inline constexpr uint32_t UM_METRONOME_STOP = WM_APP + 0x16;
inline constexpr uint32_t UM_OUTPUT_STOP = WM_APP + 0x17;
inline constexpr uint32_t UM_TONE_START = WM_APP + 0x18;

// CWaveSignalThread
inline constexpr uint32_t UM_SIGNAL_START = WM_APP + 0x32;
inline constexpr uint32_t UM_SIGNAL_STOP = WM_APP + 0x33;

}  // namespace tonavise
