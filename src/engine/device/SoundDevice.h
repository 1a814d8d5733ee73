// The sound device layer: wave input and output devices that fill or play buffers queued by
// their owner thread, in the order queued, and report every finished buffer to the owner's
// worker with one DeviceEvent.
//
// Contract (the same for every back end):
// - Open(format, owner) opens the device chosen in its factory (else the system's default) in
//   a PCM format (any rate, 1 or 2 channels, 8 or 16 bits). A failure returns a code whose
//   text ErrorText() gives. A chosen device that is not there opens the default instead (the
//   factory names it as missing).
// - Prepare(), Queue() hand a buffer to the device; it is filled (input) or played (output) in
//   turn. When a buffer is finished its header gets kHeaderDone and the owner receives exactly
//   one event Filled (input) or Played (output) with the header, in the order the buffers
//   finished. An output buffer is finished when its bytes have been
//   handed to the sound system, which still holds up to its latency of them.
// - When an output device has handed over its last queued byte and that byte has reached the
//   output (on the stream's clock), the owner receives one PlayedOut: the moment a
//   natural end may close the stream without cutting the sound still queued in the system.
// - A stream that fails (the back end reports its end, or no sound moves for the back end's
//   stall time) gives the owner one Failed; FailureCode() says why. The owner
//   closes the device.
// - Reset() stops at once (the stream is aborted, never drained), marks every queued buffer done
//   and gives its completion; an input device then needs Start() again, an output device starts
//   again with the next Queue(). Close() resets first, so it can neither hang nor leave a buffer
//   in the device; completions not yet taken are handed to the owner's deliverLater().
// - An output that is not running starts with the first Queue(), unless the owner called
//   HoldStart() first: then it starts at Start(), with everything queued meanwhile. A stream
//   that starts on its first buffer meets the sound system's first request with that buffer
//   alone and pads the rest of it with silence, a gap in sound that was still to come.
// - Pause() and Restart() hold and resume output; Position() is the number of bytes that have
//   reached the output, worked out from the stream's clock, not from counting callbacks.
//
// Threads: every method except Position(), IsOpen(), DroppedFrames(), Overruns() and
// FailureCode() is called on the owner thread, the one that receives the completions. The back
// end's audio thread only calls ProcessInput()/ProcessOutput(), and any back-end thread may call
// ReportFailure()/NoteOverrun(); none of them allocates, takes a lock or waits: completions are
// published with atomics and the owner is woken with DeviceOwner::wake().
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/core/AudioFormat.h"
#include "engine/core/SeqlockRing.h"
#include "engine/core/SteadyClock.h"
#include "engine/device/DeviceOwner.h"

namespace tonavise {

class Notifier;

// Results of device calls. 0 is success; the positive codes below are the device layer's own;
// a back end may return codes of its sound library (PortAudio's are negative).
using DeviceResult = int32_t;
inline constexpr DeviceResult kDeviceOk = 0;
inline constexpr DeviceResult kDeviceError = 1;
inline constexpr DeviceResult kDeviceAlreadyOpen = 4;
inline constexpr DeviceResult kDeviceNotOpen = 5;
inline constexpr DeviceResult kDeviceNoDriver = 6;
inline constexpr DeviceResult kDeviceInvalidParam = 11;
inline constexpr DeviceResult kDeviceBadFormat = 32;
inline constexpr DeviceResult kDeviceStillPlaying = 33;
inline constexpr DeviceResult kDeviceUnprepared = 34;
// A running stream stopped: the sound system ended it, or no sound moved for too long.
inline constexpr DeviceResult kDeviceStreamEnded = 40;
inline constexpr DeviceResult kDeviceNoSound = 41;

// The text of one of the device layer's own codes.
std::string_view DeviceResultText(DeviceResult code);

// Header flags.
inline constexpr uint32_t kHeaderDone = 0x01;      // set by the device when the buffer is finished
inline constexpr uint32_t kHeaderPrepared = 0x02;  // set by Prepare(), cleared by Unprepare()
inline constexpr uint32_t kHeaderInQueue = 0x10;   // between Queue() and completion

// Output data that another thread rewrites while the device plays it (the signal generator):
// two copies of the bytes, and the device always reads the one published last. The writer
// waits, never the audio thread: before it writes a copy it waits until no read of that copy
// is in progress (a read is one callback's memcpy).
//
// Threads: BeginRead/EndRead on the audio thread (one reader); WriteCopy/Publish on one writer
// at a time.
class SharedPlayData {
  public:
    SharedPlayData(uint8_t* first, uint8_t* second) : copies_{first, second} {}
    SharedPlayData(const SharedPlayData&) = delete;
    SharedPlayData& operator=(const SharedPlayData&) = delete;

