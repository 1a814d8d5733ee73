#include "engine/dsp/StringTargets.h"

#include <cmath>
#include <cstdlib>

#include "engine/dsp/Temperament.h"

namespace tonavise {

namespace {

constexpr int kMaxStrings = 12;

}  // namespace

const std::vector<StringSet>& StringSets() {
    // Keys: E2 19, A2 24, D2 17, D3 29, G2 22, G3 34, B3 38, E4 43, A3 36, D4 41, F#3 33,
    // E1 7, A1 12, B0 2, C3 27, C2 15, A4 48, E5 55, G4 46, C4 39.
    static const std::vector<StringSet> sets = {
        {"guitar", "Guitar (standard)", {19, 24, 29, 34, 38, 43}, false},
        {"guitar-drop-d", "Guitar (drop D)", {17, 24, 29, 34, 38, 43}, false},
        {"guitar-dadgad", "Guitar (DADGAD)", {17, 24, 29, 34, 36, 41}, false},
        {"guitar-open-g", "Guitar (open G)", {17, 22, 29, 34, 38, 41}, false},
        {"guitar-open-d", "Guitar (open D)", {17, 24, 29, 33, 36, 41}, false},
        {"bass", "Bass (4 strings)", {7, 12, 17, 22}, false},
        {"bass-5", "Bass (5 strings)", {2, 7, 12, 17, 22}, false},
        {"violin", "Violin", {34, 41, 48, 55}, true},
        {"viola", "Viola", {27, 34, 41, 48}, true},
        {"cello", "Cello", {15, 22, 29, 36}, true},
        {"double-bass", "Double bass", {7, 12, 17, 22}, false},
        {"ukulele", "Ukulele", {46, 39, 43, 48}, false},
        {"mandolin", "Mandolin", {34, 41, 48, 55}, false},
    };
    return sets;
}

const StringSet* StringSetNamed(std::string_view name) {
    for (const StringSet& set : StringSets()) {
        if (set.name == name) {
            return &set;
        }
    }
    return nullptr;
}

StringNotesParse ParseStringNotes(std::string_view text) {
    StringNotesParse out;
    std::vector<int> keys;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == ',' || text[i] == '\t')) {
            ++i;
        }
        std::size_t j = i;
        while (j < text.size() && text[j] != ' ' && text[j] != ',' && text[j] != '\t') {
            ++j;
        }
        if (j > i) {
            const std::string_view word = text.substr(i, j - i);
            const std::optional<int> key = KeyOfNote(word);
            if (!key) {
                out.error = "\"" + std::string(word) + "\" is not a note such as E2 or F#3";
                return out;
            }
            keys.push_back(*key);
        }
        i = j;
    }
    if (keys.empty() || static_cast<int>(keys.size()) > kMaxStrings) {
        out.error = "give one to twelve notes, low string first, such as \"E2 A2 D3 G3 B3 E4\"";
        return out;
    }
    out.keys = std::move(keys);
    return out;
}

std::vector<double> StringTargetsHz(std::span<const int> keys, double a4, bool pureFifths) {
    std::vector<double> hz;
    hz.reserve(keys.size());
    int aString = -1;
    for (std::size_t s = 0; s < keys.size(); ++s) {
        hz.push_back(a4 * std::exp2((keys[s] - 48) / 12.0));
        if ((keys[s] - 48) % 12 == 0) {
            aString = static_cast<int>(s);
        }
    }
    if (pureFifths && aString >= 0) {
        // Each string a fifth (seven keys) from the next: 3/2 instead of 2^(7/12), counted from
        // the A string both ways.
        for (std::size_t s = 0; s < keys.size(); ++s) {
            const int fifths = (keys[s] - keys[static_cast<std::size_t>(aString)]) / 7;
            if ((keys[s] - keys[static_cast<std::size_t>(aString)]) % 7 == 0) {
                hz[s] = hz[static_cast<std::size_t>(aString)] * std::pow(1.5, fifths);
            }
        }
    }
    return hz;
}

StringReading NearestString(double hz, std::span<const double> targets, int locked) {
    StringReading out;
    if (!(hz > 0.0) || targets.empty()) {
        return out;
    }
    if (locked >= 0 && locked < static_cast<int>(targets.size())) {
        out.string = locked;
    } else {
        double best = 0.0;
        for (std::size_t s = 0; s < targets.size(); ++s) {
            const double cents = std::abs(1200.0 * std::log2(hz / targets[s]));
            if (out.string < 0 || cents < best) {
                out.string = static_cast<int>(s);
                best = cents;
            }
        }
    }
    out.cents = 1200.0 * std::log2(hz / targets[static_cast<std::size_t>(out.string)]);
    return out;
}

}  // namespace tonavise
