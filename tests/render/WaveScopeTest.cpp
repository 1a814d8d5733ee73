#include <gtest/gtest.h>

#include <QImage>

#include "GoldenSupport.h"
#include "engine/live/CaptureStore.h"
#include "render/WaveScope.h"

namespace tonavise {
namespace {

using namespace test;

const QRgb kFirst = Rgb(255, 0, 127);
const QRgb kSecond = Rgb(0, 127, 0);

QImage Surface() {
    QImage image(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32);
    image.fill(Qt::black);  // whatever a drawing leaves alone shows up
    return image;
}

QImage WhiteWave() {
    QImage image(467, 451, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

struct Histories {
    CaptureStore::History one{};
    CaptureStore::History two{};
    WaveTraceInput Input(int32_t waveEnd = 32767) const { return {one, two, waveEnd}; }
};

ScopeViewState Wave(int levelIndex = 3, int waveZoomIndex = 3) {
    ScopeViewState s;
    s.scopeMode = kScopeWave;
    s.levelIndex = levelIndex;
    s.waveZoomIndex = waveZoomIndex;
    return s;
}

TEST(WaveScale, GridOfSolidAndDottedLinesWithoutEndPoints) {
    QImage image = Surface();
    DrawWaveScale(image, Wave());
    QImage reference = WhiteWave();
    std::vector<GridLine> vertical;
    std::vector<GridLine> horizontal;
    for (int n = 0; n <= 10; ++n) {
        vertical.push_back({50 + 40 * n, n % 5 == 0});
        horizontal.push_back({10 + 40 * n, n % 5 == 0});
    }
    DrawReferenceGrid(reference, vertical, 10, 410, horizontal, 50, 450);
    Golden g("wave-scale-grid");
    // The whole plot with a margin, where no label reaches; the picture ends at 467 x 451 and
    // the surface beyond it is left alone.
    g.Region(reference, 44, 0, 467, 416);
    g.At(450, 410, kWhite);  // the end of both the last vertical and the last horizontal line
    g.At(467, 10, kBlack).At(100, 451, kBlack);
    EXPECT_TRUE(g.Matches(image));
}

TEST(WaveScale, AmplitudeAndTimeLabels) {
    QImage image = Surface();
    LabelRecorder recorder;
    DrawWaveScale(image, Wave(3, 3), &recorder);  // 10 %, 1 ms per division
    ASSERT_EQ(recorder.labels.size(), 22u);
    const char* amplitudes[] = {" 10.0%",
                                "  8.0%",
                                "  6.0%",
                                "  4.0%",
                                "  2.0%",
                                "  0.0%",
                                " -2.0%",
                                " -4.0%",
                                " -6.0%",
                                " -8.0%",
                                "-10.0%"};
    const char* times[] = {"ms",
                           "  1.0",
                           "  2.0",
                           "  3.0",
                           "  4.0",
                           "  5.0",
                           "  6.0",
                           "  7.0",
                           "  8.0",
                           "  9.0",
                           " 10.0"};
    for (int n = 0; n <= 10; ++n) {
        const DrawnLabel& a = recorder.labels[static_cast<std::size_t>(n)];
        EXPECT_EQ(a.text.toStdString(), amplitudes[n]);
        EXPECT_EQ(a.rect, QRect(0, 40 * n + 6, 42, 16));
        EXPECT_EQ(a.align, LabelAlign::kRight);
        const DrawnLabel& t = recorder.labels[static_cast<std::size_t>(11 + n)];
        EXPECT_EQ(t.text.toStdString(), times[n]);
        EXPECT_EQ(t.rect, QRect(50 + 40 * (n - 1), 418, 80, 12));
        EXPECT_EQ(t.align, LabelAlign::kCentre);
        EXPECT_EQ(t.color, QColor(Qt::black));
        EXPECT_EQ(t.cellHeight, 12);
        // The text is really there, black inside its rectangle.
        EXPECT_GT(CountIn(image,
                          a.rect.left(),
                          a.rect.top(),
                          a.rect.right() + 1,
                          a.rect.bottom() + 1,
                          kBlack),
                  0);
    }
    recorder.labels.clear();
    DrawWaveScale(image, Wave(0, 7), &recorder);  // 100 %, 20 ms
    EXPECT_EQ(recorder.labels[0].text.toStdString(), "100.0%");
    EXPECT_EQ(recorder.labels[10].text.toStdString(), "-100.0%");
    EXPECT_EQ(recorder.labels[21].text.toStdString(), "200.0");
    recorder.labels.clear();
    DrawWaveScale(image, Wave(6, 0), &recorder);  // 1 %, 0.1 ms
    EXPECT_EQ(recorder.labels[1].text.toStdString(), "  0.8%");
    EXPECT_EQ(recorder.labels[12].text.toStdString(), "  0.1");
}

TEST(WaveTrace, SilenceAndAConstantDrawNothing) {
    Histories h;
    QImage image = WhiteWave();
    DrawWaveTrace(image, Wave(), h.Input());
    EXPECT_EQ(CountIn(image, 0, 0, 467, 451, kWhite), 467 * 451);
    h.one.fill(5000);
    DrawWaveTrace(image, Wave(), h.Input());
    EXPECT_EQ(CountIn(image, 0, 0, 467, 451, kWhite), 467 * 451);
}

TEST(WaveTrace, FullScaleSamplesAndTheClamp) {
    Histories h;
    h.one[32767] = 32767;
    h.one[32766] = -32768;
    QImage image = WhiteWave();
    DrawWaveTrace(image, Wave(0), h.Input());  // F = 100: 199 and -200 pixels
    // (450, 11) -> (449, 410) -> (448, 210); the last point is not set.
    EXPECT_TRUE(Golden("wave-trace-full-scale")
                    .At(450, 11, kFirst)
                    .At(450, 10, kWhite)
                    .At(449, 410, kFirst)
                    .At(448, 210, kWhite)
                    .At(447, 210, kWhite)
                    .Matches(image));

    QImage clamped = WhiteWave();
    DrawWaveTrace(clamped, Wave(3), h.Input());  // F = 10: 1999 clamped to 200
    EXPECT_TRUE(
        Golden("wave-trace-clamp").At(450, 10, kFirst).At(449, 410, kFirst).Matches(clamped));
}

TEST(WaveTrace, TwentyMillisecondsReach8797SamplesBack) {
    Histories h;
    // Only the sample that x = 51 reads (399 x 22.05 = 8797 back) is non-zero.
    h.one[32767 - 8797] = 32767;
    QImage image = WhiteWave();
    DrawWaveTrace(image, Wave(0, 7), h.Input());
    // A single segment from (450, 210) to (51, 11), whose end is not set.
    EXPECT_TRUE(Golden("wave-trace-20ms")
                    .At(450, 210, kFirst)
                    .At(51, 11, kWhite)
                    .At(52, 11, kFirst)
                    .Matches(image));
    // The pixel before is read from 8775 back: nothing there.
    h.one[32767 - 8797] = 0;
    h.one[32767 - 8775] = 32767;
    QImage before = WhiteWave();
    DrawWaveTrace(before, Wave(0, 7), h.Input());
    EXPECT_EQ(PixelAt(before, 52, 11), kFirst);
    EXPECT_EQ(PixelAt(before, 51, 210), kWhite);  // the last point (51, 210) is not set
}

TEST(WaveTrace, TheTraceFollowsWaveEnd) {
    Histories h;
    h.one[32000] = 32767;
    QImage image = WhiteWave();
    DrawWaveTrace(image, Wave(0, 0), h.Input(32000));  // 0.1 ms: about nine pixels a sample
    // Pixels 0..9 read the newest sample (i x 0.11025 < 1); the run is bridged by one segment
    // from (450, 11) to the change at (440, 210), whose end is not set.
    EXPECT_TRUE(Golden("wave-trace-wave-end")
                    .At(450, 11, kFirst)
                    .At(441, 11, kWhite)
                    .At(445, 110, kFirst)
                    .At(440, 210, kWhite)
                    .Matches(image));
}

TEST(WaveTrace, SecondTraceOnlyByTheStereoRule) {
    Histories h;
    h.one[32767] = 16384;
    h.two[32767] = -16384;
    ScopeViewState mono = Wave(0);
    QImage image = WhiteWave();
    DrawWaveTrace(image, mono, h.Input());
    EXPECT_EQ(PixelAt(image, 450, 110), kFirst);
    EXPECT_EQ(CountIn(image, 0, 0, 467, 451, kSecond), 0);

    ScopeViewState stereo = mono;
    stereo.secondTrace = true;
    QImage both = WhiteWave();
    DrawWaveTrace(both, stereo, h.Input());
    EXPECT_EQ(PixelAt(both, 450, 110), kFirst);
    EXPECT_EQ(PixelAt(both, 450, 310), kSecond);

    EXPECT_TRUE(ShowsSecondTrace(2, false, 0));
    EXPECT_TRUE(ShowsSecondTrace(1, true, 2));
    EXPECT_FALSE(ShowsSecondTrace(1, false, 2));
    EXPECT_FALSE(ShowsSecondTrace(1, true, 1));
    EXPECT_FALSE(ShowsSecondTrace(2, true, 1))
        << "a mono file plays: the microphone's second history is frozen";
}

}  // namespace
}  // namespace tonavise
