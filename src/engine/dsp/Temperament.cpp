#include "engine/dsp/Temperament.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <utility>

#include "engine/dsp/KeyTable.h"

namespace tonavise {

namespace {

// What the tempered fifths are narrowed by, in cents: the Pythagorean comma (twelve pure fifths
// over seven octaves), the syntonic comma (four pure fifths over a pure third and two octaves)
// and the schisma between them.
const double kPureFifth = 1200.0 * std::log2(1.5);
const double kPythagoreanComma = 1200.0 * std::log2(531441.0 / 524288.0);  // 23.46 c
const double kSyntonicComma = 1200.0 * std::log2(81.0 / 80.0);             // 21.51 c
const double kSchisma = kPythagoreanComma - kSyntonicComma;                // 1.95 c

double RatioCents(double ratio) {
    return 1200.0 * std::log2(ratio);
}

// A temperament given as a chain of eleven fifths from `first` (a pitch class from C): each
// fifth pure less the given narrowing. The degrees are returned from C.
std::vector<double> FifthChain(int first, const std::array<double, 11>& narrowing) {
    std::array<double, 12> cents{};
    double at = 0.0;
    int pc = first;
    cents[pc] = 0.0;
    for (double narrow : narrowing) {
        at += kPureFifth - narrow;
        pc = (pc + 7) % 12;
        cents[pc] = at;
    }
    const double c = cents[0];
    std::vector<double> degrees(12);
    for (int k = 0; k < 12; ++k) {
        degrees[k] = std::fmod(std::fmod(cents[k] - c, 1200.0) + 1200.0, 1200.0);
    }
    return degrees;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char ch) {
        return static_cast<char>(std::tolower(ch));
    });
    return out;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// One pitch line of a Scala file: cents when it holds a period, else a ratio "p/q" or "p".
// Text after the value (a comment) is ignored.
std::optional<double> ScalaPitch(std::string_view line) {
    line = Trim(line);
    const std::size_t end = line.find_first_of(" \t");
    const std::string_view value = line.substr(0, end);
    if (value.empty()) {
        return std::nullopt;
    }
    if (value.find('.') != std::string_view::npos) {
        double cents = 0.0;
        const auto [ptr, ec] = std::from_chars(value.data(), value.data() + value.size(), cents);
        if (ec != std::errc{} || ptr != value.data() + value.size() || !std::isfinite(cents)) {
            return std::nullopt;
        }
        return cents;
    }
    const std::size_t slash = value.find('/');
    const std::string_view p = value.substr(0, slash);
    const std::string_view q =
        slash == std::string_view::npos ? std::string_view("1") : value.substr(slash + 1);
    uint64_t num = 0;
    uint64_t den = 0;
    const auto r1 = std::from_chars(p.data(), p.data() + p.size(), num);
    const auto r2 = std::from_chars(q.data(), q.data() + q.size(), den);
    if (r1.ec != std::errc{} || r1.ptr != p.data() + p.size() || r2.ec != std::errc{} ||
        r2.ptr != q.data() + q.size() || num == 0 || den == 0) {
        return std::nullopt;
    }
    return RatioCents(static_cast<double>(num) / static_cast<double>(den));
}

}  // namespace

const std::vector<std::string_view>& BuiltInTemperamentNames() {
    static const std::vector<std::string_view> names{"equal",
                                                     "just",
                                                     "pythagorean",
                                                     "meantone",
                                                     "werckmeister3",
                                                     "kirnberger3",
                                                     "vallotti",
                                                     "young2"};
    return names;
}

