// The sound the practice player plays: a loaded clip read from a given frame as 16-bit frames of
// one or two channels, slowed down or sped up without changing its pitch, transposed without
// changing its speed, and looped between two points A and B. Time stretching and transposing
// are Rubber Band's real-time stretcher; at 100 % and no transpose the clip's samples pass
// unchanged.
//
// It also keeps what it rendered: the file frame each output frame came from (so that the
// position of what is heard can be given in file time) and the last few seconds of output (so
// that the scope and the analysis can see what is heard, not the file).
//
// Memory: everything is allocated by Prepare (when a file opens); Start, the settings and
// Render allocate nothing.
//
// Threads: one thread (the file player's) calls everything.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "engine/audiofile/LoadedClip.h"
#include "engine/audiofile/ScopeFeed.h"

namespace RubberBand {
class RubberBandStretcher;
}

namespace tonavise {

inline constexpr int kMinSpeedPercent = 50;
inline constexpr int kMaxSpeedPercent = 150;
inline constexpr int kMaxTransposeSemitones = 12;
// The shortest A–B loop: ten times the crossfade at its joint.
inline constexpr double kMinLoopSeconds = 0.1;
// The pause before each repeat of a loop: none, or from 0.5 to 4 s.
inline constexpr double kMinLoopGapSeconds = 0.5;
inline constexpr double kMaxLoopGapSeconds = 4.0;

class PracticeStream {
  public:
    PracticeStream();
    ~PracticeStream();
    PracticeStream(const PracticeStream&) = delete;
    PracticeStream& operator=(const PracticeStream&) = delete;

    // Takes the clip, which must stay loaded and unchanged until Release or the next Prepare,
    // and allocates everything the stream needs; false when the memory cannot be had (the
    // stream is then released). The speed and transpose are kept.
    bool Prepare(const LoadedClip& clip);
    // Lets the clip go and clears the loop; the memory is kept for the next Prepare.
    void Release();
    bool IsPrepared() const { return clip_ != nullptr; }

    // The output: 16-bit frames of this many channels (the clip's first two, or its one) at the
    // clip's rate.
    int Channels() const { return channels_; }

    // Restarts the output at file frame `frame`: output frame 0 is that frame. The first 5 ms
    // fade in, so that a start or a seek into the middle of the sound does not click.
    void Start(int64_t frame);

    // Settings, taken at once, also while playing. Values outside the ranges are clamped.
    void SetSpeedPercent(int percent);
    void SetSemitones(int semitones);
    int SpeedPercent() const { return speedPercent_; }
    int Semitones() const { return semitones_; }
    // Loops between file frames a and b: once the reading reaches b (or is past it), it goes on
    // from a, crossfaded over a few milliseconds so that the joint neither clicks nor pauses.
    // Loops shorter than kMinLoopSeconds or outside the clip are refused (false, loop unchanged).
    bool SetLoop(int64_t a, int64_t b);
    void ClearLoop();
    // A pause before each repeat: the pass fades out at B, this many seconds of silence follow
    // (at any speed), and A fades in. 0: none (the crossfade); other values are clamped to
    // kMinLoopGapSeconds..kMaxLoopGapSeconds.
    void SetLoopGap(double seconds);
    double LoopGap() const { return gapSeconds_; }
    // The speed trainer: after every `passesPerStep` passes of the loop the speed rises by
    // `step` percent, up to `target`. A step of 0 is off.
    void SetSpeedTrainer(int step, int target, int passesPerStep = 1);
    // Passes of the loop completed since Start.
    int64_t Passes() const { return passes_; }

    // Renders up to `frames` frames (Channels() interleaved) into `out`; fewer only at the end
    // of the clip, 0 once everything has been rendered.
    int Render(int16_t* out, int frames);

    // The file frame heard at output frame `outputFrame` (since Start), in [0, clip frames].
    int64_t FileFrameAt(int64_t outputFrame) const;
    // The first output frame at or after `fromOutput` that plays file frame `fileFrame`, when
    // it has been rendered already (reading straight on, no jump in between); -1 otherwise.
    int64_t RenderedOutputOf(int64_t fromOutput, int64_t fileFrame) const;

