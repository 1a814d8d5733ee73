// The main frame: menus and bars as laid out, routing and disabled commands, showing and hiding
// the bars, the position slider, the status bar and dropped files.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <algorithm>

#include "UiTestSupport.h"
#include "engine/audiofile/WavWriter.h"
#include "engine/live/PlayerThread.h"
#include "engine/live/WorkerCommands.h"
#include "ui/CommandIds.h"
#include "ui/LoopDialog.h"
#include "ui/MainWindow.h"
#include "ui/PlayerBar.h"
#include "ui/PlayerPractice.h"
#include "ui/ScopeView.h"
#include "ui/SettingsStore.h"

namespace tonavise::ui::test {
namespace {

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        frame = std::make_unique<MainWindow>(engine.context);
        frame->show();
        frame->StartLive();
    }
    void TearDown() override { frame.reset(); }

    // The texts of a menu's items ("-" for a separator, "popup:" before a submenu's title).
    static QStringList Items(QMenu* menu) {
        QStringList items;
        for (QAction* a : menu->actions()) {
            if (a->isSeparator()) {
                items << QStringLiteral("-");
            } else if (a->menu() != nullptr) {
                items << QStringLiteral("popup:") + a->text();
            } else {
                items << a->text();
            }
        }
        return items;
    }
    QMenu* TopMenu(int index) { return frame->menuBar()->actions()[index]->menu(); }
    QMenu* Submenu(QMenu* menu, const QString& title) {
        for (QAction* a : menu->actions()) {
            if (a->menu() != nullptr && a->text() == title) {
                return a->menu();
            }
        }
        return nullptr;
    }
    static std::vector<int> BarIds(QToolBar* bar) {
        std::vector<int> ids;
        for (QAction* a : bar->actions()) {
            ids.push_back(a->isSeparator() ? 0 : a->data().toInt());
        }
        return ids;
    }

    TempSettings file;
    Engine engine{file.path()};
    std::unique_ptr<MainWindow> frame;
};

TEST_F(MainWindowTest, MenusHoldEveryItemInOrder) {
    QStringList titles;
    for (QAction* a : frame->menuBar()->actions()) {
        titles << a->text();
    }
    EXPECT_EQ(titles, QStringList({"&File", "&Function", "&Tool", "&View", "&Help"}));
    EXPECT_EQ(
        Items(TopMenu(0)),
        QStringList({"Open File", "popup:Recent Files", "-", "Start Capturing", "-", "E&xit"}));
    EXPECT_EQ(Items(TopMenu(1)),
              QStringList({"Wave Shape Scope",
                           "popup:Spectrum Scope",
                           "-",
                           "popup:Zoom And Shift",
                           "popup:Select Key",
                           "Pitch Marking",
                           "Select Notation",
                           "-",
                           "popup:Select Microphone's channel",
                           "-",
                           "popup:Player"}));
    EXPECT_EQ(
        Items(Submenu(TopMenu(1), "Spectrum Scope")),
        QStringList({"Frequency Scale", "Pitch Scale", "3-D Display", "Logarithmic Display"}));
    EXPECT_EQ(Items(Submenu(TopMenu(1), "Zoom And Shift")),
              QStringList({"Vertical Zoom In",
                           "Vertical Zoom Out",
                           "Horizontal Zoom In",
                           "Horizontal Zoom Out",
                           "-",
                           "Watch Right",
                           "Watch Left"}));
    EXPECT_EQ(Items(Submenu(TopMenu(1), "Select Key")),
              QStringList({"C", "Db", "D", "bE", "E", "F", "#F/bG", "G", "bA", "A", "bB", "B"}));
    EXPECT_EQ(Items(Submenu(TopMenu(1), "Select Microphone's channel")),
              QStringList({"Monophonic(1-ch)", "Stereophonic(2-ch)"}));
    EXPECT_EQ(Items(Submenu(TopMenu(1), "Player")),
              QStringList({"Open File",
                           "Play",
                           "Pause",
                           "Stop",
                           "-",
                           "Loop Start (A)",
                           "Loop End (B)",
                           "Clear Loop",
                           "Loop..."}));
    EXPECT_EQ(Items(TopMenu(2)),
              QStringList({"Output tone of \"la\"",
                           "-",
                           "popup:Metronome",
                           "-",
                           "popup:Recorder",
                           "-",
                           "Signal generator"}));
    EXPECT_EQ(Items(Submenu(TopMenu(2), "Metronome")), QStringList({"Set", "Play"}));
    EXPECT_EQ(Items(Submenu(TopMenu(2), "Recorder")),
              QStringList({"Record", "Stop", "Play", "Save"}));
    EXPECT_EQ(Items(TopMenu(3)),
              QStringList({"-",
                           "&Tool Bar",
                           "&Status Bar",
                           "Sc&ope Bar",
                           "&Player Bar",
                           "&Recorder Bar",
                           "&Assistance Bar",
                           "-",
                           "Fundamental Frequency (tone)",
                           "Precise Pitch",
                           "Pitch Track",
                           "T&uner",
                           "Tuner Stro&be",
                           "-",
                           "&Fit Picture to Window",
                           "&Keep Aspect Ratio",
                           "-",
                           "Set Parameters Dialog"}));
    EXPECT_EQ(Items(TopMenu(4)), QStringList({"&About Tonavise...", "Help"}));
}

