// The subcommands of tonavise-cli. Each returns the process exit code.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace tonavise::cli {

struct AnalyzeOptions {
    std::vector<std::string> files;
    double a4 = 440.0;
    bool logarithmic = false;
};

// Prints "file,time_s,f0_hz,key,name,cents" rows for every 100 ms block of every file. A
// refused file's message goes to err; the result is 1 when any file was refused.
int RunAnalyze(const AnalyzeOptions& options, std::ostream& out, std::ostream& err);

struct SineOptions {
    std::string output;
    double frequency = 440.0;
    double seconds = 3.0;
    double amplitude = 16000.0;
    int sampleRate = 44100;
    int channels = 1;
    int bits = 16;
};

// Writes a sine tone as a PCM WAV file.
int RunSine(const SineOptions& options, std::ostream& err);

}  // namespace tonavise::cli
