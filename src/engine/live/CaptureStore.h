// The one hand-over point of all sound the scope shows: the rolling histories of the newest
// samples of each channel, the latest spectrum, the lock that guards the histories, the three
// events by which producers, the analysis and the view wake each other, the channel count and
// the scope mode. The scope mode stays here, beside the events, because it decides which
// consumer a block wakes (the view for the waveform, the analysis for a spectrum). The user's
// practice settings live in PracticeControls.
//
// Threads: appendBlock() from the one producer of the moment (capture or file player);
// historyLock held by readers only for copying; the channel count and scope mode are atomics any
// thread may read; the spectrum exchange has one writer (analysis) and one reader (view).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>

#include "engine/core/AudioFormat.h"
#include "engine/core/AutoResetEvent.h"
#include "engine/live/SpectrumExchange.h"
#include "engine/live/WakeDescriptor.h"

namespace tonavise {

enum ScopeMode : int32_t {
    kScopeNone = -1,
    kScopeWave = 0,
    kScopeFrequency = 1,
    kScopePitch = 2,
};

class CaptureStore {
  public:
    using History = std::array<int16_t, kHistoryLength>;

    CaptureStore() = default;
    CaptureStore(const CaptureStore&) = delete;
    CaptureStore& operator=(const CaptureStore&) = delete;

    // Start-up, before any worker runs: zero the histories and the spectrum, reset the events.
    void Create();
    // Exit, after every worker has ended. Does nothing when Create() never ran.
    void Close();
    bool IsCreated() const { return created_; }

    // Shifts one block of kBlockFrames frames into the histories (1 channel: channel 1 only;
    // 2 channels: de-interleaved into both; any other count: no change), then wakes the waveform
    // view (scope mode 0) or the analysis (any other mode). `block` holds kBlockFrames x channels
    // samples; a shorter span changes nothing but still signals. The view is woken with
    // micDataEvent (viewWake).
    void AppendBlock(std::span<const int16_t> block, int channels);

    std::atomic<int32_t> channelCount{1};
    std::atomic<int32_t> scopeMode{kScopeNone};

    std::mutex historyLock;
    History channel1History{};  // guarded by historyLock; oldest first
    History channel2History{};  // guarded by historyLock; written only by stereo sources

    SpectrumExchange spectrum;

    AutoResetEvent micDataEvent;      // a block arrived while the waveform is shown
    AutoResetEvent startFftEvent;     // a block arrived while a spectrum is shown
    AutoResetEvent finishedFftEvent;  // the analysis published a new spectrum
    // Signalled with every micDataEvent and finishedFftEvent: the view sleeps on it, drains it,
    // then looks at those two events.
    WakeDescriptor viewWake;

    // The analysis, after it has published a spectrum: finishedFftEvent, and the view woken.
    void SpectrumReady();

  private:
    bool created_ = false;
};

}  // namespace tonavise
