// The player's overview of a whole file: every frame in exactly one column, a lone peak in the
// column that holds it, short files one column a frame.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/audiofile/FileOverview.h"

namespace tonavise {
namespace {

LoadedClip Clip(int channels, int bits, int frames) {
    LoadedClip clip;
    clip.kind = LoadedKind::Wav;
    const auto align = static_cast<uint16_t>(channels * bits / 8);
    clip.format = WaveFormat{kFormatPcm,
                             static_cast<uint16_t>(channels),
                             44100,
                             44100U * align,
                             align,
                             static_cast<uint16_t>(bits)};
    clip.length = frames * align;
    clip.data = std::make_unique<uint8_t[]>(static_cast<std::size_t>(clip.length));
    std::memset(clip.data.get(), bits == 8 ? 128 : 0, static_cast<std::size_t>(clip.length));
    return clip;
}

TEST(FileOverview, ALonePeakInOneChannelShowsInTheColumnThatHoldsIt) {
    constexpr int kFrames = 10000;
    constexpr int kPeakFrame = 7000;
    LoadedClip clip = Clip(2, 16, kFrames);
    auto* samples = reinterpret_cast<int16_t*>(clip.data.get());
    samples[kPeakFrame * 2 + 1] = -20000;  // the second channel only
    samples[kFrames * 2 - 2] = 12345;      // the very last frame
    const FileOverview o = MakeFileOverview(clip);
    ASSERT_EQ(o.columns.size(), static_cast<std::size_t>(FileOverview::kColumns));
    EXPECT_EQ(o.frames, kFrames);
    EXPECT_NEAR(o.Seconds(), kFrames / 44100.0, 1e-12);
    int found = 0;
    for (std::size_t c = 0; c < o.columns.size(); ++c) {
        if (o.columns[c].low == -20000) {
            ++found;
            EXPECT_LE(static_cast<double>(c) * o.framesPerColumn, kPeakFrame + 1.0);
            EXPECT_GE(static_cast<double>(c + 1) * o.framesPerColumn, kPeakFrame - 1.0);
        } else {
            EXPECT_EQ(o.columns[c].low, 0) << c;
        }
    }
    EXPECT_EQ(found, 1);
    EXPECT_EQ(o.columns.back().high, 12345) << "the last frame belongs to the last column";
}

TEST(FileOverview, AShortFileHasAColumnAFrameAndNothingLoadedHasNone) {
    LoadedClip clip = Clip(1, 8, 100);
    clip.data[10] = 255;  // 8-bit: (255 - 128) x 256
    const FileOverview o = MakeFileOverview(clip);
    ASSERT_EQ(o.columns.size(), 100U);
    EXPECT_EQ(o.columns[10], (FileOverview::Column{127 * 256, 127 * 256}));
    EXPECT_EQ(o.columns[11], (FileOverview::Column{0, 0}));
    EXPECT_TRUE(MakeFileOverview(LoadedClip{}).empty());
    EXPECT_TRUE(MakeFileOverview(clip, 0).empty());
}

}  // namespace
}  // namespace tonavise