    // Audio thread: the copy to read now, held until EndRead().
    const uint8_t* BeginRead() noexcept;
    void EndRead() noexcept;

    // Writer: the copy that is not published, once no read of it is in progress.
    uint8_t* WriteCopy();
    // Writer: the copy is complete; reads from now on take it.
    void Publish();
    // The published copy, for reading by the writer's side.
    const uint8_t* Published() const;

  private:
    static constexpr uint32_t kPublished = 1;  // index of the published copy
    static constexpr uint32_t kReading = 2;    // a read is in progress

    std::array<uint8_t*, 2> copies_;
    std::atomic<uint32_t> state_{0};
    std::atomic<uint32_t> readsEnded_{0};
    // The writer's note: a read may still hold the copy it is about to write.
    bool readMayHoldBack_ = false;
    uint32_t readsEndedAtPublish_ = 0;
};

// One buffer handed to a device. The owner keeps the header and its data alive while it is
// prepared. `flags` and `bytesRecorded` are written by the device's audio thread; a set
// kHeaderDone (read with IsDone(), an acquire) makes the buffer's data visible to the owner.
struct WaveHeader {
    uint8_t* data = nullptr;
    uint32_t bufferLength = 0;               // bytes
    std::atomic<uint32_t> bytesRecorded{0};  // input: bytes filled when done
    std::atomic<uint32_t> flags{0};
    uintptr_t user = 0;
    // Optional, output only: the bytes come from this double buffer instead of `data`.
    SharedPlayData* shared = nullptr;
    // Steady-clock seconds (SteadySeconds()) at which the first byte was captured (input; at
    // the latest, since a back end may only know when it received the sound) or is due at the
    // output (output, as far as the sound system reports its delay).
    std::atomic<double> timeStamp{0.0};

    WaveHeader() = default;
    WaveHeader(const WaveHeader&) = delete;
    WaveHeader& operator=(const WaveHeader&) = delete;

    // Points the header at a buffer: recorded length 0, user value 0, flags 0.
    void Describe(void* buffer, uint32_t length);
    bool IsDone() const { return (flags.load(std::memory_order_acquire) & kHeaderDone) != 0; }
};

enum class DeviceDirection { Input, Output };

class WaveDevice : public CompletionSource {
  public:
    explicit WaveDevice(DeviceDirection direction);
    // Back ends call Close() in their own destructor.
    virtual ~WaveDevice();
    WaveDevice(const WaveDevice&) = delete;
    WaveDevice& operator=(const WaveDevice&) = delete;

    DeviceDirection direction() const { return direction_; }
    bool IsOpen() const { return open_.load(std::memory_order_acquire); }
    const WaveFormat& format() const { return format_; }

    // Opens the chosen (else the default) device. `owner` receives the completions until Close().
    DeviceResult Open(const WaveFormat& format, DeviceOwner& owner);
    DeviceResult Close();

