// The player and the recorder of the whole program on a real display (Xvfb) with the private
// sound server, whose default input hears its default output (scripts/with-sound-server.sh):
//
// - a WAV file of E5 opened through "Open File" plays: the position slider moves, the scope
//   shows E5 at its pitch line; Pause holds the slider, Play resumes it, Stop sets it to 0;
// - two seconds of the A4 tone that another process plays into the server are recorded, played
//   back, saved at the test's path, and the saved file, dropped on the window, plays in the
//   player as A4.
//
// The tone comes from the player process that EndToEndTest.cpp's main starts.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileInfo>
#include <QSlider>
#include <QTest>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "UiTestSupport.h"
#include "engine/audiofile/FileLoading.h"
#include "engine/audiofile/WavWriter.h"
#include "engine/live/ClipAnalysis.h"
#include "engine/live/PlayerThread.h"
#include "engine/live/RecorderThread.h"
#include "ui/CommandIds.h"
#include "ui/FileDialogs.h"
#include "ui/MainWindow.h"
#include "ui/ScopeView.h"
#include "ui/TonaviseApp.h"

namespace tonavise::ui::test {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class FixedOpenPath final : public OpenPathChooser {
  public:
    std::optional<QString> ChooseOpenPath() override { return path; }
    std::optional<QString> path;
};

class FixedSavePath final : public SavePathChooser {
  public:
    std::optional<std::string> ChooseSavePath() override { return path; }
    std::optional<std::string> path;
};

// A tone with three weaker harmonics, 16-bit mono at 44100 Hz.
bool WriteTone(const QString& path, double hz, double seconds) {
    const auto frames = static_cast<int>(kSampleRate * seconds);
    std::vector<uint8_t> pcm(static_cast<size_t>(frames) * 2);
    const double amplitude[] = {5000.0, 1500.0, 800.0, 400.0};
    for (int i = 0; i < frames; ++i) {
        double v = 0.0;
        for (int h = 0; h < 4; ++h) {
            v += amplitude[h] * std::sin(2.0 * std::numbers::pi * hz * (h + 1) * i / kSampleRate);
        }
        const auto s = static_cast<int16_t>(v);
        pcm[2 * i] = static_cast<uint8_t>(s & 0xFF);
        pcm[2 * i + 1] = static_cast<uint8_t>((s >> 8) & 0xFF);
    }
    return WriteWavFile(path.toStdString(), PcmFormat(1), pcm);
}

// The column of the highest trace point on the pitch scale.
int PeakColumn(const ScopeView& view) {
    const QImage& picture = view.composedPicture();
    const QImage& scale = view.renderer().scaleSurface();
    int peakX = 0;
    int peakTop = 410;
    for (int x = 50; x <= 1810; ++x) {
        for (int y = 10; y < peakTop; ++y) {
            if (picture.pixel(x, y) != scale.pixel(x, y)) {
                peakTop = y;
                peakX = x;
                break;
            }
        }
    }
    return peakX;
}

class ToolsEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("TONAVISE_SOUND_SERVER") ||
            QGuiApplication::platformName() != QStringLiteral("xcb")) {
            GTEST_SKIP() << "needs scripts/with-sound-server.sh and an X display (xvfb-run)";
        }
        app = std::make_unique<TonaviseApp>(AppEnvironment{file.path(),
                                                           &opener,
                                                           [] { return QDate(2026, 1, 1); },
                                                           QLocale(QLocale::English),
                                                           QStringLiteral("e2e-tools"),
                                                           work.path(),
                                                           work.path(),
                                                           &notifier,
                                                           nullptr});
        ASSERT_TRUE(app->InitInstance());
        frame = app->mainFrame();
        view().tools().SetOpenPathChooser(&openPath);
        view().tools().SetSavePathChooser(&savePath);
        // The analysis runs: the program is up.
        ASSERT_TRUE(WaitFor([&] { return spectrum().latest().sequence > 0; }, 10000));
    }
    void TearDown() override {
        if (app) {
            frame->close();
            app->ExitInstance();
        }
    }

    ScopeView& view() const { return frame->view(); }
    PlayerThread& player() const { return *view().engine().workers().player; }
    QSlider& slider() const { return *frame->positionSlider(); }
    const SpectrumExchange& spectrum() { return app->context().captureStore.spectrum; }
    double Fundamental() { return spectrum().latest().fundamentalHz; }
    bool Run(int id) { return frame->ExecuteCommand(id); }
    // Lets the program run for `ms`; for checks that something does not change meanwhile.
    static void Idle(int ms) {
        WaitFor([] { return false; }, ms);
    }

    TempSettings file;
    QTemporaryDir work;
    RecordingOpener opener;
    RecordingNotifier notifier;
    FixedOpenPath openPath;
    FixedSavePath savePath;
    std::unique_ptr<TonaviseApp> app;
    MainWindow* frame = nullptr;
};

