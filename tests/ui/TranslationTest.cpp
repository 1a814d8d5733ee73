// The Chinese and Japanese texts: every text of the windows has a finished translation with the
// same placeholders and line breaks, the program shows them when the translation is loaded,
// the engine's fixed messages are translated on their way to the message box, and the texts the
// code carries in three languages keep their own.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolBar>
#include <QTranslator>
#include <QXmlStreamReader>
#include <map>

#include "UiTestSupport.h"
#include "engine/core/Notifier.h"
#include "ui/CommandIds.h"
#include "ui/Commands.h"
#include "ui/Language.h"
#include "ui/MainWindow.h"
#include "ui/QtNotifier.h"
#include "ui/SettingsDialog.h"

namespace tonavise::ui::test {
namespace {

struct Message {
    QString context;
    QString source;
    QString translation;
    bool finished = false;
};

std::vector<Message> ReadTs(const QString& path) {
    std::vector<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message m;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            continue;
        }
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            m = Message{context, {}, {}, false};
        } else if (xml.name() == QLatin1String("source")) {
            m.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation")) {
            const QString type = xml.attributes().value(QLatin1String("type")).toString();
            m.finished = type.isEmpty();
            m.translation = xml.readElementText();
            messages.push_back(m);
        }
    }
    return messages;
}

QString TsPath(const char* name) {
    return QStringLiteral(TONAVISE_SOURCE_DIR "/translations/") + QLatin1String(name) +
           QStringLiteral(".ts");
}

QStringList Placeholders(const QString& s) {
    QStringList found;
    for (const auto& match : QRegularExpression(QStringLiteral("%\\d")).globalMatch(s)) {
        found << match.captured();
    }
    found.sort();
    return found;
}

TEST(Translations, EveryTextIsTranslatedWithItsPlaceholdersAndLineBreaks) {
    for (const char* name : {"tonavise_chn", "tonavise_jpn"}) {
        const std::vector<Message> messages = ReadTs(TsPath(name));
        ASSERT_GT(messages.size(), 100u) << name;
        for (const Message& m : messages) {
            const std::string where =
                std::string(name) + " " + m.context.toStdString() + ": " + m.source.toStdString();
            EXPECT_TRUE(m.finished && !m.translation.isEmpty()) << "untranslated in " << where;
            EXPECT_EQ(Placeholders(m.translation), Placeholders(m.source)) << where;
            // Prompts are "status-bar text\ntooltip": both halves must be there.
            EXPECT_EQ(m.translation.count(QLatin1Char('\n')), m.source.count(QLatin1Char('\n')))
                << where;
            EXPECT_EQ(m.translation.contains(QLatin1Char('&')), m.source.contains(QLatin1Char('&')))
                << "access key in " << where;
        }
    }
}

// lupdate run over the sources now finds no text that the translation files lack: a text added
// to the windows without its translations fails here (refresh the files with the target
// update_translations and translate what it adds).
TEST(Translations, TheFilesCoverEveryTextOfTheSources) {
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("fresh.ts"));
    QProcess lupdate;
    lupdate.start(QStringLiteral(TONAVISE_LUPDATE),
                  {QStringLiteral("-silent"),
                   QStringLiteral("-no-obsolete"),
                   QStringLiteral("-locations"),
                   QStringLiteral("none"),
                   // The headers are included by layer ("ui/…"): lupdate finds the classes'
                   // namespaces through them.
                   QStringLiteral("-I"),
                   QStringLiteral(TONAVISE_SOURCE_DIR "/src"),
                   QStringLiteral(TONAVISE_SOURCE_DIR "/src/ui"),
                   QStringLiteral("-ts"),
                   fresh});
    ASSERT_TRUE(lupdate.waitForFinished(60000));
    ASSERT_EQ(lupdate.exitCode(), 0) << lupdate.readAllStandardError().toStdString();
    const std::vector<Message> found = ReadTs(fresh);
    ASSERT_GT(found.size(), 100u);
    for (const char* name : {"tonavise_chn", "tonavise_jpn"}) {
        std::map<std::pair<QString, QString>, bool> have;
        for (const Message& m : ReadTs(TsPath(name))) {
            have[{m.context, m.source}] = m.finished;
        }
        for (const Message& m : found) {
            const auto it = have.find({m.context, m.source});
            EXPECT_TRUE(it != have.end() && it->second)
                << name << " lacks " << m.context.toStdString() << ": " << m.source.toStdString();
        }
    }
}

