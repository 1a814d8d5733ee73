// Where the program finds the files that come with it. The first place is always the program's
// own folder, so a program run from its build folder or an unpacked folder finds its manual and
// translations beside it; an installed program (in <prefix>/bin) finds them where the install
// put them, under <prefix>/share.
#pragma once

#include <QString>
#include <QStringList>

namespace tonavise::ui {

// The manual's file name.
inline constexpr char kHelpFileName[] = "tonavise.html";

// The folder of the running program's executable.
QString ProgramFolder();

// The folders that may hold the manual, in the order they are searched.
QStringList ManualFolders(const QString& programFolder);
// The folders that may hold the translations, in the order they are searched.
QStringList TranslationFolders(const QString& programFolder);

// The manual: the first of ManualFolders that holds it; empty when none does.
QString HelpFilePath(const QString& programFolder);

}  // namespace tonavise::ui
