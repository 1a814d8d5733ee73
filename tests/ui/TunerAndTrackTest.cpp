// The precise tuner (its readout, lines and needle), the pitch track window, and their commands
// and settings.
#include <gtest/gtest.h>

#include <QFile>
#include <QSettings>
#include <QTest>

#include "UiTestSupport.h"
#include "engine/dsp/KeyTable.h"
#include "ui/CommandIds.h"
#include "ui/FundamentalToneWindow.h"
#include "ui/MainWindow.h"
#include "ui/PitchTrackWindow.h"
#include "ui/ScopeView.h"
#include "ui/TunerReadout.h"

namespace tonavise::ui::test {
namespace {

PitchReading Precise(int key, double cents) {
    PitchReading r;
    r.precise = true;
    r.hasPitch = true;
    r.key = key;
    r.cents = cents;
    r.hz = 440.0 * std::pow(2.0, (key - 48 + cents / 100.0) / 12.0);
    r.clarity = 0.95;
    return r;
}

PitchReading NoPitch() {
    PitchReading r;
    r.precise = true;
    return r;
}

TEST(TunerReadout, NoiseNeverShowsAPitchAndABreathDoesNotBlankIt) {
    TunerReadout t;
    // One stray pitched block amid noise: nothing shows.
    for (const PitchReading& r : {NoPitch(), Precise(30, 12), NoPitch(), Precise(61, -20)}) {
        t.Add(r);
        EXPECT_FALSE(t.shown().hasPitch);
    }
    t.Add(Precise(61, -18));  // the second block in a row of the same key
    ASSERT_TRUE(t.shown().hasPitch);
    EXPECT_EQ(t.shown().key, 61);
    // Two blocks without pitch hold the reading (greyed); the third clears it.
    t.Add(NoPitch());
    t.Add(NoPitch());
    EXPECT_TRUE(t.shown().hasPitch);
    EXPECT_TRUE(t.shown().held);
    t.Add(NoPitch());
    EXPECT_FALSE(t.shown().hasPitch);
}

TEST(TunerReadout, TheNeedleAveragesTheSameKeyUnlessSmoothingIsOff) {
    TunerReadout t;
    for (double c : {0.0, 0.0, 4.0, 8.0}) {
        t.Add(Precise(48, c));
    }
    // The first block after silence only confirms; the needle is the mean of the rest.
    EXPECT_DOUBLE_EQ(t.shown().needleCents, 4.0);
    EXPECT_DOUBLE_EQ(t.shown().cents, 8.0);
    // A new key starts its own mean, at once.
    t.Add(Precise(50, -10.0));
    EXPECT_EQ(t.shown().key, 50);
    EXPECT_DOUBLE_EQ(t.shown().needleCents, -10.0);
    t.SetSmoothing(false);
    t.Add(Precise(50, 6.0));
    EXPECT_DOUBLE_EQ(t.shown().needleCents, 6.0);
}

TEST(PreciseToneLines, HundredthsOfAHertzTenthsOfACentAndNoPitch) {
    KeyTable keyTable;
    TunerReadout t;
    t.Add(Precise(48, 3.93));
    t.Add(Precise(48, 3.93));
    const QStringList lines =
        PreciseToneLines(t.shown(), keyTable, UiLanguage::English, "no pitch");
    EXPECT_EQ(lines,
              QStringList({"Fundamental Frequency (tone) = 441.00 (Hz)",
                           "Pitch = A4",
                           "Difference = +3.9 (Cents)"}));
    t.Add(Precise(48, -0.04));
    EXPECT_EQ(PreciseToneLines(t.shown(), keyTable, UiLanguage::English, "no pitch")[2],
              QStringLiteral("Difference = +0.0 (Cents)"));
    EXPECT_EQ(PreciseToneLines({}, keyTable, UiLanguage::English, "no pitch"),
              QStringList({"Fundamental Frequency (tone) = no pitch"}));
    EXPECT_EQ(TunerNeedleColor(2.9), QColor(0, 160, 60));
    EXPECT_NE(TunerNeedleColor(3.1), QColor(0, 160, 60));
}

class TunerCommandsTest : public ::testing::Test {
  protected:
    void Start() {
        frame = std::make_unique<MainWindow>(engine.context);
        frame->show();
        frame->StartLive();
    }
    void TearDown() override { frame.reset(); }
    int Stored(const char* key, int otherwise) {
        return QSettings(file.path(), QSettings::IniFormat)
            .value(QStringLiteral("Setting/") + key, otherwise)
            .toInt();
    }

