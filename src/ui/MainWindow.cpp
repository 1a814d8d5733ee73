#include "ui/MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QToolBar>
#include <algorithm>

#include "engine/audiofile/PracticeStream.h"
#include "engine/core/Notifier.h"
#include "engine/device/SoundDevice.h"
#include "engine/live/LiveEngine.h"
#include "ui/BeatLights.h"
#include "ui/CommandIds.h"
#include "ui/FundamentalToneWindow.h"
#include "ui/OverviewStrip.h"
#include "ui/PitchTrackWindow.h"
#include "ui/PlayerBar.h"
#include "ui/PlayerPractice.h"
#include "ui/ProductInfo.h"
#include "ui/ProgramFiles.h"
#include "ui/RecorderReadout.h"
#include "ui/ScopeView.h"
#include "ui/SettingsStore.h"
#include "ui/ToolIcons.h"
#include "ui/TunerView.h"
#include "ui/WebPageOpener.h"

namespace tonavise::ui {

namespace {

constexpr int kUpdateIntervalMs = 100;
constexpr int kSeparator = 0;

// The keyboard lights as the kernel reports them (/sys/class/leds/<device>::capslock); all
// off when the system does not say.
class LockLights {
  public:
    LockLights() {
        const QDir leds(QStringLiteral("/sys/class/leds"));
        const char* const kinds[3] = {"capslock", "numlock", "scrolllock"};
        for (int i = 0; i < 3; ++i) {
            for (const QString& name :
                 leds.entryList({QStringLiteral("*::") + QLatin1String(kinds[i])}, QDir::Dirs)) {
                files_[i] << leds.filePath(name + QStringLiteral("/brightness"));
            }
        }
    }

    bool On(int i) const {
        for (const QString& path : files_[i]) {
            QFile f(path);
            if (f.open(QIODevice::ReadOnly) && f.readAll().trimmed() != "0") {
                return true;
            }
        }
        return false;
    }

  private:
    std::array<QStringList, 3> files_;
};

const LockLights& Lights() {
    static const LockLights lights;
    return lights;
}

}  // namespace

MainWindow::MainWindow(AppContext& context, CommandTarget* application, QWidget* parent)
    : QMainWindow(parent), context_(context), view_(new ScopeView(context, this)) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QString::fromLatin1(kProductName));
    setWindowIcon(MakeAppIcon());
    setCentralWidget(view_);
    setFocusProxy(view_);

    router_.AddTarget(view_);
    router_.AddTarget(this);
    if (application != nullptr) {
        router_.AddTarget(application);
    }

    CreateActions();
    CreateMenus();
    CreateToolBars();
    CreateStatusBar();
    setAcceptDrops(true);

    connect(view_, &ScopeView::messageString, this, &MainWindow::SetMessageText);
    // The file player's reports come from its thread.
    connect(
        view_,
        &ScopeView::playerPositionReported,
        this,
        [this](qint64 position, qint64 length) {
            OnPlayerPosition(static_cast<int32_t>(position), static_cast<int32_t>(length));
        },
        Qt::QueuedConnection);
    connect(
        view_,
        &ScopeView::playerLoadedReported,
        this,
        [this](qint64 length) { OnPlayerLoaded(0, static_cast<int32_t>(length)); },
        Qt::QueuedConnection);
    connect(&updateTimer_, &QTimer::timeout, this, [this] {
        UpdateCommandStates();
        UpdateIndicators();
        UpdateInputState();
        recorderReadout_->Show(
            context_.recordingStore.Levels(),
            context_.recordingStore.recording.load(std::memory_order_relaxed) != 0);
        ShowPlayedFileMark();
    });
    updateTimer_.start(kUpdateIntervalMs);
    UpdateCommandStates();
}

