// ToneThread: the worker thread that sounds the reference tone (any key of the key table,
// A4 by default) or the metronome, one at a time, as a double-buffered stream of half-second
// buffers through the default output device (16-bit mono, 44100 Hz). A drone (a key with its
// pure fifth) is the exception: it sounds under the metronome, mixed into the same buffers, and
// goes on when the metronome starts or stops; the tone replaces it.
//
// The tone is synthesised buffer by buffer with a phase that is never reset, so it continues
// across buffers and across stops and starts. The metronome is rendered once into a loop of
// whole measures (at most 32 s: a bar of 16 beats at 30 a minute) from the practice controls'
// tempo and meter and copied out buffer by buffer.
//
// The count-in for the recorder (StartCountIn) plays the first bar of the loop from its start,
// then silence; once the bar's end has reached the output (looked at every tick) the output
// stops and the recorder receives RecordOn. CancelCountIn stops a count-in and sends the
// recorder RecordOff, after any RecordOn it sent, so a Stop during the count-in never leaves
// the recorder on. Any other start or stop ends a count-in without recording.
//
// Commands (ToneCommand): RebuildMetronome, ToggleMetronome, StopMetronome, StopOutput,
// StartTone (the key index), and the device's reports: a buffer played (refill it), the stream
// failed (the device error box, then as StopOutput); quit() ends. A stream that will not start
// shows the device error box and leaves the output closed. A stream whose chosen
// device went away goes on at once on the default, and moves back when the device is back.
//
// The loop holds the controls' subdivision (1..4 clicks a beat): quieter sub-clicks evenly between
// the beats. HeardBeat() tells which beat of the bar is being heard, worked out from the output
// device's play position (what has reached the output), for the visual beat.
//
// Threads: everything runs on the output thread, or on the creating thread before start() and
// after join() (the tests call the operations directly that way). IsTonePlaying(),
// IsMetronomePlaying() and HeardBeat() may be called from any thread; the first two may lag one
// command behind.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>

#include "engine/core/SeqlockRing.h"
#include "engine/device/DeviceStandIn.h"
#include "engine/device/SoundDevice.h"
#include "engine/dsp/Metronome.h"
#include "engine/live/LiveState.h"
#include "engine/live/WorkerCommands.h"
#include "engine/live/WorkerThread.h"

namespace tonavise {

struct PracticeControls;
class KeyTable;
class Notifier;

inline constexpr int kOutputBufferSamples = 22050;  // 0.5 s
// The longest bar: 16 beats at 20 a minute.
inline constexpr int kMetronomeLoopSamples = kMaxMeterBeats * 3 * 44100;  // 48 s
// Silence before a start's first click: a sound server that mixes a new stream into sound it
// has already rendered drops the stream's first few milliseconds (5-6 ms measured), and the
// first click keeps its attack when they are silence.
inline constexpr int32_t kStartLeadSamples = 441;  // 10 ms
inline constexpr int32_t kModeTone = 0;
inline constexpr int32_t kModeMetronome = 1;
inline constexpr int32_t kModeDroneOnly = 2;  // neither tone nor metronome: the drone alone
// Each of the drone's two voices at this amplitude (the tone's timbre, peak about 0.95), the
// metronome's clicks under it at this share.
inline constexpr double kDroneGain = 7000.0;
inline constexpr double kDroneClickShare = 0.6;

class ToneThread final : public CommandThread<ToneCommand> {
  public:
    ToneThread(PracticeControls& controls,
               const KeyTable& keyTable,
               DeviceFactory& devices,
               Notifier& notifier);
    ~ToneThread() override;

    bool IsTonePlaying() const;
    bool IsMetronomePlaying() const;
    bool IsDronePlaying() const;
    // Before start(): the recorder thread that a count-in starts (null: a count-in records
    // nothing).
    void SetCountInTarget(CommandThread<RecorderCommand>* recorder) { countInTarget_ = recorder; }
    // Any thread: a count-in was asked for and has not ended. The sender marks it before it
    // sends StartCountIn, so that a Stop right after it knows to cancel it.
    bool countingIn() const { return countInAsked_.load(std::memory_order_acquire); }
    void MarkCountInPosted() { countInAsked_.store(true, std::memory_order_release); }
    // Any thread: the beat of the bar that is reaching the output now.
    HeardBeat CurrentHeardBeat() const;

    // Thread start: format, headers, the loop's memory, the first loop, tone mode.
    void InitInstance();
    // Thread end: StopOutput and the device is released.
    void ExitInstance();

