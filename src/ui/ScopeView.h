// The scope view: the one client window of the main frame. It owns the display state (mode,
// zoom and shift of each mode, key and notation, 3-D and logarithmic options), the drawing
// surfaces (through the renderer) and the two timers that pull new sound and spectra from the
// capture store and keep a playing file's sound in the scope. It asks the live engine to start
// when it is first shown and to stop when it goes. It handles the display commands, and hands
// the commands of the practice tools to its ToolCommands; the picture is shown at its pixel
// size in a scrolling area, or (View > Fit Picture to Window) scaled smoothly to the window,
// its aspect kept or not. Mouse positions on a scaled picture are mapped back to its pixels.
//
// Threads: user-interface thread only. The view never waits for a worker thread except for the
// zero-length checks of the capture store's events, the history lock while the waveform is
// searched and drawn, and the engine's stop when it shuts down.
#pragma once

#include <QPointer>
#include <QScrollArea>
#include <QSocketNotifier>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "engine/live/AnalysisThread.h"
#include "engine/live/LiveEngine.h"
#include "render/ScopeRenderer.h"
#include "render/ScopeState.h"
#include "render/WaveTrigger.h"
#include "ui/AppContext.h"
#include "ui/Commands.h"
#include "ui/ScopeCapture.h"
#include "ui/ToolCommands.h"

class QMenu;

namespace tonavise {
struct HeardBeat;
}  // namespace tonavise

namespace tonavise::ui {

class FundamentalToneWindow;
class PitchTrackWindow;
class SignalGeneratorDialog;
class MetronomeDialog;
class ScopePicture;

// The highest frequency the frequency scale shows.
inline constexpr int32_t kMaxScaleFrequency = 10000;

QSize DrawingSizeOfMode(int32_t scopeMode);

// The frequency shown under x = X of the frequency-scale picture ("%dHZ" in the status bar),
// for 50 <= X < 1050; nothing elsewhere.
std::optional<int32_t> FrequencyAt(int x, int32_t spanIndex, int32_t startFrequency);
// Whether the hand cursor shows at client point (x, y) of the pitch scale picture scrolled by
// scrollX: 10 < y < 410 and a pitch line column 0..88 under x.
bool OverPitchLine(int x, int y, int scrollX);

// Where a picture of `drawing` pixels is shown when fitted into `area` (keeping its aspect:
// centred, as large as fits).
QRect FittedPictureRect(QSize drawing, QSize area, bool keepAspect);
// The picture pixel under `point` of a picture of `drawing` pixels shown in `shown`, or
// (-1, -1) when the point lies outside it.
QPoint FittedToPicture(QPoint point, QRect shown, QSize drawing);

// The context menu's key item texts, "1 = C" .. "1 = B".
QString KeySelectText(int key);

class ScopeView : public QScrollArea, public CommandTarget {
    Q_OBJECT
  public:
    explicit ScopeView(AppContext& context, QWidget* parent = nullptr);
    ~ScopeView() override;

    // Start-up: settings, timers, the frame fitted around the pitch scale, then the live engine
    // (worker threads and analysis). Once only.
    void StartLive();
    // Stops the timers, the live engine and the screen capturer. Also done by the destructor.
    // Once only.
    void StopLive();

    void SwitchMode(int32_t mode);
    void FitFrameToView();
    // Composes the picture from the latest data and shows it.
    void RedrawNow();
    // A file to play (from a drop or the open dialog): handed to the file player with its own
    // copy of the path. Without a file player nothing happens.
    void OpenFile(const QString& path);
    // The frame's dropped file: OpenFile with the wait cursor shown.
    void OnViewOpenFile(const QString& path);

    // The key menu of the pitch scale (its items check the current key); null in other modes.
    std::unique_ptr<QMenu> CreateKeySelectMenu();

    // The timed capture, the copied picture and the capturer thread.
    ScopeCapture& capture() { return *capture_; }
    // The commands of the tone, the metronome, the recorder and the player.
    ToolCommands& tools() { return *tools_; }

    // CommandTarget
    bool HandlesCommand(int id) const override;
    void UpdateCommand(int id, CommandState& state) override;
    void HandleCommand(int id) override;

