// The tuner's analysis: the two series of the precise estimate (PitchSeries) and the strobe's
// phase, on the sound as it arrives (the microphone's 10 ms pieces, or a playing file's
// blocks), on a thread of its own. It runs only while the tuner is shown.
//
// The pieces reach it through a queue of copies: the producers (the capture thread, the
// player's thread) never wait for it; a piece that finds the queue full is dropped and
// counted. Each reading goes into a ring that any thread reads; every steady reading signals
// `wake`, which the tuner view watches.
//
// Threads: Start/Stop from the owner's thread; OnPiece from the producers; Readings(),
// StrobeBands() and the counters from any thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <thread>

#include "engine/core/AutoResetEvent.h"
#include "engine/core/SeqlockRing.h"
#include "engine/dsp/PitchSeries.h"
#include "engine/dsp/Strobe.h"
#include "engine/dsp/Temperament.h"
#include "engine/live/CaptureThread.h"
#include "engine/live/WakeDescriptor.h"

namespace tonavise {

class KeyTable;

struct TunerReading {
    int64_t endSample = 0;  // of the stream the readings are taken from
    double hz = 0.0;        // 0 without pitch
    double clarity = 0.0;
    bool steady = false;  // from the steady series, else the instantaneous one
    bool noteStarted = false;
    double seconds = 0.0;      // steady-clock time when it was published
    double strobeBands = 0.0;  // the strobe's bands against the note's target, at that time
};

class TunerAnalysis final : public PieceListener {
  public:
    static constexpr std::size_t kReadingsKept = 64;  // over a second of both series
    using Readings = SeqlockRing<TunerReading, kReadingsKept>;

    explicit TunerAnalysis(const KeyTable& keyTable);
    ~TunerAnalysis() override;
    TunerAnalysis(const TunerAnalysis&) = delete;
    TunerAnalysis& operator=(const TunerAnalysis&) = delete;

    // Allocates and starts the thread; false (nothing started) without memory.
    bool Start();
    // Ends the thread and forgets the stream.
    void Stop();
    bool running() const { return running_.load(std::memory_order_acquire); }

    void OnPiece(std::span<const int16_t> frames, int channels, Source source) override;

    // The tuning whose targets the strobe turns against (equal temperament on A4 until set).
    void SetTuning(const Tuning& tuning);
    // Open strings to turn against instead (none: empty), and the string locked to (-1: the
    // nearest).
    void SetStrings(std::span<const double> targetsHz, int locked);

    // The newest readings of both series, newest first.
    Readings::Snapshot Latest() const { return readings_.Read(); }
    uint64_t steadyCount() const { return steadyCount_.load(std::memory_order_relaxed); }
    uint64_t droppedPieces() const { return dropped_.load(std::memory_order_relaxed); }

    // Signalled with every steady reading.
    mutable WakeDescriptor wake;

  private:
    struct Piece {
        std::array<int16_t, 2 * kBlockFrames> samples;
        int frames = 0;
        int channels = 1;
        Source source = Source::Microphone;
    };
    static constexpr std::size_t kQueueLength = 32;

    class Publisher;
    void Run();

    const KeyTable& keyTable_;
    PitchSeries series_;
    StrobePhase strobe_;
    // The key whose target the strobe turns against (-1: none); guarded by tuningLock_, since a
    // new tuning resets it from the owner's thread.
    int strobeKey_ = -1;
    std::array<int16_t, kBlockFrames> mono_{};
    std::mutex tuningLock_;  // held for a copy from the owner, a look-up from the analysis
    Tuning tuning_;
    std::array<double, 12> strings_{};
    int stringCount_ = 0;
    int lockedString_ = -1;
    Readings readings_;
    std::atomic<uint64_t> steadyCount_{0};
    std::atomic<uint64_t> dropped_{0};

    // The queue: producers append under the lock (a copy, never a wait for the analysis); the
    // analysis takes from the tail without it.
    std::mutex producers_;
    std::array<Piece, kQueueLength> queue_{};
    std::atomic<uint64_t> head_{0};
    std::atomic<uint64_t> tail_{0};
    AutoResetEvent pieceEvent_;

    std::atomic<bool> running_{false};
    std::thread thread_;
};

}  // namespace tonavise
