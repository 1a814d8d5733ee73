#include "engine/audiofile/WavWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

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

bool WriteAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::string WavFileBytes(const WaveFormat& format, std::span<const uint8_t> pcm) {
    std::string bytes = Header(format, pcm.size());
    bytes.append(reinterpret_cast<const char*>(pcm.data()), pcm.size());
    return bytes;
}

bool WriteWavFile(const std::string& path, const WaveFormat& format, std::span<const uint8_t> pcm) {
    // Only ever replace a regular file: a device or a folder under that name is left alone.
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
        return false;
    }
    // Written beside the target and renamed over it when complete, so that a failure neither
    // leaves a partial file nor destroys a file that was there before.
    static std::atomic<unsigned> serial{0};
    const std::string temp =
        path + ".partial-" + std::to_string(::getpid()) + "-" + std::to_string(serial.fetch_add(1));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    const std::string header = Header(format, pcm.size());
    bool ok = WriteAll(fd, header.data(), header.size());
    ok = ok && WriteAll(fd, pcm.data(), pcm.size());
    ok = (::close(fd) == 0) && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
    }
    return ok;
}

}  // namespace tonavise
