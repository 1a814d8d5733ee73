// The user's practice settings that the sound threads read while they run: the metronome's
// tempo, meter, clicks a beat and count-in, and the recorder's length and repeat. The windows
// and the settings file write them; the tone thread reads the metronome's when it builds its
// click loop and the recording store reads the recorder's when it makes room for a take.
//
// Threads: atomics, written by the owner's thread, read by any.
#pragma once

#include <atomic>
#include <cstdint>

#include "engine/dsp/Metronome.h"

namespace tonavise {

struct PracticeControls {
    std::atomic<int32_t> tempo{120};  // beats a minute
    std::atomic<int32_t> rhythm{0};   // index of the meter
    // Any meter (Meter::Pack), which the clicks follow instead of the rhythm's; 0: none.
    std::atomic<uint64_t> meter{0};
    std::atomic<int32_t> subdivision{1};  // metronome clicks a beat, 1..4
    std::atomic<int32_t> dotted{0};       // 1: 6/8, 9/8 and 12/8 count the dotted quarter
    std::atomic<int32_t> swing{50};       // a two-click beat's second click, % of the beat
    std::atomic<int32_t> voice{0};        // ClickVoice
    std::atomic<int32_t> volume{100};     // % of the clicks' levels
    // The tempo trainer (beats a minute faster every so many bars, up to a target) and the
    // muted bars (so many heard, so many silent); zeros: off. See BarPlan.
    std::atomic<int32_t> trainerStep{0};
    std::atomic<int32_t> trainerBars{0};
    std::atomic<int32_t> trainerTarget{0};
    std::atomic<int32_t> mutePlay{0};
    std::atomic<int32_t> muteBars{0};
    std::atomic<int32_t> countIn{0};       // 1: Record plays one bar of the metronome first
    std::atomic<int32_t> recTimeIndex{1};  // index of the recording length
    std::atomic<int32_t> recRepeating{1};  // 1: a full recording goes on over its oldest sound

    // The meter the clicks follow: the one set, else the rhythm's preset.
    Meter SoundingMeter() const {
        return Meter::Unpack(meter.load(std::memory_order_relaxed))
            .value_or(MeterOfRhythm(rhythm.load(std::memory_order_relaxed)));
    }
};

}  // namespace tonavise
