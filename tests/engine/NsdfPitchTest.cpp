#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>
#include <tuple>
#include <vector>

#include "engine/core/AudioFormat.h"
#include "engine/dsp/KeyTable.h"
#include "engine/dsp/NsdfPitch.h"
#include "engine/live/PitchReading.h"

namespace tonavise {
namespace {

constexpr double kA0 = 27.5;
constexpr double kC8 = 4186.009;

struct Partial {
    int number;
    double amplitude;
};

struct Tone {
    double hz = 440.0;
    std::vector<Partial> partials{{1, 10000}};
    double inharmonicity = 0.0;  // B: partial n at n f sqrt(1 + B n^2)
    double vibratoCents = 0.0;   // depth of a 5.5 Hz vibrato
    double noiseRms = 0.0;
    double offset = 0.0;
};

std::vector<int16_t> Render(const Tone& t, int length = kHistoryLength) {
    std::vector<int16_t> out(length);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, 1.0);
    std::vector<double> phase(t.partials.size(), 0.0);
    for (int i = 0; i < length; ++i) {
        const double bend =
            std::exp2(t.vibratoCents / 1200.0 * std::sin(2 * std::numbers::pi * 5.5 * i / 44100));
        double v = t.offset + t.noiseRms * noise(random);
        for (std::size_t p = 0; p < t.partials.size(); ++p) {
            const int n = t.partials[p].number;
            const double f = n * t.hz * std::sqrt(1.0 + t.inharmonicity * n * n) * bend;
            if (f < 20000) {
                v += t.partials[p].amplitude * std::sin(phase[p] + 0.7 * n);
            }
            phase[p] += 2 * std::numbers::pi * f / 44100;
        }
        out[i] = static_cast<int16_t>(std::clamp(std::round(v), -32768.0, 32767.0));
    }
    return out;
}

std::vector<Partial> Sawtooth(double amplitude = 12000) {
    std::vector<Partial> p;
    for (int n = 1; n <= 40; ++n) {
        p.push_back({n, amplitude / n});
    }
    return p;
}

std::vector<Partial> Square(double amplitude = 12000) {
    std::vector<Partial> p;
    for (int n = 1; n <= 40; n += 2) {
        p.push_back({n, amplitude / n});
    }
    return p;
}

PitchEstimate Estimate(const std::vector<int16_t>& samples, double a4 = 440.0) {
    NsdfPitchEstimator e;
    EXPECT_TRUE(e.Init());
    e.LoadMono(samples);
    KeyTable d;
    d.SetA4(a4);
    return e.Estimate(d.KeyFrequency(0), d.KeyFrequency(87));
}

double CentsOff(const PitchEstimate& p, double hz) {
    return 1200.0 * std::log2(p.hz / hz);
}

TEST(NsdfPitch, SteadyTonesAcrossTheKeysToATwentiethOfACent) {
    for (double hz :
         {kA0, 30.87, 41.2, 61.7, 82.41, 110.0, 196.0, 261.63, 441.0, 880.0, 1975.5, 3520.0, kC8}) {
        const std::vector<std::pair<const char*, std::vector<Partial>>> waves = {
            {"sine", {{1, 12000}}}, {"sawtooth", Sawtooth()}, {"square", Square()}};
        for (const auto& [name, partials] : waves) {
            const PitchEstimate p = Estimate(Render({.hz = hz, .partials = partials}));
            ASSERT_TRUE(p.hasPitch) << name << " " << hz;
            EXPECT_NEAR(CentsOff(p, hz), 0.0, 0.05) << name << " " << hz;
            EXPECT_GT(p.clarity, 0.9) << name << " " << hz;
        }
    }
}

TEST(NsdfPitch, NamesKeysAgainstAnyA4AndReadsTenthsOfACent) {
    KeyTable d;
    // 441 Hz against A4 = 440 Hz is 3.93 cents sharp.
    const PitchEstimate p = Estimate(Render({.hz = 441.0}));
    SpectrumFrame frame;
    frame.pitchMethod = kPitchMethodPrecise;
    frame.precise = p;
    PitchReading r = ReadPitch(frame, d);
    EXPECT_TRUE(r.hasPitch);
    EXPECT_EQ(r.key, kKeyA4);
    EXPECT_NEAR(r.cents, 3.93, 0.01);
    EXPECT_EQ(PitchColumns(r, d), "441.000,48,A4,3.9");
    // The lowest and highest keys with A4 at both ends of its range.
    for (double a4 : {435.0, 445.0}) {
        d.SetA4(a4);
        for (int key : {0, 48, 87}) {
            frame.precise =
                Estimate(Render({.hz = d.KeyFrequency(key), .partials = Sawtooth()}), a4);
            r = ReadPitch(frame, d);
            EXPECT_EQ(r.key, key) << a4;
            EXPECT_NEAR(r.cents, 0.0, 0.05) << a4 << " key " << key;
        }
    }
    // No pitch: four empty columns; the standard estimate keeps its whole cents.
    d.SetA4(440.0);
    frame.precise = PitchEstimate{};
    EXPECT_EQ(PitchColumns(ReadPitch(frame, d), d), ",,,");
    frame.pitchMethod = kPitchMethodStandard;
    frame.fundamentalHz = 10.0;
    EXPECT_EQ(PitchColumns(ReadPitch(frame, d), d), "10.000,-17,,-51");
}

TEST(NsdfPitch, WeakOrMissingFundamentalIsStillTheFundamental) {
    for (double hz : {30.87, 41.2, 82.41, 110.0, 220.0, 440.0, 1046.5}) {
        // The fundamental 20 dB under its second harmonic: the octave trap.
        PitchEstimate p = Estimate(Render({.hz = hz, .partials = {{1, 1000}, {2, 10000}}}));
        ASSERT_TRUE(p.hasPitch) << hz;
        EXPECT_NEAR(CentsOff(p, hz), 0.0, 0.5) << "weak fundamental " << hz;
        // No fundamental at all, as in the lowest piano and guitar notes through a small speaker.
        p = Estimate(Render({.hz = hz, .partials = {{2, 8000}, {3, 6000}, {4, 4000}, {5, 2000}}}));
        ASSERT_TRUE(p.hasPitch) << hz;
        EXPECT_NEAR(CentsOff(p, hz), 0.0, 0.5) << "missing fundamental " << hz;
    }
    // Only even partials: that is a tone an octave up, not a missing fundamental.
    const PitchEstimate p = Estimate(Render({.hz = 220.0, .partials = {{2, 8000}, {4, 4000}}}));
    EXPECT_NEAR(CentsOff(p, 440.0), 0.0, 0.1);
}

TEST(NsdfPitch, PianoStringsVibratoAndNoiseGiveTheCentre) {
    // A stiff string: partials stretched by B = 0.0004 (a middle piano string), the fundamental
    // weaker than the next partials. The fundamental itself is named, not the stretched series.
    for (double hz : {55.0, 130.81, 261.63, 523.25}) {
        std::vector<Partial> partials{{1, 2000}, {2, 8000}, {3, 6000}, {4, 4000}, {5, 3000}};
        const PitchEstimate p =
            Estimate(Render({.hz = hz, .partials = partials, .inharmonicity = 0.0004}));
        ASSERT_TRUE(p.hasPitch) << hz;
        EXPECT_NEAR(CentsOff(p, hz * std::sqrt(1.0004)), 0.0, 1.0) << hz;
    }
    // +-40 cents of vibrato: near its centre whatever its phase, not where it was mid-frame.
    for (int length : {32768, 32768 - 1000, 32768 - 2000, 32768 - 3000, 32768 - 4000}) {
        const PitchEstimate p =
            Estimate(Render({.hz = 392.0, .partials = Sawtooth(), .vibratoCents = 40}, length));
        ASSERT_TRUE(p.hasPitch);
        EXPECT_NEAR(CentsOff(p, 392.0), 0.0, 8.0) << length;
    }
    // A3 sawtooth in white noise at 15 dB SNR (sawtooth RMS 10800, noise RMS 1920).
    const PitchEstimate p =
        Estimate(Render({.hz = 220.0, .partials = Sawtooth(), .noiseRms = 1920}));
    ASSERT_TRUE(p.hasPitch);
    EXPECT_NEAR(CentsOff(p, 220.0), 0.0, 1.0);
}

TEST(NsdfPitch, NoPitchWhereThereIsNoneAndNeverANonFiniteValue) {
    const auto expectNone = [](const std::vector<int16_t>& s, const char* what) {
        const PitchEstimate p = Estimate(s);
        EXPECT_FALSE(p.hasPitch) << what << " gave " << p.hz;
        EXPECT_EQ(p.hz, 0.0) << what;
        EXPECT_TRUE(std::isfinite(p.clarity) && p.clarity >= 0.0 && p.clarity <= 1.0) << what;
    };
    expectNone(std::vector<int16_t>(kHistoryLength, 0), "silence");
    expectNone(std::vector<int16_t>(kHistoryLength, -32768), "full-scale DC");
    expectNone(Render({.partials = {}, .noiseRms = 8000}), "white noise");
    expectNone(Render({.partials = {}, .noiseRms = 30000}), "clipped white noise");
    std::vector<int16_t> click(kHistoryLength, 0);
    click[kHistoryLength - 3000] = 32767;
    click[kHistoryLength - 2999] = -32768;
    expectNone(click, "a click");
    expectNone(Render({.hz = 8000.0}), "a whistle above C8");
    expectNone(Render({.hz = 20.0}), "a rumble below A0");

    // Full-scale square with a DC offset: clipped, still A4.
    PitchEstimate p = Estimate(Render({.hz = 440.0, .partials = Square(40000), .offset = 9000}));
    ASSERT_TRUE(p.hasPitch);
    EXPECT_NEAR(CentsOff(p, 440.0), 0.0, 0.5);

    // Uninitialised, a short history, nonsense key ranges: no pitch and no out-of-bounds read.
    NsdfPitchEstimator e;
    e.LoadMono(Render({}));
    EXPECT_FALSE(e.Estimate(27.5, kC8).hasPitch);
    ASSERT_TRUE(e.Init());
    const std::vector<int16_t> shortHistory = Render({}, 3000);
    e.LoadMono(shortHistory);
    EXPECT_TRUE(std::isfinite(e.Estimate(27.5, kC8).hz));
    e.LoadMono(Render({}));
    for (auto [lo, hi] : {std::pair{0.0, 100.0}, {100.0, 50.0}, {NAN, 1.0}, {1.0, INFINITY}}) {
        EXPECT_FALSE(e.Estimate(lo, hi).hasPitch) << lo << " " << hi;
    }
}

TEST(NsdfPitch, StereoTakesBothChannels) {
    NsdfPitchEstimator e;
    ASSERT_TRUE(e.Init());
    const std::vector<int16_t> tone = Render({.hz = 329.63, .partials = Sawtooth()});
    const std::vector<int16_t> silence(kHistoryLength, 0);
    e.LoadStereo(silence, tone);
    PitchEstimate p = e.Estimate(kA0, kC8);
    ASSERT_TRUE(p.hasPitch);
    EXPECT_NEAR(CentsOff(p, 329.63), 0.0, 0.01);
    // The same tone in opposite phase on the two channels cancels in the mix.
    std::vector<int16_t> inverted(tone.size());
    std::transform(tone.begin(), tone.end(), inverted.begin(), [](int16_t v) {
        return static_cast<int16_t>(-std::max<int>(v, -32767));
    });
    e.LoadStereo(tone, inverted);
    EXPECT_FALSE(e.Estimate(kA0, kC8).hasPitch);
}

// The held reading follows the partial the full estimate was refined on: it must read what a
// full estimate reads while the note holds (on a vibrato both give its centre, weighted a little
// differently), and give up, so that a full estimate is made, when another note has taken over,
// even one whose partials include the one followed.
TEST(NsdfPitch, AHeldReadingMatchesTheFullOneAndGivesUpOnANewNote) {
    NsdfPitchEstimator e;
    ASSERT_TRUE(e.Init());
    EXPECT_FALSE(e.EstimateHeld().hasPitch);  // nothing estimated yet
    for (auto [hz, vibrato, within] : {std::tuple{82.41, 0.0, 0.01},
                                       {441.7, 0.0, 0.01},
                                       {1975.5, 0.0, 0.01},
                                       {441.7, 20.0, 0.3}}) {
        const Tone held{.hz = hz, .partials = Sawtooth(), .vibratoCents = vibrato, .noiseRms = 200};
        e.LoadMono(Render(held));
        const PitchEstimate full = e.Estimate(kA0, kC8);
        ASSERT_TRUE(full.hasPitch) << hz;
        // The same note a moment later, its vibrato elsewhere in its cycle.
        std::vector<int16_t> later = Render(held, kHistoryLength + 1500);
        later.erase(later.begin(), later.begin() + 1500);
        e.LoadMono(later);
        const PitchEstimate follow = e.EstimateHeld();
        ASSERT_TRUE(follow.hasPitch) << hz;
        NsdfPitchEstimator fresh;
        ASSERT_TRUE(fresh.Init());
        fresh.LoadMono(later);
        EXPECT_NEAR(CentsOff(follow, fresh.Estimate(kA0, kC8).hz), 0.0, within) << hz;
        // A shorter frame than the full estimate read is not the same reading.
        EXPECT_FALSE(e.EstimateHeld(NsdfPitchEstimator::kMinFrame + 1).hasPitch) << hz;
    }
    for (double next : {220.85, 466.16, 0.0}) {  // the octave below, a semitone up, silence
        e.LoadMono(Render({.hz = 441.7, .partials = Sawtooth()}));
        ASSERT_TRUE(e.Estimate(kA0, kC8).hasPitch);
        e.LoadMono(
            Render({.hz = next, .partials = next > 0 ? Sawtooth() : std::vector<Partial>{}}));
        EXPECT_FALSE(e.EstimateHeld().hasPitch) << next;
    }
}

}  // namespace
}  // namespace tonavise
