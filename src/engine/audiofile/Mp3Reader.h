// Reads an MP3 file into memory and converts it to PCM. Only the first frame header is
// examined, directly at the cursor after a leading ID3 tag; its parameters stand for the file.
// Refusals are reported through the notifier with the program's texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/audiofile/ByteSource.h"
#include "engine/core/AudioFormat.h"

namespace tonavise {

class Notifier;

// The MPEG Layer-3 format record handed to the decoder (a format record followed by the
// Layer-3 fields).
struct Mpeg3WaveFormat {
    WaveFormat wfx{};
    uint16_t wID = 0;
    uint32_t fdwFlags = 0;
    uint16_t nBlockSize = 0;
    uint16_t nFramesPerBlock = 0;
    uint16_t nCodecDelay = 0;
};

// The values of the first frame header.
struct Mp3FrameInfo {
    uint8_t versionRow = 0;  // 1 MPEG-1, 2 MPEG-2
    uint32_t bitRate = 0;    // kbit/s; 0 for free format
    uint32_t samplingRate = 0;
    uint8_t padding = 0;
    uint8_t channels = 0;
    uint16_t frameLength = 0;  // bytes
};

class Mp3Reader {
  public:
    // Reads the whole file at path, skips a tag and parses the first frame header into record.
    // On success `block` owns the file's bytes and [cursor, cursor + count) is the MPEG stream.
    bool Read(const std::string& path,
              Mpeg3WaveFormat& record,
              std::unique_ptr<uint8_t[]>& block,
              std::size_t& cursor,
              std::size_t& count,
              Notifier& notifier) const;

    bool Read(ByteSource& source,
              Mpeg3WaveFormat& record,
              std::unique_ptr<uint8_t[]>& block,
              std::size_t& cursor,
              std::size_t& count,
              Notifier& notifier) const;

    // Moves the cursor past a leading ID3v2 tag (and its footer), or, when there is none, drops a
    // trailing 128-byte "TAG". False when a leading tag reaches to or past the end, or when fewer
    // than four bytes are left for the frame header.
    static bool SkipTags(const uint8_t* block, std::size_t& cursor, std::size_t& count);

    // Parses the four header bytes into info; false for anything but an MPEG-1 or MPEG-2
    // Layer III header with a defined sampling frequency.
    static bool ParseFrameHeader(const uint8_t* bytes, Mp3FrameInfo& info);

    // The Layer-3 format record for a parsed header.
    static Mpeg3WaveFormat MakeRecord(const Mp3FrameInfo& info);

    // Decodes the whole stream to 16-bit PCM: fills format, allocates data, sets length.
    bool ConvertToPcm(const Mpeg3WaveFormat& record,
                      const uint8_t* source,
                      std::size_t count,
                      WaveFormat& format,
                      std::unique_ptr<uint8_t[]>& data,
                      int32_t& length,
                      Notifier& notifier) const;
};

}  // namespace tonavise
