#include "engine/audiofile/FileLoading.h"

#include <cctype>
#include <limits>
#include <new>

#include "engine/audiofile/Mp3Reader.h"
#include "engine/audiofile/WavReader.h"
#include "engine/core/Notifier.h"

namespace tonavise {

namespace {

// Characters, not bytes: paths are UTF-8.
std::size_t CharacterCount(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s) {
        if ((c & 0xC0) != 0x80) {
            ++n;
        }
    }
    return n;
}

std::string LowerEnding(const std::string& path) {
    std::string end = path.substr(path.size() - 4);
    for (char& c : end) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return end;
}

}  // namespace

bool LoadWav(const std::string& path, LoadedClip& clip, Notifier& notifier) {
    clip.Release();
    WavReader reader;
    if (!reader.Read(path, clip.format, clip.data, clip.length, notifier)) {
        clip.Release();
        return false;
    }
    clip.kind = LoadedKind::Wav;
    return true;
}

bool LoadMp3(const std::string& path, LoadedClip& clip, Notifier& notifier) {
    clip.Release();
    Mp3Reader reader;
    Mpeg3WaveFormat record;
    std::unique_ptr<uint8_t[]> block;
    std::size_t cursor = 0;
    std::size_t count = 0;
    if (!reader.Read(path, record, block, cursor, count, notifier)) {
        return false;
    }
    const bool ok = reader.ConvertToPcm(
        record, block.get() + cursor, count, clip.format, clip.data, clip.length, notifier);
    block.reset();  // the file's bytes never outlive the load
    if (!ok) {
        clip.Release();
        return false;
    }
    clip.kind = LoadedKind::Mp3;
    return true;
}

bool PreparePlayback(const LoadedClip& clip, PlaybackSound& sound) {
    sound = PlaybackSound{};
    const WaveFormat& f = clip.format;
    if (!clip.data || !IsUsablePcmFormat(f)) {
        return false;
    }
    const bool playable = (f.bitsPerSample == 8 || f.bitsPerSample == 16) &&
                          (f.channels == 1 || f.channels == 2) &&
                          f.blockAlign == f.channels * f.bitsPerSample / 8;
    if (playable) {
        // A fresh record: the device checks the bytes per second, which some writers get wrong.
        sound.format = PcmFormat(f.channels, static_cast<int>(f.samplesPerSec), f.bitsPerSample);
        sound.length = clip.length;
        return true;
    }
    const int channels = f.channels >= 2 ? 2 : 1;
    const WaveFormat out = PcmFormat(channels, static_cast<int>(f.samplesPerSec), 16);
    const int64_t frames = clip.length / f.blockAlign;
    const int64_t bytes = frames * out.blockAlign;
    if (bytes > std::numeric_limits<int32_t>::max()) {
        return false;
    }
    std::unique_ptr<uint8_t[]> copy(new (std::nothrow) uint8_t[bytes > 0 ? bytes : 1]);
    if (!copy) {
        return false;
    }
    const int sampleBytes = f.bitsPerSample / 8;
    const uint8_t* from = clip.data.get();
    uint8_t* to = copy.get();
    for (int64_t i = 0; i < frames; ++i, from += f.blockAlign) {
        for (int c = 0; c < channels; ++c) {
            const auto v = static_cast<uint16_t>(Sample16(from + c * sampleBytes, sampleBytes));
            *to++ = static_cast<uint8_t>(v & 0xFF);
            *to++ = static_cast<uint8_t>(v >> 8);
        }
    }
    sound.format = out;
    sound.copy = std::move(copy);
    sound.length = static_cast<int32_t>(bytes);
    return true;
}

bool LoadByPath(const std::string& path, LoadedClip& clip, Notifier& notifier) {
    clip.Release();
    if (CharacterCount(path) <= 5) {
        return LoadMp3(path, clip, notifier) || LoadWav(path, clip, notifier);
    }
    const std::string ending = LowerEnding(path);
    if (ending == ".mp3") {
        return LoadMp3(path, clip, notifier);
    }
    if (ending == ".wav") {
        return LoadWav(path, clip, notifier);
    }
    return false;
}

}  // namespace tonavise
