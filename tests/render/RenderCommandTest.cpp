#include <gtest/gtest.h>

#include <QImage>
#include <sstream>

#include "GoldenSupport.h"
#include "TestSupport.h"
#include "cli/Commands.h"

namespace tonavise {
namespace {

using cli::RenderOptions;
using cli::RunRender;
using namespace test;

std::string Wav(const std::vector<int16_t>& samples, int channels) {
    return RiffWave(Chunk("fmt ",
                          FmtBody(1,
                                  static_cast<uint16_t>(channels),
                                  44100,
                                  static_cast<uint16_t>(2 * channels),
                                  16)) +
                    Chunk("data", Bytes(samples)));
}

class RenderCommandTest : public ::testing::Test {
  protected:
    void SetUp() override { a4 = dir.Write("a4.wav", Wav(Sine(440, 16000, 44100), 1)); }
    int Run(RenderOptions o) {
        err.str("");
        if (o.file.empty()) {
            o.file = a4;
        }
        o.output = dir.File("out.png");
        return RunRender(o, err);
    }
    QImage Picture() const { return QImage(QString::fromStdString(dir.File("out.png"))); }

    TempDir dir;
    std::string a4;
    std::ostringstream err;
};

TEST_F(RenderCommandTest, EachModeWritesItsPictureSize) {
    for (const auto& [mode, size] : {std::pair{"wave", QSize(467, 451)},
                                     std::pair{"frequency", QSize(1067, 451)},
                                     std::pair{"pitch", QSize(1821, 471)}}) {
        RenderOptions o;
        o.mode = mode;
        o.at = 0.5;
        ASSERT_EQ(Run(o), 0) << err.str();
        EXPECT_EQ(Picture().size(), size) << mode;
    }
}

TEST_F(RenderCommandTest, TheA4PeakStandsOnTheMarkedA4Line) {
    RenderOptions o;
    o.at = 0.5;
    o.level = 100;
    o.colors = {"A4=2"};  // green: where the blue outline runs along it, the AND leaves black
    ASSERT_EQ(Run(o), 0) << err.str();
    const QImage picture = Picture();
    const int tip = TopmostOf(picture, 1010, kBlack, 11, 410);
    // A sine of amplitude 16000 peaks near 16000: 195 pixels above the baseline.
    EXPECT_GE(tip, 205);
    EXPECT_LE(tip, 225);
    EXPECT_EQ(PixelAt(picture, 1010, 409), Rgb(0, 196, 0));
    for (int x : {995, 1005, 1009, 1011, 1015, 1025}) {  // between the pitch lines
        for (int y = 11; y < tip; ++y) {
            if (y % 40 != 10) {
                ASSERT_NE(PixelAt(picture, x, y), kBlue) << x << "," << y;
            }
        }
    }
}

TEST_F(RenderCommandTest, EveryBlockIsDrawnSoTheHistoryBuildsUp) {
    RenderOptions o;
    o.at = 1.0;  // block 9: the tenth drawing
    o.level = 100;
    o.threeD = true;
    ASSERT_EQ(Run(o), 0) << err.str();
    const QImage picture = Picture();
    const QRgb outline = Rgb(127, 127, 255);
    for (int j = 0; j < 10; ++j) {
        const int y = 410 - 6 * j;
        if (y % 40 != 10) {
            EXPECT_EQ(PixelAt(picture, 1500, y), outline) << j;
        }
    }
    EXPECT_EQ(PixelAt(picture, 1500, 350), kWhite);
}

TEST_F(RenderCommandTest, TimesWithinABlockGiveItsPicture) {
    RenderOptions o;
    o.mode = "wave";
    o.at = 0.15;
    ASSERT_EQ(Run(o), 0);
    const QImage first = Picture();
    o.at = 0.2;  // the end of the same block
    ASSERT_EQ(Run(o), 0);
    EXPECT_EQ(Picture(), first);
    o.at = 0.21;
    ASSERT_EQ(Run(o), 0);
    EXPECT_EQ(Picture().size(), first.size());
}

TEST_F(RenderCommandTest, StereoFilesShowTwoTraces) {
    const std::string stereo = dir.Write("stereo.wav", Wav(Sine(440, 16000, 22050, 44100, 2), 2));
    RenderOptions o;
    o.file = stereo;
    o.mode = "wave";
    o.at = 0.3;
    o.level = 100;
    ASSERT_EQ(Run(o), 0);
    EXPECT_GT(CountIn(Picture(), 50, 10, 451, 411, Rgb(0, 127, 0)), 100);
    o.file = a4;
    ASSERT_EQ(Run(o), 0);
    EXPECT_EQ(CountIn(Picture(), 50, 10, 451, 411, Rgb(0, 127, 0)), 0);
    EXPECT_GT(CountIn(Picture(), 50, 10, 451, 411, Rgb(255, 0, 127)), 100);
}

TEST_F(RenderCommandTest, BadInputGetsAMessage) {
    struct Case {
        void (*change)(RenderOptions&);
        int result;
        const char* message;
    };
    const Case cases[] = {
        {[](RenderOptions& o) { o.at = 1.2; }, 1, "past the end"},
        {[](RenderOptions& o) { o.file = "/nonexistent/x.wav"; }, 1, "x.wav"},
        {[](RenderOptions& o) { o.file = "/nonexistent/x.ogg"; }, 1, "not a .wav or .mp3"},
        {[](RenderOptions& o) { o.level = 30; }, 2, "--level"},
        {[](RenderOptions& o) { o.zoom = 3; }, 2, "--zoom"},
        {[](RenderOptions& o) { o.span = 3000; }, 2, "--span"},
        {[](RenderOptions& o) { o.start = 4550; }, 2, "--start"},
        {[](RenderOptions& o) { o.start = 6000; }, 2, "--start"},
        {[](RenderOptions& o) { o.key = "H"; }, 2, "--key"},
        {[](RenderOptions& o) { o.notation = "4"; }, 2, "--notation"},
        {[](RenderOptions& o) { o.colors = {"A4=8"}; }, 2, "--colors"},
        {[](RenderOptions& o) { o.colors = {"H4=1"}; }, 2, "--colors"},
        {[](RenderOptions& o) { o.colors = {"48"}; }, 2, "--colors"},
        {[](RenderOptions& o) { o.mode = "sonogram"; }, 2, "--mode"},
        {[](RenderOptions& o) { o.a4 = 485; }, 2, "--a4"},
    };
    for (const Case& c : cases) {
        RenderOptions o;
        c.change(o);
        EXPECT_EQ(Run(o), c.result) << c.message;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    }
    RenderOptions o;
    o.key = "#F/bG";
    o.notation = "capital";
    o.colors = {"#C5=4", "0=1", "87=6"};
    o.span = 1000;
    o.start = 4500;
    EXPECT_EQ(Run(o), 0) << err.str();
}

}  // namespace
}  // namespace tonavise
