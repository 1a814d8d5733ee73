#include "engine/dsp/KeyTable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tonavise {

namespace {

constexpr std::array<std::string_view, 12> kShortClass = {
    "A", "#A", "B", "C", "#C", "D", "#D", "E", "F", "#F", "G", "#G"};
constexpr std::array<std::string_view, 12> kLongClass = {
    "A", "#A/bB", "B", "C", "#C/bD", "D", "#D/bE", "E", "F", "#F/bG", "G", "#G/bA"};

// Names never change with A4, so both tables are built once, as "%s%d" of the pitch class and
// the octave (k + 9) / 12, which changes at C.
struct NameTable {
    std::array<std::array<char, 8>, kKeyCount> shortNames{};
    std::array<std::array<char, 8>, kKeyCount> longNames{};
    NameTable() {
        for (int k = 0; k < kKeyCount; ++k) {
            const int octave = (k + 9) / 12;
            const auto& s = kShortClass[k % 12];
            const auto& l = kLongClass[k % 12];
            std::snprintf(shortNames[k].data(), 8, "%.*s%d", int(s.size()), s.data(), octave);
            std::snprintf(longNames[k].data(), 8, "%.*s%d", int(l.size()), l.data(), octave);
        }
    }
};

const NameTable& Names() {
    static const NameTable table;
    return table;
}

}  // namespace

const std::array<std::array<std::string_view, 12>, 4> relativeNoteNames = {{
    {"6", ":", "7", "1", ":", "2", ":", "3", "4", ":", "5", ":"},
    {"la", ":", "si", "do", ":", "re", ":", "mi", "fa", ":", "so", ":"},
    {"a", ":", "b", "c", ":", "d", ":", "e", "f", ":", "g", ":"},
    {"A", ":", "B", "C", ":", "D", ":", "E", "F", ":", "G", ":"},
}};

double Cents(double a, double b) {
    return 1200.0 * std::log(a / b) / std::log(2.0);
}

std::string_view RelativeNoteName(int key, int notationCounter, int keyIndex) {
    const int col = ((key - keyIndex) % 12 + 12) % 12;
    const int row = ((notationCounter % 4) + 4) % 4;
    return relativeNoteNames[row][col];
}

KeyTable::KeyTable() {
    for (auto& c : pitchLineColors) {
        c.store(kColorUnmarked, std::memory_order_relaxed);
    }
    pitchLineBackup.fill(kColorUnmarked);
    SetA4(440.0);
    Rebuild();
}

void KeyTable::SetA4(double hz) {
    a4Frequency.store(hz, std::memory_order_relaxed);
    Rebuild();
}

void KeyTable::Rebuild() {
    const double a4 = GetA4();
    for (int k = 0; k < kKeyCount; ++k) {
        frequency_[k].store(a4 * std::pow(2.0, (k - kKeyA4) / 12.0), std::memory_order_relaxed);
    }
}

double KeyTable::KeyFrequency(int k) const {
    return frequency_[std::clamp(k, 0, kKeyCount - 1)].load(std::memory_order_relaxed);
}

std::string_view KeyTable::ShortName(int k) const {
    if (k < 0) {
        return "#G0";
    }
    if (k >= kKeyCount) {
        return "#C8";
    }
    return Names().shortNames[k].data();
}

std::string_view KeyTable::LongName(int k) const {
    if (k < 0) {
        return "#G0";
    }
    if (k >= kKeyCount) {
        return "#C8";
    }
    return Names().longNames[k].data();
}

NearestKeyResult KeyTable::NearestKey(double hz) const {
    double cents = Cents(hz, GetA4());
    // Zero, negative or non-finite input has no pitch: keep the integer conversion defined and
    // land far outside the table, where callers see no note.
    constexpr double kLimit = 1.0e7;
    if (!(cents > -kLimit)) {
        cents = -kLimit;
    } else if (!(cents < kLimit)) {
        cents = kLimit;
    }
    const int d = static_cast<int>(cents);  // truncated toward zero
    const int t = d + 4800;
    NearestKeyResult r;
    r.key = (t + 50) / 100;
    r.cents = t - 100 * r.key;
    return r;
}

NearestKeyExactResult KeyTable::NearestKeyExact(double hz) const {
    NearestKeyExactResult r;
    if (!(hz > 0.0) || !std::isfinite(hz)) {
        r.key = -1;
        return r;
    }
    const double t = Cents(hz, GetA4()) + 4800.0;  // cents above A0
    const double key = std::floor((t + 50.0) / 100.0);
    r.key = static_cast<int>(std::clamp(key, -1.0, static_cast<double>(kKeyCount)));
    r.cents = t - 100.0 * key;
    return r;
}

void KeyTable::SaveColors() {
    for (int k = 0; k < kKeyCount; ++k) {
        pitchLineBackup[k] = pitchLineColors[k].load(std::memory_order_relaxed);
    }
}

void KeyTable::RestoreColors() {
    for (int k = 0; k < kKeyCount; ++k) {
        pitchLineColors[k].store(pitchLineBackup[k], std::memory_order_relaxed);
    }
}

}  // namespace tonavise
