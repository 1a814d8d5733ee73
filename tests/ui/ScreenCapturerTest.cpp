// The screen capturer: the shot schedule on a fake clock, the snapshot file names and folders,
// the hand-over of the picture to the capturer thread, "Save copied screen", and the five image
// kinds as other programs read them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QMenu>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "UiTestSupport.h"
#include "ui/CapturerSettings.h"
#include "ui/CommandIds.h"
#include "ui/ImageFiles.h"
#include "ui/MainWindow.h"
#include "ui/ScopeCapture.h"
#include "ui/ScopeView.h"
#include "ui/ScreenCapturer.h"

namespace tonavise::ui::test {
namespace {

// Timer 3 and the local time on one clock that only the test moves.
class FakeClock final : public ShotTimer {
  public:
    void Start(int ms) override {
        due = now.load() + ms;
        starts.push_back(ms);
    }
    void Stop() override { due = -1; }
    bool active() const { return due >= 0; }
    QDateTime Local() const { return base.addMSecs(now.load()); }

    QDateTime base{QDate(2024, 3, 7), QTime(14, 15, 0)};
    std::atomic<int64_t> now{0};
    int64_t due = -1;
    std::vector<int> starts;
};

class FixedChooser final : public ImagePathChooser {
  public:
    std::optional<QString> ChooseImagePath() override {
        ++asked;
        return path;
    }
    std::optional<QString> path;
    int asked = 0;
};

// Saves for real and remembers the paths, in order.
class SaveLog {
  public:
    bool Save(const QImage& image, const QString& path) {
        {
            std::lock_guard lock(mutex);
            paths.push_back(path);
        }
        return WriteImageFile(image, path);
    }
    QStringList Paths() {
        std::lock_guard lock(mutex);
        return paths;
    }

  private:
    std::mutex mutex;
    QStringList paths;
};

QImage TestPicture(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.fillRect(QRect(10, 10, size.width() / 2, size.height() / 3), colour);
    p.setPen(Qt::black);
    p.drawLine(0, size.height() - 1, size.width() - 1, 0);
    return image;
}

class ScopeCaptureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ScopeCapture::Environment env;
        env.capturer.localTime = [this] { return clock.Local(); };
        env.capturer.fallbackFolders = [this] { return fallbacks; };
        env.capturer.save = [this](const QImage& image, const QString& path) {
            return log.Save(image, path);
        };
        env.timer = &clock;
        env.chooser = &chooser;
        capture = std::make_unique<ScopeCapture>(settings, notifier, nullptr, std::move(env));
        capture->Start();
        picture = TestPicture(QSize(1821, 471), Qt::red);
    }
    void TearDown() override { capture.reset(); }

    void Set(int start, int interval, int numbers, const QString& folder) {
        settings.Set({folder, start, interval, numbers});
    }
    bool Checked(int id) {
        CommandState s;
        capture->UpdateCommand(id, s);
        return s.checked;
    }
    bool Enabled(int id) {
        CommandState s;
        capture->UpdateCommand(id, s);
        return s.enabled;
    }
    bool WaitSaved() {
        return WaitFor([this] { return !capture->capturer().IsImageSavePending(); });
    }
    // Runs timer 3 to its end: a redraw before each shot; returns the seconds of the shots.
    std::vector<double> RunShots(int maxShots = 100) {
        std::vector<double> at;
        while (clock.active() && maxShots-- > 0) {
            clock.now = clock.due;
            capture->AfterRedraw(picture, QSize(1821, 471));
            capture->OnSnapshotTimer();
            at.push_back(static_cast<double>(clock.now.load()) / 1000.0);
            EXPECT_TRUE(WaitSaved());
        }
        return at;
    }
    QString Folder(const char* name) {
        QDir(dir.path()).mkpath(QLatin1String(name));
        return dir.filePath(QLatin1String(name));
    }

    QTemporaryDir dir;
    // Desktop, pictures, home.
    QStringList fallbacks;
    CapturerSettings settings;
    RecordingNotifier notifier;
    FakeClock clock;
    FixedChooser chooser;
    SaveLog log;
    QImage picture;
    std::unique_ptr<ScopeCapture> capture;
};

