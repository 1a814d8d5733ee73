// The evaluation of both fundamental estimates on a corpus of single notes (scripts/pitch-eval.sh
// makes the corpus and runs this):
//
//   tonavise_pitch_eval midi --name piano --program 0 --notes 21:108:5 --dir DIR
//       writes DIR/piano.mid (one note every 2.8 s: 2 s held, some detuned by pitch bend) and
//       appends its notes to DIR/manifest.tsv, to be rendered into DIR/piano.wav
//   tonavise_pitch_eval run --manifest DIR/manifest.tsv [--subset] [--check] [--markdown]
//       analyses every note of the manifest and tones of its own, block by block as the
//       program does, and prints per group: right key %, median and 90th percentile of |error|
//       in cents, gross (> 50 cents) and octave errors, for the standard and precise estimates.
//       --check exits with 1 when the precise estimate misses its targets.
//
// Manifest lines: group, WAV file, note start s, note end s, nominal Hz, known Hz (0: measure).
// The true fundamental of a rendered note is measured, not taken from its MIDI number: sound-font
// samples are not exactly in tune. It is the lowest partial within 26 dB of the strongest of the
// first eight, measured over 1.2 s of the held note with a 4-term Blackman-Harris window
// zero-padded to 2^18 points (0.17 Hz bins) and a parabola through the logarithmic magnitudes,
// divided by its partial number.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <numbers>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/audiofile/FileLoading.h"
#include "engine/audiofile/LoadedClip.h"
#include "engine/core/AudioFormat.h"
#include "engine/core/Notifier.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/CaptureStore.h"
#include "engine/live/ClipAnalysis.h"

