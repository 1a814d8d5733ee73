// The main frame: the program's one top-level window, with the menu, the five toolbars (main,
// Scope, Player with the position slider, Recorder, Assistance), the loaded file's overview in a
// row of its own under them (shown once a file is loaded), the status bar and the scope view as
// its client. It offers every command to the view first, then handles its own (showing
// and hiding the bars, exit), then passes it to the application. It keeps the position slider in
// step with the file player and hands a dropped file to the view.
//
// Threads: user-interface thread only. Reports from worker threads reach it queued.
#pragma once

#include <QKeySequence>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <array>
#include <cstdint>
#include <map>

#include "ui/AppContext.h"
#include "ui/Commands.h"
#include "ui/ToolCommands.h"

class QLabel;
class QSlider;

namespace tonavise::ui {

class TunerDock;

class OverviewStrip;
class PlayerBar;
class PlayerPractice;
class RecorderReadout;
class ScopeView;

// The key of "Save copied screen", the one command without a menu item or a button.
inline const QKeySequence kSaveCopiedScreenKey{Qt::CTRL | Qt::SHIFT | Qt::Key_S};

class MainWindow : public QMainWindow, public CommandTarget, public PlayerSliderHost {
    Q_OBJECT
  public:
    // `application` handles the commands neither the view nor the frame handles; may be null.
    explicit MainWindow(AppContext& context,
                        CommandTarget* application = nullptr,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    ScopeView& view() const { return *view_; }

    // Starts the view (its threads and timers) and gives it the focus.
    void StartLive();

    // Runs a command as a menu item or button would: only when its rule enables it.
    bool ExecuteCommand(int id);
    CommandState CommandStateOf(int id) const { return router_.State(id); }
    // Applies every command's enable and check rule to its action.
    void UpdateCommandStates();
    QAction* Action(int id) const;
    RecorderReadout* recorderReadout() const { return recorderReadout_; }

    // The file player's reports.
    // The play position and the PCM length, in bytes.
    void OnPlayerPosition(int32_t position, int32_t length) override;
    // The slider's position, where Play starts.
    int32_t OnPlayerGetStart() const override;
    // The slider's new range.
    void OnPlayerLoaded(int32_t minimum, int32_t maximum);

    // A text in the status bar's message pane until the next one.
    void SetMessageText(const QString& text);
    // Brings the window to the front (a second start of the program asked for it).
    void BringToFront();

    // Handles a list of dropped files: the first local file goes to the view.
    void DropFiles(const QList<QUrl>& urls);

    QToolBar* mainToolBar() const { return mainToolBar_; }
    QToolBar* scopeBar() const { return scopeBar_; }
    PlayerBar* playerBar() const { return playerBar_; }
    QToolBar* recorderBar() const { return recorderBar_; }
    QToolBar* assistanceBar() const { return assistanceBar_; }
    TunerDock* tunerDock() const { return tunerDock_; }
    QToolBar* overviewBar() const { return overviewBar_; }
    OverviewStrip* overviewStrip() const { return overviewStrip_; }
    PlayerPractice* practice() const { return practice_; }
    QSlider* positionSlider() const;
    // "CAP", "NUM", "SCRL".
    QLabel* indicator(int index) const { return indicators_.at(index); }
    // The microphone's state in the status bar: "No input", the input lost so far, or nothing.
    QLabel* inputStateLabel() const { return inputState_; }
    void UpdateInputState();

    // CommandTarget: the frame's own commands.
    bool HandlesCommand(int id) const override;
    void UpdateCommand(int id, CommandState& state) override;
    void HandleCommand(int id) override;

    // The messages of the help command.
    static QString NoManualText(const QStringList& searched);
    static QString NoBrowserText(const QString& manual);

    QMenu* createPopupMenu() override;

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBars();
    void CreateTunerDock();
    // Keys that work wherever the focus is in the window; the commands' tips name them.
    void AddWindowKeys(std::initializer_list<std::pair<int, QKeySequence>> keys);
    // File > Recent Files, from the settings, newest first.
    void FillRecentMenu();
    void RememberRecent(const QString& path);
    void CreateStatusBar();
    QToolBar* MakeToolBar(const QString& title,
                          const char* objectName,
                          Qt::ToolBarAreas allowed,
                          std::initializer_list<int> ids);
    QToolBar* BarOf(int id) const;
    void UpdateIndicators();
    // The Player bar's name and time, loop and speed and transpose boxes.
    void CreatePracticeControls();
    // Hands the stored speed and transpose to the player once it runs.
    void ApplyPracticeSettings();
    // The file overview's row under the bars, and its links to the player.
    void CreateOverviewBar();
    // The user takes the play position in hand (the slider's thumb or the overview): a playing
    // file stops and, when let go, plays on from where the position was left.
    void BeginSeek();
    void EndSeek();
    // The played file's speed and transpose marked on the tuner, the tone window and the track.
    void ShowPlayedFileMark();
    // Bytes of the loaded file per second; 0 without a file.
    double PlayerBytesPerSecond() const;
    // The manual (ProgramFiles.h) in the desktop's browser; a message when there is no manual or
    // no browser could be started for it.
    void OpenHelp();

    AppContext& context_;
    ScopeView* view_;
    CommandRouter router_;
    std::map<int, QAction*> actions_;

    QToolBar* mainToolBar_ = nullptr;
    QToolBar* scopeBar_ = nullptr;
    PlayerBar* playerBar_ = nullptr;
    QToolBar* overviewBar_ = nullptr;
    OverviewStrip* overviewStrip_ = nullptr;
    PlayerPractice* practice_ = nullptr;
    QToolBar* recorderBar_ = nullptr;
    QToolBar* assistanceBar_ = nullptr;
    TunerDock* tunerDock_ = nullptr;
    RecorderReadout* recorderReadout_ = nullptr;
    std::array<QLabel*, 3> indicators_{};
    QLabel* inputState_ = nullptr;

    QTimer updateTimer_;
    // A seek key found a file playing and stopped it; it plays on once the thumb has moved.
    bool playOnAfterSeek_ = false;
    bool playOnAfterPress_ = false;  // the press on the slider stopped a playing file
    bool sliderHeld_ = false;        // the left button is down on the slider
    QString openingName_;            // the name of the file being opened
    QString openingPath_;            // and its path
    QMenu* recentMenu_ = nullptr;
};

}  // namespace tonavise::ui
