#include "WavWriter.h"

#include <cstdio>
#include <memory>

namespace tonavise {

namespace {

void Put16(std::string& s, uint32_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& s, uint32_t v) {
    Put16(s, v & 0xFFFF);
    Put16(s, v >> 16);
}

std::string Header(const WaveFormat& f, std::size_t dataBytes) {
    std::string h;
    h.reserve(46);
    h += "RIFF";
    Put32(h, static_cast<uint32_t>(38 + dataBytes));
    h += "WAVEfmt ";
    Put32(h, 18);
    Put16(h, f.formatTag);
    Put16(h, f.channels);
    Put32(h, f.samplesPerSec);
    Put32(h, f.avgBytesPerSec);
    Put16(h, f.blockAlign);
    Put16(h, f.bitsPerSample);
    Put16(h, f.extraSize);
    h += "data";
    Put32(h, static_cast<uint32_t>(dataBytes));
    return h;
}

}  // namespace

std::string WavFileBytes(const WaveFormat& format, std::span<const uint8_t> pcm) {
    std::string bytes = Header(format, pcm.size());
    bytes.append(reinterpret_cast<const char*>(pcm.data()), pcm.size());
    return bytes;
}

bool WriteWavFile(const std::string& path, const WaveFormat& format, std::span<const uint8_t> pcm) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    const std::string header = Header(format, pcm.size());
    bool ok = std::fwrite(header.data(), 1, header.size(), f) == header.size();
    ok = ok && (pcm.empty() || std::fwrite(pcm.data(), 1, pcm.size(), f) == pcm.size());
    ok = (std::fclose(f) == 0) && ok;
    if (!ok) {
        std::remove(path.c_str());
    }
    return ok;
}

}  // namespace tonavise