    TempSettings file;
    Engine engine{file.path()};
    std::unique_ptr<MainWindow> frame;
};

TEST_F(TunerCommandsTest, PrecisePitchIsStoredAndTheToneWindowGrowsItsTunerBar) {
    file.Put("Setting", "PitchMethod", "1");
    Start();
    EXPECT_EQ(engine.keyTable.pitchMethod.load(), kPitchMethodPrecise);
    EXPECT_TRUE(frame->CommandStateOf(ID_PRECISE_PITCH).checked);
    ASSERT_TRUE(frame->ExecuteCommand(ID_FUNDAMENTAL_TONE));
    FundamentalToneWindow* tone = frame->view().toneWindow();
    ASSERT_NE(tone, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(tone));
    const int withBar = tone->height();
    tone->AddReading(Precise(48, 1.0));
    tone->AddReading(Precise(48, 1.0));
    tone->repaint();
    EXPECT_TRUE(tone->tuner().shown().hasPitch) << tone->shownLines().join('|').toStdString();
    EXPECT_GT(tone->needleX(), tone->width() / 2);  // a little sharp: right of the middle
    EXPECT_LT(tone->needleX(), tone->width() / 2 + 8);

    ASSERT_TRUE(frame->ExecuteCommand(ID_PRECISE_PITCH));
    EXPECT_EQ(engine.keyTable.pitchMethod.load(), kPitchMethodStandard);
    EXPECT_EQ(Stored("PitchMethod", -1), 0);
    EXPECT_LT(tone->height(), withBar);
    tone->repaint();
    EXPECT_EQ(tone->needleX(), -1);
    // The standard lines: one decimal of a hertz ("440.0 (Hz)"), no tuner.
    EXPECT_EQ(tone->shownLines().front().count(QLatin1Char('.')), 1);
}

TEST_F(TunerCommandsTest, ThePitchTrackFollowsFreezesExportsAndRemembersItself) {
    Start();
    ASSERT_TRUE(frame->ExecuteCommand(ID_PITCH_TRACK));
    PitchTrackWindow* track = frame->view().pitchTrackWindow();
    ASSERT_NE(track, nullptr);
    EXPECT_TRUE(frame->CommandStateOf(ID_PITCH_TRACK).checked);
    EXPECT_EQ(Stored("PitchTrackShown", 0), 1);

    for (uint64_t s = 1; s <= 5; ++s) {
        track->AddReading(s, Precise(48, -20.0));
    }
    EXPECT_EQ(track->ring().Size(), 5u);
    QTest::keyClick(track, Qt::Key_Space);
    EXPECT_TRUE(track->frozen());
    track->AddReading(6, Precise(48, 0.0));
    EXPECT_EQ(track->ring().Size(), 5u);  // frozen: nothing added
    QTest::keyClick(track, Qt::Key_Space);
    EXPECT_FALSE(track->frozen());

    // Export: the CSV has the columns of analyze; the picture is beside it.
    QTemporaryDir dir;
    ASSERT_TRUE(track->Export(dir.filePath("take.csv")));
    QFile csv(dir.filePath("take.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0], QStringLiteral("time_s,f0_hz,key,name,cents"));
    EXPECT_EQ(rows[1], QStringLiteral("0.1,434.946,48,A4,-20.0"));
    EXPECT_TRUE(QFile::exists(dir.filePath("take.png")));
    // A folder that cannot be written: a message that names the file, nothing else.
    EXPECT_FALSE(track->Export(dir.filePath("missing/take.csv")));
    ASSERT_EQ(engine.notifier.Count(), 1u);
    EXPECT_NE(engine.notifier.Text(0).find("missing"), std::string::npos);

    track->close();
    EXPECT_FALSE(frame->CommandStateOf(ID_PITCH_TRACK).checked);
    EXPECT_EQ(Stored("PitchTrackShown", 1), 0);
}

}  // namespace
}  // namespace tonavise::ui::test
