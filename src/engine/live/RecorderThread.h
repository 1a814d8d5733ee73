// The recorder's thread: switches recording on and off (the capture thread does the recording)
// and plays the recording back once, oldest block first, through two alternating one-block
// output buffers. While it plays, the capture thread shows the played block in the scope.
// Playback ends when the last block has been heard, not when it was handed to the sound
// system; a stream that fails to start or dies shows the device error box and ends playback
// (one whose chosen device went away goes on at once on the default, and moves back later).
//
// Threads: commands (RecorderCommand) from any thread; handlers and the device on this thread.
// IsPlaying() and CopyPlaybackBlock() from any thread (the capture thread's playback monitor).
#pragma once

#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <span>

#include "engine/core/AudioFormat.h"
#include "engine/core/UiLanguage.h"
#include "engine/device/DeviceStandIn.h"
#include "engine/device/SoundDevice.h"
#include "engine/live/CaptureThread.h"
#include "engine/live/WorkerCommands.h"
#include "engine/live/WorkerThread.h"

namespace tonavise {

class Notifier;
class RecordingStore;

class RecorderThread final : public CommandThread<RecorderCommand>, public PlaybackMonitor {
  public:
    RecorderThread(RecordingStore& recordings,
                   DeviceFactory& devices,
                   Notifier& notifier,
                   UiLanguage language);
    ~RecorderThread() override;

    bool IsPlaying() const {
        return standIn_.Held([this] { return Sounding(); });
    }

    // The playback monitor: copies the block most recently handed to the output into `dest`
    // (4410 samples). False when nothing plays.
    bool CopyPlaybackBlock(std::span<int16_t> dest) const;

    // The capture thread's playback monitor: while playing, the captured frames become the
    // played block (both channels of a stereo capture).
    void ReplaceCaptured(std::span<int16_t> frames, int channels) override;

  protected:
    const char* threadName() const override { return "recorder"; }
    void onStart() override;
    void handle(RecorderCommand& command) override;
    void onExit() override;
    void onTick() override;

  private:
    using Block = std::array<int16_t, kBlockFrames>;

    bool Sounding() const { return recorderPlaying_.load(std::memory_order_relaxed); }
    bool FillBuffer(int k);
    void HandleDeviceFailure(const DeviceEvent& event);
    void OpenOutput();
    void StopPlayback();
    void Completion();
    DeviceResult QueueBuffer(int k);

    RecordingStore& recordings_;
    DeviceFactory& devices_;
    StandInWatch standIn_{devices_, DeviceDirection::Output};
    Notifier& notifier_;
    UiLanguage language_;

    std::unique_ptr<WaveDevice> waveOut_;
    const WaveFormat format_ = PcmFormat(1);
    std::array<WaveHeader, 2> headers_;
    std::array<bool, 2> inFlight_{};  // queued and not yet completed
    bool ending_ = false;             // every block handed over; waiting for it to be heard

    // The two playback buffers and the index of the one filled last, shared with the monitor.
    mutable std::mutex bufferLock_;
    std::array<Block, 2> playbackBuffers_{};
    int playbackBufferIndex_ = 0;
    std::atomic<bool> recorderPlaying_{false};
};

}  // namespace tonavise
