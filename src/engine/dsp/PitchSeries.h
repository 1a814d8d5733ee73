// The precise estimate as two series of readings from a stream of sound, for the tuner and the
// pitch track:
//   - the instantaneous series, the newest 46 ms every 10 ms: it follows the pitch closely
//     (a vibrato shows as a wave) and tells when a new note begins;
//   - the steady series, every `steadyHop` samples (20 ms by default): the newest 186 ms, or
//     only as much as there is of the current note, so that a reading never measures the note
//     before it. It is the tuner's needle and number: a tenth of a cent on a held note.
//
// A reading that straddles two notes names one of them or none, never a third key: a new note
// counts only once readings in a row agree on it (three, 20 ms; two after silence), its
// period holds in the newest sound and that sound does not also repeat at half the period;
// every reading, steady or instantaneous, that names another key than the note followed is
// dropped.
//
// Init() allocates everything; Push never allocates. One thread uses an instance at a time.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/dsp/NsdfPitch.h"
#include "engine/dsp/PitchEstimate.h"

namespace tonavise {

struct SeriesReading {
    // Samples streamed when the reading was taken: the end of the newest sound it used.
    int64_t endSample = 0;
    // No pitch where the sound has none or the reading straddles two notes.
    PitchEstimate estimate{};
    // The first reading of a newly detected note (the steady frame starts again there).
    bool noteStarted = false;
};

class PitchSeries {
  public:
    static constexpr int kInstantHop = 441;  // 10 ms
    static constexpr int kSteadyHop = 882;   // 20 ms

    class Sink {
      public:
        virtual ~Sink() = default;
        virtual void OnInstant(const SeriesReading&) {}
        virtual void OnSteady(const SeriesReading&) {}
    };

    // steadyHop: samples between steady readings, at least 1.
    explicit PitchSeries(int steadyHop = kSteadyHop);

    // Allocates the estimator and the history. False when memory runs out; Push then reads
    // nothing.
    bool Init();

    // The frequencies of the lowest and highest key (as NsdfPitchEstimator::Estimate takes them)
    // and A4, whose equal-tempered keys name the readings: a reading of the note followed that
    // falls on another key (a wobble of its attack across the half-way line) is dropped.
    void SetRange(double lowHz, double highHz, double a4Hz = 440.0);

    // Forgets the sound streamed so far: the next Push starts a new stream at sample 0.
    void Reset();

    // Streams mono samples, or the mean of two channels, and hands every reading that falls due
    // within them to `sink`: at each instant, the instantaneous reading before the steady one.
    void Push(std::span<const int16_t> mono, Sink& sink);
    void PushStereo(std::span<const int16_t> left, std::span<const int16_t> right, Sink& sink);

    int64_t streamed() const { return streamed_; }
    // The note the instantaneous series follows, 0 when none.
    double noteHz() const { return noteHz_; }

  private:
    void Append(const int16_t* left, const int16_t* right, int count, Sink& sink);
    void ReadInstant(Sink& sink);
    void ReadSteady(Sink& sink);
    std::span<const int16_t> History() const;
    // Whether hz and the note followed fall on the same key.
    bool OnNoteKey(double hz) const;

    NsdfPitchEstimator estimator_;  // the instantaneous readings
    // The steady readings: its own, as it remembers the partial it follows on a held note.
    NsdfPitchEstimator steadyEstimator_;
    std::vector<int16_t> history_;  // the newest samples, at least kInputLength once streamed
    int filled_ = 0;
    int64_t streamed_ = 0;
    int steadyHop_;
    int64_t nextInstant_ = kInstantHop;
    int64_t nextSteady_;
    double lowHz_ = 27.5;
    double highHz_ = 4186.009;
    double a4Hz_ = 440.0;

    double noteHz_ = 0.0;       // the note followed: a slow mean of its readings
    int64_t noteStart_ = 0;     // the first sample of the current note's steady frame
    double candidateHz_ = 0.0;  // readings off the note, waiting for more to agree
    int candidateCount_ = 0;
    int misses_ = 0;          // instantaneous readings in a row without pitch
    int64_t heldStart_ = -1;  // noteStart_ of the last full steady estimate
    int heldReadings_ = 0;    // steady readings since then that followed its partial
    // Instantaneous readings since the last full one that named the note followed, which later
    // ones may follow the partial of (-1: none to follow).
    int instantHeld_ = -1;
};

}  // namespace tonavise
