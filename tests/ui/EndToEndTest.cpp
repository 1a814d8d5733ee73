// The whole program on a real display (Xvfb) with the real sound system: a private PulseAudio
// server (scripts/with-sound-server.sh) whose default input hears its default output. A tone of
// A4 with a few harmonics is played into the server by another process; the program must show
// it at the A4 line of the pitch scale on the screen, name it in the fundamental tone window,
// show a standing waveform, and end within two seconds of its window closing with every thread
// joined and the settings written. The test also leaves a screenshot of the running program
// (TONAVISE_SCREENSHOT, default tonavise-live.png in the working folder).
//
// Then, with that tone held, the program's own sound: the signal generator started at 1000 Hz
// from its dialog shows at 1000 Hz on the frequency scale, and the metronome started from its
// dialog is heard (recorded back from the server) with its clicks at the tempo set there.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <numbers>
#include <string>

#include "UiTestSupport.h"
#include "engine/audiofile/WavWriter.h"
#include "engine/device/SoundDevice.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/PlayerThread.h"
#include "engine/live/ToneThread.h"
#include "engine/live/WorkerCommands.h"
#include "ui/CommandIds.h"
#include "ui/FundamentalToneWindow.h"
#include "ui/MainWindow.h"
#include "ui/MetronomeDialog.h"
#include "ui/PitchTrackWindow.h"
#include "ui/ScopeView.h"
#include "ui/SignalGeneratorDialog.h"
#include "ui/TonaviseApp.h"

extern char** environ;

