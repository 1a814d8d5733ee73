// Copied into an installed prefix's bin folder by install-test.sh, beside the installed program,
// this finds the manual and the translations exactly as the program does from there, and
// checks that the translations translate the menus.
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTranslator>
#include <cstdio>

#include "ui/Language.h"
#include "ui/ProgramFiles.h"

using tonavise::UiLanguage;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int failures = 0;
    auto check = [&](bool ok, const QString& what) {
        std::printf("%s %s\n", ok ? "ok  " : "FAIL", qPrintable(what));
        failures += ok ? 0 : 1;
    };

    const QString folder = tonavise::ui::ProgramFolder();
    const QString manual = tonavise::ui::HelpFilePath(folder);
    check(QFileInfo(manual).isFile(), QStringLiteral("manual ") + manual);
    // Minimal installs remove share/doc; the program must not read from there.
    check(!manual.contains(QStringLiteral("/share/doc/")),
          QStringLiteral("manual outside share/doc: ") + manual);
    const QString picture =
        QFileInfo(manual).dir().filePath(QStringLiteral("tonavise-images/pitch.png"));
    check(QFileInfo(picture).isFile(), QStringLiteral("manual picture ") + picture);

    for (UiLanguage language : {UiLanguage::Chinese, UiLanguage::Japanese}) {
        auto translator =
            tonavise::ui::LoadTranslation(language, tonavise::ui::TranslationFolders(folder));
        const QString name = tonavise::ui::TranslationName(language);
        check(translator != nullptr, QStringLiteral("translation ") + name);
        if (translator) {
            const QString file = translator->filePath();
            check(file.startsWith(QDir::cleanPath(folder + QStringLiteral("/..")) +
                                  QStringLiteral("/share/")),
                  QStringLiteral("translation from the install: ") + file);
            const QString text = QCoreApplication::translate("tonavise::ui::MainWindow", "&File");
            check(!text.isEmpty() && text != QStringLiteral("&File"),
                  QStringLiteral("File menu in ") + name + QStringLiteral(": ") + text);
            QCoreApplication::removeTranslator(translator.get());
        }
    }
    return failures == 0 ? 0 : 1;
}
