// The scope view's display commands: start-up state, the enable and check rules, the frequency
// window's zoom and watch steps, the key menu, the frequency readout and the hand cursor.
#include <gtest/gtest.h>

#include <QMenu>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/CommandIds.h"
#include "ui/MainWindow.h"
#include "ui/ScopeView.h"

namespace tonavise::ui::test {
namespace {

class ScopeViewTest : public ::testing::Test {
  protected:
    void Start() {
        frame = std::make_unique<MainWindow>(engine.context);
        frame->show();
        frame->StartLive();
    }
    void TearDown() override { frame.reset(); }

    ScopeView& view() { return frame->view(); }
    bool Enabled(int id) { return frame->CommandStateOf(id).enabled; }
    bool Checked(int id) { return frame->CommandStateOf(id).checked; }
    void Run(int id) { frame->ExecuteCommand(id); }

    TempSettings file;
    Engine engine{file.path()};
    std::unique_ptr<MainWindow> frame;
};

TEST_F(ScopeViewTest, FirstStartWithoutSettings) {
    Start();
    EXPECT_EQ(view().scopeMode(), kScopePitch);
    EXPECT_EQ(view().drawingSize(), QSize(1821, 471));
    EXPECT_EQ(view().picture()->size(), QSize(1821, 471));
    EXPECT_DOUBLE_EQ(engine.keyTable.GetA4(), 440.0);
    EXPECT_EQ(view().keyIndex(), 0);
    EXPECT_TRUE(Checked(ID_KEY_C));
    EXPECT_EQ(engine.keyTable.logarithmOption.load(), 0);
    EXPECT_EQ(view().levelIndex(), 3);
    EXPECT_EQ(view().spanIndex(), 2);
    EXPECT_EQ(view().startFrequency(), 0);
    EXPECT_EQ(view().waveZoomIndex(), 3);
    EXPECT_FALSE(view().threeD());
    EXPECT_TRUE(Checked(ID_PITCH_SCALE));
    EXPECT_FALSE(Checked(ID_THREE_D));
    EXPECT_TRUE(view().analysisRunning());
}

TEST_F(ScopeViewTest, KeyTwelveChecksNoKeyItem) {
    file.Put(kSectionSetting, "Key", "12");
    Start();
    EXPECT_EQ(view().keyIndex(), 12);
    for (int id = ID_KEY_C; id <= ID_KEY_B; ++id) {
        EXPECT_TRUE(Enabled(id));
        EXPECT_FALSE(Checked(id)) << id;
    }
    std::unique_ptr<QMenu> menu = view().CreateKeySelectMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 12);
    for (QAction* a : menu->actions()) {
        EXPECT_FALSE(a->isChecked()) << a->text().toStdString();
    }
    Run(ID_HALF_TONE_UP);
    EXPECT_EQ(view().keyIndex(), 1);
}

TEST_F(ScopeViewTest, HalfToneDownFromTwelveGivesEleven) {
    file.Put(kSectionSetting, "Key", "12");
    Start();
    Run(ID_HALF_TONE_DOWN);
    EXPECT_EQ(view().keyIndex(), 11);
    Run(ID_NO_TRANSPOSITION);
    EXPECT_EQ(view().keyIndex(), 0);
    // The half-tone commands are not saved.
    EXPECT_EQ(engine.settings.ReadInt(kSectionSetting, "Key", -1), 12);
}

TEST_F(ScopeViewTest, KeyCommandsAreSavedAtOnceAndOnlyOnThePitchScale) {
    Start();
    Run(ID_KEY_C + 9);
    EXPECT_EQ(view().keyIndex(), 9);
    EXPECT_TRUE(Checked(ID_KEY_C + 9));
    EXPECT_EQ(SettingsStore(file.path()).ReadInt(kSectionSetting, "Key", -1), 9);

    Run(ID_FREQUENCY_SCALE);
    for (int id : {ID_KEY_C, ID_SELECT_NOTATION, ID_HALF_TONE_UP, ID_PITCH_MARKING}) {
        EXPECT_FALSE(Enabled(id)) << id;
    }
    EXPECT_FALSE(frame->ExecuteCommand(ID_KEY_C));
    EXPECT_EQ(view().keyIndex(), 9);
}

TEST_F(ScopeViewTest, WatchRightStepsTheWindowUpToTheTopAndWatchLeftBack) {
    Start();
    Run(ID_FREQUENCY_SCALE);
    EXPECT_FALSE(Enabled(ID_WATCH_LEFT));
    std::vector<int> starts;
    while (Enabled(ID_WATCH_RIGHT)) {
        Run(ID_WATCH_RIGHT);
        starts.push_back(view().startFrequency());
        ASSERT_LT(starts.size(), 20u);
    }
    const std::vector<int> expected = {500, 1000, 1500, 2000, 2500, 3000, 3500, 4000, 4500, 5000};
    EXPECT_EQ(starts, expected);
    EXPECT_TRUE(Enabled(ID_WATCH_LEFT));
    Run(ID_WATCH_LEFT);
    EXPECT_EQ(view().startFrequency(), 4500);
}

TEST_F(ScopeViewTest, ZoomOutFrom4500KeepsTheWindowBelow10000) {
    Start();
    Run(ID_FREQUENCY_SCALE);
    view().SetFrequencyWindow(2, 4500);
    Run(ID_HOR_ZOOM_OUT);
    EXPECT_EQ(view().spanIndex(), 3);
    EXPECT_EQ(view().startFrequency(), 0);
    // At span 10000 neither watch command has room.
    EXPECT_FALSE(Enabled(ID_WATCH_RIGHT));
    EXPECT_FALSE(Enabled(ID_WATCH_LEFT));
    EXPECT_FALSE(Enabled(ID_HOR_ZOOM_OUT));
}

TEST_F(ScopeViewTest, ZoomInFrom4500AlignsToTheNewStep) {
    Start();
    Run(ID_FREQUENCY_SCALE);
    view().SetFrequencyWindow(2, 4500);
    Run(ID_HOR_ZOOM_IN);
    EXPECT_EQ(view().spanIndex(), 1);
    EXPECT_EQ(view().startFrequency(), 4400);
    Run(ID_HOR_ZOOM_IN);
    EXPECT_EQ(view().spanIndex(), 0);
    EXPECT_FALSE(Enabled(ID_HOR_ZOOM_IN));
}

TEST_F(ScopeViewTest, HorizontalZoomByMode) {
    Start();
    // The pitch scale has no horizontal zoom.
    EXPECT_FALSE(Enabled(ID_HOR_ZOOM_IN));
    EXPECT_FALSE(Enabled(ID_HOR_ZOOM_OUT));
    EXPECT_FALSE(Enabled(ID_WATCH_RIGHT));

    // The waveform changes only its time zoom.
    Run(ID_WAVE_SHAPE);
    Run(ID_HOR_ZOOM_OUT);
    EXPECT_EQ(view().waveZoomIndex(), 4);
    EXPECT_EQ(view().spanIndex(), 2);
    EXPECT_EQ(view().startFrequency(), 0);
    for (int i = 0; i < 10; ++i) {
        Run(ID_HOR_ZOOM_IN);
    }
    EXPECT_EQ(view().waveZoomIndex(), 0);
    EXPECT_FALSE(Enabled(ID_HOR_ZOOM_IN));
    EXPECT_TRUE(Enabled(ID_HOR_ZOOM_OUT));
}

TEST_F(ScopeViewTest, VerticalZoomStopsAtBothEnds) {
    Start();
    for (int i = 0; i < 10; ++i) {
        Run(ID_VERT_ZOOM_IN);
    }
    EXPECT_EQ(view().levelIndex(), 6);
    EXPECT_FALSE(Enabled(ID_VERT_ZOOM_IN));
    for (int i = 0; i < 10; ++i) {
        Run(ID_VERT_ZOOM_OUT);
    }
    EXPECT_EQ(view().levelIndex(), 0);
    EXPECT_FALSE(Enabled(ID_VERT_ZOOM_OUT));
    EXPECT_TRUE(Enabled(ID_VERT_ZOOM_IN));
}

TEST_F(ScopeViewTest, ModesKeepTheirStateAndResizeThePicture) {
    Start();
    Run(ID_VERT_ZOOM_IN);
    Run(ID_THREE_D);
    Run(ID_WAVE_SHAPE);
    EXPECT_EQ(view().drawingSize(), QSize(467, 451));
    EXPECT_EQ(view().picture()->size(), QSize(467, 451));
    EXPECT_TRUE(Checked(ID_WAVE_SHAPE));
    EXPECT_FALSE(Enabled(ID_THREE_D));
    EXPECT_FALSE(Enabled(ID_LOGARITHM));
    EXPECT_FALSE(Enabled(ID_FUNDAMENTAL_TONE));
    Run(ID_FREQUENCY_SCALE);
    EXPECT_EQ(view().drawingSize(), QSize(1067, 451));
    EXPECT_EQ(view().levelIndex(), 4);
    EXPECT_TRUE(view().threeD());
    EXPECT_TRUE(Checked(ID_THREE_D));
    // The frame fits around the picture: no scroll bar is needed.
    EXPECT_TRUE(WaitFor([&] { return view().viewport()->size() == QSize(1067, 451); }));
    EXPECT_FALSE(view().horizontalScrollBar()->isVisible());
    // ... and is centred on the screen.
    const QRect screen = frame->screen()->geometry();
    EXPECT_LE(std::abs(frame->frameGeometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(frame->frameGeometry().center().y() - screen.center().y()), 1);
}

TEST_F(ScopeViewTest, LogarithmicDisplayIsSavedAtOnce) {
    Start();
    Run(ID_LOGARITHM);
    EXPECT_EQ(engine.keyTable.logarithmOption.load(), 1);
    EXPECT_TRUE(Checked(ID_LOGARITHM));
    EXPECT_EQ(SettingsStore(file.path()).ReadInt(kSectionSetting, "Logarithm", -1), 1);
    Run(ID_LOGARITHM);
    EXPECT_EQ(SettingsStore(file.path()).ReadInt(kSectionSetting, "Logarithm", -1), 0);
}

TEST_F(ScopeViewTest, TheLogarithmMarkFollowsWhatIsDrawn) {
    // The settings take any number; only 1 draws (and analyses) the spectrum logarithmic.
    file.Put(kSectionSetting, QStringLiteral("Logarithm"), QStringLiteral("2"));
    Start();
    ASSERT_EQ(engine.keyTable.logarithmOption.load(), 2);
    EXPECT_FALSE(Checked(ID_LOGARITHM));
    EXPECT_NE(view().state().logarithmOption, 1);
    // The first use turns on what the mark said was off.
    Run(ID_LOGARITHM);
    EXPECT_EQ(engine.keyTable.logarithmOption.load(), 1);
    EXPECT_TRUE(Checked(ID_LOGARITHM));
    EXPECT_EQ(view().state().logarithmOption, 1);
    Run(ID_LOGARITHM);
    EXPECT_FALSE(Checked(ID_LOGARITHM));
    EXPECT_EQ(view().state().logarithmOption, 0);
}

TEST_F(ScopeViewTest, MicrophoneChannelCommands) {
    Start();
    EXPECT_TRUE(Checked(ID_MIC_MONO));
    EXPECT_FALSE(Checked(ID_MIC_STEREO));
    Run(ID_MIC_STEREO);
    EXPECT_EQ(engine.captureStore.channelCount.load(), 2);
    EXPECT_TRUE(Checked(ID_MIC_STEREO));
    EXPECT_FALSE(Checked(ID_MIC_MONO));
    Run(ID_MIC_MONO);
    EXPECT_EQ(engine.captureStore.channelCount.load(), 1);
}

TEST_F(ScopeViewTest, BeforeTheStartNothingDependsOnAMode) {
    frame = std::make_unique<MainWindow>(engine.context);
    EXPECT_EQ(view().scopeMode(), kScopeNone);
    EXPECT_FALSE(Enabled(ID_MIC_MONO));
    EXPECT_FALSE(Enabled(ID_THREE_D));
    EXPECT_EQ(view().CreateKeySelectMenu(), nullptr);
}

TEST_F(ScopeViewTest, TheKeyMenuOpensOnlyOnThePitchScale) {
    Start();
    std::unique_ptr<QMenu> menu = view().CreateKeySelectMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->actions().front()->text(), QStringLiteral("1 = C"));
    EXPECT_EQ(menu->actions()[6]->text(), QStringLiteral("1 = #F/bG"));
    EXPECT_TRUE(menu->actions().front()->isChecked());
    menu->actions()[4]->trigger();
    EXPECT_EQ(view().keyIndex(), 4);

    Run(ID_WAVE_SHAPE);
    EXPECT_EQ(view().CreateKeySelectMenu(), nullptr);
    Run(ID_FREQUENCY_SCALE);
    EXPECT_EQ(view().CreateKeySelectMenu(), nullptr);
}

TEST(FrequencyReadout, CoversX50To1049) {
    EXPECT_EQ(FrequencyAt(1049, 2, 0), 4995);
    EXPECT_EQ(FrequencyAt(1050, 2, 0), std::nullopt);
    EXPECT_EQ(FrequencyAt(50, 2, 0), 0);
    EXPECT_EQ(FrequencyAt(49, 2, 0), std::nullopt);
    EXPECT_EQ(FrequencyAt(550, 2, 0), 2500);
    EXPECT_EQ(FrequencyAt(51, 0, 4500), 4501);
    EXPECT_EQ(FrequencyAt(1049, 3, 0), 9990);
}

TEST_F(ScopeViewTest, TheReadoutGoesToTheStatusBar) {
    Start();
    Run(ID_FREQUENCY_SCALE);
    QWidget* picture = view().picture();
    QTest::mouseMove(picture, QPoint(1049, 200));
    EXPECT_TRUE(WaitFor([&] { return frame->statusBar()->currentMessage() == "4995HZ"; }));
    QTest::mouseMove(picture, QPoint(550, 200));
    EXPECT_TRUE(WaitFor([&] { return frame->statusBar()->currentMessage() == "2500HZ"; }));
    QTest::mouseMove(picture, QPoint(1050, 200));
    DrainEvents();
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("2500HZ"));
}