TEST_F(MainWindowTest, TheToolCommandsHaveTheirHandlers) {
    for (int id : {ID_SIGNAL_GENERATOR, ID_METRONOME_SET, ID_PITCH_MARKING, ID_APP_EXIT}) {
        EXPECT_TRUE(frame->Action(id)->isEnabled()) << id;
    }
}

TEST_F(MainWindowTest, ToolbarsCarryTheirButtonsOnTheirSides) {
    EXPECT_EQ(BarIds(frame->mainToolBar()),
              (std::vector<int>{ID_CAPTURE_SCREEN, ID_SET_PARAMETERS, 0, ID_HELP_SHOW}));
    EXPECT_EQ(BarIds(frame->scopeBar()),
              (std::vector<int>{ID_WAVE_SHAPE,
                                ID_FREQUENCY_SCALE,
                                ID_PITCH_SCALE,
                                0,
                                ID_VERT_ZOOM_IN,
                                ID_VERT_ZOOM_OUT,
                                0,
                                ID_HOR_ZOOM_IN,
                                ID_HOR_ZOOM_OUT,
                                0,
                                ID_WATCH_RIGHT,
                                ID_WATCH_LEFT,
                                0,
                                ID_THREE_D,
                                ID_SELECT_NOTATION,
                                ID_PITCH_MARKING}));
    EXPECT_EQ(BarIds(frame->recorderBar()),
              (std::vector<int>{ID_TONE_LA,
                                ID_METRONOME_PLAY,
                                0,
                                ID_RECORDER_RECORD,
                                ID_RECORDER_STOP,
                                ID_RECORDER_PLAY,
                                ID_RECORDER_SAVE,
                                0}));  // the readout: time and level (a widget, no command)
    // Last, after a separator: the metronome's visual beat (a widget, no command).
    EXPECT_EQ(BarIds(frame->assistanceBar()),
              (std::vector<int>{
                  ID_SIGNAL_GENERATOR, 0, ID_TUNER, ID_PRECISE_PITCH, ID_PITCH_TRACK, 0, 0}));
    EXPECT_NE(frame->assistanceBar()->findChild<QWidget*>(QStringLiteral("beatLights")), nullptr);
    // The buttons, the slider, the name and time, a separator, the loop's buttons, a separator,
    // then the speed and transpose boxes with their labels.
    EXPECT_EQ(BarIds(frame->playerBar()),
              (std::vector<int>{ID_PLAYER_OPEN,
                                ID_PLAYER_PLAY,
                                ID_PLAYER_PAUSE,
                                ID_PLAYER_STOP,
                                0,
                                0,
                                0,
                                ID_PLAYER_LOOP_A,
                                ID_PLAYER_LOOP_B,
                                ID_PLAYER_LOOP_CLEAR,
                                0,
                                0,
                                0,
                                0,
                                0}));

    EXPECT_EQ(frame->toolBarArea(frame->mainToolBar()), Qt::TopToolBarArea);
    EXPECT_EQ(frame->toolBarArea(frame->playerBar()), Qt::TopToolBarArea);
    EXPECT_EQ(frame->toolBarArea(frame->scopeBar()), Qt::LeftToolBarArea);
    EXPECT_EQ(frame->toolBarArea(frame->recorderBar()), Qt::BottomToolBarArea);
    EXPECT_EQ(frame->toolBarArea(frame->assistanceBar()), Qt::RightToolBarArea);
    EXPECT_EQ(frame->scopeBar()->allowedAreas(), Qt::LeftToolBarArea);
    EXPECT_EQ(frame->playerBar()->allowedAreas(), Qt::TopToolBarArea);
    // The Player bar sits in the main toolbar's row, after it.
    EXPECT_EQ(frame->playerBar()->y(), frame->mainToolBar()->y());
    EXPECT_GT(frame->playerBar()->x(), frame->mainToolBar()->x());

    EXPECT_EQ(frame->mainToolBar()->windowTitle(), QStringLiteral("Tonavise"));
    EXPECT_EQ(frame->scopeBar()->windowTitle(), QStringLiteral("Scope Type"));
    EXPECT_EQ(frame->playerBar()->windowTitle(), QStringLiteral("Player"));
    EXPECT_EQ(frame->recorderBar()->windowTitle(), QStringLiteral("Recorder"));
    EXPECT_EQ(frame->assistanceBar()->windowTitle(), QStringLiteral("Assistance"));
}

