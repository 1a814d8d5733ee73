// The view's tool commands on virtual sound devices, grouped by tool: what each command posts to
// which worker thread and in which order (read from the threads' queues), and the enable and
// check rules that follow the tools' state.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QSlider>
#include <QTest>
#include <chrono>

#include "UiTestSupport.h"
#include "engine/audiofile/WavWriter.h"
#include "engine/live/CaptureThread.h"
#include "engine/live/PlayerThread.h"
#include "engine/live/RecorderThread.h"
#include "engine/live/ToneThread.h"
#include "engine/live/WorkerCommands.h"
#include "ui/CommandIds.h"
#include "ui/FileDialogs.h"
#include "ui/MainWindow.h"
#include "ui/RecorderReadout.h"
#include "ui/ScopeView.h"

namespace tonavise::ui::test {
namespace {

using namespace std::chrono_literals;

enum class To { Output, Player, Recorder, Other };

struct Post {
    To to;
    LoggedCommand command;
    bool operator==(const Post&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Post& p) {
    const char* names[] = {"output", "player", "recorder", "other"};
    return os << names[static_cast<int>(p.to)] << ":command " << p.command.index();
}

// Paths the tests hand to "Open File" and "Save" instead of the dialogs.
class FixedOpenPath final : public OpenPathChooser {
  public:
    std::optional<QString> ChooseOpenPath() override {
        ++asked;
        return path;
    }
    std::optional<QString> path;
    int asked = 0;
};

class FixedSavePath final : public SavePathChooser {
  public:
    std::optional<std::string> ChooseSavePath() override {
        ++asked;
        return path;
    }
    std::optional<std::string> path;
    int asked = 0;
};

class ToolCommandsTest : public ::testing::Test {
  protected:
    void Start() {
        frame = std::make_unique<MainWindow>(engine.context);
        frame->show();
        frame->StartLive();
        view().tools().SetOpenPathChooser(&openPath);
        view().tools().SetSavePathChooser(&savePath);
        log.Watch(view().engine().workers().output);
        log.Watch(view().engine().workers().player);
        log.Watch(view().engine().workers().recorder);
        ASSERT_TRUE(engine.sound.WaitForQueued(DeviceDirection::Input, 2, 5000ms));
    }
    void TearDown() override { frame.reset(); }

    ScopeView& view() { return frame->view(); }
    bool Enabled(int id) { return frame->CommandStateOf(id).enabled; }
    bool Checked(int id) { return frame->CommandStateOf(id).checked; }
    // Runs a command as a menu item would, with the log emptied first.
    bool Run(int id) {
        log.Clear();
        return frame->ExecuteCommand(id);
    }

    // The commands sent since the last Run.
    std::vector<Post> Posted() const {
        std::vector<Post> posts;
        for (const PostLog::Post& p : log.Posts()) {
            const To to = p.thread == frame->view().engine().workers().output     ? To::Output
                          : p.thread == frame->view().engine().workers().player   ? To::Player
                          : p.thread == frame->view().engine().workers().recorder ? To::Recorder
                                                                                  : To::Other;
            posts.push_back({to, p.command});
        }
        return posts;
    }

    // The only command sent is the player's Open, with `path`.
    void ExpectOneOpen(const QString& path) const {
        const std::vector<Post> sent = Posted();
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].to, To::Player);
        const auto* open = std::get_if<player::Open>(&sent[0].command);
        ASSERT_NE(open, nullptr);
        EXPECT_EQ(open->path, path.toStdString());
    }

    ToneThread& output() { return *view().engine().workers().output; }
    PlayerThread& player() { return *view().engine().workers().player; }