    // The feed block of the output from sample `streamSample` of its continuous 44100 Hz
    // stream on (sample n shows output frame floor(n x rate / 44100), as the feed takes a
    // clip), in FeedChannels(clip) channels; frames not rendered yet or no longer kept are
    // silence. Returns the frames written.
    int BuildHeardBlock(int64_t streamSample, FeedBlock& block) const;
    // The first sample of that stream that shows output frame `outputFrame`.
    int64_t StreamSampleAt(int64_t outputFrame) const;
    // Output frames rendered since Start.
    int64_t Rendered() const { return rendered_; }

  private:
    // Where the input to the stretcher jumps in the file: from input frame `input` on, the
    // input is file frame `file` onwards.
    struct Jump {
        int64_t input;
        int64_t file;
    };
    // From output frame `output` on, the output is heard as file frame `file` onwards, moving
    // `speed` file frames per output frame.
    struct Heard {
        int64_t output;
        double file;
        double speed;
    };

    bool Stretching() const { return speedPercent_ != 100 || semitones_ != 0; }
    void ApplyRatios();
    void BeginStretch();
    void EndStretch();
    // Reads up to n frames of the clip (as floats, looped) into input_; fewer at the end.
    int ReadInput(int n);
    float SampleAt(int64_t frame, int channel) const;
    // The reading has reached B: the trainer's next speed, and the joint or the pause begins.
    void EndPass();
    // The offset from A (within +-kJoinSearchSeconds) where the sound after A best matches the
    // sound after `from`, and their normalised correlation there.
    std::pair<int64_t, double> BestJoin(int64_t from) const;
    void AddJump(int64_t input, int64_t file);
    double FileAtInput(double input) const;
    void Emit(int16_t* out, const float* const* from, int frames);

    const LoadedClip* clip_ = nullptr;
    int64_t clipFrames_ = 0;
    int channels_ = 1;
    int feedChannels_ = 1;
    int rate_ = 44100;
    int fadeFrames_ = 441;
    std::unique_ptr<RubberBand::RubberBandStretcher> stretcher_;
    int stretcherRate_ = 0;
    int stretcherChannels_ = 0;
    std::array<std::vector<float>, 2> input_;
    std::array<std::vector<float>, 2> output_;
    std::vector<float> fade_;  // the rising half of the crossfade, fadeFrames_ values

    int speedPercent_ = 100;
    int semitones_ = 0;
    int64_t loopA_ = -1;
    int64_t loopB_ = -1;
    double gapSeconds_ = 0.0;
    int trainerStep_ = 0;
    int trainerTarget_ = 100;
    int trainerPasses_ = 1;
    int64_t passes_ = 0;
    int64_t passEndInput_ = -1;  // the input frame where the last pass ended
    int startFadeFrames_ = 220;  // the fade-in of a start: 5 ms
    int startFadeDone_ = 0;

    // Reading.
    int64_t readFrame_ = 0;         // next file frame of the main reading
    int64_t inputFrames_ = 0;       // frames read since Start
    int64_t fadeFrom_ = -1;         // crossfading: the frame the old reading had reached
    int64_t fadeTo_ = 0;            // ...and where the new reading starts
    int fadeDone_ = 0;              // ...and how far the crossfade has gone
    float fadeCorrelation_ = 1.0f;  // ...and how alike the two readings are there
    // A pause before the repeat: the tail fading out, then silence, then A fading in.
    enum class Pause : uint8_t { None, FadingOut, Silent, FadingIn };
    Pause pause_ = Pause::None;
    int64_t pauseLeft_ = 0;  // frames of the stage still to come
    // Stretching.
    bool stretching_ = false;
    bool finalSent_ = false;
    int64_t discard_ = 0;      // start delay still to drop from the output
    double heardInput_ = 0.0;  // the input frame of the next output frame
    // Output.
    int64_t rendered_ = 0;

    std::vector<Jump> jumps_;  // ring
    int64_t jumpCount_ = 0;
    std::vector<Heard> heard_;  // ring
    int64_t heardCount_ = 0;
    std::vector<int16_t> history_;  // ring of the last kHistoryFrames output frames
};

}  // namespace tonavise
