#include "engine/audiofile/Mp3Reader.h"

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>

#include "engine/core/Notifier.h"

namespace tonavise {

namespace {

// Layer III bit rates in kbit/s by version row (MPEG-1, MPEG-2) and index; 0 and 15 give 0.
constexpr uint16_t kBitRates[2][16] = {
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},
};
constexpr uint32_t kSamplingRates[2][3] = {
    {44100, 48000, 32000},
    {22050, 24000, 16000},
};

void Show(Notifier& notifier, std::string_view text) {
    notifier.ShowMessage(kAppTitle, text, MessageIcon::Exclamation);
}

// libmpg123 reads the stream from memory through these.
struct MemoryStream {
    const uint8_t* bytes;
    std::size_t size;
    std::size_t pos;
};

mpg123_ssize_t StreamRead(void* handle, void* dst, std::size_t n) {
    auto* s = static_cast<MemoryStream*>(handle);
    const std::size_t count = std::min(n, s->size - s->pos);
    std::memcpy(dst, s->bytes + s->pos, count);
    s->pos += count;
    return static_cast<mpg123_ssize_t>(count);
}

off_t StreamSeek(void* handle, off_t offset, int whence) {
    auto* s = static_cast<MemoryStream*>(handle);
    off_t base = 0;
    if (whence == SEEK_CUR) {
        base = static_cast<off_t>(s->pos);
    } else if (whence == SEEK_END) {
        base = static_cast<off_t>(s->size);
    }
    const off_t target = base + offset;
    if (target < 0 || static_cast<std::size_t>(target) > s->size) {
        return -1;
    }
    s->pos = static_cast<std::size_t>(target);
    return target;
}

struct HandleCloser {
    void operator()(mpg123_handle* h) const {
        mpg123_close(h);
        mpg123_delete(h);
    }
};

void InitLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

}  // namespace

bool Mp3Reader::Read(const std::string& path,
                     Mpeg3WaveFormat& record,
                     std::unique_ptr<uint8_t[]>& block,
                     std::size_t& cursor,
                     std::size_t& count,
                     Notifier& notifier) const {
    FileByteSource file(path);
    if (!file.Ok()) {
        Show(notifier, StringTableText(IDS_MP3_CANNOT_OPEN));
        return false;
    }
    return Read(file, record, block, cursor, count, notifier);
}

bool Mp3Reader::Read(ByteSource& source,
                     Mpeg3WaveFormat& record,
                     std::unique_ptr<uint8_t[]>& block,
                     std::size_t& cursor,
                     std::size_t& count,
                     Notifier& notifier) const {
    const uint64_t size = source.Size();
    if (size > uint64_t(std::numeric_limits<int32_t>::max())) {
        Show(notifier, kMemoryNotEnough);
        return false;
    }
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[size > 0 ? size : 1]);
    if (!bytes) {
        Show(notifier, kMemoryNotEnough);
        return false;
    }
    std::size_t got = source.ReadAt(0, bytes.get(), size);  // a short read keeps what came

    std::size_t at = 0;
    Mp3FrameInfo info;
    if (!SkipTags(bytes.get(), at, got) || !ParseFrameHeader(bytes.get() + at, info)) {
        Show(notifier, StringTableText(IDS_MP3_CANNOT_READ));
        return false;
    }
    record = MakeRecord(info);
    block = std::move(bytes);
    cursor = at;
    count = got;
    return true;
}

bool Mp3Reader::SkipTags(const uint8_t* block, std::size_t& cursor, std::size_t& count) {
    const uint8_t* p = block + cursor;
    if (count >= 3 && std::memcmp(p, "ID3", 3) == 0) {
        if (count < 10) {
            return false;
        }
        // The size bytes are taken whole, as written; a well-formed tag keeps their top bits 0.
        uint64_t tag = 10 + (uint64_t(p[6]) << 21 | uint64_t(p[7]) << 14 | uint64_t(p[8]) << 7 |
                             uint64_t(p[9]));
        // A version 4 tag may end in a 10-byte footer (header flag bit 4), which the size does
        // not count.
        if (p[3] >= 4 && (p[5] & 0x10) != 0) {
            tag += 10;
        }
        if (tag >= count) {
            return false;
        }
        cursor += tag;
        count -= tag;
    } else if (count >= 128 && std::memcmp(p + count - 128, "TAG", 3) == 0) {
        count -= 128;
    }
    return count >= 4;
}

