#include "engine/dsp/PitchSeries.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/core/AudioFormat.h"

namespace tonavise {

namespace {

// A reading within half a key of the note followed belongs to it; a vibrato of ±30 cents stays
// well inside, a step of a semitone does not.
constexpr double kSameNoteCents = 50.0;
// The period of a new note must hold in the newest half of the short frame this well: a frame
// that straddles two notes can show a period neither has (an octave of one of them), and the
// newest sound, all of the new note, does not repeat at that period.
constexpr double kHoldClarity = 0.6;
// A new note's sound that repeats this well at half its period is the octave above (no
// instrument's note has its odd partials that much weaker than its even ones).
constexpr double kOctaveClarity = 0.8;
// Readings in a row that must agree on a new note (20 ms): where one note fades as the next
// begins, the two sound together for some tens of milliseconds and a short frame of the mix
// can show a period of neither, but not the same one three times.
constexpr int kConfirmReadings = 3;
// After silence nothing fades out under the new note: two readings in a row suffice.
constexpr int kConfirmAfterSilence = 2;
// Two readings suffice after a note too where they agree this closely and the newest sound
// repeats at their period this well: a frame that holds the end of the note before as well
// reads a blend that moves by tens of cents from one reading to the next (a step from A4 to
// C5 reads 457, 478, 499 Hz on its way), the new note alone does not.
constexpr double kSettledCents = 10.0;
constexpr double kSettledClarity = 0.95;
// Readings in a row without pitch that end a note (30 ms): one alone is a scratch or a click.
constexpr int kMissesToEnd = 3;
// How fast the followed note takes up its readings: a time constant of about 100 ms, slow
// beside a vibrato, quick beside a slide.
constexpr double kFollow = 0.1;
// On a held note, the steady reading follows the partial its last full estimate was refined on
// (a tenth of the cost), and makes a full estimate again after this many: every 200 ms the
// octave checks look at the note afresh.
constexpr int kHeldReadings = 9;

double CentsBetween(double a, double b) {
    return 1200.0 * std::log2(a / b);
}

}  // namespace

PitchSeries::PitchSeries(int steadyHop)
    : steadyHop_(std::max(1, steadyHop)), nextSteady_(steadyHop_) {}

bool PitchSeries::Init() {
    if (!estimator_.Init() || !steadyEstimator_.Init()) {
        return false;
    }
    try {
        history_.assign(2 * NsdfPitchEstimator::kInputLength, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

void PitchSeries::SetRange(double lowHz, double highHz, double a4Hz) {
    lowHz_ = lowHz;
    highHz_ = highHz;
    a4Hz_ = a4Hz;
}

bool PitchSeries::OnNoteKey(double hz) const {
    const auto key = [this](double f) { return std::lround(12.0 * std::log2(f / a4Hz_)); };
    return noteHz_ > 0.0 && key(hz) == key(noteHz_);
}

void PitchSeries::Reset() {
    filled_ = 0;
    streamed_ = 0;
    nextInstant_ = kInstantHop;
    nextSteady_ = steadyHop_;
    noteHz_ = 0.0;
    noteStart_ = 0;
    candidateHz_ = 0.0;
    misses_ = 0;
    heldStart_ = -1;
    instantHeld_ = -1;
}

std::span<const int16_t> PitchSeries::History() const {
    return {history_.data(), static_cast<std::size_t>(filled_)};
}

void PitchSeries::Push(std::span<const int16_t> mono, Sink& sink) {
    Append(mono.data(), nullptr, static_cast<int>(mono.size()), sink);
}

void PitchSeries::PushStereo(std::span<const int16_t> left,
                             std::span<const int16_t> right,
                             Sink& sink) {
    Append(left.data(), right.data(), static_cast<int>(std::min(left.size(), right.size())), sink);
}

void PitchSeries::Append(const int16_t* left, const int16_t* right, int count, Sink& sink) {
    if (history_.empty()) {
        streamed_ += count;
        return;
    }
    const int capacity = static_cast<int>(history_.size());
    int done = 0;
    while (done < count) {
        // Up to the next reading due, or the end of the room left.
        if (filled_ == capacity) {
            const int keep = NsdfPitchEstimator::kInputLength;
            std::copy(history_.end() - keep, history_.end(), history_.begin());
            filled_ = keep;
        }
        const int64_t due = std::min(nextInstant_, nextSteady_);
        const int n = static_cast<int>(
            std::min<int64_t>({count - done, due - streamed_, capacity - filled_}));
        int16_t* out = history_.data() + filled_;
        if (right == nullptr) {
            std::copy_n(left + done, n, out);
        } else {
            for (int i = 0; i < n; ++i) {
                out[i] = static_cast<int16_t>((left[done + i] + right[done + i]) >> 1);
            }
        }
        filled_ += n;
        done += n;
        streamed_ += n;
        if (streamed_ == nextInstant_) {
            ReadInstant(sink);
            nextInstant_ += kInstantHop;
        }
        if (streamed_ == nextSteady_) {
            ReadSteady(sink);
            nextSteady_ += steadyHop_;
        }
    }
}

void PitchSeries::ReadInstant(Sink& sink) {
    SeriesReading reading;
    reading.endSample = streamed_;
    const int usable =
        static_cast<int>(std::min<int64_t>(streamed_, NsdfPitchEstimator::kMinFrame + 1));
    estimator_.LoadMono(History(), NsdfPitchEstimator::kMinFrame + 1);
    // The newest half of the frame, or two periods where that is longer.
    const auto holdLength = [](double lag) {
        return std::min(NsdfPitchEstimator::kMinFrame,
                        std::max(NsdfPitchEstimator::kMinFrame / 2, static_cast<int>(2.0 * lag)));
    };
    // On a held note, the partial the last full reading was refined on is followed, as the
    // steady series does (a full reading every tenth time). Such a reading stands only where
    // it stays on the note and the newest sound repeats at its period as a settled note's does
    // (NSDF >= 0.95): a new note that has filled a sixth of the frame takes the partial's share
    // below what following allows, and a blend with it does not repeat that well, long before
    // any reading could name it, and full readings then name it.
    PitchEstimate e;
    double lag = 0.0;
    double hold = -1.0;
    if (noteHz_ > 0.0 && instantHeld_ >= 0 && instantHeld_ < kHeldReadings) {
        e = estimator_.EstimateHeld(usable);
        ++instantHeld_;
        if (e.hasPitch) {
            lag = kSampleRate / e.hz;
            hold = estimator_.ClarityAt(lag, holdLength(lag));
        }
    }
    const bool followed = e.hasPitch && hold >= kSettledClarity &&
                          std::abs(CentsBetween(e.hz, noteHz_)) < kSameNoteCents;
    if (!followed) {
        e = estimator_.Estimate(lowHz_, highHz_, usable);
        instantHeld_ = -1;
        lag = e.hasPitch ? kSampleRate / e.hz : 0.0;
        hold = e.hasPitch ? estimator_.ClarityAt(lag, holdLength(lag)) : -1.0;
    }
    const bool holds = hold >= kHoldClarity;
    if (!holds) {
        candidateHz_ = 0.0;
        candidateCount_ = 0;
        if (++misses_ >= kMissesToEnd) {
            noteHz_ = 0.0;
        }
        instantHeld_ = -1;
        sink.OnInstant(reading);
        return;
    }
    misses_ = 0;
    if (noteHz_ > 0.0 && std::abs(CentsBetween(e.hz, noteHz_)) < kSameNoteCents) {
        noteHz_ += kFollow * (e.hz - noteHz_);
        candidateHz_ = 0.0;
        candidateCount_ = 0;
        if (OnNoteKey(e.hz)) {
            reading.estimate = e;
            if (!followed) {
                instantHeld_ = 0;
            }
        }
    } else if (estimator_.ClarityAt(lag / 2, holdLength(lag / 2)) >= kOctaveClarity) {
        // A new note whose newest sound repeats at half its period too: the attack of the
        // octave above, or two notes at once. Not a note yet.
        candidateHz_ = 0.0;
        candidateCount_ = 0;
    } else if (candidateHz_ > 0.0 && std::abs(CentsBetween(e.hz, candidateHz_)) < kSameNoteCents &&
               ++candidateCount_ >=
                   (noteHz_ == 0.0 || (hold >= kSettledClarity &&
                                       std::abs(CentsBetween(e.hz, candidateHz_)) < kSettledCents)
                        ? kConfirmAfterSilence
                        : kConfirmReadings)) {
        // Readings in a row agree on a new note. The newest one's frame may still hold the end
        // of the note before; its newest part, where the new period was found to hold, is the
        // new note's: the steady frame starts there.
        noteHz_ = e.hz;
        noteStart_ = streamed_ - holdLength(kSampleRate / e.hz);
        candidateHz_ = 0.0;
        candidateCount_ = 0;
        reading.estimate = e;
        reading.noteStarted = true;
    } else if (candidateHz_ == 0.0 ||
               std::abs(CentsBetween(e.hz, candidateHz_)) >= kSameNoteCents) {
        candidateHz_ = e.hz;
        candidateCount_ = 1;
    }
    if (!reading.estimate.hasPitch || reading.noteStarted) {
        instantHeld_ = -1;  // only a reading of the note followed is followed on
    }
    sink.OnInstant(reading);
}

void PitchSeries::ReadSteady(Sink& sink) {
    SeriesReading reading;
    reading.endSample = streamed_;
    if (noteHz_ > 0.0) {
        // The shortest frame is read even where it reaches back before the note's start (the
        // first 23 ms of a note): the reading is then the instantaneous one, and it is kept
        // only when it names the note followed.
        const int64_t ofNote =
            std::max<int64_t>(streamed_ - noteStart_, NsdfPitchEstimator::kMinFrame + 1);
        const int usable = static_cast<int>(
            std::min<int64_t>({ofNote, streamed_, NsdfPitchEstimator::kInputLength}));
        steadyEstimator_.LoadMono(History(), usable);
        PitchEstimate e;
        if (heldStart_ == noteStart_ && heldReadings_ < kHeldReadings) {
            e = steadyEstimator_.EstimateHeld(usable);
            ++heldReadings_;
        }
        if (!e.hasPitch) {
            e = steadyEstimator_.Estimate(lowHz_, highHz_, usable);
            heldStart_ = noteStart_;
            heldReadings_ = 0;
        }
        if (e.hasPitch && OnNoteKey(e.hz)) {
            reading.estimate = e;
        }
    }
    sink.OnSteady(reading);
}

}  // namespace tonavise
