// Start-up and settings: the clamps and defaults of every key, what the exit writes back, the
// daily web page, the single-instance rule and the language choice.
#include <gtest/gtest.h>

#include <QFile>
#include <QGuiApplication>
#include <QLockFile>
#include <QSignalSpy>
#include <QTranslator>

#include "UiTestSupport.h"
#include "ui/Language.h"
#include "ui/MainWindow.h"
#include "ui/ProductInfo.h"
#include "ui/ScopeView.h"
#include "ui/SettingsStore.h"
#include "ui/SingleInstance.h"
#include "ui/TerminationSignals.h"
#include "ui/TonaviseApp.h"

namespace tonavise::ui::test {
namespace {

StartupSettings LoadWith(TempSettings& file, const char* key, const QString& value) {
    file.Put(kSectionSetting, QString::fromLatin1(key), value);
    return LoadStartupSettings(SettingsStore(file.path()));
}

ViewSettings ViewWith(TempSettings& file, const char* key, const QString& value) {
    file.Put(kSectionSetting, QString::fromLatin1(key), value);
    return LoadViewSettings(SettingsStore(file.path()));
}

TEST(StartupSettings, TempoAndRhythmAreClampedAtLoad) {
    TempSettings file;
    const std::pair<const char*, int> tempos[] = {
        {"10", 20}, {"1000", 400}, {"20", 20}, {"400", 400}, {"-5", 20}};
    for (const auto& [stored, loaded] : tempos) {
        EXPECT_EQ(LoadWith(file, "Tempo", QString::fromLatin1(stored)).tempo, loaded) << stored;
    }
    const std::pair<const char*, int> rhythms[] = {{"-3", 0}, {"9", 6}, {"0", 0}, {"6", 6}};
    for (const auto& [stored, loaded] : rhythms) {
        EXPECT_EQ(LoadWith(file, "Rhythm", QString::fromLatin1(stored)).rhythm, loaded) << stored;
    }
}

TEST(StartupSettings, NothingStoredGivesTheDefaults) {
    TempSettings file;
    const StartupSettings s = LoadStartupSettings(SettingsStore(file.path()));
    EXPECT_EQ(s.tempo, 120);
    EXPECT_EQ(s.rhythm, 0);
    EXPECT_EQ(s.recTimeIndex, 1);
    EXPECT_EQ(s.recRepeating, 1);
    EXPECT_EQ(s.imageStartTime, 4);
    EXPECT_EQ(s.imageInterval, 1);
    EXPECT_EQ(s.imageNumbers, 9);
    EXPECT_TRUE(s.imageFolder.isEmpty());
    for (int32_t c : s.pitchLineColors) {
        EXPECT_EQ(c, kColorUnmarked);
    }
    const ViewSettings v = LoadViewSettings(SettingsStore(file.path()));
    EXPECT_DOUBLE_EQ(v.a4, 440.0);
    EXPECT_EQ(v.keyIndex, 0);
    EXPECT_EQ(v.logarithm, 0);
}

TEST(StartupSettings, IndicesAndColoursAreTakenAsStored) {
    TempSettings file;
    file.Put(kSectionSetting, "RecTimeIndex", "42");
    file.Put(kSectionSetting, "RecRepeating", "5");
    file.Put(kSectionSetting, "ImageNumbers", "-1");
    file.Put(kSectionPitchLineColor, "Color48", "0");
    file.Put(kSectionPitchLineColor, "Color87", "15");
    file.Put(kSectionSetting, "Logarithm", "3");
    const StartupSettings s = LoadStartupSettings(SettingsStore(file.path()));
    EXPECT_EQ(s.recTimeIndex, 42);
    EXPECT_EQ(s.recRepeating, 5);
    EXPECT_EQ(s.imageNumbers, -1);
    EXPECT_EQ(s.pitchLineColors[48], 0);
    EXPECT_EQ(s.pitchLineColors[87], 15);
    EXPECT_EQ(LoadViewSettings(SettingsStore(file.path())).logarithm, 3);
}

TEST(StartupSettings, AValueThatIsNotANumberGivesTheDefault) {
    TempSettings file;
    EXPECT_EQ(LoadWith(file, "Tempo", "fast").tempo, 120);
    EXPECT_EQ(LoadWith(file, "Tempo", "99999999999").tempo, 120);
    EXPECT_EQ(LoadWith(file, "Tempo", " 200 ").tempo, 200);
}

TEST(ViewSettings, A4AndKeyAreClamped) {
    TempSettings file;
    EXPECT_DOUBLE_EQ(ViewWith(file, "FreqOfA4", "3850").a4, 390.0);
    EXPECT_DOUBLE_EQ(ViewWith(file, "FreqOfA4", "4850").a4, 480.0);
    // The pitches of baroque and of some orchestras, once out of range, now load as stored.
    EXPECT_DOUBLE_EQ(ViewWith(file, "FreqOfA4", "4150").a4, 415.0);
    EXPECT_DOUBLE_EQ(ViewWith(file, "FreqOfA4", "4660").a4, 466.0);
    EXPECT_NEAR(ViewWith(file, "FreqOfA4", "4415").a4, 441.5, 1e-9);
    EXPECT_EQ(ViewWith(file, "Key", "12").keyIndex, 12);
    EXPECT_EQ(ViewWith(file, "Key", "13").keyIndex, 12);
    EXPECT_EQ(ViewWith(file, "Key", "-1").keyIndex, 0);
}

TEST(ViewSettings, A4IsStoredInTenthsRoundedToNearest) {
    TempSettings file;
    SettingsStore store(file.path());
    SaveA4(store, 441.5);
    EXPECT_EQ(store.ReadInt(kSectionSetting, "FreqOfA4", 0), 4415);
    SaveA4(store, 439.96);
    EXPECT_EQ(store.ReadInt(kSectionSetting, "FreqOfA4", 0), 4400);
}

// A written meter, its accents and the trainer come back as they were written; a meter that
// does not read as one, or a trainer without a step, is none: the preset in "Rhythm" sounds.
TEST(ExitSettings, TheMetronomesMeterAndTrainerComeBackAndBadOnesAreNone) {
    TempSettings file;
    Engine engine(file.path());
    engine.controls.meter.store(ParseMeter("7/8", "2+2+3", "3,0,2,1,2,1,1", nullptr)->Pack());
    engine.controls.trainerStep.store(5);
    engine.controls.trainerBars.store(4);
    engine.controls.trainerTarget.store(160);
    engine.controls.voice.store(1);
    SaveExitSettings(engine.settings, engine.controls, engine.keyTable);
    const StartupSettings loaded = LoadStartupSettings(SettingsStore(file.path()));
    EXPECT_EQ(loaded.metronome.meter, engine.controls.meter.load());
    EXPECT_EQ(loaded.metronome.trainerTarget, 160);
    EXPECT_EQ(loaded.metronome.voice, 1);

    file.Put(kSectionSetting, "MeterBeats", "19");
    file.Put(kSectionSetting, "TrainerStep", "0");
    const StartupSettings bad = LoadStartupSettings(SettingsStore(file.path()));
    EXPECT_EQ(bad.metronome.meter, 0u);
    EXPECT_EQ(bad.metronome.trainerTarget, 0);
}

TEST(ExitSettings, TheClampedValuesAreWhatTheExitWritesBack) {
    TempSettings file;
    file.Put(kSectionSetting, "Tempo", "1000");
    file.Put(kSectionSetting, "Rhythm", "-3");
    file.Put(kSectionPitchLineColor, "Color3", "2");
    Engine engine(file.path());
    ApplyStartupSettings(LoadStartupSettings(engine.settings), engine.controls, engine.keyTable);
    SaveExitSettings(engine.settings, engine.controls, engine.keyTable);

    SettingsStore reread(file.path());
    EXPECT_EQ(reread.ReadInt(kSectionSetting, "Tempo", 0), 400);
    EXPECT_EQ(reread.ReadInt(kSectionSetting, "Rhythm", 99), 0);
    EXPECT_EQ(reread.ReadInt(kSectionSetting, "RecTimeIndex", 0), 1);
    EXPECT_EQ(reread.ReadInt(kSectionSetting, "RecRepeating", 0), 1);
    EXPECT_EQ(reread.ReadInt(kSectionPitchLineColor, "Color3", 0), 2);
    EXPECT_EQ(reread.ReadInt(kSectionPitchLineColor, "Color87", 0), 7);
}

TEST(DailyPage, OpensAtTheFirstExitOfEachDayOnly) {
    TempSettings file;
    SettingsStore store(file.path());
    RecordingOpener opener;
    const QDate day(2024, 3, 9);

    // A first-ever exit always opens it: the default never equals a date.
    EXPECT_TRUE(OpenDailyPage(store, day, opener));
    EXPECT_EQ(store.ReadString(kSectionUser, "today", {}), QStringLiteral("2024/03/09"));
    EXPECT_FALSE(OpenDailyPage(store, day, opener));
    EXPECT_TRUE(OpenDailyPage(store, day.addDays(1), opener));
    ASSERT_EQ(opener.opened.size(), 2u);
    EXPECT_EQ(opener.opened[0], QUrl(QString::fromLatin1(kProductWebPage)));
}

TEST(DailyPage, TheComparisonIsExact) {
    TempSettings file;
    file.Put(kSectionUser, "today", "2024/3/9");
    SettingsStore store(file.path());
    RecordingOpener opener;
    EXPECT_TRUE(OpenDailyPage(store, QDate(2024, 3, 9), opener));
}

TEST(SingleInstance, ASecondStartRaisesTheFirstAndIsRefused) {
    QTemporaryDir dir;
    SingleInstance first(QStringLiteral("test-instance"), dir.path());
    ASSERT_TRUE(first.Acquire());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    SingleInstance second(QStringLiteral("test-instance"), dir.path());
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(WaitFor([&] { return raised.count() == 1; }));

    // Once the first has gone, the next start runs.
    first.Release();
    SingleInstance third(QStringLiteral("test-instance"), dir.path());
    EXPECT_TRUE(third.Acquire());
}

TEST(SingleInstance, ALockLeftByAnEndedProcessIsTakenOver) {
    QTemporaryDir dir;
    SingleInstance probe(QStringLiteral("stale"), dir.path());
    {
        // The lock file of a process that no longer runs.
        QFile lock(probe.ServerName() + QStringLiteral(".lock"));
        ASSERT_TRUE(lock.open(QIODevice::WriteOnly));
        lock.write("2147483000\ntonavise\n\n");
    }
    EXPECT_TRUE(probe.Acquire());
}

TEST(Language, ChineseAndJapaneseSystemsAskForTheirTranslation) {
    EXPECT_EQ(LanguageOf(QLocale(QLocale::Chinese, QLocale::China)), UiLanguage::Chinese);
    EXPECT_EQ(LanguageOf(QLocale(QLocale::Chinese, QLocale::Taiwan)), UiLanguage::Chinese);
    EXPECT_EQ(LanguageOf(QLocale(QLocale::Japanese)), UiLanguage::Japanese);
    EXPECT_EQ(LanguageOf(QLocale(QLocale::German)), UiLanguage::English);
    EXPECT_EQ(TranslationName(UiLanguage::Chinese), QStringLiteral("tonavise_chn"));
    EXPECT_EQ(TranslationName(UiLanguage::Japanese), QStringLiteral("tonavise_jpn"));
    EXPECT_TRUE(TranslationName(UiLanguage::English).isEmpty());
}

TEST(Language, AMissingTranslationLeavesEnglish) {
    QTemporaryDir empty;
    EXPECT_EQ(LoadTranslation(UiLanguage::Japanese, empty.path()), nullptr);
    EXPECT_EQ(LoadTranslation(UiLanguage::English, empty.path()), nullptr);
}

// The whole application with settings, instance lock and web page of the test's own.
struct AppFixture {
    AppFixture(TempSettings& file, const QString& instanceFolder, QDate today)
        : app(AppEnvironment{file.path(),
                             &opener,
                             [today] { return today; },
                             QLocale(QLocale::Japanese),
                             QStringLiteral("app-test"),
                             instanceFolder,
                             file.folder(),
                             &notifier,
                             &sound}) {}
    VirtualSoundSystem sound;
    RecordingOpener opener;
    RecordingNotifier notifier;
    TonaviseApp app;
};

TEST(Application, StartsOnThePitchScaleAndWritesTheSettingsAtExit) {
    TempSettings file;
    file.Put(kSectionSetting, "Tempo", "10");
    file.Put(kSectionSetting, "FreqOfA4", "4475");
    file.Put(kSectionSetting, "Key", "12");
    QTemporaryDir instances;
    AppFixture f(file, instances.path(), QDate(2025, 1, 2));

    ASSERT_TRUE(f.app.InitInstance());
    MainWindow* frame = f.app.mainFrame();
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("Tonavise"));
    EXPECT_TRUE(frame->isVisible());
    EXPECT_EQ(frame->view().scopeMode(), kScopePitch);
    EXPECT_TRUE(frame->view().analysisRunning());
    EXPECT_DOUBLE_EQ(f.app.context().keyTable.GetA4(), 447.5);
    EXPECT_EQ(frame->view().keyIndex(), 12);
    EXPECT_EQ(f.app.context().controls.tempo.load(), 20);
    // A Japanese system without a translation file: English texts, Japanese tone labels.
    EXPECT_FALSE(f.app.translationLoaded());
    EXPECT_EQ(f.app.language(), UiLanguage::Japanese);

