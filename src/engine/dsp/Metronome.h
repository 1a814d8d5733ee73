// The metronome's sound: the click of every beat and the accent of each beat in the seven
// meters.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tonavise {

// The metronome's tempo range, in beats a minute.
inline constexpr int32_t kMinTempo = 20;
inline constexpr int32_t kMaxTempo = 400;

inline constexpr int kClickLength = 864;  // samples at 44100 Hz, 19.6 ms

// A percussive click, made by our own synthesis at first use and constant afterwards: a quiet
// start (no sample above 123 in magnitude among the first 48), a rise within about 100 samples
// to a clipped oscillation near 2.05 kHz that touches full scale in every stretch of 48 samples
// from sample 96 to 623, then an irregular decay to peaks of about 15000 to 24000, ending
// without a fade. Safe to call from any thread.
const std::array<int16_t, kClickLength>& ClickSound();

// The metronome's voices: the click above, a wood block and a beep, each as long as the click
// and peaking at full scale, so that the accents' levels hold for all three.
enum class ClickVoice : int32_t { Click = 0, Wood = 1, Beep = 2 };
inline constexpr int kClickVoiceCount = 3;
const std::array<int16_t, kClickLength>& VoiceSound(ClickVoice voice);
// "click", "wood" or "beep".
std::optional<ClickVoice> ParseClickVoice(std::string_view name);

inline constexpr int kMeterCount = 7;
inline constexpr int kMaxBeats = 6;

// The click is driven to full scale; the loop scales it to these levels so that nothing in it
// clips: the bar's first beat at -1 dBFS, a secondary accent kBeatDropDb / 2 under it, the other
// beats kBeatDropDb under it and the sub-clicks between beats kSubClickDropDb under it.
inline constexpr double kAccentDbfs = -1.0;
inline constexpr double kBeatDropDb = 6.0;
inline constexpr double kSubClickDropDb = 12.0;
inline constexpr double kAccentGain = 0.89125093813374556;     // -1 dB
inline constexpr double kSecondaryGain = 0.63095734448019325;  // -4 dB
inline constexpr double kBeatGain = 0.44668359215096315;       // -7 dB
inline constexpr double kSubClickGain = 0.22387211385683395;   // -13 dB

// Subdivisions of a beat: 1 (none) to 4 clicks a beat.
inline constexpr int kMaxSubdivision = 4;
// Swing of a beat of two clicks: where its second click falls, in percent of the beat (50:
// straight, 67: triplet feel).
inline constexpr int kMinSwing = 50;
inline constexpr int kMaxSwing = 75;

struct AccentPattern {
    std::string_view label;  // the meter button's text
    int beats;
    // Of beats 1..beats: kAccentGain first, kSecondaryGain secondary, kBeatGain other.
    std::array<double, kMaxBeats> gains;
};

// Indexed by the store's rhythm (0..6).
extern const std::array<AccentPattern, kMeterCount> accentPattern;

// The rhythm index of a meter label ("1", "2", "3", "4", "3+2", "2+3", "6"), or -1.
int RhythmOfMeter(std::string_view label);

// Any meter: N beats of the unit 1/D (N 1..16, D 2, 4, 8 or 16), each with its own accent. The
// seven meters above are presets of it; odd meters are grouped ("2+2+3"), each group's first
// beat accented. The tempo counts the unit (eighths in 7/8).
inline constexpr int kMaxMeterBeats = 16;
enum class Accent : uint8_t { Muted = 0, Weak = 1, Medium = 2, Strong = 3 };
struct Meter {
    int beats = 4;
    int unit = 4;
    std::array<Accent, kMaxMeterBeats> accents{};

    // The click's level for an accent: the bar's first beat, a secondary accent, a beat,
    // silence.
    static double GainOf(Accent accent);
    // Packed into one word for the practice controls (0 is no meter: the rhythm's preset).
    uint64_t Pack() const;
    static std::optional<Meter> Unpack(uint64_t packed);
    bool operator==(const Meter&) const = default;
};

// The preset of a rhythm index (0..6, clamped).
Meter MeterOfRhythm(int rhythm);

// Whether the tempo of `meter` may count the dotted quarter (6/8, 9/8, 12/8): three of its
// units a beat.
bool CountsDottedQuarter(const Meter& meter);
// Samples of one unit of the meter at `tempo` beats a minute (44100 Hz); with `dotted` (where
// the meter allows it) the tempo counts dotted quarters, three units each.
int32_t UnitSamples(int32_t tempo, const Meter& meter, bool dotted);

// The tempo trainer: `step` beats a minute faster after every `bars` bars, up to `target`;
// muted bars: `play` bars heard, then `mute` bars silent, over and over. Zeros: off.
struct BarPlan {
    int32_t trainerStep = 0;
    int32_t trainerBars = 0;
    int32_t trainerTarget = 0;
    int32_t play = 0;
    int32_t mute = 0;

    bool Trains() const { return trainerStep > 0 && trainerBars > 0 && trainerTarget > 0; }
    // The tempo for the bar after `barsDone` whole bars from a start at `startTempo`.
    int32_t TempoAfter(int64_t barsDone, int32_t startTempo) const;
    // Whether bar `bar` (0: the first) is silent.
    bool Muted(int64_t bar) const { return play > 0 && mute > 0 && bar % (play + mute) >= play; }
};
// "STEP,BARS,TARGET" (trainer) and "PLAY,MUTE" (muted bars); an empty text is off. Without a
// plan, the reason in `error`; a trainer's target must lie above `tempo`.
std::optional<BarPlan> ParseBarPlan(std::string_view trainer,
                                    std::string_view mute,
                                    int32_t tempo,
                                    std::string* error);

// A meter from its written form: "7/8", or a preset's label ("4", "3+2"); `groups` ("2+2+3",
// empty: the meter's usual grouping, or none) and `accents` ("3,1,2,1,2,1,1": 3 strong, 2
// medium, 1 weak, 0 muted; empty: from the groups). Without a meter, the reason in `error`.
std::optional<Meter> ParseMeter(std::string_view meter,
                                std::string_view groups,
                                std::string_view accents,
                                std::string* error);

// Tap tempo: the tempo of the last taps, the mean of up to kTapsKept - 1 intervals. A pause of
// more than kTapPauseSeconds (or a clock that went back) starts a new series, whose first tap
// gives no tempo yet. Tempos are rounded to whole beats per minute and clamped to the range.
class TapTempo {
  public:
    static constexpr int kTapsKept = 6;
    // Longer than a beat at the slowest tempo (3 s).
    static constexpr double kTapPauseSeconds = 3.5;

    // A tap at `seconds` (any steady clock); the tempo, or 0 after the first tap of a series.
    int Tap(double seconds);
    void Reset() { count_ = 0; }
    int taps() const { return count_; }

  private:
    std::array<double, kTapsKept> times_{};  // oldest first
    int count_ = 0;
};

}  // namespace tonavise
