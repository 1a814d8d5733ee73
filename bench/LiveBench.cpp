// The live engine's costs and delays: CPU time of capture and analysis per second of sound (on
// the virtual device's clock, and through each real back end), the delay from StartTone to
// the first captured block that holds the tone, and from StopOutput to silence.
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
#include "engine/live/PracticeControls.h"
#include "engine/live/ToneThread.h"
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

BENCHMARK(BM_LiveCaptureAndAnalysis_VirtualClock)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_LiveCaptureAndAnalysis_PortAudio)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_LiveCaptureAndAnalysis_Pulse)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ToneStartAndStop_PortAudio)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ToneStartAndStop_Pulse)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace tonavise