    // State, read by the frame, the tool windows and tests.
    int32_t scopeMode() const;
    int32_t channelCount() const;
    QSize drawingSize() const { return drawingSize_; }
    const ScopeViewState& state() const { return state_; }
    int32_t levelIndex() const { return state_.levelIndex; }
    int32_t waveZoomIndex() const { return state_.waveZoomIndex; }
    int32_t spanIndex() const { return state_.spanIndex; }
    int32_t startFrequency() const { return state_.startFrequency; }
    int32_t keyIndex() const { return state_.keyIndex; }
    int32_t notationCounter() const { return state_.notationCounter; }
    bool threeD() const { return state_.threeD; }
    const WaveTrigger& trigger() const { return trigger_; }
    bool toneWindowShown() const { return toneWindowShown_ != 0; }
    FundamentalToneWindow* toneWindow() const { return toneWindow_; }
    bool pitchTrackShown() const { return trackWindowShown_; }
    bool fitPicture() const { return fitPicture_; }
    bool keepAspect() const { return keepAspect_; }
    // The pitch track window; null until its command is first used.
    PitchTrackWindow* pitchTrackWindow() const { return trackWindow_; }
    // The signal generator's dialog; null until its command is first used.
    SignalGeneratorDialog* signalDialog() const;
    MetronomeDialog* metronomeDialog() const;
    bool analysisRunning() const { return context_.engine.analysisRunning(); }
    // How many pictures were composed since the start.
    int64_t redrawCount() const { return redrawCount_; }
    const ScopeRenderer& renderer() const { return renderer_; }
    // The picture shown (the drawingSize rectangle of it).
    const QImage& composedPicture() const { return renderer_.composeSurface(); }
    QWidget* picture() const;

    // The metronome's beat reaching the output now (none while it is silent), for the visual
    // beat.
    HeardBeat HeardMetronomeBeat() const;
    LiveEngine& engine() const { return context_.engine; }

    // Sets the frequency window directly (tests of the zoom and watch rules).
    void SetFrequencyWindow(int32_t spanIndex, int32_t startFrequency);

  signals:
    // A text for the frame's status bar (the frequency readout).
    void messageString(const QString& text);
    // A file was handed over for playing (from a drop or the open dialog).
    void fileOpenRequested(const QString& path);
    // The file player's reports, emitted on the player's thread; the frame receives them queued.
    void playerPositionReported(qint64 position, qint64 length);
    void playerLoadedReported(qint64 length);
    void playerOverviewReported(tonavise::FileOverview overview);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Hands the file player's reports to the frame: signals of the view, queued to the
    // user-interface thread. Called on the player's thread.
    class PlayerReports final : public PlayerListener {
      public:
        explicit PlayerReports(ScopeView& view) : view_(view) {}
        void OnPlayerPosition(int64_t position, int64_t length) override {
            emit view_.playerPositionReported(position, length);
        }
        void OnPlayerLoaded(int64_t length) override { emit view_.playerLoadedReported(length); }
        void OnPlayerOverview(const FileOverview& overview) override {
            emit view_.playerOverviewReported(overview);
        }

      private:
        ScopeView& view_;
    };

    // The store woke the view: draws a new captured block (waveform) or a new spectrum
    // (frequency and pitch scales).
    void OnViewWake();
    void OnMouseMove(QPoint viewportPoint);
    void UpdateCursor(QPoint viewportPoint);
    // Scaled (fit) or at its pixel size with scroll bars; stores the choice.
    void ApplyPictureFit();
    void ComposePicture();
    void MarkScaleDirty() { scaleDirty_ = true; }
    void ToggleToneWindow();
    // The metronome's and the signal generator's dialogs.
    static bool IsSoundDialogCommand(int id);
    void OnSoundDialogCommand(int id);
    void PlaceToneWindow();
    void OnToneWindowClosed();
    void TogglePrecisePitch();
    void TogglePitchTrack();
    void SavePitchTrackState();
    // Hands a new analysis to the tool windows that follow every block.
    void FeedToolWindows(const SpectrumFrame& frame);
    QWidget* Frame() const;
    int ScrollX() const;

    int32_t StepHz() const;
    int32_t AlignedStart() const;

    AppContext& context_;

    // Drawing
    ScopeRenderer renderer_;
    ScopePicture* picture_;
    bool scaleDirty_ = true;
    QSize drawingSize_{0, 0};
    ScopeViewState state_;
    WaveTrigger trigger_;
    int64_t redrawCount_ = 0;
    bool fitPicture_ = false;
    bool keepAspect_ = true;

    // Tool windows
    int32_t toneWindowShown_ = 0;
    FundamentalToneWindow* toneWindow_ = nullptr;  // child of the view, created on first use
    PitchTrackWindow* trackWindow_ = nullptr;      // child of the view, created on first use
    bool trackWindowShown_ = false;
    bool tunerSmoothing_ = true;
    int32_t trackSpan_ = 10;
    QSize trackSize_{720, 360};
    QPointer<SignalGeneratorDialog> signalDialog_;  // child of the view, created on first use
    QPointer<MetronomeDialog> metronomeDialog_;     // child of the main window, on first use

    QSocketNotifier* viewWake_ = nullptr;  // child; watches the store's view wake-up

    // Reaches the file player's thread; lives until the engine has stopped.
    PlayerReports playerReports_{*this};
    std::unique_ptr<ScopeCapture> capture_;
    std::unique_ptr<ToolCommands> tools_;
    bool started_ = false;
    bool destroyed_ = false;
};

}  // namespace tonavise::ui