    TempSettings file;
    Engine engine{file.path()};
    PostLog log;
    FixedOpenPath openPath;
    FixedSavePath savePath;
    std::unique_ptr<MainWindow> frame;
};

// --- the tone of "la" ---------------------------------------------------------------------------

TEST_F(ToolCommandsTest, ToneWhileNothingPlaysStopsThePlayerAndStartsA4) {
    Start();
    EXPECT_TRUE(Enabled(ID_TONE_LA));
    EXPECT_FALSE(Checked(ID_TONE_LA));
    ASSERT_TRUE(Run(ID_TONE_LA));
    EXPECT_EQ(Posted(),
              (std::vector<Post>{{To::Player, player::Stop{}}, {To::Output, tone::StartTone{48}}}));
    ASSERT_TRUE(WaitFor([&] { return output().IsTonePlaying(); }));
    EXPECT_EQ(output().noteIndex(), 48);
    EXPECT_TRUE(Checked(ID_TONE_LA));
    // The button follows within the toolbars' update interval.
    EXPECT_TRUE(WaitFor([&] { return frame->Action(ID_TONE_LA)->isChecked(); }));
}

TEST_F(ToolCommandsTest, ToneWhileTheToneSoundsOnlyStopsIt) {
    Start();
    ASSERT_TRUE(Run(ID_TONE_LA));
    ASSERT_TRUE(WaitFor([&] { return output().IsTonePlaying(); }));
    ASSERT_TRUE(Run(ID_TONE_LA));
    EXPECT_EQ(Posted(),
              (std::vector<Post>{{To::Player, player::Stop{}}, {To::Output, tone::StopOutput{}}}));
    ASSERT_TRUE(WaitFor([&] { return !output().IsTonePlaying(); }));
    EXPECT_FALSE(Checked(ID_TONE_LA));
    EXPECT_TRUE(engine.sound.WaitForClosed(DeviceDirection::Output, 1000ms));
}

TEST_F(ToolCommandsTest, ToneWhileTheMetronomePlaysStopsItAndStartsTheTone) {
    Start();
    ASSERT_TRUE(Run(ID_METRONOME_PLAY));
    ASSERT_TRUE(WaitFor([&] { return output().IsMetronomePlaying(); }));
    ASSERT_TRUE(Run(ID_TONE_LA));
    EXPECT_EQ(Posted(),
              (std::vector<Post>{{To::Player, player::Stop{}},
                                 {To::Output, tone::StopOutput{}},
                                 {To::Output, tone::StartTone{48}}}));
    ASSERT_TRUE(WaitFor([&] { return output().IsTonePlaying(); }));
    EXPECT_FALSE(output().IsMetronomePlaying());
    EXPECT_TRUE(Checked(ID_TONE_LA));
    EXPECT_FALSE(Checked(ID_METRONOME_PLAY));
}

// --- the metronome ------------------------------------------------------------------------------

TEST_F(ToolCommandsTest, MetronomePlayStartsItAndASecondPlayOnlyStopsIt) {
    Start();
    EXPECT_FALSE(Checked(ID_METRONOME_PLAY));
    ASSERT_TRUE(Run(ID_METRONOME_PLAY));
    EXPECT_EQ(
        Posted(),
        (std::vector<Post>{{To::Player, player::Stop{}}, {To::Output, tone::ToggleMetronome{}}}));
    ASSERT_TRUE(WaitFor([&] { return output().IsMetronomePlaying(); }));
    EXPECT_TRUE(Checked(ID_METRONOME_PLAY));
    EXPECT_FALSE(Checked(ID_TONE_LA));

    ASSERT_TRUE(Run(ID_METRONOME_PLAY));
    EXPECT_EQ(Posted(), (std::vector<Post>{{To::Output, tone::StopMetronome{}}}));
    ASSERT_TRUE(WaitFor([&] { return !output().IsMetronomePlaying(); }));
    EXPECT_FALSE(Checked(ID_METRONOME_PLAY));
}

TEST_F(ToolCommandsTest, MetronomePlayWhileTheToneSoundsSwitchesToTheMetronome) {
    Start();
    ASSERT_TRUE(Run(ID_TONE_LA));
    ASSERT_TRUE(WaitFor([&] { return output().IsTonePlaying(); }));
    ASSERT_TRUE(Run(ID_METRONOME_PLAY));
    EXPECT_EQ(
        Posted(),
        (std::vector<Post>{{To::Player, player::Stop{}}, {To::Output, tone::ToggleMetronome{}}}));
    ASSERT_TRUE(WaitFor([&] { return output().IsMetronomePlaying(); }));
    EXPECT_FALSE(output().IsTonePlaying());
}

// --- the recorder -------------------------------------------------------------------------------

// Sees the store's count at each post to the recorder, so a test can tell whether the store was
// emptied before or after the posts.
class CountAtPost final : public PostObserver<RecorderCommand> {
  public:
    explicit CountAtPost(RecordingStore& store) : store_(store) {}
    void OnPosted(const CommandThread<RecorderCommand>&, const RecorderCommand& command) override {
        if (!std::holds_alternative<DeviceEvent>(command)) {
            counts.push_back(store_.Count());
        }
    }
    std::vector<int> counts;

