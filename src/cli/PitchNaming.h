// How the command-line tool names and measures the pitches it prints: the tuning (a temperament
// on a tonic for the A4 in use) and the transposing instrument whose written pitch names the
// notes, made from the options that analyze, listen, track and play share.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "engine/dsp/Temperament.h"
#include "engine/dsp/Transposition.h"

namespace tonavise {
struct PitchReading;
}

namespace tonavise::cli {

struct TuningOptions {
    // A built-in temperament's name or a Scala file (.scl), laid on the tonic; keepA keeps A4 at
    // its frequency instead of the tonic.
    std::string temperament = "equal";
    std::string tonic = "C";
    bool keepA = false;
    // The transposing instrument whose written pitch names the notes ("Bb", "Eb", "F", ...).
    std::string written = "C";
};

struct PitchNaming {
    Tuning tuning;
    TransposingInstrument written;

    // The reading's cents measured against the tuning, its key named in written pitch.
    void Apply(PitchReading& reading) const;
};

// Nullopt, after a message on err naming the command and the option, when an option is not
// understood (an unknown temperament or instrument, a bad tonic, a Scala file that cannot be
// read or parsed: its line is named).
std::optional<PitchNaming> PitchNamingOf(const TuningOptions& options,
                                         double a4,
                                         std::string_view command,
                                         std::ostream& err);

}  // namespace tonavise::cli
