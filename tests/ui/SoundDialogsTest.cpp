// The metronome dialog and the signal generator dialog: what they show when they open, what
// they post to the sound threads and when, the spin limits, the signal generator's checks and
// live updates, the wave form buttons, Enter and Esc, the view's commands, and ending the
// signal thread while it waits for the dialog.
#include <gtest/gtest.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include "UiTestSupport.h"
#include "engine/live/PlayerThread.h"
#include "engine/live/SignalThread.h"
#include "engine/live/ToneThread.h"
#include "engine/live/WorkerCommands.h"
#include "ui/CommandIds.h"
#include "ui/DialogUnits.h"
#include "ui/MainWindow.h"
#include "ui/MetronomeDialog.h"
#include "ui/ScopeView.h"
#include "ui/SignalGeneratorDialog.h"
#include "ui/StepButtons.h"

namespace tonavise::ui::test {
namespace {

using namespace std::chrono_literals;

class SoundDialogsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        frame = std::make_unique<MainWindow>(engine.context);
        frame->show();
        frame->StartLive();
        ASSERT_NE(view().engine().workers().output, nullptr);
    }
    void TearDown() override { frame.reset(); }

    ScopeView& view() { return frame->view(); }
    ToneThread& waveOut() { return *view().engine().workers().output; }

    std::unique_ptr<MetronomeDialog> OpenMetronome() {
        posts.Watch(view().engine().workers().output);
        posts.Watch(view().engine().workers().player);
        return std::make_unique<MetronomeDialog>(engine.controls, &view().engine(), frame.get());
    }
    void ClickArrow(StepButtons* spin, bool up) {
        const QPoint p(spin->width() / 2, up ? spin->height() / 4 : spin->height() * 3 / 4);
        QTest::mousePress(spin, Qt::LeftButton, Qt::NoModifier, p);
        QTest::mouseRelease(spin, Qt::LeftButton, Qt::NoModifier, p);
    }

    TempSettings file;
    Engine engine{file.path()};
    std::unique_ptr<MainWindow> frame;
    PostLog posts;
};

// --- Metronome ---------------------------------------------------------------------------------

TEST_F(SoundDialogsTest, MetronomeOpensWithTheStoredTempoAndMeterAndPostsNothing) {
    engine.controls.tempo = 96;
    engine.controls.rhythm = 4;
    auto dialog = OpenMetronome();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Metronome"));
    EXPECT_EQ(dialog->tempoEdit()->text(), QStringLiteral("96"));
    EXPECT_FALSE(dialog->tempoEdit()->isReadOnly());
    EXPECT_EQ(dialog->subdivisionBox()->currentIndex(), 0);
    EXPECT_EQ(dialog->tempoSpin()->Pos(), 96);
    EXPECT_EQ(dialog->tempoValue(), 96);
    EXPECT_EQ(dialog->meterIndex(), 4);
    EXPECT_EQ(dialog->meterButton(4)->text(), QStringLiteral("3+2"));
    EXPECT_TRUE(dialog->meterButton(4)->isChecked());
    for (int i : {0, 1, 2, 3, 5, 6}) {
        EXPECT_FALSE(dialog->meterButton(i)->isChecked()) << i;
    }
    // Filling the controls is no change: nothing is rebuilt, the store keeps its values.
    EXPECT_FALSE(dialog->rebuildPending());
    EXPECT_TRUE(posts.Commands().empty());
    EXPECT_EQ(engine.controls.tempo.load(), 96);
}

TEST_F(SoundDialogsTest, ThreeQuickMeterClicksGiveOneRebuildWithTheLastMeter) {
    // What the controls hold when the rebuild is posted is what the thread builds from.
    struct RhythmAtRebuild final : PostObserver<ToneCommand> {
        explicit RhythmAtRebuild(PracticeControls& c) : controls(c) {}
        void OnPosted(const CommandThread<ToneCommand>&, const ToneCommand& command) override {
            if (std::holds_alternative<tone::RebuildMetronome>(command)) {
                rhythms.push_back(controls.rhythm.load());
            }
        }
        PracticeControls& controls;
        std::vector<int32_t> rhythms;  // written on the posting (this) thread only
    };
    auto shared = std::make_shared<RhythmAtRebuild>(engine.controls);
    const RhythmAtRebuild& observer = *shared;
    auto dialog = OpenMetronome();
    waveOut().setPostObserver(shared);

    for (int i : {1, 2, 3}) {  // "2", "3", "4"
        QTest::mouseClick(dialog->meterButton(i), Qt::LeftButton);
        EXPECT_EQ(engine.controls.rhythm.load(), i);
        EXPECT_TRUE(dialog->rebuildPending());
    }
    EXPECT_TRUE(observer.rhythms.empty());
    ASSERT_TRUE(WaitFor([&] { return !observer.rhythms.empty(); }, 3000));
    EXPECT_FALSE(dialog->rebuildPending());  // single shot: nothing more can come
    EXPECT_EQ(observer.rhythms, std::vector<int32_t>{3});
    EXPECT_EQ(dialog->meterIndex(), 3);
    waveOut().setPostObserver(nullptr);
}

