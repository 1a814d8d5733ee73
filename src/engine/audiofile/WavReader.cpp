#include "engine/audiofile/WavReader.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "engine/core/Notifier.h"

namespace tonavise {

bool IsUsablePcmFormat(const WaveFormat& f) {
    if (f.channels == 0 || f.samplesPerSec == 0 || f.blockAlign == 0) {
        return false;
    }
    if (f.bitsPerSample != 8 && f.bitsPerSample != 16 && f.bitsPerSample != 24 &&
        f.bitsPerSample != 32) {
        return false;
    }
    return f.blockAlign >= f.channels * (f.bitsPerSample / 8u);
}

namespace {

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

// Finds the chunk `id` among the chunks in [begin, end); on success `offset` is where its data
// starts and `size` its declared size.
bool FindChunk(ByteSource& src,
               uint64_t begin,
               uint64_t end,
               const char* id,
               uint64_t& offset,
               uint32_t& size) {
    uint64_t pos = begin;
    while (pos + 8 <= end) {
        uint8_t header[8];
        if (src.ReadAt(pos, header, 8) != 8) {
            return false;
        }
        const uint32_t chunkSize = Le32(header + 4);
        if (std::memcmp(header, id, 4) == 0) {
            offset = pos + 8;
            size = chunkSize;
            return true;
        }
        // Chunks are padded to an even length.
        pos += 8 + uint64_t(chunkSize) + (chunkSize & 1u);
    }
    return false;
}

// The sub-format of integer PCM in an extensible format record
// (00000001-0000-0010-8000-00AA00389B71), as its bytes lie in the file.
constexpr uint8_t kPcmSubFormat[16] = {
    0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// The extensible record: the 18 bytes of the plain record, cbSize 22, valid bits, channel mask
// and the sub-format.
constexpr std::size_t kExtensibleSize = 40;
constexpr uint16_t kExtensibleExtra = 22;
constexpr std::size_t kSubFormatOffset = 24;

void Refuse(Notifier& notifier, int id) {
    notifier.ShowMessage(kAppTitle, StringTableText(id), MessageIcon::Exclamation);
}

}  // namespace

bool WavReader::Read(const std::string& path,
                     WaveFormat& format,
                     std::unique_ptr<uint8_t[]>& data,
                     int32_t& length,
                     Notifier& notifier) const {
    FileByteSource file(path);
    if (!file.Ok()) {
        Refuse(notifier, IDS_FILE_CANNOT_OPEN);
        return false;
    }
    return Read(file, format, data, length, notifier);
}

bool WavReader::Read(ByteSource& src,
                     WaveFormat& format,
                     std::unique_ptr<uint8_t[]>& data,
                     int32_t& length,
                     Notifier& notifier) const {
    const uint64_t fileSize = src.Size();

    // The RIFF chunk of form "WAVE", among the file's top-level chunks.
    uint64_t riffBegin = 0;
    uint64_t riffEnd = 0;
    {
        uint64_t pos = 0;
        bool found = false;
        while (pos + 12 <= fileSize) {
            uint8_t header[12];
            if (src.ReadAt(pos, header, 12) != 12) {
                break;
            }
            const uint32_t size = Le32(header + 4);
            if (std::memcmp(header, "RIFF", 4) == 0 && size >= 4 &&
                std::memcmp(header + 8, "WAVE", 4) == 0) {
                riffBegin = pos + 12;
                riffEnd = std::min<uint64_t>(pos + 8 + size, fileSize);
                found = true;
                break;
            }
            pos += 8 + uint64_t(size) + (size & 1u);
        }
        if (!found) {
            Refuse(notifier, IDS_FILE_NOT_WAV);
            return false;
        }
    }

    // "fmt ": at least the 16 bytes of a PCM record; past the 18-byte record only an extensible
    // record's sub-format is read, and anything else is ignored.
    uint64_t fmtOffset = 0;
    uint32_t fmtSize = 0;
    if (!FindChunk(src, riffBegin, riffEnd, "fmt ", fmtOffset, fmtSize) || fmtSize < 16) {
        Refuse(notifier, IDS_FILE_NOT_PCM);
        return false;
    }
    uint8_t raw[kExtensibleSize] = {};
    const std::size_t want = std::min<uint32_t>(fmtSize, sizeof raw);
    const std::size_t fmtRead = src.ReadAt(fmtOffset, raw, want);
    if (fmtRead < 16) {
        Refuse(notifier, IDS_FILE_NOT_PCM);
        return false;
    }
    WaveFormat f;
    f.formatTag = Le16(raw);
    f.channels = Le16(raw + 2);
    f.samplesPerSec = Le32(raw + 4);
    f.avgBytesPerSec = Le32(raw + 8);
    f.blockAlign = Le16(raw + 12);
    f.bitsPerSample = Le16(raw + 14);
    f.extraSize = fmtRead >= 18 ? Le16(raw + 16) : 0;
    if (f.formatTag == kFormatExtensible) {
        // Recording programs write 24-bit and many-channel PCM this way. Its samples lie as in
        // a plain PCM file (left-justified in containers of wBitsPerSample), so once the
        // sub-format says integer PCM the clip is PCM like any other; the channel mask and the
        // valid bits change nothing the player or the scope reads.
        if (fmtRead < kExtensibleSize || f.extraSize < kExtensibleExtra ||
            std::memcmp(raw + kSubFormatOffset, kPcmSubFormat, sizeof kPcmSubFormat) != 0) {
            Refuse(notifier, IDS_FILE_NOT_PCM);
            return false;
        }
        f.formatTag = kFormatPcm;
        f.extraSize = 0;
    }
    if (f.formatTag != kFormatPcm || !IsUsablePcmFormat(f)) {
        Refuse(notifier, IDS_FILE_NOT_PCM);
        return false;
    }

    uint64_t dataOffset = 0;
    uint32_t dataSize = 0;
    if (!FindChunk(src, riffBegin, riffEnd, "data", dataOffset, dataSize)) {
        Refuse(notifier, IDS_FILE_NOT_WAV);
        return false;
    }
    // A file cut short holds fewer bytes than its chunk declares: take what is there.
    uint64_t available = dataOffset < fileSize ? fileSize - dataOffset : 0;
    available = std::min<uint64_t>(available, dataSize);
    if (available > uint64_t(std::numeric_limits<int32_t>::max())) {
        notifier.ShowMessage(kAppTitle, kMemoryNotEnough, MessageIcon::Exclamation);
        return false;
    }
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[available > 0 ? available : 1]);
    if (!block) {
        notifier.ShowMessage(kAppTitle, kMemoryNotEnough, MessageIcon::Exclamation);
        return false;
    }
    uint64_t got = src.ReadAt(dataOffset, block.get(), available);
    got -= got % f.blockAlign;  // whole frames only

    format = f;
    data = std::move(block);
    length = static_cast<int32_t>(got);
    return true;
}

}  // namespace tonavise