TEST_F(MainWindowTest, ButtonsHaveIconsPromptsAndTooltips) {
    QAction* hzoom = frame->Action(ID_HOR_ZOOM_OUT);
    EXPECT_EQ(hzoom->statusTip(), QStringLiteral("Horizontal zoom out"));
    EXPECT_EQ(hzoom->toolTip(), QStringLiteral("Hor. Zoom-Out"));
    EXPECT_EQ(frame->Action(ID_TONE_LA)->toolTip(), QStringLiteral("Tone of \"la\""));
    for (QToolBar* bar : {frame->mainToolBar(),
                          frame->scopeBar(),
                          static_cast<QToolBar*>(frame->playerBar()),
                          frame->recorderBar(),
                          frame->assistanceBar()}) {
        for (QAction* a : bar->actions()) {
            if (a->isSeparator() || a->data().toInt() == 0) {
                continue;
            }
            EXPECT_FALSE(a->icon().isNull()) << a->data().toInt();
            // Drawn for the device's pixels: a 2x screen gets a 48-pixel picture.
            const QPixmap pm = a->icon().pixmap(QSize(24, 24), 2.0);
            EXPECT_EQ(pm.size(), QSize(48, 48));
            EXPECT_DOUBLE_EQ(pm.devicePixelRatio(), 2.0);
        }
    }
}

TEST_F(MainWindowTest, HidingAndShowingABarKeepsItsSide) {
    for (auto [id, bar] : {std::pair<int, QToolBar*>{ID_SHOW_RECORDER_BAR, frame->recorderBar()},
                           {ID_SHOW_SCOPE_BAR, frame->scopeBar()},
                           {ID_SHOW_PLAYER_BAR, frame->playerBar()},
                           {ID_SHOW_ASSISTANCE_BAR, frame->assistanceBar()},
                           {ID_VIEW_TOOLBAR, frame->mainToolBar()}}) {
        const Qt::ToolBarArea side = frame->toolBarArea(bar);
        EXPECT_TRUE(frame->Action(id)->isChecked()) << id;
        frame->Action(id)->trigger();
        EXPECT_FALSE(bar->isVisible()) << id;
        EXPECT_FALSE(frame->Action(id)->isChecked()) << id;
        frame->Action(id)->trigger();
        EXPECT_TRUE(bar->isVisible()) << id;
        EXPECT_TRUE(frame->Action(id)->isChecked()) << id;
        EXPECT_EQ(frame->toolBarArea(bar), side) << id;
    }
    frame->Action(ID_VIEW_STATUS_BAR)->trigger();
    EXPECT_FALSE(frame->statusBar()->isVisible());
    EXPECT_FALSE(frame->Action(ID_VIEW_STATUS_BAR)->isChecked());
    frame->Action(ID_VIEW_STATUS_BAR)->trigger();
    EXPECT_TRUE(frame->statusBar()->isVisible());
}

