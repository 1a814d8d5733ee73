#include "engine/audiofile/PracticeStream.h"

#include <rubberband/RubberBandStretcher.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>

namespace tonavise {

namespace {

// Frames rendered in one step: the unit of the position records.
constexpr int kStepFrames = 512;
// The most input handed to the stretcher at once (it asks for less).
constexpr int kMaxProcessFrames = 8192;
// Output kept for the feed: about six seconds at 44100 Hz, a power of two for the ring.
constexpr int64_t kHistoryFrames = int64_t{1} << 18;
// Rings of the input jumps and the position records: a jump per loop pass, a record per step,
// far more than the sound between rendering and hearing needs.
constexpr std::size_t kJumpRecords = 256;
constexpr std::size_t kHeardRecords = 4096;
// The crossfade at a loop's joint.
constexpr double kFadeSeconds = 0.01;
// The fade-in of every start.
constexpr double kStartFadeSeconds = 0.005;
// A loop's joint may move this far from A to where the sound matches best.
constexpr double kJoinSearchSeconds = 0.005;

}  // namespace

PracticeStream::PracticeStream() = default;

PracticeStream::~PracticeStream() = default;

bool PracticeStream::Prepare(const LoadedClip& clip) {
    Release();
    if (!clip.data || clip.length <= 0 || !IsUsablePcmFormat(clip.format)) {
        return false;
    }
    try {
        rate_ = static_cast<int>(clip.format.samplesPerSec);
        channels_ = clip.format.channels >= 2 ? 2 : 1;
        feedChannels_ = FeedChannels(clip.format);
        fadeFrames_ = std::max(16, static_cast<int>(rate_ * kFadeSeconds));
        startFadeFrames_ = std::max(8, static_cast<int>(rate_ * kStartFadeSeconds));
        using RubberBand::RubberBandStretcher;
        // Real-time mode takes ratio changes while it runs; the finer engine keeps a held note
        // steady, and high consistency lets the transpose change without a jump. A stretcher
        // for the same rate and channels is kept from the last file.
        if (!stretcher_ || stretcherRate_ != rate_ || stretcherChannels_ != channels_) {
            stretcher_.reset();
            stretcher_ = std::make_unique<RubberBandStretcher>(
                static_cast<std::size_t>(rate_),
                static_cast<std::size_t>(channels_),
                RubberBandStretcher::OptionProcessRealTime |
                    RubberBandStretcher::OptionEngineFiner |
                    RubberBandStretcher::OptionPitchHighConsistency |
                    RubberBandStretcher::OptionChannelsTogether);
            stretcher_->setMaxProcessSize(kMaxProcessFrames);
            stretcherRate_ = rate_;
            stretcherChannels_ = channels_;
        }
        for (int c = 0; c < 2; ++c) {
            input_[c].assign(kMaxProcessFrames, 0.0f);
            output_[c].assign(kStepFrames, 0.0f);
        }
        fade_.resize(static_cast<std::size_t>(fadeFrames_));
        for (int j = 0; j < fadeFrames_; ++j) {
            // Raised cosine: the rising and the falling gain add up to 1 at every frame.
            fade_[j] = static_cast<float>(
                0.5 - 0.5 * std::cos(std::numbers::pi * (j + 0.5) / fadeFrames_));
        }
        jumps_.assign(kJumpRecords, Jump{});
        heard_.assign(kHeardRecords, Heard{});
        history_.assign(static_cast<std::size_t>(kHistoryFrames * channels_), 0);
    } catch (const std::bad_alloc&) {
        Release();
        stretcher_.reset();
        return false;
    }
    clip_ = &clip;
    clipFrames_ = clip.length / clip.format.blockAlign;
    if (loopB_ > clipFrames_) {
        ClearLoop();
    }
    Start(0);
    return true;
}

void PracticeStream::Release() {
    // The memory stays for the next file: opening one file after another takes none anew.
    clip_ = nullptr;
    clipFrames_ = 0;
    ClearLoop();
    Start(0);
}

void PracticeStream::Start(int64_t frame) {
    readFrame_ = std::clamp<int64_t>(frame, 0, clipFrames_);
    inputFrames_ = 0;
    fadeFrom_ = -1;
    fadeDone_ = 0;
    pause_ = Pause::None;
    pauseLeft_ = 0;
    passes_ = 0;
    passEndInput_ = -1;
    startFadeDone_ = 0;
    stretching_ = false;
    finalSent_ = false;
    discard_ = 0;
    heardInput_ = 0.0;
    rendered_ = 0;
    jumpCount_ = 0;
    heardCount_ = 0;
    if (clip_ != nullptr) {
        AddJump(0, readFrame_);
    }
}

void PracticeStream::SetSpeedPercent(int percent) {
    speedPercent_ = std::clamp(percent, kMinSpeedPercent, kMaxSpeedPercent);
    if (stretching_) {
        ApplyRatios();
    }
}

void PracticeStream::SetSemitones(int semitones) {
    semitones_ = std::clamp(semitones, -kMaxTransposeSemitones, kMaxTransposeSemitones);
    if (stretching_) {
        ApplyRatios();
    }
}

bool PracticeStream::SetLoop(int64_t a, int64_t b) {
    if (clip_ == nullptr || a < 0 || b > clipFrames_ ||
        static_cast<double>(b - a) < kMinLoopSeconds * rate_) {
        return false;
    }
    loopA_ = a;
    loopB_ = b;
    return true;
}

void PracticeStream::ClearLoop() {
    loopA_ = -1;
    loopB_ = -1;
}

void PracticeStream::SetLoopGap(double seconds) {
    gapSeconds_ = seconds > 0.0 && std::isfinite(seconds)
                      ? std::clamp(seconds, kMinLoopGapSeconds, kMaxLoopGapSeconds)
                      : 0.0;
}

void PracticeStream::SetSpeedTrainer(int step, int target, int passesPerStep) {
    trainerStep_ = std::max(step, 0);
    trainerTarget_ = std::clamp(target, kMinSpeedPercent, kMaxSpeedPercent);
    trainerPasses_ = std::max(passesPerStep, 1);
}

void PracticeStream::EndPass() {
    ++passes_;
    passEndInput_ = inputFrames_;
    if (trainerStep_ > 0 && speedPercent_ < trainerTarget_ && passes_ % trainerPasses_ == 0) {
        SetSpeedPercent(std::min(trainerTarget_, speedPercent_ + trainerStep_));
    }
    if (gapSeconds_ > 0.0) {
        pause_ = Pause::FadingOut;
        pauseLeft_ = fadeFrames_;
        fadeFrom_ = readFrame_;
        fadeDone_ = 0;
        return;
    }
    // The reading fades over to A, the sound after B fading out as A's fades in. The joint
    // moves by up to 5 ms to where the two sounds match best, and the crossfade keeps the
    // level for how alike they are there (see ReadInput).
    const auto [offset, correlation] = BestJoin(readFrame_);
    fadeFrom_ = readFrame_;
    fadeTo_ = loopA_ + offset;
    fadeDone_ = 0;
    fadeCorrelation_ = static_cast<float>(std::clamp(correlation, -0.5, 1.0));
    AddJump(inputFrames_, fadeTo_);
}

std::pair<int64_t, double> PracticeStream::BestJoin(int64_t from) const {
    const int64_t reach = static_cast<int64_t>(rate_ * kJoinSearchSeconds);
    const int64_t low = std::max<int64_t>(-reach, -loopA_);
    const int64_t high = std::min<int64_t>(reach, loopB_ - loopA_ - 2 * fadeFrames_);
    double tail = 0.0;
    for (int j = 0; j < fadeFrames_; ++j) {
        for (int c = 0; c < channels_; ++c) {
            const double v = SampleAt(from + j, c);
            tail += v * v;
        }
    }
    int64_t best = 0;
    double bestScore = -2.0;
    double bestCorrelation = 1.0;
    for (int64_t d = low; d <= high; ++d) {
        double cross = 0.0;
        double head = 0.0;
        for (int j = 0; j < fadeFrames_; ++j) {
            for (int c = 0; c < channels_; ++c) {
                const double a = SampleAt(from + j, c);
                const double b = SampleAt(loopA_ + d + j, c);
                cross += a * b;
                head += b * b;
            }
        }
        const double norm = std::sqrt(tail * head);
        // Silence on either side matches anything: the joint stays at A.
        const double r = norm > 1e-9 ? cross / norm : (d == 0 ? 1.0 : -1.0);
        // Alike, and nearer A when equally alike.
        const double score =
            r - 1e-4 * std::abs(static_cast<double>(d)) / std::max<int64_t>(reach, 1);
        if (score > bestScore) {
            bestScore = score;
            best = d;
            bestCorrelation = norm > 1e-9 ? r : 1.0;
        }
    }
    return {best, bestCorrelation};
}

void PracticeStream::ApplyRatios() {
    // The time ratio is the output's duration over the input's.
    stretcher_->setTimeRatio(100.0 / speedPercent_);
    stretcher_->setPitchScale(std::exp2(semitones_ / 12.0));
}

void PracticeStream::BeginStretch() {
    stretcher_->reset();
    ApplyRatios();
    // The stretcher's preferred lead-in of silence, and the output it delays by: dropped, so
    // that output frame n is heard as input frame n x speed.
    std::fill(input_[0].begin(), input_[0].end(), 0.0f);
    std::fill(input_[1].begin(), input_[1].end(), 0.0f);
    const float* const silence[2] = {input_[0].data(), input_[1].data()};
    std::size_t pad = stretcher_->getPreferredStartPad();
    while (pad > 0) {
        const std::size_t n = std::min<std::size_t>(pad, kMaxProcessFrames);
        stretcher_->process(silence, n, false);
        pad -= n;
    }
    discard_ = static_cast<int64_t>(stretcher_->getStartDelay());
    finalSent_ = false;
    heardInput_ = static_cast<double>(inputFrames_);
    stretching_ = true;
}

void PracticeStream::EndStretch() {
    // The stretcher holds input not yet heard: the plain reading goes back to the first frame
    // not heard, so nothing is skipped.
    const auto input = static_cast<int64_t>(heardInput_);
    const double file = FileAtInput(static_cast<double>(input));
    while (jumpCount_ > 1 && jumps_[(jumpCount_ - 1) % kJumpRecords].input >= input) {
        --jumpCount_;
    }
    if (input <= passEndInput_ && passes_ > 0) {
        --passes_;  // the pass's end is read again, and counted again
        passEndInput_ = -1;
    }
    inputFrames_ = input;
    readFrame_ = std::clamp<int64_t>(std::llround(file), 0, clipFrames_);
    fadeFrom_ = -1;
    pause_ = Pause::None;
    AddJump(inputFrames_, readFrame_);
    heardInput_ = static_cast<double>(inputFrames_);
    stretching_ = false;
}

float PracticeStream::SampleAt(int64_t frame, int channel) const {
    if (frame < 0 || frame >= clipFrames_) {
        return 0.0f;
    }
    const WaveFormat& f = clip_->format;
    const int bytes = f.bitsPerSample / 8;
    const uint8_t* p = clip_->data.get() + frame * f.blockAlign + channel * bytes;
    return static_cast<float>(Sample16(p, bytes)) * (1.0f / 32768.0f);
}

int PracticeStream::ReadInput(int n) {
    for (int k = 0; k < n; ++k) {
        if (fadeFrom_ < 0 && pause_ == Pause::None && loopA_ >= 0 && readFrame_ >= loopB_) {
            // At the loop's end (or past it, when the loop was set behind the reading).
            EndPass();
        }
        if (pause_ != Pause::None) {
            float gain = 0.0f;
            int64_t from = 0;
            if (pause_ == Pause::FadingOut) {
                gain = 1.0f - fade_[static_cast<std::size_t>(fadeFrames_ - pauseLeft_)];
                from = fadeFrom_ + (fadeFrames_ - pauseLeft_);
            } else if (pause_ == Pause::FadingIn) {
                gain = fade_[static_cast<std::size_t>(fadeFrames_ - pauseLeft_)];
                from = loopA_ + (fadeFrames_ - pauseLeft_);
            }
            for (int c = 0; c < channels_; ++c) {
                input_[c][k] = gain == 0.0f ? 0.0f : SampleAt(from, c) * gain;
            }
            if (--pauseLeft_ <= 0) {
                if (pause_ == Pause::FadingOut) {
                    // Silence as long as the gap at the speed the next pass plays.
                    pause_ = Pause::Silent;
                    fadeFrom_ = -1;
                    pauseLeft_ = std::max<int64_t>(
                        1, std::llround(gapSeconds_ * rate_ * speedPercent_ / 100.0));
                } else if (pause_ == Pause::Silent) {
                    pause_ = Pause::FadingIn;
                    pauseLeft_ = fadeFrames_;
                    AddJump(inputFrames_ + 1, loopA_);
                } else {
                    pause_ = Pause::None;
                    readFrame_ = loopA_ + fadeFrames_;
                }
            }
        } else if (fadeFrom_ >= 0) {
            // Gains whose mixture keeps the level for sounds of correlation r: with theta
            // going from 0 to pi/2, out = cos, in = sin, both over sqrt(1 + r sin 2 theta):
            // for alike sounds (r = 1) they add up to 1, for unrelated ones (r = 0) their
            // powers do.
            const double theta = std::numbers::pi / 2 * (fadeDone_ + 0.5) / fadeFrames_;
            const double level = std::sqrt(1.0 + fadeCorrelation_ * std::sin(2 * theta));
            const auto out = static_cast<float>(std::cos(theta) / level);
            const auto in = static_cast<float>(std::sin(theta) / level);
            for (int c = 0; c < channels_; ++c) {
                input_[c][k] = SampleAt(fadeFrom_ + fadeDone_, c) * out +
                               SampleAt(fadeTo_ + fadeDone_, c) * in;
            }
            if (++fadeDone_ == fadeFrames_) {
                readFrame_ = fadeTo_ + fadeFrames_;
                fadeFrom_ = -1;
            }
        } else {
            if (readFrame_ >= clipFrames_) {
                return k;
            }
            for (int c = 0; c < channels_; ++c) {
                input_[c][k] = SampleAt(readFrame_, c);
            }
            ++readFrame_;
        }
        if (startFadeDone_ < startFadeFrames_) {
            const float gain =
                fade_[static_cast<std::size_t>(startFadeDone_ * fadeFrames_ / startFadeFrames_)];
            for (int c = 0; c < channels_; ++c) {
                input_[c][k] *= gain;
            }
            ++startFadeDone_;
        }
        ++inputFrames_;
    }
    return n;
}

void PracticeStream::AddJump(int64_t input, int64_t file) {
    jumps_[static_cast<std::size_t>(jumpCount_ % kJumpRecords)] = Jump{input, file};
    ++jumpCount_;
}

double PracticeStream::FileAtInput(double input) const {
    if (jumpCount_ == 0) {
        return 0.0;
    }
    const int64_t oldest = std::max<int64_t>(0, jumpCount_ - static_cast<int64_t>(kJumpRecords));
    int64_t i = jumpCount_ - 1;
    while (i > oldest && static_cast<double>(jumps_[i % kJumpRecords].input) > input) {
        --i;
    }
    const Jump& j = jumps_[i % kJumpRecords];
    const double file = static_cast<double>(j.file) + std::max(0.0, input - j.input);
    return std::clamp(file, 0.0, static_cast<double>(clipFrames_));
}

int64_t PracticeStream::FileFrameAt(int64_t outputFrame) const {
    if (heardCount_ == 0) {
        return jumpCount_ > 0 ? jumps_[0].file : 0;
    }
    const int64_t oldest = std::max<int64_t>(0, heardCount_ - static_cast<int64_t>(kHeardRecords));
    int64_t i = heardCount_ - 1;
    while (i > oldest && heard_[i % kHeardRecords].output > outputFrame) {
        --i;
    }
    const Heard& h = heard_[i % kHeardRecords];
    const int64_t within = std::clamp<int64_t>(outputFrame, h.output, rendered_) - h.output;
    const double file = h.file + static_cast<double>(within) * h.speed;
    return std::clamp<int64_t>(std::llround(file), 0, clipFrames_);
}

int64_t PracticeStream::RenderedOutputOf(int64_t fromOutput, int64_t fileFrame) const {
    if (heardCount_ == 0) {
        return -1;
    }
    const int64_t oldest = std::max<int64_t>(0, heardCount_ - static_cast<int64_t>(kHeardRecords));
    int64_t i = heardCount_ - 1;
    while (i > oldest && heard_[i % kHeardRecords].output > fromOutput) {
        --i;
    }
    for (; i < heardCount_; ++i) {
        const Heard& h = heard_[i % kHeardRecords];
        const int64_t end =
            i + 1 < heardCount_ ? heard_[(i + 1) % kHeardRecords].output : rendered_;
        const double endFile = h.file + static_cast<double>(end - h.output) * h.speed;
        if (i + 1 < heardCount_ && heard_[(i + 1) % kHeardRecords].file < h.file) {
            return -1;  // the reading jumped back (a loop) before reaching it
        }
        if (fileFrame >= h.file && fileFrame < endFile) {
            const auto at = h.output + static_cast<int64_t>((fileFrame - h.file) / h.speed);
            return std::max(at, fromOutput);
        }
    }
    return -1;
}

void PracticeStream::Emit(int16_t* out, const float* const* from, int frames) {
    const double speed = stretching_ ? speedPercent_ / 100.0 : 1.0;
    heard_[heardCount_ % kHeardRecords] = Heard{rendered_, FileAtInput(heardInput_), speed};
    ++heardCount_;
    heardInput_ += frames * speed;
    for (int i = 0; i < frames; ++i) {
        int16_t* kept = history_.data() + ((rendered_ + i) & (kHistoryFrames - 1)) * channels_;
        for (int c = 0; c < channels_; ++c) {
            // Exact for 16-bit samples that passed unchanged: a float holds them exactly.
            const float v = std::clamp(from[c][i] * 32768.0f, -32768.0f, 32767.0f);
            const auto s = static_cast<int16_t>(std::lrint(v));
            *out++ = s;
            kept[c] = s;
        }
    }
    rendered_ += frames;
}

int PracticeStream::Render(int16_t* out, int frames) {
    if (clip_ == nullptr) {
        return 0;
    }
    int done = 0;
    while (done < frames) {
        if (Stretching() != stretching_) {
            if (Stretching()) {
                BeginStretch();
            } else {
                EndStretch();
            }
        }
        const int want = std::min(frames - done, kStepFrames);
        if (!stretching_) {
            const int got = ReadInput(want);
            if (got == 0) {
                break;
            }
            const float* const from[2] = {input_[0].data(), input_[1].data()};
            Emit(out + static_cast<std::ptrdiff_t>(done) * channels_, from, got);
            done += got;
            if (got < want) {
                break;
            }
            continue;
        }
        const int available = stretcher_->available();
        // After the last input the stretcher gives its window's tail too: the output ends
        // where the input's last frame is heard.
        const double left = static_cast<double>(inputFrames_) - heardInput_;
        if (available < 0 || (available == 0 && finalSent_) || (finalSent_ && left <= 0.0)) {
            break;  // everything has come out
        }
        if (available == 0) {
            std::size_t need = stretcher_->getSamplesRequired();
            need = std::clamp<std::size_t>(need, 1, kMaxProcessFrames);
            const int got = ReadInput(static_cast<int>(need));
            finalSent_ = got < static_cast<int>(need);
            const float* const from[2] = {input_[0].data(), input_[1].data()};
            stretcher_->process(from, static_cast<std::size_t>(got), finalSent_);
            continue;
        }
        float* const to[2] = {output_[0].data(), output_[1].data()};
        const auto take = static_cast<std::size_t>(std::min(available, want));
        int got = static_cast<int>(stretcher_->retrieve(to, take));
        const int skip = static_cast<int>(std::min<int64_t>(discard_, got));
        discard_ -= skip;
        if (got == skip) {
            continue;
        }
        if (finalSent_) {
            const double speed = speedPercent_ / 100.0;
            got = std::min(got, skip + static_cast<int>(std::ceil(left / speed)));
        }
        const float* const from[2] = {output_[0].data() + skip, output_[1].data() + skip};
        Emit(out + static_cast<std::ptrdiff_t>(done) * channels_, from, got - skip);
        done += got - skip;
    }
    return done;
}

int64_t PracticeStream::StreamSampleAt(int64_t outputFrame) const {
    // The first n with floor(n x rate / 44100) = outputFrame.
    return (outputFrame * kSampleRate + rate_ - 1) / rate_;
}

int PracticeStream::BuildHeardBlock(int64_t streamSample, FeedBlock& block) const {
    if (clip_ == nullptr) {
        return 0;
    }
    std::size_t place = 0;
    for (int i = 0; i < kBlockFrames; ++i) {
        const int64_t frame = (streamSample + i) * rate_ / kSampleRate;
        const bool kept = frame >= 0 && frame < rendered_ && frame >= rendered_ - kHistoryFrames;
        const int16_t* p = history_.data() + (frame & (kHistoryFrames - 1)) * channels_;
        block[place++] = kept ? p[0] : int16_t{0};
        if (feedChannels_ == 2) {
            block[place++] = kept ? p[1] : int16_t{0};
        }
    }
    return kBlockFrames;
}

}  // namespace tonavise
