#include "ui/ToolCommands.h"

#include <chrono>

#include "engine/live/LiveEngine.h"
#include "engine/live/RecordingStore.h"
#include "ui/AppContext.h"
#include "ui/CommandIds.h"
#include "ui/FileDialogs.h"
#include "ui/ScopeView.h"

namespace tonavise::ui {

namespace {

// The key index of A4, the tone of "la".
constexpr int kKeyA4 = 48;

}  // namespace

ToolCommands::ToolCommands(ScopeView& view, AppContext& context)
    : view_(view),
      context_(context),
      ownOpenChooser_(std::make_unique<OpenFileDialog>(&view)),
      openChooser_(ownOpenChooser_.get()),
      ownSaveChooser_(std::make_unique<SaveRecordingDialog>()),
      saveChooser_(ownSaveChooser_.get()) {}

ToolCommands::~ToolCommands() = default;

void ToolCommands::SetOpenPathChooser(OpenPathChooser* chooser) {
    openChooser_ = chooser != nullptr ? chooser : ownOpenChooser_.get();
}

void ToolCommands::SetSavePathChooser(SavePathChooser* chooser) {
    saveChooser_ = chooser != nullptr ? chooser : ownSaveChooser_.get();
}

PlayerSliderHost* ToolCommands::SliderHost() const {
    QWidget* frame = view_.window();
    return frame == &view_ ? nullptr : dynamic_cast<PlayerSliderHost*>(frame);
}

bool ToolCommands::HandlesCommand(int id) const {
    switch (id) {
        case ID_TONE_LA:
        case ID_METRONOME_PLAY:
        case ID_RECORDER_RECORD:
        case ID_RECORDER_STOP:
        case ID_RECORDER_PLAY:
        case ID_RECORDER_SAVE:
        case ID_PLAYER_OPEN:
        case ID_PLAYER_PLAY:
        case ID_PLAYER_PAUSE:
        case ID_PLAYER_STOP:
        case ID_PLAYER_PLAY_PAUSE:
        case ID_METRONOME_TAP:
            return true;
        default:
            return false;
    }
}

void ToolCommands::UpdateCommand(int id, CommandState& state) {
    const OutputState output = context_.engine.Output();
    const PlayerState player = context_.engine.Player();
    const bool playingBack = context_.engine.RecordingPlaying();
    RecordingStore& recordings = context_.recordingStore;
    // A count-in counts as recording: Record is done, Stop ends it.
    const bool recording =
        recordings.recording.load(std::memory_order_relaxed) != 0 || output.countingIn;
    const bool loaded = player.loaded;
    switch (id) {
        case ID_TONE_LA:
            state.checked = output.tonePlaying;
            return;
        case ID_METRONOME_PLAY:
            state.checked = output.metronomePlaying;
            return;
        case ID_RECORDER_RECORD:
            state.enabled = !recording;
            return;
        case ID_RECORDER_STOP:
            state.enabled = recording || playingBack;
            return;
        case ID_RECORDER_PLAY:
            state.checked = playingBack;
            state.enabled = recordings.Count() > 0;
            return;
        case ID_RECORDER_SAVE:
            state.enabled = recordings.Count() > 0;
            return;
        case ID_PLAYER_PLAY:
            state.enabled = loaded && (!player.playing || player.paused);
            return;
        case ID_PLAYER_PAUSE:
            state.enabled = loaded && player.playing && !player.paused;
            return;
        case ID_PLAYER_STOP:
            state.enabled = loaded && player.playing;
            return;
        case ID_PLAYER_PLAY_PAUSE:
            state.enabled = loaded;
            return;
        default:  // ID_PLAYER_OPEN has no rule
            return;
    }
}

void ToolCommands::HandleCommand(int id) {
    switch (id) {
        case ID_TONE_LA:
            ToneLa();
            return;
        case ID_METRONOME_PLAY:
            MetronomePlay();
            return;
        case ID_METRONOME_TAP:
            TapTempoNow(
                std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
                    .count());
            return;
        case ID_RECORDER_RECORD:
            RecorderRecord();
            return;
        case ID_RECORDER_STOP:
            RecorderStop();
            return;
        case ID_RECORDER_PLAY:
            RecorderPlay();
            return;
        case ID_RECORDER_SAVE:
            RecorderSave();
            return;
        case ID_PLAYER_OPEN:
            PlayerOpen();
            return;
        case ID_PLAYER_PLAY:
            PlayerPlay();
            return;
        case ID_PLAYER_PAUSE:
            PlayerPause();
            return;
        case ID_PLAYER_STOP:
            PlayerStop();
            return;
        case ID_PLAYER_PLAY_PAUSE:
            if (const PlayerState player = context_.engine.Player();
                player.playing && !player.paused) {
                PlayerPause();
            } else {
                PlayerPlay();
            }
            return;
        default:
            return;
    }
}

void ToolCommands::ToneLa() {
    LiveEngine& engine = context_.engine;
    engine.StopFile();
    const OutputState output = engine.Output();
    if (!output.running) {
        return;
    }
    if (output.tonePlaying) {
        engine.StopOutput();
        return;
    }
    if (output.metronomePlaying) {
        engine.StopOutput();
    }
    engine.StartTone(kKeyA4);
}

void ToolCommands::TapTempoNow(double seconds) {
    if (const int tempo = tapTempo_.Tap(seconds); tempo > 0) {
        context_.controls.tempo.store(tempo, std::memory_order_relaxed);
        context_.engine.RebuildMetronome();
    }
}

void ToolCommands::MetronomePlay() {
    LiveEngine& engine = context_.engine;
    if (engine.Output().metronomePlaying) {
        engine.StopMetronome();
        return;
    }
    engine.StopFile();
    engine.ToggleMetronome();
}

void ToolCommands::RecorderRecord() {
    context_.engine.StopRecordingPlayback();
    if (context_.controls.countIn.load(std::memory_order_relaxed) != 0) {
        context_.engine.CountInAndRecord();  // the recording starts after one bar
    } else {
        context_.engine.RecordOn();
    }
    context_.recordingStore.Clear();
}

void ToolCommands::RecorderStop() {
    context_.engine.StopRecordingPlayback();
    context_.engine.RecordOff();
}

void ToolCommands::RecorderPlay() {
    context_.engine.RecordOff();
    context_.engine.StopRecordingPlayback();
    context_.engine.PlayRecording();
}

void ToolCommands::RecorderSave() {
    context_.engine.RecordOff();
    context_.engine.StopRecordingPlayback();
    context_.recordingStore.SaveAs(*saveChooser_, context_.notifier, context_.language);
}

void ToolCommands::PlayerOpen() {
    if (const std::optional<QString> path = openChooser_->ChooseOpenPath()) {
        view_.OpenFile(*path);
    }
}

void ToolCommands::PlayerPlay() {
    LiveEngine& engine = context_.engine;
    engine.StopOutput();
    const PlayerState player = engine.Player();
    if (!player.loaded) {
        return;
    }
    if (player.playing && player.paused) {
        engine.ResumeFile();
        return;
    }
    if (const PlayerSliderHost* host = SliderHost()) {
        playerStartPosition_ = host->OnPlayerGetStart();
    }
    engine.PlayFile(playerStartPosition_);
}

bool ToolCommands::PlayerIsPlaying() const {
    return context_.engine.Player().playing;
}

void ToolCommands::PlayOnFromSlider() {
    LiveEngine& engine = context_.engine;
    if (!engine.Player().loaded) {
        return;
    }
    engine.StopOutput();
    if (const PlayerSliderHost* host = SliderHost()) {
        playerStartPosition_ = host->OnPlayerGetStart();
    }
    engine.PlayFile(playerStartPosition_);
}

void ToolCommands::PlayerPause() {
    context_.engine.PauseFile();
}

void ToolCommands::PlayerStop() {
    const PlayerState player = context_.engine.Player();
    PlayerSliderHost* host = SliderHost();
    if (host != nullptr && player.running) {
        host->OnPlayerPosition(0, player.length);
    }
    context_.engine.StopFile();
}

}  // namespace tonavise::ui
