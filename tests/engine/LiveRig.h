// The live engine for end-to-end tests and measurements: capture and analysis on a device
// system of choice, with a tape that keeps every captured frame and the time of every block.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "DeviceTestSupport.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/CaptureStore.h"
#include "engine/live/CaptureThread.h"
#include "engine/live/LiveEngine.h"

namespace tonavise::test {

// Keeps the captured frames (up to its capacity) and, per block, its first frame, the capture
// time of that frame as the device reported it, and when the block reached the capture thread
// (all steady-clock seconds).
class CaptureTape final : public CaptureObserver {
  public:
    struct Block {
        int64_t firstFrame;
        double captureTime;
        double arrival;
    };

    CaptureTape(double seconds, int channels);

    void OnCaptured(std::span<const int16_t> frames, int channels, double captureTime) override;

    // Forgets everything taped so far; frames are counted from 0 again.
    void Clear();
    int64_t Frames() const;
    bool WaitForFrames(int64_t frames, std::chrono::milliseconds timeout);
    // One channel of frames [from, to) (to is clamped to what was taped).
    std::vector<int16_t> Channel(int channel, int64_t from = 0, int64_t to = INT64_MAX) const;
    std::vector<Block> Blocks() const;
    // Capture time (the device's report) of frame `frame`, or -1 when it was not taped.
    double CaptureTimeOf(int64_t frame) const;
    // When the block holding `frame` reached the capture thread, or -1.
    double ArrivalOf(int64_t frame) const;

  private:
    const int channels_;
    const int64_t capacity_;
    mutable std::mutex mutex_;
    std::condition_variable grew_;
    std::vector<int16_t> samples_;
    std::vector<Block> blocks_;
    int64_t frames_ = 0;
};

// Frames from `from` on whose magnitude exceeds `threshold` after at least `quietGap` quieter
// frames: the onsets of clicks.
std::vector<int64_t> Onsets(std::span<const int16_t> samples, int threshold, int quietGap);
// The last frame louder than `threshold`, or -1.
int64_t LastLoud(std::span<const int16_t> samples, int threshold);
// The first frame louder than `threshold`, or -1.
int64_t FirstLoud(std::span<const int16_t> samples, int threshold);

// The live engine with capture and analysis on a device system of choice, and a tape of
// everything captured.
class LiveRig {
  public:
    LiveRig(DeviceFactory& devices, int channels, double tapeSeconds);
    ~LiveRig();
    LiveRig(const LiveRig&) = delete;
    LiveRig& operator=(const LiveRig&) = delete;

    // Starts the analysis and the capture thread; false when the transform has no memory.
    bool Start();
    void Stop();

    // Waits for the next analysis and gives its fundamental and nearest key.
    bool NextPitch(double& hz, int& key, std::chrono::milliseconds timeout);

    SharedNotifier notifier;
    CaptureTape tape;
    LiveEngine engine{notifier};
    CaptureStore& store = engine.captureStore;
    KeyTable& keyTable = engine.keyTable;

  private:
    DeviceFactory& devices_;
};

}  // namespace tonavise::test
