// The open strings a tuner names instead of the nearest key: the usual tunings of the guitar,
// the bass, the violin family, the ukulele and the mandolin, and a set written as notes
// ("D2 A2 D3 G3 B3 E4"). The violin, viola and cello may be tuned in pure fifths from their A
// string (3/2 each, as players tune them by ear) instead of equal-tempered.
//
// Pure data and functions; any thread.
#pragma once

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tonavise {

struct StringSet {
    std::string_view name;   // as stored: "guitar", "guitar-drop-d", ...
    std::string_view label;  // as shown: "Guitar (standard)"
    std::vector<int> keys;   // low string first; key 0 = A0, 48 = A4
    bool fifths = false;     // a violin-family instrument: pure fifths are offered
};

const std::vector<StringSet>& StringSets();
const StringSet* StringSetNamed(std::string_view name);

// The keys of a set written as note names separated by spaces or commas, low string first;
// nullopt (with a message naming the word) when a word is not a note or there are none or more
// than twelve.
struct StringNotesParse {
    std::optional<std::vector<int>> keys;
    std::string error;
};
StringNotesParse ParseStringNotes(std::string_view text);

// The strings' target frequencies for the A4 in use: equal-tempered, or (pureFifths) the A
// string equal-tempered and every other string pure fifths from it. Without an A string the
// fifths are not used.
std::vector<double> StringTargetsHz(std::span<const int> keys, double a4, bool pureFifths);

// The string nearest to hz (in cents), or the locked one (0-based, when in range), and hz's
// cents from its target.
struct StringReading {
    int string = -1;
    double cents = 0.0;
};
StringReading NearestString(double hz, std::span<const double> targets, int locked = -1);

}  // namespace tonavise
