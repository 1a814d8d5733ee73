// The scope view: the one client window of the main frame. It owns the display state (mode,
// zoom and shift of each mode, key and notation, 3-D and logarithmic options), the drawing
// surfaces, the two timers that pull new sound and spectra from the capture store, and the
// worker threads of the program, which it starts when it is first shown and stops when it goes.
// It handles the display commands; the picture is shown at its pixel size in a scrolling area.
//
// Threads: user-interface thread only. The view never waits for a worker thread except for the
// 1 ms waits on the capture store's events and the joins when it shuts down.
#pragma once

#include <QScrollArea>
#include <QString>
#include <QTimer>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>

#include "AnalysisThread.h"
#include "AppContext.h"
#include "Commands.h"

class QMenu;

namespace tonavise::ui {

class CDlgFundamentTone;
class ScopePicture;

// Vertical full scale in percent (or the logarithmic unit), by levelIndex.
inline constexpr std::array<int32_t, 7> kLevelTable = {100, 50, 20, 10, 5, 2, 1};
// Milliseconds per waveform grid division, by waveZoomIndex.
inline constexpr std::array<double, 8> kTimeDivTable = {0.1, 0.2, 0.5, 1, 2, 5, 10, 20};
// Hertz across the frequency scale, by spanIndex.
inline constexpr std::array<int32_t, 4> kSpanTable = {1000, 2000, 5000, 10000};
// The highest frequency the frequency scale shows.
inline constexpr int32_t kMaxScaleFrequency = 10000;

inline constexpr int kTimer1Ms = 10;
inline constexpr int kTimer2Ms = 100;
inline constexpr int kSurfaceWidth = 1821;
inline constexpr int kSurfaceHeight = 471;

// The size of a mode's picture: 467 x 451 (waveform), 1067 x 451 (frequency scale), 1821 x 471
// (pitch scale); empty before the first mode.
QSize DrawingSizeOf(int32_t scopeMode);

// The frequency shown under x = X of the frequency-scale picture ("%dHZ" in the status bar),
// for 50 <= X < 1050; nothing elsewhere.
std::optional<int32_t> FrequencyAt(int x, int32_t spanIndex, int32_t startFrequency);
// Whether the hand cursor shows at client point (x, y) of the pitch scale picture scrolled by
// scrollX: 10 < y < 410 and a pitch line column 0..88 under x.
bool OverPitchLine(int x, int y, int scrollX);

// The context menu's key item texts, "1 = C" .. "1 = B".
QString KeySelectText(int key);

class CScopeView : public QScrollArea, public CommandTarget {
    Q_OBJECT
  public:
    explicit CScopeView(AppContext& context, QWidget* parent = nullptr);
    ~CScopeView() override;

    // Start-up: surfaces, settings, timers, the frame fitted around the pitch scale, the worker
    // threads and the analysis, in that order. Once only.
    void OnInitialUpdate();
    // Stops the analysis (waiting for it), the timers and every worker thread (joined). Also
    // done by the destructor. Once only.
    void OnDestroy();

    void SwitchMode(int32_t mode);
    void FitFrameToView();
    // Composes the picture from the latest data and shows it.
    void RedrawNow();
    // A file to play (from a drop or the open dialog): handed to the file player.
    void PostOpenFile(const QString& path);

    // The key menu of the pitch scale (its items check the current key); null in other modes.
    std::unique_ptr<QMenu> CreateKeySelectMenu();

    // CommandTarget
    bool HandlesCommand(int id) const override;
    void UpdateCommand(int id, CommandState& state) override;
    void OnCommand(int id) override;

    // State, read by the frame, the tool windows and tests.
    int32_t scopeMode() const;
    int32_t channelCount() const;
    QSize drawingSize() const { return drawingSize_; }
    int32_t levelIndex() const { return levelIndex_; }
    int32_t waveZoomIndex() const { return waveZoomIndex_; }
    int32_t spanIndex() const { return spanIndex_; }
    int32_t startFrequency() const { return startFrequency_; }
    int32_t keyIndex() const { return keyIndex_; }
    int32_t notationCounter() const { return notationCounter_; }
    bool threeD() const { return threeD_; }
    bool scaleDirty() const { return scaleDirty_; }
    bool toneWindowShown() const { return toneWindowShown_ != 0; }
    CDlgFundamentTone* toneWindow() const { return toneWindow_; }
    bool analysisRunning() const { return analysis_ && analysis_->IsRunning(); }
    // The picture shown (the drawingSize rectangle of it).
    const QImage& composedPicture() const;
    QWidget* picture() const;

    // Sets the frequency window directly (tests of the zoom and watch rules).
    void SetFrequencyWindow(int32_t spanIndex, int32_t startFrequency);

  signals:
    // A text for the frame's status bar (the frequency readout).
    void messageString(const QString& text);
    // A file was handed over for playing (from a drop or the open dialog).
    void fileOpenRequested(const QString& path);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The file player as the analysis sees it: idle until the player thread exists.
    class PlayerView final : public PlayerStatus {
      public:
        bool IsPlaying() const override { return false; }
        int ChannelCount() const override { return 1; }
    };

    void OnTimer1();
    void OnTimer2();
    void OnMouseMove(QPoint viewportPoint);
    void UpdateCursor(QPoint viewportPoint);
    void ComposePicture();
    void MarkScaleDirty();
    void ToggleToneWindow();
    void OnToneWindowClosed();
    QWidget* Frame() const;
    int ScrollX() const;

    int32_t StepHz() const;
    int32_t AlignedStart() const;

    AppContext& context_;

    // Drawing
    QImage composeSurface_;
    ScopePicture* picture_;
    bool scaleDirty_ = true;
    QSize drawingSize_{0, 0};

    // Display state
    int32_t toneWindowShown_ = 0;
    CDlgFundamentTone* toneWindow_ = nullptr;  // child of the view, created on first use
    int32_t waveEnd_ = 32767;
    std::array<int16_t, 882> lastWaveFrame_;
    int32_t waveZoomIndex_ = 3;
    int32_t spanIndex_ = 2;
    int32_t startFrequency_ = 0;
    int32_t keyIndex_ = 0;
    int32_t notationCounter_ = 0;
    int32_t levelIndex_ = 3;
    bool threeD_ = false;
    int32_t threeDCount_ = 0;

    QTimer timer1_;
    QTimer timer2_;

    // Threads
    PlayerView playerView_;
    std::unique_ptr<AnalysisThread> analysis_;
    bool started_ = false;
    bool destroyed_ = false;
};

}  // namespace tonavise::ui
