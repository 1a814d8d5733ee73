// The running scope with its worker threads on virtual sound devices: sound captured by the
// microphone thread reaches the picture and the fundamental tone window, the waveform stands
// still, the channel commands reopen the microphone, a dropped file is loaded by the player,
// a microphone that cannot be opened is reported once and leaves a usable program, and closing
// joins every thread.
#include <gtest/gtest.h>

#include <QLabel>
#include <QSlider>
#include <QTest>
#include <chrono>
#include <cmath>
#include <numbers>

#include "UiTestSupport.h"
#include "engine/audiofile/WavWriter.h"
#include "engine/live/CaptureThread.h"
#include "engine/live/PlayerThread.h"
#include "engine/live/RecorderThread.h"
#include "engine/live/ToneThread.h"
#include "ui/CommandIds.h"
#include "ui/FundamentalToneWindow.h"
#include "ui/MainWindow.h"
#include "ui/ScopeView.h"

namespace tonavise::ui::test {
namespace {

using namespace std::chrono_literals;

VirtualSoundSystem::Signal Sine(double hz, double amplitude) {
    return [hz, amplitude](int64_t frame, int) {
        return amplitude * std::sin(2.0 * std::numbers::pi * hz * frame / kSampleRate);
    };
}

// The top of the trace in each column: the first row from the top that differs from the scale
// under it. Columns without a trace give 410 (the baseline).
int TraceTop(const QImage& picture, const QImage& scale, int x) {
    for (int y = 10; y < 410; ++y) {
        if (picture.pixel(x, y) != scale.pixel(x, y)) {
            return y;
        }
    }
    return 410;
}

class LiveScopeTest : public ::testing::Test {
  protected:
    void Start() {
        frame = std::make_unique<MainWindow>(engine.context);
        frame->show();
        frame->StartLive();
        ASSERT_TRUE(engine.sound.WaitForQueued(DeviceDirection::Input, 2, 5000ms));
    }
    void TearDown() override { frame.reset(); }

    ScopeView& view() { return frame->view(); }

    // Lets `blocks` blocks of microphone sound arrive and waits until the view has drawn the
    // analysis of the last one.
    bool Capture(int blocks) {
        const uint64_t before = engine.captureStore.spectrum.latest().sequence;
        for (int i = 0; i < blocks; ++i) {
            if (engine.sound.Complete(DeviceDirection::Input, kPiecesPerBlock) != kPiecesPerBlock) {
                return false;
            }
            if (!engine.sound.WaitForQueued(DeviceDirection::Input, 2, 5000ms)) {
                return false;
            }
        }
        return WaitFor([&] {
            return engine.captureStore.spectrum.latest().sequence >= before + 1 &&
                   view().redrawCount() > 0;
        });
    }

