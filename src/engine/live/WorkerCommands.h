// The commands of the worker threads: one std::variant per worker, of command structs. The
// first alternative of each is DeviceEvent, the reports of the worker's own sound devices, so a
// worker's queue holds everything it acts on in the order it came. Commands compare equal when
// they are the same command with the same values (the tests' post logs compare them).
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "engine/device/DeviceOwner.h"

namespace tonavise {

class PlayerListener;

// The capture thread.
namespace capture {
// Close the input, configure it for the store's current channel count, open it again.
struct ReopenInput {
    bool operator==(const ReopenInput&) const = default;
};
}  // namespace capture
using CaptureCommand = std::variant<DeviceEvent, capture::ReopenInput>;

// The tone thread: the reference tone and the metronome share its output.
namespace tone {
// The reference tone of a key of the table (0..87; an index outside is taken as its nearest).
struct StartTone {
    int key = 48;
    // The pitch to sound instead of the key's equal-tempered one (a target of the tuner's
    // tuning or string); 0: the key's.
    double hz = 0.0;
    bool operator==(const StartTone&) const = default;
};
// A drone: the key (or `hz`) with its pure fifth above (3/2), held under whatever else sounds:
// it goes on when the metronome starts or stops, and the metronome's clicks are mixed over it.
struct StartDrone {
    int key = 48;
    double hz = 0.0;  // the root's pitch instead of the key's equal-tempered one; 0: the key's
    bool operator==(const StartDrone&) const = default;
};
struct StopDrone {
    bool operator==(const StopDrone&) const = default;
};
// Whatever sounds (tone, drone or metronome) stops.
struct StopOutput {
    bool operator==(const StopOutput&) const = default;
};
// The metronome starts from the first beat of the bar, or stops when it is sounding.
struct ToggleMetronome {
    bool operator==(const ToggleMetronome&) const = default;
};
struct StopMetronome {
    bool operator==(const StopMetronome&) const = default;
};
// The click loop is built again from the current tempo and rhythm; a playing metronome keeps
// its place in the bar.
struct RebuildMetronome {
    bool operator==(const RebuildMetronome&) const = default;
};
// One bar of the metronome, then the recording starts; the cancel ends it without recording.
struct StartCountIn {
    bool operator==(const StartCountIn&) const = default;
};
struct CancelCountIn {
    bool operator==(const CancelCountIn&) const = default;
};
}  // namespace tone
using ToneCommand = std::variant<DeviceEvent,
                                 tone::StartTone,
                                 tone::StartDrone,
                                 tone::StopDrone,
                                 tone::StopOutput,
                                 tone::ToggleMetronome,
                                 tone::StopMetronome,
                                 tone::RebuildMetronome,
                                 tone::StartCountIn,
                                 tone::CancelCountIn>;

// The file player.
namespace player {
// Load a file (replacing the one loaded); `notify` hears its length and play positions.
struct Open {
    std::string path;
    PlayerListener* notify = nullptr;
    bool operator==(const Open&) const = default;
};
// Play from a byte offset of the PCM data.
struct Play {
    int64_t startOffset = 0;
    bool operator==(const Play&) const = default;
};
struct Stop {
    bool operator==(const Stop&) const = default;
};
struct Pause {
    bool operator==(const Pause&) const = default;
};
struct Resume {
    bool operator==(const Resume&) const = default;
};
// Hand the analysis the block that is heard now, and `listener` the play position. The player
// does this by itself every 100 ms while it plays; a player built to feed only when asked (a
// test that steps its device) is fed with this.
struct FeedScope {
    PlayerListener* listener = nullptr;
    bool operator==(const FeedScope&) const = default;
};
// Report the play position to `listener` once: whoever waits for the report knows that every
// command sent before has been handled (a loaded file is loaded, a started play plays).
struct ReportPosition {
    PlayerListener* listener = nullptr;
    bool operator==(const ReportPosition&) const = default;
};
struct SetSpeed {
    int percent = 100;
    bool operator==(const SetSpeed&) const = default;
};
struct SetTranspose {
    int semitones = 0;
    bool operator==(const SetTranspose&) const = default;
};
// The A-B loop in bytes of the PCM data; a negative `a` clears it.
struct SetLoop {
    int64_t a = -1;
    int64_t b = -1;
    bool operator==(const SetLoop&) const = default;
};
// The pause before each repeat of the loop, in seconds (0: none).
struct SetLoopGap {
    double seconds = 0.0;
    bool operator==(const SetLoopGap&) const = default;
};
// The speed trainer: `step` percent faster after every `passes` passes, up to `target`.
struct SetSpeedTrainer {
    int step = 0;
    int target = 100;
    int passes = 1;
    bool operator==(const SetSpeedTrainer&) const = default;
};
}  // namespace player
using PlayerCommand = std::variant<DeviceEvent,
                                   player::Open,
                                   player::Play,
                                   player::Stop,
                                   player::Pause,
                                   player::Resume,
                                   player::FeedScope,
                                   player::ReportPosition,
                                   player::SetSpeed,
                                   player::SetTranspose,
                                   player::SetLoop,
                                   player::SetLoopGap,
                                   player::SetSpeedTrainer>;

// The recorder: the recording flag, and the playback of what was recorded.
namespace recorder {
struct Play {
    bool operator==(const Play&) const = default;
};
struct StopPlayback {
    bool operator==(const StopPlayback&) const = default;
};
struct RecordOn {
    bool operator==(const RecordOn&) const = default;
};
struct RecordOff {
    bool operator==(const RecordOff&) const = default;
};
}  // namespace recorder
using RecorderCommand = std::variant<DeviceEvent,
                                     recorder::Play,
                                     recorder::StopPlayback,
                                     recorder::RecordOn,
                                     recorder::RecordOff>;

// The signal generator.
namespace generator {
// Start (or restart) with the generator's current settings.
struct Start {
    bool operator==(const Start&) const = default;
};
struct Stop {
    bool operator==(const Stop&) const = default;
};
}  // namespace generator
using SignalCommand = std::variant<DeviceEvent, generator::Start, generator::Stop>;

// Handles a command with one lambda per alternative: std::visit(Handlers{...}, command).
template <class... F>
struct Handlers : F... {
    using F::operator()...;
};
template <class... F>
Handlers(F...) -> Handlers<F...>;

}  // namespace tonavise
