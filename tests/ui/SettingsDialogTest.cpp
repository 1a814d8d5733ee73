// The Set Parameters dialog: the A4 spin applied at once and kept after a cancel, the capture
// lists with their limits, the recording time, OK storing the settings, the view's command, and
// the folder browser, the sound devices.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "UiTestSupport.h"
#include "ui/BrowseFolderDialog.h"
#include "ui/CommandIds.h"
#include "ui/DialogUnits.h"
#include "ui/MainWindow.h"
#include "ui/ScopeView.h"
#include "ui/SettingsDialog.h"
#include "ui/StepButtons.h"

namespace tonavise::ui::test {
namespace {

class SettingsDialogTest : public ::testing::Test {
  protected:
    std::unique_ptr<SettingsDialog> Open() {
        auto dialog = std::make_unique<SettingsDialog>(
            engine.context, nullptr, [this](QWidget*, const QString& start) {
                browsedFrom.push_back(start);
                return browseResult;
            });
        return dialog;
    }
    QVariant Stored(const char* key) {
        QSettings s(file.path(), QSettings::IniFormat);
        return s.value(QStringLiteral("Setting/") + QLatin1String(key));
    }
    void ClickArrow(StepButtons* spin, bool up) {
        const QPoint p(spin->width() / 2, up ? spin->height() / 4 : spin->height() * 3 / 4);
        QTest::mousePress(spin, Qt::LeftButton, Qt::NoModifier, p);
        QTest::mouseRelease(spin, Qt::LeftButton, Qt::NoModifier, p);
    }

    TempSettings file;
    Engine engine{file.path()};
    std::vector<QString> browsedFrom;
    std::optional<QString> browseResult;
};

TEST_F(SettingsDialogTest, ShowsA4AndOneStepAppliesItAtOnce) {
    engine.keyTable.SetA4(440.0);
    auto dialog = Open();
    EXPECT_EQ(dialog->a4Edit()->text(), QStringLiteral("440.00"));
    EXPECT_EQ(dialog->a4Spin()->Pos(), 4400);
    EXPECT_TRUE(dialog->a4Edit()->isReadOnly());

    ClickArrow(dialog->a4Spin(), true);
    EXPECT_EQ(dialog->a4Edit()->text(), QStringLiteral("440.10"));
    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 440.1);
    EXPECT_DOUBLE_EQ(dialog->a4Value(), 440.1);
    // The key table follows: A4 is key 48.
    EXPECT_NEAR(engine.keyTable.KeyFrequency(kKeyA4), 440.1, 1e-9);

    // The arrow keys in the edit step as well.
    QTest::keyClick(dialog->a4Edit(), Qt::Key_Down);
    QTest::keyClick(dialog->a4Edit(), Qt::Key_Down);
    EXPECT_EQ(dialog->a4Edit()->text(), QStringLiteral("439.90"));
    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 439.9);
}

TEST_F(SettingsDialogTest, APresetSetsA4AtOnceAndTheSpinStepsOnFromIt) {
    engine.keyTable.SetA4(440.0);
    auto dialog = Open();
    const QList<QAction*> presets = dialog->a4Presets()->menu()->actions();
    ASSERT_EQ(presets.size(), 8);
    EXPECT_EQ(presets[1]->text(), QStringLiteral("415 Hz"));
    presets[1]->trigger();
    EXPECT_EQ(dialog->a4Edit()->text(), QStringLiteral("415.00"));
    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 415.0);
    ClickArrow(dialog->a4Spin(), true);
    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 415.1);
    presets[7]->trigger();
    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 466.0);
    // Beside the A4 group, level with the edit.
    EXPECT_GT(dialog->a4Presets()->geometry().left(), dialog->a4Spin()->geometry().right());
    EXPECT_EQ(dialog->a4Presets()->geometry().top(), dialog->a4Edit()->geometry().top());
}

