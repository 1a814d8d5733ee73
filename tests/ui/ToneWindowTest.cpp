// The fundamental tone window: its lines, the languages, keys that do nothing, and how the
// view's command, the close box and the mode switches show and hide it.
#include <gtest/gtest.h>

#include <QTest>

#include "UiTestSupport.h"
#include "engine/live/AnalysisThread.h"
#include "ui/CommandIds.h"
#include "ui/FundamentalToneWindow.h"
#include "ui/MainWindow.h"
#include "ui/ScopeView.h"

namespace tonavise::ui::test {
namespace {

TEST(FundamentalToneLines, SilenceReadsA0AndMinus37Cents) {
    // What the analysis makes of silence, through the same pass the program runs.
    CaptureStore store;
    store.Create();
    KeyTable keyTable;
    Fft fft;
    ASSERT_TRUE(fft.Init(kFftSize));
    RunAnalysisPass(store, fft, keyTable, false);
    const double hz = store.spectrum.acquire().fundamentalHz;
    EXPECT_EQ(FundamentalToneLines(hz, keyTable, UiLanguage::English),
              QStringList({"Fundamental Frequency (tone) = 26.9 (Hz)",
                           "Pitch = A0",
                           "Difference = -37 (Cents)"}));
}

TEST(FundamentalToneLines, NamesTheKeyWithSignedCents) {
    KeyTable keyTable;
    EXPECT_EQ(FundamentalToneLines(450.0, keyTable, UiLanguage::English),
              QStringList({"Fundamental Frequency (tone) = 450.0 (Hz)",
                           "Pitch = A4",
                           "Difference = +38 (Cents)"}));
    EXPECT_EQ(FundamentalToneLines(440.0, keyTable, UiLanguage::English)[2],
              QStringLiteral("Difference = +0 (Cents)"));
    EXPECT_EQ(FundamentalToneLines(466.16, keyTable, UiLanguage::English)[1],
              QStringLiteral("Pitch = #A/bB4"));
}

TEST(FundamentalToneLines, OutsideThe88KeysOnlyTheFrequencyShows) {
    KeyTable keyTable;
    EXPECT_EQ(FundamentalToneLines(0.0, keyTable, UiLanguage::English),
              QStringList({"Fundamental Frequency (tone) = 0.0 (Hz)"}));
    EXPECT_EQ(FundamentalToneLines(5000.0, keyTable, UiLanguage::English).size(), 1);
}

TEST(FundamentalToneLines, ChineseAndJapaneseLabels) {
    KeyTable keyTable;
    EXPECT_EQ(FundamentalToneLines(450.0, keyTable, UiLanguage::Chinese),
              QStringList({QStringLiteral("基频(基音) = 450.0 (Hz)"),
                           QStringLiteral("音高 = A4"),
                           QStringLiteral("误差 = +38 (音分)")}));
    EXPECT_EQ(FundamentalToneLines(450.0, keyTable, UiLanguage::Japanese),
              QStringList({QStringLiteral("基本周波数(基音) = 450.0 (Hz)"),
                           QStringLiteral("音程 = A4"),
                           QStringLiteral("誤差 = +38 (セント)")}));
}

class ToneWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        frame = std::make_unique<MainWindow>(engine.context);
        frame->show();
        frame->StartLive();
    }
    void TearDown() override { frame.reset(); }

    ScopeView& view() { return frame->view(); }
    bool Checked() { return frame->CommandStateOf(ID_FUNDAMENTAL_TONE).checked; }
    bool Enabled() { return frame->CommandStateOf(ID_FUNDAMENTAL_TONE).enabled; }
    void Toggle() { frame->ExecuteCommand(ID_FUNDAMENTAL_TONE); }

    TempSettings file;
    Engine engine{file.path()};
    std::unique_ptr<MainWindow> frame;
};

TEST_F(ToneWindowTest, TheCommandShowsHidesAndShowsTheSameWindow) {
    EXPECT_EQ(view().toneWindow(), nullptr);
    Toggle();
    FundamentalToneWindow* window = view().toneWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(Checked());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Fundamental Frequency (tone)"));
    Toggle();
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(Checked());
    Toggle();
    EXPECT_EQ(view().toneWindow(), window);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(ToneWindowTest, ClosingItByItsCloseBoxClearsTheCheckMark) {
    Toggle();
    FundamentalToneWindow* window = view().toneWindow();
    ASSERT_TRUE(window->close());
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(view().toneWindowShown());
    EXPECT_FALSE(Checked());
    // One command brings it back.
    Toggle();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(Checked());
}

TEST_F(ToneWindowTest, KeyPressesDoNothing) {
    Toggle();
    FundamentalToneWindow* window = view().toneWindow();
    window->activateWindow();
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
        QTest::keyClick(window, key);
        EXPECT_TRUE(window->isVisible()) << key;
    }
    QTest::keyClick(window, Qt::Key_F4, Qt::AltModifier);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(Checked());
}

TEST_F(ToneWindowTest, HiddenInTheWaveformAndShownAgainAfter) {
    Toggle();
    FundamentalToneWindow* window = view().toneWindow();
    frame->ExecuteCommand(ID_WAVE_SHAPE);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(Enabled());
    EXPECT_TRUE(Checked());  // still wanted: it comes back with the next spectrum mode
    frame->ExecuteCommand(ID_FREQUENCY_SCALE);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(Enabled());
}

TEST_F(ToneWindowTest, RepaintsWithTheLatestAnalysis) {
    Toggle();
    FundamentalToneWindow* window = view().toneWindow();
    // The analysis of the (silent) store arrives through the capture store like live sound.
    engine.captureStore.startFftEvent.set();
    EXPECT_TRUE(WaitFor([&] {
        return window->shownLines().size() == 3 &&
               window->shownLines()[0] ==
                   QStringLiteral("Fundamental Frequency (tone) = 26.9 (Hz)");
    }));
    EXPECT_EQ(window->shownLines()[1], QStringLiteral("Pitch = A0"));
    EXPECT_EQ(window->shownLines()[2], QStringLiteral("Difference = -37 (Cents)"));
    EXPECT_EQ(window->grab().toImage().pixelColor(2, 2), QColor(255, 255, 255));
}

}  // namespace
}  // namespace tonavise::ui::test
