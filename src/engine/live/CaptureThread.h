// CaptureThread: the worker thread that owns the sound input device. It captures without pause
// in pieces of 441 frames (10 ms), mono or stereo as the store's channelCount says, hands every
// piece to the piece listener (the tuner's analysis, which reads the pitch every 10 ms) and
// every ten pieces as one block of 4410 frames (100 ms) to the capture store (unless a file is
// playing: the player feeds the store and the listener then) and to the recorder, strictly in
// the order captured. A hundred pieces are queued (one second), so the thread may be held up for
// most of a second without losing input; input that still finds no buffer is counted
// (DroppedBlocks).
//
// A device that cannot be opened or started, or whose stream fails (the sound server went
// away, the microphone was unplugged, no sound for a second), shows the device error box once,
// is closed, and is opened again every two seconds until sound flows again. InputLost() is true
// from the failure until the first block after it.
//
// Commands (CaptureCommand): the device's reports (a buffer is full, the stream failed) and
// ReopenInput (close, configure for the store's current channelCount, open again); quit()
// closes and ends.
//
// Threads: Configure/Open/Close and the hooks run on the capture thread (or on the creating
// thread before start()); IsOpen(), Channels(), InputLost(), DroppedBlocks() and Overruns() may
// be read from any thread; the Set* links may be changed from any thread at any time, but a
// linked object must stay alive until it is unlinked or the thread has been joined.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>

#include "engine/core/AudioFormat.h"
#include "engine/device/SoundDevice.h"
#include "engine/live/WorkerCommands.h"
#include "engine/live/WorkerThread.h"

namespace tonavise {

class CaptureStore;
class Notifier;
class PlayerStatus;

// The recorder's playback monitor: while the recorder plays a recording back, it overwrites the
// captured frames with the block being played, so that the scope shows what is heard.
// Called on the capture thread for every captured block, before the block reaches the store.
class PlaybackMonitor {
  public:
    virtual ~PlaybackMonitor() = default;
    virtual void ReplaceCaptured(std::span<int16_t> frames, int channels) = 0;
};

// The recording store's feed: records the block while recording is switched on; it may modify
// the block (a stereo block is mixed down in place). Called on the capture thread for every
// captured block, after the store, also while a file plays.
class BlockRecorder {
  public:
    virtual ~BlockRecorder() = default;
    virtual void RecordBlock(std::span<int16_t> frames, int channels) = 0;
};

// Sees every captured block as it arrived (after the playback monitor), with the steady-clock
// time of its first frame: for tools and measurements. Called on the capture thread.
class CaptureObserver {
  public:
    virtual ~CaptureObserver() = default;
    virtual void OnCaptured(std::span<const int16_t> frames, int channels, double captureTime) = 0;
};

// Takes the sound as it comes, in pieces shorter than a block: the microphone's 10 ms pieces
// on the capture thread, a playing file's 100 ms blocks on the player's. `source` tells the
// streams apart (a new source is a new stream). Must not wait: it only copies.
class PieceListener {
  public:
    enum class Source { Microphone, File };
    virtual ~PieceListener() = default;
    virtual void OnPiece(std::span<const int16_t> frames, int channels, Source source) = 0;
};

inline constexpr int kPieceFrames = 441;  // 10 ms
inline constexpr int kPiecesPerBlock = kBlockFrames / kPieceFrames;
static_assert(kPiecesPerBlock * kPieceFrames == kBlockFrames);
// Blocks' worth of pieces queued: one second.
inline constexpr int kCaptureBufferCount = 10;
inline constexpr int kCapturePieceCount = kCaptureBufferCount * kPiecesPerBlock;
// How often a failed input device is tried again.
inline constexpr double kReopenSeconds = 2.0;
// An outage ends only after a second of sound: a stream that comes back and fails again within
// it (a sound server still starting on a busy machine) is the same outage, told once.
inline constexpr int kBlocksThatEndAnOutage = 10;
// Room for one piece of stereo frames.
inline constexpr int kCaptureBufferSamples = 2 * kPieceFrames;

class CaptureThread final : public CommandThread<CaptureCommand> {
  public:
    CaptureThread(CaptureStore& store, DeviceFactory& devices, Notifier& notifier);
    ~CaptureThread() override;