  private:
    RecordingStore& store_;
};

TEST_F(ToolCommandsTest, RecordEmptiesTheStoreAfterItsPostsAndPlayWaitsForABlock) {
    Start();
    RecordingStore& store = engine.recordingStore;
    ASSERT_TRUE(WaitFor([&] { return store.Capacity() > 1; }));
    const std::vector<int16_t> block(kBlockFrames, 100);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(store.Append(block));
    }
    EXPECT_TRUE(Enabled(ID_RECORDER_PLAY));
    EXPECT_TRUE(Enabled(ID_RECORDER_SAVE));
    EXPECT_TRUE(Enabled(ID_RECORDER_RECORD));
    EXPECT_FALSE(Enabled(ID_RECORDER_STOP));

    auto shared = std::make_shared<CountAtPost>(store);
    const CountAtPost& counts = *shared;
    view().engine().workers().recorder->setPostObserver(shared);
    ASSERT_TRUE(Run(ID_RECORDER_RECORD));
    log.Watch(view().engine().workers().recorder);
    // Both posts saw the old recording; the command emptied the store after them.
    EXPECT_EQ(counts.counts, (std::vector<int>{3, 3}));
    EXPECT_EQ(store.Count(), 0);
    EXPECT_FALSE(Enabled(ID_RECORDER_PLAY));
    EXPECT_FALSE(Enabled(ID_RECORDER_SAVE));
    ASSERT_TRUE(WaitFor([&] { return store.recording.load() == 1; }));
    EXPECT_FALSE(Enabled(ID_RECORDER_RECORD));
    EXPECT_TRUE(Enabled(ID_RECORDER_STOP));
    EXPECT_FALSE(Enabled(ID_RECORDER_PLAY));

    // The first block captured from the microphone enables Play and Save; the Recorder bar
    // tells the time recorded, then the take's length and peak (half of full scale: -6 dB).
    engine.sound.SetInputSignal([](int64_t, int) { return 16384.0; });
    ASSERT_EQ(engine.sound.Complete(DeviceDirection::Input, kPiecesPerBlock), kPiecesPerBlock);
    ASSERT_TRUE(WaitFor([&] { return store.Count() == 1; }));
    EXPECT_TRUE(Enabled(ID_RECORDER_PLAY));
    EXPECT_TRUE(Enabled(ID_RECORDER_SAVE));
    EXPECT_TRUE(WaitFor([&] {
        return frame->recorderReadout()->text() == QStringLiteral("\u25CF 0:00.1");
    })) << frame->recorderReadout()->text().toStdString();
    ASSERT_TRUE(Run(ID_RECORDER_STOP));
    EXPECT_TRUE(WaitFor([&] {
        return frame->recorderReadout()->text() == QStringLiteral("0:00.1, peak -6.0 dB");
    })) << frame->recorderReadout()->text().toStdString();
}

TEST_F(ToolCommandsTest, RecordPostsStopPlaybackThenRecordOn) {
    Start();
    ASSERT_TRUE(Run(ID_RECORDER_RECORD));
    EXPECT_EQ(Posted(),
              (std::vector<Post>{{To::Recorder, recorder::StopPlayback{}},
                                 {To::Recorder, recorder::RecordOn{}}}));
    ASSERT_TRUE(WaitFor([&] { return engine.recordingStore.recording.load() == 1; }));
    ASSERT_TRUE(Run(ID_RECORDER_STOP));
    EXPECT_EQ(Posted(),
              (std::vector<Post>{{To::Recorder, recorder::StopPlayback{}},
                                 {To::Recorder, recorder::RecordOff{}}}));
    ASSERT_TRUE(WaitFor([&] { return engine.recordingStore.recording.load() == 0; }));
    EXPECT_FALSE(Enabled(ID_RECORDER_STOP));
    EXPECT_TRUE(Enabled(ID_RECORDER_RECORD));
}