bool Mp3Reader::ParseFrameHeader(const uint8_t* b, Mp3FrameInfo& info) {
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0) {
        return false;
    }
    const int version = (b[1] >> 3) & 3;
    if (version != 3 && version != 2) {
        return false;  // MPEG-2.5 and the reserved value
    }
    if (((b[1] >> 1) & 3) != 1) {
        return false;  // not Layer III
    }
    const int row = version == 3 ? 0 : 1;
    const int rateIndex = (b[2] >> 2) & 3;
    if (rateIndex == 3) {
        return false;  // reserved sampling frequency
    }
    info.versionRow = static_cast<uint8_t>(row + 1);
    info.bitRate = kBitRates[row][b[2] >> 4];
    info.samplingRate = kSamplingRates[row][rateIndex];
    info.padding = static_cast<uint8_t>((b[2] >> 1) & 1);
    info.channels = ((b[3] >> 6) == 3) ? 1 : 2;
    // 144 x bit rate / rate for MPEG-2 too (not 72), as the record has always carried it.
    const uint32_t bytes = (info.bitRate * 1152u * 1000u / info.samplingRate) / 8u;
    info.frameLength = static_cast<uint16_t>(static_cast<uint16_t>(bytes) + info.padding);
    return true;
}

Mpeg3WaveFormat Mp3Reader::MakeRecord(const Mp3FrameInfo& info) {
    Mpeg3WaveFormat r;
    r.wfx.formatTag = kFormatMpegLayer3;
    r.wfx.channels = info.channels;
    r.wfx.samplesPerSec = info.samplingRate;
    r.wfx.avgBytesPerSec = info.bitRate * 1000 / 8;
    r.wfx.blockAlign = 1;
    r.wfx.bitsPerSample = 0;
    r.wfx.extraSize = 12;
    r.wID = 1;
    r.fdwFlags = info.padding ? 1 : 2;
    r.nBlockSize = info.frameLength;
    r.nFramesPerBlock = 1;
    r.nCodecDelay = 1393;
    return r;
}

bool Mp3Reader::ConvertToPcm(const Mpeg3WaveFormat& record,
                             const uint8_t* source,
                             std::size_t count,
                             WaveFormat& format,
                             std::unique_ptr<uint8_t[]>& data,
                             int32_t& length,
                             Notifier& notifier) const {
    InitLibrary();
    const auto cannotConvert = [&notifier] {
        Show(notifier, StringTableText(IDS_MP3_CANNOT_CONVERT));
        return false;
    };
    const int channels = record.wfx.channels == 1 ? 1 : 2;
    const long rate = static_cast<long>(record.wfx.samplesPerSec);

    int err = MPG123_OK;
    std::unique_ptr<mpg123_handle, HandleCloser> mh(mpg123_new(nullptr, &err));
    if (!mh) {
        return cannotConvert();
    }
    mpg123_param(mh.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    // 16-bit PCM with the channels and rate of the first frame; the decoder mixes or doubles
    // channels of later frames that differ.
    mpg123_format_none(mh.get());
    if (mpg123_format(
            mh.get(), rate, channels == 1 ? MPG123_MONO : MPG123_STEREO, MPG123_ENC_SIGNED_16) !=
        MPG123_OK) {
        return cannotConvert();
    }
    MemoryStream stream{source, count, 0};
    if (mpg123_replace_reader_handle(mh.get(), StreamRead, StreamSeek, nullptr) != MPG123_OK ||
        mpg123_open_handle(mh.get(), &stream) != MPG123_OK) {
        return cannotConvert();
    }
    // The scan walks every frame, so the exact output size is known before allocating.
    if (mpg123_scan(mh.get()) != MPG123_OK) {
        return cannotConvert();
    }
    const off_t frames = mpg123_length(mh.get());
    const uint64_t bytes = frames > 0 ? uint64_t(frames) * channels * 2 : 0;
    if (bytes == 0) {
        return cannotConvert();  // not one decodable frame
    }
    if (bytes > uint64_t(std::numeric_limits<int32_t>::max())) {
        Show(notifier, kMemoryNotEnough);
        return false;
    }
    std::unique_ptr<uint8_t[]> pcm(new (std::nothrow) uint8_t[bytes]);
    if (!pcm) {
        Show(notifier, kMemoryNotEnough);
        return false;
    }
    std::size_t done = 0;
    while (done < bytes) {
        std::size_t got = 0;
        const int rc = mpg123_read(mh.get(), pcm.get() + done, bytes - done, &got);
        done += got;
        if (rc == MPG123_NEW_FORMAT) {
            continue;
        }
        if (rc != MPG123_OK) {
            break;  // MPG123_DONE, or a damaged tail: keep what was decoded
        }
        if (got == 0) {
            break;
        }
    }
    const std::size_t frameBytes = static_cast<std::size_t>(channels) * 2;
    done -= done % frameBytes;
    if (done == 0) {
        return cannotConvert();
    }
    format = PcmFormat(channels, static_cast<int>(rate), 16);
    data = std::move(pcm);
    length = static_cast<int32_t>(done);
    return true;
}

}  // namespace tonavise
