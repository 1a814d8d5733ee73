#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/audiofile/ScopeFeed.h"

namespace tonavise {
namespace {

LoadedClip Clip(int channels, int rate, int bits, const std::vector<uint8_t>& bytes) {
    LoadedClip c;
    c.kind = LoadedKind::Wav;
    c.format = PcmFormat(channels, rate, bits);
    c.length = static_cast<int32_t>(bytes.size());
    c.data = std::make_unique<uint8_t[]>(bytes.size());
    if (!bytes.empty()) {
        std::memcpy(c.data.get(), bytes.data(), bytes.size());
    }
    return c;
}

// 16-bit samples whose value is their frame index (per channel: left = i, right = -i).
std::vector<uint8_t> Ramp(int frames, int channels) {
    std::vector<uint8_t> b;
    for (int i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const auto v = static_cast<uint16_t>(c == 0 ? i : -i);
            b.push_back(static_cast<uint8_t>(v & 0xFF));
            b.push_back(static_cast<uint8_t>(v >> 8));
        }
    }
    return b;
}

TEST(ScopeFeed, SameRateMonoCopiesFromThePosition) {
    const LoadedClip clip = Clip(1, 44100, 16, Ramp(10000, 1));
    FeedBlock block{};
    EXPECT_EQ(BuildFeedBlock(clip, 2 * 100 + 1, block), kBlockFrames);  // odd byte: frame 100
    EXPECT_EQ(block[0], 100);
    EXPECT_EQ(block[4409], 4509);
}

TEST(ScopeFeed, HalfRateTakesEveryFrameTwice) {
    const LoadedClip clip = Clip(1, 22050, 16, Ramp(10000, 1));
    FeedBlock block{};
    EXPECT_EQ(BuildFeedBlock(clip, 0, block), kBlockFrames);
    for (int i = 0; i < kBlockFrames; ++i) {
        ASSERT_EQ(block[i], i / 2);
    }
}

TEST(ScopeFeed, FortyEightKilohertzStereoCoversOneHundredMilliseconds) {
    const LoadedClip clip = Clip(2, 48000, 16, Ramp(10000, 2));
    FeedBlock block{};
    EXPECT_EQ(BuildFeedBlock(clip, 0, block), kBlockFrames);
    for (int i = 0; i < kBlockFrames; ++i) {
        // floor(i x 48000 / 44100): exactly 480 at i = 441, where a product in doubles may
        // land a hair below.
        const auto frame = static_cast<int16_t>(int64_t(i) * 48000 / 44100);
        ASSERT_EQ(block[2 * i], frame) << i;
        ASSERT_EQ(block[2 * i + 1], static_cast<int16_t>(-frame)) << i;
    }
    EXPECT_GE(block[2 * (kBlockFrames - 1)], 4798);  // about 4800 frames of the file
}

TEST(ScopeFeed, EightBitSamplesAreCentred) {
    const LoadedClip clip = Clip(1, 44100, 8, {128, 255, 0, 129});
    FeedBlock block{};
    EXPECT_EQ(BuildFeedBlock(clip, 0, block), 4);
    EXPECT_EQ(block[0], 0);
    EXPECT_EQ(block[1], 32512);
    EXPECT_EQ(block[2], -32768);
    EXPECT_EQ(block[3], 256);
}

TEST(ScopeFeed, ShortFillAtTheEndKeepsThePreviousFeed) {
    const LoadedClip clip = Clip(1, 44100, 16, Ramp(6000, 1));
    FeedBlock block{};
    block.fill(-7);
    EXPECT_EQ(BuildFeedBlock(clip, 2 * 4000, block), 2000);
    EXPECT_EQ(block[1999], 5999);
    EXPECT_EQ(block[2000], -7);
    EXPECT_EQ(BuildFeedBlock(clip, 2 * 6000, block), 0) << "at the end: nothing";
    EXPECT_EQ(BuildFeedBlock(clip, -10, block), 0) << "before the start: nothing";
}

TEST(ScopeFeed, UnsupportedSampleSizesAndChannelCounts) {
    LoadedClip clip = Clip(1, 44100, 16, Ramp(100, 1));
    clip.format.bitsPerSample = 12;
    FeedBlock block{};
    EXPECT_EQ(BuildFeedBlock(clip, 0, block), 0);
    // Three channels: the first channel only.
    LoadedClip three = Clip(3, 44100, 16, Ramp(100, 3));
    EXPECT_EQ(BuildFeedBlock(three, 0, block), 100);
    EXPECT_EQ(block[1], 1);
    // Nothing loaded.
    EXPECT_EQ(BuildFeedBlock(LoadedClip{}, 0, block), 0);
}

TEST(ScopeFeed, WideSamplesGiveTheirTopSixteenBits) {
    // 24-bit stereo: left 0x123456, right -2 (0xFFFFFE); then left -0x800000, right 0x7FFFFF.
    const LoadedClip stereo = Clip(
        2, 44100, 24, {0x56, 0x34, 0x12, 0xFE, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0xFF, 0xFF, 0x7F});
    ASSERT_EQ(stereo.format.blockAlign, 6);
    FeedBlock block{};
    EXPECT_EQ(BuildFeedBlock(stereo, 0, block), 2);
    EXPECT_EQ(block[0], 0x1234);
    EXPECT_EQ(block[1], -1) << "the lower bits are dropped: -2 / 256 rounds down";
    EXPECT_EQ(block[2], -32768);
    EXPECT_EQ(block[3], 32767);
    // 32-bit mono.
    const LoadedClip mono = Clip(1, 44100, 32, {0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x00, 0x80});
    EXPECT_EQ(BuildFeedBlock(mono, 4, block), 1);
    EXPECT_EQ(block[0], -32768);
    EXPECT_EQ(BuildFeedBlock(mono, 0, block), 2);
    EXPECT_EQ(block[0], 0x1234);
}

TEST(ScopeFeed, BlocksAtTenthsMatchThePlayersFeedWhereFramesAreWhole) {
    for (int rate : {44100, 48000, 22050, 32000, 8000}) {
        const LoadedClip clip = Clip(2, rate, 16, Ramp(30000, 2));
        for (int k : {0, 1, 5}) {
            FeedBlock a{};
            FeedBlock b{};
            const int na = BuildFeedBlock(clip, ClipPositionAtTenths(clip, k), a);
            const int nb = BuildFeedBlockAtTenths(clip, k, b);
            EXPECT_EQ(na, nb) << rate;
            EXPECT_EQ(a, b) << rate << " block " << k;
        }
    }
}

TEST(ScopeFeed, BlocksAtTenthsJoinWithoutASeamAtElevenKilohertz) {
    // 100 ms of 11025 Hz is 1102.5 frames: each frame fills four samples, across block seams too.
    const LoadedClip clip = Clip(1, 11025, 16, Ramp(5000, 1));
    std::vector<int16_t> stream;
    for (int k = 0; k < 4; ++k) {
        FeedBlock b{};
        ASSERT_EQ(BuildFeedBlockAtTenths(clip, k, b), kBlockFrames);
        stream.insert(stream.end(), b.begin(), b.begin() + kBlockFrames);
    }
    for (std::size_t n = 0; n < stream.size(); ++n) {
        ASSERT_EQ(stream[n], static_cast<int16_t>(n / 4)) << n;
    }
}

TEST(ScopeFeed, PositionOfTenths) {
    EXPECT_EQ(ClipPositionAtTenths(Clip(2, 48000, 16, {}), 3), 3 * 4800 * 4);
    EXPECT_EQ(ClipPositionAtTenths(Clip(1, 11025, 8, {}), 1), 1102);
}

}  // namespace
}  // namespace tonavise