namespace tonavise::ui::test {
namespace {

using Clock = std::chrono::steady_clock;

// The process that plays the tone into the sound server, started before any thread exists (a
// fork from a process with threads is not safe, and ThreadSanitizer refuses it).
pid_t g_tonePlayer = -1;

}  // namespace

// A4 with its second to fourth harmonics, `seconds` long, 16-bit mono at 44100 Hz.
bool WriteToneFile(const QString& path, int seconds, double hz = 440.0) {
    const int frames = kSampleRate * seconds;
    std::vector<uint8_t> pcm(static_cast<size_t>(frames) * 2);
    const double amplitude[] = {2300.0, 900.0, 500.0, 250.0};
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

namespace {

QImage GrabScreen() {
    return QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(
        QImage::Format_RGB32);
}

// The first row from the top, inside the plot, where the screen differs from the scale drawn
// under the trace.
int TraceTop(const QImage& screen, QPoint origin, const QImage& scale, int x) {
    for (int y = 10; y < 410; ++y) {
        if (screen.pixel(origin.x() + x, origin.y() + y) != scale.pixel(x, y)) {
            return y;
        }
    }
    return 410;
}

// The highest point of the trace on the screen among the picture's columns 50 .. lastX - 1:
// its column and its row (410 when no column shows the trace).
std::pair<int, int> PeakOnScreen(const ScopeView& view, int lastX) {
    const QPoint origin = view.picture()->mapToGlobal(QPoint(0, 0));
    const QImage screen = GrabScreen();
    const QImage& scale = view.renderer().scaleSurface();
    int peakX = 0;
    int peakTop = 410;
    for (int x = 50; x < lastX; ++x) {
        const int top = TraceTop(screen, origin, scale, x);
        if (top < peakTop) {
            peakTop = top;
            peakX = x;
        }
    }
    return {peakX, peakTop};
}

TEST(EndToEnd, LiveToneOnScreenToneWindowWaveformAndCleanExit) {
    if (qEnvironmentVariableIsEmpty("TONAVISE_SOUND_SERVER") ||
        QGuiApplication::platformName() != QStringLiteral("xcb")) {
        GTEST_SKIP() << "needs scripts/with-sound-server.sh and an X display (xvfb-run)";
    }
    ASSERT_GT(g_tonePlayer, 0) << "paplay did not start";
    TempSettings file;
    QTemporaryDir work;

    RecordingOpener opener;
    RecordingNotifier notifier;
    const auto started = Clock::now();
    TonaviseApp app(AppEnvironment{file.path(),
                                   &opener,
                                   [] { return QDate(2026, 1, 1); },
                                   QLocale(QLocale::English),
                                   QStringLiteral("e2e"),
                                   work.path(),
                                   work.path(),
                                   &notifier,
                                   nullptr});
    ASSERT_TRUE(app.InitInstance());
    MainWindow* frame = app.mainFrame();
    ScopeView& view = frame->view();
    const SpectrumExchange& spectrum = app.context().captureStore.spectrum;

    // The first drawn spectrum, then one that has heard the tone.
    ASSERT_TRUE(
        WaitFor([&] { return spectrum.latest().sequence > 0 && view.redrawCount() > 1; }, 10000));
    const double startup = std::chrono::duration<double>(Clock::now() - started).count();
    ASSERT_TRUE(
        WaitFor([&] { return std::abs(spectrum.latest().fundamentalHz - 440.0) < 1.4; }, 10000));
    std::printf("[ figures  ] start-up to the first drawn spectrum: %.2f s\n", startup);

    // On the screen: the highest point of the trace is the A4 line, x = 1010 of the picture.
    QTest::qWait(300);
    const auto [peakX, peakTop] = PeakOnScreen(view, 1811);
    EXPECT_NEAR(peakX, 1010, 1);
    EXPECT_LT(peakTop, 300);

    // The fundamental tone window names it.
    ASSERT_TRUE(frame->ExecuteCommand(ID_FUNDAMENTAL_TONE));
    FundamentalToneWindow* window = view.toneWindow();
    ASSERT_TRUE(WaitFor([&] {
        return window->shownLines().size() == 3 && window->shownLines()[1] == "Pitch = A4";
    }));
    const QStringList lines = window->shownLines();
    EXPECT_NEAR(lines[0].section(' ', 4, 4).toDouble(), 440.0, 1.4) << lines[0].toStdString();
    EXPECT_LE(std::abs(lines[2].section(' ', 2, 2).toInt()), 5) << lines[2].toStdString();
    std::printf("[ figures  ] tone window: %s | %s | %s\n",
                qPrintable(lines[0]),
                qPrintable(lines[1]),
                qPrintable(lines[2]));

    // The screenshot: the main window with the tone window beside it.
    QTest::qWait(500);
    const QRect shown =
        frame->frameGeometry().united(window->frameGeometry()).adjusted(-8, -8, 8, 8);
    const QString shot = qEnvironmentVariable("TONAVISE_SCREENSHOT", "tonavise-live.png");
    EXPECT_TRUE(GrabScreen().copy(shown).save(shot)) << shot.toStdString();

    // The waveform stands still.
    ASSERT_TRUE(frame->ExecuteCommand(ID_WAVE_SHAPE));
    auto nextWave = [&] {
        const int64_t drawn = view.redrawCount();
        EXPECT_TRUE(WaitFor([&] { return view.redrawCount() > drawn; }, 3000));
        return view.composedPicture().copy(0, 0, 467, 451);
    };
    for (int i = 0; i < 5; ++i) {
        nextWave();
    }
    const QImage a = nextWave();
    const QImage b = nextWave();
    int traced = 0;
    int differing = 0;
    for (int y = 10; y < 410; ++y) {
        for (int x = 50; x < 451; ++x) {
            traced += b.pixel(x, y) == qRgb(255, 0, 127) ? 1 : 0;
            differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_GT(traced, 400);
    EXPECT_LT(differing, traced / 10);
    EXPECT_FALSE(window->isVisible());

    // Closing the window ends the program: every thread joined, the settings written.
    const auto closing = Clock::now();
    frame->close();
    app.ExitInstance();
    const double closed = std::chrono::duration<double>(Clock::now() - closing).count();
    std::printf("[ figures  ] window closed to threads joined and settings written: %.3f s\n",
                closed);
    EXPECT_LT(closed, 2.0);
    SettingsStore written(file.path());
    EXPECT_EQ(written.ReadInt(kSectionSetting, "Tempo", -1), 120);
    EXPECT_EQ(written.ReadInt(kSectionPitchLineColor, "Color87", -1), 7);
    EXPECT_EQ(written.ReadString(kSectionUser, "today", {}), QStringLiteral("2026/01/01"));
    EXPECT_EQ(notifier.Count(), 0u);
}

// Holds the tone player while a test listens to the program's own sound; it goes on afterwards
// for the tests that need the tone.
class TonePaused {
  public:
    TonePaused() {
        if (g_tonePlayer > 0) {
            kill(g_tonePlayer, SIGSTOP);
        }
    }
    ~TonePaused() {
        if (g_tonePlayer > 0) {
            kill(g_tonePlayer, SIGCONT);
        }
    }
    TonePaused(const TonePaused&) = delete;
    TonePaused& operator=(const TonePaused&) = delete;
};

bool CanRun() {
    return !qEnvironmentVariableIsEmpty("TONAVISE_SOUND_SERVER") &&
           QGuiApplication::platformName() == QStringLiteral("xcb");
}

// The program as a user starts it, with settings of the test's own.
struct RunningProgram {
    RunningProgram()
        : app(AppEnvironment{file.path(),
                             &opener,
                             [] { return QDate(2026, 1, 1); },
                             QLocale(QLocale::English),
                             QStringLiteral("e2e"),
                             work.path(),
                             work.path(),
                             &notifier,
                             nullptr}) {}
    ~RunningProgram() {
        if (started) {
            app.mainFrame()->close();
            app.ExitInstance();
        }
    }
    bool Start() {
        started = app.InitInstance();
        return started;
    }
    MainWindow& frame() { return *app.mainFrame(); }
    ScopeView& view() { return app.mainFrame()->view(); }

    TempSettings file;
    QTemporaryDir work;
    RecordingOpener opener;
    RecordingNotifier notifier;
    TonaviseApp app;
    bool started = false;
};

// Records the server's default input (the monitor of what is played) into memory, as a
// listener in the room would hear the program.
class MonitorRecorder final : public CommandThread<std::variant<DeviceEvent>> {
  public:
    MonitorRecorder(DeviceFactory& devices, int seconds)
        : devices_(devices), samples_(static_cast<size_t>(seconds) * kSampleRate) {}
    ~MonitorRecorder() override { join(); }
    // The samples so far; call after join().
    std::vector<int16_t> Samples() const {
        std::lock_guard lock(mutex_);
        return {samples_.begin(), samples_.begin() + static_cast<std::ptrdiff_t>(filled_)};
    }
    DeviceResult openResult() const { return openResult_.load(); }

  protected:
    void onStart() override {
        device_ = devices_.Create(DeviceDirection::Input, StreamRole::Microphone);
        openResult_ = device_->Open(PcmFormat(1), *this);
        if (openResult_ != kDeviceOk) {
            return;
        }
        for (int k = 0; k < 2; ++k) {
            headers_[k].Describe(buffers_[k].data(), kBlockFrames * 2);
            device_->Prepare(headers_[k]);
            device_->Queue(headers_[k]);
        }
        device_->Start();
    }
    void handle(std::variant<DeviceEvent>& command) override {
        const DeviceEvent& event = std::get<DeviceEvent>(command);
        if (event.kind != DeviceEvent::Kind::Filled || !device_ || !device_->IsOpen() ||
            event.header == nullptr) {
            return;
        }
        WaveHeader* header = event.header;
        const size_t count = header->bytesRecorded.load() / 2;
        {
            std::lock_guard lock(mutex_);
            const size_t n = std::min(count, samples_.size() - filled_);
            std::memcpy(samples_.data() + filled_, header->data, n * 2);
            filled_ += n;
        }
        device_->Queue(*header);
    }
    void onExit() override {
        if (device_) {
            device_->Close();
            device_.reset();
        }
    }

  private:
    DeviceFactory& devices_;
    std::unique_ptr<WaveDevice> device_;
    std::array<std::array<int16_t, kBlockFrames>, 2> buffers_{};
    std::array<WaveHeader, 2> headers_;
    std::atomic<DeviceResult> openResult_{kDeviceOk};
    mutable std::mutex mutex_;
    std::vector<int16_t> samples_;
    size_t filled_ = 0;
};

TEST(EndToEnd, SignalGeneratorAt1000HzShowsAt1000HzOnTheFrequencyScale) {
    if (!CanRun()) {
        GTEST_SKIP() << "needs scripts/with-sound-server.sh and an X display (xvfb-run)";
    }
    const TonePaused quiet;
    RunningProgram program;
    ASSERT_TRUE(program.Start());
    ScopeView& view = program.view();
    const SpectrumExchange& spectrum = program.app.context().captureStore.spectrum;
    ASSERT_TRUE(program.frame().ExecuteCommand(ID_FREQUENCY_SCALE));

    // From the dialog, as a user does it: both frequencies 1000 Hz, then Start.
    ASSERT_TRUE(program.frame().ExecuteCommand(ID_SIGNAL_GENERATOR));
    SignalGeneratorDialog* dialog = view.signalDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    for (int channel : {0, 1}) {
        QLineEdit* edit = dialog->valueEdit(channel, 0);
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("1000"));
    }
    const auto started = Clock::now();
    QTest::mouseClick(dialog->startButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return view.engine().SignalPlaying(); }));
    ASSERT_TRUE(
        WaitFor([&] { return std::abs(spectrum.latest().fundamentalHz - 1000.0) < 2.0; }, 15000))
        << spectrum.latest().fundamentalHz;
    std::printf("[ figures  ] signal generator Start to 1000 Hz estimated: %.2f s (%.1f Hz)\n",
                std::chrono::duration<double>(Clock::now() - started).count(),
                spectrum.latest().fundamentalHz);

    // On the screen: the highest point of the trace stands over 1000 Hz of the scale.
    int expectedX = 0;
    for (int x = 50; x < 1050; ++x) {
        if (FrequencyAt(x, view.spanIndex(), view.startFrequency()).value_or(0) <= 1000) {
            expectedX = x;
        }
    }
    QTest::qWait(300);
    const auto [peakX, peakTop] = PeakOnScreen(view, 1050);
    EXPECT_NEAR(peakX, expectedX, 1) << "expected the peak at x = " << expectedX;
    EXPECT_LT(peakTop, 300);
    std::printf("[ figures  ] frequency scale peak at x = %d (1000 Hz is x = %d), top y = %d\n",
                peakX,
                expectedX,
                peakTop);

    QTest::mouseClick(dialog->exitButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(WaitFor([&] { return !view.engine().SignalPlaying(); }));
    EXPECT_EQ(program.app.context().signalSettings.freqLeft, 1000);
    EXPECT_EQ(program.notifier.Count(), 0u);
}

// The frequency shown in the precise tone window's first line, or 0.
double ShownHz(const FundamentalToneWindow& tone) {
    const QStringList lines = tone.shownLines();
    return lines.size() == 3 ? lines[0].section(' ', 4, 4).toDouble() : 0.0;
}

// A4 with a vibrato of +-20 cents at `rate` Hz, `seconds` long, 16-bit mono at 44100 Hz.
bool WriteVibratoFile(const QString& path, double rate, int seconds) {
    const int frames = kSampleRate * seconds;
    std::vector<uint8_t> pcm(static_cast<size_t>(frames) * 2);
    double phase = 0.0;
    for (int i = 0; i < frames; ++i) {
        const double cents = 20.0 * std::sin(2.0 * std::numbers::pi * rate * i / kSampleRate);
        phase += 2.0 * std::numbers::pi * 440.0 * std::pow(2.0, cents / 1200.0) / kSampleRate;
        const auto v = static_cast<int16_t>(9000.0 * std::sin(phase));
        pcm[2 * i] = static_cast<uint8_t>(v & 0xFF);
        pcm[2 * i + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    }
    return WriteWavFile(path.toStdString(), PcmFormat(1), pcm);
}

TEST(EndToEnd, PreciseTunerReadsTheGeneratorAndThePitchTrackFollowsAPlayedVibrato) {
    if (!CanRun()) {
        GTEST_SKIP() << "needs scripts/with-sound-server.sh and an X display (xvfb-run)";
    }
    const TonePaused quiet;
    RunningProgram program;
    ASSERT_TRUE(program.Start());
    MainWindow& frame = program.frame();
    ScopeView& view = frame.view();
    ASSERT_TRUE(frame.ExecuteCommand(ID_PRECISE_PITCH));
    ASSERT_TRUE(frame.ExecuteCommand(ID_FUNDAMENTAL_TONE));
    FundamentalToneWindow* tone = view.toneWindow();
    ASSERT_NE(tone, nullptr);

    // 440.00 Hz from the signal generator: 440.00 and +0.0 cents, the needle green.
    ASSERT_TRUE(frame.ExecuteCommand(ID_SIGNAL_GENERATOR));
    SignalGeneratorDialog* dialog = view.signalDialog();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    const auto setFrequency = [&](const QString& hz) {
        for (int channel : {0, 1}) {
            QLineEdit* edit = dialog->valueEdit(channel, 0);
            edit->selectAll();
            QTest::keyClicks(edit, hz);
        }
    };
    setFrequency(QStringLiteral("440"));
    QTest::mouseClick(dialog->startButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor(
        [&] {
            return std::abs(ShownHz(*tone) - 440.0) <= 0.05 &&
                   tone->shownLines()[2] == QStringLiteral("Difference = +0.0 (Cents)");
        },
        15000))
        << tone->shownLines().join(" | ").toStdString();
    ASSERT_TRUE(WaitFor([&] { return tone->needleX() > 0; }));
    const QImage toneShot = tone->grab().toImage();
    EXPECT_EQ(QColor(toneShot.pixel(tone->needleX(), toneShot.height() - 20)), QColor(0, 160, 60));
    std::printf("[ figures  ] precise tuner at 440 Hz: %s\n",
                qPrintable(tone->shownLines().join(" | ")));
    const QString shot = qEnvironmentVariable("TONAVISE_TUNER_SCREENSHOT");
    if (!shot.isEmpty()) {
        QTest::qWait(300);
        const QRect shown =
            frame.frameGeometry().united(tone->frameGeometry()).adjusted(-8, -8, 8, 8);
        EXPECT_TRUE(GrabScreen().copy(shown).save(shot)) << shot.toStdString();
    }

    // 441 Hz: +3.9 cents (the live update takes the edit after the played second).
    setFrequency(QStringLiteral("441"));
    ASSERT_TRUE(WaitFor(
        [&] {
            return std::abs(ShownHz(*tone) - 441.0) <= 0.05 &&
                   tone->shownLines()[2] == QStringLiteral("Difference = +3.9 (Cents)");
        },
        15000))
        << tone->shownLines().join(" | ").toStdString();
    std::printf("[ figures  ] precise tuner at 441 Hz: %s\n",
                qPrintable(tone->shownLines().join(" | ")));
    QTest::mouseClick(dialog->exitButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !view.engine().SignalPlaying(); }));

    // The pitch track of a file the player plays: an A4 whose vibrato of +-20 cents turns slowly
    // enough (1.5 Hz) for blocks of 100 ms to follow it.
    const QString vibrato = program.work.filePath(QStringLiteral("vibrato.wav"));
    ASSERT_TRUE(WriteVibratoFile(vibrato, 1.5, 8));
    ASSERT_TRUE(frame.ExecuteCommand(ID_PITCH_TRACK));
    PitchTrackWindow* track = view.pitchTrackWindow();
    ASSERT_NE(track, nullptr);
    track->resize(720, 360);
    view.OpenFile(vibrato);
    ASSERT_TRUE(WaitFor([&] { return view.engine().workers().player->IsLoaded(); }));
    track->Clear();
    ASSERT_TRUE(frame.ExecuteCommand(ID_PLAYER_PLAY));
    ASSERT_TRUE(WaitFor([&] { return track->ring().Size() >= 50; }, 15000));
    track->SetFrozen(true);
    double low = 1e9;
    double high = -1e9;
    int pitched = 0;
    const std::size_t n = track->ring().Size();
    for (std::size_t i = n - 30; i < n; ++i) {
        const double hz = track->ring().At(i).hz;
        if (hz > 0) {
            const double cents = 1200.0 * std::log2(hz / 440.0);
            low = std::min(low, cents);
            high = std::max(high, cents);
            ++pitched;
        }
    }
    std::printf(
        "[ figures  ] pitch track of a +-20 cent vibrato: %d of 30 blocks pitched, %.1f to "
        "%.1f cents\n",
        pitched,
        low,
        high);
    EXPECT_GE(pitched, 27);
    EXPECT_LT(low, -12.0);
    EXPECT_GT(high, 12.0);
    EXPECT_GT(low, -30.0);
    EXPECT_LT(high, 30.0);
    const QString trackShot = qEnvironmentVariable("TONAVISE_TRACK_SCREENSHOT");
    if (!trackShot.isEmpty()) {
        track->repaint();
        EXPECT_TRUE(track->grab().save(trackShot)) << trackShot.toStdString();
    }
    ASSERT_TRUE(frame.ExecuteCommand(ID_PLAYER_STOP));
    EXPECT_EQ(program.notifier.Count(), 0u);
}

TEST(EndToEnd, MetronomeStartedFromItsDialogClicksAtTheSetTempo) {
    if (!CanRun()) {
        GTEST_SKIP() << "needs scripts/with-sound-server.sh and an X display (xvfb-run)";
    }
    const TonePaused quiet;
    RunningProgram program;
    ASSERT_TRUE(program.Start());
    ToneThread* waveOut = program.view().engine().workers().output;
    ASSERT_NE(waveOut, nullptr);

    // The window (not modal): tempo 120 up to 150 with the edit's arrow key, meter "1" (every
    // beat a full click), Start, Exit.
    ASSERT_TRUE(program.frame().ExecuteCommand(ID_METRONOME_SET));
    MetronomeDialog* dialog = program.view().metronomeDialog();
    ASSERT_NE(dialog, nullptr);
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(dialog->tempoEdit(), Qt::Key_Up);
    }
    QTest::mouseClick(dialog->meterButton(0), Qt::LeftButton);
    QTest::mouseClick(dialog->startButton(), Qt::LeftButton);
    QTest::mouseClick(dialog->exitButton(), Qt::LeftButton);
    const int32_t tempo = program.app.context().controls.tempo.load();
    ASSERT_EQ(tempo, 150);
    ASSERT_TRUE(WaitFor([&] { return waveOut->IsMetronomePlaying(); }, 15000))
        << (program.notifier.Count() > 0 ? program.notifier.Text(0) : std::string("no message"));

    const size_t heardFrames = 4 * static_cast<size_t>(kSampleRate);
    MonitorRecorder recorder(*program.app.context().devices, 4);
    recorder.start();
    // The first sound may take up to two seconds to arrive after the stream starts.
    EXPECT_TRUE(WaitFor([&] { return recorder.Samples().size() >= heardFrames; }, 15000));
    recorder.join();
    ASSERT_EQ(recorder.openResult(), kDeviceOk);
    EXPECT_TRUE(waveOut->IsMetronomePlaying());  // closing the dialog left it playing
    const std::vector<int16_t> heard = recorder.Samples();
    ASSERT_GT(heard.size(), static_cast<size_t>(3 * kSampleRate));

    // Click onsets: the first loud sample after at least 0.1 s without one.
    std::vector<size_t> onsets;
    for (size_t i = 0; i < heard.size(); ++i) {
        if (std::abs(heard[i]) > 12000 &&
            (onsets.empty() || i - onsets.back() > static_cast<size_t>(kSampleRate / 10))) {
            onsets.push_back(i);
        }
    }
    const double beat = 2646000.0 / tempo;  // samples
    ASSERT_GE(onsets.size(), 6u);
    double sum = 0.0;
    double worst = 0.0;
    for (size_t k = 1; k < onsets.size(); ++k) {
        const double interval = static_cast<double>(onsets[k] - onsets[k - 1]);
        sum += interval;
        worst = std::max(worst, std::abs(interval - beat));
    }
    const double mean = sum / static_cast<double>(onsets.size() - 1);
    std::printf(
        "[ figures  ] metronome at %d bpm: %zu clicks heard, mean interval %.2f ms "
        "(expected %.2f ms), largest deviation %.2f ms\n",
        tempo,
        onsets.size(),
        mean * 1000.0 / kSampleRate,
        beat * 1000.0 / kSampleRate,
        worst * 1000.0 / kSampleRate);
    EXPECT_NEAR(mean, beat, beat * 0.005);
    EXPECT_LT(worst, kSampleRate * 0.005);  // every click within 5 ms of its place

    waveOut->send(tone::StopMetronome{});
    EXPECT_TRUE(WaitFor([&] { return !waveOut->IsMetronomePlaying(); }));
    EXPECT_EQ(program.notifier.Count(), 0u);
}

// Runs pactl with `args`; its output.
QString Pactl(const QStringList& args) {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), args);
    pactl.waitForFinished(10000);
    return QString::fromUtf8(pactl.readAllStandardOutput()).trimmed();
}