    DeviceResult Prepare(WaveHeader& header);
    DeviceResult Unprepare(WaveHeader& header);  // kDeviceStillPlaying while queued
    // Appends a prepared buffer (clears its done flag). An output device starts playing, unless
    // its start is held.
    DeviceResult Queue(WaveHeader& header);
    // Output: the stream, if not running, starts at the next Start() rather than at a Queue().
    // Until the next Open().
    DeviceResult HoldStart();
    // Input: starts capturing into the queued buffers. Output: ends a HoldStart() and starts
    // playing what is queued.
    DeviceResult Start();
    DeviceResult Reset();
    // Output: holds playback (the device plays silence and keeps its buffers) until Restart().
    DeviceResult Pause();
    DeviceResult Restart();
    // Output of 16-bit sound, while it runs: the same, but the sound fades out over the next
    // `fadeFrames` frames handed to the sound system before the silence, and fades in again
    // after it. Other formats, or a stream not running, pause and restart at once.
    DeviceResult Pause(int fadeFrames);
    DeviceResult Restart(int fadeFrames);
    // Output of 16-bit sound, while it runs: the sound fades out over the next `frames` frames
    // handed to the sound system and ends there; the buffers still queued are given back
    // unplayed, and PlayedOut is reported once the faded end has been heard. A stop that does
    // not click, heard as soon as the sound system's own buffer allows. kDeviceInvalidParam
    // (nothing changed) for other formats or a stream not running.
    DeviceResult FadeOutAndEnd(int frames);
    // The same, the fade beginning once the sound handed over reaches byte `fromByte` (counted
    // as Position() counts); until then the sound plays as it is. A byte already passed fades
    // at once.
    DeviceResult FadeOutAndEnd(int frames, int64_t fromByte);

    // Output: bytes that have reached the output since the open or the last reset, from the
    // stream's clock. Input: bytes captured. Any thread.
    int64_t Position() const;

    // Input frames that arrived while no buffer was queued (they are lost). Any thread.
    uint64_t DroppedFrames() const { return droppedFrames_.load(std::memory_order_relaxed); }
    // Times the sound system reported lost input (an overrun before the sound reached us).
    uint64_t Overruns() const { return overruns_.load(std::memory_order_relaxed); }
    // Why the stream failed (kDeviceOk while it has not). Any thread.
    DeviceResult FailureCode() const { return failure_.load(std::memory_order_acquire); }

    // Owner thread (its worker loop): CompletionSource.
    bool TakeCompletion(DeviceEvent& event, uint64_t handledPosts) override;
    void CheckAlive(double steadyNow) override;

    // The text for a code returned by this device, for the device error box.
    virtual std::string ErrorText(DeviceResult code) const;

    // Queued buffers not yet finished (owner thread).
    int QueuedCount() const;

  protected:
    // Back-end hooks, called on the owner thread.
    virtual DeviceResult BackendOpen(const WaveFormat& format) = 0;
    // From now on the audio thread calls ProcessInput/ProcessOutput.
    virtual DeviceResult BackendStart() = 0;
    // Stops the audio thread at once. When it returns, no Process call runs or will run until
    // the next BackendStart, and everything the audio thread wrote is visible.
    virtual void BackendStop() = 0;
    virtual void BackendClose() = 0;
    // Now, on the clock of the dacTime values given to ProcessOutput.
    virtual double BackendStreamTime() const = 0;
    // A buffer was queued, or the device's state changed (the virtual back end wakes its waiters).
    virtual void BackendNotify() {}
    // Seconds without a callback after which a running stream counts as dead (0: never), and
    // how long after its start a stream is not watched (its first sound may take that long).
    virtual double BackendStallSeconds() const { return 0.0; }
    virtual double BackendFirstSoundSeconds() const { return 0.0; }

    // Audio thread: `bytes` captured bytes (whole frames), the first one captured at
    // `adcSteady` (steady seconds).
    void ProcessInput(const uint8_t* in, std::size_t bytes, double adcSteady);
    // Audio thread: fill `bytes` bytes of output; the first reaches the output at `dacTime` on
    // the stream's clock (steady seconds: `dacSteady`); `nowTime` is the stream's clock now.
    void ProcessOutput(
        uint8_t* out, std::size_t bytes, double dacTime, double dacSteady, double nowTime);
    // Any back-end thread: the stream ended by itself or failed. The first report counts.
    void ReportFailure(DeviceResult code) noexcept;
    // Any back-end thread: the sound system lost input before it reached the callback.
    void NoteOverrun() noexcept { overruns_.fetch_add(1, std::memory_order_relaxed); }

    // Audio thread (or owner while stopped): bytes still missing from the front buffer, or 0
    // when nothing is queued.
    std::size_t FrontBytesRemaining() const;
    // Audio thread (or owner while stopped): bytes the queued buffers can still take or give.
    std::size_t QueuedBytesRemaining() const;
    bool IsPaused() const { return paused_.load(std::memory_order_relaxed); }
    bool IsRunning() const { return running_.load(std::memory_order_acquire); }