void MainWindow::UpdateInputState() {
    const LiveInputState state = view_->engine().InputState();
    const uint64_t lost = state.droppedBlocks + state.overruns;
    QString text;
    const DeviceFactory* devices = context_.devices;
    // Devices by the names people know them by (the server's descriptions), never raw names.
    const auto missing = [devices](DeviceDirection direction) {
        const std::string name =
            devices != nullptr ? devices->MissingDevice(direction) : std::string();
        return name.empty() ? name : devices->Description(name);
    };
    const std::string missingInput = missing(DeviceDirection::Input);
    const std::string missingOutput = missing(DeviceDirection::Output);
    if (state.noInput) {
        text = tr("No input");
    } else if (!missingInput.empty()) {
        text = tr("The chosen input %1 is not available; using the default")
                   .arg(QString::fromStdString(missingInput));
    } else if (!missingOutput.empty()) {
        text = tr("The chosen output %1 is not available; using the default")
                   .arg(QString::fromStdString(missingOutput));
    } else if (lost > 0) {
        text = tr("Input lost: %1").arg(lost);
    }
    if (inputState_->text() != text) {
        inputState_->setText(text);
    }
}

MainWindow::~MainWindow() {
    updateTimer_.stop();
    // The view stops its threads before the frame's bars and menus go.
    view_->StopLive();
}

void MainWindow::StartLive() {
    view_->StartLive();
    ApplyPracticeSettings();
    view_->setFocus();
    UpdateCommandStates();
}

void MainWindow::CreateActions() {
    for (const CommandInfo& info : CommandTable()) {
        auto* action = new QAction(this);
        const QString menuText = CommandMenuText(info);
        action->setText(menuText.isEmpty() ? CommandToolTip(info) : menuText);
        action->setIcon(MakeToolIcon(info.icon));
        action->setIconVisibleInMenu(false);
        action->setStatusTip(CommandPrompt(info));
        const QString tip = CommandToolTip(info);
        action->setToolTip(tip.isEmpty() ? menuText : tip);
        action->setCheckable(info.checkable);
        action->setData(info.id);
        const int id = info.id;
        connect(action, &QAction::triggered, this, [this, id] { ExecuteCommand(id); });
        actions_[id] = action;
    }
}

QAction* MainWindow::Action(int id) const {
    const auto it = actions_.find(id);
    return it == actions_.end() ? nullptr : it->second;
}

