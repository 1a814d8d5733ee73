// The signal generator's sound: one second of stereo frames (44100 at 44100 Hz), each channel a
// test signal of whole hertz, so the second repeats without a break. The output thread plays it
// over and over; the generator's owner rewrites a channel whenever a setting changes, also
// while it plays, and the change is heard from the point the device has reached.
//
// Threads: GenerateChannel, Clear and Samples from any thread (they are serialised); the output
// device reads the frames through playData(), a double buffer: a change is written into the
// copy the device does not read and published whole, so the audio callback never waits.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "engine/device/SoundDevice.h"

namespace tonavise {

inline constexpr int kSignalFrames = 44100;

enum WaveForm : int32_t {
    kWaveSine = 0,
    kWaveSquare = 1,
    kWaveTriangle = 2,
    kWaveSaw = 3,
};

// The value in -1..1 of wave form `waveForm` at phase x (radians); 0 for an unknown form.
double WaveValue(int waveForm, double x);

class SignalBuffer {
  public:
    SignalBuffer();  // silence
    SignalBuffer(const SignalBuffer&) = delete;
    SignalBuffer& operator=(const SignalBuffer&) = delete;

    void Clear();

    // Rewrites channel 0 (left) or 1 (right) with `frequency` hertz (whole periods per second)
    // at `amplitude` percent of full scale; the other channel stays as it is. Every channel
    // starts at phase 0. A channel other than 0 or 1 changes nothing.
    void GenerateChannel(int frequency, int amplitude, int waveForm, int channel);

    // For the output device: the interleaved frames, in two copies.
    SharedPlayData& playData() { return playData_; }
    uint8_t* data() { return reinterpret_cast<uint8_t*>(copies_[0].data()); }
    uint32_t byteLength() const { return 2 * kSignalFrames * sizeof(int16_t); }

    // A copy of the interleaved samples (left, right) as the device plays them now.
    std::vector<int16_t> Samples() const;

  private:
    // Writes `change` into the copy the device does not read, starting from the published
    // frames, and publishes it. With generateLock_ held.
    template <typename Change>
    void Rewrite(Change change);

    mutable std::mutex generateLock_;  // one writer at a time: they share channelScratch_
    std::vector<int16_t> copies_[2];
    std::vector<int16_t> channelScratch_;
    SharedPlayData playData_;
};

}  // namespace tonavise
