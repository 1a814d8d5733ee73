#include "engine/live/LiveEngine.h"

#include "engine/live/CaptureThread.h"
#include "engine/live/PlayerThread.h"
#include "engine/live/RecorderThread.h"
#include "engine/live/SignalThread.h"
#include "engine/live/ToneThread.h"
#include "engine/live/TunerAnalysis.h"

namespace tonavise {

LiveEngine::LiveEngine(Notifier& notifier) : notifier_(notifier) {}

LiveEngine::~LiveEngine() {
    Stop();
}

bool LiveEngine::Start(DeviceFactory* devices,
                       UiLanguage language,
                       Parts parts,
                       CaptureObserver* observer) {
    if (started_) {
        return analysisRunning() || !parts.analysis;
    }
    started_ = true;
    devices_ = devices;
    captureStore.Create();
    if (devices != nullptr) {
        if (parts.capture) {
            capture_ = std::make_unique<CaptureThread>(captureStore, *devices, notifier_);
        }
        if (parts.output) {
            output_ = std::make_unique<ToneThread>(controls, keyTable, *devices, notifier_);
        }
        player_ = std::make_unique<PlayerThread>(captureStore, *devices, notifier_);
        if (parts.recorder) {
            recorder_ =
                std::make_unique<RecorderThread>(recordingStore, *devices, notifier_, language);
        }
        if (capture_) {
            // A playing file takes the microphone's place in the store; the recorder's playback
            // takes it in what is shown; every block goes to the recording store.
            capture_->SetPlayerStatus(player_.get());
            capture_->SetPlaybackMonitor(recorder_.get());
            capture_->SetBlockRecorder(&recordingStore);
            capture_->SetObserver(observer);
            capture_->start();
        }
        if (output_) {
            output_->SetCountInTarget(recorder_.get());
            output_->start();
        }
        if (tuner_ && tuner_->running()) {
            // The tuner was shown before the sound started.
            if (capture_) {
                capture_->SetPieceListener(tuner_.get());
            }
            player_->SetPieceListener(tuner_.get());
        }
        player_->start();
        if (recorder_) {
            recorder_->start();
        }
    }
    if (!parts.analysis) {
        return true;
    }
    analysis_ = std::make_unique<AnalysisThread>(captureStore, fft, keyTable, player_.get());
    return analysis_->StartAnalysis();
}

bool LiveEngine::StartTuner() {
    if (!tuner_) {
        tuner_ = std::make_unique<TunerAnalysis>(keyTable);
    }
    if (!tuner_->Start()) {
        return false;
    }
    if (capture_) {
        capture_->SetPieceListener(tuner_.get());
    }
    if (player_) {
        player_->SetPieceListener(tuner_.get());
    }
    return true;
}

void LiveEngine::StopTuner() {
    if (capture_) {
        capture_->SetPieceListener(nullptr);
    }
    if (player_) {
        player_->SetPieceListener(nullptr);
    }
    // A producer that took the link just before may still hand over a piece: the analysis
    // object stays until the engine ends, and refuses pieces while stopped.
    if (tuner_) {
        tuner_->Stop();
    }
}

void LiveEngine::SetTunerTuning(const Tuning& tuning) {
    if (!tuner_) {
        tuner_ = std::make_unique<TunerAnalysis>(keyTable);
    }
    tuner_->SetTuning(tuning);
}

void LiveEngine::SetTunerStrings(std::span<const double> targetsHz, int locked) {
    if (!tuner_) {
        tuner_ = std::make_unique<TunerAnalysis>(keyTable);
    }
    tuner_->SetStrings(targetsHz, locked);
}

void LiveEngine::Stop() {
    StopTuner();
    if (analysis_) {
        analysis_->StopAnalysis();
        analysis_.reset();
    }
    CloseGenerator();
    WorkerThread* const workers[] = {capture_.get(), output_.get(), player_.get(), recorder_.get()};
    for (WorkerThread* worker : workers) {
        if (worker != nullptr) {
            worker->quit();
        }
    }
    for (WorkerThread* worker : workers) {
        if (worker != nullptr) {
            worker->join();
        }
    }
    capture_.reset();
    output_.reset();
    player_.reset();
    recorder_.reset();
    if (started_) {
        captureStore.Close();
    }
    devices_ = nullptr;
    started_ = false;
}

void LiveEngine::ReopenMicrophone() {
    if (capture_) {
        capture_->send(capture::ReopenInput{});
    }
}

LiveInputState LiveEngine::InputState() const {
    LiveInputState state;
    if (capture_) {
        state.noInput = capture_->InputLost();
        state.droppedBlocks = capture_->DroppedBlocks();
        state.overruns = capture_->Overruns();
    }
    return state;
}

void LiveEngine::StartTone(int key, double hz) {
    if (output_) {
        output_->send(tone::StartTone{key, hz});
    }
}

void LiveEngine::StartDrone(int key, double hz) {
    if (output_) {
        output_->send(tone::StartDrone{key, hz});
    }
}

void LiveEngine::StopDrone() {
    if (output_) {
        output_->send(tone::StopDrone{});
    }
}

void LiveEngine::StopOutput() {
    if (output_) {
        output_->send(tone::StopOutput{});
    }
}

void LiveEngine::ToggleMetronome() {
    if (output_) {
        output_->send(tone::ToggleMetronome{});
    }
}

void LiveEngine::StopMetronome() {
    if (output_) {
        output_->send(tone::StopMetronome{});
    }
}

void LiveEngine::RebuildMetronome() {
    if (output_) {
        output_->send(tone::RebuildMetronome{});
    }
}

void LiveEngine::OpenFile(std::string path, PlayerListener* listener) {
    if (player_) {
        player_->PostOpen(std::move(path), listener);
    }
}

void LiveEngine::PlayFile(int64_t startOffset) {
    if (player_) {
        player_->PostPlay(startOffset);
    }
}

void LiveEngine::PauseFile() {
    if (player_) {
        player_->send(player::Pause{});
    }
}

void LiveEngine::ResumeFile() {
    if (player_) {
        player_->send(player::Resume{});
    }
}

void LiveEngine::StopFile() {
    if (player_) {
        player_->send(player::Stop{});
    }
}

void LiveEngine::ReportPlayerPosition(PlayerListener* listener) {
    if (player_) {
        player_->PostReportPosition(listener);
    }
}

void LiveEngine::SetPlayerSpeed(int percent) {
    if (player_) {
        player_->PostSpeed(percent);
    }
}

void LiveEngine::SetPlayerTranspose(int semitones) {
    if (player_) {
        player_->PostTranspose(semitones);
    }
}

void LiveEngine::SetPlayerLoop(int64_t a, int64_t b) {
    if (player_) {
        player_->PostLoop(a, b);
    }
}

void LiveEngine::SetPlayerLoopGap(double seconds) {
    if (player_) {
        player_->send(player::SetLoopGap{seconds});
    }
}

void LiveEngine::SetPlayerTrainer(int step, int target, int passes) {
    if (player_) {
        player_->send(player::SetSpeedTrainer{step, target, passes});
    }
}

void LiveEngine::RecordOn() {
    if (recorder_) {
        recorder_->send(recorder::RecordOn{});
    }
}

void LiveEngine::RecordOff() {
    if (recorder_) {
        recorder_->send(recorder::RecordOff{});
    }
    if (output_ && output_->countingIn()) {
        output_->send(tone::CancelCountIn{});
    }
}

void LiveEngine::CountInAndRecord() {
    if (output_ && recorder_) {
        output_->MarkCountInPosted();
        output_->send(tone::StartCountIn{});
    } else {
        RecordOn();
    }
}

void LiveEngine::PlayRecording() {
    if (recorder_) {
        recorder_->send(recorder::Play{});
    }
}

void LiveEngine::StopRecordingPlayback() {
    if (recorder_) {
        recorder_->send(recorder::StopPlayback{});
    }
}

bool LiveEngine::OpenGenerator(SignalListener* listener) {
    if (generator_) {
        generator_->SetOwnerDialog(listener);
        return true;
    }
    if (devices_ == nullptr) {
        return false;
    }
    generator_ = std::make_unique<SignalThread>(signal, *devices_, notifier_);
    generator_->SetOwnerDialog(listener);
    generator_->start();
    return true;
}

void LiveEngine::CloseGenerator() {
    if (!generator_) {
        return;
    }
    generator_->SetOwnerDialog(nullptr);
    generator_->join();  // stops the sound on its way out
    generator_.reset();
}

void LiveEngine::StartSignal() {
    if (generator_) {
        generator_->send(generator::Start{});
    }
}

void LiveEngine::StopSignal() {
    if (generator_) {
        generator_->send(generator::Stop{});
    }
}

PlayerState LiveEngine::Player() const {
    PlayerState state;
    if (player_) {
        state.running = true;
        state.loaded = player_->IsLoaded();
        state.playing = player_->IsPlaying();
        state.paused = player_->IsPaused();
        state.channels = player_->ChannelCount();
        state.length = player_->Length();
        state.bytesPerSecond = player_->BytesPerSecond();
        state.speedPercent = player_->SpeedPercent();
    }
    return state;
}

OutputState LiveEngine::Output() const {
    OutputState state;
    if (output_) {
        state.running = true;
        state.tonePlaying = output_->IsTonePlaying();
        state.metronomePlaying = output_->IsMetronomePlaying();
        state.dronePlaying = output_->IsDronePlaying();
        state.countingIn = output_->countingIn();
        state.noteIndex = output_->noteIndex();
    }
    return state;
}

HeardBeat LiveEngine::CurrentHeardBeat() const {
    return output_ ? output_->CurrentHeardBeat() : HeardBeat{};
}

bool LiveEngine::RecordingPlaying() const {
    return recorder_ && recorder_->IsPlaying();
}

bool LiveEngine::SignalPlaying() const {
    return generator_ && generator_->IsPlaying();
}

}  // namespace tonavise
