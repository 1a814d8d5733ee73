// The live engine's costs and delays: CPU time of capture and analysis per second of sound (on
// the virtual device's clock, and through each real back end), the delay from StartTone to
// the first captured block that holds the tone, and from StopOutput to silence; the tuner's
// readings a second and the time from a new note's capture to the tuner naming it.
//
// The real back ends' cases need a sound server whose default source hears its default sink;
// run them through scripts/measure-sound.sh (which starts a private one), else they are
// skipped.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "LiveRig.h"
#include "engine/device/PortAudioSound.h"
#include "engine/device/PulseSound.h"
#include "engine/device/VirtualSound.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/PracticeControls.h"
#include "engine/live/ToneThread.h"
#include "engine/live/TunerAnalysis.h"
#include "engine/live/WorkerCommands.h"

namespace tonavise {
namespace {

using namespace std::chrono_literals;

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

bool ServerStarted() {
    const char* server = std::getenv("TONAVISE_SOUND_SERVER");
    return server != nullptr && std::string(server) == "1";
}

constexpr double kLiveSeconds = 5.0;

// Runs the capture and analysis threads on `devices` for kLiveSeconds of live sound and reports
// the process's CPU time per second of sound and the analyses per second.
void MeasureLive(benchmark::State& state, DeviceFactory& devices, VirtualSoundSystem* clock) {
    for (auto _ : state) {
        test::LiveRig rig(devices, 1, 1.0);
        if (!rig.Start()) {
            state.SkipWithError("no memory for the transform");
            return;
        }
        // Let the stream settle (the first blocks of a new stream come in a burst).
        if (!rig.store.finishedFftEvent.wait(10s)) {
            state.SkipWithError("no sound arrives");
            return;
        }
        int analyses = 0;
        const double cpu0 = ProcessCpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        const auto end = t0 + std::chrono::duration<double>(kLiveSeconds);
        while (std::chrono::steady_clock::now() < end) {
            if (rig.store.finishedFftEvent.wait(10ms)) {
                rig.store.spectrum.acquire();
                ++analyses;
            }
        }
        const double cpu = ProcessCpuSeconds() - cpu0;
        const double wall =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        rig.Stop();
        if (clock != nullptr) {
            clock->StopClock();
        }
        state.counters["cpu_ms_per_s_of_sound"] = cpu * 1000 / wall;
        state.counters["analyses_per_s"] = analyses / wall;
    }
}

void BM_LiveCaptureAndAnalysis_VirtualClock(benchmark::State& state) {
    VirtualSoundSystem system;
    // One second of a tone with two overtones (whole periods), repeated: the capture costs
    // what a device's would, not the synthesis of a test signal.
    const double twoPi = 8.0 * std::atan(1.0);
    std::vector<int16_t> second(kSampleRate);
    for (std::size_t i = 0; i < second.size(); ++i) {
        const double x = twoPi * 440.0 * static_cast<double>(i) / kSampleRate;
        second[i] = static_cast<int16_t>(
            12000.0 * (std::sin(x) + 0.5 * std::sin(2 * x) + 0.1 * std::sin(3 * x)));
    }
    system.SetInputLoop(std::move(second));
    system.StartClock(1.0);
    MeasureLive(state, system, &system);
}

template <typename System>
void LiveThroughServer(benchmark::State& state) {
    if (!ServerStarted()) {
        state.SkipWithError("needs the private sound server (scripts/measure-sound.sh)");
        return;
    }
    System devices;
    MeasureLive(state, devices, nullptr);
}

void BM_LiveCaptureAndAnalysis_PortAudio(benchmark::State& state) {
    LiveThroughServer<PortAudioSystem>(state);
}

void BM_LiveCaptureAndAnalysis_Pulse(benchmark::State& state) {
    LiveThroughServer<PulseSoundSystem>(state);
}

// Starts and stops the reference tone `rounds` times while capturing, and reports the delays.
template <typename System>
void ToneStartAndStop(benchmark::State& state) {
    if (!ServerStarted()) {
        state.SkipWithError("needs the private sound server (scripts/measure-sound.sh)");
        return;
    }
    constexpr int kRounds = 10;
    constexpr int kSilence = 16;
    System devices;
    for (auto _ : state) {
        test::LiveRig rig(devices, 1, 120.0);
        rig.Start();
        PracticeControls outputControls;
        ToneThread tone(outputControls, rig.keyTable, devices, rig.notifier);
        tone.start();
        if (!rig.tape.WaitForFrames(2 * kBlockFrames, 10s)) {
            state.SkipWithError("no sound arrives");
            return;
        }
        std::vector<double> startToBlock;
        std::vector<double> startToSound;
        std::vector<double> stopToSilence;
        for (int round = 0; round < kRounds; ++round) {
            // Start: the first captured block with sound in it.
            int64_t from = rig.tape.Frames();
            double posted = SteadySeconds();
            tone.send(tone::StartTone{kKeyA4});
            int64_t first = -1;
            while (first < 0 && rig.tape.WaitForFrames(rig.tape.Frames() + kBlockFrames, 10s)) {
                first = test::FirstLoud(rig.tape.Channel(0, from), kSilence);
            }
            if (first < 0) {
                state.SkipWithError("the tone did not come back");
                return;
            }
            startToBlock.push_back(rig.tape.ArrivalOf(from + first) - posted);
            startToSound.push_back(rig.tape.CaptureTimeOf(from + first) - posted);
            rig.tape.WaitForFrames(rig.tape.Frames() + 5 * kBlockFrames, 10s);

            // Stop: the first silent frame after the last sound.
            from = rig.tape.Frames();
            posted = SteadySeconds();
            tone.send(tone::StopOutput{});
            int64_t last = -1;
            for (;;) {
                rig.tape.WaitForFrames(rig.tape.Frames() + kBlockFrames, 10s);
                const auto sound = rig.tape.Channel(0, from);
                last = test::LastLoud(sound, kSilence);
                if (static_cast<int64_t>(sound.size()) - last > kSampleRate / 2) {
                    break;
                }
            }
            stopToSilence.push_back(rig.tape.CaptureTimeOf(from + last + 1) - posted);
        }
        tone.join();
        rig.Stop();
        const auto summary = [&](const char* name, std::vector<double>& v) {
            std::sort(v.begin(), v.end());
            double sum = 0;
            for (double x : v) {
                sum += x;
            }
            state.counters[std::string(name) + "_mean_ms"] = sum / v.size() * 1000;
            state.counters[std::string(name) + "_max_ms"] = v.back() * 1000;
        };
        summary("start_to_block", startToBlock);
        summary("start_to_sound", startToSound);
        summary("stop_to_silence", stopToSilence);
    }
}

void BM_ToneStartAndStop_PortAudio(benchmark::State& state) {
    ToneStartAndStop<PortAudioSystem>(state);
}

void BM_ToneStartAndStop_Pulse(benchmark::State& state) {
    ToneStartAndStop<PulseSoundSystem>(state);
}

// The tuner on a tone that another process plays into the server: A4 and C5 sine tones of the
// same amplitude in turn, each for half a second, joined without a gap and in phase
// (scripts/measure-sound.sh makes it). The steps are found in the captured sound by the
// periods between its zero crossings, and each step's
// delay is from the capture time of its first frame (as the device reports it) to the
// publication of the first reading that names the new key.
template <typename System>
void TunerNamesANewNote(benchmark::State& state) {
    if (!ServerStarted() || std::getenv("TONAVISE_STEP_TONE") == nullptr) {
        state.SkipWithError("needs the private sound server and the step tone (measure-sound.sh)");
        return;
    }
    constexpr double kSeconds = 20.0;
    System devices;
    for (auto _ : state) {
        test::LiveRig rig(devices, 1, kSeconds + 5.0);
        if (!rig.Start() || !rig.engine.StartTuner()) {
            state.SkipWithError("no memory");
            return;
        }
        const TunerAnalysis& tuner = *rig.engine.Tuner();
        std::vector<TunerReading> readings;
        const double t0 = SteadySeconds();
        const uint64_t steady0 = tuner.steadyCount();
        double newest = 0.0;
        while (SteadySeconds() - t0 < kSeconds) {
            std::this_thread::sleep_for(5ms);
            const auto latest = tuner.Latest();
            for (std::size_t age = latest.size(); age-- > 0;) {
                if (latest[age].seconds > newest) {
                    newest = latest[age].seconds;
                    readings.push_back(latest[age]);
                }
            }
        }
        const double wall = SteadySeconds() - t0;
        const uint64_t steady = tuner.steadyCount() - steady0;
        rig.engine.StopTuner();
        rig.Stop();
        // The steps: where the periods between rising zero crossings change from A4's (100.2
        // frames) to C5's (84.3) or back; the step lies within the last period of the old note.
        const std::vector<int16_t> sound = rig.tape.Channel(0);
        std::vector<int64_t> steps;
        int64_t lastCrossing = -1;
        int sounding = 0;  // 1 A4, 2 C5, 0 not known (silence, or the start)
        for (std::size_t i = 1; i < sound.size(); ++i) {
            if (std::abs(static_cast<int>(sound[i])) < 1000 && sound[i - 1] < 0 && sound[i] >= 0) {
                const int64_t at = static_cast<int64_t>(i);
                const int64_t period = lastCrossing < 0 ? 0 : at - lastCrossing;
                const int note =
                    period > 95 && period < 105 ? 1 : (period > 80 && period < 89 ? 2 : 0);
                if (note != 0 && sounding != 0 && note != sounding) {
                    steps.push_back(lastCrossing);
                }
                sounding = note;
                lastCrossing = at;
            }
        }
        std::vector<double> delays;
        for (const int64_t step : steps) {
            const double captured = rig.tape.CaptureTimeOf(step);
            const auto next = std::upper_bound(steps.begin(), steps.end(), step);
            const double until = next == steps.end() ? 1e300 : rig.tape.CaptureTimeOf(*next);
            // The key sounding after the step: the one not named just before it.
            int before = -1;
            for (const TunerReading& r : readings) {
                if (r.seconds < captured && r.hz > 0) {
                    before = rig.keyTable.NearestKey(r.hz).key;
                }
            }
            if (captured < 0 || before < 0) {
                continue;
            }
            for (const TunerReading& r : readings) {
                if (r.seconds > captured && r.seconds < until && r.hz > 0 &&
                    rig.keyTable.NearestKey(r.hz).key != before) {
                    delays.push_back(r.seconds - captured);
                    break;
                }
            }
        }
        if (delays.empty()) {
            state.SkipWithError("no step was heard");
            return;
        }
        std::sort(delays.begin(), delays.end());
        double sum = 0.0;
        for (const double d : delays) {
            sum += d;
        }
        // How long after its last frame was captured a block reaches the capture thread: the
        // sound system's share of the delay.
        double late = 0.0;
        const auto blocks = rig.tape.Blocks();
        for (const auto& b : blocks) {
            late += b.arrival - b.captureTime - static_cast<double>(kBlockFrames) / kSampleRate;
        }
        state.counters["last_frame_to_arrival_ms"] =
            blocks.empty() ? 0.0 : late / static_cast<double>(blocks.size()) * 1000;
        state.counters["steps"] = static_cast<double>(delays.size());
        state.counters["steady_readings_per_s"] = static_cast<double>(steady) / wall;
        state.counters["step_to_new_note_mean_ms"] = sum / delays.size() * 1000;
        state.counters["step_to_new_note_median_ms"] = delays[delays.size() / 2] * 1000;
        state.counters["step_to_new_note_max_ms"] = delays.back() * 1000;
    }
}

void BM_TunerNamesANewNote_Pulse(benchmark::State& state) {
    TunerNamesANewNote<PulseSoundSystem>(state);
}

void BM_TunerNamesANewNote_PortAudio(benchmark::State& state) {
    TunerNamesANewNote<PortAudioSystem>(state);
}

BENCHMARK(BM_LiveCaptureAndAnalysis_VirtualClock)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_LiveCaptureAndAnalysis_PortAudio)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_LiveCaptureAndAnalysis_Pulse)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ToneStartAndStop_PortAudio)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ToneStartAndStop_Pulse)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_TunerNamesANewNote_Pulse)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_TunerNamesANewNote_PortAudio)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace tonavise
