// The file player's load operations: a WAV or MP3 file into a LoadedClip, chosen by the path's
// ending. Every refusal is reported through the notifier and leaves the clip empty.
#pragma once

#include <string>

#include "engine/LoadedClip.h"

namespace tonavise {

class Notifier;

// Releases the clip, then loads the WAV file; kind becomes Wav on success, None on failure.
bool LoadWav(const std::string& path, LoadedClip& clip, Notifier& notifier);

// Releases the clip, then loads and decodes the MP3 file; kind becomes Mp3 on success.
bool LoadMp3(const std::string& path, LoadedClip& clip, Notifier& notifier);

// The player's rule: a path of at most five characters is tried as MP3, then as WAV; a longer
// one is loaded by its ending, ".mp3" or ".wav" in any case; other endings load nothing and
// show nothing. Returns whether a clip is loaded.
bool LoadByPath(const std::string& path, LoadedClip& clip, Notifier& notifier);

}  // namespace tonavise
