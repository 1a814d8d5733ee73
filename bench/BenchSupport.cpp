#include "BenchSupport.h"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <span>

#include "engine/audiofile/WavWriter.h"
#include "engine/core/AudioFormat.h"

extern char** environ;

namespace tonavise::bench {

std::string WorkDir() {
    const char* env = std::getenv("TONAVISE_BENCH_DIR");
    const std::filesystem::path dir =
        env != nullptr && *env != '\0' ? std::filesystem::path(env)
                                       : std::filesystem::temp_directory_path() / "tonavise-bench";
    std::filesystem::create_directories(dir);
    return dir.string();
}

std::vector<int16_t> Tune(double seconds, int channels) {
    const double pi = 4.0 * std::atan(1.0);
    const auto frames = static_cast<std::size_t>(seconds * kSampleRate);
    std::vector<int16_t> out(frames * static_cast<std::size_t>(channels));
    std::mt19937 rng(2024u);
    std::normal_distribution<double> noise(0.0, 200.0);
    const int noteFrames = kSampleRate * 4 / 10;
    for (std::size_t i = 0; i < frames; ++i) {
        const int note = static_cast<int>(i / static_cast<std::size_t>(noteFrames)) % 24;
        const double t = static_cast<double>(i) / kSampleRate;
        for (int c = 0; c < channels; ++c) {
            const double f = 220.0 * std::pow(2.0, (note + 7 * c) / 12.0);
            double v = 0.0;
            for (int h = 1; h <= 4; ++h) {
                v += std::sin(2 * pi * f * h * t) / h;
            }
            v = 9000.0 * v + noise(rng);
            out[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(c)] =
                static_cast<int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
        }
    }
    return out;
}

std::string MakeWav(const std::string& name, double seconds, int channels) {
    const std::string path = WorkDir() + "/" + name;
    if (!std::filesystem::exists(path)) {
        const auto samples = Tune(seconds, channels);
        const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(samples.data()),
                                             samples.size() * sizeof(int16_t));
        WriteWavFile(path, PcmFormat(channels), bytes);
    }
    return path;
}

std::string MakeMp3(const std::string& name, double seconds) {
    const std::string path = WorkDir() + "/" + name;
    if (std::filesystem::exists(path)) {
        return path;
    }
    const std::string wav = MakeWav(name + ".wav", seconds, 2);
    const std::string part = path + ".part";
    if (Run({"lame", "--quiet", "-b", "128", wav, part}) != 0) {
        return {};
    }
    std::filesystem::rename(part, path);
    return path;
}

int Run(const std::vector<std::string>& argv, double* cpuSeconds) {
    std::vector<char*> args;
    for (const auto& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) {
        return -1;
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid) {
        return -1;
    }
    if (cpuSeconds != nullptr) {
        const auto seconds = [](const timeval& t) {
            return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec);
        };
        *cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace tonavise::bench