    f.app.ExitInstance();
    EXPECT_EQ(f.app.mainFrame(), nullptr);
    SettingsStore reread(file.path());
    EXPECT_EQ(reread.ReadInt(kSectionSetting, "Tempo", 0), 20);
    EXPECT_EQ(reread.ReadString(kSectionUser, "today", {}), QStringLiteral("2025/01/02"));
    EXPECT_EQ(f.opener.opened.size(), 1u);
    // The view's settings are written when they change, not at exit.
    EXPECT_EQ(reread.ReadInt(kSectionSetting, "FreqOfA4", 0), 4475);
}

TEST(Application, ToolValuesAndMarksAreWrittenWhenTheyChangeNotOnlyAtExit) {
    TempSettings file;
    QTemporaryDir instances;
    AppFixture f(file, instances.path(), QDate(2025, 1, 2));
    ASSERT_TRUE(f.app.InitInstance());
    PracticeControls& controls = f.app.context().controls;
    KeyTable& keyTable = f.app.context().keyTable;

    // As the metronome, Set Parameters and Pitch marking dialogs leave them.
    controls.tempo.store(184);
    controls.rhythm.store(3);
    controls.recTimeIndex.store(6);
    controls.recRepeating.store(0);
    keyTable.pitchLineColors[40].store(5);
    auto written = [&] {
        const SettingsStore reread(file.path());
        return reread.ReadInt(kSectionSetting, "Tempo", 0) == 184 &&
               reread.ReadInt(kSectionSetting, "Rhythm", 0) == 3 &&
               reread.ReadInt(kSectionSetting, "RecTimeIndex", 0) == 6 &&
               reread.ReadInt(kSectionSetting, "RecRepeating", 1) == 0 &&
               reread.ReadInt(kSectionPitchLineColor, "Color40", 7) == 5;
    };
    // A logout, a lost display or a crash after this point loses nothing.
    EXPECT_TRUE(WaitFor(written));

    // The session manager's requests write at once, without waiting for the values to settle.
    controls.tempo.store(61);
    f.app.SaveSettingsNow();
    EXPECT_EQ(SettingsStore(file.path()).ReadInt(kSectionSetting, "Tempo", 0), 61);
    // ... and the application answers both of them (disconnect tells whether it was connected).
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    ASSERT_NE(gui, nullptr);
    EXPECT_TRUE(QObject::disconnect(gui, &QGuiApplication::commitDataRequest, &f.app, nullptr));
    EXPECT_TRUE(QObject::disconnect(gui, &QGuiApplication::saveStateRequest, &f.app, nullptr));
}

TEST(TerminationSignals, HangupInterruptAndTerminateEachEndTheProgramOnce) {
    struct sigaction before {};
    sigaction(SIGHUP, nullptr, &before);
    {
        int calls = 0;
        const TerminationSignals handlers([&calls] { ++calls; });
        ASSERT_TRUE(handlers.installed());
        int expected = 0;
        for (int signal : {SIGHUP, SIGTERM, SIGINT}) {
            ASSERT_EQ(raise(signal), 0);
            ++expected;
            EXPECT_TRUE(WaitFor([&] { return calls == expected; })) << signal;
        }
        // Each signal is handled once: a further pass of the event loop finds nothing.
        QCoreApplication::processEvents();
        EXPECT_EQ(calls, 3);
    }
    // The handlers are put back as they were.
    struct sigaction after {};
    sigaction(SIGHUP, nullptr, &after);
    EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST(Application, ASecondStartBringsTheRunningWindowToTheFront) {
    TempSettings file;
    QTemporaryDir instances;
    AppFixture first(file, instances.path(), QDate(2025, 1, 2));
    ASSERT_TRUE(first.app.InitInstance());
    MainWindow* frame = first.app.mainFrame();
    frame->showMinimized();
    ASSERT_TRUE(WaitFor([&] { return frame->isMinimized(); }));

    AppFixture second(file, instances.path(), QDate(2025, 1, 2));
    EXPECT_FALSE(second.app.InitInstance());
    EXPECT_EQ(second.app.mainFrame(), nullptr);
    EXPECT_TRUE(WaitFor([&] { return !frame->isMinimized(); }));
}

}  // namespace
}  // namespace tonavise::ui::test