    // Renders one bar from the controls' tempo (clamped to the range and written back), meter
    // (or rhythm), subdivision, swing, voice and volume. The play position is kept unless the
    // new bar is too short for it.
    void BuildMetronomeLoop();
    // Fills buffer k (0 or 1) with the next half second of the tone or of the loop; silence in
    // any other mode; nothing while the output is closed.
    void FillBuffer(int k);
    // Opens the device and queues both buffers, already filled. A failure shows the device
    // error box and leaves the output closed.
    void OpenOutput();
    // Stops at once, closes the device and silences both buffers.
    void StopOutput();

    // State, for the owner of the thread while it does not run and for tests.
    int32_t mode() const { return mode_.load(std::memory_order_relaxed); }
    // Any thread: the key of the tone last started.
    int noteIndex() const { return noteIndex_.load(std::memory_order_relaxed); }
    double phase() const { return phase_; }
    int32_t loopLength() const { return loopLength_; }
    int32_t loopPosition() const { return loopPosition_; }
    void SetLoopPosition(int32_t position) { loopPosition_ = position; }
    std::span<const int16_t> metronomeLoop() const;
    std::span<const int16_t> buffer(int k) const { return buffers_[k]; }

    // The thread handles every message here; while it does not run, the owner (or a test) may
    // call it directly.
    void handle(ToneCommand& command) override;

    // The count-in's watch: when the bar has been heard, the recording starts. Called by the
    // thread between messages; a test may call it directly while the thread does not run.
    void onTick() override;

  protected:
    const char* threadName() const override { return "output"; }
    void onStart() override;
    void onExit() override;

  private:
    // Which loop position buffer data from stream sample `streamSample` on came from, and the
    // loop's beat layout then: the visual beat maps the play position through the newest record
    // at or before it. Written by the output thread, read by CurrentHeardBeat() on any thread.
    struct FillRecord {
        int64_t streamSample = 0;
        int32_t loopPosition = 0;
        int32_t loopLength = 1;
        int32_t beatLength = 1;
        int32_t beats = 0;
    };
    // A record at every buffer and at every change of the bar within one (the trainer's).
    static constexpr std::size_t kFillRecords = 8;

    void OnDone();
    void HandleDeviceFailure(const DeviceEvent& event);
    // The key's tone, or `hz` where it is above 0.
    void StartTone(int key, double hz = 0.0);
    void StartDrone(int key, double hz);
    void StopDrone();
    // The metronome stops; a drone goes on alone.
    void StopMetronome();
    // Closes and opens the output again, so that a change is heard at once rather than after
    // the second of sound already queued.
    void RestartOutput();
    // Mixes the drone into n samples at out (the clicks, or silence), clipping at full scale.
    void MixDrone(int16_t* out, int n);
    void ToggleMetronome();
    // The first bar: the trainer starts from the controls' tempo, the muted bars count from here.
    void StartBars();
    void EndBar();
    void StartCountIn();
    // Ends a count-in; the recorder gets `then` (nothing when it is empty).
    void EndCountIn(std::optional<RecorderCommand> then);

    PracticeControls& controls_;
    const KeyTable& keyTable_;
    DeviceFactory& devices_;
    StandInWatch standIn_{devices_, DeviceDirection::Output};
    Notifier& notifier_;

    std::atomic<int32_t> mode_{kModeTone};
    std::array<std::array<int16_t, kOutputBufferSamples>, 2> buffers_{};
    std::array<WaveHeader, 2> headers_;
    // Declared after the buffers so that it goes first: a device still open gives its
    // buffers back when it is destroyed.
    std::unique_ptr<WaveDevice> waveOut_;
    WaveFormat format_{};
    double phase_ = 0.0;
    std::atomic<int> noteIndex_{48};
    std::atomic<double> toneHz_{0.0};  // the tone's own pitch; 0: the key's
    std::atomic<bool> drone_{false};
    double droneHz_ = 440.0;
    double droneRootPhase_ = 0.0;
    double droneFifthPhase_ = 0.0;
    int32_t loopPosition_ = 0;
    int32_t loopLength_ = 4410;
    int32_t beatLength_ = 22050;
    int32_t beats_ = 1;
    int64_t barsDone_ = 0;  // bars filled since the start
    int32_t leadIn_ = 0;    // samples of the start's silence still to fill
    int64_t leadEnd_ = 0;   // the stream sample where the start's silence ends
    int32_t startTempo_ = 120;
    BarPlan plan_;
    int64_t filledSamples_ = 0;  // since the output opened
    SeqlockRing<FillRecord, kFillRecords> fills_;
    std::atomic<const WaveDevice*> heardDevice_{nullptr};
    CommandThread<RecorderCommand>* countInTarget_ = nullptr;
    std::atomic<bool> countInAsked_{false};
    bool countInActive_ = false;  // output thread: the count-in's bar is playing
    int64_t countInEnd_ = 0;      // stream samples of the count-in's bar
    std::unique_ptr<int16_t[]> metronomeLoop_;
    std::atomic<int32_t> outputOpen_{0};
};

}  // namespace tonavise
