// The About box and the help command: the texts, the buttons, and where the manual is looked for.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "UiTestSupport.h"
#include "engine/device/VirtualSound.h"
#include "ui/AboutDialog.h"
#include "ui/CommandIds.h"
#include "ui/MainWindow.h"
#include "ui/ProductInfo.h"
#include "ui/ProgramFiles.h"
#include "ui/TonaviseApp.h"

namespace tonavise::ui::test {
namespace {

void Touch(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

TEST(HelpFile, BesideTheProgramFirstThenWhereTheInstallPutsIt) {
    // Nothing there: no manual.
    EXPECT_EQ(HelpFilePath(QStringLiteral("/opt/X")), QString());

    QTemporaryDir prefix;
    const QString bin = prefix.filePath(QStringLiteral("bin"));
    QDir().mkpath(bin);
    EXPECT_EQ(HelpFilePath(bin), QString());
    // share/doc is not the program's: minimal installs remove it.
    Touch(prefix.filePath(QStringLiteral("share/doc/tonavise/tonavise.html")));
    EXPECT_EQ(HelpFilePath(bin), QString());
    Touch(prefix.filePath(QStringLiteral("share/tonavise/tonavise.html")));
    EXPECT_EQ(HelpFilePath(bin), prefix.filePath(QStringLiteral("share/tonavise/tonavise.html")));
    Touch(bin + QStringLiteral("/tonavise.html"));
    EXPECT_EQ(HelpFilePath(bin), bin + QStringLiteral("/tonavise.html"));

    EXPECT_EQ(TranslationFolders(bin).front(), bin);
    EXPECT_EQ(TranslationFolders(bin).back(),
              prefix.filePath(QStringLiteral("share/tonavise/translations")));
}

class HelpCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        engine.context.opener = &opener;
        engine.context.programFolder = program.path();
        frame = std::make_unique<MainWindow>(engine.context);
    }
    // Runs Help and lets a queued message box report arrive.
    void Help() {
        ASSERT_TRUE(frame->ExecuteCommand(ID_HELP_SHOW));
        QCoreApplication::processEvents();
    }

    QTemporaryDir program;
    TempSettings file;
    Engine engine{file.path()};
    RecordingOpener opener;
    std::unique_ptr<MainWindow> frame;
};

TEST_F(HelpCommandTest, OpensTheManualInTheBrowser) {
    Touch(program.filePath(QStringLiteral("tonavise.html")));
    EXPECT_TRUE(frame->CommandStateOf(ID_HELP_SHOW).enabled);
    Help();
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0],
              QUrl::fromLocalFile(program.filePath(QStringLiteral("tonavise.html"))));
    EXPECT_EQ(engine.notifier.Count(), 0u);
}

TEST_F(HelpCommandTest, WithoutAManualSaysWhereItLooked) {
    Help();
    EXPECT_TRUE(opener.opened.empty());
    ASSERT_EQ(engine.notifier.Count(), 1u);
    EXPECT_EQ(engine.notifier.Caption(0), "Tonavise");
    EXPECT_EQ(engine.notifier.Text(0),
              MainWindow::NoManualText(ManualFolders(program.path())).toStdString());
    EXPECT_NE(engine.notifier.Text(0).find(program.path().toStdString()), std::string::npos);
    EXPECT_NE(engine.notifier.Text(0).find("tonavise.html"), std::string::npos);
}

TEST_F(HelpCommandTest, WhenNoBrowserStartsSaysWhereTheManualIs) {
    Touch(program.filePath(QStringLiteral("tonavise.html")));
    opener.opens = false;
    Help();
    EXPECT_EQ(opener.opened.size(), 1u);
    ASSERT_EQ(engine.notifier.Count(), 1u);
    EXPECT_EQ(
        engine.notifier.Text(0),
        MainWindow::NoBrowserText(program.filePath(QStringLiteral("tonavise.html"))).toStdString());
}

class AboutTest : public ::testing::Test {
  protected:
    RecordingOpener opener;
};

TEST_F(AboutTest, ShowsNameVersionNoticeAndTheWebSite) {
    AboutDialog about(opener);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("About Tonavise"));
    EXPECT_EQ(about.versionLabel()->text(), QStringLiteral("Tonavise Version 1.4.2.2"));
    EXPECT_EQ(about.noticeLabel()->text(), QString::fromUtf8(kMakerNotice));
    EXPECT_EQ(about.webButton()->text(), QString::fromLatin1(kProductWebPage));
    EXPECT_TRUE(about.okButton()->isDefault());
    EXPECT_FALSE(about.webButton()->isDefault());
}

TEST_F(AboutTest, OkAndEscCloseTheWebButtonLeavesItOpen) {
    AboutDialog about(opener);
    about.show();
    QTest::mouseClick(about.webButton(), Qt::LeftButton);
    EXPECT_TRUE(about.isVisible());
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], QUrl(QString::fromLatin1(kProductWebPage)));
    QTest::mouseClick(about.okButton(), Qt::LeftButton);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);

    about.show();
    QTest::keyClick(&about, Qt::Key_Escape);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Rejected);

    about.show();
    about.close();
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(opener.opened.size(), 1u);
}

// The About command goes to the application object, which runs the box modally.
TEST_F(AboutTest, TheAboutCommandRunsTheBox) {
    TempSettings file;
    VirtualSoundSystem sound;
    RecordingNotifier notifier;
    QTemporaryDir instance;
    AppEnvironment env;
    env.settingsFile = file.path();
    env.opener = &opener;
    env.today = [] { return QDate(2024, 3, 7); };
    env.instanceKey = QStringLiteral("about-test");
    env.instanceFolder = instance.path();
    env.notifier = &notifier;
    env.devices = &sound;
    TonaviseApp app(env);
    ASSERT_TRUE(app.InitInstance());
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<AboutDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(about, nullptr);
        shown = true;
        EXPECT_EQ(about->parentWidget(), app.mainFrame());
        QTest::keyClick(about, Qt::Key_Return);
    });
    EXPECT_TRUE(app.mainFrame()->ExecuteCommand(ID_APP_ABOUT));
    EXPECT_TRUE(shown);
    app.ExitInstance();
}

}  // namespace
}  // namespace tonavise::ui::test