void MainWindow::CreateMenus() {
    auto add = [this](QMenu* menu, std::initializer_list<int> ids) {
        for (int id : ids) {
            if (id == kSeparator) {
                menu->addSeparator();
            } else {
                menu->addAction(Action(id));
            }
        }
    };
    QMenuBar* bar = menuBar();

    QMenu* file = bar->addMenu(tr("&File"));
    add(file, {ID_PLAYER_OPEN});
    recentMenu_ = file->addMenu(tr("Recent Files"));
    connect(recentMenu_, &QMenu::aboutToShow, this, &MainWindow::FillRecentMenu);
    add(file, {kSeparator, ID_CAPTURE_SCREEN, kSeparator, ID_APP_EXIT});
    AddWindowKeys({{ID_PLAYER_OPEN, QKeySequence(Qt::CTRL | Qt::Key_O)},
                   {ID_PLAYER_PLAY_PAUSE, QKeySequence(Qt::Key_Space)},
                   {ID_METRONOME_TAP, QKeySequence(Qt::Key_T)}});
    // "Save copied screen" is on no menu and no toolbar; its key reaches it.
    QAction* saveCopied = Action(ID_SAVE_COPIED_SCREEN);
    saveCopied->setShortcut(kSaveCopiedScreenKey);
    addAction(saveCopied);

    QMenu* function = bar->addMenu(tr("&Function"));
    add(function, {ID_WAVE_SHAPE});
    add(function->addMenu(tr("Spectrum Scope")),
        {ID_FREQUENCY_SCALE, ID_PITCH_SCALE, ID_THREE_D, ID_LOGARITHM});
    function->addSeparator();
    add(function->addMenu(tr("Zoom And Shift")),
        {ID_VERT_ZOOM_IN,
         ID_VERT_ZOOM_OUT,
         ID_HOR_ZOOM_IN,
         ID_HOR_ZOOM_OUT,
         kSeparator,
         ID_WATCH_RIGHT,
         ID_WATCH_LEFT});
    QMenu* keys = function->addMenu(tr("Select Key"));
    for (int id = ID_KEY_C; id <= ID_KEY_B; ++id) {
        keys->addAction(Action(id));
    }
    add(function, {ID_PITCH_MARKING, ID_SELECT_NOTATION, kSeparator});
    add(function->addMenu(tr("Select Microphone's channel")), {ID_MIC_MONO, ID_MIC_STEREO});
    function->addSeparator();
    add(function->addMenu(tr("Player")),
        {ID_PLAYER_OPEN,
         ID_PLAYER_PLAY,
         ID_PLAYER_PAUSE,
         ID_PLAYER_STOP,
         kSeparator,
         ID_PLAYER_LOOP_A,
         ID_PLAYER_LOOP_B,
         ID_PLAYER_LOOP_CLEAR,
         ID_PLAYER_LOOP_EDIT});

    QMenu* tool = bar->addMenu(tr("&Tool"));
    add(tool, {ID_TONE_LA, kSeparator});
    add(tool->addMenu(tr("Metronome")), {ID_METRONOME_SET, ID_METRONOME_PLAY});
    tool->addSeparator();
    add(tool->addMenu(tr("Recorder")),
        {ID_RECORDER_RECORD, ID_RECORDER_STOP, ID_RECORDER_PLAY, ID_RECORDER_SAVE});
    add(tool, {kSeparator, ID_SIGNAL_GENERATOR});

    QMenu* view = bar->addMenu(tr("&View"));
    add(view,
        {kSeparator,
         ID_VIEW_TOOLBAR,
         ID_VIEW_STATUS_BAR,
         ID_SHOW_SCOPE_BAR,
         ID_SHOW_PLAYER_BAR,
         ID_SHOW_RECORDER_BAR,
         ID_SHOW_ASSISTANCE_BAR,
         kSeparator,
         ID_FUNDAMENTAL_TONE,
         ID_PRECISE_PITCH,
         ID_PITCH_TRACK,
         ID_TUNER,
         ID_TUNER_STROBE,
         kSeparator,
         ID_FIT_PICTURE,
         ID_KEEP_ASPECT,
         kSeparator,
         ID_SET_PARAMETERS});

    QMenu* help = bar->addMenu(tr("&Help"));
    add(help, {ID_APP_ABOUT, ID_HELP_SHOW});

    // Every menu shows its items' current state.
    for (QMenu* menu : bar->findChildren<QMenu*>()) {
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::UpdateCommandStates);
    }
}

QToolBar* MainWindow::MakeToolBar(const QString& title,
                                  const char* objectName,
                                  Qt::ToolBarAreas allowed,
                                  std::initializer_list<int> ids) {
    auto* bar = new QToolBar(title, this);
    bar->setObjectName(QLatin1String(objectName));
    bar->setIconSize(QSize(kToolIconSize, kToolIconSize));
    bar->setAllowedAreas(allowed);
    bar->setMovable(true);
    for (int id : ids) {
        if (id == kSeparator) {
            bar->addSeparator();
        } else {
            bar->addAction(Action(id));
        }
    }
    return bar;
}

