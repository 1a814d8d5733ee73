// The precise pitch estimate: the period of the newest sound found by the normalised square
// difference function (NSDF) of the newest 186 ms, checked against octave and harmonic
// confusions on the partials of the spectrum, and refined to a fraction of a cent on its lowest
// clear partial: the partial's phase advance over one sample, then its phase followed through
// the frame, whose mean is the centre of a vibrato or of an ensemble's spread. Notes below A2
// are checked and refined on the newest 372 ms, where their partials stand apart. Unlike the
// standard estimate it says when there is no pitch: silence, noise, clicks and other unpitched
// sound. docs/pitch-estimate.md has the reasons and the figures.
//
// Init() allocates everything; Load* and Estimate never allocate. One thread uses an instance
// at a time (the analysis thread, or the command-line tool's).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/dsp/Fft.h"
#include "engine/dsp/PitchEstimate.h"

namespace tonavise {

class NsdfPitchEstimator {
  public:
    // Samples of the history the estimate reads: the long frame and one sample more.
    static constexpr int kShortFrame = 8192;  // 186 ms: every note from A2 up
    // The shortest frame measured (46 ms, E2's period 4 times over): the newest sound of a
    // note just begun, before there is more of it.
    static constexpr int kMinFrame = 2048;
    static constexpr int kLongFrame = 16384;  // 372 ms: notes below A2
    static constexpr int kInputLength = kLongFrame + 1;
    // Below this the estimate is refined on the long frame.
    static constexpr double kLongFrameBelowHz = 110.0;
    // Below this clarity the sound counts as unpitched.
    static constexpr double kMinClarity = 0.5;

    NsdfPitchEstimator();
    ~NsdfPitchEstimator();
    NsdfPitchEstimator(const NsdfPitchEstimator&) = delete;
    NsdfPitchEstimator& operator=(const NsdfPitchEstimator&) = delete;

    // Allocates the transforms and buffers. False when memory runs out; Estimate then answers
    // "no pitch".
    bool Init();
    bool ready() const { return ready_; }

    // Takes the newest kInputLength samples of a history (oldest first, at least that long; a
    // shorter history is taken whole, padded with silence in front). Stereo takes the mean of
    // both channels. Called while the history's lock is held: only a copy.
    // `newest`: only the newest samples are taken, enough for an Estimate or EstimateHeld whose
    // `usable` is no more (and for ClarityAt over no more); the rest are left as they were.
    void LoadMono(std::span<const int16_t> history, int newest = kInputLength);
    void LoadStereo(std::span<const int16_t> left, std::span<const int16_t> right);

    // The fundamental of the loaded sound between lowHz and highHz (the frequencies of the
    // lowest and highest key; fundamentals up to 50 cents beyond them are still named). Always
    // finite; hasPitch false with hz 0 where there is no pitch.
    //
    // Only the newest `usable` loaded samples are read: when a note began less than a frame
    // ago, the sound before it must not be measured with it. The frame is then the longest of
    // 2048, 4096 and 8192 samples that fits (plus one); fewer than kMinFrame + 1 usable samples
    // give no pitch. The long frame is used only when all of it is usable.
    PitchEstimate Estimate(double lowHz, double highHz, int usable = kInputLength);

    // A later reading of a note held since the last Estimate that found a pitch: the partial
    // that estimate was refined on, followed again through a frame of the same length from the
    // pitch found then, without the transforms and the octave checks (a tenth of the cost; the
    // tuner's steady readings of a held note). The clarity is the full estimate's. No pitch
    // when that estimate found none, when fewer samples are usable than its frame, or when the
    // partial has lost more than 30 % of its share of the sound (the note ended, or another note
    // has taken over): a full Estimate is then due.
    PitchEstimate EstimateHeld(int usable = kInputLength);

    // How periodic the newest `length` loaded samples are at `lag` samples: their NSDF there,
    // -1..1 (the larger at the two whole lags around it). Tells whether a period found in a
    // frame holds in the newest part of it too.
    double ClarityAt(double lag, int length) const;

  private:
    // Removes the mean of the newest `length` + 1 input samples into frame_ and transforms the
    // first `length` of them, padded with zeros to fft.size(). Returns the frame's energy.
    double TransformFrame(Fft& fft, int length);
    // The longest of the short frames (2048, 4096, 8192) within `usable` samples.
    static int ShortFrameFor(int usable);
    // The same without the transform.
    double PrepareFrame(int length);
    // The mean frequency over the first `length` samples of frame_ of the partial near hz of a
    // tone whose fundamental is near f0, from the partial's phase followed through the frame.
    // `share`, when given, receives the partial's share of the frame's power (0..1, about).
    double FollowPartial(double hz, double f0, int length, double* share = nullptr);
    // The NSDF of frame_'s first `length` samples at lags 0..maxLag into nsdf_, from the
    // spectrum in `spectrum` (a transform of twice the length) by way of `work` (as large).
    void ComputeNsdf(Fft& spectrum, Fft& work, double energy, int length, int maxLag);

    // What the last estimate with a pitch was refined on, for EstimateHeld.
    struct Held {
        double hz = 0.0;     // the fundamental found
        int partial = 0;     // 1.. the partial followed; 0: none, a full estimate is due
        int length = 0;      // the frame it was followed through
        int shortFrame = 0;  // the short frame it read
        bool whole = false;  // whether the long frame was usable
        double share = 0.0;
        double clarity = 0.0;
    };

    bool ready_ = false;
    Held held_;
    std::vector<double> input_;  // kInputLength samples, newest last
    std::vector<double> frame_;  // the frame being analysed, mean removed
    std::vector<double> nsdf_;   // NSDF by lag
    // A Hann window turning at minus a partial's frequency: the frame against it is the
    // partial shifted down to 0 Hz and windowed.
    std::vector<double> shiftedRe_;
    std::vector<double> shiftedIm_;
    std::vector<double> power_;  // the short frame's power spectrum
    Fft shortFft_;               // the short frame's spectrum (padded to twice its length)
    Fft workFft_;                // the autocorrelation, then the long frame's spectrum
    // The same pair for the frames of 2048 and 4096 samples.
    Fft frameFft_[2];
    Fft nsdfFft_[2];
};

}  // namespace tonavise
