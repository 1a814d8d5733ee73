#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <vector>

#include "TestSupport.h"
#include "engine/audiofile/FileLoading.h"
#include "engine/live/PracticeControls.h"
#include "engine/live/RecordingStore.h"

namespace tonavise {
namespace {

using test::RecordingNotifier;

std::vector<int16_t> MonoBlock(int16_t value) {
    return std::vector<int16_t>(kBlockFrames, value);
}

class FixedPath final : public SavePathChooser {
  public:
    explicit FixedPath(std::optional<std::string> p) : path(std::move(p)) {}
    std::optional<std::string> ChooseSavePath() override {
        ++asked;
        return path;
    }
    std::optional<std::string> path;
    int asked = 0;
};

struct Recorder {
    PracticeControls controls;
    RecordingStore store{controls};
    RecordingNotifier notifier;

    explicit Recorder(int recTimeIndex, bool repeating) {
        controls.recTimeIndex = recTimeIndex;
        controls.recRepeating = repeating ? 1 : 0;
        EXPECT_TRUE(store.AllocateForRecTime(notifier, UiLanguage::English));
        store.recording = 1;
    }
    void Record(int n, int first = 1) {
        for (int k = first; k < first + n; ++k) {
            auto b = MonoBlock(static_cast<int16_t>(k));
            store.RecordBlock(b, 1);
        }
    }
};

TEST(RecTimeTable, LabelsSecondsAndCapacity) {
    EXPECT_EQ(RecTimeLabel(0, UiLanguage::English), "30 Seconds");
    EXPECT_EQ(RecTimeLabel(1, UiLanguage::English), "1 Minute");
    EXPECT_EQ(RecTimeLabel(2, UiLanguage::English), "2 Minutes");
    EXPECT_EQ(RecTimeLabel(10, UiLanguage::English), "10 Minutes");
    EXPECT_EQ(RecTimeLabel(11, UiLanguage::English), "10 Minutes");
    EXPECT_EQ(RecTimeLabel(-1, UiLanguage::English), "30 Seconds");
    EXPECT_EQ(RecTimeLabel(0, UiLanguage::Chinese), "30 秒");
    EXPECT_EQ(RecTimeLabel(3, UiLanguage::Japanese), "3 分");
    EXPECT_EQ(RecTimeBlocks(0), 310);
    EXPECT_EQ(RecTimeBlocks(1), 610);
    EXPECT_EQ(RecTimeBlocks(10), 6010);
    EXPECT_EQ(RecTimeSeconds(99), 600);
}

TEST(RecordingStore, WithoutRepeatingTheRecordingEndsWhenFull) {
    Recorder r(0, false);
    EXPECT_EQ(r.store.Capacity(), 310);
    r.Record(310);
    EXPECT_EQ(r.store.recording.load(), 1);
    r.Record(1, 311);
    EXPECT_EQ(r.store.recording.load(), 0) << "the 311th block ends the recording";
    EXPECT_EQ(r.store.Count(), 310);
    r.Record(5, 312);
    EXPECT_EQ(r.store.Count(), 310);
    // The 311th block was not stored: the newest is still block 310.
    std::vector<int16_t> dest(kBlockFrames);
    ASSERT_TRUE(r.store.RewindPlayback());
    int last = 0;
    while (r.store.ReadNext(dest)) {
        last = dest[0];
    }
    EXPECT_EQ(last, 310);
}

TEST(RecordingStore, RepeatingKeepsTheNewestBlocksAndSavesThemInOrder) {
    test::TempDir dir;
    Recorder r(0, true);
    r.Record(400);
    EXPECT_EQ(r.store.Count(), 310);
    EXPECT_EQ(r.store.recording.load(), 1);
    std::vector<int16_t> dest(kBlockFrames);
    ASSERT_TRUE(r.store.RewindPlayback());
    ASSERT_TRUE(r.store.ReadNext(dest));
    EXPECT_EQ(dest[0], 91) << "the oldest block is the 91st recorded";

    FixedPath chooser(dir.File("take.wav"));
    ASSERT_TRUE(r.store.SaveAs(chooser, r.notifier, UiLanguage::English));
    EXPECT_TRUE(r.notifier.texts.empty());
    LoadedClip clip;
    ASSERT_TRUE(LoadWav(*chooser.path, clip, r.notifier));
    ASSERT_EQ(clip.length, 310 * 8820);
    const auto* samples = reinterpret_cast<const int16_t*>(clip.data.get());
    for (int b = 0; b < 310; ++b) {
        ASSERT_EQ(samples[b * kBlockFrames], 91 + b);
        ASSERT_EQ(samples[b * kBlockFrames + kBlockFrames - 1], 91 + b);
    }
    // The order survives: more recording and a second save continue from the newest block.
    r.Record(10, 401);
    ASSERT_TRUE(r.store.SaveAs(chooser, r.notifier, UiLanguage::English));
    ASSERT_TRUE(LoadWav(*chooser.path, clip, r.notifier));
    samples = reinterpret_cast<const int16_t*>(clip.data.get());
    EXPECT_EQ(samples[0], 101);
    EXPECT_EQ(samples[309 * kBlockFrames], 410);
}

// The take's length counts on past the oldest block dropped; the peaks are the stored (mixed)
// sound's, full scale included; Clear starts a new take.
TEST(RecordingStore, TheTakesLengthAndPeaksAreKeptForTheRecorderToShow) {
    Recorder r(0, true);
    r.Record(400);
    RecordingStore::TakeLevels levels = r.store.Levels();
    EXPECT_EQ(levels.blocks, 400);
    EXPECT_EQ(levels.newestPeak, 400);
    EXPECT_EQ(levels.takePeak, 400);
    auto loud = MonoBlock(-32768);
    r.store.RecordBlock(loud, 1);
    r.Record(1, 7);
    levels = r.store.Levels();
    EXPECT_EQ(levels.newestPeak, 7);
    EXPECT_EQ(levels.takePeak, 32768) << "a clipped block marks the take";
    std::vector<int16_t> stereo(2 * kBlockFrames, 0);
    stereo[10] = 30000;  // left alone: half of it once mixed down
    r.store.RecordBlock(stereo, 2);
    EXPECT_EQ(r.store.Levels().newestPeak, 15000);
    ASSERT_TRUE(r.store.Clear());
    levels = r.store.Levels();
    EXPECT_EQ(levels.blocks, 0);
    EXPECT_EQ(levels.takePeak, 0);
}

TEST(RecordingStore, StereoIsMixedDownWithTruncation) {
    Recorder r(0, false);
    std::vector<int16_t> stereo(2 * kBlockFrames);
    for (int i = 0; i < kBlockFrames; ++i) {
        stereo[2 * i] = i % 2 ? 32767 : -3;
        stereo[2 * i + 1] = i % 2 ? 32767 : 0;
    }
    r.store.RecordBlock(stereo, 2);
    std::vector<int16_t> dest(kBlockFrames);
    ASSERT_TRUE(r.store.RewindPlayback());
    ASSERT_TRUE(r.store.ReadNext(dest));
    EXPECT_EQ(dest[0], -1);
    EXPECT_EQ(dest[1], 32767);
    EXPECT_EQ(dest[4408], -1);
    // A frame of (100, 201) and one of (-3, -4) as in the capture thread's own example.
    stereo[0] = 100;
    stereo[1] = 201;
    stereo[2] = -3;
    stereo[3] = -4;
    r.store.RecordBlock(stereo, 2);
    ASSERT_TRUE(r.store.ReadNext(dest));
    EXPECT_EQ(dest[0], 150);
    EXPECT_EQ(dest[1], -3);
}

TEST(RecordingStore, SavedFileHasTheExactLayout) {
    test::TempDir dir;
    Recorder r(0, false);
    r.Record(3);
    FixedPath chooser(dir.File("k3.wav"));
    ASSERT_TRUE(r.store.SaveAs(chooser, r.notifier, UiLanguage::English));
    std::ifstream in(*chooser.path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const uint32_t n = 3 * 8820;
    ASSERT_EQ(bytes.size(), 46 + n);
    std::string header = "RIFF";
    test::Put32(header, 38 + n);
    header += "WAVEfmt ";
    test::Put32(header, 18);
    header += test::FmtBody(1, 1, 44100, 2, 16);
    header += "data";
    test::Put32(header, n);
    EXPECT_EQ(bytes.substr(0, 46), header);
    EXPECT_EQ(bytes[46], 1);
    EXPECT_EQ(bytes[46 + 8820], 2);
}

TEST(RecordingStore, NothingToSaveCancelAndWriteFailures) {
    test::TempDir dir;
    Recorder r(0, false);
    FixedPath chooser(dir.File("x.wav"));
    EXPECT_FALSE(r.store.SaveAs(chooser, r.notifier, UiLanguage::English));
    EXPECT_EQ(chooser.asked, 0) << "no dialog without data";
    ASSERT_EQ(r.notifier.texts.size(), 1u);
    EXPECT_EQ(r.notifier.texts[0], "No data recorded.");
    EXPECT_EQ(r.notifier.captions[0], "Tonavise");

    r.Record(2);
    FixedPath cancel(std::nullopt);
    EXPECT_FALSE(r.store.SaveAs(cancel, r.notifier, UiLanguage::English));
    EXPECT_EQ(r.notifier.texts.size(), 1u) << "cancelling says nothing";

    // A folder that does not exist: reported, naming the file, and nothing left behind.
    FixedPath bad(dir.File("missing/take.wav"));
    EXPECT_FALSE(r.store.SaveAs(bad, r.notifier, UiLanguage::English));
    ASSERT_EQ(r.notifier.texts.size(), 2u);
    EXPECT_NE(r.notifier.texts[1].find(*bad.path), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(*bad.path));
    // The recording is still there and saves elsewhere.
    EXPECT_TRUE(r.store.SaveAs(chooser, r.notifier, UiLanguage::English));
}

TEST(RecordingStore, AWriteThatFailsHalfwayLeavesNoFileAndKeepsTheOldOne) {
    // A file-size limit makes the write fail after the first few kilobytes, as a full disk does.
    test::TempDir dir;
    Recorder r(0, false);
    r.Record(3);
    const std::string path = dir.Write("take.wav", "the earlier take");
    FixedPath chooser(path);
    RecordingNotifier n;
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 10000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = r.store.SaveAs(chooser, n, UiLanguage::Japanese);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(saved);
    ASSERT_EQ(n.texts.size(), 1u);
    EXPECT_EQ(n.texts[0], "録音を「" + path + "」に保存できませんでした。");
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()),
              "the earlier take");
    EXPECT_EQ(std::distance(
                  std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()),
                  std::filesystem::directory_iterator()),
              1)
        << "no partial file left";
}