void MainWindow::CreateToolBars() {
    mainToolBar_ = MakeToolBar(QString::fromLatin1(kProductName),
                               "mainToolBar",
                               Qt::TopToolBarArea,
                               {ID_CAPTURE_SCREEN, ID_SET_PARAMETERS, kSeparator, ID_HELP_SHOW});
    scopeBar_ = MakeToolBar(tr("Scope Type"),
                            "scopeBar",
                            Qt::LeftToolBarArea,
                            {ID_WAVE_SHAPE,
                             ID_FREQUENCY_SCALE,
                             ID_PITCH_SCALE,
                             kSeparator,
                             ID_VERT_ZOOM_IN,
                             ID_VERT_ZOOM_OUT,
                             kSeparator,
                             ID_HOR_ZOOM_IN,
                             ID_HOR_ZOOM_OUT,
                             kSeparator,
                             ID_WATCH_RIGHT,
                             ID_WATCH_LEFT,
                             kSeparator,
                             ID_THREE_D,
                             ID_SELECT_NOTATION,
                             ID_PITCH_MARKING});
    recorderBar_ = MakeToolBar(tr("Recorder"),
                               "recorderBar",
                               Qt::BottomToolBarArea,
                               {ID_TONE_LA,
                                ID_METRONOME_PLAY,
                                kSeparator,
                                ID_RECORDER_RECORD,
                                ID_RECORDER_STOP,
                                ID_RECORDER_PLAY,
                                ID_RECORDER_SAVE});
    recorderReadout_ = new RecorderReadout(recorderBar_);
    recorderBar_->addWidget(recorderReadout_);
    assistanceBar_ =
        MakeToolBar(tr("Assistance"),
                    "assistanceBar",
                    Qt::RightToolBarArea,
                    {ID_SIGNAL_GENERATOR, kSeparator, ID_TUNER, ID_PRECISE_PITCH, ID_PITCH_TRACK});
    // The metronome's visual beat, at hand while the dialog is closed.
    assistanceBar_->addSeparator();
    auto* beatLights = new BeatLights([this] { return view_->HeardMetronomeBeat(); });
    beatLights->SetMeterSource([this] { return view_->engine().controls.SoundingMeter(); });
    beatLights->SetVertical(assistanceBar_->orientation() == Qt::Vertical);
    connect(assistanceBar_, &QToolBar::orientationChanged, beatLights, [beatLights](auto o) {
        beatLights->SetVertical(o == Qt::Vertical);
    });
    assistanceBar_->addWidget(beatLights);

    playerBar_ = new PlayerBar(tr("Player"), this);
    playerBar_->setObjectName(QStringLiteral("playerBar"));
    playerBar_->setIconSize(QSize(kToolIconSize, kToolIconSize));
    playerBar_->setAllowedAreas(Qt::TopToolBarArea);
    for (int id : {ID_PLAYER_OPEN, ID_PLAYER_PLAY, ID_PLAYER_PAUSE, ID_PLAYER_STOP}) {
        playerBar_->addAction(Action(id));
    }
    playerBar_->addWidget(playerBar_->slider());
    CreatePracticeControls();
    // A press on the slider first stops a playing file; the slider then moves its thumb, from
    // where it was when the file was playing (not from the 0 that Stop shows), and on the
    // release a file that was playing plays on from where the thumb was let go.
    connect(playerBar_, &PlayerBar::sliderPressedByUser, this, &MainWindow::BeginSeek);
    connect(playerBar_, &PlayerBar::sliderReleasedByUser, this, &MainWindow::EndSeek);
    // A seek key is a press made with the keyboard: it stops a playing file too, but the thumb
    // moves from where it was (not from the 0 that Stop shows), and a file that was playing or
    // paused plays on from the new place, which is what the key is for.
    connect(playerBar_->slider(), &PositionSlider::seekKeyPressed, this, [this] {
        playOnAfterSeek_ = view_->tools().PlayerIsPlaying();
        if (playOnAfterSeek_) {
            const int position = positionSlider()->value();
            ExecuteCommand(ID_PLAYER_STOP);
            positionSlider()->setValue(position);
        }
    });
    connect(playerBar_->slider(), &PositionSlider::seekedByKey, this, [this] {
        if (playOnAfterSeek_) {
            playOnAfterSeek_ = false;
            view_->tools().PlayOnFromSlider();
            UpdateCommandStates();
        }
    });

    // The main toolbar and the Player bar share the top row, the Player bar after it.
    addToolBar(Qt::TopToolBarArea, mainToolBar_);
    addToolBar(Qt::TopToolBarArea, playerBar_);
    addToolBar(Qt::LeftToolBarArea, scopeBar_);
    addToolBar(Qt::BottomToolBarArea, recorderBar_);
    addToolBar(Qt::RightToolBarArea, assistanceBar_);
    CreateOverviewBar();
    CreateTunerDock();
}

void MainWindow::BeginSeek() {
    sliderHeld_ = true;
    playOnAfterPress_ = view_->tools().PlayerIsPlaying();
    const int position = positionSlider()->value();
    ExecuteCommand(ID_PLAYER_STOP);
    if (playOnAfterPress_) {
        positionSlider()->setValue(position);
    }
}

