#include <gtest/gtest.h>

#include "TestSupport.h"
#include "engine/audiofile/FileLoading.h"
#include "engine/audiofile/WavReader.h"
#include "engine/audiofile/WavWriter.h"

namespace tonavise {
namespace {

using test::Bytes;
using test::Chunk;
using test::FmtBody;
using test::RecordingNotifier;
using test::RiffWave;

struct Loaded {
    bool ok = false;
    WaveFormat format;
    std::unique_ptr<uint8_t[]> data;
    int32_t length = -1;
    RecordingNotifier notifier;
};

std::unique_ptr<Loaded> ReadBytes(const std::string& bytes) {
    auto r = std::make_unique<Loaded>();
    MemoryByteSource src({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    r->ok = WavReader().Read(src, r->format, r->data, r->length, r->notifier);
    return r;
}

const std::string kPcm = Bytes({1, -2, 3, -4, 5, -6, 7, -8});

TEST(WavReader, ReadsPcmUnchanged) {
    const auto r =
        ReadBytes(RiffWave(Chunk("fmt ", FmtBody(1, 2, 48000, 4, 16)) + Chunk("data", kPcm)));
    ASSERT_TRUE(r->ok);
    EXPECT_TRUE(r->notifier.texts.empty());
    EXPECT_EQ(r->format.channels, 2);
    EXPECT_EQ(r->format.samplesPerSec, 48000u);
    EXPECT_EQ(r->format.blockAlign, 4);
    EXPECT_EQ(r->format.bitsPerSample, 16);
    ASSERT_EQ(r->length, 16);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(r->data.get()), 16), kPcm);
}

TEST(WavReader, AcceptsEightBitElevenKilohertzAndSixteenByteFmtAndOtherChunks) {
    const std::string body("\x80\x81\x7f\xff\x00", 5);
    const auto r =
        ReadBytes(RiffWave(Chunk("LIST", "odd") + Chunk("fmt ", FmtBody(1, 1, 11025, 1, 8, false)) +
                           Chunk("fact", "1234") + Chunk("data", body)));
    ASSERT_TRUE(r->ok);
    EXPECT_EQ(r->format.samplesPerSec, 11025u);
    EXPECT_EQ(r->format.bitsPerSample, 8);
    EXPECT_EQ(r->format.extraSize, 0);
    EXPECT_EQ(r->length, 5);
}

TEST(WavReader, LongFmtChunkIsCutToTheRecord) {
    std::string fmt = FmtBody(1, 1, 44100, 2, 16) + std::string(40, '\x55');
    const auto r = ReadBytes(RiffWave(Chunk("fmt ", fmt) + Chunk("data", kPcm)));
    ASSERT_TRUE(r->ok);
    EXPECT_EQ(r->format.extraSize, 0);
    EXPECT_EQ(r->length, 16);
}

TEST(WavReader, RefusalsCarryTheirMessages) {
    const std::string pcmFmt = Chunk("fmt ", FmtBody(1, 1, 44100, 2, 16));
    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    };
    const Case cases[] = {
        {"not RIFF (an MP3 named .wav)",
         std::string("\xFF\xFB\x90\x64", 4) + std::string(200, '\0'),
         "This file is not the WAV file"},
        {"RIFF of another form",
         std::string("RIFF\x04\0\0\0AVI ", 12),
         "This file is not the WAV file"},
        {"empty file", "", "This file is not the WAV file"},
        {"float samples",
         RiffWave(Chunk("fmt ", FmtBody(3, 1, 44100, 4, 32)) + Chunk("data", kPcm)),
         "This file is not the PCM format file."},
        {"extensible",
         RiffWave(Chunk("fmt ", FmtBody(0xFFFE, 2, 44100, 4, 16)) + Chunk("data", kPcm)),
         "This file is not the PCM format file."},
        {"no fmt chunk", RiffWave(Chunk("data", kPcm)), "This file is not the PCM format file."},
        {"fmt shorter than 16",
         RiffWave(Chunk("fmt ", FmtBody(1, 1, 44100, 2, 16).substr(0, 14)) + Chunk("data", kPcm)),
         "This file is not the PCM format file."},
        {"zero channels",
         RiffWave(Chunk("fmt ", FmtBody(1, 0, 44100, 2, 16)) + Chunk("data", kPcm)),
         "This file is not the PCM format file."},
        {"zero rate",
         RiffWave(Chunk("fmt ", FmtBody(1, 1, 0, 2, 16)) + Chunk("data", kPcm)),
         "This file is not the PCM format file."},
        {"zero block alignment",
         RiffWave(Chunk("fmt ", FmtBody(1, 1, 44100, 0, 16)) + Chunk("data", kPcm)),
         "This file is not the PCM format file."},
        {"block smaller than a frame",
         RiffWave(Chunk("fmt ", FmtBody(1, 2, 44100, 2, 16)) + Chunk("data", kPcm)),
         "This file is not the PCM format file."},
        {"no data chunk", RiffWave(pcmFmt), "This file is not the WAV file"},
    };
    for (const Case& c : cases) {
        const auto r = ReadBytes(c.bytes);
        EXPECT_FALSE(r->ok) << c.what;
        EXPECT_FALSE(r->data) << c.what;
        ASSERT_EQ(r->notifier.texts.size(), 1u) << c.what;
        EXPECT_EQ(r->notifier.texts[0], c.message) << c.what;
        EXPECT_EQ(r->notifier.captions[0], "Tonavise") << c.what;
    }
}

// An extensible format record: the plain record with cbSize, then valid bits, the channel mask
// and the sub-format GUID.
const std::string kPcmGuid("\x01\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 16);
const std::string kFloatGuid("\x03\x00\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71",
                             16);

std::string ExtensibleBody(uint16_t channels,
                           uint16_t bits,
                           const std::string& guid,
                           uint16_t extra = 22) {
    const auto align = static_cast<uint16_t>(channels * bits / 8);
    std::string b = FmtBody(0xFFFE, channels, 48000, align, bits, false);
    test::Put16(b, extra);
    test::Put16(b, bits);
    test::Put32(b, channels == 2 ? 3 : 0);
    return b + guid;
}

TEST(WavReader, ExtensiblePcmLoadsAsPcmWithItsSamplesUnchanged) {
    const std::string samples("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c", 12);
    const auto r = ReadBytes(
        RiffWave(Chunk("fmt ", ExtensibleBody(2, 24, kPcmGuid)) + Chunk("data", samples)));
    ASSERT_TRUE(r->ok);
    EXPECT_TRUE(r->notifier.texts.empty());
    EXPECT_EQ(r->format.formatTag, kFormatPcm);
    EXPECT_EQ(r->format.channels, 2);
    EXPECT_EQ(r->format.samplesPerSec, 48000u);
    EXPECT_EQ(r->format.blockAlign, 6);
    EXPECT_EQ(r->format.bitsPerSample, 24);
    EXPECT_EQ(r->format.extraSize, 0);
    ASSERT_EQ(r->length, 12);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(r->data.get()), 12), samples);
}

