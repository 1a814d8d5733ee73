// The metronome's sound: the click of every beat and the accent of each beat in the seven
// meters.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tonavise {

inline constexpr int kClickLength = 864;  // samples at 44100 Hz, 19.6 ms

// A percussive click, made by our own synthesis at first use and constant afterwards: a quiet
// start (no sample above 123 in magnitude among the first 48), a rise within about 100 samples
// to a clipped oscillation near 2.05 kHz that touches full scale in every stretch of 48 samples
// from sample 96 to 623, then an irregular decay to peaks of about 15000 to 24000, ending
// without a fade. Safe to call from any thread.
const std::array<int16_t, kClickLength>& ClickSound();

inline constexpr int kMeterCount = 7;
inline constexpr int kMaxBeats = 6;

struct AccentPattern {
    std::string_view label;  // the meter button's text
    int beats;
    std::array<double, kMaxBeats> gains;  // of beats 1..beats: 1.0 first, 0.3 secondary, 0.1 other
};

// Indexed by the store's rhythm (0..6).
extern const std::array<AccentPattern, kMeterCount> accentPattern;

// The rhythm index of a meter label ("1", "2", "3", "4", "3+2", "2+3", "6"), or -1.
int RhythmOfMeter(std::string_view label);

}  // namespace tonavise
