// The live engine: the process-wide objects of the sound path (capture store, practice
// controls, recording store, pitch table, transform) and the threads that move sound through
// them: capture, reference tone and metronome output, file player, recorder, and the analysis.
// It knows which thread reads which (the capture thread asks the player whether a file plays,
// lets the recorder's playback replace what it captured and hands every block to the recording
// store; the analysis asks the player too), starts them in that order and stops them all
// together.
//
// The program's windows and the command-line tool drive the sound through this one class only:
// commands (which send the workers' typed commands) and read-only snapshots of what the workers
// are doing. A change of the wiring is made once; no window or tool command holds a worker.
// The signal generator is an optional part, opened while its dialog or `generate` runs.
//
// Threads: Start, Stop and the commands from the owner's thread (the user-interface thread in
// the program). The commands only send, so they never wait for a worker thread; the snapshots
// read the workers' atomics and may be taken from any thread.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "engine/core/UiLanguage.h"
#include "engine/device/SignalBuffer.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/AnalysisThread.h"
#include "engine/live/CaptureStore.h"
#include "engine/live/LiveState.h"
#include "engine/live/PracticeControls.h"
#include "engine/live/RecordingStore.h"

namespace tonavise {

class PlayerThread;
class RecorderThread;
class CaptureThread;
class ToneThread;
class SignalThread;
class CaptureObserver;
class DeviceFactory;
class TunerAnalysis;
class Tuning;
class Notifier;

// Which threads of the live engine run. The file player always runs with the others: the
// capture and the analysis ask it whether a file plays, and it opens no device until it plays
// one.
struct LiveParts {
    bool capture = true;   // the microphone
    bool output = true;    // reference tone and metronome
    bool recorder = true;  // recording in memory and its playback
    bool analysis = true;  // spectrum and fundamental
};

// What the status bar shows about the microphone. All zero/false while capture does not run.
struct LiveInputState {
    bool noInput = false;        // the input could not be opened or its stream failed
    uint64_t droppedBlocks = 0;  // 100 ms blocks lost because the capture thread fell behind
    uint64_t overruns = 0;       // times the sound system lost input before it reached us
};

class LiveEngine {
  public:
    using Parts = LiveParts;

    explicit LiveEngine(Notifier& notifier);
    ~LiveEngine();
    LiveEngine(const LiveEngine&) = delete;
    LiveEngine& operator=(const LiveEngine&) = delete;

    // Makes the stores ready (histories zeroed, events reset) and starts the chosen threads on
    // `devices`: capture, output, player, recorder, then the analysis. Without devices only the
    // analysis runs (on whatever reaches the store). The observer, when given, sees every captured
    // block. False when the analysis could not get its memory; the other threads run then. Once
    // only until Stop().
    bool Start(DeviceFactory* devices,
               UiLanguage language,
               Parts parts = {},
               CaptureObserver* observer = nullptr);
    // Stops the analysis and the generator, asks every worker thread to end, then joins them
    // all (the capture thread reads the player's and the recorder's state, so none goes before
    // all have ended), then closes the store. Safe to call more than once.
    void Stop();

    // The microphone: reopen it for the store's channel count (mono or stereo).
    void ReopenMicrophone();
    // The microphone's state, read from the capture thread's atomics: cheap enough for a timer
    // of the interface. noInput clears by itself once sound flows again (the capture thread
    // tries the device every two seconds).
    LiveInputState InputState() const;

    // Reference tone and metronome.
    // The key's tone, or `hz` where it is above 0 (a target of the tuner's tuning).
    void StartTone(int key, double hz = 0.0);
    // The key (or `hz`) with its pure fifth, sounding under the metronome.
    void StartDrone(int key, double hz = 0.0);
    void StopDrone();
    void StopOutput();
    void ToggleMetronome();
    void StopMetronome();
    void RebuildMetronome();