TEST(SnapshotNames, DateAndTimeOfTheSave) {
    EXPECT_EQ(SnapshotFileName(QDateTime(QDate(2024, 3, 7), QTime(14, 15, 3))),
              QStringLiteral("20240307_141503.jpg"));
    EXPECT_EQ(SnapshotFileName(QDateTime(QDate(999, 12, 31), QTime(0, 0, 0))),
              QStringLiteral("09991231_000000.jpg"));
}

TEST(SnapshotNames, OneSeparatorBetweenFolderAndName) {
    EXPECT_EQ(JoinFolder("/home/u/Pics", "a.jpg"), QStringLiteral("/home/u/Pics/a.jpg"));
    EXPECT_EQ(JoinFolder("/home/u/Pics/", "a.jpg"), QStringLiteral("/home/u/Pics/a.jpg"));
    EXPECT_EQ(JoinFolder("/", "a.jpg"), QStringLiteral("/a.jpg"));
    EXPECT_EQ(JoinFolder("", "a.jpg"), QStringLiteral("a.jpg"));
}

TEST(SnapshotNames, MissingFolderFallsBackToTheFirstFallbackThatExists) {
    QTemporaryDir existing;
    const QString desk = existing.filePath("Desktop");
    const QString pictures = existing.filePath("Pictures");
    const QString home = existing.path();
    const QStringList fallbacks{desk, pictures, home};
    EXPECT_EQ(SnapshotFolder(existing.path(), fallbacks), existing.path());
    // No desktop (a fresh account, a minimal install), no pictures folder: the home folder.
    EXPECT_EQ(SnapshotFolder("", fallbacks), home);
    ASSERT_TRUE(QDir().mkpath(pictures));
    EXPECT_EQ(SnapshotFolder("", fallbacks), pictures);
    ASSERT_TRUE(QDir().mkpath(desk));
    EXPECT_EQ(SnapshotFolder("", fallbacks), desk);
    EXPECT_EQ(SnapshotFolder(existing.filePath("gone"), fallbacks), desk);
    // A file is not a folder.
    QFile f(existing.filePath("file"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    EXPECT_EQ(SnapshotFolder(f.fileName(), fallbacks), desk);
    EXPECT_EQ(SnapshotFolder("", {f.fileName(), home}), home);
    // None exists: the configured text as it is, else the last fallback, never the current
    // folder (an empty folder).
    EXPECT_EQ(SnapshotFolder("/no/such", {"/no/desk", "/no/home"}), QStringLiteral("/no/such"));
    EXPECT_EQ(SnapshotFolder("", {"/no/desk", "/no/home"}), QStringLiteral("/no/home"));
    EXPECT_EQ(SnapshotFolder("/no/such", {}), QStringLiteral("/no/such"));

    const QStringList system = SnapshotFallbackFolders();
    ASSERT_FALSE(system.isEmpty());
    EXPECT_EQ(system.back(), QDir::homePath());
}

TEST_F(ScopeCaptureTest, SmallestSettingsTakeOneImageAfterOneSecond) {
    Set(0, 0, 0, Folder("pics"));
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    EXPECT_TRUE(Checked(ID_CAPTURE_SCREEN));
    EXPECT_EQ(RunShots(), std::vector<double>{1.0});
    EXPECT_FALSE(Checked(ID_CAPTURE_SCREEN));
    EXPECT_FALSE(clock.active());
    EXPECT_EQ(log.Paths(), QStringList{dir.filePath("pics/20240307_141501.jpg")});
    EXPECT_TRUE(QFile::exists(dir.filePath("pics/20240307_141501.jpg")));
}

TEST_F(ScopeCaptureTest, DefaultsTakeTenImagesFromFiveSecondsEveryTwo) {
    Set(4, 1, 9, Folder("pics"));
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    const std::vector<double> expected = {5, 7, 9, 11, 13, 15, 17, 19, 21, 23};
    EXPECT_EQ(RunShots(), expected);
    EXPECT_FALSE(Checked(ID_CAPTURE_SCREEN));
    EXPECT_FALSE(capture->timedCapture());
    ASSERT_EQ(log.Paths().size(), 10);
    EXPECT_EQ(log.Paths().back(), dir.filePath("pics/20240307_141523.jpg"));
    EXPECT_EQ(QDir(dir.filePath("pics")).entryList(QDir::Files).size(), 10);
    // The last picture stays and can be saved once.
    EXPECT_TRUE(Enabled(ID_SAVE_COPIED_SCREEN));
}

TEST_F(ScopeCaptureTest, SwitchingOffStopsAtOnceAndOnAgainStartsTheCountAnew) {
    Set(4, 1, 9, Folder("pics"));
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    RunShots(3);
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    EXPECT_FALSE(clock.active());
    EXPECT_FALSE(Checked(ID_CAPTURE_SCREEN));
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    EXPECT_EQ(clock.starts.back(), 5000);
    EXPECT_EQ(RunShots().size(), 10u);
}

TEST_F(ScopeCaptureTest, SettingsAreReadAtEachShot) {
    Set(1, 2, 1, Folder("pics"));
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    EXPECT_EQ(clock.starts, std::vector<int>{2000});
    Set(1, 0, 1, Folder("pics"));  // the dialog's OK between two shots
    EXPECT_EQ(RunShots(), (std::vector<double>{2, 3}));
}

TEST_F(ScopeCaptureTest, EmptyOrMissingFolderSavesToTheDesktop) {
    fallbacks = {Folder("Desktop"), Folder("Pictures"), dir.path()};
    Set(0, 0, 1, QString());
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    RunShots(1);
    Set(0, 0, 1, dir.filePath("gone"));
    RunShots();
    EXPECT_EQ(log.Paths(),
              (QStringList{dir.filePath("Desktop/20240307_141501.jpg"),
                           dir.filePath("Desktop/20240307_141502.jpg")}));
    EXPECT_FALSE(QDir(dir.filePath("gone")).exists());
    EXPECT_EQ(settings.Get().imageFolder, dir.filePath("gone"));
    EXPECT_EQ(notifier.Count(), 0u);
}

TEST_F(ScopeCaptureTest, WithoutADesktopTheShotsGoToThePicturesOrTheHomeFolder) {
    fallbacks = {dir.filePath("Desktop"), dir.filePath("Pictures"), Folder("home")};
    Set(0, 0, 0, QString());
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    RunShots();
    fallbacks[1] = Folder("Pictures");
    clock.now = 0;
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    RunShots();
    EXPECT_EQ(log.Paths(),
              (QStringList{dir.filePath("home/20240307_141501.jpg"),
                           dir.filePath("Pictures/20240307_141501.jpg")}));
    EXPECT_TRUE(QFile::exists(dir.filePath("home/20240307_141501.jpg")));
    EXPECT_FALSE(QDir(dir.filePath("Desktop")).exists());
    EXPECT_EQ(notifier.Count(), 0u);
}

TEST_F(ScopeCaptureTest, FolderWithOrWithoutTrailingSeparatorGivesOnePath) {
    Set(0, 0, 0, Folder("pics"));
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    RunShots();
    Set(0, 0, 0, Folder("pics") + QLatin1Char('/'));
    clock.now = 0;
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    RunShots();
    const QStringList paths = log.Paths();
    ASSERT_EQ(paths.size(), 2);
    EXPECT_EQ(paths[0], paths[1]);
    EXPECT_EQ(paths[0], dir.filePath("pics/20240307_141501.jpg"));
}

TEST_F(ScopeCaptureTest, TwoShotsInOneSecondShareTheNameAndTheLaterWins) {
    Set(0, 0, 0, Folder("pics"));
    ScreenCapturer& capturer = capture->capturer();
    const QImage first = TestPicture(QSize(200, 100), Qt::red);
    const QImage second = TestPicture(QSize(200, 100), Qt::blue);
    clock.now = 1100;
    ASSERT_TRUE(capturer.RequestImageSave(&first));
    ASSERT_TRUE(WaitSaved());
    clock.now = 1900;
    ASSERT_TRUE(capturer.RequestImageSave(&second));
    ASSERT_TRUE(WaitSaved());
    const QStringList files = QDir(dir.filePath("pics")).entryList(QDir::Files);
    ASSERT_EQ(files, QStringList{"20240307_141501.jpg"});
    const QImage saved(dir.filePath("pics/20240307_141501.jpg"));
    ASSERT_FALSE(saved.isNull());
    const QColor c = saved.pixelColor(40, 20);  // inside the coloured block (JPEG: near)
    EXPECT_GT(c.blue(), 200);
    EXPECT_LT(c.red(), 60);
}

TEST_F(ScopeCaptureTest, RedrawCopiesOnlyWhileCapturingAndNoSaveIsPending) {
    Set(0, 0, 9, Folder("pics"));
    capture->AfterRedraw(picture, QSize(1067, 451));
    EXPECT_TRUE(capture->snapshot().isNull());
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    capture->AfterRedraw(picture, QSize(1067, 451));
    EXPECT_EQ(capture->snapshot().size(), QSize(1067, 451));
    EXPECT_EQ(capture->snapshot().pixel(20, 20), picture.pixel(20, 20));
    EXPECT_TRUE(Enabled(ID_SAVE_COPIED_SCREEN));

    // A save that takes its time: the picture stays frozen and a second shot is refused.
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    std::atomic<int> saves{0};
    ScopeCapture::Environment env;
    env.capturer.localTime = [this] { return clock.Local(); };
    env.capturer.save = [&](const QImage&, const QString&) {
        ++saves;
        std::unique_lock lock(m);
        cv.wait(lock, [&] { return release; });
        return true;
    };
    FakeClock slowClock;
    env.timer = &slowClock;
    ScopeCapture slow(settings, notifier, nullptr, std::move(env));
    slow.Start();
    slow.HandleCommand(ID_CAPTURE_SCREEN);
    slow.AfterRedraw(picture, QSize(467, 451));
    slow.OnSnapshotTimer();
    ASSERT_TRUE(WaitFor([&] { return saves.load() == 1; }));
    EXPECT_TRUE(slow.capturer().IsImageSavePending());
    slow.AfterRedraw(TestPicture(QSize(1821, 471), Qt::green), QSize(1821, 471));
    EXPECT_EQ(slow.snapshot().size(), QSize(467, 451));
    slow.OnSnapshotTimer();  // lost, but counted
    EXPECT_FALSE(slow.capturer().RequestImageSave(&picture));
    {
        std::lock_guard lock(m);
        release = true;
    }
    cv.notify_all();
    ASSERT_TRUE(WaitFor([&] { return !slow.capturer().IsImageSavePending(); }));
    EXPECT_EQ(saves.load(), 1);
    EXPECT_EQ(slowClock.starts, (std::vector<int>{1000, 1000, 1000}));
}

TEST_F(ScopeCaptureTest, SwitchedOffBeforeAnyRedrawLeavesNothingToSave) {
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    EXPECT_FALSE(capture->snapshotReady());
    EXPECT_FALSE(Enabled(ID_SAVE_COPIED_SCREEN));
}

TEST_F(ScopeCaptureTest, SaveCopiedScreenWritesTheKindOfTheEndingOnce) {
    Set(0, 0, 9, Folder("pics"));
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    capture->AfterRedraw(picture, QSize(1067, 451));
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    chooser.path = dir.filePath("picture.png");
    capture->HandleCommand(ID_SAVE_COPIED_SCREEN);
    QImageReader reader(dir.filePath("picture.png"));
    EXPECT_EQ(reader.format(), QByteArray("png"));
    EXPECT_EQ(reader.size(), QSize(1067, 451));
    EXPECT_FALSE(Enabled(ID_SAVE_COPIED_SCREEN));
    EXPECT_TRUE(notifier.Count() == 0);
    // The next copy enables it again.
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    capture->AfterRedraw(picture, QSize(467, 451));
    EXPECT_TRUE(Enabled(ID_SAVE_COPIED_SCREEN));
}

TEST_F(ScopeCaptureTest, CancelledSaveChangesNothing) {
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    capture->AfterRedraw(picture, QSize(467, 451));
    chooser.path.reset();
    capture->HandleCommand(ID_SAVE_COPIED_SCREEN);
    EXPECT_EQ(chooser.asked, 1);
    EXPECT_TRUE(Enabled(ID_SAVE_COPIED_SCREEN));
}

TEST_F(ScopeCaptureTest, SaveThatCannotBeWrittenSaysSoAndNamesTheFile) {
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    capture->AfterRedraw(picture, QSize(467, 451));
    const QString bad = dir.filePath("no/such/folder/picture.png");
    chooser.path = bad;
    capture->HandleCommand(ID_SAVE_COPIED_SCREEN);
    ASSERT_EQ(notifier.Count(), 1u);
    EXPECT_NE(notifier.Text(0).find(bad.toStdString()), std::string::npos);
    EXPECT_EQ(notifier.Caption(0), "Tonavise");
    // Still there to be saved elsewhere.
    EXPECT_TRUE(Enabled(ID_SAVE_COPIED_SCREEN));
    // An ending that names no image kind cannot be written either.
    chooser.path = dir.filePath("picture.xyz");
    capture->HandleCommand(ID_SAVE_COPIED_SCREEN);
    EXPECT_EQ(notifier.Count(), 2u);
    EXPECT_FALSE(QFile::exists(dir.filePath("picture.xyz")));
}

TEST_F(ScopeCaptureTest, TimedShotsThatCannotBeWrittenSaySoOncePerCapture) {
    fallbacks = {dir.filePath("no/desktop"), dir.filePath("no/home")};
    Set(0, 0, 2, QString());
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    EXPECT_EQ(RunShots().size(), 3u);
    EXPECT_EQ(log.Paths().size(), 3);
    // The schedule went on; the user heard of it once, with the first path.
    ASSERT_TRUE(WaitFor([&] { return notifier.Count() >= 1; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(notifier.Count(), 1u);
    EXPECT_EQ(notifier.Text(0),
              ScopeCapture::ShotNotWrittenText(dir.filePath("no/home/20240307_141501.jpg"))
                  .toStdString());
    EXPECT_FALSE(QDir(dir.filePath("no")).exists());
    // A new capture that fails says so again.
    clock.now = 0;
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    RunShots();
    EXPECT_TRUE(WaitFor([&] { return notifier.Count() >= 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(notifier.Count(), 2u);
}

TEST_F(ScopeCaptureTest, StoppingWaitsForThePendingPicture) {
    Set(0, 0, 0, Folder("pics"));
    capture->HandleCommand(ID_CAPTURE_SCREEN);
    capture->AfterRedraw(picture, QSize(1821, 471));
    clock.now = 1000;
    capture->OnSnapshotTimer();
    capture->Stop();
    EXPECT_FALSE(capture->capturer().IsImageSavePending());
    EXPECT_FALSE(capture->capturer().RequestImageSave(&picture));
    EXPECT_TRUE(QFile::exists(dir.filePath("pics/20240307_141501.jpg")));
}

// The view's part: the commands through the frame and the copy after a redraw.
TEST(ScopeViewCapture, CopeScreenCopiesThePictureAfterEachRedraw) {
    TempSettings file;
    Engine engine(file.path());
    auto frame = std::make_unique<MainWindow>(engine.context);
    frame->show();
    frame->StartLive();
    EXPECT_FALSE(frame->CommandStateOf(ID_SAVE_COPIED_SCREEN).enabled);
    EXPECT_TRUE(frame->CommandStateOf(ID_CAPTURE_SCREEN).enabled);
    ASSERT_TRUE(frame->ExecuteCommand(ID_CAPTURE_SCREEN));
    EXPECT_TRUE(frame->CommandStateOf(ID_CAPTURE_SCREEN).checked);
    EXPECT_TRUE(frame->Action(ID_CAPTURE_SCREEN)->isChecked());
    frame->view().RedrawNow();
    EXPECT_TRUE(frame->CommandStateOf(ID_SAVE_COPIED_SCREEN).enabled);
    const QImage& copied = frame->view().capture().snapshot();
    EXPECT_EQ(copied.size(), QSize(1821, 471));
    EXPECT_EQ(copied.pixel(100, 100), frame->view().composedPicture().pixel(100, 100));
    ASSERT_TRUE(frame->ExecuteCommand(ID_CAPTURE_SCREEN));
    EXPECT_FALSE(frame->CommandStateOf(ID_CAPTURE_SCREEN).checked);
    frame.reset();
}

// "Save copied screen" is on no menu and no toolbar; its key opens the save dialog once there is
// a copied picture.
TEST(ScopeViewCapture, SaveCopiedScreenHasAKeyAndNoMenuItem) {
    TempSettings file;
    Engine engine(file.path());
    auto frame = std::make_unique<MainWindow>(engine.context);
    frame->show();
    frame->StartLive();
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QAction* save = frame->Action(ID_SAVE_COPIED_SCREEN);
    EXPECT_EQ(save->shortcut(), kSaveCopiedScreenKey);
    EXPECT_TRUE(save->associatedObjects().contains(frame.get()));
    for (QObject* o : save->associatedObjects()) {
        EXPECT_EQ(qobject_cast<QMenu*>(o), nullptr);
        EXPECT_EQ(qobject_cast<QToolBar*>(o), nullptr);
    }

    bool dialogShown = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr) {
            dialogShown = true;
            EXPECT_EQ(dialog->nameFilters(), SaveImageDialog::Filters());
            EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("jpg"));
            dialog->reject();
        }
    });
    QTest::keySequence(frame.get(), kSaveCopiedScreenKey);  // nothing copied yet: disabled
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialogShown);

    ASSERT_TRUE(frame->ExecuteCommand(ID_CAPTURE_SCREEN));
    frame->view().RedrawNow();
    frame->UpdateCommandStates();  // as the frame's update pass does within 100 ms
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialogShown = true;
        EXPECT_EQ(dialog->nameFilters(), SaveImageDialog::Filters());
        EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("jpg"));
        dialog->reject();
    });
    QTest::keySequence(frame.get(), kSaveCopiedScreenKey);
    EXPECT_TRUE(dialogShown);
    frame.reset();
}