std::optional<Temperament> BuiltInTemperament(std::string_view name) {
    const std::string n = Lower(name);
    const double pc6 = kPythagoreanComma / 6;
    const double pc4 = kPythagoreanComma / 4;
    const double sc4 = kSyntonicComma / 4;
    constexpr int kC = 0;
    constexpr int kF = 5;
    constexpr int kEb = 3;
    if (n == "equal") {
        std::vector<double> d(12);
        for (int k = 0; k < 12; ++k) {
            d[k] = 100.0 * k;
        }
        return Temperament{"equal", d};
    }
    if (n == "just") {
        std::vector<double> d;
        for (double r : {1.0,
                         16.0 / 15,
                         9.0 / 8,
                         6.0 / 5,
                         5.0 / 4,
                         4.0 / 3,
                         45.0 / 32,
                         3.0 / 2,
                         8.0 / 5,
                         5.0 / 3,
                         9.0 / 5,
                         15.0 / 8}) {
            d.push_back(RatioCents(r));
        }
        return Temperament{"just", d};
    }
    // The chains: pure fifths from E flat to G sharp (the wolf between G sharp and E flat), or
    // the well temperaments' narrowed fifths in their order from C (or F).
    if (n == "pythagorean") {
        return Temperament{"pythagorean", FifthChain(kEb, {})};
    }
    if (n == "meantone") {
        std::array<double, 11> narrow{};
        narrow.fill(sc4);
        return Temperament{"meantone", FifthChain(kEb, narrow)};
    }
    if (n == "werckmeister3") {  // C-G, G-D, D-A and B-F# a quarter of the comma narrow
        return Temperament{"werckmeister3",
                           FifthChain(kC, {pc4, pc4, pc4, 0, 0, pc4, 0, 0, 0, 0, 0})};
    }
    if (n == "kirnberger3") {  // C-G-D-A-E a quarter syntonic comma narrow, F#-C# a schisma
        return Temperament{"kirnberger3",
                           FifthChain(kC, {sc4, sc4, sc4, sc4, 0, 0, kSchisma, 0, 0, 0, 0})};
    }
    if (n == "vallotti") {  // F-C-G-D-A-E-B a sixth of the comma narrow
        return Temperament{"vallotti",
                           FifthChain(kF, {pc6, pc6, pc6, pc6, pc6, pc6, 0, 0, 0, 0, 0})};
    }
    if (n == "young2") {  // C-G-D-A-E-B-F# a sixth of the comma narrow
        return Temperament{"young2", FifthChain(kC, {pc6, pc6, pc6, pc6, pc6, pc6, 0, 0, 0, 0, 0})};
    }
    return std::nullopt;
}

ScalaParse ParseScala(std::string_view text) {
    ScalaParse result;
    std::optional<std::string> description;
    std::optional<int> count;
    Temperament scale;
    scale.degrees.push_back(0.0);
    int lineNumber = 0;
    std::size_t from = 0;
    const auto fail = [&](const std::string& why) {
        result.error = "line " + std::to_string(lineNumber) + ": " + why;
        return result;
    };
    while (from <= text.size()) {
        const std::size_t end = std::min(text.find('\n', from), text.size());
        const std::string_view line = text.substr(from, end - from);
        from = end + 1;
        ++lineNumber;
        if (!line.empty() && line.front() == '!') {
            continue;
        }
        if (!description) {
            description = std::string(Trim(line));
            continue;
        }
        if (!count) {
            const std::string_view t = Trim(line);
            int n = -1;
            const auto [ptr, ec] = std::from_chars(t.data(), t.data() + t.size(), n);
            if (ec != std::errc{} || ptr == t.data() || n < 1 || n > 1000) {
                return fail("the number of notes (1 to 1000) was expected, not \"" +
                            std::string(t) + "\"");
            }
            count = n;
            continue;
        }
        if (Trim(line).empty()) {
            continue;
        }
        const std::optional<double> cents = ScalaPitch(line);
        if (!cents) {
            return fail("\"" + std::string(Trim(line)) + "\" is not a ratio or cents");
        }
        if (*cents <= scale.degrees.back()) {
            return fail("the pitches must rise, and " + std::string(Trim(line)) + " does not");
        }
        if (static_cast<int>(scale.degrees.size()) == *count) {
            scale.periodCents = *cents;
            scale.name = description->empty() ? std::string("scale") : *description;
            result.scale = std::move(scale);
            return result;
        }
        scale.degrees.push_back(*cents);
    }
    if (!count) {
        return fail("the file ends before the number of notes");
    }
    return fail("the file ends after " + std::to_string(scale.degrees.size() - 1) + " of " +
                std::to_string(*count) + " pitches");
}

namespace {

// Takes a note name from the front of `text`: its letter with one accidental, before it ("#C",
// as the key table writes sharps) or after it ("C#", "Bb", "E\u266D"). The semitones from C,
// not wrapped (Cb is -1); nullopt when no note name is there.
std::optional<int> TakeNoteName(std::string_view& text) {
    int accidental = 0;
    const auto takeAccidental = [&] {
        for (const auto& [sign, step] :
             {std::pair<std::string_view, int>{"#", 1}, {"\u266F", 1}, {"b", -1}, {"\u266D", -1}}) {
            if (accidental == 0 && text.substr(0, sign.size()) == sign) {
                accidental = step;
                text.remove_prefix(sign.size());
            }
        }
    };
    takeAccidental();
    if (text.empty()) {
        return std::nullopt;
    }
    static constexpr std::array<int, 7> kNatural{9, 11, 0, 2, 4, 5, 7};  // A..G
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
    if (letter < 'A' || letter > 'G') {
        return std::nullopt;
    }
    text.remove_prefix(1);
    takeAccidental();
    return kNatural[letter - 'A'] + accidental;
}

}  // namespace