    void SetPlayerStatus(const PlayerStatus* player);
    void SetPlaybackMonitor(PlaybackMonitor* monitor);
    void SetBlockRecorder(BlockRecorder* recorder);
    void SetObserver(CaptureObserver* observer);
    void SetPieceListener(PieceListener* listener);

    bool IsOpen() const { return isOpen_.load(std::memory_order_acquire) != 0; }
    int Channels() const { return channels_.load(std::memory_order_relaxed); }
    // No input: the device could not be opened or its stream failed, and no block has arrived
    // since.
    bool InputLost() const { return inputLost_.load(std::memory_order_relaxed); }
    // Blocks' worth of input lost because every buffer was full (rounded up), since the start.
    uint64_t DroppedBlocks() const { return droppedBlocks_.load(std::memory_order_relaxed); }
    // Input the sound system lost before it reached the device, since the start.
    uint64_t Overruns() const { return overruns_.load(std::memory_order_relaxed); }

    // Sets the format and the headers for `channelCount` (1 or 2; anything else counts as 1) so
    // that every buffer holds exactly one piece. Does nothing while open.
    void Configure(int channelCount);
    // Opens the default input device and starts capturing into both buffers. A failure shows
    // the device error box and leaves the device closed until the next Open().
    void Open();
    // Stops capturing, takes the buffers back and closes the device.
    void Close();

  protected:
    const char* threadName() const override { return "capture"; }
    void onStart() override;
    void handle(CaptureCommand& command) override;
    void onExit() override;
    void onTick() override;
    // The ticks count losses and reopen a lost input, which has no device open meanwhile.
    bool ticksWithoutDevice() const override { return true; }

  private:
    void HandlePiece(const DeviceEvent& event);
    // Ten pieces make a block: the monitor, the observer, the store and the recorder.
    void HandleBlock(int channels);
    void HandleDeviceFailure(const DeviceEvent& event);
    // The device failed (code) or could not be opened: error box once, close, try again later.
    void LoseInput(DeviceResult code);
    void CountLosses();

    CaptureStore& store_;
    DeviceFactory& devices_;
    Notifier& notifier_;

    std::atomic<int32_t> channels_{1};
    std::atomic<int32_t> isOpen_{0};
    std::atomic<bool> inputLost_{false};
    std::atomic<uint64_t> droppedBlocks_{0};
    std::atomic<uint64_t> overruns_{0};
    // Capture thread only.
    double retakeAt_ = 0.0;            // when to look next whether a missing chosen input is back
    int nextBuffer_ = 0;               // the buffer that fills next: pieces go out in this order
    int piecesInBlock_ = 0;            // pieces of the block being gathered
    double blockTime_ = 0.0;           // when its first piece was captured
    bool lossShown_ = false;           // the error box of the current loss has been shown
    int blocksSinceLoss_ = 0;          // blocks captured since the last loss
    double reopenAt_ = 0.0;            // steady seconds of the next try while the input is lost
    uint64_t droppedFramesTotal_ = 0;  // of the devices closed before, and the current one's
    uint64_t droppedFramesDevice_ = 0;
    uint64_t overrunsDevice_ = 0;
    WaveFormat format_{};
    std::array<WaveHeader, kCapturePieceCount> headers_;
    std::array<std::array<int16_t, kCaptureBufferSamples>, kCapturePieceCount> buffers_{};
    std::array<int16_t, 2 * kBlockFrames> block_{};  // the block being gathered
    // After the buffers, so that it goes first.
    std::unique_ptr<WaveDevice> device_;

    std::atomic<const PlayerStatus*> player_{nullptr};
    std::atomic<PlaybackMonitor*> monitor_{nullptr};
    std::atomic<BlockRecorder*> recorder_{nullptr};
    std::atomic<CaptureObserver*> observer_{nullptr};
    std::atomic<PieceListener*> pieceListener_{nullptr};
};

}  // namespace tonavise
