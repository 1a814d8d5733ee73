#include "engine/live/LiveEngine.h"

#include "engine/live/CaptureThread.h"
#include "engine/live/PlayerThread.h"
#include "engine/live/RecorderThread.h"
#include "engine/live/ToneThread.h"

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
    if (devices != nullptr) {
        if (parts.capture) {
            capture_ = std::make_unique<CaptureThread>(captureStore, *devices, notifier_);
        }
        if (parts.output) {
            output_ = std::make_unique<ToneThread>(captureStore, keyTable, *devices, notifier_);
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

void LiveEngine::Stop() {
    if (analysis_) {
        analysis_->StopAnalysis();
        analysis_.reset();
    }
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

void LiveEngine::StartTone(int key) {
    if (output_) {
        output_->send(tone::StartTone{key});
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

void LiveEngine::FeedScopeFromFile(PlayerListener* listener) {
    if (player_) {
        player_->PostFeed(listener);
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

}  // namespace tonavise
