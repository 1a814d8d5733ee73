#include "engine/FileLoading.h"

#include <cctype>

#include "engine/Mp3Reader.h"
#include "engine/Notifier.h"
#include "engine/WavReader.h"

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
    CWavReader reader;
    if (!reader.Read(path, clip.format, clip.data, clip.length, notifier)) {
        clip.Release();
        return false;
    }
    clip.kind = LoadedKind::Wav;
    return true;
}

bool LoadMp3(const std::string& path, LoadedClip& clip, Notifier& notifier) {
    clip.Release();
    CMp3Reader reader;
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
