// The tuner view: what it shows of the readings (smoothed over time, held through a gap, named
// in written pitch), its face at the default size, and the dock's command, keys and settings.
#include <gtest/gtest.h>

#include <QAction>
#include <QSettings>
#include <QTest>
#include <cmath>
#include <numbers>

#include "UiTestSupport.h"
#include "engine/device/VirtualSound.h"
#include "engine/live/LiveEngine.h"
#include "render/TunerFace.h"
#include "ui/CommandIds.h"
#include "ui/MainWindow.h"
#include "ui/TunerFollower.h"
#include "ui/TunerView.h"

namespace tonavise::ui::test {
namespace {

constexpr int kHop = 882;  // a steady reading every 20 ms

double HzOf(int key, double cents) {
    return 440.0 * std::exp2((key - 48 + cents / 100.0) / 12.0);
}

// Steady readings 20 ms apart (each with an instantaneous one beside it), oldest first.
class Readings {
  public:
    void Add(double hz) {
        end_ += kHop;
        ring_.Push(TunerReading{end_ - kHop / 2, hz, 0.9, false, false, 0.0, 0.0});
        ring_.Push(TunerReading{end_, hz, 0.9, true, false, 0.0, 0.0});
    }
    TunerAnalysis::Readings::Snapshot Latest() const { return ring_.Read(); }

  private:
    TunerAnalysis::Readings ring_;
    int64_t end_ = 0;
};

TEST(TunerFollower, TheCentsAreTheMeanOfThisNotesLast150msAndAGapIsHeldBriefly) {
    const Tuning equal;
    TunerFollower follower;
    Readings r;
    for (int i = 0; i < 10; ++i) {
        r.Add(HzOf(48, 20.0));  // older than 150 ms by the end: left out
    }
    for (int i = 0; i < 8; ++i) {
        r.Add(HzOf(48, i % 2 == 0 ? 2.0 : 6.0));  // the last 160 ms: 8 readings, mean 4
    }
    TunerFollower::Shown shown = follower.Follow(r.Latest(), equal, 0);
    ASSERT_TRUE(shown.hasPitch);
    EXPECT_EQ(shown.reading.key, 48);
    // The readings that end within 150 ms of the newest: it and the seven before it.
    EXPECT_NEAR(shown.reading.cents, 4.0, 1e-6);
    follower.SetSmoothing(false);
    EXPECT_NEAR(follower.Follow(r.Latest(), equal, 0).reading.cents, 6.0, 1e-6);
    follower.SetSmoothing(true);

    // Another key: only its own readings count, at once.
    r.Add(HzOf(50, -10.0));
    shown = follower.Follow(r.Latest(), equal, 0);
    EXPECT_EQ(shown.reading.key, 50);
    EXPECT_NEAR(shown.reading.cents, -10.0, 1e-6);
    EXPECT_FALSE(shown.held);

    // A gap: held (greyed) for up to 0.4 s of sound, then no pitch.
    for (int i = 0; i < 19; ++i) {
        r.Add(0.0);
    }
    shown = follower.Follow(r.Latest(), equal, 0);
    EXPECT_TRUE(shown.hasPitch && shown.held);
    r.Add(0.0);
    r.Add(0.0);
    EXPECT_FALSE(follower.Follow(r.Latest(), equal, 0).hasPitch);

    // A B-flat instrument reads concert C4 as its written D4.
    r.Add(HzOf(39, 1.0));
    shown = follower.Follow(r.Latest(), equal, -2);
    EXPECT_EQ(shown.reading.key, 41);
    EXPECT_NEAR(shown.reading.cents, 1.0, 1e-6);
}

TEST(TunerFollower, WithStringsTheNearestStringIsNamed) {
    TunerFollower follower;
    const std::vector<int> keys = {19, 24, 29, 34, 38, 43};  // the guitar's E2 to E4
    std::vector<double> targets;
    for (int k : keys) {
        targets.push_back(HzOf(k, 0.0));
    }
    follower.SetStrings(keys, targets, -1);
    Readings r;
    r.Add(HzOf(19, -30.0));
    TunerFollower::Shown shown = follower.Follow(r.Latest(), Tuning(), 0);
    EXPECT_EQ(shown.reading.key, 19);
    EXPECT_NEAR(shown.reading.cents, -30.0, 1e-6);
    EXPECT_EQ(follower.shownString(), 0);
    // A string tuned more than half a key flat still names that string when it is locked.
    follower.SetStrings(keys, targets, 1);
    for (int i = 0; i < 8; ++i) {
        r.Add(HzOf(24, -70.0));  // 160 ms of it: the mean holds it alone
    }
    shown = follower.Follow(r.Latest(), Tuning(), 0);
    EXPECT_EQ(shown.reading.key, 24);
    EXPECT_NEAR(shown.reading.cents, -70.0, 1e-6);
}

TEST(TunerFace, TheNoteIsAtLeast72PixelsAndTheStrobeBandsMoveWithTheirPlace) {
    EXPECT_GE(TunerNoteSize(QSize(300, 440)), 72);
    EXPECT_EQ(VerdictOf(-3.0, 3.0), TuneVerdict::InTune);
    EXPECT_EQ(VerdictOf(-3.1, 3.0), TuneVerdict::Flat);
    EXPECT_EQ(VerdictOf(3.1, 3.0), TuneVerdict::Sharp);

    TunerFaceState s;
    s.hasPitch = true;
    s.note = QStringLiteral("A");
    s.octave = QStringLiteral("4");
    s.hz = 440.0;
    s.strobe = true;
    // The band strip's rows (the note's glyphs are drawn a little differently once cached).
    const auto draw = [&](double bands) {
        s.strobeBands = bands;
        QImage image(300, 440, QImage::Format_RGB32);
        DrawTunerFace(s, image);
        return image.copy(0, 290, 300, 60);
    };
    // Two bands (a light and a dark) make one period of the pattern.
    EXPECT_EQ(draw(0.0), draw(2.0));
    EXPECT_NE(draw(0.0), draw(0.5));
    EXPECT_EQ(draw(0.5), draw(-1.5));
}

class TunerDockTest : public ::testing::Test {
  protected:
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

TEST_F(TunerDockTest, HiddenAtFirstShownByItsCommandAndRememberedWithItsMode) {
    frame = std::make_unique<MainWindow>(engine.context);
    frame->show();
    frame->StartLive();
    TunerDock* dock = frame->tunerDock();
    ASSERT_NE(dock, nullptr);
    EXPECT_FALSE(dock->isVisible()) << "the window opens as it always did";
    EXPECT_EQ(frame->dockWidgetArea(dock), Qt::RightDockWidgetArea);

    ASSERT_TRUE(frame->ExecuteCommand(ID_TUNER));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dock->face()));
    EXPECT_TRUE(frame->CommandStateOf(ID_TUNER).checked);
    EXPECT_EQ(Stored("TunerShown", 0), 1);
    ASSERT_NE(engine.live.Tuner(), nullptr);
    EXPECT_TRUE(engine.live.Tuner()->running()) << "the analysis runs while the tuner is shown";
    EXPECT_EQ(dock->face()->SpokenValue(), QStringLiteral("no pitch"));

