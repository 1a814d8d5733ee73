#include "engine/core/Notifier.h"

namespace tonavise {

std::string_view StringTableText(int id) {
    switch (id) {
        case IDS_MP3_CANNOT_OPEN:
            return "Can not open this MP3 file.";
        case IDS_MP3_CANNOT_READ:
            return "Can not read this MP3 File.";
        case IDS_MP3_CANNOT_CONVERT:
            return "Can not convert this MP3 file to WAV file.";
        case IDS_FILE_CANNOT_OPEN:
            return "Can not open this file.";
        case IDS_FILE_NOT_WAV:
            return "This file is not the WAV file";
        case IDS_FILE_NOT_PCM:
            return "This file is not the PCM format file.";
        default:
            return {};
    }
}

}  // namespace tonavise
