// Loading real recordings by path and analysing them as the player would feed them.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <vector>

#include "TestSupport.h"
#include "engine/audiofile/FileLoading.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/CaptureStore.h"
#include "engine/live/ClipAnalysis.h"

namespace tonavise {
namespace {

using test::RecordingNotifier;

std::string Media(const std::string& name) {
    return std::string(TONAVISE_TEST_MEDIA) + "/" + name;
}

std::vector<BlockPitch> Analyze(const LoadedClip& clip) {
    CaptureStore store;
    store.Create();
    store.scopeMode = kScopePitch;
    KeyTable keyTable;
    Fft fft(kFftSize);
    std::vector<BlockPitch> rows;
    AnalyzeClip(clip, store, fft, keyTable, [&](const BlockPitch& r) { rows.push_back(r); });
    return rows;
}

TEST(ClipLoading, EveryFormatOfTheSameToneGivesA4) {
    struct Case {
        const char* file;
        LoadedKind kind;
        int channels;
        uint32_t rate;
    };
    for (const Case c : {Case{"a4-44k-mono.wav", LoadedKind::Wav, 1, 44100},
                         Case{"a4-11k-8bit.wav", LoadedKind::Wav, 1, 11025},
                         Case{"a4-48k-stereo.wav", LoadedKind::Wav, 2, 48000},
                         Case{"a4-44k-mono.mp3", LoadedKind::Mp3, 1, 44100},
                         Case{"a4-22k-stereo.mp3", LoadedKind::Mp3, 2, 22050},
                         Case{"a4-tagged.mp3", LoadedKind::Mp3, 1, 44100}}) {
        RecordingNotifier n;
        LoadedClip clip;
        ASSERT_TRUE(LoadByPath(Media(c.file), clip, n)) << c.file;
        EXPECT_TRUE(n.texts.empty()) << c.file;
        EXPECT_EQ(clip.kind, c.kind) << c.file;
        EXPECT_EQ(clip.format.channels, c.channels) << c.file;
        EXPECT_EQ(clip.format.samplesPerSec, c.rate) << c.file;
        EXPECT_EQ(clip.length % clip.format.blockAlign, 0) << c.file;
        // About two seconds of sound, whatever the format (MP3 adds up to a frame or two).
        const double seconds = double(clip.length) / clip.format.blockAlign / c.rate;
        EXPECT_NEAR(seconds, 2.0, 0.1) << c.file;

        const auto rows = Analyze(clip);
        ASSERT_GE(rows.size(), 19u) << c.file;
        for (std::size_t k = 2; k < rows.size() - 1; ++k) {
            EXPECT_NEAR(rows[k].fundamentalHz, 440.0, 1.4) << c.file << " block " << k;
            EXPECT_EQ(rows[k].key, 48) << c.file << " block " << k;
            EXPECT_NEAR(rows[k].timeSeconds, 0.1 * (k + 1), 1e-9);
        }
    }
}

uint16_t TagOnDisk(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char b[22] = {};
    in.read(reinterpret_cast<char*>(b), sizeof b);
    return static_cast<uint16_t>(b[20] | b[21] << 8);
}

TEST(ClipLoading, WideSamplesAndManyChannelsAsRecordingProgramsWriteThemGiveA4) {
    struct Case {
        const char* file;
        uint16_t tag;  // in the file's "fmt " chunk
        int channels;
        int bits;
    };
    for (const Case c : {Case{"a4-44k-24bit-stereo.wav", 0xFFFE, 2, 24},
                         Case{"a4-44k-32bit.wav", 0xFFFE, 1, 32},
                         Case{"a4-44k-24bit-plain.wav", 1, 1, 24},
                         Case{"a4-44k-3ch.wav", 0xFFFE, 3, 16},
                         Case{"a4-48k-24bit-4ch.wav", 0xFFFE, 4, 24}}) {
        EXPECT_EQ(TagOnDisk(Media(c.file)), c.tag) << c.file;
        RecordingNotifier n;
        LoadedClip clip;
        ASSERT_TRUE(LoadByPath(Media(c.file), clip, n)) << c.file;
        EXPECT_TRUE(n.texts.empty()) << c.file;
        EXPECT_EQ(clip.format.formatTag, kFormatPcm) << c.file;
        EXPECT_EQ(clip.format.channels, c.channels) << c.file;
        EXPECT_EQ(clip.format.bitsPerSample, c.bits) << c.file;
        const auto rows = Analyze(clip);
        ASSERT_GE(rows.size(), 19u) << c.file;
        for (std::size_t k = 2; k < rows.size() - 1; ++k) {
            EXPECT_NEAR(rows[k].fundamentalHz, 440.0, 1.4) << c.file << " block " << k;
        }
    }
}

TEST(ClipLoading, PathRules) {
    test::TempDir dir;
    const std::string wav = test::RiffWave(test::Chunk("fmt ", test::FmtBody(1, 1, 44100, 2, 16)) +
                                           test::Chunk("data", test::Bytes({1, 2, 3, 4})));
    {
        // Upper-case endings load by their lower-case meaning.
        RecordingNotifier n;
        LoadedClip clip;
        EXPECT_TRUE(LoadByPath(dir.Write("TAKE.WAV", wav), clip, n));
        EXPECT_EQ(clip.kind, LoadedKind::Wav);
    }
    {
        // Any other ending loads nothing and says nothing.
        RecordingNotifier n;
        LoadedClip clip;
        EXPECT_FALSE(LoadByPath(dir.Write("take.flac", wav), clip, n));
        EXPECT_TRUE(n.texts.empty());
        EXPECT_EQ(clip.kind, LoadedKind::None);
    }
    {
        // A WAV file named ".mp3" is refused as MP3.
        RecordingNotifier n;
        LoadedClip clip;
        EXPECT_FALSE(LoadByPath(dir.Write("take.mp3", wav), clip, n));
        ASSERT_EQ(n.texts.size(), 1u);
        EXPECT_EQ(n.texts[0], "Can not read this MP3 File.");
    }
}

TEST(ClipLoading, ShortPathsAreTriedAsMp3ThenWav) {
    // Paths of at most five characters: relative names in the current folder.
    test::TempDir dir;
    const std::string wav = test::RiffWave(test::Chunk("fmt ", test::FmtBody(1, 1, 44100, 2, 16)) +
                                           test::Chunk("data", test::Bytes({1, 2, 3, 4})));
    dir.Write("a.wav", wav);
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::path(dir.File("a.wav")).parent_path());
    RecordingNotifier n;
    LoadedClip clip;
    const bool ok = LoadByPath("a.wav", clip, n);
    std::filesystem::current_path(previous);
    EXPECT_TRUE(ok);
    EXPECT_EQ(clip.kind, LoadedKind::Wav);
    ASSERT_EQ(n.texts.size(), 1u) << "the MP3 attempt's message comes first";
    EXPECT_EQ(n.texts[0], "Can not read this MP3 File.");
}

TEST(ClipLoading, AFailedLoadLeavesNothingLoaded) {
    test::TempDir dir;
    RecordingNotifier n;
    LoadedClip clip;
    ASSERT_TRUE(LoadByPath(Media("a4-44k-mono.wav"), clip, n));
    EXPECT_FALSE(LoadByPath(dir.Write("bad.wav", "garbage"), clip, n));
    EXPECT_EQ(clip.kind, LoadedKind::None);
    EXPECT_FALSE(clip.data);
    EXPECT_EQ(clip.length, 0);
}

}  // namespace
}  // namespace tonavise