TEST_F(SoundDialogsTest, TempoSpinStopsAt20And400AndEachStepIsStored) {
    engine.controls.tempo = 399;
    auto high = OpenMetronome();
    ClickArrow(high->tempoSpin(), true);
    EXPECT_EQ(engine.controls.tempo.load(), 400);
    EXPECT_TRUE(high->rebuildPending());
    ClickArrow(high->tempoSpin(), true);
    QTest::keyClick(high->tempoEdit(), Qt::Key_Up);
    EXPECT_EQ(high->tempoEdit()->text(), QStringLiteral("400"));
    EXPECT_EQ(engine.controls.tempo.load(), 400);

    engine.controls.tempo = 21;
    auto low = OpenMetronome();
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(low->tempoEdit(), Qt::Key_Down);
    }
    EXPECT_EQ(low->tempoEdit()->text(), QStringLiteral("20"));
    EXPECT_EQ(low->tempoValue(), 20);
    EXPECT_EQ(engine.controls.tempo.load(), 20);
}

TEST_F(SoundDialogsTest, TempoTypedOrTappedAndTheSubdivisionAreStoredAndRebuilt) {
    auto dialog = OpenMetronome();
    QLineEdit* edit = dialog->tempoEdit();
    edit->selectAll();
    QTest::keyClicks(edit, "1");  // on the way to 140: not a tempo yet
    EXPECT_EQ(engine.controls.tempo.load(), 120);
    EXPECT_FALSE(dialog->rebuildPending());
    QTest::keyClicks(edit, "40");
    EXPECT_EQ(engine.controls.tempo.load(), 140);
    EXPECT_EQ(dialog->tempoSpin()->Pos(), 140);
    EXPECT_TRUE(dialog->rebuildPending());
    // Too small or too large when editing ends: the nearest tempo.
    edit->setText(QStringLiteral("12"));
    emit edit->editingFinished();
    EXPECT_EQ(edit->text(), QStringLiteral("20"));
    EXPECT_EQ(engine.controls.tempo.load(), 20);
    QTest::keyClicks(edit, "0");  // "200"... then one more digit is refused
    QTest::keyClicks(edit, "0");
    EXPECT_EQ(edit->text(), QStringLiteral("200"));
    // Typed past 400, the edit shows the tempo the metronome takes, not the digits.
    edit->selectAll();
    QTest::keyClicks(edit, "999");
    EXPECT_EQ(edit->text(), QStringLiteral("400"));
    EXPECT_EQ(engine.controls.tempo.load(), 400);

    // One tap changes nothing; taps 0.6 s apart set 100.
    dialog->OnTap(50.0);
    EXPECT_EQ(edit->text(), QStringLiteral("400"));
    dialog->OnTap(50.6);
    dialog->OnTap(51.2);
    EXPECT_EQ(edit->text(), QStringLiteral("100"));
    EXPECT_EQ(engine.controls.tempo.load(), 100);

    dialog->subdivisionBox()->setCurrentIndex(2);
    emit dialog->subdivisionBox()->activated(2);
    EXPECT_EQ(engine.controls.subdivision.load(), 3);
    EXPECT_TRUE(dialog->rebuildPending());
}