TEST_F(ToolCommandsTest, WithTheCountInRecordGoesThroughTheMetronomeAndStopCancelsIt) {
    Start();
    engine.controls.countIn.store(1);
    ASSERT_TRUE(Run(ID_RECORDER_RECORD));
    EXPECT_EQ(Posted(),
              (std::vector<Post>{{To::Recorder, recorder::StopPlayback{}},
                                 {To::Output, tone::StartCountIn{}}}));
    ASSERT_TRUE(WaitFor([&] { return view().engine().workers().output->IsMetronomePlaying(); }));
    EXPECT_EQ(engine.recordingStore.recording.load(), 0) << "not before the bar is heard";
    EXPECT_FALSE(Enabled(ID_RECORDER_RECORD));
    ASSERT_TRUE(Run(ID_RECORDER_STOP));
    // The cancelled count-in tells the recorder once more to stay off.
    ASSERT_TRUE(WaitFor([&] { return !view().engine().workers().output->countingIn(); }));
    EXPECT_EQ(Posted(),
              (std::vector<Post>{{To::Recorder, recorder::StopPlayback{}},
                                 {To::Recorder, recorder::RecordOff{}},
                                 {To::Output, tone::CancelCountIn{}},
                                 {To::Recorder, recorder::RecordOff{}}}));
    EXPECT_FALSE(view().engine().workers().output->IsMetronomePlaying());
    EXPECT_EQ(engine.recordingStore.recording.load(), 0);
    EXPECT_TRUE(Enabled(ID_RECORDER_RECORD));
}

TEST_F(ToolCommandsTest, PlayStopsRecordingAndPlaysTheRecordingChecked) {
    Start();
    RecordingStore& store = engine.recordingStore;
    ASSERT_TRUE(WaitFor([&] { return store.Capacity() > 1; }));
    const std::vector<int16_t> block(kBlockFrames, 1000);
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(store.Append(block));
    }
    ASSERT_TRUE(Run(ID_RECORDER_PLAY));
    EXPECT_EQ(Posted(),
              (std::vector<Post>{{To::Recorder, recorder::RecordOff{}},
                                 {To::Recorder, recorder::StopPlayback{}},
                                 {To::Recorder, recorder::Play{}}}));
    ASSERT_TRUE(WaitFor([&] { return view().engine().workers().recorder->IsPlaying(); }));
    EXPECT_TRUE(Checked(ID_RECORDER_PLAY));
    EXPECT_TRUE(Enabled(ID_RECORDER_STOP));
    ASSERT_TRUE(Run(ID_RECORDER_STOP));
    ASSERT_TRUE(WaitFor([&] { return !view().engine().workers().recorder->IsPlaying(); }));
    EXPECT_FALSE(Checked(ID_RECORDER_PLAY));
    EXPECT_FALSE(Enabled(ID_RECORDER_STOP));
    // The recording stays.
    EXPECT_EQ(store.Count(), 4);
}

TEST_F(ToolCommandsTest, SaveEndsRecordingAndWritesTheRecordingAtTheChosenPath) {
    Start();
    RecordingStore& store = engine.recordingStore;
    ASSERT_TRUE(WaitFor([&] { return store.Capacity() > 1; }));
    const std::vector<int16_t> block(kBlockFrames, -7);
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(store.Append(block));
    }
    QTemporaryDir dir;
    const QString path = dir.filePath("take.wav");
    savePath.path = path.toStdString();
    ASSERT_TRUE(Run(ID_RECORDER_SAVE));
    EXPECT_EQ(Posted(),
              (std::vector<Post>{{To::Recorder, recorder::RecordOff{}},
                                 {To::Recorder, recorder::StopPlayback{}}}));
    EXPECT_EQ(savePath.asked, 1);
    EXPECT_EQ(QFileInfo(path).size(), 46 + 2 * 8820);
    EXPECT_EQ(engine.notifier.Count(), 0u);
    // It can be saved again.
    EXPECT_TRUE(Enabled(ID_RECORDER_SAVE));
}