namespace tonavise::eval {
namespace {

constexpr double kRate = kSampleRate;
constexpr double kNoteSeconds = 2.0;
constexpr double kGapSeconds = 0.8;
constexpr double kSteadyFrom = 0.5;  // blocks ending before this hold the attack

class QuietNotifier final : public Notifier {
  public:
    void ShowMessage(std::string_view, std::string_view text, MessageIcon) override {
        last.assign(text);
    }
    std::string last;
};

double Cents(double a, double b) {
    return 1200.0 * std::log2(a / b);
}
double MidiHz(double note) {
    return 440.0 * std::exp2((note - 69.0) / 12.0);
}

// ---------------------------------------------------------------------------------------------
// MIDI files for the sound-font renderer.

void PutVarLen(std::string& s, uint32_t v) {
    uint8_t bytes[5];
    int n = 0;
    bytes[n++] = v & 0x7f;
    while ((v >>= 7) != 0) {
        bytes[n++] = static_cast<uint8_t>(0x80 | (v & 0x7f));
    }
    while (n > 0) {
        s += static_cast<char>(bytes[--n]);
    }
}

struct Note {
    int number;
    double bendCents;
};

// Every third note is detuned by up to 35 cents either way, by pitch bend (range 2 semitones).
std::vector<Note> Notes(int lo, int hi, int step) {
    std::vector<Note> notes;
    int i = 0;
    for (int n = lo; n <= hi; n += step, ++i) {
        notes.push_back({n, i % 3 == 2 ? ((i * 37) % 71) - 35.0 : 0.0});
    }
    return notes;
}

std::string MidiFile(int program, const std::vector<Note>& notes) {
    constexpr int kTicksPerSecond = 960;  // 480 per quarter at 120 per minute
    std::string track;
    const auto event = [&](uint32_t delta, std::initializer_list<int> bytes) {
        PutVarLen(track, delta);
        for (int b : bytes) {
            track += static_cast<char>(b);
        }
    };
    event(0, {0xC0, program});
    event(0, {0xB0, 101, 0});  // pitch-bend range: 2 semitones, 0 cents
    event(0, {0xB0, 100, 0});
    event(0, {0xB0, 6, 2});
    event(0, {0xB0, 38, 0});
    uint32_t pending = 0;
    for (const Note& n : notes) {
        const int bend =
            std::clamp(8192 + static_cast<int>(std::lround(n.bendCents / 200.0 * 8192)), 0, 16383);
        event(pending, {0xE0, bend & 0x7f, bend >> 7});
        event(0, {0x90, n.number, 100});
        event(static_cast<uint32_t>(kNoteSeconds * kTicksPerSecond), {0x80, n.number, 0});
        pending = static_cast<uint32_t>(kGapSeconds * kTicksPerSecond);
    }
    event(pending, {0xFF, 0x2F, 0x00});
    std::string file = "MThd";
    const auto put32 = [](std::string& s, uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            s += static_cast<char>((v >> shift) & 0xff);
        }
    };
    put32(file, 6);
    file += std::string("\0\0\0\1\1\xe0", 6);  // format 0, one track, 480 ticks per quarter
    file += "MTrk";
    put32(file, static_cast<uint32_t>(track.size()));
    return file + track;
}

int WriteMidi(
    const std::string& name, int program, int lo, int hi, int step, const std::string& dir) {
    const std::vector<Note> notes = Notes(lo, hi, step);
    std::ofstream(dir + "/" + name + ".mid", std::ios::binary) << MidiFile(program, notes);
    std::ofstream manifest(dir + "/manifest.tsv", std::ios::app);
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const double start = static_cast<double>(i) * (kNoteSeconds + kGapSeconds);
        manifest << name << '\t' << dir << '/' << name << ".wav\t" << start << '\t'
                 << start + kNoteSeconds << '\t'
                 << MidiHz(notes[i].number + notes[i].bendCents / 100) << "\t0\n";
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Sound in memory.

LoadedClip MonoClip(const std::vector<double>& samples) {
    LoadedClip clip;
    clip.kind = LoadedKind::Wav;
    clip.format = PcmFormat(1);
    clip.length = static_cast<int32_t>(samples.size() * 2);
    clip.data = std::make_unique<uint8_t[]>(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto v = static_cast<int16_t>(std::clamp(std::round(samples[i]), -32768.0, 32767.0));
        std::memcpy(clip.data.get() + 2 * i, &v, 2);
    }
    return clip;
}

// Frames [from, to) of a 16-bit clip as a clip of its own, and its mono mix as doubles.
LoadedClip Cut(const LoadedClip& whole, int64_t from, int64_t to, std::vector<double>& mono) {
    const int align = whole.format.blockAlign;
    const int channels = whole.format.channels;
    const int64_t frames = whole.length / align;
    from = std::clamp<int64_t>(from, 0, frames);
    to = std::clamp<int64_t>(to, from, frames);
    LoadedClip clip;
    clip.kind = LoadedKind::Wav;
    clip.format = whole.format;
    clip.length = static_cast<int32_t>((to - from) * align);
    clip.data = std::make_unique<uint8_t[]>(static_cast<std::size_t>(clip.length));
    std::memcpy(
        clip.data.get(), whole.data.get() + from * align, static_cast<std::size_t>(clip.length));
    mono.assign(static_cast<std::size_t>(to - from), 0.0);
    for (int64_t i = 0; i < to - from; ++i) {
        double sum = 0.0;
        for (int c = 0; c < channels; ++c) {
            int16_t v;
            std::memcpy(&v, clip.data.get() + i * align + 2 * c, 2);
            sum += v;
        }
        mono[static_cast<std::size_t>(i)] = sum / channels;
    }
    return clip;
}

// ---------------------------------------------------------------------------------------------
// The true fundamental of a held note.

double MeasureFundamental(const std::vector<double>& mono, double nominal, Fft& fft) {
    const int from = static_cast<int>(0.3 * kRate);
    const int length =
        std::min(static_cast<int>(1.2 * kRate), static_cast<int>(mono.size()) - from);
    if (length < 4096) {
        return 0.0;
    }
    const int size = fft.size();
    const std::span<double> re = fft.re();
    const std::span<double> im = fft.im();
    std::fill(re.begin(), re.end(), 0.0);
    std::fill(im.begin(), im.end(), 0.0);
    for (int n = 0; n < length; ++n) {
        const double t = 2 * std::numbers::pi * n / length;
        const double w =
            0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2 * t) - 0.01168 * std::cos(3 * t);
        re[n] = mono[from + n] * w;
    }
    fft.Transform();
    const double bin = kRate / size;
    const auto logMagnitude = [&](int k) {
        return std::log(std::hypot(fft.re()[k], fft.im()[k]) + 1e-9);
    };
    double partial[9] = {};
    double level[9] = {};
    double strongest = 0.0;
    for (int j = 1; j <= 8 && j * nominal < 18000; ++j) {
        const int lo = static_cast<int>(j * nominal * std::exp2(-60.0 / 1200) / bin);
        const int hi = static_cast<int>(j * nominal * std::exp2(60.0 / 1200) / bin);
        int best = lo;
        for (int k = lo; k <= hi; ++k) {
            if (logMagnitude(k) > logMagnitude(best)) {
                best = k;
            }
        }
        if (best == lo || best == hi) {
            continue;  // the flank of something outside the range
        }
        const double a = logMagnitude(best - 1);
        const double b = logMagnitude(best);
        const double c = logMagnitude(best + 1);
        const double shift = 0.5 * (a - c) / (a - 2 * b + c);
        partial[j] = (best + shift) * bin;
        level[j] = std::exp(b);
        strongest = std::max(strongest, level[j]);
    }
    for (int j = 1; j <= 8; ++j) {
        if (level[j] >= 0.05 * strongest && level[j] > 0.0) {
            return partial[j] / j;
        }
    }
    return 0.0;
}

// ---------------------------------------------------------------------------------------------
// Statistics.

struct Tally {
    std::vector<double> errors;  // |cents| of blocks with a pitch
    int blocks = 0;
    int rightKey = 0;
    int gross = 0;  // > 50 cents off, or no pitch
    int octave = 0;
    int noPitch = 0;
    int within3 = 0;

