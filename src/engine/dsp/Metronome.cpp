#include "engine/dsp/Metronome.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <vector>

namespace tonavise {

namespace {

// The click is a struck, slightly detuned pair of partials near 2 kHz with a faint overtone,
// driven just past full scale while it rings (the clipping gives its hard edge), then settling
// to about two thirds of full scale, where it is cut off.
std::array<int16_t, kClickLength> SynthesizeClick() {
    constexpr double kRate = 44100.0;
    constexpr double kOnset = 48.0;  // quiet lead-in before the strike
    constexpr double kRise = 60.0;   // samples from the strike to the full drive
    constexpr double kDrive = 1.12;  // peaks of the ringing part exceed full scale
    constexpr double kSettleStart = 600.0;
    constexpr double kSettled = 0.64;     // level the ringing settles to
    constexpr double kSettleTime = 22.0;  // samples
    const double twoPi = 8.0 * std::atan(1.0);

    std::array<int16_t, kClickLength> click{};
    uint64_t seed = 0x2545F491;
    for (int n = 0; n < kClickLength; ++n) {
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF;
        const double noise = static_cast<double>(seed) / 0x7FFFFFFF * 2.0 - 1.0;
        const double t = n / kRate;
        const double ring = std::sin(twoPi * 2050.0 * t) +
                            0.10 * std::sin(twoPi * 2290.0 * t + 0.9) +
                            0.05 * std::sin(twoPi * 6150.0 * t + 0.4);
        double envelope = 0.0;
        if (n >= kOnset && n < kOnset + kRise) {
            const double x = (n - kOnset) / kRise;
            envelope = kDrive * x * x;
        } else if (n >= kOnset + kRise && n < kSettleStart) {
            envelope = kDrive;
        } else if (n >= kSettleStart) {
            const double d = n - kSettleStart;
            envelope =
                kSettled + (kDrive - kSettled) * std::exp(-d / kSettleTime) - 0.03 * d / 264.0;
        }
        const double breath = n < kOnset ? 45.0 : 13.5;
        const double v = envelope * ring * 32767.0 + breath * noise;
        click[n] = static_cast<int16_t>(std::clamp(v, -32768.0, 32767.0));
    }
    return click;
}

// A wood block: a hollow, quickly damped body of two inharmonic modes (about 1.1 and 2.6 kHz)
// struck with a soft mallet (1 ms rise), normalised to full scale.
std::array<int16_t, kClickLength> SynthesizeWood() {
    constexpr double kRate = 44100.0;
    const double twoPi = 8.0 * std::atan(1.0);
    std::array<double, kClickLength> v{};
    double peak = 0.0;
    for (int n = 0; n < kClickLength; ++n) {
        const double t = n / kRate;
        const double attack = std::min(1.0, n / 44.0);
        const double body = std::exp(-t / 0.006) * std::sin(twoPi * 1100.0 * t) +
                            0.45 * std::exp(-t / 0.0025) * std::sin(twoPi * 2620.0 * t + 0.3);
        v[static_cast<std::size_t>(n)] = attack * body;
        peak = std::max(peak, std::abs(attack * body));
    }
    std::array<int16_t, kClickLength> wood{};
    for (int n = 0; n < kClickLength; ++n) {
        wood[static_cast<std::size_t>(n)] =
            static_cast<int16_t>(std::lround(v[static_cast<std::size_t>(n)] / peak * 32767.0));
    }
    return wood;
}

// A beep: a 1.5 kHz sine at full scale with 2 ms raised-cosine edges, so that neither end
// clicks.
std::array<int16_t, kClickLength> SynthesizeBeep() {
    constexpr double kRate = 44100.0;
    constexpr int kEdge = 88;
    const double pi = 4.0 * std::atan(1.0);
    std::array<int16_t, kClickLength> beep{};
    for (int n = 0; n < kClickLength; ++n) {
        const int fromEdge = std::min(n, kClickLength - 1 - n);
        const double edge = fromEdge >= kEdge ? 1.0 : 0.5 - 0.5 * std::cos(pi * fromEdge / kEdge);
        beep[static_cast<std::size_t>(n)] = static_cast<int16_t>(
            std::lround(32767.0 * edge * std::sin(2.0 * pi * 1500.0 * n / kRate)));
    }
    return beep;
}

}  // namespace

const std::array<int16_t, kClickLength>& ClickSound() {
    static const std::array<int16_t, kClickLength> click = SynthesizeClick();
    return click;
}

const std::array<int16_t, kClickLength>& VoiceSound(ClickVoice voice) {
    static const std::array<int16_t, kClickLength> wood = SynthesizeWood();
    static const std::array<int16_t, kClickLength> beep = SynthesizeBeep();
    switch (voice) {
        case ClickVoice::Wood:
            return wood;
        case ClickVoice::Beep:
            return beep;
        default:
            return ClickSound();
    }
}

std::optional<ClickVoice> ParseClickVoice(std::string_view name) {
    if (name == "click") {
        return ClickVoice::Click;
    }
    if (name == "wood") {
        return ClickVoice::Wood;
    }
    if (name == "beep") {
        return ClickVoice::Beep;
    }
    return std::nullopt;
}

bool CountsDottedQuarter(const Meter& meter) {
    return meter.unit == 8 && meter.beats % 3 == 0 && meter.beats >= 6;
}

int32_t UnitSamples(int32_t tempo, const Meter& meter, bool dotted) {
    const int32_t t = std::clamp(tempo, kMinTempo, kMaxTempo);
    return dotted && CountsDottedQuarter(meter) ? 2646000 / (3 * t) : 2646000 / t;
}

int32_t BarPlan::TempoAfter(int64_t barsDone, int32_t startTempo) const {
    if (!Trains() || startTempo >= trainerTarget) {
        return startTempo;
    }
    const int64_t steps = barsDone / trainerBars;
    return static_cast<int32_t>(std::min<int64_t>(trainerTarget, startTempo + steps * trainerStep));
}

const std::array<AccentPattern, kMeterCount> accentPattern = {{
    {"1", 1, {kAccentGain}},
    {"2", 2, {kAccentGain, kBeatGain}},
    {"3", 3, {kAccentGain, kBeatGain, kBeatGain}},
    {"4", 4, {kAccentGain, kBeatGain, kSecondaryGain, kBeatGain}},
    {"3+2", 5, {kAccentGain, kBeatGain, kBeatGain, kSecondaryGain, kBeatGain}},
    {"2+3", 5, {kAccentGain, kBeatGain, kSecondaryGain, kBeatGain, kBeatGain}},
    {"6", 6, {kAccentGain, kBeatGain, kBeatGain, kSecondaryGain, kBeatGain, kBeatGain}},
}};

double Meter::GainOf(Accent accent) {
    switch (accent) {
        case Accent::Strong:
            return kAccentGain;
        case Accent::Medium:
            return kSecondaryGain;
        case Accent::Weak:
            return kBeatGain;
        default:
            return 0.0;
    }
}

uint64_t Meter::Pack() const {
    // beats - 1 in 4 bits, log2(unit) in 3, then two bits an accent; bit 63 marks a meter.
    uint64_t packed = uint64_t{1} << 63 | static_cast<uint64_t>(beats - 1) |
                      static_cast<uint64_t>(std::countr_zero(static_cast<unsigned>(unit))) << 4;
    for (int b = 0; b < kMaxMeterBeats; ++b) {
        packed |= static_cast<uint64_t>(accents[static_cast<std::size_t>(b)]) << (7 + 2 * b);
    }
    return packed;
}

std::optional<Meter> Meter::Unpack(uint64_t packed) {
    if ((packed >> 63) == 0) {
        return std::nullopt;
    }
    Meter m;
    m.beats = static_cast<int>(packed & 15) + 1;
    m.unit = 1 << ((packed >> 4) & 7);
    for (int b = 0; b < kMaxMeterBeats; ++b) {
        m.accents[static_cast<std::size_t>(b)] = static_cast<Accent>((packed >> (7 + 2 * b)) & 3);
    }
    return m;
}

Meter MeterOfRhythm(int rhythm) {
    const AccentPattern& pattern =
        accentPattern[static_cast<std::size_t>(std::clamp(rhythm, 0, kMeterCount - 1))];
    Meter m;
    m.beats = pattern.beats;
    m.unit = 4;
    for (int b = 0; b < pattern.beats; ++b) {
        const double g = pattern.gains[static_cast<std::size_t>(b)];
        m.accents[static_cast<std::size_t>(b)] =
            g == kAccentGain ? Accent::Strong
                             : (g == kSecondaryGain ? Accent::Medium : Accent::Weak);
    }
    return m;
}

namespace {

// Whole numbers split by `separator`; nullopt if any part is not one.
std::optional<std::vector<int>> Numbers(std::string_view text, char separator) {
    std::vector<int> numbers;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(separator, start), text.size());
        const std::string_view part = text.substr(start, end - start);
        int value = 0;
        const auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || ec != std::errc() || ptr != part.data() + part.size()) {
            return std::nullopt;
        }
        numbers.push_back(value);
        start = end + 1;
    }
    return numbers;
}