TEST_F(MainWindowTest, SliderRunsFrom0To200UntilAFileIsLoaded) {
    QSlider* slider = frame->positionSlider();
    EXPECT_EQ(slider->minimum(), 0);
    EXPECT_EQ(slider->maximum(), 200);
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(slider->width(), 200);
    EXPECT_EQ(slider->tickPosition(), QSlider::NoTicks);

    frame->OnPlayerLoaded(0, 88200);
    EXPECT_EQ(slider->maximum(), 88200);
    frame->OnPlayerPosition(4410, 88200);
    EXPECT_EQ(slider->value(), 4410);
    EXPECT_EQ(frame->OnPlayerGetStart(), 4410);
    // A report with a new length sets the range first.
    frame->OnPlayerPosition(1000, 2000);
    EXPECT_EQ(slider->maximum(), 2000);
    EXPECT_EQ(slider->value(), 1000);
}

TEST_F(MainWindowTest, APositionReportWithTheSameLengthChangesOnlyThePosition) {
    QSlider* slider = frame->positionSlider();
    frame->OnPlayerLoaded(0, 88200);
    QSignalSpy ranges(slider, &QSlider::rangeChanged);
    frame->OnPlayerPosition(500, 88200);
    EXPECT_EQ(ranges.count(), 0);
    EXPECT_EQ(slider->value(), 500);
}

TEST_F(MainWindowTest, APressOnTheSliderStopsOnlyAPlayingFile) {
    PlayerThread* player = frame->view().engine().workers().player;
    PostLog log;
    log.Watch(player);
    auto stops = [&] {
        const std::vector<LoggedCommand> sent = log.Commands();
        return std::count(sent.begin(), sent.end(), LoggedCommand{player::Stop{}});
    };
    QSlider* slider = frame->positionSlider();
    auto press = [&](Qt::MouseButton button) {
        QTest::mousePress(slider, button, {}, QPoint(100, slider->height() / 2));
        QTest::mouseRelease(slider, button, {}, QPoint(100, slider->height() / 2));
    };
    press(Qt::LeftButton);
    EXPECT_EQ(stops(), 0);

    QTemporaryDir dir;
    const QString path = dir.filePath("a.wav");
    ASSERT_TRUE(WriteWavFile(path.toStdString(), PcmFormat(1), std::vector<uint8_t>(88200, 0)));
    frame->view().OpenFile(path);
    ASSERT_TRUE(WaitFor([&] { return slider->maximum() == 88200; }));
    press(Qt::LeftButton);
    EXPECT_EQ(stops(), 0);

    ASSERT_TRUE(frame->ExecuteCommand(ID_PLAYER_PLAY));
    ASSERT_TRUE(WaitFor([&] { return player->IsPlaying(); }));
    // Other buttons do not stop it.
    press(Qt::RightButton);
    EXPECT_EQ(stops(), 0);
    // The press stops it; the release plays on from where the thumb was let go (a click
    // beside the thumb pages from the play position).
    press(Qt::LeftButton);
    EXPECT_EQ(stops(), 1);
    EXPECT_TRUE(WaitFor([&] {
        const std::vector<LoggedCommand> sent = log.Commands();
        const auto stop = std::find(sent.rbegin(), sent.rend(), LoggedCommand{player::Stop{}});
        return std::find_if(sent.rbegin(), stop, [](const LoggedCommand& c) {
                   return std::holds_alternative<player::Play>(c);
               }) != stop;
    }));
    EXPECT_TRUE(WaitFor([&] { return player->IsPlaying(); }));
}