std::optional<int> PitchClassOfName(std::string_view name) {
    name = Trim(name);
    const std::optional<int> semitones = TakeNoteName(name);
    if (!semitones || !name.empty()) {
        return std::nullopt;
    }
    return (*semitones + 12) % 12;
}

std::optional<int> KeyOfNote(std::string_view text) {
    text = Trim(text);
    int key = -1;
    if (!text.empty() && std::isdigit(static_cast<unsigned char>(text.front())) != 0) {
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), key);
        if (ec != std::errc{} || ptr != text.data() + text.size()) {
            return std::nullopt;
        }
    } else {
        const std::optional<int> semitones = TakeNoteName(text);
        int octave = -1;
        const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), octave);
        if (!semitones || text.empty() || ec != std::errc{} || ptr != text.data() + text.size()) {
            return std::nullopt;
        }
        // Octaves start at C; key 0 is A0.
        key = 12 * octave + *semitones - 9;
    }
    if (key < 0 || key >= kKeyCount) {
        return std::nullopt;
    }
    return key;
}

Tuning::Tuning() : Tuning(*BuiltInTemperament("equal"), 0, 440.0) {}

Tuning::Tuning(Temperament temperament, int tonicPitchClass, double a4, TuningAnchor anchor)
    : temperament_(std::move(temperament)), tonic_(((tonicPitchClass % 12) + 12) % 12), a4_(a4) {
    if (temperament_.degrees.empty()) {
        temperament_ = *BuiltInTemperament("equal");
    }
    // Key 39 is C4; the tonic of the degrees is the one from C4 up to B4.
    tonicKey_ = 39 + tonic_;
    tonicHz_ = a4_ * std::exp2((tonicKey_ - kKeyA4) / 12.0);
    if (anchor == TuningAnchor::A4 && temperament_.size() == 12) {
        // A4 sounds at its frequency: the whole tuning moves by A4's distance from it.
        tonicHz_ *= std::exp2(-(CentsAboveTonic(kKeyA4) - 100.0 * (kKeyA4 - tonicKey_)) / 1200.0);
    }
}

double Tuning::CentsAboveTonic(int key) const {
    const int steps = key - tonicKey_;
    const int periods = steps >= 0 ? steps / 12 : -((11 - steps) / 12);
    const int degree = steps - 12 * periods;
    return periods * temperament_.periodCents + temperament_.degrees[degree];
}

double Tuning::TargetHz(int key) const {
    if (temperament_.size() != 12) {
        return a4_ * std::exp2((key - kKeyA4) / 12.0);
    }
    return tonicHz_ * std::exp2(CentsAboveTonic(key) / 1200.0);
}

TunedReading Tuning::Measure(double hz) const {
    TunedReading r;
    if (!(hz > 0.0)) {
        return r;
    }
    r.key = kKeyA4 + static_cast<int>(std::lround(12.0 * std::log2(hz / a4_)));
    if (temperament_.size() == 12) {
        r.degree = ((r.key - tonicKey_) % 12 + 12) % 12;
        r.cents = Cents(hz, TargetHz(r.key));
        return r;
    }
    // Another size: the nearest degree above the tonic, the period counted as degree 0 again.
    const double period = temperament_.periodCents;
    double c = std::fmod(Cents(hz, tonicHz_), period);
    if (c < 0) {
        c += period;
    }
    double best = c;  // to degree 0
    int bestDegree = 0;
    for (int d = 0; d < temperament_.size(); ++d) {
        const double to = c - temperament_.degrees[d];
        if (std::abs(to) < std::abs(best)) {
            best = to;
            bestDegree = d;
        }
    }
    if (std::abs(c - period) < std::abs(best)) {
        best = c - period;
        bestDegree = 0;
    }
    r.degree = bestDegree;
    r.cents = best;
    return r;
}

}  // namespace tonavise
