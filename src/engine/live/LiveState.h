// Snapshots of what the live engine's workers are doing, as the windows and the tool read them.
#pragma once

#include <cstdint>

#include "engine/audiofile/FileOverview.h"

namespace tonavise {

// What the file player is doing.
struct PlayerState {
    bool running = false;  // the player's thread runs
    bool loaded = false;
    bool playing = false;
    bool paused = false;
    int channels = 0;            // of the loaded file
    int32_t length = 0;          // bytes of the loaded PCM data
    int64_t bytesPerSecond = 0;  // of the loaded data; 0 when nothing is loaded
    int speedPercent = 100;      // the speed played at now (the trainer raises it pass by pass)
};

// What the reference tone and metronome output is doing.
struct OutputState {
    bool running = false;  // the output's thread runs
    bool tonePlaying = false;
    bool metronomePlaying = false;
    bool dronePlaying = false;
    bool countingIn = false;  // a count-in was asked for and has not ended
    int noteIndex = 48;       // the key of the tone last started
};

// The beat being heard: beat 0..beats-1 of the bar; beat -1 while the metronome is silent.
struct HeardBeat {
    int beat = -1;
    int beats = 0;
};

// What the player reports to the window that shows its position (the main window's Player bar).
// Called on the player's thread; implementations hand the report to their own thread.
class PlayerListener {
  public:
    virtual ~PlayerListener() = default;
    // The play position and the length, in bytes.
    virtual void OnPlayerPosition(int64_t position, int64_t length) = 0;
    // A file of `length` bytes was loaded.
    virtual void OnPlayerLoaded(int64_t length) = 0;
    // The overview of the file just loaded, made on the player's thread right after
    // OnPlayerLoaded, before any play of it starts.
    virtual void OnPlayerOverview(const FileOverview& /*overview*/) {}
};

// What the signal generator tells its owner (the generator's dialog).
class SignalListener {
  public:
    virtual ~SignalListener() = default;
    // One copy of the buffer has been played (or given back by a stop).
    virtual void OnSignalBufferDone() = 0;
};

}  // namespace tonavise
