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

}  // namespace

const std::array<int16_t, kClickLength>& ClickSound() {
    static const std::array<int16_t, kClickLength> click = SynthesizeClick();
    return click;
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
    return static_cast<int>(std::clamp(std::lround(60.0 / interval), 30L, 300L));
}

}  // namespace tonavise