TEST_F(SettingsDialogTest, A4OutsideTheRangeShowsAndAppliesTheNearestLimit) {
    engine.keyTable.SetA4(482.0);
    EXPECT_EQ(Open()->a4Edit()->text(), QStringLiteral("480.00"));
    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 480.0);
    engine.keyTable.SetA4(385.0);
    EXPECT_EQ(Open()->a4Edit()->text(), QStringLiteral("390.00"));
    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 390.0);
    // A stored 441.5 opens as it is, not as the field's first 440.
    engine.keyTable.SetA4(441.5);
    EXPECT_EQ(Open()->a4Edit()->text(), QStringLiteral("441.50"));
    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 441.5);
}

TEST_F(SettingsDialogTest, SpinStopsAtBothEnds) {
    engine.keyTable.SetA4(479.9);
    auto dialog = Open();
    ClickArrow(dialog->a4Spin(), true);
    ClickArrow(dialog->a4Spin(), true);
    EXPECT_EQ(dialog->a4Edit()->text(), QStringLiteral("480.00"));
    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 480.0);
    engine.keyTable.SetA4(390.1);
    auto low = Open();
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(low->a4Edit(), Qt::Key_Down);
    }
    EXPECT_EQ(low->a4Edit()->text(), QStringLiteral("390.00"));
    EXPECT_EQ(low->a4Spin()->Pos(), kA4SpinMin);
    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 390.0);
}

TEST_F(SettingsDialogTest, CancelKeepsTheNewA4AndDiscardsEverythingElse) {
    engine.context.capturerSettings.Set({QStringLiteral("/old"), 4, 1, 9});
    engine.controls.recTimeIndex = 1;
    engine.controls.recRepeating = 1;
    auto dialog = Open();
    dialog->show();
    ClickArrow(dialog->a4Spin(), true);
    browseResult = QStringLiteral("/new/folder");
    dialog->OnRef();
    EXPECT_EQ(dialog->folderEdit()->text(), QStringLiteral("/new/folder"));
    dialog->startTimeList()->setCurrentIndex(0);
    dialog->recTimeList()->setCurrentIndex(5);
    dialog->repeatingCheck()->setChecked(false);
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());

    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 440.1);
    const CapturerValues v = engine.context.capturerSettings.Get();
    EXPECT_EQ(v.imageFolder, QStringLiteral("/old"));
    EXPECT_EQ(v.imageStartTime, 4);
    EXPECT_EQ(engine.controls.recTimeIndex.load(), 1);
    EXPECT_EQ(engine.controls.recRepeating.load(), 1);
    EXPECT_FALSE(Stored("ImageFolder").isValid());
    EXPECT_FALSE(Stored("ImageStartTime").isValid());
}

TEST_F(SettingsDialogTest, ListsShowTheirLimitsAndTheLimitedValuesAreKept) {
    engine.context.capturerSettings.Set({QString(), -3, 4, 15});
    auto dialog = Open();
    EXPECT_EQ(dialog->countList()->count(), 10);
    EXPECT_EQ(dialog->countList()->itemText(0), QStringLiteral("1"));
    EXPECT_EQ(dialog->countList()->currentText(), QStringLiteral("10"));
    EXPECT_EQ(dialog->startTimeList()->currentText(), QStringLiteral("1"));
    EXPECT_EQ(dialog->intervalList()->currentText(), QStringLiteral("5"));
    const CapturerValues v = engine.context.capturerSettings.Get();
    EXPECT_EQ(v.imageNumbers, 9);
    EXPECT_EQ(v.imageStartTime, 0);
    EXPECT_EQ(v.imageInterval, 4);
    // Kept in the program, not yet in the settings file.
    EXPECT_FALSE(Stored("ImageNumbers").isValid());
}

TEST_F(SettingsDialogTest, RecordingTimesAndRepeatOptionAreShown) {
    engine.controls.recTimeIndex = 3;
    engine.controls.recRepeating = 0;
    auto dialog = Open();
    ASSERT_EQ(dialog->recTimeList()->count(), 11);
    EXPECT_EQ(dialog->recTimeList()->itemText(0), QStringLiteral("30 Seconds"));
    EXPECT_EQ(dialog->recTimeList()->itemText(1), QStringLiteral("1 Minute"));
    EXPECT_EQ(dialog->recTimeList()->currentIndex(), 3);
    EXPECT_FALSE(dialog->repeatingCheck()->isChecked());
    engine.context.language = UiLanguage::Japanese;
    EXPECT_EQ(Open()->recTimeList()->itemText(0), QStringLiteral("30 秒"));
}

