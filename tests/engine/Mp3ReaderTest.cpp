#include <gtest/gtest.h>

#include "TestSupport.h"
#include "engine/audiofile/FileLoading.h"
#include "engine/audiofile/Mp3Reader.h"

namespace tonavise {
namespace {

using test::RecordingNotifier;

// Header bytes: sync, version, layer, no CRC | bit rate, rate, padding | channel mode.
std::string Header(int version, int layer, int bitIndex, int rateIndex, int padding, int mode) {
    std::string h(4, '\0');
    h[0] = '\xFF';
    h[1] = static_cast<char>(0xE0 | version << 3 | layer << 1 | 1);
    h[2] = static_cast<char>(bitIndex << 4 | rateIndex << 2 | padding << 1);
    h[3] = static_cast<char>(mode << 6);
    return h;
}

bool Parse(const std::string& h, Mp3FrameInfo& info) {
    return Mp3Reader::ParseFrameHeader(reinterpret_cast<const uint8_t*>(h.data()), info);
}

TEST(Mp3Header, FrameLengthsAndRecord) {
    Mp3FrameInfo info;
    ASSERT_TRUE(Parse(Header(3, 1, 9, 0, 0, 1), info));  // MPEG-1, 128 kbit/s, 44100, joint
    EXPECT_EQ(info.versionRow, 1);
    EXPECT_EQ(info.bitRate, 128u);
    EXPECT_EQ(info.samplingRate, 44100u);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.frameLength, 417);
    Mpeg3WaveFormat r = Mp3Reader::MakeRecord(info);
    EXPECT_EQ(r.wfx.formatTag, 0x55);
    EXPECT_EQ(r.wfx.channels, 2);
    EXPECT_EQ(r.wfx.samplesPerSec, 44100u);
    EXPECT_EQ(r.wfx.avgBytesPerSec, 16000u);
    EXPECT_EQ(r.wfx.blockAlign, 1);
    EXPECT_EQ(r.wfx.bitsPerSample, 0);
    EXPECT_EQ(r.wfx.extraSize, 12);
    EXPECT_EQ(r.wID, 1);
    EXPECT_EQ(r.fdwFlags, 2u);
    EXPECT_EQ(r.nBlockSize, 417);
    EXPECT_EQ(r.nFramesPerBlock, 1);
    EXPECT_EQ(r.nCodecDelay, 1393);

    ASSERT_TRUE(Parse(Header(3, 1, 9, 0, 1, 3), info));  // padding, mono
    EXPECT_EQ(info.frameLength, 418);
    EXPECT_EQ(info.channels, 1);
    EXPECT_EQ(Mp3Reader::MakeRecord(info).fdwFlags, 1u);

    ASSERT_TRUE(Parse(Header(2, 1, 8, 0, 0, 2), info));  // MPEG-2, 64 kbit/s, 22050, dual
    EXPECT_EQ(info.versionRow, 2);
    EXPECT_EQ(info.bitRate, 64u);
    EXPECT_EQ(info.samplingRate, 22050u);
    EXPECT_EQ(info.frameLength, 417);
    EXPECT_EQ(info.channels, 2);

    ASSERT_TRUE(Parse(Header(3, 1, 14, 1, 0, 0), info));  // 320 kbit/s at 48000
    EXPECT_EQ(info.frameLength, 960);
    ASSERT_TRUE(Parse(Header(3, 1, 0, 2, 0, 0), info));  // free format
    EXPECT_EQ(info.bitRate, 0u);
    EXPECT_EQ(info.samplingRate, 32000u);
    EXPECT_EQ(info.frameLength, 0);
    ASSERT_TRUE(Parse(Header(2, 1, 15, 2, 0, 0), info));  // index 15 gives 0 as well
    EXPECT_EQ(info.bitRate, 0u);
    EXPECT_EQ(info.samplingRate, 16000u);
}

TEST(Mp3Header, RefusedHeaders) {
    Mp3FrameInfo info;
    EXPECT_FALSE(Parse(Header(0, 1, 9, 0, 0, 0), info)) << "MPEG-2.5";
    EXPECT_FALSE(Parse(Header(1, 1, 9, 0, 0, 0), info)) << "reserved version";
    EXPECT_FALSE(Parse(Header(3, 2, 9, 0, 0, 0), info)) << "Layer II";
    EXPECT_FALSE(Parse(Header(3, 3, 9, 0, 0, 0), info)) << "Layer I";
    EXPECT_FALSE(Parse(Header(3, 1, 9, 3, 0, 0), info)) << "reserved sampling frequency";
    EXPECT_FALSE(Parse(std::string("\xFE\xFB\x90\x00", 4), info)) << "no sync";
    EXPECT_FALSE(Parse(std::string("\xFF\xDB\x90\x00", 4), info)) << "short sync";
}

struct Skip {
    bool ok;
    std::size_t cursor;
    std::size_t count;
};

Skip SkipTags(const std::string& bytes) {
    std::size_t cursor = 0;
    std::size_t count = bytes.size();
    const bool ok =
        Mp3Reader::SkipTags(reinterpret_cast<const uint8_t*>(bytes.data()), cursor, count);
    return {ok, cursor, count};
}

std::string Id3(uint32_t size, bool synchsafe = true) {
    std::string t = "ID3\x03";
    t += std::string(2, '\0');
    if (synchsafe) {
        t += static_cast<char>((size >> 21) & 0x7F);
        t += static_cast<char>((size >> 14) & 0x7F);
        t += static_cast<char>((size >> 7) & 0x7F);
        t += static_cast<char>(size & 0x7F);
    } else {
        t += std::string("\x00\x00\x02\x80", 4);  // top bit set: taken whole, 256 + 128
    }
    return t;
}

TEST(Mp3Tags, LeadingTagIsSkippedAtSizePlusTen) {
    const std::string frame = Header(3, 1, 9, 0, 0, 1) + std::string(500, '\0');
    const Skip s =
        SkipTags(Id3(300) + std::string(300, 'x') + frame + "TAG" + std::string(125, 'y'));
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.cursor, 310u);
    EXPECT_EQ(s.count, frame.size() + 128)
        << "a trailing tag is not looked for after a leading one";
    const Skip whole = SkipTags(Id3(0, false) + std::string(384, 'x') + frame);
    ASSERT_TRUE(whole.ok);
    EXPECT_EQ(whole.cursor, 394u);
}

