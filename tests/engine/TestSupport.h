// Helpers shared by the engine tests: a notifier that records, temporary files, and builders
// of sound files in memory.
#pragma once

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "engine/core/AudioFormat.h"
#include "engine/core/Notifier.h"

namespace tonavise::test {

class RecordingNotifier final : public Notifier {
  public:
    void ShowMessage(std::string_view caption, std::string_view text, MessageIcon) override {
        captions.emplace_back(caption);
        texts.emplace_back(text);
    }
    std::vector<std::string> captions;
    std::vector<std::string> texts;
};

// A folder removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string File(const std::string& name) const { return (path_ / name).string(); }
    std::string Write(const std::string& name, const std::string& bytes) const;

  private:
    std::filesystem::path path_;
};

// Little-endian byte building.
void Put16(std::string& s, uint32_t v);
void Put32(std::string& s, uint32_t v);
std::string Chunk(const std::string& id, const std::string& body);
std::string FmtBody(uint16_t tag,
                    uint16_t channels,
                    uint32_t rate,
                    uint16_t align,
                    uint16_t bits,
                    bool withExtra = true);
std::string RiffWave(const std::string& chunks);

// Interleaved 16-bit sine samples.
std::vector<int16_t> Sine(
    double hz, double amplitude, int frames, int rate = 44100, int channels = 1);
std::string Bytes(const std::vector<int16_t>& samples);

// The frequency of a steady tone from its rising zero crossings (interpolated between samples):
// crossings less one over the time from the first to the last; 0 with fewer than two.
double ZeroCrossingHz(std::span<const int16_t> samples, int rate);

}  // namespace tonavise::test