void MainWindow::EndSeek() {
    sliderHeld_ = false;
    if (playOnAfterPress_) {
        playOnAfterPress_ = false;
        view_->tools().PlayOnFromSlider();
        UpdateCommandStates();
    }
}

void MainWindow::ShowPlayedFileMark() {
    const QString mark = practice_->PlayedFileMark();
    tunerDock_->face()->SetPlayedFileMark(mark);
    if (FundamentalToneWindow* tone = view_->toneWindow()) {
        tone->SetPlayedFileMark(mark);
    }
    if (PitchTrackWindow* track = view_->pitchTrackWindow()) {
        track->SetPlayedFileMark(mark);
    }
}

double MainWindow::PlayerBytesPerSecond() const {
    const PlayerState player = view_->engine().Player();
    return player.loaded ? static_cast<double>(player.bytesPerSecond) : 0.0;
}

void MainWindow::CreateOverviewBar() {
    overviewBar_ = new QToolBar(tr("Overview"), this);
    overviewBar_->setObjectName(QStringLiteral("overviewBar"));
    overviewBar_->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    overviewStrip_ = new OverviewStrip(overviewBar_);
    overviewBar_->addWidget(overviewStrip_);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, overviewBar_);
    // Without a file the window looks as it always has; the row comes with the first file.
    overviewBar_->setVisible(false);
    connect(
        view_,
        &ScopeView::playerOverviewReported,
        this,
        [this](const FileOverview& overview) {
            overviewStrip_->SetOverview(overview);
            overviewBar_->setVisible(true);
        },
        Qt::QueuedConnection);
    const auto bytesAt = [this](double seconds) {
        return static_cast<int>(std::llround(seconds * PlayerBytesPerSecond()));
    };
    connect(overviewStrip_, &OverviewStrip::seekPressed, this, [this, bytesAt](double seconds) {
        if (PlayerBytesPerSecond() <= 0.0) {
            return;
        }
        BeginSeek();
        positionSlider()->setValue(bytesAt(seconds));
    });
    connect(overviewStrip_, &OverviewStrip::seekMoved, this, [this, bytesAt](double seconds) {
        if (sliderHeld_) {
            positionSlider()->setValue(bytesAt(seconds));
        }
    });
    connect(overviewStrip_, &OverviewStrip::seekReleased, this, [this] {
        if (sliderHeld_) {
            EndSeek();
        }
    });
    practice_ =
        new PlayerPractice(context_.engine, context_.settings, *playerBar_, *overviewStrip_, this);
    connect(practice_, &PlayerPractice::message, this, &MainWindow::SetMessageText);
    AddWindowKeys({{ID_PLAYER_LOOP_EDIT, QKeySequence(Qt::CTRL | Qt::Key_L)}});
    connect(positionSlider(), &QSlider::valueChanged, this, [this](int value) {
        const double rate = PlayerBytesPerSecond();
        overviewStrip_->SetPosition(rate > 0.0 ? value / rate : -1.0);
    });
}

void MainWindow::CreateTunerDock() {
    // Docked at the right, hidden at the first start so that the window opens as it always
    // did; shown or hidden, and where, as the user left it.
    tunerDock_ = new TunerDock(context_.engine, context_.settings, this);
    const int area = context_.settings.ReadInt(kSectionSetting, QStringLiteral("TunerArea"), 2);
    addDockWidget(area == 1 ? Qt::LeftDockWidgetArea : Qt::RightDockWidgetArea, tunerDock_);
    tunerDock_->setVisible(
        context_.settings.ReadInt(kSectionSetting, QStringLiteral("TunerShown"), 0) == 1);
    // Closed with its own button: remembered as hidden (the window's end hides it too, and
    // that is not remembered). The command states follow on the frame's update timer.
    connect(tunerDock_, &TunerDock::closedByUser, this, [this] {
        context_.settings.WriteInt(kSectionSetting, QStringLiteral("TunerShown"), 0);
    });
    connect(tunerDock_, &QDockWidget::dockLocationChanged, this, [this](Qt::DockWidgetArea where) {
        context_.settings.WriteInt(
            kSectionSetting, QStringLiteral("TunerArea"), where == Qt::LeftDockWidgetArea ? 1 : 2);
    });
    // Apart from the player's and the metronome's.
    AddWindowKeys({{ID_TUNER, QKeySequence(Qt::Key_F9)},
                   {ID_TUNER_STROBE, QKeySequence(Qt::SHIFT | Qt::Key_F9)}});
}

