// The file player: a thread with a command queue (PlayerCommand) that loads a WAV or MP3 file,
// plays it from a given offset through the default output device, pauses, resumes and stops, and
// while it plays feeds the capture store with the 100 ms of sound at its play position, so that the
// scope and the analysis show the file instead of the microphone. For practice it plays slower or
// faster without changing the pitch, transposed without changing the speed, and loops between two
// points (PracticeStream); the feed takes the sound as it is heard.
//
// The sound is rendered on this thread into a few short buffers that the device plays in turn,
// each refilled as it comes back; nothing is allocated per buffer. The play position is the
// file position of what is being heard (the output's clock, mapped back through the speed and
// the loop), not what has been handed to the sound system. While it plays (and while it is
// paused) the thread feeds the store by itself, one block every 100 ms on its own timer, and
// reports the position to the listener of the open file each time. At the natural end the play
// goes on until the sound the system still holds has been heard (the device's PlayedOut), then
// stops; Stop fades the sound out over 5 ms and ends the play once that has been heard (a
// Play sent meanwhile starts then). A device that cannot be opened or started, or whose stream
// dies, shows the device error box; a play whose stream died ends as if Stop had been pressed,
// except when its chosen device went away: then it goes on at once on the default, from where it
// was heard, and moves back when the device is back.
//
// Threads: commands from any thread; the handlers and the device run on this thread. The
// accessors (IsLoaded, IsPlaying, IsPaused, ChannelCount, Length) may be read by any thread.
#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/audiofile/FileLoading.h"
#include "engine/audiofile/LoadedClip.h"
#include "engine/audiofile/PracticeStream.h"
#include "engine/audiofile/ScopeFeed.h"
#include "engine/device/DeviceStandIn.h"
#include "engine/device/SoundDevice.h"
#include "engine/live/AnalysisThread.h"
#include "engine/live/CaptureThread.h"
#include "engine/live/LiveState.h"
#include "engine/live/WorkerCommands.h"
#include "engine/live/WorkerThread.h"

namespace tonavise {

class CaptureStore;
class Notifier;

class PlayerThread final : public CommandThread<PlayerCommand>, public PlayerStatus {
  public:
    // The buffers of about 50 ms each kept with the device: 0.3 s of sound rendered ahead.
    static constexpr int kPlayBuffers = 6;

    // How the store is fed while a file plays: by the thread's own 100 ms timer, or only by
    // FeedScope commands (for tests that step a virtual device and look at each block).
    enum class FeedTiming { OwnTimer, OnlyWhenAsked };
    // The interval of the own timer: one block.
    static constexpr std::chrono::milliseconds kFeedInterval{100};
    // The longest a stop's fade out may wait to be heard before the play ends anyway.
    static constexpr std::chrono::milliseconds kStopFadeLimit{1000};

    PlayerThread(CaptureStore& store,
                 DeviceFactory& devices,
                 Notifier& notifier,
                 FeedTiming feedTiming = FeedTiming::OwnTimer);
    ~PlayerThread() override;

    // The tuner's analysis hears the playing file's blocks as it hears the microphone's
    // pieces (null: nobody). Any thread; the listener must outlive the link.
    void SetPieceListener(PieceListener* listener) {
        pieceListener_.store(listener, std::memory_order_release);
    }

    // Sending helpers (any thread).
    bool PostOpen(std::string path, PlayerListener* notify);
    bool PostPlay(int64_t startOffset);
    bool PostFeed(PlayerListener* listener);
    bool PostReportPosition(PlayerListener* listener);
    // The practice settings: speed in percent (50..150) and transpose in semitones (-12..12),
    // both clamped, kept for every later play and file; the loop's ends in bytes of the loaded
    // file (a < 0 clears it; a loop shorter than kMinLoopSeconds or outside the file is
    // ignored), kept until another file opens.
    bool PostSpeed(int percent);
    bool PostTranspose(int semitones);
    bool PostLoop(int64_t a, int64_t b);