// A loaded file of 88200 bytes, stopped; the slider steps by 882 bytes and pages by 17640.
class PositionSliderTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        player = frame->view().engine().workers().player;
        ASSERT_NE(player, nullptr);
        const QString path = dir.filePath("a.wav");
        ASSERT_TRUE(WriteWavFile(path.toStdString(), PcmFormat(1), std::vector<uint8_t>(88200, 0)));
        frame->view().OpenFile(path);
        ASSERT_TRUE(WaitFor([&] { return slider()->maximum() == 88200; }));
        log.Watch(player);
    }
    QSlider* slider() { return frame->positionSlider(); }
    void Click(int x) {
        QTest::mouseClick(slider(), Qt::LeftButton, {}, QPoint(x, slider()->height() / 2));
    }
    void Key(Qt::Key key) { QTest::keyClick(slider(), key); }
    // The player's stop and play commands since the last Clear, with what they carry.
    std::vector<LoggedCommand> StopsAndPlays() const {
        std::vector<LoggedCommand> found;
        for (const LoggedCommand& c : log.Commands()) {
            if (std::holds_alternative<player::Stop>(c) ||
                std::holds_alternative<player::Play>(c)) {
                found.push_back(c);
            }
        }
        return found;
    }

    // Waits until the player has handled everything posted to it so far: a report asked for
    // now comes after them.
    bool PlayerCaughtUp() {
        const int before = reports.count.load();
        frame->view().engine().ReportPlayerPosition(&reports);
        return WaitFor([&] { return reports.count.load() > before; });
    }
    struct Reports final : PlayerListener {
        void OnPlayerPosition(int64_t, int64_t) override { ++count; }
        void OnPlayerLoaded(int64_t) override {}
        std::atomic<int> count{0};
    };

    QTemporaryDir dir;
    Reports reports;  // before the frame goes, the engine stops: no report after it
    PlayerThread* player = nullptr;
    PostLog log;
};

TEST_F(PositionSliderTest, AClickPagesByAFifthOfTheLengthAndTakesTheFocus) {
    frame->activateWindow();
    frame->view().setFocus();
    Click(slider()->width() - 4);
    EXPECT_EQ(slider()->value(), 17640);
    EXPECT_TRUE(slider()->hasFocus());
    Click(slider()->width() - 4);
    EXPECT_EQ(slider()->value(), 2 * 17640);
    Click(2);
    EXPECT_EQ(slider()->value(), 17640);
    // Nothing played, so nothing was stopped; Play starts where the clicks left the thumb.
    EXPECT_TRUE(StopsAndPlays().empty());
    ASSERT_TRUE(frame->ExecuteCommand(ID_PLAYER_PLAY));
    EXPECT_EQ(frame->view().tools().playerStartPosition(), 17640);
}

// Space plays and pauses wherever the focus is; Ctrl+O opens; an opened file is the first of
// the recent files, which keep no file twice.
TEST_F(PositionSliderTest, SpacePlaysAndPausesAndOpenedFilesAreRecent) {
    frame->activateWindow();
    frame->view().setFocus();
    ASSERT_TRUE(WaitFor([&] { return frame->Action(ID_PLAYER_PLAY_PAUSE)->isEnabled(); }));
    QTest::keyClick(frame.get(), Qt::Key_Space);
    ASSERT_TRUE(WaitFor([&] { return player->IsPlaying(); }));
    QTest::keyClick(frame.get(), Qt::Key_Space);
    EXPECT_TRUE(WaitFor([&] { return frame->view().engine().Player().paused; }));
    QTest::keyClick(frame.get(), Qt::Key_Space);
    EXPECT_TRUE(WaitFor([&] { return !frame->view().engine().Player().paused; }));
    EXPECT_EQ(frame->Action(ID_PLAYER_OPEN)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));

    const QString b = dir.filePath("b.wav");
    ASSERT_TRUE(WriteWavFile(b.toStdString(), PcmFormat(1), std::vector<uint8_t>(8820, 0)));
    frame->view().OpenFile(b);
    ASSERT_TRUE(WaitFor([&] { return slider()->maximum() == 8820; }));
    frame->view().OpenFile(dir.filePath("a.wav"));
    ASSERT_TRUE(WaitFor([&] { return slider()->maximum() == 88200; }));
    const auto recent = [&](int i) {
        return engine.settings.ReadString(
            kSectionSetting, QStringLiteral("RecentFile%1").arg(i), QString());
    };
    EXPECT_EQ(recent(1), QFileInfo(dir.filePath("a.wav")).absoluteFilePath());
    EXPECT_EQ(recent(2), QFileInfo(b).absoluteFilePath());
    EXPECT_EQ(recent(3), QString());
}