    ASSERT_TRUE(frame->ExecuteCommand(ID_TUNER_STROBE));
    EXPECT_TRUE(dock->face()->strobe());
    EXPECT_EQ(Stored("TunerMode", 0), 1);

    ASSERT_TRUE(frame->ExecuteCommand(ID_TUNER));
    EXPECT_FALSE(engine.live.Tuner()->running()) << "and only then";
    ASSERT_TRUE(frame->ExecuteCommand(ID_TUNER));

    frame.reset();
    frame = std::make_unique<MainWindow>(engine.context);
    frame->show();
    EXPECT_TRUE(frame->tunerDock()->isVisible());
    EXPECT_TRUE(frame->tunerDock()->face()->strobe());
}

// The tuner's keys work wherever the focus is, clash with no other key of the window nor with
// the player's and metronome's, and act on the note shown: a guitar's G string played, F7
// sounds that string's target, Shift+F7 a drone on G, F8 and Shift+F8 step the locked string.
TEST_F(TunerDockTest, ItsKeysSoundTheNoteShownAndStepTheLockedString) {
    engine.settings.WriteString(kSectionSetting, QStringLiteral("TunerStrings"), "guitar");
    engine.sound.SetInputSignal([](int64_t at, int) {
        return 8000.0 * std::sin(2 * std::numbers::pi * 196.5 * static_cast<double>(at) / 44100);
    });
    frame = std::make_unique<MainWindow>(engine.context);
    frame->show();
    frame->StartLive();
    ASSERT_TRUE(frame->ExecuteCommand(ID_TUNER));
    TunerFaceWidget* face = frame->tunerDock()->face();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(face));

    QList<QKeySequence> taken = {QKeySequence(Qt::Key_Space),
                                 QKeySequence(Qt::Key_T),
                                 QKeySequence(Qt::CTRL | Qt::Key_O),
                                 QKeySequence(Qt::Key_BracketLeft),
                                 QKeySequence(Qt::Key_BracketRight),
                                 QKeySequence(Qt::Key_Backslash)};
    for (const QAction* action : frame->findChildren<QAction*>()) {
        if (!action->shortcut().isEmpty() && !face->keyActions().contains(action)) {
            taken.append(action->shortcut());
        }
    }
    ASSERT_EQ(face->keyActions().size(), 5);
    for (const QAction* action : face->keyActions()) {
        EXPECT_FALSE(taken.contains(action->shortcut()))
            << action->shortcut().toString().toStdString();
        taken.append(action->shortcut());
    }

    ASSERT_TRUE(WaitFor([&] {
        engine.sound.Complete(DeviceDirection::Input, 1);
        return face->SpokenValue().startsWith(QStringLiteral("G3"));
    })) << face->SpokenValue().toStdString();
    frame->activateWindow();
    QTest::keyClick(frame.get(), Qt::Key_F7);
    ASSERT_TRUE(WaitFor([&] { return engine.live.Output().tonePlaying; }));
    EXPECT_EQ(engine.live.Output().noteIndex, 34) << "G3, the string's own target";
    QTest::keyClick(frame.get(), Qt::Key_F7);
    EXPECT_TRUE(WaitFor([&] { return !engine.live.Output().tonePlaying; }));
    QTest::keyClick(frame.get(), Qt::Key_F7, Qt::ShiftModifier);
    EXPECT_TRUE(WaitFor([&] { return engine.live.Output().dronePlaying; }));
    QTest::keyClick(frame.get(), Qt::Key_F7, Qt::ShiftModifier);
    EXPECT_TRUE(WaitFor([&] { return !engine.live.Output().dronePlaying; }));

    QTest::keyClick(frame.get(), Qt::Key_F8);
    EXPECT_EQ(Stored("TunerLockedString", -1), 0) << "the lowest string";
    QTest::keyClick(frame.get(), Qt::Key_F8, Qt::ShiftModifier);
    QTest::keyClick(frame.get(), Qt::Key_F8, Qt::ShiftModifier);
    EXPECT_EQ(Stored("TunerLockedString", -1), 5) << "past the nearest, round to the highest";
}

}  // namespace
}  // namespace tonavise::ui::test