// The usual grouping of a meter without one given: compound meters in threes, 5 as 2+3, 7 as
// 2+2+3; other meters ungrouped (their first beat alone accented; 4/4 keeps the third beat's
// secondary accent of the meter 4).
std::vector<int> UsualGroups(int beats, int unit) {
    if (unit >= 8 && beats % 3 == 0 && beats > 3) {
        return std::vector<int>(static_cast<std::size_t>(beats / 3), 3);
    }
    if (beats == 5) {
        return {2, 3};
    }
    if (beats == 7) {
        return {2, 2, 3};
    }
    return {};
}

}  // namespace

std::optional<Meter> ParseMeter(std::string_view meter,
                                std::string_view groups,
                                std::string_view accents,
                                std::string* error) {
    const auto fail = [&](std::string why) -> std::optional<Meter> {
        if (error != nullptr) {
            *error = std::move(why);
        }
        return std::nullopt;
    };
    Meter m;
    std::vector<int> grouping;
    if (const int rhythm = RhythmOfMeter(meter); rhythm >= 0 && groups.empty()) {
        m = MeterOfRhythm(rhythm);
    } else {
        const std::optional<std::vector<int>> nd = Numbers(meter, '/');
        if (!nd || nd->size() != 2 || (*nd)[0] < 1 || (*nd)[0] > kMaxMeterBeats ||
            ((*nd)[1] != 2 && (*nd)[1] != 4 && (*nd)[1] != 8 && (*nd)[1] != 16)) {
            return fail(
                "the meter must be N/D with N from 1 to 16 and D 2, 4, 8 or 16 (\"7/8\"), "
                "or one of 1, 2, 3, 4, 3+2, 2+3, 6");
        }
        m.beats = (*nd)[0];
        m.unit = (*nd)[1];
        if (groups.empty()) {
            grouping = UsualGroups(m.beats, m.unit);
        } else {
            const std::optional<std::vector<int>> g = Numbers(groups, '+');
            int sum = 0;
            if (g) {
                for (int n : *g) {
                    sum += n > 0 ? n : kMaxMeterBeats + 1;
                }
            }
            if (!g || sum != m.beats) {
                return fail("the groups must be beats that add up to the meter's " +
                            std::to_string(m.beats) + " (\"2+2+3\")");
            }
            grouping = *g;
        }
        m.accents.fill(Accent::Muted);
        for (int b = 0; b < m.beats; ++b) {
            m.accents[static_cast<std::size_t>(b)] = Accent::Weak;
        }
        if (grouping.empty() && m.beats == 4) {
            m.accents[2] = Accent::Medium;  // 4/4 as the preset 4 sounds
        }
        int start = 0;
        for (int n : grouping) {
            m.accents[static_cast<std::size_t>(start)] = Accent::Medium;
            start += n;
        }
        m.accents[0] = Accent::Strong;
    }
    if (!accents.empty()) {
        const std::optional<std::vector<int>> a = Numbers(accents, ',');
        if (!a || static_cast<int>(a->size()) != m.beats ||
            std::any_of(a->begin(), a->end(), [](int v) { return v < 0 || v > 3; })) {
            return fail("the accents must be " + std::to_string(m.beats) +
                        " numbers from 0 to 3, one a beat (3 strong, 2 medium, 1 weak, 0 muted)");
        }
        for (int b = 0; b < m.beats; ++b) {
            m.accents[static_cast<std::size_t>(b)] =
                static_cast<Accent>((*a)[static_cast<std::size_t>(b)]);
        }
    }
    return m;
}