// A and B are set at the thumb; B before A swaps them, ends too close are refused with a word
// in the status bar; the name and the time stand beside the slider.
TEST_F(PositionSliderTest, LoopMarksAreSetAtTheThumbAndBadOnesAreExplained) {
    auto* marks = frame->playerBar()->slider();
    EXPECT_FALSE(frame->CommandStateOf(ID_PLAYER_LOOP_CLEAR).enabled);
    slider()->setValue(44100);
    EXPECT_EQ(frame->playerBar()->timeLabel()->text(), QStringLiteral("a.wav  0:00.5 / 0:01.0"));
    ASSERT_TRUE(frame->ExecuteCommand(ID_PLAYER_LOOP_A));
    EXPECT_EQ(marks->loopA(), 44100);
    EXPECT_EQ(marks->loopB(), -1);
    slider()->setValue(44100 + 882);
    ASSERT_TRUE(frame->ExecuteCommand(ID_PLAYER_LOOP_B));
    EXPECT_EQ(marks->loopB(), -1) << "closer than 0.1 s";
    EXPECT_TRUE(frame->statusBar()->currentMessage().contains(QStringLiteral("at least")));
    slider()->setValue(17640);
    ASSERT_TRUE(frame->ExecuteCommand(ID_PLAYER_LOOP_B));
    EXPECT_EQ(marks->loopA(), 17640) << "B before A: swapped";
    EXPECT_EQ(marks->loopB(), 44100);
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("Loop 0:00.20 – 0:00.50"));
    const auto loops = [&] {
        const std::vector<LoggedCommand> sent = log.Commands();
        return std::count_if(sent.begin(), sent.end(), [](const LoggedCommand& c) {
            return std::holds_alternative<player::SetLoop>(c);
        });
    };
    EXPECT_EQ(loops(), 2) << "A alone clears, A and B set the loop";
    ASSERT_TRUE(frame->ExecuteCommand(ID_PLAYER_LOOP_CLEAR));
    EXPECT_EQ(marks->loopA(), -1);
    EXPECT_EQ(loops(), 3);
    EXPECT_FALSE(frame->CommandStateOf(ID_PLAYER_LOOP_CLEAR).enabled);
}

// Speed and transpose: the boxes hold them in range, the player gets them, and they belong to
// the file: another file starts at 100 % and 0, the first reopens with its own, and with its
// saved loops.
TEST_F(PositionSliderTest, SpeedTransposeAndSavedLoopsAreTheFilesOwn) {
    PlayerBar* bar = frame->playerBar();
    bar->speedBox()->setValue(200);
    EXPECT_EQ(bar->speedBox()->value(), 150);
    bar->speedBox()->setValue(75);
    bar->transposeBox()->setValue(-20);
    EXPECT_EQ(bar->transposeBox()->value(), -12);
    bar->transposeBox()->selectAll();
    QTest::keyClicks(bar->transposeBox(), QStringLiteral("+2"));
    QTest::keyClick(bar->transposeBox(), Qt::Key_Return);
    EXPECT_EQ(bar->transposeBox()->value(), 2);
    EXPECT_EQ(bar->transposeBox()->text(), QStringLiteral("+2"));
    int speed = -100;
    int transpose = -100;
    for (const LoggedCommand& c : log.Commands()) {
        if (const auto* set = std::get_if<player::SetSpeed>(&c)) {
            speed = set->percent;
        } else if (const auto* shift = std::get_if<player::SetTranspose>(&c)) {
            transpose = shift->semitones;
        }
    }
    EXPECT_EQ(speed, 75);
    EXPECT_EQ(transpose, 2);
    // While the file plays so, the readings of its pitch are marked.
    EXPECT_EQ(frame->practice()->PlayedFileMark(), QString());
    ASSERT_TRUE(frame->ExecuteCommand(ID_PLAYER_PLAY));
    ASSERT_TRUE(WaitFor([&] { return player->IsPlaying(); }));
    EXPECT_EQ(frame->practice()->PlayedFileMark(), QStringLiteral("75 % \u00B7 +2"));
    bar->transposeBox()->setValue(-2);
    EXPECT_EQ(frame->practice()->PlayedFileMark(), QStringLiteral("75 % \u00B7 \u22122"));
    ASSERT_TRUE(frame->ExecuteCommand(ID_PLAYER_STOP));
    ASSERT_TRUE(WaitFor([&] { return !player->IsPlaying(); }));
    bar->transposeBox()->setValue(2);
    ASSERT_TRUE(frame->ExecuteCommand(ID_PLAYER_LOOP_EDIT));
    LoopDialog* loops = frame->practice()->loopDialog();
    ASSERT_NE(loops, nullptr);
    loops->findChild<QLineEdit*>(QStringLiteral("loopA"))->setText(QStringLiteral("0:00.25"));
    loops->findChild<QLineEdit*>(QStringLiteral("loopB"))->setText(QStringLiteral("0.75"));
    QTest::keyClick(loops->findChild<QLineEdit*>(QStringLiteral("loopB")), Qt::Key_Return);
    EXPECT_EQ(frame->playerBar()->slider()->loopA(), 22050);
    EXPECT_EQ(frame->playerBar()->slider()->loopB(), 66150);
    loops->findChild<QLineEdit*>(QStringLiteral("loopName"))->setText(QStringLiteral("Bridge"));
    QTest::keyClick(loops->findChild<QLineEdit*>(QStringLiteral("loopName")), Qt::Key_Return);

    const auto open = [&](const QString& name) {
        const QString path = dir.filePath(name);
        if (!QFileInfo::exists(path)) {
            ASSERT_TRUE(
                WriteWavFile(path.toStdString(), PcmFormat(1), std::vector<uint8_t>(44100, 0)));
        }
        frame->view().OpenFile(path);
        ASSERT_TRUE(
            WaitFor([&] { return frame->playerBar()->timeLabel()->text().startsWith(name); }));
    };
    open(QStringLiteral("b.wav"));
    EXPECT_EQ(bar->speedBox()->value(), 100);
    EXPECT_EQ(bar->transposeBox()->value(), 0);
    EXPECT_TRUE(loops->savedLoops().empty());
    EXPECT_EQ(frame->playerBar()->slider()->loopA(), -1);
    open(QStringLiteral("a.wav"));
    EXPECT_EQ(bar->speedBox()->value(), 75);
    EXPECT_EQ(bar->transposeBox()->value(), 2);
    ASSERT_EQ(loops->savedLoops().size(), 1U);
    EXPECT_EQ(loops->savedLoops()[0], (SavedLoop{QStringLiteral("Bridge"), 0.25, 0.75}));
    ASSERT_TRUE(PlayerCaughtUp());
    for (const LoggedCommand& c : log.Commands()) {
        if (const auto* set = std::get_if<player::SetSpeed>(&c)) {
            speed = set->percent;
        }
    }
    EXPECT_EQ(speed, 75) << "the player plays the reopened file at its own speed";
}