TEST_F(ToolCommandsTest, RecorderCommandsWithAnEmptyStore) {
    Start();
    ASSERT_TRUE(WaitFor([&] { return engine.recordingStore.Capacity() > 1; }));
    EXPECT_FALSE(Enabled(ID_RECORDER_PLAY));
    EXPECT_FALSE(Enabled(ID_RECORDER_SAVE));
    EXPECT_FALSE(frame->ExecuteCommand(ID_RECORDER_SAVE));
    // Run past its rule, Save reports that nothing was recorded and asks for no path.
    view().HandleCommand(ID_RECORDER_SAVE);
    EXPECT_EQ(savePath.asked, 0);
    ASSERT_EQ(engine.notifier.Count(), 1u);
    EXPECT_EQ(engine.notifier.Text(0), "No data recorded.");
}

// --- the file player ----------------------------------------------------------------------------

class PlayerCommandsTest : public ToolCommandsTest {
  protected:
    // Opens a silent mono file of `seconds` through "Open File" and waits until it is loaded.
    void OpenFile(int seconds) {
        const std::vector<uint8_t> pcm(static_cast<size_t>(kSampleRate) * 2 * seconds, 0);
        const QString path = dir.filePath("tone.wav");
        ASSERT_TRUE(WriteWavFile(path.toStdString(), PcmFormat(1), pcm));
        openPath.path = path;
        ASSERT_TRUE(Run(ID_PLAYER_OPEN));
        ExpectOneOpen(path);
        length = static_cast<int32_t>(pcm.size());
        ASSERT_TRUE(WaitFor([&] { return frame->positionSlider()->maximum() == length; }));
        ASSERT_TRUE(player().IsLoaded());
    }

    QTemporaryDir dir;
    int32_t length = 0;
};

TEST_F(PlayerCommandsTest, NothingLoadedOnlyOpenIsEnabled) {
    Start();
    EXPECT_TRUE(Enabled(ID_PLAYER_OPEN));
    EXPECT_FALSE(Enabled(ID_PLAYER_PLAY));
    EXPECT_FALSE(Enabled(ID_PLAYER_PAUSE));
    EXPECT_FALSE(Enabled(ID_PLAYER_STOP));
    // A cancelled dialog opens nothing.
    openPath.path.reset();
    ASSERT_TRUE(Run(ID_PLAYER_OPEN));
    EXPECT_EQ(openPath.asked, 1);
    EXPECT_TRUE(Posted().empty());
}

TEST_F(PlayerCommandsTest, PlayStopsTheToneAndStartsAtTheSliderPosition) {
    Start();
    OpenFile(2);
    EXPECT_TRUE(Enabled(ID_PLAYER_PLAY));
    EXPECT_FALSE(Enabled(ID_PLAYER_PAUSE));
    EXPECT_FALSE(Enabled(ID_PLAYER_STOP));
    frame->OnPlayerPosition(17642, length);
    ASSERT_TRUE(Run(ID_PLAYER_PLAY));
    EXPECT_EQ(
        Posted(),
        (std::vector<Post>{{To::Output, tone::StopOutput{}}, {To::Player, player::Play{17642}}}));
    EXPECT_EQ(view().tools().playerStartPosition(), 17642);
    ASSERT_TRUE(WaitFor([&] { return player().IsPlaying(); }));
    EXPECT_FALSE(Enabled(ID_PLAYER_PLAY));
    EXPECT_TRUE(Enabled(ID_PLAYER_PAUSE));
    EXPECT_TRUE(Enabled(ID_PLAYER_STOP));
}