TEST_F(ToolsEndToEnd, AFileOpenedPlaysMovesTheSliderShowsInTheScopePausesResumesAndStops) {
    const QString path = work.filePath("e5.wav");
    ASSERT_TRUE(WriteTone(path, 659.255, 6.0));
    const int32_t length = 6 * kSampleRate * 2;
    openPath.path = path;
    ASSERT_TRUE(Run(ID_PLAYER_OPEN));
    ASSERT_TRUE(WaitFor([&] { return slider().maximum() == length; }));
    EXPECT_EQ(slider().value(), 0);
    EXPECT_TRUE(frame->CommandStateOf(ID_PLAYER_PLAY).enabled);

    const auto started = Clock::now();
    ASSERT_TRUE(Run(ID_PLAYER_PLAY));
    ASSERT_TRUE(WaitFor([&] { return slider().value() > 0; }));
    const double firstMove = SecondsSince(started);
    // The scope shows the file, not the A4 that the microphone hears: E5 is key 55.
    ASSERT_TRUE(WaitFor([&] { return std::abs(Fundamental() - 659.255) < 2.0; }));
    const double shown = SecondsSince(started);
    // The analysis may be a drawing ahead of the picture: wait for the picture itself. Near E5
    // the bins stand about 0.7 columns apart, so the top of the outline can be a short flat run
    // whose first column, depending on the phase of the blocks, lies a column or two left of the
    // line; any column within 3 of the E5 line is E5 (the next keys are 20 columns away).
    EXPECT_TRUE(WaitFor([&] { return std::abs(PeakColumn(view()) - (50 + 20 * 55)) <= 3; }))
        << "peak at column " << PeakColumn(view());
    const int before = slider().value();
    ASSERT_TRUE(WaitFor([&] { return slider().value() >= before + 44100; }));
    std::printf(
        "[ figures  ] player: slider moves %.2f s and the scope shows E5 %.2f s after Play\n",
        firstMove,
        shown);

    ASSERT_TRUE(Run(ID_PLAYER_PAUSE));
    ASSERT_TRUE(WaitFor([&] { return player().IsPaused(); }));
    Idle(300);
    const int paused = slider().value();
    Idle(600);
    EXPECT_EQ(slider().value(), paused);
    EXPECT_TRUE(player().IsPlaying());

    ASSERT_TRUE(Run(ID_PLAYER_PLAY));
    ASSERT_TRUE(WaitFor([&] { return !player().IsPaused(); }));
    ASSERT_TRUE(WaitFor([&] { return slider().value() > paused + 8820; }));
    // It went on from where it was, not from the slider's start.
    EXPECT_LT(slider().value(), paused + 2 * 88200);

    ASSERT_TRUE(Run(ID_PLAYER_STOP));
    EXPECT_EQ(slider().value(), 0);
    ASSERT_TRUE(WaitFor([&] { return !player().IsPlaying(); }));
    Idle(300);
    EXPECT_EQ(slider().value(), 0);
    EXPECT_TRUE(frame->CommandStateOf(ID_PLAYER_PLAY).enabled);
    EXPECT_FALSE(frame->CommandStateOf(ID_PLAYER_STOP).enabled);
    EXPECT_EQ(notifier.Count(), 0u);
}

