#include "engine/live/AnalysisThread.h"

#include <chrono>

#include "engine/core/AudioFormat.h"
#include "engine/core/ThreadName.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/CaptureStore.h"

namespace tonavise {

bool AnalyseStereo(const CaptureStore& store, const PlayerStatus* player) {
    // While a file plays, only the file writes the histories: a stereo microphone's second
    // history holds its last block from before the file started, and must not be mixed in.
    if (player != nullptr && player->IsPlaying()) {
        return player->ChannelCount() == 2;
    }
    return store.channelCount.load(std::memory_order_relaxed) == 2;
}

void RunAnalysisPass(CaptureStore& store,
                     Fft& fft,
                     const KeyTable& keyTable,
                     bool stereo,
                     NsdfPitchEstimator* precise) {
    const bool withPrecise =
        precise != nullptr && precise->ready() &&
        keyTable.pitchMethod.load(std::memory_order_relaxed) == kPitchMethodPrecise;
    {
        std::lock_guard lock(store.historyLock);
        if (stereo) {
            fft.LoadStereo(store.channel1History.data(), store.channel2History.data());
        } else {
            fft.LoadMono(store.channel1History.data());
        }
        if (withPrecise && stereo) {
            precise->LoadStereo(store.channel1History, store.channel2History);
        } else if (withPrecise) {
            precise->LoadMono(store.channel1History);
        }
    }
    fft.Transform();
    SpectrumFrame& frame = store.spectrum.beginWrite();
    fft.Magnitudes(frame.spectrum, keyTable.logarithmOption.load(std::memory_order_relaxed) == 1);
    frame.fundamentalHz = fft.Fundamental(frame.spectrum, keyTable);
    frame.pitchMethod = withPrecise ? kPitchMethodPrecise : kPitchMethodStandard;
    // The precise estimate works on the samples, not on the displayed spectrum: neither the
    // logarithmic option nor the standard estimate changes it.
    frame.precise = withPrecise ? precise->Estimate(keyTable.KeyFrequency(0),
                                                    keyTable.KeyFrequency(kKeyCount - 1))
                                : PitchEstimate{};
    store.spectrum.publish();
    store.SpectrumReady();
}

AnalysisThread::AnalysisThread(CaptureStore& store,
                               Fft& fft,
                               const KeyTable& keyTable,
                               const PlayerStatus* player)
    : store_(store), fft_(fft), keyTable_(keyTable), player_(player) {}

AnalysisThread::~AnalysisThread() {
    StopAnalysis();
}

bool AnalysisThread::StartAnalysis() {
    if (thread_.joinable()) {
        return true;
    }
    if (!fft_.Init(kFftSize)) {
        return false;
    }
    precise_.Init();
    analysisRunning_.store(true, std::memory_order_relaxed);
    thread_ = std::thread([this] {
        NameThisThread("analysis");
        Run();
    });
    return true;
}

void AnalysisThread::StopAnalysis() {
    analysisRunning_.store(false, std::memory_order_release);
    // Wakes the loop, which sleeps on the block event only: it sees the flag at once, or after
    // the pass it is in (well under a millisecond), so joining cannot stall the caller for long.
    // The event keeps the wake if the loop is not waiting yet.
    if (thread_.joinable()) {
        store_.startFftEvent.set();
        thread_.join();
    }
}

void AnalysisThread::Run() {
    for (;;) {
        store_.startFftEvent.wait();
        if (!analysisRunning_.load(std::memory_order_acquire)) {
            return;
        }
        if (player_ == nullptr) {
            continue;  // no file player yet: this block is skipped
        }
        RunAnalysisPass(store_, fft_, keyTable_, AnalyseStereo(store_, player_), &precise_);
    }
}

}  // namespace tonavise