TEST_F(PlayerCommandsTest, PlayWhilePlayingRestartsFromTheSliderAndWhilePausedResumes) {
    Start();
    OpenFile(2);
    ASSERT_TRUE(Run(ID_PLAYER_PLAY));
    ASSERT_TRUE(WaitFor([&] { return player().IsPlaying(); }));

    // Playing and not paused: the rule disables Play; the handler itself restarts from the
    // slider.
    EXPECT_FALSE(Run(ID_PLAYER_PLAY));
    EXPECT_TRUE(Posted().empty());
    frame->OnPlayerPosition(8820, length);
    log.Clear();
    view().HandleCommand(ID_PLAYER_PLAY);
    EXPECT_EQ(
        Posted(),
        (std::vector<Post>{{To::Output, tone::StopOutput{}}, {To::Player, player::Play{8820}}}));

    ASSERT_TRUE(Run(ID_PLAYER_PAUSE));
    EXPECT_EQ(Posted(), (std::vector<Post>{{To::Player, player::Pause{}}}));
    ASSERT_TRUE(WaitFor([&] { return player().IsPaused(); }));
    EXPECT_TRUE(Enabled(ID_PLAYER_PLAY));
    EXPECT_FALSE(Enabled(ID_PLAYER_PAUSE));
    EXPECT_TRUE(Enabled(ID_PLAYER_STOP));

    // Paused: Play resumes, whatever the slider says.
    frame->OnPlayerPosition(30000, length);
    ASSERT_TRUE(Run(ID_PLAYER_PLAY));
    EXPECT_EQ(
        Posted(),
        (std::vector<Post>{{To::Output, tone::StopOutput{}}, {To::Player, player::Resume{}}}));
    ASSERT_TRUE(WaitFor([&] { return !player().IsPaused(); }));
    EXPECT_TRUE(player().IsPlaying());
}

TEST_F(PlayerCommandsTest, StopSendsPositionZeroToTheFrameThenStopsThePlayer) {
    Start();
    OpenFile(2);
    ASSERT_TRUE(Run(ID_PLAYER_PLAY));
    ASSERT_TRUE(WaitFor([&] { return player().IsPlaying(); }));
    frame->OnPlayerPosition(40000, length);
    ASSERT_TRUE(Run(ID_PLAYER_STOP));
    // The slider is back at 0 as soon as the command returns, before the player has stopped.
    EXPECT_EQ(frame->positionSlider()->value(), 0);
    EXPECT_EQ(frame->positionSlider()->maximum(), length);
    EXPECT_EQ(Posted(), (std::vector<Post>{{To::Player, player::Stop{}}}));
    ASSERT_TRUE(WaitFor([&] { return !player().IsPlaying(); }));
    EXPECT_TRUE(player().IsLoaded());
    EXPECT_TRUE(Enabled(ID_PLAYER_PLAY));
    EXPECT_FALSE(Enabled(ID_PLAYER_STOP));
    EXPECT_TRUE(engine.sound.WaitForClosed(DeviceDirection::Output, 1000ms));
}

TEST_F(PlayerCommandsTest, AFilePlayingStopsForTheToneAndTheMetronome) {
    Start();
    OpenFile(2);
    ASSERT_TRUE(Run(ID_PLAYER_PLAY));
    ASSERT_TRUE(WaitFor([&] { return player().IsPlaying(); }));
    ASSERT_TRUE(Run(ID_TONE_LA));
    ASSERT_TRUE(WaitFor([&] { return !player().IsPlaying() && output().IsTonePlaying(); }));
    // Play stops the tone again.
    ASSERT_TRUE(Run(ID_PLAYER_PLAY));
    ASSERT_TRUE(WaitFor([&] { return player().IsPlaying() && !output().IsTonePlaying(); }));
    ASSERT_TRUE(Run(ID_METRONOME_PLAY));
    ASSERT_TRUE(WaitFor([&] { return !player().IsPlaying() && output().IsMetronomePlaying(); }));
}