    void Add(bool hasPitch, double hz, double truth, bool keyRight) {
        ++blocks;
        if (!hasPitch) {
            ++noPitch;
            ++gross;
            return;
        }
        const double e = Cents(hz, truth);
        errors.push_back(std::abs(e));
        rightKey += keyRight ? 1 : 0;
        gross += std::abs(e) > 50 ? 1 : 0;
        within3 += std::abs(e) <= 3 ? 1 : 0;
        const double octaves = std::round(e / 1200);
        octave += octaves != 0 && std::abs(e - 1200 * octaves) < 50 ? 1 : 0;
    }
    void Merge(const Tally& o) {
        errors.insert(errors.end(), o.errors.begin(), o.errors.end());
        blocks += o.blocks;
        rightKey += o.rightKey;
        gross += o.gross;
        octave += o.octave;
        noPitch += o.noPitch;
        within3 += o.within3;
    }
    double Percentile(double p) const {
        if (errors.empty()) {
            return NAN;
        }
        std::vector<double> e = errors;
        const auto k = static_cast<std::size_t>(std::min<double>(e.size() - 1, p * e.size()));
        std::nth_element(e.begin(), e.begin() + static_cast<std::ptrdiff_t>(k), e.end());
        return e[k];
    }
    double Share(int n) const { return blocks > 0 ? 100.0 * n / blocks : NAN; }
};

struct GroupResult {
    std::string kind;  // "synthetic", "instrument" or "unpitched"
    Tally standard;
    Tally standardLog;
    Tally precise;
    int preciseLogDiffers = 0;
    int notes = 0;
};

GroupResult MakeGroup(const std::string& kind) {
    GroupResult g;
    g.kind = kind;
    return g;
}

// --show GROUP: every block of that group's notes.
std::string showGroup;

struct Clip {
    std::string group;
    std::string kind;
    LoadedClip sound;
    double truth = 0.0;  // 0: unpitched
    double steadyTo = kNoteSeconds;
};

// Runs one clip through the analysis as the program does, with the logarithmic option off and
// on, and tallies its steady blocks.
void Evaluate(const Clip& clip, GroupResult& result) {
    KeyTable keyTable;
    keyTable.pitchMethod.store(kPitchMethodPrecise);
    Fft fft(kFftSize);
    std::vector<BlockPitch> rows[2];
    for (int log = 0; log < 2; ++log) {
        keyTable.logarithmOption.store(log);
        CaptureStore store;
        store.Create();
        store.scopeMode.store(kScopePitch);
        AnalyzeClip(clip.sound, store, fft, keyTable, [&](const BlockPitch& row) {
            rows[log].push_back(row);
        });
    }
    ++result.notes;
    if (!showGroup.empty() && clip.group == showGroup) {
        for (const BlockPitch& row : rows[0]) {
            std::printf(
                "%s truth %.3f  t %.1f  standard %.3f  precise %.3f (%+.1f c) clarity %.3f%s\n",
                clip.group.c_str(),
                clip.truth,
                row.timeSeconds,
                row.fundamentalHz,
                row.precise.hz,
                row.precise.hasPitch ? Cents(row.precise.hz, clip.truth) : 0.0,
                row.precise.clarity,
                row.precise.hasPitch ? "" : " no pitch");
        }
    }
    const int truthKey = clip.truth > 0 ? keyTable.NearestKeyExact(clip.truth).key : -1;
    // A held note counts while it sounds: its newest 100 ms within 40 dB of its loudest 100 ms
    // (a high piano note has died away long before the key is let go).
    std::vector<double> level(rows[0].size(), 0.0);
    const int channels = clip.sound.format.channels;
    for (std::size_t k = 0; k < level.size(); ++k) {
        const auto first = static_cast<int64_t>(k) * kBlockFrames * channels;
        const int64_t last =
            std::min<int64_t>(first + int64_t{kBlockFrames} * channels, clip.sound.length / 2);
        double sum = 0.0;
        for (int64_t i = first; i < last; ++i) {
            int16_t v;
            std::memcpy(&v, clip.sound.data.get() + 2 * i, 2);
            sum += static_cast<double>(v) * v;
        }
        level[k] = sum;
    }
    const double loudest = level.empty() ? 0.0 : *std::max_element(level.begin(), level.end());
    for (std::size_t k = 0; k < rows[0].size(); ++k) {
        const BlockPitch& row = rows[0][k];
        if (row.timeSeconds < kSteadyFrom - 1e-9 || row.timeSeconds > clip.steadyTo + 1e-9) {
            continue;
        }
        if (clip.truth > 0 && level[k] < 1e-4 * loudest) {
            continue;
        }
        const PitchEstimate& p = row.precise;
        const PitchEstimate& q = rows[1][k].precise;
        result.preciseLogDiffers += (p.hasPitch != q.hasPitch || p.hz != q.hz) ? 1 : 0;
        if (clip.truth <= 0) {
            result.precise.Add(p.hasPitch, p.hz, 1.0, false);
            continue;
        }
        result.standard.Add(true,
                            row.fundamentalHz,
                            clip.truth,
                            keyTable.NearestKey(row.fundamentalHz).key == truthKey);
        result.standardLog.Add(true,
                               rows[1][k].fundamentalHz,
                               clip.truth,
                               keyTable.NearestKey(rows[1][k].fundamentalHz).key == truthKey);
        result.precise.Add(p.hasPitch,
                           p.hz,
                           clip.truth,
                           p.hasPitch && keyTable.NearestKeyExact(p.hz).key == truthKey);
    }
}

// ---------------------------------------------------------------------------------------------
// Tones of our own.

struct ToneRecipe {
    double hz;
    std::vector<std::pair<int, double>> partials;  // number, amplitude
    double noiseRms = 0.0;
    double vibratoCents = 0.0;
};

std::vector<double> Synthesize(const ToneRecipe& t, double seconds, unsigned seed) {
    const auto n = static_cast<std::size_t>(seconds * kRate);
    std::vector<double> s(n, 0.0);
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> phase(t.partials.size(), 0.3);
    for (std::size_t i = 0; i < n; ++i) {
        const double bend =
            std::exp2(t.vibratoCents / 1200 *
                      std::sin(2 * std::numbers::pi * 5.5 * static_cast<double>(i) / kRate));
        double v = t.noiseRms * noise(random);
        for (std::size_t p = 0; p < t.partials.size(); ++p) {
            const double f = t.partials[p].first * t.hz * bend;
            if (f < 0.45 * kRate) {
                v += t.partials[p].second * std::sin(phase[p]);
            }
            phase[p] += 2 * std::numbers::pi * f / kRate;
        }
        s[i] = v;
    }
    return s;
}

std::vector<std::pair<int, double>> Series(
    int count, int step, double amplitude, bool alternate, double power) {
    std::vector<std::pair<int, double>> p;
    for (int n = 1, i = 0; n <= count; n += step, ++i) {
        const double sign = alternate && i % 2 == 1 ? -1.0 : 1.0;
        p.emplace_back(n, sign * amplitude / std::pow(n, power));
    }
    return p;
}

double Rms(const std::vector<std::pair<int, double>>& partials) {
    double sum = 0.0;
    for (auto [n, a] : partials) {
        sum += a * a / 2;
    }
    return std::sqrt(sum);
}

std::vector<Clip> OwnTones(bool subset) {
    std::vector<Clip> clips;
    const auto add =
        [&](const std::string& group, const ToneRecipe& recipe, double truth, unsigned seed) {
            Clip c;
            c.group = group;
            c.kind = truth > 0 ? "synthetic" : "unpitched";
            c.sound = MonoClip(Synthesize(recipe, kNoteSeconds, seed));
            c.truth = truth;
            clips.push_back(std::move(c));
        };
    const int step = subset ? 29 : 5;
    unsigned seed = 1;
    for (int key = 0; key < kKeyCount; key += step) {
        const double hz = 27.5 * std::exp2(key / 12.0);
        // Each tone a little off its key, as real instruments are.
        const double f = hz * std::exp2(((key * 13) % 41 - 20) / 1200.0);
        add("sine", {f, {{1, 12000}}}, f, seed++);
        add("sawtooth", {f, Series(60, 1, 9000, false, 1)}, f, seed++);
        add("square", {f, Series(60, 2, 9000, false, 1)}, f, seed++);
        add("triangle", {f, Series(60, 2, 12000, true, 2)}, f, seed++);
        add("fundamental -20 dB", {f, {{1, 1000}, {2, 10000}, {3, 4000}, {4, 2000}}}, f, seed++);
        if (key >= 12) {
            add("missing fundamental",
                {f, {{2, 8000}, {3, 6000}, {4, 4000}, {5, 2000}}},
                f,
                seed++);
        }
        add("vibrato +-30 cents", {f, Series(8, 1, 9000, false, 1), 0.0, 30.0}, f, seed++);
    }
    // The A3 sawtooth in white noise at 15 dB SNR, many times over.
    const auto saw = Series(60, 1, 9000, false, 1);
    for (int i = 0; i < (subset ? 2 : 10); ++i) {
        add("A3 sawtooth, noise 15 dB",
            {220.0, saw, Rms(saw) / std::sqrt(std::pow(10.0, 1.5))},
            220.0,
            seed++);
    }
    for (int i = 0; i < (subset ? 1 : 3); ++i) {
        add("silence", {440.0, {}}, 0.0, seed++);
        add("white noise", {440.0, {}, 6000.0}, 0.0, seed++);
        add("quiet white noise", {440.0, {}, 30.0}, 0.0, seed++);
        // Clicks every 250 ms on a DC offset.
        Clip c;
        c.group = "clicks on DC";
        c.kind = "unpitched";
        std::vector<double> s(static_cast<std::size_t>(kNoteSeconds * kRate), 4000.0);
        for (std::size_t k = 0; k < s.size(); k += 11025) {
            s[k] = 32767;
            s[k + 1] = -32768;
        }
        c.sound = MonoClip(s);
        clips.push_back(std::move(c));
    }
    return clips;
}

// Passes after a step from A4 to B4 until each estimate names B4 (within 5 cents for precise).
void MeasureLatency(int& standardPasses, int& precisePasses) {
    std::vector<double> s = Synthesize({440.0, {{1, 10000}}}, 2.0, 1);
    // B4 continues the phase of A4 at the step.
    double phase = 0.3 + 2 * std::numbers::pi * 440.0 * static_cast<double>(s.size()) / kRate;
    for (int i = 0; i < static_cast<int>(kRate); ++i) {
        s.push_back(10000 * std::sin(phase));
        phase += 2 * std::numbers::pi * 493.883 / kRate;
    }
    const LoadedClip clip = MonoClip(s);
    KeyTable keyTable;
    keyTable.pitchMethod.store(kPitchMethodPrecise);
    Fft fft(kFftSize);
    CaptureStore store;
    store.Create();
    standardPasses = precisePasses = -1;
    AnalyzeClip(clip, store, fft, keyTable, [&](const BlockPitch& row) {
        const int pass = static_cast<int>(row.block) - 19;  // block 20 is the first with B4
        if (pass < 1) {
            return;
        }
        if (standardPasses < 0 && row.key == kKeyA4 + 2) {
            standardPasses = pass;
        }
        const auto nk = keyTable.NearestKeyExact(row.precise.hz);
        if (precisePasses < 0 && row.precise.hasPitch && nk.key == kKeyA4 + 2 &&
            std::abs(nk.cents) < 5) {
            precisePasses = pass;
        }
    });
}

// ---------------------------------------------------------------------------------------------

struct Row {
    std::string label;
    const Tally* t;
};

void PrintTable(const std::vector<std::pair<std::string, GroupResult>>& groups, bool markdown) {
    const char* head =
        "| group | notes | blocks | method | right key % | median c | p90 c | gross % | octave % |";
    if (markdown) {
        std::printf("%s\n|---|---|---|---|---|---|---|---|---|\n", head);
    } else {
        std::printf("%-28s %5s %6s %-12s %8s %8s %8s %8s %8s\n",
                    "group",
                    "notes",
                    "blocks",
                    "method",
                    "key%",
                    "median",
                    "p90",
                    "gross%",
                    "octave%");
    }
    for (const auto& [name, g] : groups) {
        if (g.kind == "unpitched") {
            continue;
        }
        for (const Row& r : {Row{"standard", &g.standard},
                             Row{"standard log", &g.standardLog},
                             Row{"precise", &g.precise}}) {
            const Tally& t = *r.t;
            if (markdown) {
                std::printf("| %s | %d | %d | %s | %.1f | %.2f | %.2f | %.2f | %.2f |\n",
                            name.c_str(),
                            g.notes,
                            t.blocks,
                            r.label.c_str(),
                            t.Share(t.rightKey),
                            t.Percentile(0.5),
                            t.Percentile(0.9),
                            t.Share(t.gross),
                            t.Share(t.octave));
            } else {
                std::printf("%-28s %5d %6d %-12s %8.1f %8.2f %8.2f %8.2f %8.2f\n",
                            name.c_str(),
                            g.notes,
                            t.blocks,
                            r.label.c_str(),
                            t.Share(t.rightKey),
                            t.Percentile(0.5),
                            t.Percentile(0.9),
                            t.Share(t.gross),
                            t.Share(t.octave));
            }
        }
    }
}

int Run(const std::string& manifestPath, bool subset, bool check, bool markdown) {
    std::vector<Clip> clips = OwnTones(subset);
    std::map<std::string, LoadedClip> files;
    Fft measure(1 << 18);
    std::ifstream manifest(manifestPath);
    int unmeasured = 0;
    std::vector<double> detuned;  // |cents| of each rendered note from its MIDI pitch and bend
    for (std::string line; std::getline(manifest, line);) {
        std::istringstream in(line);
        std::string group;
        std::string file;
        double start = 0;
        double end = 0;
        double nominal = 0;
        double known = 0;
        if (!std::getline(in, group, '\t') || !std::getline(in, file, '\t') ||
            !(in >> start >> end >> nominal >> known)) {
            continue;
        }
        auto it = files.find(file);
        if (it == files.end()) {
            QuietNotifier notifier;
            LoadedClip whole;
            if (!LoadWav(file, whole, notifier)) {
                std::fprintf(stderr, "%s: %s\n", file.c_str(), notifier.last.c_str());
                return 2;
            }
            it = files.emplace(file, std::move(whole)).first;
        }
        Clip c;
        c.group = group;
        c.kind = known > 0 ? "synthetic" : "instrument";
        std::vector<double> mono;
        const auto rate = static_cast<int64_t>(it->second.format.samplesPerSec);
        if (rate != kSampleRate) {
            std::fprintf(stderr, "%s: not 44100 Hz\n", file.c_str());
            return 2;
        }
        c.sound = Cut(it->second,
                      std::llround(start * kRate),
                      std::llround((end + kGapSeconds / 2) * kRate),
                      mono);
        c.steadyTo = end - start;
        c.truth = known > 0 ? known : MeasureFundamental(mono, nominal, measure);
        if (c.truth <= 0) {
            // Too quiet or too short to measure: left out, and said so.
            std::printf(
                "left out: %s %.2f Hz (no measurable fundamental)\n", group.c_str(), nominal);
            ++unmeasured;
            continue;
        }
        if (known <= 0) {
            detuned.push_back(std::abs(Cents(c.truth, nominal)));
        }
        clips.push_back(std::move(c));
    }

    std::vector<std::pair<std::string, GroupResult>> groups;
    for (const Clip& c : clips) {
        auto it = std::find_if(
            groups.begin(), groups.end(), [&](const auto& g) { return g.first == c.group; });
        if (it == groups.end()) {
            groups.emplace_back(c.group, MakeGroup(c.kind));
            it = groups.end() - 1;
        }
        Evaluate(c, it->second);
    }
    PrintTable(groups, markdown);

    GroupResult all = MakeGroup("all");
    GroupResult steady = MakeGroup("steady");
    GroupResult stable = MakeGroup("stable");
    Tally noise;
    Tally unpitched;
    int logDiffers = 0;
    for (const auto& [name, g] : groups) {
        logDiffers += g.preciseLogDiffers;
        if (g.kind == "unpitched") {
            unpitched.Merge(g.precise);
            continue;
        }
        const bool steadySynthetic = g.kind == "synthetic" &&
                                     name.find("noise") == std::string::npos &&
                                     name.find("vibrato") == std::string::npos;
        // Struck and plucked strings have no vibrato: their pitch is stable while they sound.
        const bool stableInstrument =
            name == "piano" || name.find("guitar") != std::string::npos || name == "acoustic-bass";
        for (GroupResult* r :
             {&all, steadySynthetic ? &steady : nullptr, stableInstrument ? &stable : nullptr}) {
            if (r != nullptr) {
                r->standard.Merge(g.standard);
                r->standardLog.Merge(g.standardLog);
                r->precise.Merge(g.precise);
                r->notes += g.notes;
            }
        }
        if (name.rfind("A3 sawtooth, noise", 0) == 0) {
            noise = g.precise;
        }
    }
    std::vector<std::pair<std::string, GroupResult>> summary;
    summary.emplace_back("all pitched", std::move(all));
    summary.emplace_back("synthetic, no noise/vibrato", std::move(steady));
    summary.emplace_back("piano, guitars, bass", std::move(stable));
    std::printf("\n");
    PrintTable(summary, markdown);
    int standardPasses = 0;
    int precisePasses = 0;
    MeasureLatency(standardPasses, precisePasses);
    const Tally& p = summary[0].second.precise;
    std::printf("\nunpitched blocks named by precise: %d of %d\n",
                unpitched.blocks - unpitched.noPitch,
                unpitched.blocks);
    std::printf("A3 sawtooth in noise, precise within 3 cents: %.1f %% of %d blocks\n",
                noise.Share(noise.within3),
                noise.blocks);
    std::printf("precise estimate changed by the logarithmic option: %d blocks\n", logDiffers);
    std::printf("A4 -> B4 step named B4 after: standard %d passes, precise %d passes\n",
                standardPasses,
                precisePasses);
    if (!detuned.empty()) {
        std::sort(detuned.begin(), detuned.end());
        std::printf("rendered notes from their MIDI pitch: median %.1f cents, largest %.1f cents\n",
                    detuned[detuned.size() / 2],
                    detuned.back());
    }
    if (unmeasured > 0) {
        std::printf("notes left out (no measurable fundamental): %d\n", unmeasured);
    }
    if (!check) {
        return 0;
    }
    const double steadyMedian = std::max(summary[1].second.precise.Percentile(0.5),
                                         summary[2].second.precise.Percentile(0.5));
    const bool pass = p.Share(p.rightKey) >= 99.0 && p.Percentile(0.5) <= 3.0 &&
                      steadyMedian <= 1.0 && p.Share(p.gross) <= 1.0 &&
                      unpitched.noPitch == unpitched.blocks && noise.Share(noise.within3) >= 95.0 &&
                      logDiffers == 0 && precisePasses >= 1 && precisePasses <= 2;
    std::printf("%s\n",
                pass ? "precise estimate: targets met" : "precise estimate: TARGETS MISSED");
    return pass ? 0 : 1;
}

}  // namespace
}  // namespace tonavise::eval