  private:
    static constexpr std::size_t kQueueCapacity = 128;
    static constexpr std::size_t kRecordCount = 64;

    // Where the output stood at one moment: from dacTime on, `byteCount` bytes of buffer data
    // starting at `startByte` were played (then silence until the next record).
    struct PositionRecord {
        double dacTime = 0.0;
        int64_t startByte = 0;
        int64_t byteCount = 0;
    };

    // How the sound handed over is shaped: as it is, fading in, fading out to the pause, or
    // fading out to the end of the sound.
    enum class Fade : uint32_t { None = 0, In = 1, OutToPause = 2, OutToEnd = 3 };
    // Owner thread: asks the audio thread for a fade (taken at its next hand-over).
    void RequestFade(Fade fade, int frames, int64_t fromByte = 0);
    // Audio thread: the fade of `frames` frames just copied to `out`; at the end of a fade out,
    // the pause or the end it leads to.
    void ShapeFade(uint8_t* out, std::size_t frames);

    WaveHeader* Front() const;
    void PopAndComplete(WaveHeader* header, uint32_t bytes);
    void WakeOwner() noexcept;
    uint64_t OwnerStamp() const noexcept;
    void DrainQueue();
    void PostUndelivered();
    DeviceResult StartIfIdle();

    const DeviceDirection direction_;
    WaveFormat format_{};
    std::atomic<DeviceOwner*> owner_{nullptr};
    std::atomic<bool> open_{false};
    std::atomic<bool> running_{false};  // written on the owner thread
    std::atomic<bool> paused_{false};
    bool startHeld_ = false;  // owner thread
    // A fade asked for and not yet taken: the kind in the high half, the frames in the low.
    std::atomic<uint64_t> fadeRequest_{0};
    // The fade under way: written by the audio thread (by the owner only while it is stopped).
    std::atomic<Fade> fade_{Fade::None};
    std::atomic<uint32_t> fadeLength_{0};
    std::atomic<uint32_t> fadeDone_{0};
    // Where a fade asked for begins (bytes handed over; 0: at once), set before the request is
    // published, and (audio thread) where the fade under way begins.
    std::atomic<int64_t> fadeFromRequest_{0};
    int64_t fadeFrom_ = 0;

    // Ring of queued headers. The owner publishes a slot with a release store of tail; the
    // audio thread finishes the front one with a release store of head; the owner's worker
    // delivers finished ones, oldest first, by advancing delivered (a compare-exchange, so that
    // a Close on another thread and the worker never deliver one twice). A slot is reused only
    // after its completion was delivered: [delivered, head) are finished, [head, tail) queued.
    std::array<std::atomic<WaveHeader*>, kQueueCapacity> ring_{};
    // The owner's postStamp() when each slot's buffer finished.
    std::array<std::atomic<uint64_t>, kQueueCapacity> stamps_{};
    std::atomic<std::size_t> delivered_{0};
    std::atomic<std::size_t> head_{0};
    std::atomic<std::size_t> tail_{0};
    std::atomic<std::size_t> frontOffset_{0};  // bytes of the front buffer already done

    std::atomic<int64_t> processedBytes_{0};  // captured, or taken from buffers for output
    std::atomic<uint64_t> droppedFrames_{0};
    std::atomic<uint64_t> overruns_{0};

    // Output: when the last byte handed over reaches the output (stream clock), whether it has
    // not been reported yet, and the report waiting for the owner.
    std::atomic<double> soundEnd_{0.0};
    std::atomic<bool> unheard_{false};
    std::atomic<bool> playedOut_{false};
    std::atomic<uint64_t> playedOutStamp_{0};

    // Failure: the first reported code, and whether the owner has been told.
    std::atomic<DeviceResult> failure_{kDeviceOk};
    std::atomic<bool> failureDelivered_{false};
    // The stall watch: callbacks so far, and (owner's worker) the count and time last seen.
    std::atomic<uint64_t> callbacks_{0};
    std::atomic<uint64_t> watchedCallbacks_{0};
    std::atomic<double> watchedSince_{0.0};
    std::atomic<double> startedAt_{0.0};  // steady seconds of the stream's start