// ImageMagick's "%m %w %h %k" (kind, width, height, number of colours) of a file, empty when it
// cannot read it.
QString Identify(const QString& identify, const QString& path) {
    QProcess p;
    p.start(identify, {QStringLiteral("-format"), QStringLiteral("%m %w %h %k"), path});
    if (!p.waitForFinished(20000) || p.exitCode() != 0) {
        return {};
    }
    return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
}

// Types `path` into the save dialog that the next command opens, and accepts it.
void AnswerSaveDialog(const QString& path, bool* answered) {
    QTimer::singleShot(0, [path, answered] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept, public through QDialog
        *answered = true;
    });
}

// The program's own way from the scope to the files: a timed shot written by the capturer thread
// on the real clock, then "Save copied screen" through the real save dialog in each of the five
// kinds, and a name that cannot be written. The files are then read back by ImageMagick (once
// the window and its threads are gone: ThreadSanitizer allows no child process beside threads)
// with the picture's size; the lossless kinds and the GIF hold the scope's colours exactly.
TEST(ScopeViewCapture, RealRunWritesFilesThatImageMagickReads) {
    QTemporaryDir out;
    const std::vector<std::pair<QString, QString>> kinds = {{"copied.jpg", "JPEG"},
                                                            {"copied.gif", "GIF"},
                                                            {"copied.bmp", "BMP"},
                                                            {"copied.png", "PNG"},
                                                            {"copied.tif", "TIFF"}};
    QSize size;
    QString timedPath;
    {
        TempSettings file;
        Engine engine(file.path());
        engine.context.capturerSettings.Set({out.path(), 0, 0, 0});
        auto frame = std::make_unique<MainWindow>(engine.context);
        frame->show();
        frame->StartLive();
        ScopeCapture& capture = frame->view().capture();

        // One image a second after switching on; then capturing ends by itself.
        ASSERT_TRUE(frame->ExecuteCommand(ID_CAPTURE_SCREEN));
        frame->view().RedrawNow();
        ASSERT_TRUE(WaitFor(
            [&] { return !capture.timedCapture() && !capture.capturer().IsImageSavePending(); },
            10000));
        size = frame->view().drawingSize();
        ASSERT_FALSE(size.isEmpty());
        const QStringList timed =
            QDir(out.path()).entryList({QStringLiteral("*.jpg")}, QDir::Files);
        ASSERT_EQ(timed.size(), 1);
        EXPECT_TRUE(
            QRegularExpression(QStringLiteral("^\\d{8}_\\d{6}\\.jpg$")).match(timed[0]).hasMatch())
            << timed[0].toStdString();
        timedPath = out.filePath(timed[0]);

        for (const auto& [name, kind] : kinds) {
            if (!frame->CommandStateOf(ID_SAVE_COPIED_SCREEN).enabled) {
                // A fresh copy of the picture: capturing on, one redraw, capturing off.
                ASSERT_TRUE(frame->ExecuteCommand(ID_CAPTURE_SCREEN));
                frame->view().RedrawNow();
                ASSERT_TRUE(frame->ExecuteCommand(ID_CAPTURE_SCREEN));
            }
            bool answered = false;
            AnswerSaveDialog(out.filePath(name), &answered);
            ASSERT_TRUE(frame->ExecuteCommand(ID_SAVE_COPIED_SCREEN)) << name.toStdString();
            ASSERT_TRUE(answered);
            EXPECT_FALSE(frame->CommandStateOf(ID_SAVE_COPIED_SCREEN).enabled)
                << name.toStdString();
        }
        EXPECT_EQ(engine.notifier.Count(), 0u);

        // A name in a folder that does not exist: a message that names the file, and the
        // picture stays ready.
        ASSERT_TRUE(frame->ExecuteCommand(ID_CAPTURE_SCREEN));
        frame->view().RedrawNow();
        ASSERT_TRUE(frame->ExecuteCommand(ID_CAPTURE_SCREEN));
        const QString bad = out.filePath(QStringLiteral("gone/copied.png"));
        bool answered = false;
        AnswerSaveDialog(bad, &answered);
        ASSERT_TRUE(frame->ExecuteCommand(ID_SAVE_COPIED_SCREEN));
        ASSERT_TRUE(answered);
        ASSERT_EQ(engine.notifier.Count(), 1u);
        EXPECT_NE(engine.notifier.Text(0).find(bad.toStdString()), std::string::npos)
            << engine.notifier.Text(0);
        EXPECT_TRUE(frame->CommandStateOf(ID_SAVE_COPIED_SCREEN).enabled);
        frame.reset();
    }

    const QString sizeText = QStringLiteral("%1 %2").arg(size.width()).arg(size.height());
    const QString identify = QStandardPaths::findExecutable(QStringLiteral("identify"));
    if (identify.isEmpty()) {
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    }
    const QString timedInfo = Identify(identify, timedPath);
    EXPECT_TRUE(timedInfo.startsWith(QStringLiteral("JPEG ") + sizeText + QLatin1Char(' ')))
        << timedInfo.toStdString();
    std::printf("timed %s: %s, %lld bytes\n",
                qPrintable(QFileInfo(timedPath).fileName()),
                qPrintable(timedInfo),
                static_cast<long long>(QFileInfo(timedPath).size()));
    QStringList exactColours;
    for (const auto& [name, kind] : kinds) {
        const QString path = out.filePath(name);
        const QString info = Identify(identify, path);
        const QString shownKind = kind == "BMP" && info.startsWith("BMP3") ? "BMP3" : kind;
        EXPECT_TRUE(info.startsWith(shownKind + QLatin1Char(' ') + sizeText + QLatin1Char(' ')))
            << name.toStdString() << ": " << info.toStdString();
        if (kind != "JPEG") {
            exactColours.push_back(info.section(QLatin1Char(' '), 3));
        }
        std::printf("%s: %s, %lld bytes\n",
                    qPrintable(name),
                    qPrintable(info),
                    static_cast<long long>(QFileInfo(path).size()));
    }
    // GIF, BMP, PNG and TIFF: the same number of colours, at most 256, and the GIF's pixels
    // are the PNG's.
    ASSERT_EQ(exactColours.size(), 4);
    EXPECT_EQ(exactColours.count(exactColours[0]), 4) << exactColours.join(',').toStdString();
    EXPECT_LE(exactColours[0].toInt(), 256);
    const QImage png = QImage(out.filePath("copied.png")).convertToFormat(QImage::Format_RGB32);
    const QImage gif = QImage(out.filePath("copied.gif")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(png.size(), size);
    EXPECT_EQ(gif, png);
}

// --- image files -----------------------------------------------------------------------------

TEST(ImageFiles, KindByEndingInAnyCase) {
    EXPECT_EQ(ImageFileKindOf("a.jpg"), ImageFileKind::Jpeg);
    EXPECT_EQ(ImageFileKindOf("a.JPEG"), ImageFileKind::Jpeg);
    EXPECT_EQ(ImageFileKindOf("a.Gif"), ImageFileKind::Gif);
    EXPECT_EQ(ImageFileKindOf("a.bmp"), ImageFileKind::Bmp);
    EXPECT_EQ(ImageFileKindOf("dir.png/a.png"), ImageFileKind::Png);
    EXPECT_EQ(ImageFileKindOf("a.tif"), ImageFileKind::Tiff);
    EXPECT_EQ(ImageFileKindOf("a.TIFF"), ImageFileKind::Tiff);
    EXPECT_EQ(ImageFileKindOf("a.webp"), ImageFileKind::Unknown);
    EXPECT_EQ(ImageFileKindOf("jpg"), ImageFileKind::Unknown);
}

TEST(ImageFiles, GifKeepsExactColoursInATableOfAPowerOfTwo) {
    QImage image(37, 23, QImage::Format_RGB32);
    image.fill(QColor(255, 255, 255));
    image.setPixelColor(3, 4, QColor(12, 34, 56));
    image.setPixelColor(30, 20, QColor(200, 100, 0));
    const QByteArray gif = EncodeGif(image);
    ASSERT_GE(gif.size(), 13);
    EXPECT_TRUE(gif.startsWith("GIF8"));
    // Logical screen descriptor: global table present, 2^(n+1) entries: 3 colours -> 4.
    const auto packed = static_cast<unsigned char>(gif[10]);
    EXPECT_TRUE(packed & 0x80);
    EXPECT_EQ(packed & 0x07, 1);
    QImage back;
    ASSERT_TRUE(back.loadFromData(gif, "GIF"));
    ASSERT_EQ(back.size(), image.size());
    const QImage rgb = back.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ASSERT_EQ(rgb.pixel(x, y) | 0xff000000u, image.pixel(x, y)) << x << "," << y;
        }
    }
}