int main(int argc, char** argv) {
    using namespace tonavise::eval;
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto value = [&](const std::string& name, const std::string& fallback = "") {
        for (std::size_t i = 0; i + 1 < args.size(); ++i) {
            if (args[i] == name) {
                return args[i + 1];
            }
        }
        return fallback;
    };
    const auto flag = [&](const std::string& name) {
        return std::find(args.begin(), args.end(), name) != args.end();
    };
    if (!args.empty() && args[0] == "midi") {
        int lo = 0;
        int hi = 0;
        int step = 1;
        if (std::sscanf(value("--notes").c_str(), "%d:%d:%d", &lo, &hi, &step) != 3 || step < 1) {
            std::fprintf(stderr, "--notes LO:HI:STEP\n");
            return 2;
        }
        return WriteMidi(
            value("--name"), std::stoi(value("--program", "0")), lo, hi, step, value("--dir", "."));
    }
    if (!args.empty() && args[0] == "run") {
        showGroup = value("--show");
        return Run(value("--manifest"), flag("--subset"), flag("--check"), flag("--markdown"));
    }
    std::fprintf(
        stderr,
        "usage: tonavise_pitch_eval midi --name N --program P --notes LO:HI:STEP --dir D\n"
        "       tonavise_pitch_eval run --manifest FILE [--subset] [--check] [--markdown]\n");
    return 2;
}
