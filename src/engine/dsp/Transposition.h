// Transposing instruments: the interval at which each sounds its written note, so that a reading
// can be named in the player's written pitch (a B-flat clarinet's written D4 sounds C4).
//
// Pure data; any thread.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

namespace tonavise {

struct TransposingInstrument {
    std::string_view name;   // as the settings and the command line give it: "Bb", "Eb-alto", ...
    std::string_view label;  // the mark shown wherever written pitch is: "B\u266D instrument"
    int sounds = 0;          // semitones from the written note to the sounding one
};

// Concert pitch ("C", sounding as written) first.
const std::vector<TransposingInstrument>& TransposingInstruments();
// By name, case ignored; nullopt for an unknown name.
std::optional<TransposingInstrument> TransposingInstrumentNamed(std::string_view name);

}  // namespace tonavise
