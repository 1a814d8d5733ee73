#include "TestSupport.h"

#include <unistd.h>

#include <atomic>

namespace tonavise::test {

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path() /
            ("tonavise-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = File(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

void Put16(std::string& s, uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

std::string Chunk(const std::string& id, const std::string& body) {
    std::string c = id;
    Put32(c, static_cast<uint32_t>(body.size()));
    c += body;
    if (body.size() % 2) {
        c.push_back('\0');
    }
    return c;
}

std::string FmtBody(
    uint16_t tag, uint16_t channels, uint32_t rate, uint16_t align, uint16_t bits, bool withExtra) {
    std::string b;
    Put16(b, tag);
    Put16(b, channels);
    Put32(b, rate);
    Put32(b, rate * align);
    Put16(b, align);
    Put16(b, bits);
    if (withExtra) {
        Put16(b, 0);
    }
    return b;
}

std::string RiffWave(const std::string& chunks) {
    std::string r = "RIFF";
    Put32(r, static_cast<uint32_t>(4 + chunks.size()));
    return r + "WAVE" + chunks;
}

std::vector<int16_t> Sine(double hz, double amplitude, int frames, int rate, int channels) {
    std::vector<int16_t> out;
    out.reserve(static_cast<std::size_t>(frames) * channels);
    const double pi = 4.0 * std::atan(1.0);
    for (int i = 0; i < frames; ++i) {
        const auto v = static_cast<int16_t>(amplitude * std::sin(2 * pi * hz * i / rate));
        for (int c = 0; c < channels; ++c) {
            out.push_back(v);
        }
    }
    return out;
}

std::string Bytes(const std::vector<int16_t>& samples) {
    std::string s;
    s.reserve(samples.size() * 2);
    for (int16_t v : samples) {
        Put16(s, static_cast<uint16_t>(v));
    }
    return s;
}

double ZeroCrossingHz(std::span<const int16_t> samples, int rate) {
    double first = -1;
    double last = -1;
    int crossings = 0;
    for (std::size_t i = 1; i < samples.size(); ++i) {
        if (samples[i - 1] < 0 && samples[i] >= 0) {
            const double t = static_cast<double>(i - 1) +
                             static_cast<double>(-samples[i - 1]) / (samples[i] - samples[i - 1]);
            first = first < 0 ? t : first;
            last = t;
            ++crossings;
        }
    }
    return crossings < 2 ? 0.0 : (crossings - 1) * rate / (last - first);
}

}  // namespace tonavise::test