void MainWindow::AddWindowKeys(std::initializer_list<std::pair<int, QKeySequence>> keys) {
    for (const auto& [id, key] : keys) {
        QAction* action = Action(id);
        action->setShortcut(key);
        action->setToolTip(QStringLiteral("%1 (%2)").arg(action->toolTip(),
                                                         key.toString(QKeySequence::NativeText)));
        addAction(action);
    }
}

namespace {
constexpr int kRecentFiles = 8;
QString RecentKey(int i) {
    return QStringLiteral("RecentFile%1").arg(i + 1);
}
}  // namespace

void MainWindow::FillRecentMenu() {
    recentMenu_->clear();
    for (int i = 0; i < kRecentFiles; ++i) {
        const QString path = context_.settings.ReadString(kSectionSetting, RecentKey(i), QString());
        if (path.isEmpty()) {
            break;
        }
        QAction* a = recentMenu_->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
        a->setToolTip(path);
        connect(a, &QAction::triggered, this, [this, path] {
            if (!QFileInfo::exists(path)) {
                SetMessageText(tr("%1 is no longer there").arg(path));
                return;
            }
            view_->OnViewOpenFile(path);
        });
    }
    recentMenu_->setEnabled(!recentMenu_->isEmpty());
}

void MainWindow::RememberRecent(const QString& path) {
    QStringList paths{path};
    for (int i = 0; i < kRecentFiles; ++i) {
        const QString p = context_.settings.ReadString(kSectionSetting, RecentKey(i), QString());
        if (!p.isEmpty() && p != path && paths.size() < kRecentFiles) {
            paths.append(p);
        }
    }
    for (int i = 0; i < kRecentFiles; ++i) {
        context_.settings.WriteString(
            kSectionSetting, RecentKey(i), i < paths.size() ? paths[i] : QString());
    }
}

void MainWindow::CreatePracticeControls() {
    AddWindowKeys({{ID_PLAYER_LOOP_A, QKeySequence(Qt::Key_BracketLeft)},
                   {ID_PLAYER_LOOP_B, QKeySequence(Qt::Key_BracketRight)},
                   {ID_PLAYER_LOOP_CLEAR, QKeySequence(Qt::Key_Backslash)}});
    playerBar_->AddPracticeControls(
        {Action(ID_PLAYER_LOOP_A), Action(ID_PLAYER_LOOP_B), Action(ID_PLAYER_LOOP_CLEAR)});

    // The time beside the slider follows the thumb: the play position while a file plays,
    // where Play will start otherwise.
    connect(positionSlider(), &QSlider::valueChanged, this, [this](int value) {
        const PlayerState player = view_->engine().Player();
        playerBar_->ShowTime(
            value, positionSlider()->maximum(), player.loaded ? player.bytesPerSecond : 0);
    });
    connect(view_, &ScopeView::fileOpenRequested, this, [this](const QString& path) {
        openingName_ = QFileInfo(path).fileName();
        openingPath_ = QFileInfo(path).absoluteFilePath();
        playerBar_->SetFileName({});
        practice_->FileOpening(openingPath_);
    });
}

void MainWindow::ApplyPracticeSettings() {
    view_->engine().SetPlayerSpeed(playerBar_->speedBox()->value());
    view_->engine().SetPlayerTranspose(playerBar_->transposeBox()->value());
    practice_->ApplyStored();
}