// The input chosen in the settings is what the program hears: the monitor of a second sink into
// which 660 Hz plays, while A4 plays into the default. The server lists the program's capture
// stream by its name. A chosen input that is gone gives the default (A4) and a note in the
// status bar.
TEST(EndToEnd, TheChosenInputIsHeardAndAGoneOneFallsBackWithANote) {
    if (!CanRun()) {
        GTEST_SKIP() << "needs scripts/with-sound-server.sh and an X display (xvfb-run)";
    }
    QTemporaryDir work;
    const QString tone = work.filePath(QStringLiteral("e5.wav"));
    ASSERT_TRUE(WriteToneFile(tone, 30, 660.0));
    const QString module = Pactl({QStringLiteral("load-module"),
                                  QStringLiteral("module-null-sink"),
                                  QStringLiteral("sink_name=tonavise_second")});
    ASSERT_FALSE(module.isEmpty());
    QProcess player;
    player.start(QStringLiteral("paplay"), {QStringLiteral("--device=tonavise_second"), tone});
    for (const auto& [input, hz] :
         {std::pair{"tonavise_second.monitor", 660.0}, std::pair{"unplugged_source", 440.0}}) {
        SCOPED_TRACE(input);
        TempSettings file;
        file.Put("Setting", QStringLiteral("InputDevice"), QString::fromLatin1(input));
        RecordingOpener opener;
        RecordingNotifier notifier;
        TonaviseApp app(AppEnvironment{file.path(),
                                       &opener,
                                       [] { return QDate(2026, 1, 1); },
                                       QLocale(QLocale::English),
                                       QStringLiteral("e2e-input"),
                                       work.path(),
                                       work.path(),
                                       &notifier,
                                       nullptr});
        ASSERT_TRUE(app.InitInstance());
        const SpectrumExchange& spectrum = app.context().captureStore.spectrum;
        EXPECT_TRUE(
            WaitFor([&] { return std::abs(spectrum.latest().fundamentalHz - hz) < 2.0; }, 10000))
            << spectrum.latest().fundamentalHz;
        if (hz == 660.0) {
            EXPECT_TRUE(Pactl({QStringLiteral("list"), QStringLiteral("source-outputs")})
                            .contains(QStringLiteral("media.name = \"Tonavise — microphone\"")));
        } else {
            EXPECT_EQ(app.mainFrame()->inputStateLabel()->text(),
                      "The chosen input unplugged_source is not available; using the default");
        }
        app.mainFrame()->close();
        app.ExitInstance();
        EXPECT_EQ(notifier.Count(), 0u);
    }
    player.kill();
    player.waitForFinished();
    Pactl({QStringLiteral("unload-module"), module});
}

}  // namespace
}  // namespace tonavise::ui::test