TEST(ImageFiles, GifOfAPictureWithManyColoursIsReducedTo256) {
    QImage image(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb(x % 256, y, (x * y) % 256));
        }
    }
    const QByteArray gif = EncodeGif(image);
    EXPECT_EQ(static_cast<unsigned char>(gif[10]) & 0x07, 7);
    QImage back;
    ASSERT_TRUE(back.loadFromData(gif, "GIF"));
    EXPECT_EQ(back.size(), image.size());
    // A one-colour picture still gets a table of two.
    QImage flat(4, 4, QImage::Format_RGB32);
    flat.fill(Qt::black);
    EXPECT_EQ(static_cast<unsigned char>(EncodeGif(flat)[10]) & 0x07, 0);
    EXPECT_TRUE(EncodeGif(QImage()).isEmpty());
}

TEST(ImageFiles, UnknownEndingOrEmptyPictureWritesNothing) {
    QTemporaryDir dir;
    const QImage image = TestPicture(QSize(50, 40), Qt::red);
    EXPECT_FALSE(WriteImageFile(image, dir.filePath("a.xyz")));
    EXPECT_FALSE(WriteImageFile(QImage(), dir.filePath("a.png")));
    EXPECT_FALSE(WriteImageFile(image, dir.filePath("missing/a.png")));
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

// The five kinds written for real and read back by ImageMagick, another program than ours.
TEST(ImageFiles, FiveKindsReadBackByImageMagick) {
    const QString identify = QStandardPaths::findExecutable(QStringLiteral("identify"));
    if (identify.isEmpty()) {
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    }
    QTemporaryDir dir;
    const QImage image = TestPicture(QSize(1067, 451), QColor(0, 128, 255));
    const std::vector<std::pair<QString, QString>> files = {{"shot.jpg", "JPEG"},
                                                            {"shot.gif", "GIF"},
                                                            {"shot.bmp", "BMP"},
                                                            {"shot.png", "PNG"},
                                                            {"shot.tif", "TIFF"},
                                                            {"shot.tiff", "TIFF"},
                                                            {"shot.jpeg", "JPEG"}};
    for (const auto& [name, kind] : files) {
        const QString path = dir.filePath(name);
        ASSERT_TRUE(WriteImageFile(image, path)) << name.toStdString();
        QProcess p;
        p.start(identify, {QStringLiteral("-format"), QStringLiteral("%m %w %h"), path});
        ASSERT_TRUE(p.waitForFinished(20000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        const QString out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
        EXPECT_TRUE(out == kind + QStringLiteral(" 1067 451") ||
                    (kind == "BMP" && out == QStringLiteral("BMP3 1067 451")))
            << name.toStdString() << ": " << out.toStdString();
    }
}

}  // namespace
}  // namespace tonavise::ui::test