TEST(WavReader, SampleSizesItCannotReadAndOtherExtensibleRecordsAreRefusedAsNotPcm) {
    const std::string data = Chunk("data", kPcm);
    struct Case {
        const char* what;
        std::string fmt;
    };
    const std::string cut = ExtensibleBody(2, 24, kPcmGuid);
    const Case cases[] = {
        {"0 bits", FmtBody(1, 1, 44100, 2, 0)},
        {"4 bits", FmtBody(1, 1, 44100, 1, 4)},
        {"12 bits", FmtBody(1, 1, 44100, 2, 12)},
        {"20 bits", FmtBody(1, 1, 44100, 3, 20)},
        {"extensible float", ExtensibleBody(2, 32, kFloatGuid)},
        {"extensible 12 bits", ExtensibleBody(1, 12, kPcmGuid)},
        {"extensible with cbSize 0", ExtensibleBody(2, 16, kPcmGuid, 0)},
        {"extensible cut before its sub-format ends", cut.substr(0, 39)},
    };
    for (const Case& c : cases) {
        const auto r = ReadBytes(RiffWave(Chunk("fmt ", c.fmt) + data));
        EXPECT_FALSE(r->ok) << c.what;
        EXPECT_FALSE(r->data) << c.what;
        ASSERT_EQ(r->notifier.texts.size(), 1u) << c.what;
        EXPECT_EQ(r->notifier.texts[0], "This file is not the PCM format file.") << c.what;
    }
    // A cut record at the very end of the file.
    EXPECT_FALSE(ReadBytes(RiffWave(data + Chunk("fmt ", cut.substr(0, 30))))->ok);
}

