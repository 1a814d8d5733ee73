// The spectrum analysis: a plain thread that wakes on the store's startFftEvent, windows the
// newest history, transforms it, publishes the magnitudes and the fundamental, and sets
// finishedFftEvent.
//
// Threads: StartAnalysis/StopAnalysis from the owner (the view); the pass runs on the analysis
// thread, or on the caller's thread through RunAnalysisPass (the command-line tool).
#pragma once

#include <atomic>
#include <thread>

#include "engine/core/AutoResetEvent.h"
#include "engine/dsp/NsdfPitch.h"

namespace tonavise {

class CaptureStore;
class KeyTable;
class Fft;

// What the analysis needs to know of the file player. Implementations answer from atomics.
class PlayerStatus {
  public:
    virtual ~PlayerStatus() = default;
    virtual bool IsPlaying() const = 0;  // also while paused
    virtual int ChannelCount() const = 0;
};

// Mono or stereo input for the next pass: while a file plays (or is paused), stereo when the
// file has two channels; otherwise stereo when the microphone is.
bool AnalyseStereo(const CaptureStore& store, const PlayerStatus* player);

// One analysis of the current histories: load (under historyLock), transform, magnitudes in
// the scaling of keyTable.logarithmOption, fundamental; publishes the result into store.spectrum
// and sets finishedFftEvent. fft must be initialised to the history length. When
// keyTable.pitchMethod is kPitchMethodPrecise and `precise` is given and initialised, the precise
// estimate is published beside the standard one, which stays exactly as without it.
void RunAnalysisPass(CaptureStore& store,
                     Fft& fft,
                     const KeyTable& keyTable,
                     bool stereo,
                     NsdfPitchEstimator* precise = nullptr);

class AnalysisThread {
  public:
    // player may be null: the file playback thread does not exist, and blocks are skipped.
    AnalysisThread(CaptureStore& store,
                   Fft& fft,
                   const KeyTable& keyTable,
                   const PlayerStatus* player);
    ~AnalysisThread();
    AnalysisThread(const AnalysisThread&) = delete;
    AnalysisThread& operator=(const AnalysisThread&) = delete;

    // Prepares the transform for the history length and the precise estimate, and starts the
    // thread. Returns false, and starts nothing, when the transform's memory cannot be had;
    // without the precise estimate's memory the thread runs with the standard estimate only.
    bool StartAnalysis();

    // Asks the thread to end (its flag, then the block event it sleeps on) and waits for it.
    void StopAnalysis();

    bool IsRunning() const { return thread_.joinable(); }

  private:
    void Run();

    CaptureStore& store_;
    Fft& fft_;
    const KeyTable& keyTable_;
    const PlayerStatus* player_;
    NsdfPitchEstimator precise_;  // used by the analysis thread only
    std::atomic<bool> analysisRunning_{false};
    std::thread thread_;
};

}  // namespace tonavise