    TempSettings file;
    Engine engine{file.path()};
    std::unique_ptr<MainWindow> frame;
};

TEST_F(LiveScopeTest, A440HzToneShowsAtTheA4LineAndInTheToneWindow) {
    // Low enough that the peak stays below the top of the 10 % scale.
    engine.sound.SetInputSignal(Sine(440.0, 2000.0));
    Start();
    frame->ExecuteCommand(ID_FUNDAMENTAL_TONE);
    ASSERT_TRUE(Capture(8));
    // Wait for an analysis that has seen the tone.
    ASSERT_TRUE(WaitFor([&] {
        return std::abs(engine.captureStore.spectrum.latest().fundamentalHz - 440.0) < 2.0;
    }));
    const int64_t drawn = view().redrawCount();
    ASSERT_TRUE(Capture(1));
    ASSERT_TRUE(WaitFor([&] { return view().redrawCount() > drawn; }));

    const QImage& picture = view().composedPicture();
    const QImage& scale = view().renderer().scaleSurface();
    int peakX = 0;
    int peakTop = 410;
    for (int x = 50; x <= 1810; ++x) {
        const int top = TraceTop(picture, scale, x);
        if (top < peakTop) {
            peakTop = top;
            peakX = x;
        }
    }
    EXPECT_NEAR(peakX, 1010, 1);
    EXPECT_LT(peakTop, 200);

    FundamentalToneWindow* window = view().toneWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(WaitFor([&] {
        return window->shownLines().size() == 3 && window->shownLines()[1] == "Pitch = A4";
    }));
    EXPECT_TRUE(window->shownLines()[0].startsWith("Fundamental Frequency (tone) = 44"));
    const double shownHz = window->shownLines()[0].section(' ', 4, 4).toDouble();
    EXPECT_NEAR(shownHz, 440.0, 1.4);
    const int cents = window->shownLines()[2].section(' ', 2, 2).toInt();
    EXPECT_LE(std::abs(cents), 5);
}

TEST_F(LiveScopeTest, TheWaveformOfAPeriodicSoundStandsStill) {
    // 43.7 periods per block: every block starts at another phase.
    engine.sound.SetInputSignal(Sine(437.0, 2500.0));
    Start();
    frame->ExecuteCommand(ID_WAVE_SHAPE);
    auto captureWave = [&] {
        const int64_t drawn = view().redrawCount();
        EXPECT_EQ(engine.sound.Complete(DeviceDirection::Input, kPiecesPerBlock), kPiecesPerBlock);
        EXPECT_TRUE(engine.sound.WaitForQueued(DeviceDirection::Input, 2, 5000ms));
        EXPECT_TRUE(WaitFor([&] { return view().redrawCount() > drawn; }));
        return view().composedPicture().copy(0, 0, 467, 451);
    };
    for (int i = 0; i < 9; ++i) {
        captureWave();
    }
    const QImage before = captureWave();
    const int endBefore = view().trigger().waveEnd;
    const QImage after = captureWave();
    // The frame was found at another place in the history, yet it looks the same.
    EXPECT_NE(view().trigger().waveEnd, endBefore);
    int differing = 0;
    int traced = 0;
    for (int y = 10; y < 410; ++y) {
        for (int x = 50; x < 451; ++x) {
            differing += before.pixel(x, y) != after.pixel(x, y) ? 1 : 0;
            traced += after.pixel(x, y) == qRgb(255, 0, 127) ? 1 : 0;
        }
    }
    EXPECT_GT(traced, 400);
    EXPECT_LT(differing, traced / 20);
}

TEST_F(LiveScopeTest, TheChannelCommandsReopenTheMicrophone) {
    Start();
    frame->ExecuteCommand(ID_MIC_STEREO);
    ASSERT_TRUE(WaitFor([&] { return engine.sound.OpenCount(DeviceDirection::Input) == 2; }));
    EXPECT_EQ(engine.sound.LastOpenFormat(DeviceDirection::Input).channels, 2);
    // Choosing the count it already has does not reopen.
    frame->ExecuteCommand(ID_MIC_STEREO);
    DrainEvents();
    EXPECT_EQ(engine.sound.OpenCount(DeviceDirection::Input), 2);
    frame->ExecuteCommand(ID_MIC_MONO);
    ASSERT_TRUE(WaitFor([&] { return engine.sound.OpenCount(DeviceDirection::Input) == 3; }));
    EXPECT_EQ(engine.sound.LastOpenFormat(DeviceDirection::Input).channels, 1);
}

TEST_F(LiveScopeTest, TheFirstOfThreeDroppedFilesIsLoaded) {
    QTemporaryDir dir;
    const std::vector<uint8_t> second(88200, 0);
    const std::vector<uint8_t> first(44100 * 4, 0);
    const QString a = dir.filePath("a.wav");
    const QString b = dir.filePath("b.wav");
    ASSERT_TRUE(WriteWavFile(a.toStdString(), PcmFormat(2), first));
    ASSERT_TRUE(WriteWavFile(b.toStdString(), PcmFormat(1), second));
    Start();
    frame->DropFiles({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b), QUrl::fromLocalFile(b)});
    ASSERT_TRUE(WaitFor([&] { return frame->positionSlider()->maximum() == 44100 * 4; }));
    DrainEvents();
    EXPECT_EQ(frame->positionSlider()->maximum(), 44100 * 4);
    EXPECT_TRUE(view().engine().workers().player->IsLoaded());
    EXPECT_EQ(view().engine().workers().player->ChannelCount(), 2);
}

// A stored input that is gone: the default is captured and the status bar says so; choosing
// the default again clears the note at the next open.
TEST_F(LiveScopeTest, AChosenInputThatIsGoneFallsBackToTheDefaultWithANote) {
    engine.sound.ChooseDevice(DeviceDirection::Input, "usb_mic");
    Start();
    EXPECT_EQ(engine.sound.OpenedDevice(DeviceDirection::Input), "");
    EXPECT_TRUE(WaitFor([&] {
        return frame->inputStateLabel()->text() ==
               "The chosen input usb_mic is not available; using the default";
    }));
    EXPECT_TRUE(Capture(1));
    engine.sound.ChooseDevice(DeviceDirection::Input, "");
    EXPECT_TRUE(WaitFor([&] { return frame->inputStateLabel()->text().isEmpty(); }));
    EXPECT_EQ(engine.notifier.Count(), 0u);
}

TEST_F(LiveScopeTest, AMicrophoneThatCannotOpenIsReportedOnceAndTheScopeStaysUsable) {
    engine.sound.SetOpenResult(DeviceDirection::Input, kDeviceNoDriver);
    frame = std::make_unique<MainWindow>(engine.context);
    frame->show();
    frame->StartLive();
    ASSERT_TRUE(WaitFor([&] { return engine.notifier.Count() == 1; }));
    EXPECT_EQ(engine.notifier.Caption(0), "Alert");
    EXPECT_EQ(engine.notifier.Text(0).rfind("Error = 0x00000006, : ", 0), 0u)
        << engine.notifier.Text(0);
    // The status bar says why the scope stays silent.
    EXPECT_TRUE(WaitFor([&] { return frame->inputStateLabel()->text() == "No input"; }));

    // Every display command still draws the silent scope.
    const int ids[] = {ID_FREQUENCY_SCALE,
                       ID_VERT_ZOOM_IN,
                       ID_HOR_ZOOM_IN,
                       ID_WATCH_RIGHT,
                       ID_WATCH_LEFT,
                       ID_HOR_ZOOM_OUT,
                       ID_THREE_D,
                       ID_LOGARITHM,
                       ID_PITCH_SCALE,
                       ID_FUNDAMENTAL_TONE,
                       ID_KEY_C + 2,
                       ID_SELECT_NOTATION,
                       ID_HALF_TONE_UP,
                       ID_HALF_TONE_DOWN,
                       ID_NO_TRANSPOSITION,
                       ID_WAVE_SHAPE,
                       ID_VERT_ZOOM_OUT};
    for (int id : ids) {
        const int64_t drawn = view().redrawCount();
        EXPECT_TRUE(frame->ExecuteCommand(id)) << id;
        if (id != ID_FUNDAMENTAL_TONE) {
            EXPECT_GT(view().redrawCount(), drawn) << id;
        }
    }
    EXPECT_EQ(view().scopeMode(), kScopeWave);
    DrainEvents();
    EXPECT_EQ(engine.notifier.Count(), 1u);

    const auto started = std::chrono::steady_clock::now();
    frame.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
}

TEST_F(LiveScopeTest, ClosingStopsAndJoinsEveryThreadQuickly) {
    engine.sound.SetInputSignal(Sine(440.0, 8000.0));
    Start();
    engine.sound.StartClock(1.0);
    ASSERT_TRUE(WaitFor([&] { return view().redrawCount() > 2; }));
    EXPECT_TRUE(view().engine().workers().capture->running());
    EXPECT_TRUE(view().engine().workers().output->running());
    EXPECT_TRUE(view().engine().workers().player->running());
    EXPECT_TRUE(view().engine().workers().recorder->running());
    const auto started = std::chrono::steady_clock::now();
    view().StopLive();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
    EXPECT_EQ(view().engine().workers().capture, nullptr);
    EXPECT_EQ(view().engine().workers().player, nullptr);
    EXPECT_FALSE(view().analysisRunning());
    EXPECT_TRUE(engine.sound.WaitForClosed(DeviceDirection::Input, 1000ms));
    engine.sound.StopClock();
}

}  // namespace
}  // namespace tonavise::ui::test