TEST(RecordingStore, SavingOverSomethingThatIsNotAFileIsRefused) {
    test::TempDir dir;
    Recorder r(0, false);
    r.Record(1);
    for (const std::string& target : {std::string("/dev/null"), dir.File("")}) {
        FixedPath chooser(target);
        RecordingNotifier n;
        EXPECT_FALSE(r.store.SaveAs(chooser, n, UiLanguage::English)) << target;
        EXPECT_EQ(n.texts.size(), 1u);
    }
    EXPECT_TRUE(std::filesystem::exists("/dev/null"));
}

TEST(RecordingStore, WithoutBlocksEverythingReportsFailure) {
    PracticeControls controls;
    RecordingStore store(controls);
    std::vector<int16_t> dest(kBlockFrames);
    EXPECT_TRUE(store.IsFull());
    EXPECT_FALSE(store.Clear());
    EXPECT_FALSE(store.Append(MonoBlock(1)));
    EXPECT_FALSE(store.DropOldest());
    EXPECT_FALSE(store.RewindPlayback());
    EXPECT_FALSE(store.ReadNext(dest));
    EXPECT_FALSE(store.Linearize());
    EXPECT_EQ(store.Count(), 0);
    store.recording = 1;
    auto b = MonoBlock(1);
    store.RecordBlock(b, 1);  // full without blocks: repeating drops nothing, appends nothing
    EXPECT_EQ(store.Count(), 0);
}

TEST(RecordingStore, LinearizeKeepsContentAndOrderAndLaterAppendsFollow) {
    PracticeControls controls;
    RecordingStore store(controls);
    ASSERT_TRUE(store.Allocate(5));
    for (int k = 1; k <= 5; ++k) {
        store.Append(MonoBlock(static_cast<int16_t>(k)));
    }
    store.DropOldest();
    store.DropOldest();
    store.Append(MonoBlock(6));
    ASSERT_TRUE(store.Linearize());
    std::vector<int16_t> dest(kBlockFrames);
    store.RewindPlayback();
    for (int k = 3; k <= 6; ++k) {
        ASSERT_TRUE(store.ReadNext(dest));
        EXPECT_EQ(dest[0], k);
    }
    EXPECT_FALSE(store.ReadNext(dest));
    ASSERT_TRUE(store.Append(MonoBlock(7)));
    EXPECT_TRUE(store.IsFull());
    store.RewindPlayback();
    for (int k = 3; k <= 7; ++k) {
        ASSERT_TRUE(store.ReadNext(dest));
        EXPECT_EQ(dest[0], k);
    }
}

}  // namespace
}  // namespace tonavise
