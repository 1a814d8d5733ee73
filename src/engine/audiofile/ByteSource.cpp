#include "engine/audiofile/ByteSource.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace tonavise {

FileByteSource::FileByteSource(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return;
    }
    struct stat st {};
    // A directory opens on Linux but cannot be read: treat it as a file that cannot be opened.
    if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        return;
    }
    file_.reset(f);
    size_ = static_cast<uint64_t>(st.st_size);
}

std::size_t FileByteSource::ReadAt(uint64_t offset, void* dst, std::size_t n) {
    if (!file_ || offset >= size_) {
        return 0;
    }
    if (fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET) != 0) {
        return 0;
    }
    return std::fread(dst, 1, n, file_.get());
}

std::size_t MemoryByteSource::ReadAt(uint64_t offset, void* dst, std::size_t n) {
    if (offset >= bytes_.size()) {
        return 0;
    }
    const std::size_t count = std::min<uint64_t>(n, bytes_.size() - offset);
    std::memcpy(dst, bytes_.data() + offset, count);
    return count;
}

}  // namespace tonavise