TEST_F(SoundDialogsTest, StartStartStartsThenStopsAndStopWithNothingPlayingDoesNothing) {
    auto dialog = OpenMetronome();
    QTest::mouseClick(dialog->startButton(), Qt::LeftButton);
    const std::vector<PostLog::Post> first = posts.Posts();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(first[0].thread, view().engine().workers().player);
    EXPECT_EQ(first[0].command, LoggedCommand{player::Stop{}});
    EXPECT_EQ(first[1].thread, view().engine().workers().output);
    EXPECT_EQ(first[1].command, LoggedCommand{tone::ToggleMetronome{}});
    ASSERT_TRUE(WaitFor([&] { return waveOut().IsMetronomePlaying(); }));

    QTest::mouseClick(dialog->startButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !waveOut().IsMetronomePlaying(); }));

    posts.Clear();
    QTest::mouseClick(dialog->stopButton(), Qt::LeftButton);
    EXPECT_EQ(posts.Commands(), std::vector<LoggedCommand>{tone::StopMetronome{}});
    EXPECT_TRUE(engine.sound.WaitForClosed(DeviceDirection::Output, 2000ms));
    EXPECT_FALSE(waveOut().IsTonePlaying());
    EXPECT_FALSE(waveOut().IsMetronomePlaying());
}

TEST_F(SoundDialogsTest, StopWhileTheToneSoundsStopsTheTone) {
    auto dialog = OpenMetronome();
    waveOut().send(tone::StartTone{kKeyA4});
    ASSERT_TRUE(WaitFor([&] { return waveOut().IsTonePlaying(); }));
    QTest::mouseClick(dialog->stopButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return !waveOut().IsTonePlaying(); }));
    EXPECT_FALSE(waveOut().IsMetronomePlaying());
}