    // Written by the audio thread (by the owner while it is stopped), read by Position().
    SeqlockRing<PositionRecord, kRecordCount> records_;
};

// What a stream is for. A sound server shows the stream by its name (StreamName) in the
// desktop's volume control.
enum class StreamRole { Microphone, ReferenceTone, Player, Recorder, SignalGenerator };
std::string_view StreamName(StreamRole role);

// One device of the sound system: its name, by which it is chosen and stored, and the
// description the server gives for people ("Monitor of …" for an output's monitor).
struct SoundDeviceInfo {
    std::string name;
    std::string description;
    bool isDefault = false;
};

// Makes the devices of one sound system, opened on the device chosen for their direction.
//
// Threads: Create on the thread that will own the device; ChooseDevice, ChosenDevice and
// MissingDevice on any thread (a short lock, never on an audio thread); Devices on any thread
// but an audio thread (it may ask the sound server and wait for its answer).
class DeviceFactory {
  public:
    virtual ~DeviceFactory() = default;
    // A closed device of the given direction; the caller owns it.
    virtual std::unique_ptr<WaveDevice> Create(DeviceDirection direction, StreamRole role) = 0;

    // The devices the sound system offers in `direction`, empty when the back end only knows
    // the system's default.
    virtual std::vector<SoundDeviceInfo> Devices(DeviceDirection direction) {
        (void)direction;
        return {};
    }
    // The back end's name for messages ("PulseAudio", "PortAudio", "virtual").
    virtual std::string_view BackendName() const = 0;

    // The device that later opens in `direction` use, by its name; empty: the system's
    // default. Forgets an earlier missing device of that direction.
    void ChooseDevice(DeviceDirection direction, std::string name);
    std::string ChosenDevice(DeviceDirection direction) const;
    // The chosen device that was not there at the last open in `direction` (that open used the
    // default instead); empty when the chosen device opened or none was chosen.
    std::string MissingDevice(DeviceDirection direction) const;
    // What people call a device: the description the sound system gave when it was last seen
    // (listed or opened), else its name. Reads no device list: any thread, a timer included.
    std::string Description(const std::string& name) const;
    // The description of the device that the last open in `direction` used, as far as the back
    // end knows it (empty: it does not say).
    std::string OpenedDescription(DeviceDirection direction) const;

    // Whether the device `name` of `direction` is there now (it may ask the sound system).
    // Not on an audio thread. A back end that lists no devices says false.
    virtual bool IsPresent(DeviceDirection direction, const std::string& name);

    // After a stream of `direction` died: whether it died because its chosen device went away
    // (unplugged, or its module unloaded) while the sound system still answers. Its owner then
    // reopens at once, and the open stands the default in for it. Not on an audio thread.
    bool ChosenIsGone(DeviceDirection direction);
    // Whether the chosen device is there, asked by an owner whose stream the default stands in
    // on, so that it takes the chosen one again. Asks the sound system: at most every couple of
    // seconds, not on an audio thread.
    bool ChosenIsBack(DeviceDirection direction);

  protected:
    // Back ends, at an open: whether the chosen device was found.
    void NoteMissing(DeviceDirection direction, const std::string& name);
    // Back ends: a device's description, seen in a list or at an open, and the device an open
    // used.
    void NoteDescription(const std::string& name, const std::string& description);
    void NoteOpened(DeviceDirection direction, const std::string& description);

  private:
    mutable std::mutex mutex_;
    std::array<std::string, 2> chosen_;
    std::array<std::string, 2> missing_;
    std::array<std::string, 2> opened_;
    std::vector<std::pair<std::string, std::string>> descriptions_;  // name, description
};

// The device error box: caption "Alert", text "Error = 0x%08x, : %s" with the code and the
// device's text for it (at most 256 characters).
inline constexpr std::string_view kDeviceErrorCaption = "Alert";
std::string DeviceErrorText(DeviceResult code, std::string_view deviceText);
void ShowDeviceError(Notifier& notifier, const WaveDevice& device, DeviceResult code);

}  // namespace tonavise