TEST_F(PositionSliderTest, KeysMoveTheStartPositionOfAStoppedFile) {
    EXPECT_EQ(slider()->focusPolicy(), Qt::StrongFocus);
    Key(Qt::Key_Right);
    EXPECT_EQ(slider()->value(), 882);
    Key(Qt::Key_PageUp);
    EXPECT_EQ(slider()->value(), 882 + 17640);
    Key(Qt::Key_Left);
    EXPECT_EQ(slider()->value(), 17640);
    Key(Qt::Key_PageDown);
    EXPECT_EQ(slider()->value(), 0);
    // The thumb stops at the ends.
    Key(Qt::Key_Left);
    EXPECT_EQ(slider()->value(), 0);
    Key(Qt::Key_End);
    EXPECT_EQ(slider()->value(), 88200);
    EXPECT_TRUE(StopsAndPlays().empty());
}

TEST_F(PositionSliderTest, AKeyWhileAFilePlaysOrIsPausedPlaysOnFromTheNewPlace) {
    ASSERT_TRUE(frame->ExecuteCommand(ID_PLAYER_PLAY));
    ASSERT_TRUE(WaitFor([&] { return player->IsPlaying(); }));
    frame->OnPlayerPosition(40000, 88200);
    log.Clear();
    Key(Qt::Key_Right);
    // Stopped first, as a press on the slider stops it, then played from the thumb, which
    // moved from where it was rather than from the 0 that Stop shows.
    EXPECT_EQ(slider()->value(), 40882);
    EXPECT_EQ(StopsAndPlays(), (std::vector<LoggedCommand>{player::Stop{}, player::Play{40882}}));
    ASSERT_TRUE(PlayerCaughtUp());
    ASSERT_TRUE(player->IsPlaying());

    ASSERT_TRUE(frame->ExecuteCommand(ID_PLAYER_PAUSE));
    ASSERT_TRUE(WaitFor([&] { return player->IsPaused(); }));
    // Reports of the player still queued (the stopped play's last one among them) are handled
    // before the thumb is put where the key starts from.
    DrainEvents();
    frame->OnPlayerPosition(40882, 88200);
    log.Clear();
    Key(Qt::Key_PageDown);
    EXPECT_EQ(slider()->value(), 40882 - 17640);
    EXPECT_EQ(StopsAndPlays(),
              (std::vector<LoggedCommand>{player::Stop{}, player::Play{40882 - 17640}}));
    EXPECT_TRUE(WaitFor([&] { return player->IsPlaying() && !player->IsPaused(); }));
}