TEST_F(ToolsEndToEnd, TwoSecondsRecordedPlayBackSaveAndPlayInThePlayer) {
    RecordingStore& store = app->context().recordingStore;
    // The microphone hears the tone.
    ASSERT_TRUE(WaitFor([&] { return std::abs(Fundamental() - 440.0) < 1.4; }, 10000));

    ASSERT_TRUE(Run(ID_RECORDER_RECORD));
    ASSERT_TRUE(WaitFor([&] { return store.recording.load() == 1; }));
    const auto recordStart = Clock::now();
    ASSERT_TRUE(WaitFor([&] { return store.Count() >= 20; }));
    const double recordTime = SecondsSince(recordStart);
    ASSERT_TRUE(Run(ID_RECORDER_STOP));
    ASSERT_TRUE(WaitFor([&] { return store.recording.load() == 0; }));
    const int blocks = store.Count();
    EXPECT_GE(blocks, 20);
    EXPECT_LE(blocks, 22);
    EXPECT_FALSE(frame->CommandStateOf(ID_RECORDER_STOP).enabled);
    EXPECT_TRUE(frame->CommandStateOf(ID_RECORDER_PLAY).enabled);

    // Playback runs once to the end by itself.
    RecorderThread& recorder = *view().engine().workers().recorder;
    const auto playStart = Clock::now();
    ASSERT_TRUE(Run(ID_RECORDER_PLAY));
    ASSERT_TRUE(WaitFor([&] { return recorder.IsPlaying(); }));
    EXPECT_TRUE(frame->CommandStateOf(ID_RECORDER_PLAY).checked);
    EXPECT_TRUE(frame->CommandStateOf(ID_RECORDER_STOP).enabled);
    ASSERT_TRUE(WaitFor([&] { return !recorder.IsPlaying(); }, 8000));
    const double playTime = SecondsSince(playStart);
    EXPECT_GT(playTime, 0.1 * (blocks - 3));
    EXPECT_LT(playTime, 0.1 * blocks + 1.5);
    EXPECT_EQ(store.Count(), blocks);

    const QString saved = work.filePath("take.wav");
    savePath.path = saved.toStdString();
    ASSERT_TRUE(Run(ID_RECORDER_SAVE));
    EXPECT_EQ(QFileInfo(saved).size(), 46 + 8820 * blocks);
    std::printf("[ figures  ] recorder: %d blocks in %.2f s of recording, played back in %.2f s\n",
                blocks,
                recordTime,
                playTime);

    // The file holds the tone.
    LoadedClip clip;
    ASSERT_TRUE(LoadByPath(savePath.path.value(), clip, notifier));
    CaptureStore analysisStore;
    analysisStore.Create();
    analysisStore.scopeMode = kScopePitch;
    Fft fft(kFftSize);
    KeyTable keyTable;
    int a4 = 0;
    AnalyzeClip(clip, analysisStore, fft, keyTable, [&](const BlockPitch& row) {
        a4 += row.block >= 2 && std::abs(row.fundamentalHz - 440.0) < 1.4 ? 1 : 0;
    });
    EXPECT_GE(a4, blocks - 4);
    analysisStore.Close();

    // Dropped on the window, the saved file plays in the player.
    frame->DropFiles({QUrl::fromLocalFile(saved)});
    ASSERT_TRUE(WaitFor([&] { return slider().maximum() == 8820 * blocks; }));
    ASSERT_TRUE(Run(ID_PLAYER_PLAY));
    ASSERT_TRUE(WaitFor([&] { return player().IsPlaying(); }));
    ASSERT_TRUE(WaitFor([&] { return slider().value() > 0; }));
    EXPECT_TRUE(WaitFor([&] { return std::abs(Fundamental() - 440.0) < 1.4; }));
    // At its end the player stops and the slider returns to the start.
    ASSERT_TRUE(WaitFor([&] { return !player().IsPlaying(); }, 8000));
    EXPECT_TRUE(WaitFor([&] { return slider().value() == 0; }));
    EXPECT_EQ(notifier.Count(), 0u);
}

}  // namespace
}  // namespace tonavise::ui::test