TEST_F(PlayerCommandsTest, ADroppedFileIsPostedToThePlayerWithItsPath) {
    Start();
    const std::vector<uint8_t> pcm(8820, 0);
    const QString path = dir.filePath("dropped.wav");
    ASSERT_TRUE(WriteWavFile(path.toStdString(), PcmFormat(1), pcm));
    log.Clear();
    frame->DropFiles({QUrl::fromLocalFile(path)});
    ASSERT_TRUE(WaitFor([&] { return !Posted().empty(); }));
    ExpectOneOpen(path);
    ASSERT_TRUE(WaitFor([&] { return frame->positionSlider()->maximum() == 8820; }));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// --- without sound devices ----------------------------------------------------------------------

TEST(ToolCommandsWithoutThreads, EveryCommandRunsAndPostsNothing) {
    TempSettings file;
    Engine engine(file.path());
    engine.context.devices = nullptr;
    MainWindow frame(engine.context);
    frame.show();
    frame.StartLive();
    FixedOpenPath open;
    open.path = QStringLiteral("/nowhere/a.wav");
    frame.view().tools().SetOpenPathChooser(&open);
    ASSERT_EQ(frame.view().engine().workers().player, nullptr);
    for (int id : {ID_TONE_LA,
                   ID_METRONOME_PLAY,
                   ID_RECORDER_RECORD,
                   ID_RECORDER_STOP,
                   ID_RECORDER_PLAY,
                   ID_PLAYER_OPEN,
                   ID_PLAYER_PLAY,
                   ID_PLAYER_PAUSE,
                   ID_PLAYER_STOP}) {
        frame.view().HandleCommand(id);
    }
    EXPECT_EQ(open.asked, 1);
    EXPECT_FALSE(frame.CommandStateOf(ID_TONE_LA).checked);
    EXPECT_FALSE(frame.CommandStateOf(ID_PLAYER_PLAY).enabled);
    EXPECT_TRUE(frame.CommandStateOf(ID_RECORDER_RECORD).enabled);
    EXPECT_EQ(engine.notifier.Count(), 0u);
}

// --- the dialogs' filters -----------------------------------------------------------------------

TEST(FileDialogFilters, ThePairedFiltersBecomeQtsWithTheSameEntriesInOrder) {
    EXPECT_EQ(
        QtNameFilters(OpenFileFilter()),
        QStringList({"Sound files (*.wav *.mp3)", "MP3(*.mp3)", "WAV(*.wav)", "All Files (*.*)"}));
    // Qt reads the patterns from the parentheses at the end: they are added where the text
    // has other words after them.
    EXPECT_EQ(QtNameFilters(QString::fromLatin1(kSaveRecordingFilter)),
              QStringList({"WAV(*.wav) File (*.wav)"}));
    EXPECT_EQ(QtNameFilters(QStringLiteral("Pictures|*.png;*.jpg||")),
              QStringList({"Pictures (*.png *.jpg)"}));
    EXPECT_TRUE(QtNameFilters(QStringLiteral("")).isEmpty());
    EXPECT_TRUE(QtNameFilters(QStringLiteral("||")).isEmpty());
    // A text without its patterns is left out.
    EXPECT_EQ(QtNameFilters(QStringLiteral("A|*.a|B")), QStringList({"A (*.a)"}));
}

TEST(FileDialogFilters, TheDialogsCarryTheirEndingsAndModes) {
    const auto open = MakeOpenFileDialog(nullptr);
    EXPECT_EQ(open->acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open->fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(open->defaultSuffix(), QStringLiteral("mp3"));
    EXPECT_EQ(
        open->nameFilters(),
        QStringList({"Sound files (*.wav *.mp3)", "MP3(*.mp3)", "WAV(*.wav)", "All Files (*.*)"}));
    EXPECT_EQ(open->selectedNameFilter(), QStringLiteral("Sound files (*.wav *.mp3)"));

    const auto save = MakeSaveRecordingDialog();
    EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(save->defaultSuffix(), QStringLiteral("wav"));
    EXPECT_FALSE(save->testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(save->parentWidget(), nullptr);
    EXPECT_EQ(save->nameFilters(), QStringList({"WAV(*.wav) File (*.wav)"}));
    // Shown as written, without the patterns added for Qt.
    EXPECT_TRUE(save->testOption(QFileDialog::HideNameFilterDetails));
    EXPECT_EQ(open->windowTitle(), QStringLiteral("Open"));
    EXPECT_EQ(save->windowTitle(), QStringLiteral("Save As"));
}

}  // namespace
}  // namespace tonavise::ui::test