TEST_F(SettingsDialogTest, OkStoresFolderListsRecordingTimeAndRepeatOption) {
    ASSERT_TRUE(engine.recordingStore.AllocateForRecTime(engine.notifier, UiLanguage::English));
    auto dialog = Open();
    browseResult = QStringLiteral("/pics");
    dialog->OnRef();
    dialog->startTimeList()->setCurrentIndex(0);
    dialog->intervalList()->setCurrentIndex(9);
    dialog->countList()->setCurrentIndex(2);
    dialog->recTimeList()->setCurrentIndex(0);
    dialog->repeatingCheck()->setChecked(false);
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);

    const CapturerValues v = engine.context.capturerSettings.Get();
    EXPECT_EQ(v.imageFolder, QStringLiteral("/pics"));
    EXPECT_EQ(v.imageStartTime, 0);
    EXPECT_EQ(v.imageInterval, 9);
    EXPECT_EQ(v.imageNumbers, 2);
    EXPECT_EQ(Stored("ImageFolder").toString(), QStringLiteral("/pics"));
    EXPECT_EQ(Stored("ImageStartTime").toInt(), 0);
    EXPECT_EQ(Stored("ImageInterval").toInt(), 9);
    EXPECT_EQ(Stored("ImageNumbers").toInt(), 2);
    EXPECT_EQ(engine.controls.recTimeIndex.load(), 0);
    EXPECT_EQ(engine.controls.recRepeating.load(), 0);
    EXPECT_EQ(engine.recordingStore.Capacity(), RecTimeBlocks(0));
}

TEST_F(SettingsDialogTest, TheSameRecordingTimeKeepsTheRecording) {
    engine.controls.recTimeIndex = 2;
    ASSERT_TRUE(engine.recordingStore.AllocateForRecTime(engine.notifier, UiLanguage::English));
    std::vector<int16_t> block(kBlockFrames, 100);
    ASSERT_TRUE(engine.recordingStore.Append(block));
    ASSERT_TRUE(engine.recordingStore.Append(block));

    auto same = Open();
    same->recTimeList()->setCurrentIndex(0);
    same->recTimeList()->setCurrentIndex(2);  // chosen again
    same->accept();
    EXPECT_EQ(engine.recordingStore.Count(), 2);

    auto other = Open();
    other->recTimeList()->setCurrentIndex(4);
    other->accept();
    EXPECT_EQ(engine.recordingStore.Count(), 0);
    EXPECT_EQ(engine.recordingStore.Capacity(), RecTimeBlocks(4));
    EXPECT_EQ(engine.notifier.Count(), 0u);
}

TEST_F(SettingsDialogTest, RefStartsTheBrowserAtTheFolderAndACancelChangesNothing) {
    engine.context.capturerSettings.Set({QString(), 4, 1, 9});
    auto dialog = Open();
    dialog->OnRef();
    ASSERT_EQ(browsedFrom.size(), 1u);
    EXPECT_TRUE(browsedFrom[0].isEmpty());  // the browser's own first selection
    EXPECT_TRUE(dialog->folderEdit()->text().isEmpty());
    browseResult = QStringLiteral("/a");
    dialog->OnRef();
    dialog->OnRef();
    EXPECT_EQ(browsedFrom[2], QStringLiteral("/a"));
}