TEST_F(PositionSliderTest, AClickWhileAFilePlaysPagesFromThePlayPositionAndPlaysOn) {
    ASSERT_TRUE(frame->ExecuteCommand(ID_PLAYER_PLAY));
    ASSERT_TRUE(WaitFor([&] { return player->IsPlaying(); }));
    DrainEvents();
    frame->OnPlayerPosition(40000, 88200);
    log.Clear();
    Click(slider()->width() - 4);
    EXPECT_EQ(slider()->value(), 40000 + 17640);
    EXPECT_EQ(StopsAndPlays(),
              (std::vector<LoggedCommand>{player::Stop{}, player::Play{40000 + 17640}}));
    EXPECT_TRUE(WaitFor([&] { return player->IsPlaying(); }));
}

TEST_F(MainWindowTest, OnlyTheFirstOfSeveralDroppedFilesIsOpened) {
    QSignalSpy opened(&frame->view(), &ScopeView::fileOpenRequested);
    frame->DropFiles({QUrl::fromLocalFile("/music/a.mp3"),
                      QUrl::fromLocalFile("/music/b.wav"),
                      QUrl::fromLocalFile("/music/c.wav")});
    EXPECT_TRUE(WaitFor([&] { return opened.count() >= 1; }));
    DrainEvents();
    ASSERT_EQ(opened.count(), 1);
    EXPECT_EQ(opened[0][0].toString(), QStringLiteral("/music/a.mp3"));
}

TEST_F(MainWindowTest, EachDropCarriesItsOwnPath) {
    QSignalSpy opened(&frame->view(), &ScopeView::fileOpenRequested);
    // The second drop comes before the view has handled the first.
    frame->DropFiles({QUrl::fromLocalFile("/music/first.wav")});
    frame->DropFiles({QUrl::fromLocalFile("/music/second.mp3")});
    ASSERT_TRUE(WaitFor([&] { return opened.count() == 2; }));
    EXPECT_EQ(opened[0][0].toString(), QStringLiteral("/music/first.wav"));
    EXPECT_EQ(opened[1][0].toString(), QStringLiteral("/music/second.mp3"));
}

TEST_F(MainWindowTest, ADropOfSomethingElseOpensNothing) {
    QSignalSpy opened(&frame->view(), &ScopeView::fileOpenRequested);
    frame->DropFiles({QUrl(QStringLiteral("https://example.org/a.mp3"))});
    frame->DropFiles({});
    DrainEvents();
    EXPECT_EQ(opened.count(), 0);
}

TEST_F(MainWindowTest, StatusBarShowsReadyAndTheLockIndicators) {
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("Ready"));
    frame->SetMessageText(QStringLiteral("2500HZ"));
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("2500HZ"));
    // A prompt that goes away brings the idle text back.
    frame->statusBar()->clearMessage();
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("Ready"));
    EXPECT_EQ(frame->indicator(0)->objectName(), QStringLiteral("CAP"));
    EXPECT_EQ(frame->indicator(1)->objectName(), QStringLiteral("NUM"));
    EXPECT_EQ(frame->indicator(2)->objectName(), QStringLiteral("SCRL"));
}

TEST_F(MainWindowTest, TheViewHasTheFocus) {
    frame->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return frame->isActiveWindow(); }));
    EXPECT_TRUE(WaitFor([&] { return frame->view().hasFocus(); }));
}

TEST_F(MainWindowTest, ExitClosesTheFrameAndTheViewStopsItsThreads) {
    EXPECT_TRUE(frame->view().analysisRunning());
    EXPECT_TRUE(frame->ExecuteCommand(ID_APP_EXIT));
    EXPECT_FALSE(frame->isVisible());
    frame.reset();  // joins the analysis
}

}  // namespace
}  // namespace tonavise::ui::test