TEST_F(SoundDialogsTest, ExitLeavesTheMetronomePlayingAndDropsAPendingRebuild) {
    auto dialog = OpenMetronome();
    dialog->show();
    QTest::mouseClick(dialog->startButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitFor([&] { return waveOut().IsMetronomePlaying(); }));
    QTest::mouseClick(dialog->meterButton(6), Qt::LeftButton);
    ASSERT_TRUE(dialog->rebuildPending());
    QTest::mouseClick(dialog->exitButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_FALSE(dialog->rebuildPending());
    EXPECT_EQ(engine.controls.rhythm.load(), 6);  // the next start builds from it
    for (const LoggedCommand& c : posts.Commands()) {
        EXPECT_FALSE(std::holds_alternative<tone::RebuildMetronome>(c));
    }
    EXPECT_TRUE(waveOut().IsMetronomePlaying());
}

TEST_F(SoundDialogsTest, MetronomeLayoutAndKeyboard) {
    auto dialog = OpenMetronome();
    const DialogUnits du(dialog->font());
    // The practice rows lie under the first 145 units, which keep their places.
    EXPECT_GE(dialog->width(), du.Size(150, 0).width());
    EXPECT_GT(dialog->height(), du.Size(0, 145).height());
    EXPECT_GE(dialog->meterEdit()->mapTo(dialog.get(), QPoint()).y(), du.Size(0, 145).height());
    EXPECT_EQ(dialog->tempoEdit()->geometry(), du.Rect(46, 7, 31, 12));
    EXPECT_EQ(dialog->startButton()->geometry(), du.Rect(13, 122, 40, 16));
    EXPECT_EQ(dialog->exitButton()->geometry(), du.Rect(97, 122, 40, 16));
    EXPECT_TRUE(dialog->exitButton()->isDefault());
    const QRect edit = dialog->tempoEdit()->geometry();
    EXPECT_EQ(dialog->tempoSpin()->geometry(),
              QRect(edit.right() + 5, edit.top(), 10, edit.height()));

    // Tab: the tempo, Tap, the checked meter only, the subdivision, the three buttons, then the
    // practice rows; the arrows move the meter.
    dialog->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    dialog->tempoEdit()->setFocus();
    std::vector<QWidget*> visited;
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    const std::vector<QWidget*> expected = {dialog->tapButton(),
                                            dialog->meterButton(0),
                                            dialog->subdivisionBox(),
                                            dialog->countInBox(),
                                            dialog->startButton(),
                                            dialog->stopButton(),
                                            dialog->exitButton(),
                                            dialog->meterEdit()};
    EXPECT_EQ(visited, expected);
    dialog->meterButton(0)->setFocus();
    QTest::keyClick(dialog->meterButton(0), Qt::Key_Right);
    EXPECT_TRUE(dialog->meterButton(1)->isChecked());
    EXPECT_EQ(engine.controls.rhythm.load(), 1);

    // Alt+S is Start; Esc closes.
    posts.Clear();
    QTest::keyClick(dialog.get(), Qt::Key_S, Qt::AltModifier);
    EXPECT_TRUE(WaitFor([&] { return !posts.Commands().empty(); }, 2000));  // an animated click
    EXPECT_EQ(posts.Commands(),
              (std::vector<LoggedCommand>{player::Stop{}, tone::ToggleMetronome{}}));
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

// The window is not modal: the main window goes on taking commands (T taps the tempo there too)
// while it is open, and the command shows the same window again.
TEST_F(SoundDialogsTest, TheMetronomeWindowIsNotModalAndTKeepsTappingInTheMainWindow) {
    ASSERT_TRUE(frame->CommandStateOf(ID_METRONOME_SET).enabled);
    EXPECT_TRUE(frame->ExecuteCommand(ID_METRONOME_SET));
    MetronomeDialog* dialog = view().metronomeDialog();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(dialog->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(dialog->parentWidget(), frame.get());
    QTest::keyClick(dialog->tempoEdit(), Qt::Key_Up);
    EXPECT_EQ(engine.controls.tempo.load(), 121);
    dialog->reject();
    EXPECT_TRUE(frame->ExecuteCommand(ID_METRONOME_SET));
    EXPECT_EQ(view().metronomeDialog(), dialog) << "the same window again";
    EXPECT_EQ(dialog->tempoEdit()->text(), QStringLiteral("121"));

    // T in the main window: taps 0.6 s apart set 100; the open window follows.
    EXPECT_EQ(frame->CommandStateOf(ID_METRONOME_TAP).enabled, true);
    ToolCommands& tools = view().tools();
    tools.TapTempoNow(30.0);
    tools.TapTempoNow(30.6);
    EXPECT_EQ(engine.controls.tempo.load(), 100);
    EXPECT_TRUE(
        WaitFor([&] { return dialog->tempoEdit()->text() == QStringLiteral("100"); }, 2000));
    dialog->reject();
}

// Any meter: written with its groups, or its accents set by clicking the lights; a preset
// replaces it. Wrong input is said and changes nothing.
TEST_F(SoundDialogsTest, AWrittenMeterAndClickedAccentsSoundAndWrongInputChangesNothing) {
    engine.controls.rhythm = RhythmOfMeter("3+2");
    auto dialog = OpenMetronome();
    EXPECT_EQ(dialog->beatLights()->meter().beats, 5) << "the preset's lights before Start";
    dialog->meterEdit()->setText(QStringLiteral("7/8"));
    dialog->groupsEdit()->setText(QStringLiteral("2+2+2"));
    dialog->ApplyMeter();
    EXPECT_TRUE(dialog->messageLabel()->isVisibleTo(dialog.get()));
    EXPECT_TRUE(dialog->messageLabel()->text().contains(QStringLiteral("add up to the meter's 7")));
    EXPECT_EQ(engine.controls.meter.load(), 0u) << "nothing changed";

    dialog->groupsEdit()->setText(QStringLiteral("2+2+3"));
    dialog->ApplyMeter();
    EXPECT_FALSE(dialog->messageLabel()->isVisibleTo(dialog.get()));
    EXPECT_EQ(engine.controls.meter.load(), ParseMeter("7/8", "2+2+3", "", nullptr)->Pack());
    EXPECT_EQ(dialog->beatLights()->meter().beats, 7);
    EXPECT_TRUE(dialog->rebuildPending());
    // Beat 2 (weak) clicked: muted; clicked again: strong.
    emit dialog->beatLights()->beatClicked(1);
    EXPECT_EQ(dialog->CurrentMeter().accents[1], Accent::Muted);
    emit dialog->beatLights()->beatClicked(1);
    EXPECT_EQ(dialog->CurrentMeter().accents[1], Accent::Strong);

    // A trainer whose target is not above the tempo (120): said, nothing set.
    dialog->trainerTargetSpin()->setValue(100);
    dialog->trainerBox()->setChecked(true);
    EXPECT_TRUE(dialog->messageLabel()->text().contains(QStringLiteral("must be faster")));
    EXPECT_EQ(engine.controls.trainerStep.load(), 0);
    dialog->trainerTargetSpin()->setValue(160);
    EXPECT_EQ(engine.controls.trainerTarget.load(), 160);
    EXPECT_FALSE(dialog->messageLabel()->isVisibleTo(dialog.get()));

    // A preset replaces the written meter.
    QTest::mouseClick(dialog->meterButton(2), Qt::LeftButton);
    EXPECT_EQ(engine.controls.meter.load(), 0u);
    EXPECT_EQ(dialog->beatLights()->meter().beats, 3);
    EXPECT_TRUE(dialog->meterEdit()->text().isEmpty());
}

// --- Signal generator --------------------------------------------------------------------------

class SignalDialogTest : public SoundDialogsTest {
  protected:
    SignalGeneratorDialog& Open() {
        EXPECT_TRUE(frame->ExecuteCommand(ID_SIGNAL_GENERATOR));
        SignalGeneratorDialog* dialog = view().signalDialog();
        EXPECT_NE(dialog, nullptr);
        posts.Watch(view().engine().workers().generator);
        return *dialog;
    }
    // The channel of the buffer (0 left, 1 right).
    static std::vector<int16_t> Channel(const std::vector<int16_t>& samples, int channel) {
        std::vector<int16_t> one;
        for (size_t i = channel; i < samples.size(); i += 2) {
            one.push_back(samples[i]);
        }
        return one;
    }
    static std::vector<int16_t> Expected(int frequency, int amplitude, int form) {
        SignalBuffer reference;
        reference.GenerateChannel(frequency, amplitude, form, 0);
        return Channel(reference.Samples(), 0);
    }
    void StartPlaying(SignalGeneratorDialog& dialog) {
        QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
        ASSERT_TRUE(WaitFor([&] { return view().engine().SignalPlaying(); }));
        ASSERT_TRUE(engine.sound.WaitForQueued(DeviceDirection::Output, 2, 2000ms));
    }
    // One played second, answered by the dialog.
    void PlayOneSecond(SignalGeneratorDialog& dialog) {
        const int64_t answered = dialog.liveUpdateCount();
        ASSERT_EQ(engine.sound.Complete(DeviceDirection::Output), 1);
        ASSERT_TRUE(WaitFor([&] { return dialog.liveUpdateCount() > answered; }));
    }
};

TEST_F(SignalDialogTest, FirstOpeningShows440And25AndSineOnBothSides) {
    SignalGeneratorDialog& dialog = Open();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Signal Generator"));
    for (int channel : {0, 1}) {
        EXPECT_EQ(dialog.valueEdit(channel, 0)->text(), QStringLiteral("440"));
        EXPECT_EQ(dialog.valueEdit(channel, 1)->text(), QStringLiteral("25"));
        EXPECT_TRUE(dialog.waveButton(channel, kWaveSine)->isChecked());
        EXPECT_EQ(dialog.valueSpin(channel, 0)->minimum(), 1);
        EXPECT_EQ(dialog.valueSpin(channel, 0)->maximum(), 20000);
        EXPECT_EQ(dialog.valueSpin(channel, 1)->maximum(), 100);
    }
    EXPECT_EQ(dialog.freqLeft(), 440);
    EXPECT_EQ(dialog.ampRight(), 25);
    ASSERT_NE(view().engine().workers().generator, nullptr);
    EXPECT_TRUE(view().engine().workers().generator->running());
    EXPECT_FALSE(view().engine().SignalPlaying());
}

TEST_F(SignalDialogTest, TheCommandWhileOpenOnlyShowsTheSameDialogAgain) {
    SignalGeneratorDialog& dialog = Open();
    dialog.valueEdit(0, 0)->setText(QStringLiteral("1000"));
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    EXPECT_EQ(&Open(), &dialog);
    EXPECT_EQ(view().findChildren<SignalGeneratorDialog*>().size(), 1);

    QTest::mouseClick(dialog.exitButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(engine.context.signalSettings.freqLeft, 1000);
    ASSERT_TRUE(WaitFor([&] { return !view().engine().SignalPlaying(); }));
    EXPECT_EQ(&Open(), &dialog);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.valueEdit(0, 0)->text(), QStringLiteral("1000"));
    EXPECT_TRUE(frame->CommandStateOf(ID_SIGNAL_GENERATOR).enabled);
}

TEST_F(SignalDialogTest, StartChecksEveryValueAndShowsTheFrameworksMessages) {
    SignalGeneratorDialog& dialog = Open();
    dialog.valueEdit(0, 0)->setText(QStringLiteral("30000"));
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    ASSERT_EQ(engine.notifier.Count(), 1u);
    EXPECT_EQ(engine.notifier.Caption(0), "Tonavise");
    EXPECT_EQ(engine.notifier.Text(0), "Please enter an integer between 1 and 20000.");
    EXPECT_EQ(dialog.focusWidget(), dialog.valueEdit(0, 0));
    EXPECT_EQ(dialog.freqLeft(), 440);  // a refused value never reaches the field
    EXPECT_TRUE(posts.Commands().empty());

    dialog.valueEdit(0, 0)->setText(QStringLiteral("500"));
    dialog.valueEdit(1, 1)->setText(QStringLiteral("12x"));
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    ASSERT_EQ(engine.notifier.Count(), 2u);
    EXPECT_EQ(engine.notifier.Text(1), "Please enter an integer.");
    EXPECT_EQ(dialog.focusWidget(), dialog.valueEdit(1, 1));

    dialog.valueEdit(1, 1)->setText(QStringLiteral("101"));
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    ASSERT_EQ(engine.notifier.Count(), 3u);
    EXPECT_EQ(engine.notifier.Text(2), "Please enter an integer between 0 and 100.");
    EXPECT_TRUE(posts.Commands().empty());

    dialog.valueEdit(1, 1)->setText(QStringLiteral(" 100 "));
    QTest::mouseClick(dialog.startButton(), Qt::LeftButton);
    EXPECT_EQ(posts.Commands(), std::vector<LoggedCommand>{generator::Start{}});
    EXPECT_EQ(dialog.freqLeft(), 500);
    EXPECT_EQ(dialog.ampRight(), 100);
    const std::vector<int16_t> played = dialog.signal().Samples();
    EXPECT_EQ(Channel(played, 0), Expected(500, 25, kWaveSine));
    EXPECT_EQ(Channel(played, 1), Expected(440, 100, kWaveSine));
    EXPECT_EQ(engine.notifier.Count(), 3u);
}

TEST_F(SignalDialogTest, EachPlayedSecondTakesTheValidEditsAndIgnoresTheOthers) {
    SignalGeneratorDialog& dialog = Open();
    StartPlaying(dialog);
    dialog.valueEdit(0, 0)->setText(QStringLiteral("1000"));
    PlayOneSecond(dialog);
    EXPECT_EQ(dialog.freqLeft(), 1000);
    EXPECT_EQ(Channel(dialog.signal().Samples(), 0), Expected(1000, 25, kWaveSine));
    // The thread goes on: the finished copy is queued again.
    EXPECT_TRUE(engine.sound.WaitForQueued(DeviceDirection::Output, 2, 2000ms));

    for (const char* text : {"0", "30000", "abc", ""}) {
        dialog.valueEdit(0, 0)->setText(QString::fromLatin1(text));
        PlayOneSecond(dialog);
        EXPECT_EQ(dialog.freqLeft(), 1000) << text;
    }
    dialog.valueEdit(1, 1)->setText(QStringLiteral(" 60%"));  // the leading number counts
    PlayOneSecond(dialog);
    EXPECT_EQ(dialog.ampRight(), 60);
    EXPECT_EQ(Channel(dialog.signal().Samples(), 0), Expected(1000, 25, kWaveSine));
    EXPECT_EQ(Channel(dialog.signal().Samples(), 1), Expected(440, 60, kWaveSine));
    EXPECT_EQ(engine.notifier.Count(), 0u);
}

TEST_F(SignalDialogTest, SawOnTheRightChangesOnlyTheRightChannel) {
    SignalGeneratorDialog& dialog = Open();
    StartPlaying(dialog);
    const std::vector<int16_t> before = dialog.signal().Samples();
    QTest::mouseClick(dialog.waveButton(1, kWaveSaw), Qt::LeftButton);
    EXPECT_EQ(dialog.waveRight(), kWaveSaw);
    EXPECT_EQ(dialog.waveLeft(), kWaveSine);
    const std::vector<int16_t> after = dialog.signal().Samples();
    EXPECT_EQ(Channel(after, 0), Channel(before, 0));
    EXPECT_EQ(Channel(after, 1), Expected(440, 25, kWaveSaw));

    // The arrow keys move the choice; the key's release on the new button changes the sound.
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    dialog.waveButton(0, kWaveSine)->setFocus();
    QTest::keyPress(dialog.waveButton(0, kWaveSine), Qt::Key_Down);
    EXPECT_TRUE(dialog.waveButton(0, kWaveSquare)->isChecked());
    QTest::keyRelease(dialog.waveButton(0, kWaveSquare), Qt::Key_Down);
    EXPECT_EQ(dialog.waveLeft(), kWaveSquare);
    EXPECT_EQ(Channel(dialog.signal().Samples(), 0), Expected(440, 25, kWaveSquare));
    EXPECT_TRUE(dialog.waveButton(1, kWaveSaw)->isChecked());  // the groups are separate
}

TEST_F(SignalDialogTest, EnterNeitherHidesNorStartsAndEscAndTheCloseBoxStopAndHide) {
    SignalGeneratorDialog& dialog = Open();
    QTest::keyClick(dialog.valueEdit(0, 0), Qt::Key_Return);
    QTest::keyClick(dialog.startButton(), Qt::Key_Enter);
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(posts.Commands().empty());

    StartPlaying(dialog);
    dialog.valueEdit(0, 0)->setText(QStringLiteral("700"));
    PlayOneSecond(dialog);
    posts.Clear();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(posts.Commands(), std::vector<LoggedCommand>{generator::Stop{}});
    ASSERT_TRUE(WaitFor([&] { return !view().engine().SignalPlaying(); }));
    // Only Exit remembers the values.
    EXPECT_EQ(engine.context.signalSettings.freqLeft, 440);

    Open();
    posts.Clear();
    dialog.close();
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(posts.Commands(), std::vector<LoggedCommand>{generator::Stop{}});
    EXPECT_EQ(view().signalDialog(), &dialog);
}

TEST_F(SignalDialogTest, TheDialogGoesWithALiveUpdateStillQueued) {
    SignalGeneratorDialog& dialog = Open();
    StartPlaying(dialog);
    // A played second queues a live update that this test never lets the dialog run.
    ASSERT_EQ(engine.sound.Complete(DeviceDirection::Output), 1);
    ASSERT_TRUE(engine.sound.WaitForQueued(DeviceDirection::Output, 2, 2000ms))
        << "the generator queued the copy again without waiting for the dialog";
    delete &dialog;
    EXPECT_EQ(view().signalDialog(), nullptr);
    EXPECT_TRUE(engine.sound.WaitForClosed(DeviceDirection::Output, 2000ms));
}

TEST_F(SignalDialogTest, LayoutFollowsTheTemplate) {
    SignalGeneratorDialog& dialog = Open();
    const DialogUnits du(dialog.font());
    EXPECT_EQ(dialog.size(), du.Size(314, 163));
    EXPECT_EQ(dialog.valueEdit(0, 0)->geometry(), du.Rect(98, 18, 35, 12));
    EXPECT_EQ(dialog.valueEdit(1, 0)->geometry(), du.Rect(254, 17, 35, 12));
    EXPECT_EQ(dialog.startButton()->geometry(), du.Rect(84, 136, 45, 20));
    EXPECT_EQ(dialog.exitButton()->geometry(), du.Rect(184, 136, 45, 20));
    EXPECT_TRUE(dialog.exitButton()->isDefault());
    EXPECT_EQ(dialog.parentWidget(), &view());
    EXPECT_FALSE(dialog.isModal());
}

TEST(SignalValues, LeadingAndWholeIntegers) {
    EXPECT_EQ(LeadingInteger(QStringLiteral(" 12abc")), 12);
    EXPECT_EQ(LeadingInteger(QStringLiteral("abc")), 0);
    EXPECT_EQ(LeadingInteger(QStringLiteral("-5")), -5);
    EXPECT_EQ(LeadingInteger(QStringLiteral("+7")), 7);
    EXPECT_GT(LeadingInteger(QStringLiteral("99999999999999999999")), 20000);
    EXPECT_EQ(WholeInteger(QStringLiteral(" 42 ")), 42);
    EXPECT_EQ(WholeInteger(QStringLiteral("-3")), -3);
    EXPECT_FALSE(WholeInteger(QStringLiteral("42x")));
    EXPECT_FALSE(WholeInteger(QString()));
    EXPECT_FALSE(WholeInteger(QStringLiteral("4 2")));
    EXPECT_FALSE(WholeInteger(QStringLiteral("99999999999")));
}

}  // namespace
}  // namespace tonavise::ui::test
