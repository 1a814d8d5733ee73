// The player's practice pieces that hold their own rules: typed loop times, the file records
// kept by path and size, and the overview's marks moved by keys.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "ui/LoopDialog.h"
#include "ui/OverviewStrip.h"
#include "ui/PlayerFileMemory.h"
#include "ui/SettingsStore.h"

namespace tonavise::ui {
namespace {

TEST(LoopTime, MinutesAndSecondsOrSecondsAloneAreRead) {
    EXPECT_DOUBLE_EQ(*ParseLoopTime(QStringLiteral("1:05.25")), 65.25);
    EXPECT_DOUBLE_EQ(*ParseLoopTime(QStringLiteral(" 65,5 ")), 65.5);
    EXPECT_DOUBLE_EQ(*ParseLoopTime(QStringLiteral("0:07")), 7.0);
    for (const char* bad : {"", "1:75", "-3", "a:10", "1:2:3", "1.2.3"}) {
        EXPECT_FALSE(ParseLoopTime(QString::fromLatin1(bad))) << bad;
    }
    EXPECT_EQ(FormatLoopTime(65.256), QStringLiteral("1:05.26"));
    EXPECT_EQ(FormatLoopTime(-1.0), QStringLiteral("0:00.00"));
}

TEST(PlayerFileMemoryTest, AFileIsKnownByPathAndSizeAndTheOldestAreDropped) {
    QTemporaryDir dir;
    SettingsStore settings(dir.filePath(QStringLiteral("t.ini")));
    PlayerFileMemory memory(settings);
    const FilePractice practised{70, -2, {{QStringLiteral("Bridge \"B\""), 12.5, 20.25}}};
    memory.Remember(QStringLiteral("/music/a b.mp3"), 1000, practised);
    EXPECT_EQ(memory.Recall(QStringLiteral("/music/a b.mp3"), 1000), practised);
    EXPECT_EQ(memory.Recall(QStringLiteral("/music/a b.mp3"), 1001), FilePractice{})
        << "a file replaced under its name is a new file";
    EXPECT_EQ(memory.Recall(QStringLiteral("/music/other.mp3"), 1000), FilePractice{});

    for (int i = 0; i < PlayerFileMemory::kRememberedFiles + 5; ++i) {
        memory.Remember(QStringLiteral("/f%1.wav").arg(i), i, FilePractice{90, 0, {}});
    }
    EXPECT_EQ(settings.Keys(kSectionPlayerFiles).size(), PlayerFileMemory::kRememberedFiles);
    EXPECT_EQ(memory.Recall(QStringLiteral("/music/a b.mp3"), 1000), FilePractice{})
        << "the file used longest ago went first";
    EXPECT_EQ(memory.Recall(QStringLiteral("/f204.wav"), 204).speed, 90);
}

TEST(OverviewStripTest, AClickedMarkIsNudgedByKeysAndNeverPassesTheOther) {
    OverviewStrip strip;
    strip.resize(1001, 48);
    FileOverview overview;
    overview.columns.resize(100);
    overview.frames = 441000;
    overview.framesPerSecond = 44100;
    overview.framesPerColumn = 4410;
    strip.SetOverview(overview);
    strip.SetLoop(2.0, 4.0);
    QSignalSpy edits(&strip, &OverviewStrip::loopEdited);
    QSignalSpy seeks(&strip, &OverviewStrip::seekPressed);
    QTest::mouseClick(&strip, Qt::LeftButton, {}, QPoint(200, 20));  // A, at 2.0 s
    EXPECT_EQ(strip.marks().selectedMark, 1);
    EXPECT_EQ(seeks.count(), 0) << "a press on a mark takes the mark";
    QTest::keyClick(&strip, Qt::Key_Right);
    EXPECT_NEAR(strip.marks().loopA, 2.01, 1e-9);
    QTest::keyClick(&strip, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_NEAR(strip.marks().loopA, 1.91, 1e-9);
    for (int i = 0; i < 30; ++i) {
        QTest::keyClick(&strip, Qt::Key_PageUp);
    }
    EXPECT_NEAR(strip.marks().loopA, 3.9, 1e-9) << "A stops 0.1 s before B";
    EXPECT_EQ(edits.count(), 1 + 1 + 20);
    QTest::mouseClick(&strip, Qt::LeftButton, {}, QPoint(700, 20));
    ASSERT_EQ(seeks.count(), 1);
    EXPECT_NEAR(seeks[0][0].toDouble(), 7.0, 1e-9);
}

}  // namespace
}  // namespace tonavise::ui
