// The file player's load operations: a WAV or MP3 file into a LoadedClip, chosen by the path's
// ending. Every refusal is reported through the notifier and leaves the clip empty.
#pragma once

#include <string>

#include "engine/audiofile/LoadedClip.h"

namespace tonavise {

class Notifier;

// Releases the clip, then loads the WAV file; kind becomes Wav on success, None on failure.
bool LoadWav(const std::string& path, LoadedClip& clip, Notifier& notifier);

// Releases the clip, then loads and decodes the MP3 file; kind becomes Mp3 on success.
bool LoadMp3(const std::string& path, LoadedClip& clip, Notifier& notifier);

// What the player hands to the output device for a clip. The sound devices play 8-bit and
// 16-bit PCM with one or two channels packed without padding; such a clip is played from its
// own data. Any other clip (24-bit or 32-bit samples, more than two channels, a padded block)
// is played from a 16-bit copy of its first channel or its first two: the copy has the same
// frames at the same rate, so a frame of the copy is a frame of the clip.
struct PlaybackSound {
    WaveFormat format{};              // what the output device is opened with
    std::unique_ptr<uint8_t[]> copy;  // null: the clip's own data is played
    int32_t length = 0;               // bytes of the played data: whole frames
    bool IsCopy() const { return copy != nullptr; }
};

// Fills `sound` for a loaded clip; false (and `sound` empty) when the copy's memory cannot be
// had or the copy would exceed the 32-bit length the player keeps.
bool PreparePlayback(const LoadedClip& clip, PlaybackSound& sound);

// The player's rule: a path of at most five characters is tried as MP3, then as WAV; a longer
// one is loaded by its ending, ".mp3" or ".wav" in any case; other endings load nothing and
// show nothing. Returns whether a clip is loaded.
bool LoadByPath(const std::string& path, LoadedClip& clip, Notifier& notifier);

}  // namespace tonavise
