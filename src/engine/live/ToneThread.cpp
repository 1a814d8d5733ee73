#include "engine/live/ToneThread.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <variant>

#include "engine/dsp/KeyTable.h"
#include "engine/dsp/Metronome.h"
#include "engine/live/PracticeControls.h"

namespace tonavise {

ToneThread::ToneThread(PracticeControls& controls,
                       const KeyTable& keyTable,
                       DeviceFactory& devices,
                       Notifier& notifier)
    : controls_(controls), keyTable_(keyTable), devices_(devices), notifier_(notifier) {}

ToneThread::~ToneThread() {
    join();
}

bool ToneThread::IsTonePlaying() const {
    return mode_.load(std::memory_order_relaxed) == kModeTone &&
           standIn_.Held([this] { return outputOpen_.load(std::memory_order_acquire) == 1; });
}

bool ToneThread::IsMetronomePlaying() const {
    return mode_.load(std::memory_order_relaxed) == kModeMetronome &&
           standIn_.Held([this] { return outputOpen_.load(std::memory_order_acquire) == 1; });
}

bool ToneThread::IsDronePlaying() const {
    return drone_.load(std::memory_order_relaxed) &&
           standIn_.Held([this] { return outputOpen_.load(std::memory_order_acquire) == 1; });
}

HeardBeat ToneThread::CurrentHeardBeat() const {
    const WaveDevice* device = heardDevice_.load(std::memory_order_acquire);
    if (device == nullptr || mode_.load(std::memory_order_relaxed) != kModeMetronome) {
        return {};
    }
    const int64_t heard = device->Position() / static_cast<int64_t>(sizeof(int16_t));
    const auto fills = fills_.Read();
    for (std::size_t age = 0; age < fills.size(); ++age) {
        const FillRecord& f = fills[age];
        if (f.streamSample <= heard && f.beats > 0) {
            const int64_t inLoop =
                (f.loopPosition + heard - f.streamSample) % std::max(f.loopLength, 1);
            return {static_cast<int>(inLoop / std::max(f.beatLength, 1) % f.beats), f.beats};
        }
    }
    // The start's lead of silence: its first beat is the one coming.
    if (!fills.empty() && fills[fills.size() - 1].streamSample <= kStartLeadSamples &&
        fills[fills.size() - 1].beats > 0) {
        return {0, fills[fills.size() - 1].beats};
    }
    return {};
}

std::span<const int16_t> ToneThread::metronomeLoop() const {
    if (!metronomeLoop_) {
        return {};
    }
    return {metronomeLoop_.get(), static_cast<std::size_t>(kMetronomeLoopSamples)};
}

void ToneThread::InitInstance() {
    format_ = PcmFormat(1);
    for (int k = 0; k < 2; ++k) {
        headers_[k].Describe(buffers_[k].data(), kOutputBufferSamples * sizeof(int16_t));
    }
    if (!metronomeLoop_) {
        metronomeLoop_.reset(new (std::nothrow) int16_t[kMetronomeLoopSamples]);
    }
    BuildMetronomeLoop();
    mode_.store(kModeTone, std::memory_order_relaxed);
}

void ToneThread::ExitInstance() {
    StopOutput();
    waveOut_.reset();
}

void ToneThread::onStart() {
    InitInstance();
}

void ToneThread::onExit() {
    ExitInstance();
}

void ToneThread::handle(ToneCommand& command) {
    std::visit(Handlers{[this](const DeviceEvent& event) {
                            if (event.kind == DeviceEvent::Kind::Played) {
                                OnDone();
                            } else if (event.kind == DeviceEvent::Kind::Failed) {
                                HandleDeviceFailure(event);
                            }
                        },
                        [this](const tone::RebuildMetronome&) {
                            BuildMetronomeLoop();
                            StartBars();  // new settings: the trainer starts from here
                        },
                        [this](const tone::StartCountIn&) { StartCountIn(); },
                        [this](const tone::CancelCountIn&) {
                            if (countInActive_) {
                                StopOutput();
                                EndCountIn(recorder::RecordOff{});
                            }
                        },
                        [this](const tone::ToggleMetronome&) { ToggleMetronome(); },
                        [this](const tone::StopMetronome&) { StopMetronome(); },
                        [this](const tone::StopOutput&) {
                            if (countInActive_) {
                                EndCountIn(std::nullopt);
                            }
                            drone_.store(false, std::memory_order_relaxed);
                            StopOutput();
                        },
                        [this](const tone::StartTone& start) { StartTone(start.key, start.hz); },
                        [this](const tone::StartDrone& start) { StartDrone(start.key, start.hz); },
                        [this](const tone::StopDrone&) { StopDrone(); }},
               command);
}

void ToneThread::ToggleMetronome() {
    if (countInActive_) {
        EndCountIn(std::nullopt);
    }
    if (outputOpen_.load(std::memory_order_relaxed) == 1 &&
        mode_.load(std::memory_order_relaxed) == kModeMetronome) {
        StopMetronome();  // the metronome is switched off
        return;
    }
    if (outputOpen_.load(std::memory_order_relaxed) == 1) {
        StopOutput();  // the tone, or a drone that goes on under the clicks
    }
    BuildMetronomeLoop();
    StartBars();
    // Every start begins the bar with its accented first beat, so the player always counts in
    // from "one"; a tempo or meter change while it plays keeps its place.
    loopPosition_ = 0;
    leadIn_ = kStartLeadSamples;
    mode_.store(kModeMetronome, std::memory_order_relaxed);
    OpenOutput();
}

void ToneThread::StartTone(int key, double hz) {
    if (countInActive_) {
        EndCountIn(std::nullopt);
    }
    if (outputOpen_.load(std::memory_order_relaxed) == 1) {
        StopOutput();
    }
    drone_.store(false, std::memory_order_relaxed);  // the tone replaces the drone
    mode_.store(kModeTone, std::memory_order_relaxed);
    // The view sends 48 (A4); an index outside the key table is taken as its nearest key.
    noteIndex_.store(std::clamp(key, 0, 87), std::memory_order_relaxed);
    toneHz_.store(hz > 0.0 && std::isfinite(hz) ? hz : 0.0, std::memory_order_relaxed);
    OpenOutput();
}

void ToneThread::StartDrone(int key, double hz) {
    if (countInActive_) {
        EndCountIn(std::nullopt);
    }
    noteIndex_.store(std::clamp(key, 0, 87), std::memory_order_relaxed);
    droneHz_ = hz > 0.0 && std::isfinite(hz) ? hz : keyTable_.KeyFrequency(std::clamp(key, 0, 87));
    drone_.store(true, std::memory_order_relaxed);
    if (mode_.load(std::memory_order_relaxed) == kModeTone) {
        mode_.store(kModeDroneOnly, std::memory_order_relaxed);  // the drone replaces the tone
    }
    RestartOutput();
}

void ToneThread::StopDrone() {
    if (!drone_.load(std::memory_order_relaxed)) {
        return;
    }
    drone_.store(false, std::memory_order_relaxed);
    if (outputOpen_.load(std::memory_order_relaxed) == 1 &&
        mode_.load(std::memory_order_relaxed) == kModeMetronome) {
        RestartOutput();  // the clicks go on alone
    } else {
        StopOutput();
        mode_.store(kModeTone, std::memory_order_relaxed);
    }
}

void ToneThread::StopMetronome() {
    if (countInActive_) {
        EndCountIn(std::nullopt);
    }
    if (drone_.load(std::memory_order_relaxed) &&
        mode_.load(std::memory_order_relaxed) == kModeMetronome &&
        outputOpen_.load(std::memory_order_relaxed) == 1) {
        mode_.store(kModeDroneOnly, std::memory_order_relaxed);
        RestartOutput();
        return;
    }
    StopOutput();
}

void ToneThread::RestartOutput() {
    if (outputOpen_.load(std::memory_order_relaxed) == 1) {
        if (mode_.load(std::memory_order_relaxed) == kModeMetronome && loopLength_ > 0) {
            // The clicks go on from the one being heard, not from the end of what was queued:
            // the beat keeps its place.
            // A start's lead of silence not heard yet is played again in full.
            const int64_t heard = waveOut_->Position() / static_cast<int64_t>(sizeof(int16_t));
            const int64_t unheard =
                std::clamp<int64_t>(filledSamples_ - std::max(heard, leadEnd_), 0, filledSamples_);
            loopPosition_ = static_cast<int32_t>(
                ((loopPosition_ - unheard) % loopLength_ + loopLength_) % loopLength_);
            leadIn_ = static_cast<int32_t>(std::max<int64_t>(0, leadEnd_ - heard));
        }
        StopOutput();
    }
    OpenOutput();
}

void ToneThread::MixDrone(int16_t* out, int n) {
    // The root and its pure fifth in the tone's own timbre, and the clicks (accents at -1 dBFS)
    // at 60 %: together they stay within full scale.
    constexpr double kGain = kDroneGain;
    constexpr double kClickShare = kDroneClickShare;
    const double twoPi = 8.0 * std::atan(1.0);
    const double rootStep = droneHz_ * twoPi / 44100.0;
    const double fifthStep = 1.5 * rootStep;
    const auto voice = [](double p) {
        return 0.5 * std::sin(p) + 0.5 * std::sin(2 * p) + 0.1 * std::sin(3 * p);
    };
    for (int i = 0; i < n; ++i) {
        const double v =
            kClickShare * out[i] + kGain * (voice(droneRootPhase_) + voice(droneFifthPhase_));
        out[i] = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
        droneRootPhase_ = std::fmod(droneRootPhase_ + rootStep, twoPi);
        droneFifthPhase_ = std::fmod(droneFifthPhase_ + fifthStep, twoPi);
    }
}

// The stream died (the sound server went away): the sound stops as if Stop had been pressed,
// and the user learns why.
void ToneThread::HandleDeviceFailure(const DeviceEvent& event) {
    if (outputOpen_.load(std::memory_order_relaxed) != 1 || event.device != waveOut_.get()) {
        return;
    }
    // Its chosen device went away: the sound goes on at once on the default.
    if (!countInActive_ && standIn_.Gone()) {
        standIn_.MoveSound([this] {
            StopOutput();
            OpenOutput();
        });
        return;
    }
    const DeviceResult code = waveOut_->FailureCode();
    drone_.store(false, std::memory_order_relaxed);
    StopOutput();
    if (countInActive_) {
        EndCountIn(recorder::RecordOn{});  // the recording goes ahead without it
    }
    ShowDeviceError(notifier_, *waveOut_, code);
}

void ToneThread::StartCountIn() {
    if (outputOpen_.load(std::memory_order_relaxed) == 1) {
        StopOutput();
    }
    drone_.store(false, std::memory_order_relaxed);  // the take records the bar alone
    BuildMetronomeLoop();
    StartBars();
    loopPosition_ = 0;
    leadIn_ = kStartLeadSamples;
    countInActive_ = true;
    countInEnd_ = kStartLeadSamples + static_cast<int64_t>(beats_) * beatLength_;
    mode_.store(kModeMetronome, std::memory_order_relaxed);
    OpenOutput();
    if (outputOpen_.load(std::memory_order_relaxed) == 0) {
        // No sound (the error box says why): the recording the user asked for starts at once.
        EndCountIn(recorder::RecordOn{});
    }
}

void ToneThread::EndCountIn(std::optional<RecorderCommand> then) {
    // The command goes first: whoever sees the count-in ended finds it in the recorder's queue.
    if (countInTarget_ != nullptr && then) {
        countInTarget_->send(*then);
    }
    countInActive_ = false;
    countInAsked_.store(false, std::memory_order_release);
}

void ToneThread::onTick() {
    if (outputOpen_.load(std::memory_order_relaxed) == 0) {
        return;
    }
    if (!countInActive_ && standIn_.Back()) {
        standIn_.MoveSound([this] {  // the chosen device is back: the sound moves to it
            StopOutput();
            OpenOutput();
        });
        return;
    }
    if (!countInActive_) {
        return;
    }
    const int64_t heard = waveOut_->Position() / static_cast<int64_t>(sizeof(int16_t));
    if (heard >= countInEnd_) {
        StopOutput();
        EndCountIn(recorder::RecordOn{});
    }
}

void ToneThread::BuildMetronomeLoop() {
    if (!metronomeLoop_) {
        return;
    }
    const int32_t tempo =
        std::clamp(controls_.tempo.load(std::memory_order_relaxed), kMinTempo, kMaxTempo);
    controls_.tempo.store(tempo, std::memory_order_relaxed);
    const Meter meter = controls_.SoundingMeter();
    const int32_t beatLength =
        UnitSamples(tempo, meter, controls_.dotted.load(std::memory_order_relaxed) != 0);
    const int32_t subdivision =
        std::clamp(controls_.subdivision.load(std::memory_order_relaxed), 1, kMaxSubdivision);
    const int32_t swing =
        std::clamp(controls_.swing.load(std::memory_order_relaxed), kMinSwing, kMaxSwing);
    const double volume =
        std::clamp(controls_.volume.load(std::memory_order_relaxed), 0, 100) / 100.0;
    const auto voice = static_cast<ClickVoice>(
        std::clamp(controls_.voice.load(std::memory_order_relaxed), 0, kClickVoiceCount - 1));
    const int n = meter.beats;
    const auto& click = VoiceSound(voice);
    int16_t* loop = metronomeLoop_.get();

    // One click of `gain` at `at`, sounding for at most `room` samples, then silence up to it.
    const auto put = [&](int16_t* at, int32_t room, double gain) {
        const int32_t sounding = std::min(room, kClickLength);
        for (int32_t i = 0; i < sounding; ++i) {
            at[i] = static_cast<int16_t>(click[i] * gain);
        }
        std::fill(at + sounding, at + room, int16_t{0});
    };
    for (int b = 0; b < n; ++b) {
        int16_t* beat = loop + b * beatLength;
        // Sub-click s starts s/subdivision of the way through the beat; with two a beat, the
        // second at the swing's share of it.
        const auto startOf = [&](int32_t s) {
            if (s == subdivision) {
                return beatLength;
            }
            return subdivision == 2 && s == 1 ? beatLength * swing / 100
                                              : s * beatLength / subdivision;
        };
        for (int32_t s = 0; s < subdivision; ++s) {
            const Accent accent = meter.accents[static_cast<std::size_t>(b)];
            // A muted beat's sub-clicks are muted too: the bar is silent there.
            const double gain =
                accent == Accent::Muted ? 0.0 : (s == 0 ? Meter::GainOf(accent) : kSubClickGain);
            put(beat + startOf(s), startOf(s + 1) - startOf(s), gain * volume);
        }
    }
    loopLength_ = n * beatLength;
    beatLength_ = beatLength;
    beats_ = n;
    if (loopPosition_ >= loopLength_) {
        loopPosition_ = 0;
    }
}

void ToneThread::StartBars() {
    barsDone_ = 0;
    startTempo_ = std::clamp(controls_.tempo.load(std::memory_order_relaxed), kMinTempo, kMaxTempo);
    plan_ = BarPlan{.trainerStep = controls_.trainerStep.load(std::memory_order_relaxed),
                    .trainerBars = controls_.trainerBars.load(std::memory_order_relaxed),
                    .trainerTarget = controls_.trainerTarget.load(std::memory_order_relaxed),
                    .play = controls_.mutePlay.load(std::memory_order_relaxed),
                    .mute = controls_.muteBars.load(std::memory_order_relaxed)};
}

// A bar has been filled: the trainer's next tempo begins with the next bar.
void ToneThread::EndBar() {
    ++barsDone_;
    if (countInActive_ || !plan_.Trains()) {
        return;
    }
    const int32_t tempo = plan_.TempoAfter(barsDone_, startTempo_);
    if (tempo != controls_.tempo.load(std::memory_order_relaxed)) {
        controls_.tempo.store(tempo, std::memory_order_relaxed);
        BuildMetronomeLoop();
    }
}

void ToneThread::FillBuffer(int k) {
    if (outputOpen_.load(std::memory_order_relaxed) == 0 || k < 0 || k > 1) {
        return;
    }
    int16_t* out = buffers_[k].data();
    const int32_t mode = mode_.load(std::memory_order_relaxed);
    if (mode == kModeTone) {
        // Looked up at every fill, so a new A4 is heard from the next buffer on.
        const double chosen = toneHz_.load(std::memory_order_relaxed);
        const double f = chosen > 0.0
                             ? chosen
                             : keyTable_.KeyFrequency(noteIndex_.load(std::memory_order_relaxed));
        const double twoPi = 8.0 * std::atan(1.0);
        const double step = f * twoPi / 44100.0;
        for (int i = 0; i < kOutputBufferSamples; ++i) {
            const double s =
                0.5 * std::sin(phase_) + 0.5 * std::sin(2 * phase_) + 0.1 * std::sin(3 * phase_);
            out[i] = static_cast<int16_t>(25000.0 * s);
            phase_ += step;
            if (phase_ > twoPi) {
                phase_ -= twoPi;
            }
        }
    } else if (mode == kModeMetronome && metronomeLoop_) {
        const int16_t* loop = metronomeLoop_.get();
        // A start's lead of silence first.
        int32_t done = std::min(leadIn_, kOutputBufferSamples);
        std::fill_n(out, done, int16_t{0});
        leadIn_ -= done;
        bool changed = true;
        while (done < kOutputBufferSamples) {
            if (changed) {
                fills_.Push({.streamSample = filledSamples_ + done,
                             .loopPosition = loopPosition_,
                             .loopLength = loopLength_,
                             .beatLength = beatLength_,
                             .beats = beats_});
            }
            const int32_t n = std::min(kOutputBufferSamples - done, loopLength_ - loopPosition_);
            if (!countInActive_ && plan_.Muted(barsDone_)) {
                std::fill_n(out + done, n, int16_t{0});
            } else {
                std::copy_n(loop + loopPosition_, n, out + done);
            }
            done += n;
            loopPosition_ += n;
            changed = false;
            if (loopPosition_ == loopLength_) {
                loopPosition_ = 0;
                const int32_t length = loopLength_;
                EndBar();
                changed = loopLength_ != length;
            }
        }
        if (countInActive_) {
            // Silence after the count-in's bar.
            const int64_t keep =
                std::clamp<int64_t>(countInEnd_ - filledSamples_, 0, kOutputBufferSamples);
            std::fill(out + keep, out + kOutputBufferSamples, int16_t{0});
        }
    } else {
        std::fill_n(out, kOutputBufferSamples, int16_t{0});
    }
    if (drone_.load(std::memory_order_relaxed) && mode != kModeTone) {
        MixDrone(out, kOutputBufferSamples);
    }
    filledSamples_ += kOutputBufferSamples;
}

void ToneThread::OpenOutput() {
    if (outputOpen_.load(std::memory_order_relaxed) == 1) {
        return;
    }
    if (!waveOut_) {
        waveOut_ = devices_.Create(DeviceDirection::Output, StreamRole::ReferenceTone);
    }
    const DeviceResult result = waveOut_->Open(format_, *this);
    if (result != kDeviceOk) {
        ShowDeviceError(notifier_, *waveOut_, result);
        return;
    }
    standIn_.Opened();
    outputOpen_.store(1, std::memory_order_release);
    filledSamples_ = 0;
    leadEnd_ = leadIn_;
    fills_.Clear();
    FillBuffer(0);
    FillBuffer(1);
    heardDevice_.store(waveOut_.get(), std::memory_order_release);
    // Both buffers are queued before the stream starts, so that its first request finds them.
    DeviceResult queued = waveOut_->HoldStart();
    for (WaveHeader& header : headers_) {
        header.flags.store(0, std::memory_order_relaxed);
        waveOut_->Prepare(header);
        if (queued == kDeviceOk) {
            queued = waveOut_->Queue(header);
        }
    }
    if (queued == kDeviceOk) {
        queued = waveOut_->Start();
    }
    if (queued != kDeviceOk) {
        // The stream would not start: say why rather than show a tone that is not heard. The
        // output is closed before the message goes out, so whoever reads it sees no tone.
        StopOutput();
        ShowDeviceError(notifier_, *waveOut_, queued);
    }
}

void ToneThread::StopOutput() {
    heardDevice_.store(nullptr, std::memory_order_release);
    if (outputOpen_.load(std::memory_order_relaxed) == 1) {
        waveOut_->Reset();
        for (WaveHeader& header : headers_) {
            waveOut_->Unprepare(header);
        }
        waveOut_->Close();
        outputOpen_.store(0, std::memory_order_release);
    }
    for (auto& b : buffers_) {
        b.fill(0);
    }
}

// One finished buffer per completion is refilled and queued again (it stays prepared); the
// completions that a reset posts find the output closed and are ignored.
void ToneThread::OnDone() {
    if (outputOpen_.load(std::memory_order_relaxed) == 0) {
        return;
    }
    for (int k = 0; k < 2; ++k) {
        if (headers_[k].IsDone()) {
            FillBuffer(k);
            waveOut_->Queue(headers_[k]);
            return;
        }
    }
}

}  // namespace tonavise
