// The two series of the precise estimate on note changes: how soon a new note is named, that
// no reading names a key neither note has, and that a held note still reads to a tenth of a cent.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>
#include <vector>

#include "engine/core/AudioFormat.h"
#include "engine/dsp/PitchSeries.h"

namespace tonavise {
namespace {

constexpr double kA4 = 440.0;

double KeyHz(int key) {
    return kA4 * std::exp2((key - 48) / 12.0);
}

int KeyOf(double hz) {
    return 48 + static_cast<int>(std::lround(12.0 * std::log2(hz / kA4)));
}

// Band-limited sawtooth notes one after another, each `gap` seconds of silence after the last,
// or overlapping by `overlap` seconds (the old note fading out as the new one fades in).
struct Note {
    int key;
    double seconds;
};

std::vector<int16_t> Render(const std::vector<Note>& notes,
                            double gap = 0.0,
                            double overlap = 0.0) {
    const int fade = static_cast<int>(overlap * kSampleRate);
    std::vector<double> mix;
    int start = 0;
    for (const Note& note : notes) {
        const int length = static_cast<int>(note.seconds * kSampleRate);
        mix.resize(std::max<std::size_t>(mix.size(), start + length + fade), 0.0);
        const double hz = KeyHz(note.key);
        for (int i = 0; i < length + fade; ++i) {
            double gain = 1.0;
            if (i < fade && start > 0) {
                gain = static_cast<double>(i) / fade;
            } else if (i >= length) {
                gain = 1.0 - static_cast<double>(i - length) / fade;
            }
            double v = 0.0;
            for (int n = 1; n * hz < 18000; ++n) {
                v += std::sin(2 * std::numbers::pi * n * hz * i / kSampleRate) / n;
            }
            mix[start + i] += 6000.0 * gain * v;
        }
        start += length + static_cast<int>(gap * kSampleRate);
        mix.resize(std::max<std::size_t>(mix.size(), start), 0.0);
    }
    std::vector<int16_t> out(mix.size());
    std::transform(mix.begin(), mix.end(), out.begin(), [](double v) {
        return static_cast<int16_t>(std::clamp(std::round(v), -32768.0, 32767.0));
    });
    return out;
}

class Readings final : public PitchSeries::Sink {
  public:
    void OnInstant(const SeriesReading& r) override { instant.push_back(r); }
    void OnSteady(const SeriesReading& r) override { steady.push_back(r); }
    std::vector<SeriesReading> instant;
    std::vector<SeriesReading> steady;
};

Readings Stream(const std::vector<int16_t>& sound, int piece = 882) {
    PitchSeries series;
    EXPECT_TRUE(series.Init());
    series.SetRange(KeyHz(0), KeyHz(87), kA4);
    Readings readings;
    for (std::size_t at = 0; at < sound.size(); at += piece) {
        const std::size_t n = std::min<std::size_t>(piece, sound.size() - at);
        series.Push(std::span<const int16_t>(sound.data() + at, n), readings);
    }
    return readings;
}

// Every reading names one of the keys sounding in the 372 ms before its end, or none; each
// note's key is named by the first reading ending 60 ms or more after its onset.
void ExpectNamedInTimeAndNoThirdKey(const std::vector<SeriesReading>& series,
                                    const std::vector<Note>& notes,
                                    double gap,
                                    const char* which) {
    std::vector<double> onsets;
    double t = 0.0;
    for (const Note& note : notes) {
        onsets.push_back(t);
        t += note.seconds + gap;
    }
    for (const SeriesReading& r : series) {
        if (!r.estimate.hasPitch) {
            continue;
        }
        const double end = static_cast<double>(r.endSample) / kSampleRate;
        std::set<int> sounding;
        for (std::size_t i = 0; i < notes.size(); ++i) {
            if (onsets[i] < end && onsets[i] + notes[i].seconds + 0.02 > end - 0.372) {
                sounding.insert(notes[i].key);
            }
        }
        EXPECT_TRUE(sounding.count(KeyOf(r.estimate.hz)) == 1)
            << which << " at " << end << " s names key " << KeyOf(r.estimate.hz);
    }
    for (std::size_t i = 1; i < notes.size(); ++i) {
        const auto first = std::find_if(series.begin(), series.end(), [&](const SeriesReading& r) {
            return static_cast<double>(r.endSample) / kSampleRate >= onsets[i] + 0.06;
        });
        ASSERT_NE(first, series.end());
        EXPECT_TRUE(first->estimate.hasPitch && KeyOf(first->estimate.hz) == notes[i].key)
            << which << ": note " << i << " (key " << notes[i].key << ") not named at "
            << static_cast<double>(first->endSample) / kSampleRate << " s";
    }
}

TEST(PitchSeries, ANewNoteIsNamedWithin60msAndNoReadingNamesAThirdKey) {
    struct Case {
        const char* name;
        std::vector<Note> notes;
        double gap;
    };
    const std::vector<Case> cases = {
        {"step A4-C5", {{48, 1.0}, {51, 0.6}}, 0.0},
        {"legato E4-F4", {{43, 1.0}, {44, 0.6}}, 0.0},
        {"detached", {{48, 0.25}, {50, 0.25}, {36, 0.25}, {55, 0.25}, {19, 0.4}, {48, 0.25}}, 0.05},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Readings r = Stream(Render(c.notes, c.gap));
        ExpectNamedInTimeAndNoThirdKey(r.steady, c.notes, c.gap, "steady");
        ExpectNamedInTimeAndNoThirdKey(r.instant, c.notes, c.gap, "instant");
    }
}

// Where one note fades out as the next fades in, the two sound together; E5 with F#5 repeats
// at E2's period, and no reading may say E2.
TEST(PitchSeries, TwoNotesCrossfadingNameEitherOrNone) {
    const std::vector<Note> notes = {{55, 0.5}, {57, 0.5}, {55, 0.5}, {52, 0.5}};
    const Readings r = Stream(Render(notes, 0.0, 0.08));
    for (const auto* series : {&r.steady, &r.instant}) {
        for (const SeriesReading& reading : *series) {
            if (reading.estimate.hasPitch) {
                const int key = KeyOf(reading.estimate.hz);
                EXPECT_TRUE(key == 55 || key == 57 || key == 52)
                    << static_cast<double>(reading.endSample) / kSampleRate << " s: key " << key;
            }
        }
    }
}

TEST(PitchSeries, SteadyReadingsComeEvery20msAndAHeldNoteReadsToATenthOfACent) {
    // A4 3.9 cents sharp, held for a second.
    std::vector<int16_t> sound(kSampleRate);
    const double hz = kA4 * std::exp2(3.9 / 1200.0);
    for (std::size_t i = 0; i < sound.size(); ++i) {
        sound[i] = static_cast<int16_t>(
            std::lround(8000.0 * std::sin(2 * std::numbers::pi * hz * i / kSampleRate)));
    }
    const Readings r = Stream(sound, 441 * 3);  // pieces that do not fall on the hop
    ASSERT_EQ(r.steady.size(), 50u);
    ASSERT_EQ(r.instant.size(), 100u);
    for (std::size_t i = 0; i < r.steady.size(); ++i) {
        EXPECT_EQ(r.steady[i].endSample, static_cast<int64_t>(882 * (i + 1)));
    }
    for (const SeriesReading& reading : r.steady) {
        if (reading.endSample >= NsdfPitchEstimator::kInputLength) {
            ASSERT_TRUE(reading.estimate.hasPitch);
            EXPECT_NEAR(1200.0 * std::log2(reading.estimate.hz / kA4), 3.9, 0.1);
        }
    }
}

}  // namespace
}  // namespace tonavise