void MainWindow::CreateStatusBar() {
    QStatusBar* bar = statusBar();
    inputState_ = new QLabel(bar);
    inputState_->setObjectName(QStringLiteral("inputState"));
    inputState_->setStyleSheet(QStringLiteral("color: #b00000"));
    bar->addPermanentWidget(inputState_);
    const char* const texts[3] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(bar);
        label->setObjectName(QLatin1String(texts[i]));
        label->setAlignment(Qt::AlignCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QLatin1String(texts[i])) +
                               12);
        label->setProperty("indicatorText", QLatin1String(texts[i]));
        bar->addPermanentWidget(label);
        indicators_[i] = label;
    }
    // The idle prompt comes back whenever a prompt or message is cleared.
    connect(bar, &QStatusBar::messageChanged, this, [bar](const QString& text) {
        if (text.isEmpty()) {
            bar->showMessage(tr("Ready"));
        }
    });
    bar->showMessage(tr("Ready"));
    UpdateIndicators();
}

void MainWindow::UpdateIndicators() {
    for (int i = 0; i < 3; ++i) {
        // As the keyboard shows it: the text only while the lock is on.
        const QString text =
            Lights().On(i) ? indicators_[i]->property("indicatorText").toString() : QString();
        if (indicators_[i]->text() != text) {
            indicators_[i]->setText(text);
        }
    }
}

QSlider* MainWindow::positionSlider() const {
    return playerBar_->slider();
}

QMenu* MainWindow::createPopupMenu() {
    // Bars are shown and hidden from the View menu only.
    return nullptr;
}

bool MainWindow::ExecuteCommand(int id) {
    const bool ran = router_.Execute(id);
    UpdateCommandStates();
    return ran;
}

void MainWindow::UpdateCommandStates() {
    for (const auto& [id, action] : actions_) {
        const CommandState state = router_.State(id);
        if (action->isEnabled() != state.enabled) {
            action->setEnabled(state.enabled);
        }
        if (action->isCheckable() && action->isChecked() != state.checked) {
            action->setChecked(state.checked);
        }
    }
}

QToolBar* MainWindow::BarOf(int id) const {
    switch (id) {
        case ID_VIEW_TOOLBAR:
            return mainToolBar_;
        case ID_SHOW_SCOPE_BAR:
            return scopeBar_;
        case ID_SHOW_PLAYER_BAR:
            return playerBar_;
        case ID_SHOW_RECORDER_BAR:
            return recorderBar_;
        case ID_SHOW_ASSISTANCE_BAR:
            return assistanceBar_;
        default:
            return nullptr;
    }
}

bool MainWindow::HandlesCommand(int id) const {
    return BarOf(id) != nullptr || id == ID_VIEW_STATUS_BAR || id == ID_APP_EXIT ||
           id == ID_TUNER || id == ID_TUNER_STROBE || id == ID_HELP_SHOW ||
           id == ID_PLAYER_LOOP_A || id == ID_PLAYER_LOOP_B || id == ID_PLAYER_LOOP_CLEAR ||
           id == ID_PLAYER_LOOP_EDIT;
}

void MainWindow::UpdateCommand(int id, CommandState& state) {
    if (id == ID_PLAYER_LOOP_A || id == ID_PLAYER_LOOP_B) {
        state.enabled = view_->engine().Player().loaded;
    } else if (id == ID_PLAYER_LOOP_CLEAR) {
        state.enabled = practice_->HasLoop();
    } else if (QToolBar* bar = BarOf(id)) {
        state.checked = bar->isVisible();
    } else if (id == ID_VIEW_STATUS_BAR) {
        state.checked = statusBar()->isVisible();
    } else if (id == ID_TUNER) {
        state.checked = tunerDock_->isVisible();
    } else if (id == ID_TUNER_STROBE) {
        state.checked = tunerDock_->face()->strobe();
    }
}