TEST(HandCursor, PitchLineColumnsAndHeights) {
    EXPECT_TRUE(OverPitchLine(21, 200, 0));
    EXPECT_TRUE(OverPitchLine(1819, 200, 0));
    EXPECT_FALSE(OverPitchLine(20, 200, 0));  // (20 + 10 - 50) / 20 = -1; x = 21 truncates to 0
    EXPECT_FALSE(OverPitchLine(1820, 200, 0));
    EXPECT_FALSE(OverPitchLine(500, 10, 0));
    EXPECT_TRUE(OverPitchLine(500, 11, 0));
    EXPECT_TRUE(OverPitchLine(500, 409, 0));
    EXPECT_FALSE(OverPitchLine(500, 410, 0));
    // The horizontal scroll position counts.
    EXPECT_FALSE(OverPitchLine(1000, 200, 900));
    EXPECT_TRUE(OverPitchLine(819, 200, 1000));
}

TEST_F(ScopeViewTest, TheCursorIsAHandOverThePitchLinesOnly) {
    Start();
    QWidget* picture = view().picture();
    QTest::mouseMove(picture, QPoint(500, 200));
    EXPECT_TRUE(WaitFor([&] { return picture->cursor().shape() == Qt::PointingHandCursor; }));
    QTest::mouseMove(picture, QPoint(500, 450));
    EXPECT_TRUE(WaitFor([&] { return picture->cursor().shape() == Qt::ArrowCursor; }));
    Run(ID_FREQUENCY_SCALE);
    QTest::mouseMove(picture, QPoint(500, 200));
    DrainEvents();
    EXPECT_EQ(picture->cursor().shape(), Qt::ArrowCursor);
}

