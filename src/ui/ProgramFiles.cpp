#include "ui/ProgramFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tonavise::ui {

namespace {

// Relative to the installed program's folder; the build gives the install's own layout.
// Not under share/doc: minimal installs remove that folder, and a program must not need it.
#ifndef TONAVISE_MANUAL_FROM_BIN
#define TONAVISE_MANUAL_FROM_BIN "../share/tonavise"
#endif
#ifndef TONAVISE_TRANSLATIONS_FROM_BIN
#define TONAVISE_TRANSLATIONS_FROM_BIN "../share/tonavise/translations"
#endif

QString Under(const QString& folder, const char* relative) {
    return QDir::cleanPath(folder + QLatin1Char('/') + QLatin1String(relative));
}

}  // namespace

QString ProgramFolder() {
    return QCoreApplication::applicationDirPath();
}

QStringList ManualFolders(const QString& programFolder) {
    return {programFolder, Under(programFolder, TONAVISE_MANUAL_FROM_BIN)};
}

QStringList TranslationFolders(const QString& programFolder) {
    return {programFolder, Under(programFolder, TONAVISE_TRANSLATIONS_FROM_BIN)};
}

QString HelpFilePath(const QString& programFolder) {
    const QString name = QLatin1String(kHelpFileName);
    for (const QString& folder : ManualFolders(programFolder)) {
        QString path = QDir(folder).filePath(name);
        if (QFileInfo(path).isFile()) {
            return path;
        }
    }
    return {};
}

}  // namespace tonavise::ui