// A version 4 tag with the footer flag: header, `size` bytes, and the footer "3DI".
std::string Id3v24WithFooter(uint32_t size) {
    std::string t = Id3(size);
    t[3] = '\x04';
    t[5] = '\x10';
    std::string footer = t;
    footer.replace(0, 3, "3DI");
    return t + std::string(size, 'x') + footer;
}

TEST(Mp3Tags, AVersionFourTagsFooterIsSkippedToo) {
    const std::string frame = Header(3, 1, 9, 0, 0, 1) + std::string(500, '\0');
    const Skip s = SkipTags(Id3v24WithFooter(300) + frame);
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.cursor, 320u);
    EXPECT_EQ(s.count, frame.size());
    EXPECT_FALSE(SkipTags(Id3v24WithFooter(300) + "\xFF\xFB").ok) << "the footer leaves two bytes";
    // A version 3 tag has no footer: the flag is not looked at.
    std::string version3 = Id3v24WithFooter(300);
    version3[3] = '\x03';
    EXPECT_EQ(SkipTags(version3 + frame).cursor, 310u);
}

TEST(Mp3Tags, TrailingTagShortensTheCount) {
    const std::string frame = Header(3, 1, 9, 0, 0, 1) + std::string(500, '\0');
    const Skip s = SkipTags(frame + "TAG" + std::string(125, 'y'));
    ASSERT_TRUE(s.ok);
    EXPECT_EQ(s.cursor, 0u);
    EXPECT_EQ(s.count, frame.size());
}

TEST(Mp3Tags, TagsReachingTheEndOrTooFewBytesAreRefused) {
    EXPECT_FALSE(SkipTags(Id3(100) + std::string(90, 'x')).ok) << "tag past the end";
    EXPECT_FALSE(SkipTags(Id3(100) + std::string(100, 'x')).ok) << "tag up to the end";
    EXPECT_FALSE(SkipTags(Id3(100) + std::string(102, 'x')).ok) << "two bytes after the tag";
    EXPECT_TRUE(SkipTags(Id3(100) + std::string(104, 'x')).ok);
    EXPECT_FALSE(SkipTags("ID3\x03").ok) << "a tag header cut short";
    EXPECT_FALSE(SkipTags("\xFF\xFB").ok);
    EXPECT_FALSE(SkipTags("").ok);
    EXPECT_FALSE(SkipTags("TAG" + std::string(125, 'y')).ok)
        << "nothing left before the trailing tag";
}

TEST(Mp3Reader, RefusalsCarryTheirMessages) {
    test::TempDir dir;
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"Layer II",
         Header(3, 2, 9, 0, 0, 1) + std::string(1000, '\0'),
         "Can not read this MP3 File."},
        {"MPEG-2.5",
         Header(0, 1, 9, 0, 0, 1) + std::string(1000, '\0'),
         "Can not read this MP3 File."},
        {"a WAV named .mp3",
         "RIFF....WAVEfmt " + std::string(100, '\0'),
         "Can not read this MP3 File."},
        {"empty", "", "Can not read this MP3 File."},
        {"tag past the end", Id3(5000) + std::string(10, 'x'), "Can not read this MP3 File."},
        {"header but no audio",
         Header(3, 1, 9, 0, 0, 1) + std::string(1000, '\0'),
         "Can not convert this MP3 file to WAV file."},
    };
    for (const Case& c : cases) {
        RecordingNotifier n;
        LoadedClip clip;
        EXPECT_FALSE(LoadMp3(dir.Write("x.mp3", c.bytes), clip, n)) << c.what;
        EXPECT_EQ(clip.kind, LoadedKind::None) << c.what;
        EXPECT_FALSE(clip.data) << c.what;
        ASSERT_EQ(n.texts.size(), 1u) << c.what;
        EXPECT_EQ(n.texts[0], c.message) << c.what;
    }
    RecordingNotifier n;
    LoadedClip clip;
    EXPECT_FALSE(LoadMp3(dir.File("missing.mp3"), clip, n));
    ASSERT_EQ(n.texts.size(), 1u);
    EXPECT_EQ(n.texts[0], "Can not open this MP3 file.");
}

}  // namespace
}  // namespace tonavise
