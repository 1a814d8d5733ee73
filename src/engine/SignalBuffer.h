// The signal generator's sound: one second of stereo frames (44100 at 44100 Hz), each channel a
// test signal of whole hertz, so the second repeats without a break. The output thread plays it
// over and over; the generator's owner rewrites a channel whenever a setting changes, also
// while it plays, and the change is heard from the point the device has reached.
//
// Threads: GenerateChannel from any thread (calls are serialised); the output device copies the
// samples under lock(), which GenerateChannel holds only while it copies a finished channel in.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

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

    // For the output device: the interleaved frames and the lock it copies them under.
    uint8_t* data() { return reinterpret_cast<uint8_t*>(signalBuffer_.data()); }
    uint32_t byteLength() const { return 2 * kSignalFrames * sizeof(int16_t); }
    std::mutex& lock() { return dataLock_; }

    // A copy of the interleaved samples (left, right).
    std::vector<int16_t> Samples() const;

  private:
    std::mutex generateLock_;  // one GenerateChannel at a time: they share channelScratch_
    mutable std::mutex dataLock_;
    std::vector<int16_t> signalBuffer_;
    std::vector<int16_t> channelScratch_;
};

}  // namespace tonavise