TEST(WavReader, DataShorterThanDeclaredIsCutToWholeFramesRead) {
    std::string data = "data";
    test::Put32(data, 1000000);         // declared far beyond the file
    data += Bytes({1, 2, 3}) + "\x09";  // 3 samples and a stray byte: stereo frames of 4 bytes
    const auto r = ReadBytes(RiffWave(Chunk("fmt ", FmtBody(1, 2, 44100, 4, 16)) + data));
    ASSERT_TRUE(r->ok);
    EXPECT_EQ(r->length, 4);
}

TEST(WavReader, RiffSizeBeyondTheFileStillFindsItsChunks) {
    std::string bytes = RiffWave(Chunk("fmt ", FmtBody(1, 1, 44100, 2, 16)) + Chunk("data", kPcm));
    bytes[4] = '\xFF';
    bytes[5] = '\xFF';
    bytes[6] = '\xFF';
    bytes[7] = '\x7F';
    const auto r = ReadBytes(bytes);
    ASSERT_TRUE(r->ok);
    EXPECT_EQ(r->length, 16);
}

TEST(WavReader, FilesThatCannotBeOpened) {
    test::TempDir dir;
    WaveFormat f;
    std::unique_ptr<uint8_t[]> data;
    int32_t length = 0;
    for (const std::string& path : {dir.File("missing.wav"), dir.File("")}) {
        RecordingNotifier n;
        EXPECT_FALSE(WavReader().Read(path, f, data, length, n));
        ASSERT_EQ(n.texts.size(), 1u);
        EXPECT_EQ(n.texts[0], "Can not open this file.");
    }
}

TEST(WavWriter, WritesTheFortySixByteHeaderAndReadsBack) {
    test::TempDir dir;
    const std::string path = dir.File("out.wav");
    const WaveFormat f = PcmFormat(1);
    const std::string pcm = Bytes({100, -100, 32767, -32768});
    ASSERT_TRUE(WriteWavFile(path, f, {reinterpret_cast<const uint8_t*>(pcm.data()), pcm.size()}));
    const std::string bytes =
        WavFileBytes(f, {reinterpret_cast<const uint8_t*>(pcm.data()), pcm.size()});
    EXPECT_EQ(bytes.size(), 46u + pcm.size());
    EXPECT_EQ(bytes.substr(0, 4), "RIFF");
    EXPECT_EQ(bytes.substr(12, 4), "fmt ");
    EXPECT_EQ(bytes.substr(38, 4), "data");
    LoadedClip clip;
    RecordingNotifier n;
    ASSERT_TRUE(LoadWav(path, clip, n));
    EXPECT_EQ(clip.kind, LoadedKind::Wav);
    EXPECT_EQ(clip.length, 8);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(clip.data.get()), 8), pcm);
    EXPECT_FALSE(WriteWavFile(dir.File("no/such/folder.wav"), f, {}));
}

}  // namespace
}  // namespace tonavise
