// Reads a RIFF WAVE PCM file into memory. Refusals are reported to the user through the
// notifier with the program's texts, and leave nothing allocated.
#pragma once

#include <string>

#include "engine/audiofile/ByteSource.h"
#include "engine/audiofile/LoadedClip.h"

namespace tonavise {

class Notifier;

class WavReader {
  public:
    // Reads the file at path; on success fills format, data and length and returns true.
    bool Read(const std::string& path,
              WaveFormat& format,
              std::unique_ptr<uint8_t[]>& data,
              int32_t& length,
              Notifier& notifier) const;

    // The same for a source already open (a file, or bytes in memory).
    bool Read(ByteSource& source,
              WaveFormat& format,
              std::unique_ptr<uint8_t[]>& data,
              int32_t& length,
              Notifier& notifier) const;
};

}  // namespace tonavise
