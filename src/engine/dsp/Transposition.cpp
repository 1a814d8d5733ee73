#include "engine/dsp/Transposition.h"

#include <algorithm>
#include <cctype>

namespace tonavise {

const std::vector<TransposingInstrument>& TransposingInstruments() {
    static const std::vector<TransposingInstrument> instruments{
        {"C", "concert pitch", 0},
        {"Bb", "B\u266D instrument", -2},
        {"Bb-tenor", "tenor B\u266D instrument", -14},
        {"Eb", "E\u266D alto instrument", -9},
        {"Eb-baritone", "E\u266D baritone instrument", -21},
        {"Eb-clarinet", "E\u266D clarinet", 3},
        {"F", "F instrument", -7},
        {"A", "A instrument", -3},
        {"G", "G instrument", -5},
        {"octave", "octave instrument", -12},
    };
    return instruments;
}

std::optional<TransposingInstrument> TransposingInstrumentNamed(std::string_view name) {
    const auto same = [](std::string_view a, std::string_view b) {
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                   return std::tolower(static_cast<unsigned char>(x)) ==
                          std::tolower(static_cast<unsigned char>(y));
               });
    };
    for (const TransposingInstrument& t : TransposingInstruments()) {
        if (same(t.name, name)) {
            return t;
        }
    }
    return std::nullopt;
}

}  // namespace tonavise