TEST_F(SettingsDialogTest, LayoutFollowsTheTemplateInDialogUnits) {
    auto dialog = Open();
    const DialogUnits du(dialog->font());
    EXPECT_EQ(dialog->size(), du.Size(200, 257));
    EXPECT_EQ(dialog->okButton()->geometry(), du.Rect(143, 7, 50, 43));
    EXPECT_EQ(dialog->folderEdit()->geometry(), du.Rect(14, 86, 172, 12));
    const QRect edit = dialog->a4Edit()->geometry();
    EXPECT_EQ(dialog->a4Spin()->geometry(), QRect(edit.right() + 5, edit.top(), 10, edit.height()));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Set Parameters"));
    EXPECT_TRUE(dialog->okButton()->isDefault());
    // An 8-point dialog font of 6 x 13 pixels.
    const DialogUnits eightPoint(6, 13);
    EXPECT_EQ(eightPoint.Rect(143, 7, 50, 43), QRect(215, 11, 75, 70));
    EXPECT_EQ(eightPoint.Size(200, 211), QSize(300, 343));
}

// The device lists: the default first, then the sound system's devices by description; OK
// stores and chooses them by name, and a new input reopens the capture at once.
TEST_F(SettingsDialogTest, SoundDevicesAreListedByDescriptionAndChosenByName) {
    engine.sound.SetDevices(
        DeviceDirection::Input,
        {{"usb_mic", "USB microphone", false}, {"speakers.monitor", "Monitor of Speakers", true}});
    engine.sound.SetDevices(DeviceDirection::Output, {{"speakers", "Speakers", true}});
    engine.sound.ChooseDevice(DeviceDirection::Output, "unplugged");
    engine.live.Start(&engine.sound, UiLanguage::English);
    ASSERT_TRUE(engine.sound.WaitForQueued(DeviceDirection::Input, 2, std::chrono::seconds(5)));
    const int opens = engine.sound.OpenCount(DeviceDirection::Input);

    auto dialog = Open();
    QComboBox* input = dialog->inputDeviceList();
    QComboBox* output = dialog->outputDeviceList();
    // The lists are read off the interface thread and come a moment after the dialog.
    ASSERT_TRUE(WaitFor([&] { return input->count() == 3; }));
    ASSERT_EQ(input->count(), 3);
    EXPECT_EQ(input->itemText(0), QStringLiteral("Default"));
    EXPECT_EQ(input->itemText(2), QStringLiteral("Monitor of Speakers"));
    EXPECT_EQ(input->currentIndex(), 0);
    // A stored device that is not there now stays chosen until the user picks another.
    ASSERT_EQ(output->count(), 3);
    EXPECT_EQ(output->currentText(), QStringLiteral("unplugged (not available)"));

    input->setCurrentIndex(1);
    output->setCurrentIndex(0);
    dialog->okButton()->click();
    EXPECT_EQ(Stored("InputDevice").toString(), QStringLiteral("usb_mic"));
    EXPECT_EQ(Stored("OutputDevice").toString(), QString());
    EXPECT_EQ(engine.sound.ChosenDevice(DeviceDirection::Output), "");
    EXPECT_TRUE(WaitFor([&] {
        return engine.sound.OpenCount(DeviceDirection::Input) > opens &&
               engine.sound.OpenedDevice(DeviceDirection::Input) == "usb_mic";
    }));
    engine.live.Stop();
}

// A sound server that takes its time does not hold the dialog up: it opens at once with the
// chosen device, says after a second that the server is not answering, and fills the lists when
// they come.
TEST_F(SettingsDialogTest, TheDialogOpensAtOnceWhileTheServerIsSlowToListItsDevices) {
    engine.sound.SetDevices(DeviceDirection::Input, {{"usb_mic", "USB microphone", false}});
    engine.sound.ChooseDevice(DeviceDirection::Input, "usb_mic");
    engine.sound.Devices(DeviceDirection::Input);  // seen once: its description is known
    engine.sound.SetListDelay(std::chrono::milliseconds(1500));
    QElapsedTimer opening;
    opening.start();
    auto dialog = Open();
    EXPECT_LT(opening.elapsed(), 1000);
    QComboBox* input = dialog->inputDeviceList();
    EXPECT_EQ(input->currentText(), QStringLiteral("USB microphone"));
    ASSERT_TRUE(WaitFor([&] { return input->count() == 3; }));
    EXPECT_EQ(input->itemText(2), QStringLiteral("(sound server not answering)"));
    ASSERT_TRUE(WaitFor([&] { return input->count() == 2; }));
    EXPECT_EQ(input->itemText(1), QStringLiteral("USB microphone"));
    EXPECT_EQ(input->currentIndex(), 1);
    dialog->reject();
}

