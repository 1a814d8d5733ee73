#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "TestSupport.h"
#include "engine/audiofile/PracticeStream.h"

namespace tonavise {
namespace {

LoadedClip Clip(const std::vector<int16_t>& samples, int rate, int channels) {
    LoadedClip clip;
    clip.kind = LoadedKind::Wav;
    clip.format = WaveFormat{kFormatPcm,
                             static_cast<uint16_t>(channels),
                             static_cast<uint32_t>(rate),
                             static_cast<uint32_t>(rate * 2 * channels),
                             static_cast<uint16_t>(2 * channels),
                             16};
    clip.length = static_cast<int32_t>(samples.size() * 2);
    clip.data = std::make_unique<uint8_t[]>(samples.size() * 2);
    std::memcpy(clip.data.get(), samples.data(), samples.size() * 2);
    return clip;
}

// Renders everything (at most `limit` frames) in device-sized pieces.
std::vector<int16_t> RenderAll(PracticeStream& stream, int64_t limit) {
    std::vector<int16_t> out;
    std::vector<int16_t> piece(2205 * stream.Channels());
    while (static_cast<int64_t>(out.size()) < limit * stream.Channels()) {
        const int n = stream.Render(piece.data(), 2205);
        out.insert(out.end(), piece.begin(), piece.begin() + n * stream.Channels());
        if (n < 2205) {
            break;
        }
    }
    return out;
}

TEST(PracticeStream, AtFullSpeedTheSamplesPassUnchangedAndThePositionIsTheFrame) {
    std::vector<int16_t> ramp(30000);
    for (std::size_t i = 0; i < ramp.size(); ++i) {
        ramp[i] = static_cast<int16_t>(i - 15000);
    }
    const LoadedClip clip = Clip(ramp, 44100, 1);
    PracticeStream stream;
    ASSERT_TRUE(stream.Prepare(clip));
    stream.Start(1000);
    const std::vector<int16_t> out = RenderAll(stream, 1 << 20);
    ASSERT_EQ(out.size(), ramp.size() - 1000);
    // The first 5 ms fade in (a start in the middle of the sound would click), then the samples
    // pass unchanged.
    constexpr int kFade = 220;
    EXPECT_TRUE(std::equal(out.begin() + kFade, out.end(), ramp.begin() + 1000 + kFade));
    EXPECT_LE(std::abs(out[0]), 20);
    for (int i = 1; i < kFade; ++i) {
        ASSERT_LE(std::abs(out[i] - out[i - 1]), 14000 * 3.1416 / kFade + 2) << i;
    }
    EXPECT_EQ(stream.FileFrameAt(0), 1000);
    EXPECT_EQ(stream.FileFrameAt(5000), 6000);
    int16_t none[8];
    EXPECT_EQ(stream.Render(none, 4), 0) << "the end stays the end";
}

TEST(PracticeStream, ALoopJoinsWithoutAStepAndThePositionGoesBackToA) {
    // A 441 Hz tone: a loop of whole periods joins in phase, as a musician's loop of a held note
    // nearly does.
    const std::vector<int16_t> tone = test::Sine(441, 12000, 44100 * 3);
    const LoadedClip clip = Clip(tone, 44100, 1);
    PracticeStream stream;
    ASSERT_TRUE(stream.Prepare(clip));
    EXPECT_FALSE(stream.SetLoop(44100, 44100 + 4409)) << "shorter than 0.1 s";
    EXPECT_FALSE(stream.SetLoop(44100, 44100 * 4)) << "past the end";
    EXPECT_FALSE(stream.SetLoop(-1, 44100));
    ASSERT_TRUE(stream.SetLoop(44100, 2 * 44100));
    stream.Start(44100 + 22050);
    const std::vector<int16_t> out = RenderAll(stream, 44100 * 3);
    ASSERT_EQ(out.size(), 44100u * 3) << "a loop never ends";
    // No step larger than the tone's own: no click at the joints.
    const int maxStep = static_cast<int>(12000 * 2 * 3.1416 * 441 / 44100) + 2;
    for (std::size_t i = 1; i < out.size(); ++i) {
        ASSERT_LE(std::abs(out[i] - out[i - 1]), maxStep) << i;
    }
    EXPECT_NEAR(test::ZeroCrossingHz(out, 44100), 441.0, 0.05);
    // Half a second in, the reading reached B and went on from A.
    EXPECT_NEAR(static_cast<double>(stream.FileFrameAt(22050 + 4410)), 44100 + 4410, 600);
    EXPECT_NEAR(static_cast<double>(stream.FileFrameAt(22050 + 44100 + 100)), 44100 + 100, 600);
    // Cleared: the reading plays on through B to the end.
    stream.ClearLoop();
    const std::vector<int16_t> rest = RenderAll(stream, 44100 * 10);
    EXPECT_LT(rest.size(), 44100u * 3);
}

// Sounding stretches of `out` (samples above `quiet`) separated by at least `gap` quiet ones:
// their starts and lengths.
std::vector<std::pair<int64_t, int64_t>> Sounding(const std::vector<int16_t>& out,
                                                  int quiet,
                                                  int64_t gap) {
    std::vector<std::pair<int64_t, int64_t>> runs;
    int64_t start = -1;
    int64_t last = -1;
    for (int64_t i = 0; i < static_cast<int64_t>(out.size()); ++i) {
        if (std::abs(out[static_cast<std::size_t>(i)]) <= quiet) {
            continue;
        }
        if (start < 0 || i - last > gap) {
            if (start >= 0) {
                runs.emplace_back(start, last + 1 - start);
            }
            start = i;
        }
        last = i;
    }
    if (start >= 0) {
        runs.emplace_back(start, last + 1 - start);
    }
    return runs;
}

// A pause before each repeat: every pass lasts A to B, then a second of silence; the trainer
// makes each pass 10 % faster from 70 % up to 100 %, and nothing steps at the fades.
TEST(PracticeStream, APauseComesBeforeEachRepeatAndTheTrainerSpeedsThePassesUp) {
    const std::vector<int16_t> tone = test::Sine(441, 12000, 44100 * 3);
    const LoadedClip clip = Clip(tone, 44100, 1);
    PracticeStream stream;
    ASSERT_TRUE(stream.Prepare(clip));
    ASSERT_TRUE(stream.SetLoop(22050, 22050 + 44100));  // one second of the file
    stream.SetLoopGap(1.0);
    stream.Start(22050);
    const std::vector<int16_t> plain = RenderAll(stream, 44100 * 6);
    auto runs = Sounding(plain, 30, 4410);
    ASSERT_GE(runs.size(), 3u);
    for (std::size_t i = 0; i + 1 < runs.size(); ++i) {
        EXPECT_NEAR(runs[i].second, 44100, 500) << "pass " << i;
        EXPECT_NEAR(runs[i + 1].first - (runs[i].first + runs[i].second), 44100, 500)
            << "pause " << i;
    }
    const int maxStep = static_cast<int>(12000 * 2 * 3.1416 * 441 / 44100) + 2;
    for (std::size_t i = 1; i < plain.size(); ++i) {
        ASSERT_LE(std::abs(plain[i] - plain[i - 1]), maxStep) << i;
    }

    stream.SetSpeedPercent(70);
    stream.SetSpeedTrainer(10, 100);
    stream.Start(22050);
    const std::vector<int16_t> trained = RenderAll(stream, 44100 * 10);
    runs = Sounding(trained, 600, 4410);  // the stretcher lets a pass ring out a little
    ASSERT_GE(runs.size(), 5u);
    const double speeds[] = {0.7, 0.8, 0.9, 1.0, 1.0};
    for (std::size_t i = 0; i < 5; ++i) {
        std::printf("pass %zu: %.4f s, pause %.4f s\n",
                    i,
                    runs[i].second / 44100.0,
                    i + 1 < runs.size()
                        ? (runs[i + 1].first - runs[i].first - runs[i].second) / 44100.0
                        : 0.0);
        EXPECT_NEAR(runs[i].second / 44100.0, 1.0 / speeds[i], 0.03) << "pass " << i;
    }
    EXPECT_EQ(stream.SpeedPercent(), 100);
    EXPECT_GE(stream.Passes(), 4);
}

// A joint between sounds out of phase moves to where they match and keeps the level; a joint
// in noise (unrelated sounds) keeps its power, within -3/+1 dB.
TEST(PracticeStream, ALoopJointKeepsTheLevelOutOfPhaseAndInNoise) {
    const auto rms = [](const std::vector<int16_t>& v, std::size_t from, std::size_t n) {
        double sum = 0.0;
        for (std::size_t i = from; i < from + n; ++i) {
            sum += static_cast<double>(v[i]) * v[i];
        }
        return std::sqrt(sum / static_cast<double>(n));
    };
    // 441 Hz, a loop of 100.5 periods: the sound after B is in antiphase with A's.
    const std::vector<int16_t> tone = test::Sine(441, 12000, 44100 * 3);
    const LoadedClip toneClip = Clip(tone, 44100, 1);
    PracticeStream stream;
    ASSERT_TRUE(stream.Prepare(toneClip));
    ASSERT_TRUE(stream.SetLoop(44100, 44100 + 10050));
    stream.Start(44100);
    const std::vector<int16_t> looped = RenderAll(stream, 44100);
    for (std::size_t at = 300; at + 100 <= looped.size(); at += 100) {  // after the fade-in
        ASSERT_GT(rms(looped, at, 100), 12000 / std::sqrt(2.0) * 0.9) << "at frame " << at;
    }

    std::vector<int16_t> noise(44100 * 2);
    uint32_t seed = 12345;
    for (int16_t& v : noise) {
        seed = seed * 1664525u + 1013904223u;
        v = static_cast<int16_t>(static_cast<int32_t>(seed >> 16) - 32768) / 4;
    }
    const LoadedClip noiseClip = Clip(noise, 44100, 1);
    ASSERT_TRUE(stream.Prepare(noiseClip));
    ASSERT_TRUE(stream.SetLoop(22050, 44100));
    stream.Start(22050);
    const std::vector<int16_t> out = RenderAll(stream, 44100);
    const double around = rms(out, 22050 - 4410, 4000);
    // The crossfade lasts 10 ms from the joint (whose place moves by up to 5 ms).
    for (std::size_t at = 22050 - 220; at < 22050 + 441 + 220; at += 110) {
        const double db = 20 * std::log10(rms(out, at, 110) / around);
        EXPECT_GT(db, -3.0) << at;
        EXPECT_LT(db, 1.0) << at;
    }
}

TEST(PracticeStream, SlowerKeepsThePitchAndTransposeKeepsTheLength) {
    const std::vector<int16_t> tone = test::Sine(440, 12000, 44100 * 2);
    const LoadedClip clip = Clip(tone, 44100, 1);
    PracticeStream stream;
    ASSERT_TRUE(stream.Prepare(clip));
    stream.SetSpeedPercent(75);
    stream.Start(0);
    const std::vector<int16_t> slow = RenderAll(stream, 44100 * 10);
    EXPECT_NEAR(slow.size() / 44100.0, 2.0 * 4 / 3, 0.03);
    const std::span<const int16_t> middle(slow.data() + 22050, 44100);
    EXPECT_NEAR(test::ZeroCrossingHz(middle, 44100), 440.0, 0.5);
    // Heard position in file time: a second of output is three quarters of a second of file.
    EXPECT_NEAR(static_cast<double>(stream.FileFrameAt(44100)), 33075, 441);

    stream.SetSpeedPercent(100);
    stream.SetSemitones(-2);
    stream.Start(0);
    const std::vector<int16_t> low = RenderAll(stream, 44100 * 10);
    EXPECT_NEAR(low.size() / 44100.0, 2.0, 0.03);
    const std::span<const int16_t> lowMiddle(low.data() + 22050, 44100);
    EXPECT_NEAR(test::ZeroCrossingHz(lowMiddle, 44100), 392.0, 0.5);

    // Out of range: clamped.
    stream.SetSpeedPercent(10);
    stream.SetSemitones(40);
    EXPECT_EQ(stream.SpeedPercent(), kMinSpeedPercent);
    EXPECT_EQ(stream.Semitones(), kMaxTransposeSemitones);
}

TEST(PracticeStream, BackToFullSpeedWhilePlayingSkipsNothingHeard) {
    std::vector<int16_t> stereo = test::Sine(330, 9000, 44100 * 2, 44100, 2);
    const LoadedClip clip = Clip(stereo, 44100, 2);
    PracticeStream stream;
    ASSERT_TRUE(stream.Prepare(clip));
    ASSERT_EQ(stream.Channels(), 2);
    stream.SetSpeedPercent(50);
    stream.Start(0);
    std::vector<int16_t> piece(2 * 4410);
    ASSERT_EQ(stream.Render(piece.data(), 4410), 4410);
    const int64_t heard = stream.FileFrameAt(4410);
    EXPECT_NEAR(static_cast<double>(heard), 2205, 300);
    stream.SetSpeedPercent(100);
    ASSERT_EQ(stream.Render(piece.data(), 4410), 4410);
    // The plain reading starts again where the slow output had got to.
    EXPECT_NEAR(static_cast<double>(stream.FileFrameAt(4410)), static_cast<double>(heard), 300);
    EXPECT_EQ(piece[2 * 100], stereo[2 * (stream.FileFrameAt(4410) + 100)]);
}

}  // namespace
}  // namespace tonavise