    // File player. The listener (may be null) receives the player's reports on its thread and
    // must live until the engine stops.
    void OpenFile(std::string path, PlayerListener* listener);
    void PlayFile(int64_t startOffset);
    void PauseFile();
    void ResumeFile();
    void StopFile();
    // The player reports its position to `listener` once, after every command sent before:
    // a caller that waits for the report knows that they have been handled. (While a file
    // plays, the player feeds the store and reports to the open file's listener by itself.)
    void ReportPlayerPosition(PlayerListener* listener);
    // Practice settings of the player: speed in percent, transpose in semitones (both clamped
    // by the player, kept for later plays and files), the A-B loop in bytes of the loaded data
    // (a negative `a` clears it).
    void SetPlayerSpeed(int percent);
    void SetPlayerTranspose(int semitones);
    void SetPlayerLoop(int64_t a, int64_t b);
    // A pause before each repeat of the loop (0: none, else 0.5 to 4 s), and the speed trainer
    // (`step` percent faster after every `passes` passes up to `target`; a step of 0 is off).
    void SetPlayerLoopGap(double seconds);
    void SetPlayerTrainer(int step, int target, int passes = 1);

    // Recorder.
    void RecordOn();
    // RecordOff also cancels a count-in still running.
    void RecordOff();
    // One bar of the metronome, then recording (without an output or recorder: RecordOn).
    void CountInAndRecord();
    void PlayRecording();
    void StopRecordingPlayback();

    // The signal generator: Open creates its thread on the engine's devices (false without
    // devices); `listener` hears of every played copy on the generator's thread and must not
    // wait there. Close stops the sound and ends the thread (Stop closes it too).
    bool OpenGenerator(SignalListener* listener);
    void CloseGenerator();
    bool GeneratorOpen() const { return generator_ != nullptr; }
    // Plays what `signal` holds, over and over, until StopSignal.
    void StartSignal();
    void StopSignal();
    // The generator's buffer: the dialog and the tool write their channels into it.
    SignalBuffer signal;

    // The tuner's analysis (the pitch every 10 and 20 ms, and the strobe), run only while the
    // tuner is shown: StartTuner links it to the microphone's pieces and the playing file's
    // blocks (false without its memory); StopTuner ends it. Tuner() is null until the first
    // start, then lives as long as the engine; read its readings from any thread.
    bool StartTuner();
    void StopTuner();
    const TunerAnalysis* Tuner() const { return tuner_.get(); }
    // The tuning the strobe turns against, or the open strings (empty: none).
    void SetTunerTuning(const Tuning& tuning);
    void SetTunerStrings(std::span<const double> targetsHz, int locked);

    // Snapshots of the workers (all false/empty when the part does not run).
    PlayerState Player() const;
    OutputState Output() const;
    HeardBeat CurrentHeardBeat() const;
    bool RecordingPlaying() const;
    bool SignalPlaying() const;
    bool analysisRunning() const { return analysis_ && analysis_->IsRunning(); }

    // The workers themselves, for tests and benchmarks that look at what a worker was sent or
    // drive one step by step; null when not running. The program's windows and tool use the
    // commands and snapshots above.
    struct Workers {
        CaptureThread* capture = nullptr;
        ToneThread* output = nullptr;
        PlayerThread* player = nullptr;
        RecorderThread* recorder = nullptr;
        SignalThread* generator = nullptr;
        AnalysisThread* analysis = nullptr;
    };
    Workers workers() const {
        return {capture_.get(),
                output_.get(),
                player_.get(),
                recorder_.get(),
                generator_.get(),
                analysis_.get()};
    }

    // The process-wide objects; they live as long as the engine.
    CaptureStore captureStore;
    PracticeControls controls;
    KeyTable keyTable;
    Fft fft;
    RecordingStore recordingStore{controls};

  private:
    Notifier& notifier_;
    DeviceFactory* devices_ = nullptr;
    bool started_ = false;
    // In their start order; all end in Stop() before any is destroyed.
    std::unique_ptr<CaptureThread> capture_;
    std::unique_ptr<ToneThread> output_;
    std::unique_ptr<PlayerThread> player_;
    std::unique_ptr<RecorderThread> recorder_;
    std::unique_ptr<AnalysisThread> analysis_;
    std::unique_ptr<SignalThread> generator_;
    std::unique_ptr<TunerAnalysis> tuner_;
};

}  // namespace tonavise
