// Tunings other than equal temperament: the temperaments a tuner offers (just, Pythagorean,
// quarter-comma meantone and the well temperaments), Scala scale files, and the target pitch of
// every key once a temperament is laid on a tonic for an A4.
//
// A temperament is a list of degrees in cents above its first note (0) and the period that
// repeats them (1200 c for an octave). Laid on a tonic, the tonic keeps its equal-tempered
// pitch for the A4 in use and every other note is the tonic times its ratio (just on C with
// A4 = 440: E4 327.03 Hz, A4 itself 436.05 Hz), so a piece's home note stays where the rest of
// an ensemble at that A4 has it. The other anchor keeps A at the A4 frequency and moves the
// tonic instead.
//
// Threads: value types; share them between threads only as const.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tonavise {

struct Temperament {
    std::string name;
    // Cents of each degree above the first; degrees[0] is 0 and the list rises.
    std::vector<double> degrees;
    double periodCents = 1200.0;

    int size() const { return static_cast<int>(degrees.size()); }
};

// The built-in temperaments, by the names the settings and the command line use: "equal",
// "just", "pythagorean", "meantone", "werckmeister3", "kirnberger3", "vallotti", "young2"
// (case ignored). Twelve degrees each, counted from the tonic.
std::optional<Temperament> BuiltInTemperament(std::string_view name);
const std::vector<std::string_view>& BuiltInTemperamentNames();

// A Scala scale (.scl) read from its text: `error` names the line at fault when it cannot be
// read ("line 7: ..."). The description line becomes the name.
struct ScalaParse {
    std::optional<Temperament> scale;
    std::string error;
};
ScalaParse ParseScala(std::string_view text);

// Pitch classes counted from C: 0 C, 1 C#, ..., 9 A, 11 B. Parses "C", "F#", "#F", "Bb", "Eb"
// (also with the signs ♯ and ♭); nullopt for anything else.
std::optional<int> PitchClassOfName(std::string_view name);
// A key of the 88 (0 = A0, 48 = A4, 87 = C8) from its number or its note name with octave:
// "D3", "F#4", "Bb3", "#C5" (the sharp first, as the key table writes it), "E♭4"; nullopt
// for anything else or a note outside the keyboard.
std::optional<int> KeyOfNote(std::string_view text);

enum class TuningAnchor {
    Tonic,  // the tonic keeps its equal-tempered pitch
    A4,     // A4 keeps the A4 frequency
};

// What a frequency reads against a tuning: the nearest (equal-tempered) key names it, and the
// cents are measured from that key's target in the tuning. For a scale of another size than
// twelve, `degree` is the nearest scale degree and the cents are measured from it.
struct TunedReading {
    int key = 0;  // may lie outside the 88 keys: callers treat that as no note
    int degree = 0;
    double cents = 0.0;
};

class Tuning {
  public:
    // Equal temperament at A4 = 440 Hz.
    Tuning();
    Tuning(Temperament temperament,
           int tonicPitchClass,
           double a4,
           TuningAnchor anchor = TuningAnchor::Tonic);

    const Temperament& temperament() const { return temperament_; }
    int tonicPitchClass() const { return tonic_; }
    double a4() const { return a4_; }

    // The target frequency of key k (0 = A0, 48 = A4), for a twelve-degree temperament; for
    // other sizes the equal-tempered frequency.
    double TargetHz(int key) const;
    TunedReading Measure(double hz) const;

  private:
    // The cents of key k's target above the reference tonic (twelve degrees only).
    double CentsAboveTonic(int key) const;

    Temperament temperament_;
    int tonic_ = 0;
    double a4_ = 440.0;
    int tonicKey_ = 39;     // the tonic in the octave from C4: the reference of the degrees
    double tonicHz_ = 0.0;  // its frequency, after the anchor
};

}  // namespace tonavise
