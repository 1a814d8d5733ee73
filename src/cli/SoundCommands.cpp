// listen, tone, metronome and generate: the engine's sound threads without a window.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <optional>
#include <ostream>
#include <sstream>
#include <string>
#include <thread>

#include "cli/Commands.h"
#include "cli/StreamNotifier.h"
#include "engine/core/Notifier.h"
#include "engine/device/SignalBuffer.h"
#include "engine/dsp/Metronome.h"
#include "engine/live/LiveEngine.h"
#include "engine/live/PitchReading.h"

namespace tonavise::cli {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

enum class StartResult { Started, Failed, Hung };

// Waits until `ready` holds, or the device failed (its error has been shown). An open returns
// within milliseconds or fails; the generous limit only guards against a sound server that
// hangs.
StartResult WaitForStart(const std::function<bool()>& ready,
                         const StreamNotifier& notifier,
                         std::ostream& err) {
    const auto end = Clock::now() + 10s;
    while (!ready()) {
        if (notifier.Shown()) {
            return StartResult::Failed;
        }
        if (Clock::now() > end) {
            err << "tonavise-cli: the sound device did not start\n";
            return StartResult::Hung;
        }
        std::this_thread::sleep_for(5ms);
    }
    return StartResult::Started;
}

// Output that could not start (no sound server yet) or dies while it plays (the server went
// away) is started again every two seconds until it plays; stderr says when it was lost or is
// waited for, and when it plays. Runs until `seconds` have passed (0: no limit) or `stop` is
// set. False when it did not play at the end.
bool KeepPlaying(double seconds,
                 const std::atomic<bool>& stop,
                 StartResult started,
                 const std::function<bool()>& playing,
                 const std::function<void()>& restart,
                 const DeviceFactory& devices,
                 StreamNotifier& notifier) {
    if (started == StartResult::Hung) {
        return false;
    }
    StandInNotice standIn(&devices, DeviceDirection::Output, notifier);
    const auto start = Clock::now();
    bool lost = false;
    bool everPlayed = started == StartResult::Started;
    auto retry = start;
    if (!everPlayed) {
        notifier.Print("tonavise-cli: waiting for the sound output");
        notifier.Mute(true);  // its failed starts say nothing more
        lost = true;
        retry = start + 2s;
    }
    while (!stop.load()) {
        const auto now = Clock::now();
        if (seconds > 0 && now - start >= std::chrono::duration<double>(seconds)) {
            break;
        }
        if (playing()) {
            if (lost) {
                notifier.Mute(false);
                notifier.Print(everPlayed ? "tonavise-cli: output restored"
                                          : "tonavise-cli: output started");
                lost = false;
                everPlayed = true;
            }
            standIn.Update();
        } else if (!lost) {
            notifier.Print("tonavise-cli: output lost");
            notifier.Mute(true);  // one message per outage: the reopens say nothing more
            lost = true;
            retry = now + 2s;
        } else if (now >= retry) {
            restart();
            retry = now + 2s;
        }
        std::this_thread::sleep_for(20ms);
    }
    notifier.Mute(false);
    if (lost && seconds > 0 && !stop.load()) {
        notifier.Print(everPlayed ? "tonavise-cli: the sound output was lost and did not come back"
                                  : "tonavise-cli: the sound output did not start");
    }
    return !lost;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

bool ParseInt(const std::string& text, int& value) {
    if (text.empty()) {
        return false;
    }
    std::size_t used = 0;
    try {
        value = std::stoi(text, &used);
    } catch (const std::exception&) {
        return false;
    }
    return used == text.size();
}

constexpr const char* kWaveNames[] = {"sine", "square", "triangle", "saw"};

}  // namespace

int RunListen(const ListenOptions& options,
              DeviceFactory& devices,
              const std::atomic<bool>& stop,
              std::ostream& out,
              std::ostream& err) {
    const std::optional<PitchNaming> naming =
        PitchNamingOf(options.tuning, options.a4, "listen", err);
    if (!naming) {
        return 2;
    }
    StreamNotifier notifier(err);
    LiveEngine engine(notifier);
    CaptureStore& store = engine.captureStore;
    KeyTable& keyTable = engine.keyTable;
    store.channelCount.store(options.stereo ? 2 : 1);
    store.scopeMode.store(kScopePitch);
    keyTable.SetA4(options.a4);
    keyTable.pitchMethod.store(options.method == "precise" ? kPitchMethodPrecise
                                                           : kPitchMethodStandard);
    LiveEngine::Parts parts;
    parts.output = false;
    parts.recorder = false;
    if (!engine.Start(&devices, UiLanguage::English, parts)) {
        err << "tonavise-cli: " << kMemoryNotEnough << '\n';
        return 1;
    }

    out << "file,time_s,f0_hz,key,name,cents\n";
    out.flush();
    const auto start = Clock::now();
    InputWatch watch(engine, &devices, notifier);
    int64_t rows = 0;
    while (!stop.load()) {
        if (options.seconds > 0 &&
            Clock::now() - start >= std::chrono::duration<double>(options.seconds)) {
            break;
        }
        // A microphone that fails, also before anything was heard (no sound server yet), is
        // waited for: the capture thread reopens it every two seconds.
        watch.Update(rows > 0);
        if (!store.finishedFftEvent.wait(10ms)) {
            continue;
        }
        ++rows;
        PitchReading reading = ReadPitch(store.spectrum.acquire(), keyTable);
        naming->Apply(reading);
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        char line[48];
        std::snprintf(line, sizeof line, "-,%.1f,", t);
        out << line << PitchColumns(reading, keyTable) << '\n';
        out.flush();
    }
    engine.Stop();
    // Asked for a time and ended with a lost input, not by Ctrl-C: less than asked.
    if (!stop.load() && options.seconds > 0 && (watch.Lost() || rows == 0)) {
        char line[128];
        std::snprintf(line,
                      sizeof line,
                      "tonavise-cli: listened %.1f of %g s: the sound input was lost",
                      static_cast<double>(rows) / 10.0,
                      options.seconds);
        notifier.Print(line);
        return 1;
    }
    return rows == 0 ? 1 : 0;  // never success after hearing nothing
}

namespace {

// The engine with only the reference tone and metronome output running.
LiveEngine::Parts OutputOnly() {
    LiveEngine::Parts parts;
    parts.capture = false;
    parts.recorder = false;
    parts.analysis = false;
    return parts;
}

}  // namespace

int RunTone(const ToneOptions& options,
            DeviceFactory& devices,
            const std::atomic<bool>& stop,
            std::ostream& out,
            std::ostream& err) {
    StreamNotifier notifier(err);
    LiveEngine engine(notifier);
    KeyTable& keyTable = engine.keyTable;
    keyTable.SetA4(options.a4);
    engine.Start(&devices, UiLanguage::English, OutputOnly());
    const auto start = [&] {
        if (options.drone) {
            engine.StartDrone(options.key);
        } else {
            engine.StartTone(options.key);
        }
    };
    const auto sounding = [&] {
        const OutputState state = engine.Output();
        return options.drone ? state.dronePlaying : state.tonePlaying;
    };
    start();
    const StartResult started = WaitForStart(sounding, notifier, err);
    char line[128];
    const double hz = keyTable.KeyFrequency(options.key);
    if (options.drone) {
        std::snprintf(line,
                      sizeof line,
                      "drone: %s, %.2f Hz, and its fifth, %.2f Hz\n",
                      std::string(keyTable.LongName(options.key)).c_str(),
                      hz,
                      1.5 * hz);
    } else {
        std::snprintf(line,
                      sizeof line,
                      "tone: %s, %.2f Hz\n",
                      std::string(keyTable.LongName(options.key)).c_str(),
                      hz);
    }
    out << line;
    out.flush();
    const bool playing =
        KeepPlaying(options.seconds, stop, started, sounding, start, devices, notifier);
    engine.StopOutput();
    engine.Stop();
    return playing ? 0 : 1;
}

int ReadTappedTempo(std::istream& in) {
    TapTempo taps;
    int tempo = 0;
    for (std::string line; taps.taps() < TapTempo::kTapsKept && std::getline(in, line);) {
        tempo = taps.Tap(std::chrono::duration<double>(Clock::now().time_since_epoch()).count());
    }
    return tempo;
}

int RunMetronome(const MetronomeOptions& options,
                 DeviceFactory& devices,
                 const std::atomic<bool>& stop,
                 std::ostream& out,
                 std::ostream& err) {
    std::string why;
    const std::optional<Meter> meter =
        ParseMeter(options.meter, options.groups, options.accents, &why);
    if (!meter) {
        err << "tonavise-cli metronome: " << why << '\n';
        return 2;
    }
    if (options.subdivision < 1 || options.subdivision > kMaxSubdivision) {
        err << "tonavise-cli metronome: the subdivision must be 1, 2, 3 or 4\n";
        return 2;
    }
    const std::optional<ClickVoice> voice = ParseClickVoice(options.sound);
    if (!voice) {
        err << "tonavise-cli metronome: the sound must be click, wood or beep\n";
        return 2;
    }
    if (options.dotted && !CountsDottedQuarter(*meter)) {
        err << "tonavise-cli metronome: only 6/8, 9/8 and 12/8 count the dotted quarter\n";
        return 2;
    }
    int tempo = options.tempo;
    if (options.tap) {
        out << "metronome: press Enter on every beat (" << TapTempo::kTapsKept
            << " taps, or end the input after two or more)\n";
        out.flush();
        tempo = options.tapInput != nullptr ? ReadTappedTempo(*options.tapInput) : 0;
        if (tempo == 0) {
            err << "tonavise-cli metronome: tap at least twice, one beat apart, to set a tempo\n";
            return 2;
        }
    }
    const std::optional<BarPlan> plan = ParseBarPlan(options.trainer, options.mute, tempo, &why);
    if (!plan) {
        err << "tonavise-cli metronome: " << why << '\n';
        return 2;
    }
    StreamNotifier notifier(err);
    LiveEngine engine(notifier);
    PracticeControls& controls = engine.controls;
    controls.tempo.store(tempo);
    controls.rhythm.store(std::max(RhythmOfMeter(options.meter), 0));
    controls.meter.store(meter->Pack());
    controls.subdivision.store(options.subdivision);
    controls.dotted.store(options.dotted ? 1 : 0);
    controls.swing.store(std::clamp(options.swing, kMinSwing, kMaxSwing));
    controls.voice.store(static_cast<int32_t>(*voice));
    controls.volume.store(std::clamp(options.volume, 0, 100));
    controls.trainerStep.store(plan->trainerStep);
    controls.trainerBars.store(plan->trainerBars);
    controls.trainerTarget.store(plan->trainerTarget);
    controls.mutePlay.store(plan->play);
    controls.muteBars.store(plan->mute);
    engine.Start(&devices, UiLanguage::English, OutputOnly());
    engine.ToggleMetronome();
    const StartResult started =
        WaitForStart([&] { return engine.Output().metronomePlaying; }, notifier, err);
    out << "metronome: " << tempo << (options.dotted ? " dotted quarters" : " bpm") << ", meter "
        << options.meter;
    if (!options.groups.empty()) {
        out << " (" << options.groups << ')';
    }
    if (plan->Trains()) {
        out << ", " << plan->trainerStep << " faster every " << plan->trainerBars << " bars up to "
            << plan->trainerTarget;
    }
    if (plan->mute > 0) {
        out << ", " << plan->play << " bars heard and " << plan->mute << " muted";
    }
    out << '\n';
    out.flush();
    const bool playing = KeepPlaying(
        options.seconds,
        stop,
        started,
        [&] { return engine.Output().metronomePlaying; },
        [&] { engine.ToggleMetronome(); },
        devices,
        notifier);
    engine.StopMetronome();
    engine.Stop();
    return playing ? 0 : 1;
}

bool ParseChannelSetting(const std::string& text, ChannelSetting& setting, std::string& error) {
    setting = ChannelSetting{};
    if (text.empty()) {
        return true;
    }
    std::string parts[3];
    std::istringstream in(text);
    int n = 0;
    for (std::string part; std::getline(in, part, ',');) {
        if (n == 3) {
            n = 4;
            break;
        }
        parts[n++] = part;
    }
    if (n != 3) {
        error = "expected HZ,PERCENT,WAVE, for example 440,50,sine";
        return false;
    }
    if (!ParseInt(parts[0], setting.frequency) || setting.frequency < 1 ||
        setting.frequency > 20000) {
        error = "the frequency must be a whole number of hertz from 1 to 20000";
        return false;
    }
    if (!ParseInt(parts[1], setting.amplitude) || setting.amplitude < 0 ||
        setting.amplitude > 100) {
        error = "the amplitude must be a whole percentage from 0 to 100";
        return false;
    }
    const std::string wave = Lower(parts[2]);
    for (int i = 0; i < 4; ++i) {
        if (wave == kWaveNames[i] || wave == std::to_string(i)) {
            setting.waveForm = i;
            return true;
        }
    }
    error = "the wave form must be sine, square, triangle or saw";
    return false;
}

int RunGenerate(const GenerateOptions& options,
                DeviceFactory& devices,
                const std::atomic<bool>& stop,
                std::ostream& out,
                std::ostream& err) {
    ChannelSetting left;
    ChannelSetting right;
    std::string error;
    if (!ParseChannelSetting(options.left, left, error)) {
        err << "tonavise-cli generate --left: " << error << '\n';
        return 2;
    }
    if (!ParseChannelSetting(options.right, right, error)) {
        err << "tonavise-cli generate --right: " << error << '\n';
        return 2;
    }
    StreamNotifier notifier(err);
    LiveEngine engine(notifier);
    LiveEngine::Parts parts = OutputOnly();
    parts.output = false;
    engine.Start(&devices, UiLanguage::English, parts);
    engine.OpenGenerator(nullptr);
    engine.signal.GenerateChannel(left.frequency, left.amplitude, left.waveForm, 0);
    engine.signal.GenerateChannel(right.frequency, right.amplitude, right.waveForm, 1);
    engine.StartSignal();
    const StartResult started = WaitForStart([&] { return engine.SignalPlaying(); }, notifier, err);
    const auto describe = [](const ChannelSetting& c) {
        return std::to_string(c.frequency) + " Hz " + std::to_string(c.amplitude) + " % " +
               kWaveNames[c.waveForm];
    };
    out << "generate: left " << describe(left) << ", right " << describe(right) << '\n';
    out.flush();
    const bool playing = KeepPlaying(
        options.seconds,
        stop,
        started,
        [&] { return engine.SignalPlaying(); },
        [&] { engine.StartSignal(); },
        devices,
        notifier);
    engine.StopSignal();
    engine.Stop();
    return playing ? 0 : 1;
}

}  // namespace tonavise::cli