int main(int argc, char** argv) {
    using tonavise::ui::test::g_tonePlayer;
    // The tone file and its player come first, while this process has one thread.
    char folder[] = "/tmp/tonavise-e2e.XXXXXX";
    std::string tone;
    if (!qEnvironmentVariableIsEmpty("TONAVISE_SOUND_SERVER") && mkdtemp(folder) != nullptr) {
        tone = std::string(folder) + "/a4.wav";
        if (tonavise::ui::test::WriteToneFile(QString::fromStdString(tone), 60)) {
            char* args[] = {const_cast<char*>("paplay"), tone.data(), nullptr};
            if (posix_spawnp(&g_tonePlayer, "paplay", nullptr, nullptr, args, environ) != 0) {
                g_tonePlayer = -1;
            }
        }
    }
    int result = 0;
    {
        // No session bus, whatever the machine offers (as in the window tests).
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
        QStandardPaths::setTestModeEnabled(true);
        QApplication app(argc, argv);
        ::testing::InitGoogleTest(&argc, argv);
        result = RUN_ALL_TESTS();
    }
    if (g_tonePlayer > 0) {
        kill(g_tonePlayer, SIGTERM);
        waitpid(g_tonePlayer, nullptr, 0);
    }
    if (!tone.empty()) {
        std::remove(tone.c_str());
        rmdir(folder);
    }
    return result;
}