    bool IsLoaded() const { return kind_.load(std::memory_order_relaxed) != LoadedKind::None; }
    bool IsPlaying() const override {
        return standIn_.Held([this] { return playing_.load(std::memory_order_relaxed); });
    }
    bool IsPaused() const { return paused_.load(std::memory_order_relaxed); }
    int ChannelCount() const override { return channels_.load(std::memory_order_relaxed); }
    int32_t Length() const { return length_.load(std::memory_order_relaxed); }
    // Bytes of the loaded data per second of sound; 0 when nothing is loaded.
    int64_t BytesPerSecond() const { return bytesPerSecond_.load(std::memory_order_relaxed); }
    // The speed of the sound rendered last, in percent (the trainer raises it pass by pass).
    int SpeedPercent() const { return speedPercent_.load(std::memory_order_relaxed); }

  protected:
    const char* threadName() const override { return "player"; }
    void handle(PlayerCommand& command) override;
    void onExit() override;
    void onTick() override;
    std::chrono::steady_clock::time_point dueAt() const override;
    void onDue() override;

  private:
    bool Sounding() const { return playing_.load(std::memory_order_relaxed); }
    void Open(const player::Open& open);
    void Play(int64_t requestedOffset);
    // Stops at once: the sound is cut (a new file, the end of the program, a device move).
    void Stop();
    // The user's stop: the sound fades out over 5 ms and the play ends once that has been heard
    // (FadeOutAndEnd); a Play that comes meanwhile starts then. At once when paused.
    void FadeOutAndStop();
    void EndFadedStop();
    int FadeFrames() const;
    void Pause();
    void Resume();
    void EndOfBuffer(const DeviceEvent& event);
    void PlayedOut(const DeviceEvent& event);
    void DeviceFailed(const DeviceEvent& event);
    void PlayOnAnotherDevice();
    // The play ends: position 0 reported, the device closed.
    void Finish();
    // Whether a device report comes from the device now playing.
    bool FromDevice(const DeviceEvent& event) const;
    // Reports the position to `listener` (when given) and hands the store the block heard now.
    void Feed(PlayerListener* listener);
    void SetLoop(const player::SetLoop& loop);
    // Renders the next part of the sound into `header` and queues it; false at the end.
    bool Refill(WaveHeader& header);
    bool RenderInto(WaveHeader& header);
    bool QueueHeader(WaveHeader& header);
    void Release();
    // The output frame of the practice stream being heard now (the lead's silence not counted).
    int64_t HeardOutputFrame() const;
    // The byte offset into the data now playing; 0 when not playing.
    int64_t PlayPosition() const;

    CaptureStore& store_;
    DeviceFactory& devices_;
    StandInWatch standIn_{devices_, DeviceDirection::Output};
    Notifier& notifier_;
    const FeedTiming feedTiming_;
    std::atomic<PieceListener*> pieceListener_{nullptr};

    // This thread only.
    std::chrono::steady_clock::time_point nextFeed_ = kNever;  // the own timer's next feed
    LoadedClip clip_;
    PracticeStream stream_;  // what the device plays of clip_
    PlayerListener* notify_ = nullptr;
    std::unique_ptr<WaveDevice> device_;
    std::array<WaveHeader, kPlayBuffers> headers_;
    std::vector<int16_t> buffers_;  // kPlayBuffers buffers of bufferFrames_ frames
    int bufferFrames_ = 0;
    int leadFrames_ = 0;     // the 10 ms of silence each play starts with
    int leadLeft_ = 0;       // of it, not yet rendered
    int queued_ = 0;         // buffers with the device
    bool rendered_ = false;  // the stream has been rendered to its end
    WaveFormat deviceFormat_{};
    FeedBlock feed_{};
    int64_t nextStreamSample_ = -1;  // where the last feed ended, in the 44100 Hz feed stream

    std::atomic<LoadedKind> kind_{LoadedKind::None};
    std::atomic<bool> playing_{false};
    std::atomic<bool> paused_{false};
    std::atomic<int> channels_{0};
    std::atomic<int32_t> length_{0};
    std::atomic<int64_t> bytesPerSecond_{0};
    std::atomic<int> speedPercent_{100};
    int64_t startOffset_ = 0;
    bool ending_ = false;        // every byte handed over; waiting for it to be heard
    bool stopping_ = false;      // a stop fades out; waiting for it to be heard
    int64_t pendingPlay_ = -1;   // the offset of a Play that came while stopping
    bool pausePending_ = false;  // and a Pause after it
    bool jumpingToA_ = false;    // the stop ends a pass at a B set late; A follows
    std::chrono::steady_clock::time_point stopDeadline_{};
    DeviceResult queueError_ = kDeviceOk;  // why the last Refill could not queue
};

}  // namespace tonavise