TEST(FitPicture, PlacesAndMapsBackToPicturePixels) {
    const QSize pitch(1821, 471);
    // Stretched: the whole area; kept: as large as fits, centred.
    EXPECT_EQ(FittedPictureRect(pitch, QSize(1000, 500), false), QRect(0, 0, 1000, 500));
    const QRect kept = FittedPictureRect(pitch, QSize(3642, 1442), true);
    EXPECT_EQ(kept, QRect(0, 250, 3642, 942));
    EXPECT_EQ(FittedPictureRect(pitch, QSize(0, 500), true), QRect());
    // Every screen pixel of a picture shown at twice its size maps to the pixel it shows.
    EXPECT_EQ(FittedToPicture(QPoint(0, 250), kept, pitch), QPoint(0, 0));
    EXPECT_EQ(FittedToPicture(QPoint(1001, 651), kept, pitch), QPoint(500, 200));
    EXPECT_EQ(FittedToPicture(QPoint(3641, 1191), kept, pitch), QPoint(1820, 470));
    // In the margins: no pixel of the picture.
    EXPECT_EQ(FittedToPicture(QPoint(100, 249), kept, pitch), QPoint(-1, -1));
    EXPECT_EQ(FittedToPicture(QPoint(100, 1192), kept, pitch), QPoint(-1, -1));
    // Shrunk to half its width: two pixels a screen pixel, never past the last one.
    const QRect half(0, 0, 910, 471);
    EXPECT_EQ(FittedToPicture(QPoint(909, 470), half, pitch), QPoint(1818, 470));
}

