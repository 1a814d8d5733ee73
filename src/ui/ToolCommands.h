// The scope view's commands that drive the practice tools: the reference tone of "la", the
// metronome's Play, the recorder (Record, Stop, Play, Save) and the file player (Open File, Play,
// Pause, Stop). Each command posts messages to a worker thread of the view, in a fixed order,
// opens a file dialog or calls the recording store; its rule shows the tool's state in the menus
// and on the toolbars. A post to a thread that does not exist is skipped; the command's other
// steps still run.
//
// Threads: user-interface thread only. The rules read the worker threads' flags, which those
// threads write; none of the commands waits for a worker thread.
#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "engine/dsp/Metronome.h"
#include "ui/Commands.h"

namespace tonavise {
class SavePathChooser;
}

namespace tonavise::ui {

struct AppContext;
class ScopeView;
class OpenPathChooser;

// The window that holds the player's position slider (the main frame). The view's player
// commands ask it synchronously, on the user-interface thread.
class PlayerSliderHost {
  public:
    virtual ~PlayerSliderHost() = default;
    // The slider's position, where Play starts.
    virtual int32_t OnPlayerGetStart() const = 0;
    // The play position and the PCM length, in bytes.
    virtual void OnPlayerPosition(int32_t position, int32_t length) = 0;
};

class ToolCommands final : public CommandTarget {
  public:
    ToolCommands(ScopeView& view, AppContext& context);
    ~ToolCommands() override;

    // Where "Open File" and the recorder's "Save" get their paths; null: their dialogs.
    void SetOpenPathChooser(OpenPathChooser* chooser);
    void SetSavePathChooser(SavePathChooser* chooser);

    // The slider position read by the player's last Play command (0 before the first).
    int32_t playerStartPosition() const { return playerStartPosition_; }

    // A seek key on the slider: whether a file plays (paused or not), which the key then stops
    // as a press on the slider does; and, after the thumb has moved, playing on from it. The
    // second posts after the first's stop, so the player is stopped when it gets the new start.
    bool PlayerIsPlaying() const;
    void PlayOnFromSlider();

    // CommandTarget: 32810, 32852, 32855..32858, 32817, 32818, 32822, 32819.
    // A tap of the metronome's tempo at `seconds` (a steady clock), as the T key gives it: from
    // the second tap of a series on, the metronome takes the taps' tempo.
    void TapTempoNow(double seconds);

    bool HandlesCommand(int id) const override;
    void UpdateCommand(int id, CommandState& state) override;
    void HandleCommand(int id) override;

  private:
    TapTempo tapTempo_;
    void ToneLa();
    void MetronomePlay();
    void RecorderRecord();
    void RecorderStop();
    void RecorderPlay();
    void RecorderSave();
    void PlayerOpen();
    void PlayerPlay();
    void PlayerPause();
    void PlayerStop();
    PlayerSliderHost* SliderHost() const;

    ScopeView& view_;
    AppContext& context_;
    std::unique_ptr<OpenPathChooser> ownOpenChooser_;
    OpenPathChooser* openChooser_;
    std::unique_ptr<SavePathChooser> ownSaveChooser_;
    SavePathChooser* saveChooser_;
    int32_t playerStartPosition_ = 0;
};

}  // namespace tonavise::ui