void MainWindow::HandleCommand(int id) {
    if (QToolBar* bar = BarOf(id)) {
        bar->setVisible(!bar->isVisible());
    } else if (id == ID_VIEW_STATUS_BAR) {
        statusBar()->setVisible(!statusBar()->isVisible());
    } else if (id == ID_TUNER) {
        tunerDock_->setVisible(!tunerDock_->isVisible());
        context_.settings.WriteInt(
            kSectionSetting, QStringLiteral("TunerShown"), tunerDock_->isVisible() ? 1 : 0);
    } else if (id == ID_TUNER_STROBE) {
        tunerDock_->face()->SetStrobe(!tunerDock_->face()->strobe());
    } else if (id == ID_APP_EXIT) {
        close();
    } else if (id == ID_HELP_SHOW) {
        OpenHelp();
    } else if (id == ID_PLAYER_LOOP_A || id == ID_PLAYER_LOOP_B) {
        practice_->MarkLoop(id == ID_PLAYER_LOOP_A);
    } else if (id == ID_PLAYER_LOOP_CLEAR) {
        practice_->ClearLoop();
    } else if (id == ID_PLAYER_LOOP_EDIT) {
        practice_->ShowLoopDialog();
    }
}

QString MainWindow::NoManualText(const QStringList& searched) {
    return tr("The manual %1 was not found. It was looked for in:\n%2")
        .arg(QLatin1String(kHelpFileName), searched.join(QLatin1Char('\n')));
}

QString MainWindow::NoBrowserText(const QString& manual) {
    return tr("No program could be started to show the manual\n%1").arg(manual);
}

void MainWindow::OpenHelp() {
    const QString folder =
        context_.programFolder.isEmpty() ? ProgramFolder() : context_.programFolder;
    const QString manual = HelpFilePath(folder);
    QString problem;
    if (manual.isEmpty()) {
        problem = NoManualText(ManualFolders(folder));
    } else {
        DesktopWebPageOpener desktop;
        WebPageOpener& opener = context_.opener != nullptr ? *context_.opener : desktop;
        if (!opener.Open(QUrl::fromLocalFile(manual))) {
            problem = NoBrowserText(manual);
        }
    }
    // A help command that does nothing leaves the user guessing.
    if (!problem.isEmpty()) {
        context_.notifier.ShowMessage(kAppTitle, problem.toStdString(), MessageIcon::Information);
    }
}

void MainWindow::OnPlayerPosition(int32_t position, int32_t length) {
    // While the mouse holds the slider the thumb is the user's: the stopped play's last reports
    // (position 0) must not move it from where the play goes on.
    if (sliderHeld_) {
        return;
    }
    QSlider* slider = positionSlider();
    if (slider->maximum() != length) {
        const QSignalBlocker block(slider);
        slider->setRange(0, length);
    }
    slider->setValue(position);
    practice_->FollowSpeed(view_->engine().Player().speedPercent);
}

int32_t MainWindow::OnPlayerGetStart() const {
    return positionSlider()->value();
}

void MainWindow::OnPlayerLoaded(int32_t minimum, int32_t maximum) {
    positionSlider()->setRange(minimum, maximum);
    playerBar_->SetFileName(openingName_);
    practice_->FileLoaded();
    if (!openingPath_.isEmpty()) {
        RememberRecent(openingPath_);
        openingPath_.clear();
    }
    playerBar_->ShowTime(
        positionSlider()->value(), maximum, view_->engine().Player().bytesPerSecond);
}

void MainWindow::SetMessageText(const QString& text) {
    statusBar()->showMessage(text);
}

void MainWindow::BringToFront() {
    if (isMinimized()) {
        showNormal();
    }
    show();
    raise();
    activateWindow();
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (!event->mimeData()->hasUrls()) {
        return;
    }
    DropFiles(event->mimeData()->urls());
    event->acceptProposedAction();
}

void MainWindow::DropFiles(const QList<QUrl>& urls) {
    if (urls.isEmpty() || !urls.front().isLocalFile()) {
        return;
    }
    // Only the first file counts. Each drop hands over its own copy of the path, so a second
    // drop before the view has handled the first cannot change the first one's path.
    QString path = urls.front().toLocalFile();
    QMetaObject::invokeMethod(
        view_,
        [view = view_, path = std::move(path)] { view->OnViewOpenFile(path); },
        Qt::QueuedConnection);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        QCoreApplication::quit();
    }
}

}  // namespace tonavise::ui