std::optional<BarPlan> ParseBarPlan(std::string_view trainer,
                                    std::string_view mute,
                                    int32_t tempo,
                                    std::string* error) {
    const auto fail = [&](std::string why) -> std::optional<BarPlan> {
        if (error != nullptr) {
            *error = std::move(why);
        }
        return std::nullopt;
    };
    BarPlan plan;
    if (!trainer.empty()) {
        const std::optional<std::vector<int>> t = Numbers(trainer, ',');
        if (!t || t->size() != 3 || (*t)[0] < 1 || (*t)[0] > 100 || (*t)[1] < 1 || (*t)[1] > 64 ||
            (*t)[2] < kMinTempo || (*t)[2] > kMaxTempo) {
            return fail(
                "the trainer must be STEP,BARS,TARGET: 1 to 100 beats a minute faster every 1 "
                "to 64 bars up to a target from " +
                std::to_string(kMinTempo) + " to " + std::to_string(kMaxTempo) + " (\"5,4,160\")");
        }
        if ((*t)[2] <= tempo) {
            return fail("the trainer's target (" + std::to_string((*t)[2]) +
                        ") must be faster than the tempo it starts from (" + std::to_string(tempo) +
                        ")");
        }
        plan.trainerStep = (*t)[0];
        plan.trainerBars = (*t)[1];
        plan.trainerTarget = (*t)[2];
    }
    if (!mute.empty()) {
        const std::optional<std::vector<int>> m = Numbers(mute, ',');
        if (!m || m->size() != 2 || (*m)[0] < 1 || (*m)[0] > 64 || (*m)[1] < 1 || (*m)[1] > 64) {
            return fail(
                "the muted bars must be PLAY,MUTE: 1 to 64 bars heard, then 1 to 64 silent "
                "(\"3,1\")");
        }
        plan.play = (*m)[0];
        plan.mute = (*m)[1];
    }
    return plan;
}

int RhythmOfMeter(std::string_view label) {
    for (int i = 0; i < kMeterCount; ++i) {
        if (accentPattern[i].label == label) {
            return i;
        }
    }
    return -1;
}

int TapTempo::Tap(double seconds) {
    if (count_ > 0) {
        const double since = seconds - times_[count_ - 1];
        if (since <= 0.0 || since > kTapPauseSeconds) {
            count_ = 0;
        }
    }
    if (count_ == kTapsKept) {
        std::copy(times_.begin() + 1, times_.end(), times_.begin());
        --count_;
    }
    times_[count_++] = seconds;
    if (count_ < 2) {
        return 0;
    }
    const double interval = (times_[count_ - 1] - times_[0]) / (count_ - 1);
    return static_cast<int>(std::clamp(
        std::lround(60.0 / interval), static_cast<long>(kMinTempo), static_cast<long>(kMaxTempo)));
}

}  // namespace tonavise