TEST(Translations, EngineMessagesAreAllListedForTranslation) {
    const QStringList listed = TranslatableMessageTexts();
    for (int id = IDS_MP3_CANNOT_OPEN; id <= IDS_FILE_NOT_PCM; ++id) {
        const std::string_view text = StringTableText(id);
        EXPECT_TRUE(listed.contains(QString::fromUtf8(text.data(), text.size()))) << id;
    }
    EXPECT_TRUE(
        listed.contains(QString::fromUtf8(kMemoryNotEnough.data(), kMemoryNotEnough.size())));
}

class TranslatedTest : public ::testing::Test {
  protected:
    void Load(UiLanguage language) {
        translator = LoadTranslation(language, QStringLiteral(TONAVISE_QM_DIR));
        ASSERT_NE(translator, nullptr);
        engine.context.language = language;
    }
    void TearDown() override {
        if (translator) {
            QCoreApplication::removeTranslator(translator.get());
        }
    }
    QStringList MenuTitles(const MainWindow& frame) {
        QStringList titles;
        for (QAction* a : frame.menuBar()->actions()) {
            titles << a->text();
        }
        return titles;
    }

    TempSettings file;
    Engine engine{file.path()};
    std::unique_ptr<QTranslator> translator;
};

TEST_F(TranslatedTest, ChineseMenusPromptsDialogsAndMessages) {
    Load(UiLanguage::Chinese);
    MainWindow frame(engine.context);
    EXPECT_EQ(MenuTitles(frame),
              (QStringList{"文件(&F)", "功能(&F)", "工具(&T)", "查看(&V)", "帮助(&H)"}));
    EXPECT_EQ(frame.Action(ID_SET_PARAMETERS)->statusTip(), QStringLiteral("显示设置参数对话框"));
    EXPECT_EQ(frame.Action(ID_SET_PARAMETERS)->toolTip(), QStringLiteral("设置参数对话框"));
    EXPECT_EQ(frame.Action(ID_CAPTURE_SCREEN)->text(), QStringLiteral("开始截图"));
    EXPECT_EQ(frame.scopeBar()->windowTitle(), QStringLiteral("示波器类型"));

    SettingsDialog dialog(engine.context);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("设置参数"));
    // The recording times are the code's own Chinese labels.
    EXPECT_EQ(dialog.recTimeList()->itemText(0),
              QString::fromStdString(RecTimeLabel(0, UiLanguage::Chinese)));

    std::vector<ShownMessage> shown;
    QtNotifier notifier([&](const ShownMessage& m) { shown.push_back(m); });
    notifier.ShowMessage(
        kAppTitle, StringTableText(IDS_FILE_CANNOT_OPEN), MessageIcon::Exclamation);
    notifier.ShowMessage(kAppTitle, "Error = 0x00000001, : no device", MessageIcon::None);
    ASSERT_TRUE(WaitFor([&] { return shown.size() == 2; }));
    EXPECT_EQ(shown[0].text, QStringLiteral("无法打开此文件。"));
    EXPECT_EQ(shown[1].text, QStringLiteral("Error = 0x00000001, : no device"));
}

TEST_F(TranslatedTest, JapaneseMenusAndCommands) {
    Load(UiLanguage::Japanese);
    MainWindow frame(engine.context);
    EXPECT_EQ(MenuTitles(frame),
              (QStringList{"ファイル(&F)", "機能(&F)", "ツール(&T)", "表示(&V)", "ヘルプ(&H)"}));
    EXPECT_EQ(frame.Action(ID_APP_EXIT)->text(), QStringLiteral("終了(&X)"));
    EXPECT_EQ(frame.Action(ID_TONE_LA)->toolTip(), QStringLiteral("「ラ」の音"));
}

TEST_F(TranslatedTest, EnglishIsTheCodesOwn) {
    MainWindow frame(engine.context);
    EXPECT_EQ(MenuTitles(frame), (QStringList{"&File", "&Function", "&Tool", "&View", "&Help"}));
    std::vector<ShownMessage> shown;
    QtNotifier notifier([&](const ShownMessage& m) { shown.push_back(m); });
    notifier.ShowMessage(kAppTitle, kMemoryNotEnough, MessageIcon::Exclamation);
    ASSERT_TRUE(WaitFor([&] { return shown.size() == 1; }));
    EXPECT_EQ(shown[0].text, QStringLiteral("The memory is not enough!"));
}

}  // namespace
}  // namespace tonavise::ui::test
