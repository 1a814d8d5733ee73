// The recorder's memory: a ring of 0.1 s blocks of mono 16-bit sound, sized from the chosen
// maximum recording time, with the switch that turns recording on, the feed from the capture
// thread, playback reading for the recorder thread, and saving as a WAV file.
//
// Threads: RecordBlock on the capture thread; RewindPlayback/ReadNext on the recorder thread;
// Clear, Count, SaveAs and AllocateForRecTime on the user-interface thread (AllocateForRecTime
// also on the recorder thread at its start). Every operation takes the store's lock for its
// whole work; RecordBlock's lock is held for one 8820-byte copy.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "engine/core/AudioFormat.h"
#include "engine/core/UiLanguage.h"
#include "engine/live/CaptureThread.h"

namespace tonavise {

struct PracticeControls;
class Notifier;

inline constexpr int kRecTimeCount = 11;

// Seconds of recording-time index (clamped to 0..10).
int RecTimeSeconds(int index);
// "30 Seconds", "1 Minute", "2 Minutes" ... or "30 秒", "1 分" ... in Chinese and Japanese.
std::string RecTimeLabel(int index, UiLanguage language);
// Blocks a store needs for a recording-time index: ten per second and ten more.
int RecTimeBlocks(int index);

// Where to save: the user interface shows a save dialog; tests give a path. nullopt = cancelled.
class SavePathChooser {
  public:
    virtual ~SavePathChooser() = default;
    virtual std::optional<std::string> ChooseSavePath() = 0;
};

class RecordingStore final : public BlockRecorder {
  public:
    using Block = std::array<int16_t, kBlockFrames>;

    explicit RecordingStore(const PracticeControls& controls);
    ~RecordingStore() override;
    RecordingStore(const RecordingStore&) = delete;
    RecordingStore& operator=(const RecordingStore&) = delete;

    bool Allocate(int blocks);
    bool Clear();
    bool Append(std::span<const int16_t> block);  // the first 4410 samples
    bool IsFull();
    int Count();
    int Capacity();
    bool DropOldest();
    bool RewindPlayback();
    bool ReadNext(std::span<int16_t> dest);  // 4410 samples
    bool Linearize();

    // The capture thread's feed: while `recording`, store the block (mixed down to mono in
    // place when stereo); a full store drops its oldest block (repeated recording) or ends the
    // recording.
    void RecordBlock(std::span<int16_t> block, int channels) override;

    // Allocate for the practice controls' recording-time index; a failure is shown (caption
    // "Alert") in the given language.
    bool AllocateForRecTime(Notifier& notifier, UiLanguage language);

    // The "Save" command: the recording in order, oldest block first, as a 16-bit mono 44100 Hz
    // WAV file at the path the chooser gives. Nothing recorded: the no-data message, no dialog.
    // A file that cannot be written completely is removed and reported. Returns true when saved.
    bool SaveAs(SavePathChooser& chooser, Notifier& notifier, UiLanguage language);

    // The format written by SaveAs.
    static WaveFormat SaveFormat() { return PcmFormat(1); }

    std::atomic<int32_t> recording{0};

    // What the recorder shows of the take since the last Clear: its length in blocks (counted
    // on while a repeated recording drops its oldest), the newest block's peak and the take's
    // (0..32768, full scale; 32767 or more: the input clipped). Any thread.
    struct TakeLevels {
        int64_t blocks = 0;
        int newestPeak = 0;
        int takePeak = 0;
    };
    TakeLevels Levels() const;

  private:
    bool HasBlocks() const { return blocks_ != nullptr; }

    const PracticeControls& controls_;
    std::mutex lock_;
    std::unique_ptr<Block[]> blocks_;
    int capacity_ = 1;
    int count_ = 0;
    int head_ = 0;
    int writeIndex_ = 0;
    int playIndex_ = 0;
    // Set while SaveAs writes the blocks without the lock: nothing may change them meanwhile.
    bool frozen_ = false;
    std::atomic<int64_t> takeBlocks_{0};
    std::atomic<int> newestPeak_{0};
    std::atomic<int> takePeak_{0};
};

}  // namespace tonavise