TEST_F(ScopeViewTest, AFittedPictureKeepsTheCursorReadoutAndSettingWorking) {
    Start();
    EXPECT_FALSE(view().fitPicture()) << "the pixel view is the start-up view";
    EXPECT_FALSE(Enabled(ID_KEEP_ASPECT));
    frame->resize(800, 500);
    Run(ID_FIT_PICTURE);
    EXPECT_TRUE(Checked(ID_FIT_PICTURE));
    EXPECT_TRUE(Checked(ID_KEEP_ASPECT));
    Run(ID_KEEP_ASPECT);  // stretched: the picture fills the viewport
    DrainEvents();
    QWidget* picture = view().picture();
    EXPECT_EQ(picture->size(), view().viewport()->size());
    const QSize shown = picture->size();
    // Screen point of picture pixel (x, y).
    const auto at = [&](int x, int y) {
        return QPoint(x * shown.width() / 1821 + 1, y * shown.height() / 471 + 1);
    };
    QTest::mouseMove(picture, at(500, 200));
    EXPECT_TRUE(WaitFor([&] { return picture->cursor().shape() == Qt::PointingHandCursor; }));
    QTest::mouseMove(picture, at(500, 450));
    EXPECT_TRUE(WaitFor([&] { return picture->cursor().shape() == Qt::ArrowCursor; }));
    Run(ID_FREQUENCY_SCALE);
    DrainEvents();
    // Shrunk, a screen pixel covers more than one picture pixel: the readout names the
    // frequency of the picture pixel under the mouse.
    const QSize frequency = view().drawingSize();
    const QPoint mouse(550 * picture->width() / frequency.width(), 200);
    const QPoint pixel = FittedToPicture(mouse, QRect(QPoint(0, 0), picture->size()), frequency);
    EXPECT_NEAR(pixel.x(), 550, 3);
    const QString hz = QStringLiteral("%1HZ").arg(*FrequencyAt(pixel.x(), 2, 0));
    QTest::mouseMove(picture, mouse);
    EXPECT_TRUE(WaitFor([&] { return frame->statusBar()->currentMessage() == hz; }));
    // Stored at once, read at the next start.
    const SettingsStore reread(file.path());
    EXPECT_EQ(reread.ReadInt(kSectionSetting, "FitPicture", 0), 1);
    EXPECT_EQ(reread.ReadInt(kSectionSetting, "KeepAspect", 1), 0);
    Run(ID_FIT_PICTURE);
    EXPECT_EQ(picture->size(), view().drawingSize()) << "back to the pixel view";
}

}  // namespace
}  // namespace tonavise::ui::test