// The view's command: a running timed capture ends, and "FreqOfA4" is written after any result.
TEST_F(SettingsDialogTest, ViewCommandStopsCapturingAndStoresA4AfterACancel) {
    auto frame = std::make_unique<MainWindow>(engine.context);
    frame->show();
    frame->StartLive();
    ASSERT_TRUE(frame->CommandStateOf(ID_SET_PARAMETERS).enabled);
    ASSERT_TRUE(frame->ExecuteCommand(ID_CAPTURE_SCREEN));
    ASSERT_TRUE(frame->view().capture().timedCapture());
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        seen = true;
        EXPECT_FALSE(frame->view().capture().timedCapture());
        QTest::keyClick(dialog->a4Edit(), Qt::Key_Up);
        dialog->reject();
    });
    EXPECT_TRUE(frame->ExecuteCommand(ID_SET_PARAMETERS));
    EXPECT_TRUE(seen);
    EXPECT_EQ(Stored("FreqOfA4").toInt(), 4401);
    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 440.1);
    EXPECT_FALSE(frame->CommandStateOf(ID_CAPTURE_SCREEN).checked);
    frame.reset();
}

// The stored A4 is rounded to the nearest tenth of a hertz, not cut: 441.5 Hz is 4415.
TEST_F(SettingsDialogTest, ViewCommandStores4415AfterOkWith441Point5) {
    file.Put(kSectionSetting, "FreqOfA4", "4414");
    auto frame = std::make_unique<MainWindow>(engine.context);
    frame->show();
    frame->StartLive();
    ASSERT_DOUBLE_EQ(engine.keyTable.GetA4(), 441.4);
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<SettingsDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        QTest::keyClick(dialog->a4Edit(), Qt::Key_Up);
        dialog->accept();
    });
    EXPECT_TRUE(frame->ExecuteCommand(ID_SET_PARAMETERS));
    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 441.5);
    EXPECT_EQ(Stored("FreqOfA4").toInt(), 4415);
    frame.reset();
}

// --- the folder browser ------------------------------------------------------------------------

TEST(BrowseFolderDialog, StartsAtTheGivenFolderAndReturnsTheChoice) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("inner"));
    BrowseFolderDialog browser;
    QString shownAt;
    QTimer::singleShot(0, [&] {
        auto* chooser = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        shownAt = chooser->directory().absolutePath();
        chooser->selectFile(dir.filePath(QStringLiteral("inner")));
        static_cast<QDialog*>(chooser)->accept();
    });
    EXPECT_EQ(browser.Run(dir.path()), BrowseFolderDialog::kOk);
    EXPECT_EQ(shownAt, QDir(dir.path()).absolutePath());
    EXPECT_EQ(browser.GetResult(BrowseFolderDialog::kPath), dir.filePath(QStringLiteral("inner")));
    EXPECT_EQ(browser.GetResult(BrowseFolderDialog::kDisplayName), QStringLiteral("inner"));
    char16_t buffer[4];
    EXPECT_EQ(browser.CopyResult(buffer, 4, BrowseFolderDialog::kDisplayName), 3);
    EXPECT_EQ(std::u16string(buffer), u"inn");

    QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
    EXPECT_EQ(browser.Run(dir.path()), BrowseFolderDialog::kCancelled);
    EXPECT_TRUE(browser.GetResult(BrowseFolderDialog::kPath).isEmpty());
    EXPECT_EQ(browser.CopyResult(buffer, 4, BrowseFolderDialog::kPath), 0);
}

TEST(BrowseFolderDialog, AFolderIdThatNamesNoFolderFailsWithoutAChooser) {
    BrowseFolderDialog browser(0, QString(), 999);
    EXPECT_EQ(browser.Run(), BrowseFolderDialog::kNoSuchFolder);
    BrowseFolderDialog selection;
    EXPECT_EQ(selection.Run(-5), BrowseFolderDialog::kNoSuchFolder);
}

}  // namespace
}  // namespace tonavise::ui::test
