#include "engine/live/TunerAnalysis.h"

#include <algorithm>
#include <cmath>

#include "engine/core/AudioFormat.h"
#include "engine/core/SteadyClock.h"
#include "engine/core/ThreadName.h"
#include "engine/dsp/KeyTable.h"
#include "engine/dsp/StringTargets.h"

namespace tonavise {

// Hands the series' readings to the ring, with the strobe's position at that moment.
class TunerAnalysis::Publisher final : public PitchSeries::Sink {
  public:
    explicit Publisher(TunerAnalysis& owner) : owner_(owner) {}
    void OnInstant(const SeriesReading& r) override { Publish(r, false); }
    void OnSteady(const SeriesReading& r) override { Publish(r, true); }

  private:
    void Publish(const SeriesReading& r, bool steady) {
        TunerReading reading;
        reading.endSample = r.endSample;
        reading.hz = r.estimate.hasPitch ? r.estimate.hz : 0.0;
        reading.clarity = r.estimate.clarity;
        reading.steady = steady;
        reading.noteStarted = r.noteStarted;
        reading.seconds = SteadySeconds();
        reading.strobeBands = owner_.strobe_.Bands();
        owner_.readings_.Push(reading);
        if (steady) {
            owner_.steadyCount_.fetch_add(1, std::memory_order_relaxed);
            owner_.wake.Signal();
        }
    }

    TunerAnalysis& owner_;
};

TunerAnalysis::TunerAnalysis(const KeyTable& keyTable) : keyTable_(keyTable) {}

TunerAnalysis::~TunerAnalysis() {
    Stop();
}

bool TunerAnalysis::Start() {
    if (thread_.joinable()) {
        return true;
    }
    if (!series_.Init()) {
        return false;
    }
    series_.Reset();
    readings_.Clear();
    {
        // A producer that saw the analysis running just before the last stop may still be
        // appending: the queue starts again under its lock.
        std::lock_guard lock(producers_);
        head_.store(0, std::memory_order_relaxed);
        tail_.store(0, std::memory_order_relaxed);
    }
    {
        std::lock_guard lock(tuningLock_);
        strobeKey_ = -1;
    }
    running_.store(true, std::memory_order_release);
    thread_ = std::thread([this] {
        NameThisThread("tuner");
        Run();
    });
    return true;
}

void TunerAnalysis::Stop() {
    running_.store(false, std::memory_order_release);
    if (thread_.joinable()) {
        pieceEvent_.set();
        thread_.join();
    }
}

void TunerAnalysis::SetTuning(const Tuning& tuning) {
    std::lock_guard lock(tuningLock_);
    tuning_ = tuning;
    strobeKey_ = -1;  // read again by the analysis: the target moves
}

void TunerAnalysis::SetStrings(std::span<const double> targetsHz, int locked) {
    std::lock_guard lock(tuningLock_);
    stringCount_ = static_cast<int>(std::min(targetsHz.size(), strings_.size()));
    std::copy_n(targetsHz.begin(), stringCount_, strings_.begin());
    lockedString_ = locked;
    strobeKey_ = -1;
}

void TunerAnalysis::OnPiece(std::span<const int16_t> frames, int channels, Source source) {
    if (!running_.load(std::memory_order_acquire)) {
        return;
    }
    const int frameCount =
        std::min<int>(static_cast<int>(frames.size()) / std::max(channels, 1), kBlockFrames);
    {
        std::lock_guard lock(producers_);
        const uint64_t head = head_.load(std::memory_order_relaxed);
        if (head - tail_.load(std::memory_order_acquire) >= kQueueLength) {
            dropped_.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        Piece& piece = queue_[head % kQueueLength];
        std::copy_n(
            frames.data(), static_cast<std::size_t>(frameCount) * channels, piece.samples.data());
        piece.frames = frameCount;
        piece.channels = channels;
        piece.source = source;
        head_.store(head + 1, std::memory_order_release);
    }
    pieceEvent_.set();
}

void TunerAnalysis::Run() {
    Publisher publisher(*this);
    bool haveSource = false;
    Source lastSource = Source::Microphone;
    while (running_.load(std::memory_order_acquire)) {
        pieceEvent_.wait();
        uint64_t tail = tail_.load(std::memory_order_relaxed);
        while (running_.load(std::memory_order_acquire) &&
               tail != head_.load(std::memory_order_acquire)) {
            const Piece& piece = queue_[tail % kQueueLength];
            if (haveSource && piece.source != lastSource) {
                series_.Reset();  // a file began or ended: a new stream
                std::lock_guard lock(tuningLock_);
                strobeKey_ = -1;
            }
            haveSource = true;
            lastSource = piece.source;
            series_.SetRange(keyTable_.KeyFrequency(0),
                             keyTable_.KeyFrequency(kKeyCount - 1),
                             keyTable_.GetA4());
            const std::span<const int16_t> samples(
                piece.samples.data(), static_cast<std::size_t>(piece.frames) * piece.channels);
            // The strobe turns on the same sound, one piece behind the note it follows.
            const int16_t* mono = piece.samples.data();
            if (piece.channels == 2) {
                for (int i = 0; i < piece.frames; ++i) {
                    mono_[i] = static_cast<int16_t>((samples[2 * i] + samples[2 * i + 1]) >> 1);
                }
                mono = mono_.data();
            }
            const double note = series_.noteHz();
            if (note > 0.0) {
                std::lock_guard lock(tuningLock_);
                int key = 0;
                double target = 0.0;
                if (stringCount_ > 0) {
                    const StringReading string =
                        NearestString(note,
                                      std::span<const double>(strings_.data(), stringCount_),
                                      lockedString_);
                    key = -1 - string.string;
                    target = strings_[static_cast<std::size_t>(string.string)];
                } else {
                    const TunedReading tuned = tuning_.Measure(note);
                    key = tuned.key * 1000 + tuned.degree;
                    target = note * std::exp2(-tuned.cents / 1200.0);
                }
                if (key != strobeKey_) {
                    strobeKey_ = key;
                    strobe_.SetTarget(target, kSampleRate);
                }
                strobe_.Process(std::span<const int16_t>(mono, piece.frames));
            }
            if (piece.channels == 2) {
                // PushStereo wants the channels apart: the mixed piece is pushed as mono.
                series_.Push(std::span<const int16_t>(mono_.data(), piece.frames), publisher);
            } else {
                series_.Push(samples, publisher);
            }
            tail_.store(++tail, std::memory_order_release);
        }
    }
}

}  // namespace tonavise
