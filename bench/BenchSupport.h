// Inputs the benchmarks make for themselves: test signals, sound files in a work folder, and
// running an outside program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/core/Notifier.h"

namespace tonavise::bench {

// A notifier that keeps the last text, so that a failed load can be reported.
class KeepingNotifier final : public Notifier {
  public:
    void ShowMessage(std::string_view, std::string_view text, MessageIcon) override {
        last.assign(text);
    }
    std::string last;
};

// The folder for generated files: $TONAVISE_BENCH_DIR, else tonavise-bench in the temporary
// folder. Created when missing; files in it are reused between runs.
std::string WorkDir();

// A tune of `seconds` at 44100 Hz: notes of 400 ms stepping through two octaves, each with
// three harmonics and a little noise, interleaved when `channels` is 2 (the right channel a
// fifth higher).
std::vector<int16_t> Tune(double seconds, int channels);

// Writes `samples` as a 16-bit 44100 Hz WAV file unless the file exists; returns the path.
std::string MakeWav(const std::string& name, double seconds, int channels);

// Makes an MP3 of `seconds` (stereo, 128 kbit/s) with lame from a generated WAV unless it
// exists; returns its path, or an empty string when lame failed.
std::string MakeMp3(const std::string& name, double seconds);

// Runs a program (looked up in PATH) with its arguments and waits for it; returns its exit
// status, or -1 when it could not be started. cpuSeconds, when given, receives the processor
// time (user + system) the program used.
int Run(const std::vector<std::string>& argv, double* cpuSeconds = nullptr);

}  // namespace tonavise::bench
